// The properties a .msg holds [MS-OXMSG 2.4] move into a .pst's message [MS-PST 2.3.3] as
// they are, less those the store owns; named properties [MS-OXCDATA 2.6.1] go through the store's
// name-to-ID map [MS-PST 2.4.7]; attached messages become message objects [MS-PST 2.4.6.2].
#include "store/msg_import.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <vector>

#include "fs/readable_file.hpp"
#include "fs/text.hpp"
#include "mapi/property_error.hpp"
#include "msg/code_page.hpp"
#include "msg/message.hpp"
#include "msg/msg_reader.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/table_templates.hpp"
#include "pst/pst_error.hpp"
#include "seams/store_service.hpp"
#include "store/excluded_properties.hpp"
#include "store/outlook_message_form.hpp"

namespace ferrowick {
namespace {

using pst::PropertyType;
using pst::PropertyValue;

// The message's property sets move into the store's message as they are: what changes on the
// way is taken out or renumbered in place.
class Importer {
public:
    Importer(const msg::NamedPropertyMap& fileNames, pst::NameToIdMap& storeNames)
        : fileNames_(fileNames), storeNames_(storeNames) {}

    pst::MessageContent Message(msg::Message&& message, std::uint32_t inheritedCodePage, int depth) {
        const std::uint32_t codePage = msg::CodePageOf(message.properties, inheritedCodePage);
        pst::MessageContent content;
        content.properties = Imported(std::move(message.properties), ImportedObject::Message, codePage);
        content.streamed = Kept(std::move(message.streamed), content.properties, MessageValuesHeldWhole());
        ShapeMessageProperties(content.properties, content.streamed);
        content.streamed = Kept(std::move(content.streamed), content.properties, {});

        content.recipients.reserve(message.recipients.size());
        for (std::size_t i = 0; i < message.recipients.size(); ++i) {
            pst::PropertyBag bag =
                Imported(std::move(message.recipients[i].properties), ImportedObject::Recipient, codePage);
            bag.Set(pst::tags::kRowid.id, PropertyValue::Integer32(static_cast<std::int32_t>(i)));
            content.recipients.push_back(std::move(bag));
        }
        content.attachments.reserve(message.attachments.size());
        for (msg::Attachment& attachment : message.attachments)
            content.attachments.push_back(Attachment(std::move(attachment), codePage, depth));
        return content;
    }

private:
    pst::AttachmentContent Attachment(msg::Attachment&& attachment, std::uint32_t codePage, int depth) {
        pst::AttachmentContent out;
        out.properties = Imported(std::move(attachment.properties), ImportedObject::Attachment, codePage);
        out.streamed = Kept(std::move(attachment.streamed), out.properties, AttachmentValuesHeldWhole());
        ShapeAttachmentProperties(out.properties);
        out.streamed = Kept(std::move(out.streamed), out.properties, {});
        if (attachment.embedded) {
            if (depth >= msg::kMaxEmbeddingDepth) throw StoreFailure(u"attached messages nest too deep");
            // The attached message lives in the attachment's object, not in a binary value.
            out.properties.Remove(pst::tags::kAttachDataBinary.id);
            out.embedded =
                std::make_shared<pst::MessageContent>(Message(std::move(*attachment.embedded), codePage, depth + 1));
        } else if (attachment.data) {
            out.data = std::move(attachment.data);
        } else if (!attachment.customStorage.empty() && !out.properties.Find(pst::tags::kAttachDataBinary)) {
            // An OLE storage travels as the bytes of its own compound file.
            out.properties.Set(pst::tags::kAttachDataBinary.id,
                               PropertyValue::Binary(std::move(attachment.customStorage)));
        }
        return out;
    }

    pst::PropertyBag Imported(mapi::PropertySet&& set, ImportedObject object, std::uint32_t codePage) {
        set.Rewrite([&](mapi::Property& p) {
            if (IsExcludedFromImport(p.tag.id, object)) return false;
            if (p.tag.type == PropertyType::Object) return false;  // objects are rebuilt, not copied
            // A named property the file gives no name means nothing in another store: left out.
            const std::optional<std::uint16_t> id = StoreId(p.tag.id);
            if (!id) return false;
            p.tag.id = *id;
            DecodeString8(p, codePage);
            return true;
        });
        return std::move(set);
    }

    // The values the store reads itself, to shape a message or fill its row in a table: small
    // in any real file, so held whole whatever the reader streamed.
    static const std::set<std::uint16_t>& MessageValuesHeldWhole() {
        static const std::set<std::uint16_t> ids = [] {
            std::set<std::uint16_t> out{pst::tags::kSubject.id,           pst::tags::kSubjectPrefix.id,
                                        pst::tags::kNormalizedSubject.id, pst::tags::kDisplayBcc.id,
                                        pst::tags::kDisplayCc.id,         pst::tags::kDisplayTo.id,
                                        pst::tags::kConversationIndex.id};
            for (const pst::PropertyTag& tag : pst::ContentsTableColumns()) out.insert(tag.id);
            return out;
        }();
        return ids;
    }
    static const std::set<std::uint16_t>& AttachmentValuesHeldWhole() {
        static const std::set<std::uint16_t> ids = [] {
            std::set<std::uint16_t> out;
            for (const pst::PropertyTag& tag : pst::AttachmentTableColumns()) out.insert(tag.id);
            return out;
        }();
        return ids;
    }

    // The streamed values whose stand-ins the import kept, less those in `holdWhole`, which
    // take the place of their stand-ins read whole.
    static pst::StreamedValues Kept(pst::StreamedValues&& streamed, pst::PropertyBag& bag,
                                    const std::set<std::uint16_t>& holdWhole) {
        for (auto it = streamed.begin(); it != streamed.end();) {
            const mapi::Property* standIn = bag.FindId(it->first);
            if (!standIn || !it->second) {
                it = streamed.erase(it);
                continue;
            }
            if (!holdWhole.contains(it->first)) {
                ++it;
                continue;
            }
            const mapi::ByteStream& stream = *it->second;
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
            try {
                stream.ReadAt(0, bytes);
            } catch (const std::exception& e) {
                throw StoreFailure(u"a property cannot be read: " + FromNative(e.what()));
            }
            if (standIn->tag.type == PropertyType::String) {
                std::u16string text(bytes.size() / 2, u'\0');
                for (std::size_t i = 0; i < text.size(); ++i)
                    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
                bag.Set(it->first, PropertyValue::String(std::move(text)));
            } else {
                bag.Set(it->first, PropertyValue::Binary(std::move(bytes)));
            }
            it = streamed.erase(it);
        }
        return std::move(streamed);
    }

    // The reader decodes 8-bit text; a message made in memory may still hold some, which the
    // store keeps as Unicode in the message's code page.
    static void DecodeString8(mapi::Property& p, std::uint32_t codePage) {
        if (p.tag.type == PropertyType::String8) {
            p.tag.type = PropertyType::String;
            p.value = PropertyValue::String(msg::DecodeCodePage(p.value.As<std::string>(), codePage));
        } else if (p.tag.type == PropertyType::MultipleString8) {
            std::vector<std::u16string> texts;
            for (const std::string& text : p.value.As<std::vector<std::string>>())
                texts.push_back(msg::DecodeCodePage(text, codePage));
            p.tag.type = PropertyType::MultipleString;
            p.value = PropertyValue::Multiple(PropertyType::MultipleString, std::move(texts));
        }
    }

    std::optional<std::uint16_t> StoreId(std::uint16_t id) {
        if (id < mapi::PropertyTag::kFirstNamedId) return id;
        const auto name = fileNames_.find(id);
        if (name == fileNames_.end()) return std::nullopt;
        pst::NamedProperty named{name->second.propertySet, std::nullopt, {}};
        if (name->second.IsNumeric())
            named.number = std::get<std::uint32_t>(name->second.name);
        else
            named.name = std::get<std::u16string>(name->second.name);
        return storeNames_.IdFor(named);
    }

    const msg::NamedPropertyMap& fileNames_;
    pst::NameToIdMap& storeNames_;
};

// An import reads every stream of the file, so a file of usual size is read in one go rather
// than sector by sector; a larger one is left to the reader's lazy streams, which cost no
// more once its content is mostly large values (those are streamed). The bound is the read
// buffer's kept size, so the buffer never grows for a file.
constexpr std::uint64_t kReadWholeUpTo = 4 * 1024 * 1024;
// Values above this (attachment content, bodies) are copied from the file into the store as
// they are written, never held whole.
constexpr std::uint64_t kStreamValuesAbove = 1024 * 1024;

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
    static constexpr std::size_t kKept = kReadWholeUpTo;
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t capacity_ = 0;
};

msg::Message ReadWhole(fs::ReadableFile& file) {
    if (file.Size() > kReadWholeUpTo)
        return msg::ReadMessage(msg::cfb::CompoundFile(msg::cfb::DescriptorSource(file.Release(), file.Size())),
                                kStreamValuesAbove);
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

pst::MessageContent ImportedContent(msg::Message&& message, pst::NameToIdMap& names) {
    try {
        return Importer(message.namedProperties, names).Message(std::move(message), msg::kFallbackCodePage, 0);
    } catch (const pst::PstError& e) {
        throw StoreFailure(u"the message cannot be stored: " + FromNative(e.what()));
    } catch (const mapi::PropertyError& e) {
        throw StoreFailure(u"the message cannot be stored: " + FromNative(e.what()));
    }
}

namespace {

msg::Message ReadOpened(fs::ReadableFile& file, const std::u16string& where) {
    try {
        return ReadWhole(file);
    } catch (const std::bad_alloc&) {
        throw StoreFailure(where + u" could not be read: out of memory.");
    } catch (const std::exception& e) {
        throw StoreFailure(where + u" is not a readable .msg file: " + FromNative(e.what()));
    }
}

// Opened by name relative to its folder, like the listing that found it, so no length of path
// is too long; anything but a regular file is refused without being opened.
fs::ReadableFile OpenMsgFile(const std::u16string& where) {
    fs::ReadableFile file = fs::ReadableFile::Open(where);
    if (!file.IsOpen()) throw StoreFailure(where + u" " + file.Problem());
    return file;
}

}  // namespace

msg::Message ReadMsgFile(const std::u16string& path) {
    fs::ReadableFile file = OpenMsgFile(path);
    return ReadOpened(file, path);
}

std::optional<msg::Message> ReadMsgFileHeldWhole(const std::u16string& path) {
    fs::ReadableFile file = OpenMsgFile(path);
    if (file.Size() > kReadWholeUpTo) return std::nullopt;
    return ReadOpened(file, path);
}

pst::MessageContent ImportReadMessage(const std::u16string& path, msg::Message&& message, pst::NameToIdMap& names) {
    // A failure takes back the names this message registered, so it leaves none in the store.
    const pst::NameToIdMap::Checkpoint before = names.Save();
    try {
        return ImportedContent(std::move(message), names);
    } catch (const StoreFailure& e) {
        names.RollBack(before);
        throw StoreFailure(path + u" could not be imported: " + e.Description());
    } catch (...) {
        names.RollBack(before);
        throw;
    }
}

}  // namespace ferrowick
