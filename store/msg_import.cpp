// Property values [MS-OXCDATA 2.11.1] as a .msg holds them [MS-OXMSG 2.4] become the values
// a .pst stores [MS-PST 2.3.3]; named properties [MS-OXCDATA 2.6.1] go through the store's
// name-to-ID map [MS-PST 2.4.7]; attached messages become message objects [MS-PST 2.4.6.2].
#include "store/msg_import.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <span>
#include <optional>
#include <stdexcept>
#include <vector>

#include "fs/readable_file.hpp"
#include "fs/text.hpp"
#include "msg/code_page.hpp"
#include "msg/known_properties.hpp"
#include "msg/msg_reader.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/pst_error.hpp"
#include "seams/store_service.hpp"
#include "store/excluded_properties.hpp"
#include "store/outlook_message_form.hpp"

namespace ferrowick {
namespace {

using pst::PropertyType;
using pst::PropertyValue;

constexpr std::uint16_t kPidTagRowid = 0x3000;

pst::Guid ToPstGuid(const msg::Guid& guid) { return pst::Guid{guid.bytes}; }

// Converts one value; `codePage` decodes the 8-bit strings a writer left undecoded.
class ValueConverter {
public:
    explicit ValueConverter(std::uint32_t codePage) : codePage_(codePage) {}

    PropertyValue operator()(const msg::PropertyValue& value) const {
        return std::visit([this](const auto& v) { return Convert(v); }, value);
    }

private:
    PropertyValue Convert(std::int16_t v) const { return PropertyValue::Integer16(v); }
    PropertyValue Convert(std::int32_t v) const { return PropertyValue::Integer32(v); }
    PropertyValue Convert(float v) const { return PropertyValue::Floating32(v); }
    PropertyValue Convert(double v) const { return PropertyValue::Floating64(v); }
    PropertyValue Convert(msg::Currency v) const { return PropertyValue::Currency(v.value); }
    PropertyValue Convert(msg::FloatingTime v) const { return PropertyValue::FloatingTime(v.value); }
    PropertyValue Convert(msg::ErrorCode v) const { return PropertyValue::ErrorCode(v.value); }
    PropertyValue Convert(bool v) const { return PropertyValue::Boolean(v); }
    PropertyValue Convert(std::int64_t v) const { return PropertyValue::Integer64(v); }
    PropertyValue Convert(const msg::String8& v) const { return PropertyValue::String(Decode(v)); }
    PropertyValue Convert(const std::u16string& v) const { return PropertyValue::String(v); }
    PropertyValue Convert(msg::FileTime v) const { return PropertyValue::Time(v.value); }
    PropertyValue Convert(const msg::Guid& v) const { return PropertyValue::MakeGuid(ToPstGuid(v)); }
    PropertyValue Convert(const msg::Binary& v) const { return PropertyValue::Binary(v.bytes); }

    PropertyValue Convert(const std::vector<std::int16_t>& v) const { return Multi(PropertyType::MultipleInteger16, v); }
    PropertyValue Convert(const std::vector<std::int32_t>& v) const { return Multi(PropertyType::MultipleInteger32, v); }
    PropertyValue Convert(const std::vector<float>& v) const { return Multi(PropertyType::MultipleFloating32, v); }
    PropertyValue Convert(const std::vector<double>& v) const { return Multi(PropertyType::MultipleFloating64, v); }
    PropertyValue Convert(const std::vector<std::int64_t>& v) const { return Multi(PropertyType::MultipleInteger64, v); }
    PropertyValue Convert(const std::vector<std::u16string>& v) const { return Multi(PropertyType::MultipleString, v); }
    PropertyValue Convert(const std::vector<msg::Currency>& v) const {
        return Multi(PropertyType::MultipleCurrency, Map<std::int64_t>(v, [](auto x) { return x.value; }));
    }
    PropertyValue Convert(const std::vector<msg::FloatingTime>& v) const {
        return Multi(PropertyType::MultipleFloatingTime, Map<double>(v, [](auto x) { return x.value; }));
    }
    PropertyValue Convert(const std::vector<msg::FileTime>& v) const {
        return Multi(PropertyType::MultipleTime, Map<std::uint64_t>(v, [](auto x) { return x.value; }));
    }
    PropertyValue Convert(const std::vector<msg::String8>& v) const {
        return Multi(PropertyType::MultipleString, Map<std::u16string>(v, [this](const auto& x) { return Decode(x); }));
    }
    PropertyValue Convert(const std::vector<msg::Guid>& v) const {
        return Multi(PropertyType::MultipleGuid, Map<pst::Guid>(v, ToPstGuid));
    }
    PropertyValue Convert(const std::vector<msg::Binary>& v) const {
        return Multi(PropertyType::MultipleBinary,
                     Map<PropertyValue::Bytes>(v, [](const auto& x) { return x.bytes; }));
    }

    template <typename T>
    static PropertyValue Multi(PropertyType type, std::vector<T> values) {
        return PropertyValue::Multiple(type, std::move(values));
    }
    template <typename Out, typename In, typename F>
    static std::vector<Out> Map(const std::vector<In>& in, F f) {
        std::vector<Out> out;
        out.reserve(in.size());
        for (const In& x : in) out.push_back(f(x));
        return out;
    }
    std::u16string Decode(const msg::String8& s) const { return msg::DecodeCodePage(s.bytes, codePage_); }

    std::uint32_t codePage_;
};

class Importer {
public:
    Importer(const msg::NamedPropertyMap& fileNames, pst::NameToIdMap& storeNames)
        : fileNames_(fileNames), storeNames_(storeNames) {}

    pst::MessageContent Message(const msg::Message& message, std::uint32_t inheritedCodePage, int depth) {
        const std::uint32_t codePage = msg::CodePageOf(message.properties, inheritedCodePage);
        const ValueConverter convert(codePage);
        pst::MessageContent content;
        CopyProperties(message.properties, ImportedObject::Message, convert, content.properties);
        ShapeMessageProperties(content.properties);

        for (std::size_t i = 0; i < message.recipients.size(); ++i) {
            pst::PropertyBag bag;
            CopyProperties(message.recipients[i].properties, ImportedObject::Recipient, convert, bag);
            bag.Set(kPidTagRowid, PropertyValue::Integer32(static_cast<std::int32_t>(i)));
            content.recipients.push_back(std::move(bag));
        }
        for (const msg::Attachment& attachment : message.attachments)
            content.attachments.push_back(Attachment(attachment, convert, codePage, depth));
        return content;
    }

private:
    pst::AttachmentContent Attachment(const msg::Attachment& attachment, const ValueConverter& convert,
                                      std::uint32_t codePage, int depth) {
        pst::AttachmentContent out;
        CopyProperties(attachment.properties, ImportedObject::Attachment, convert, out.properties);
        ShapeAttachmentProperties(out.properties);
        if (attachment.embedded) {
            if (depth >= msg::kMaxEmbeddingDepth) throw StoreFailure(u"attached messages nest too deep");
            // The attached message lives in the attachment's object, not in a binary value.
            out.properties.Remove(pst::tags::kAttachDataBinary.id);
            out.embedded = std::make_shared<pst::MessageContent>(Message(*attachment.embedded, codePage, depth + 1));
        } else if (!attachment.customStorage.empty() && !out.properties.Find(pst::tags::kAttachDataBinary)) {
            // An OLE storage travels as the bytes of its own compound file.
            out.properties.Set(pst::tags::kAttachDataBinary.id, PropertyValue::Binary(attachment.customStorage));
        }
        return out;
    }

    void CopyProperties(const msg::PropertySet& from, ImportedObject object, const ValueConverter& convert,
                        pst::PropertyBag& to) {
        for (const auto& [tag, value] : from.All()) {
            if (IsExcludedFromImport(tag.id.value, object)) continue;
            if (tag.type == msg::PropertyType::Object) continue;  // objects are rebuilt, not copied
            // A named property the file gives no name means nothing in another store: left out.
            const std::optional<std::uint16_t> id = StoreId(tag.id);
            if (id) to.Set(*id, convert(value));
        }
    }

    std::optional<std::uint16_t> StoreId(msg::PropertyId id) {
        if (!id.IsNamed()) return id.value;
        const auto name = fileNames_.find(id);
        if (name == fileNames_.end()) return std::nullopt;
        pst::NamedProperty named{ToPstGuid(name->second.propertySet), std::nullopt, {}};
        if (name->second.IsNumeric()) named.number = std::get<std::uint32_t>(name->second.name);
        else named.name = std::get<std::u16string>(name->second.name);
        return storeNames_.IdFor(named);
    }

    const msg::NamedPropertyMap& fileNames_;
    pst::NameToIdMap& storeNames_;
};

// An import reads every stream of the file, so a file of usual size is read in one go rather
// than sector by sector; a large one is left to the reader's lazy streams.
constexpr std::uint64_t kReadWholeUpTo = 32 * 1024 * 1024;

// One buffer serves file after file, neither allocated nor zero-filled for each message. The
// message read from it owns its values, so the buffer is free again once it is read.
class ReadBuffer {
public:
    std::span<std::uint8_t> Take(std::size_t size) {
        if (size > capacity_) {
            capacity_ = std::max(size, capacity_ * 2);
            data_.reset(new std::uint8_t[capacity_]);  // uninitialised: every byte used is read first
        }
        return {data_.get(), size};
    }
    // A buffer grown for a rare large file is not kept.
    void Trim() {
        if (capacity_ > kKept) {
            data_.reset();
            capacity_ = 0;
        }
    }

private:
    static constexpr std::size_t kKept = 4 * 1024 * 1024;
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t capacity_ = 0;
};

msg::Message ReadWhole(fs::ReadableFile& file) {
    if (file.Size() > kReadWholeUpTo)
        return msg::ReadMessage(msg::cfb::CompoundFile(msg::cfb::DescriptorSource(file.Release(), file.Size())));
    thread_local ReadBuffer buffer;
    const std::span<std::uint8_t> bytes = buffer.Take(static_cast<std::size_t>(file.Size()));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(file.Descriptor(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error(std::string("read failed: ") + std::strerror(errno));
        if (n == 0) break;  // shorter than it was: the reader says what is missing
        done += static_cast<std::size_t>(n);
    }
    struct TrimAfter {
        ReadBuffer& b;
        ~TrimAfter() { b.Trim(); }
    } trim{buffer};
    return msg::ReadMessage(msg::cfb::CompoundFile(msg::cfb::ViewSource(bytes.first(done))));
}

}  // namespace

pst::MessageContent ImportedContent(const msg::Message& message, pst::NameToIdMap& names) {
    try {
        return Importer(message.namedProperties, names).Message(message, msg::kFallbackCodePage, 0);
    } catch (const pst::PstError& e) {
        throw StoreFailure(u"the message cannot be stored: " + FromNative(e.what()));
    }
}

pst::MessageContent ImportMsgFile(const std::filesystem::path& path, pst::NameToIdMap& names) {
    const std::u16string where = FromPath(path);
    // Opened by name relative to its folder, like the listing that found it, so no length
    // of path is too long; anything but a regular file is refused without being opened.
    fs::ReadableFile file = fs::ReadableFile::Open(where);
    if (!file.IsOpen()) throw StoreFailure(where + u" " + file.Problem());
    msg::Message message;
    try {
        message = ReadWhole(file);
    } catch (const std::bad_alloc&) {
        throw StoreFailure(where + u" could not be read: out of memory.");
    } catch (const std::exception& e) {
        throw StoreFailure(where + u" is not a readable .msg file: " + FromNative(e.what()));
    }
    // A failure takes back the names this message registered, so it leaves none in the store.
    const pst::NameToIdMap::Checkpoint before = names.Save();
    try {
        return ImportedContent(message, names);
    } catch (const StoreFailure& e) {
        names.RollBack(before);
        throw StoreFailure(where + u" could not be imported: " + e.Description());
    } catch (...) {
        names.RollBack(before);
        throw;
    }
}

}  // namespace ferrowick
