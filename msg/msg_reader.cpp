// [MS-OXMSG 2.1 Properties, 2.2 Storages, 2.4 Property Stream] .msg reader.
#include "msg/msg_reader.hpp"

#include <algorithm>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "bytes/little_endian.hpp"
#include "msg/cfb/entry_name.hpp"
#include "msg/cfb/writer.hpp"
#include "msg/code_page.hpp"
#include "msg/compressed_rtf.hpp"
#include "msg/message.hpp"
#include "msg/msg_error.hpp"
#include "msg/named_property_storage.hpp"
#include "msg/property_codec.hpp"
#include "msg/property_stream.hpp"
#include "msg/stream_names.hpp"
#include "msg/streamed_value.hpp"

namespace ferrowick::msg {
namespace {

using cfb::CompoundFile;
using cfb::DirectoryEntryId;

std::u16string UpperName(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& c : out) c = cfb::UpperCaseForNames(c);
    return out;
}

// The children of one storage by upper-cased name and kind, from the index the directory
// built once. Of duplicate names (a damaged directory) the first in tree order counts.
class StorageIndex {
public:
    StorageIndex(const CompoundFile& file, DirectoryEntryId storage)
        : names_(file.Names()), storage_(storage), count_(file.Children(storage).size()) {}
    std::optional<DirectoryEntryId> Stream(std::u16string_view name) const {
        return names_.Find(storage_, name, false);
    }
    std::optional<DirectoryEntryId> Storage(std::u16string_view name) const {
        return names_.Find(storage_, name, true);
    }
    std::size_t Count() const { return count_; }
    // Each name and kind once, in the index's order.
    std::span<const DirectoryEntryId> All() const { return names_.Sorted(storage_); }
    std::u16string_view UpperName(DirectoryEntryId id) const { return names_.UpperName(id); }
    bool IsStorage(DirectoryEntryId id) const { return names_.IsStorage(id); }

private:
    const cfb::ChildNameIndex& names_;
    DirectoryEntryId storage_;
    std::size_t count_ = 0;
};

// A message's body in any form, and the content of an attachment.
bool IsAttachmentData(std::uint16_t id) { return id == tags::kAttachDataBinary.id; }
bool IsContent(std::uint16_t id) {
    return id == tags::kBody.id || id == tags::kRtfCompressed.id || id == tags::kHtml.id || IsAttachmentData(id);
}

// Values a store can take as a stream: text and binary of an ID that is not named (a named
// one gets the store's own ID, and its value is small in practice).
bool IsStreamable(PropertyTag tag) {
    return tag.id < PropertyTag::kFirstNamedId &&
           (tag.type == PropertyType::String || tag.type == PropertyType::String8 || tag.type == PropertyType::Binary);
}

// Enough compressed RTF for the decompressed header RtfAnsiCodePage looks at (8 KB): at worst
// nine bytes give eight.
constexpr std::size_t kRtfStartBytes = 16 * 1024;

// The tags of one object read so far: a few dozen, kept sorted in one vector, which costs far
// less than a tree's node for each.
class TagsSeen {
public:
    explicit TagsSeen(std::size_t expected) { tags_.reserve(expected); }
    // False when the tag was there already.
    bool Insert(PropertyTag tag) {
        const auto at = std::lower_bound(tags_.begin(), tags_.end(), tag);
        if (at != tags_.end() && *at == tag) return false;
        tags_.insert(at, tag);
        return true;
    }

private:
    std::vector<PropertyTag> tags_;
};

class Reader {
public:
    // Streams of a sound file never overlap, so together they hold less than the file. A
    // damaged directory may point many entries at one chain: the budget stops that from
    // turning a small file into unbounded memory and time.
    explicit Reader(const CompoundFile& file, std::uint64_t streamAbove = UINT64_MAX)
        : file_(file), budget_(2 * file.FileSize() + (1u << 20)), streamAbove_(streamAbove) {}

    Message Read() {
        Message m = ReadMessageAt(file_.Root(), PropertyStreamKind::TopLevelMessage, 0, kFallbackCodePage);
        StorageIndex root(file_, file_.Root());
        if (auto nameid = root.Storage(names::kNamedPropertyStorage)) {
            StorageIndex index(file_, *nameid);
            NamedPropertyStreams streams;
            if (auto s = index.Stream(names::kGuidStream)) streams.guids = Read(*s);
            if (auto s = index.Stream(names::kEntryStream)) streams.entries = Read(*s);
            if (auto s = index.Stream(names::kStringStream)) streams.strings = Read(*s);
            m.namedProperties = streams.Decode();
        }
        return m;
    }

private:
    Message ReadMessageAt(DirectoryEntryId storage, PropertyStreamKind kind, int depth,
                          std::uint32_t inheritedCodePage) {
        if (depth > kMaxEmbeddingDepth)
            throw MsgError(ErrorKind::LimitExceeded,
                           "embedded messages nest deeper than " + std::to_string(kMaxEmbeddingDepth) + " levels");
        StorageIndex index(file_, storage);
        const auto streamId = index.Stream(names::kPropertyStream);
        if (!streamId)
            throw MsgError(ErrorKind::UnsupportedFormat, "no property stream: not a .msg file, or a damaged one");
        const PropertyStream stream = PropertyStream::Parse(Read(*streamId), kind);
        const PropertySet fixed = FixedValues(stream);
        const std::uint32_t codePage = CodePageOf(fixed, inheritedCodePage);
        const CodePages codePages = CandidateCodePages(codePage, fixed, RtfCodePage(index));

        Message m;
        m.properties = ReadProperties(index, stream, codePages, &m.streamed);
        std::vector<std::pair<std::uint32_t, DirectoryEntryId>> recipients, attachments;
        for (const DirectoryEntryId id : index.All()) {
            if (!index.IsStorage(id)) continue;
            const std::u16string_view name = index.UpperName(id);
            std::uint32_t number = 0;
            if (names::ParseIndexedName(name, names::kRecipientPrefix, number))
                recipients.emplace_back(number, id);
            else if (names::ParseIndexedName(name, names::kAttachmentPrefix, number))
                attachments.emplace_back(number, id);
        }
        std::sort(recipients.begin(), recipients.end());
        std::sort(attachments.begin(), attachments.end());
        for (const auto& [number, id] : recipients) m.recipients.push_back(Recipient{ReadSubObject(id, codePages)});
        for (const auto& [number, id] : attachments) m.attachments.push_back(ReadAttachment(id, depth, codePages));
        return m;
    }

    PropertySet ReadSubObject(DirectoryEntryId storage, const CodePages& codePages, bool attachment = false,
                              mapi::StreamedValues* streamed = nullptr) {
        StorageIndex index(file_, storage);
        const auto streamId = index.Stream(names::kPropertyStream);
        if (!streamId) {
            if (attachment)
                throw MsgError(ErrorKind::CorruptStructure,
                               "an attachment cannot be read: its property stream is not in the file");
            return {};
        }
        const PropertyStream stream = PropertyStream::Parse(Read(*streamId), PropertyStreamKind::RecipientOrAttachment);
        inAttachment_ = attachment;
        PropertySet set = ReadProperties(index, stream, codePages, streamed);
        inAttachment_ = false;
        return set;
    }

    Attachment ReadAttachment(DirectoryEntryId storage, int depth, const CodePages& codePages) {
        Attachment a;
        a.properties = ReadSubObject(storage, codePages, true, &a.streamed);
        a.data = std::move(streamed_);
        StorageIndex index(file_, storage);
        const auto object = index.Storage(names::kEmbeddedMessageStorage);
        const std::int32_t* method = a.properties.Get<std::int32_t>(tags::kAttachMethod);
        if (!object) {
            if (method && *method == tags::kAttachEmbeddedMessage)
                throw MsgError(ErrorKind::CorruptStructure,
                               "an attached message is missing: its storage is not in the file");
            return a;
        }
        const bool looksLikeMessage = StorageIndex(file_, *object).Stream(names::kPropertyStream).has_value();
        if ((method && *method == tags::kAttachEmbeddedMessage) || (!method && looksLikeMessage)) {
            a.embedded = std::make_shared<Message>(
                ReadMessageAt(*object, PropertyStreamKind::EmbeddedMessage, depth + 1, codePages.front()));
        } else {
            cfb::CompoundFileWriter copy;
            CopyStorage(*object, copy, cfb::CompoundFileWriter::kRoot);
            a.customStorage = copy.Finish();
        }
        return a;
    }

    // A custom attachment storage, copied entry by entry. Entries a compound file cannot hold
    // twice or at all (clashing or malformed names in a damaged file) are left out.
    void CopyStorage(DirectoryEntryId from, cfb::CompoundFileWriter& to, cfb::CompoundFileWriter::NodeId into,
                     int depth = 0) {
        if (depth > kMaxEmbeddingDepth) throw MsgError(ErrorKind::LimitExceeded, "attachment storage nests too deep");
        std::set<std::u16string> taken;
        for (DirectoryEntryId id : file_.Children(from)) {
            const cfb::DirectoryEntry& e = file_.Entry(id);
            if (!cfb::CompoundFileWriter::AcceptsName(e.name)) continue;
            if (!taken.insert(UpperName(e.name)).second) continue;
            if (e.IsStorage())
                CopyStorage(id, to, to.AddStorage(into, e.name), depth + 1);
            else
                to.AddStream(into, e.name, Read(id));
        }
    }

    // The code page the RTF body's header declares, when the message has an RTF body.
    std::optional<std::uint32_t> RtfCodePage(const StorageIndex& index) {
        const auto stream = index.Stream(names::ValueStream(tags::kRtfCompressed));
        if (!stream) return std::nullopt;
        const cfb::StreamReader reader = file_.OpenStream(*stream);
        std::vector<std::uint8_t> start(
            static_cast<std::size_t>(std::min<std::uint64_t>(reader.Size(), kRtfStartBytes)));
        reader.ReadAt(0, start);
        return RtfAnsiCodePage(start);
    }

    // Only the fixed-size values, enough to find the code page before strings are decoded.
    static PropertySet FixedValues(const PropertyStream& stream) {
        PropertySet set;
        for (const PropertyEntry& e : stream.entries)
            if (auto v = DecodeFixed(e.tag.type, e.value)) set.Set(e.tag, std::move(*v));
        return set;
    }

    void ReadValue(const StorageIndex& index, PropertyTag tag, const CodePages& codePages, PropertySet& out,
                   mapi::StreamedValues* streamed) {
        const PropertyType type = tag.type;
        if (type == PropertyType::Object) return;  // storages: embedded messages are read apart
        const auto stream = index.Stream(names::ValueStream(tag));
        if (!stream) {
            // Writers leave out the streams of some properties they list; a body or an
            // attachment's content is never one of them, and losing it would go unnoticed.
            if (IsContent(tag.id))
                throw MsgError(ErrorKind::CorruptStructure,
                               "the " +
                                   std::string(IsAttachmentData(tag.id) ? "attachment's content" : "message body") +
                                   " (property " + ToString(tag) + ") is missing: its stream is not in the file");
            return;
        }
        cfb::StreamReader reader = file_.OpenStream(*stream);
        if (reader.Size() > streamAbove_) {
            if (type == PropertyType::Binary && IsAttachmentData(tag.id) && inAttachment_ && !streamed_) {
                streamed_ = StreamedBinary(Checked(std::move(reader)));
                return;
            }
            if (streamed && IsStreamable(tag)) {
                if (type == PropertyType::String8) {
                    const PropertyTag text{tag.id, PropertyType::String};
                    if (out.Find(text)) return;  // the Unicode value wins
                    (*streamed)[tag.id] = StreamedDecoded(Checked(std::move(reader)), codePages);
                    out.Set(text, PropertyValue::String({}));
                } else if (type == PropertyType::String) {
                    (*streamed)[tag.id] = StreamedUtf16(Checked(std::move(reader)));
                    out.Set(tag, PropertyValue::String({}));
                } else {
                    (*streamed)[tag.id] = StreamedBinary(Checked(std::move(reader)));
                    out.Set(tag, PropertyValue::Binary({}));
                }
                return;
            }
        }
        const std::vector<std::uint8_t> bytes = ReadAll(reader);
        switch (type) {
            case PropertyType::String:
                out.Set(tag, DecodeUtf16(bytes));
                if (streamed) streamed->erase(tag.id);  // in place of 8-bit text streamed before
                return;
            case PropertyType::String8:
                SetDecoded(out, PropertyTag{tag.id, PropertyType::String},
                           PropertyValue::String(Decode8(bytes, codePages)));
                return;
            case PropertyType::Binary:
                out.Set(tag, bytes);
                return;
            case PropertyType::Guid:
                if (bytes.size() >= 16) out.Set(tag, *DecodeFixedGuid(bytes));
                return;
            case PropertyType::MultipleString:
            case PropertyType::MultipleString8:
            case PropertyType::MultipleBinary:
                ReadMultiVariable(index, tag, bytes, codePages, out);
                return;
            default:
                if (auto v = DecodeMultiFixed(type, bytes)) out.Set(tag, std::move(*v));
                return;
        }
    }

    static std::optional<Guid> DecodeFixedGuid(const std::vector<std::uint8_t>& bytes) {
        Guid g;
        std::copy(bytes.begin(), bytes.begin() + 16, g.bytes.begin());
        return g;
    }

    static std::u16string Decode8(const std::vector<std::uint8_t>& bytes, const CodePages& codePages) {
        std::size_t n = bytes.size();
        while (n > 0 && bytes[n - 1] == 0) --n;
        return DecodeByFirstFitting(std::string_view(reinterpret_cast<const char*>(bytes.data()), n), codePages);
    }

    // A Unicode value of the same id wins over one decoded from 8-bit text.
    static void SetDecoded(PropertySet& out, PropertyTag tag, PropertyValue value) {
        if (!out.Find(tag)) out.Set(tag, std::move(value));
    }

    // [MS-OXMSG 2.1.4.2] A length stream, then one stream per element.
    void ReadMultiVariable(const StorageIndex& index, PropertyTag tag, const std::vector<std::uint8_t>& lengths,
                           const CodePages& codePages, PropertySet& out) {
        const bool binary = tag.type == PropertyType::MultipleBinary;
        const std::size_t count = lengths.size() / (binary ? 8 : 4);
        if (count > index.Count()) return;  // each element needs a stream of its own
        std::vector<std::vector<std::uint8_t>> elements;
        elements.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto element = index.Stream(names::ElementStream(tag, i));
            elements.push_back(element ? Read(*element) : std::vector<std::uint8_t>{});
        }
        if (binary) {
            out.Set(tag, std::move(elements));
            return;
        }
        std::vector<std::u16string> values;
        for (const auto& e : elements)
            values.push_back(tag.type == PropertyType::MultipleString ? DecodeUtf16(e) : Decode8(e, codePages));
        if (tag.type == PropertyType::MultipleString)
            out.Set(tag, std::move(values));
        else
            SetDecoded(out, PropertyTag{tag.id, PropertyType::MultipleString},
                       PropertyValue::Multiple(PropertyType::MultipleString, std::move(values)));
    }

    PropertySet ReadProperties(const StorageIndex& index, const PropertyStream& stream, const CodePages& codePages,
                               mapi::StreamedValues* streamed = nullptr) {
        PropertySet set;
        TagsSeen listed(stream.entries.size());
        for (const PropertyEntry& e : stream.entries) {
            if (!listed.Insert(e.tag)) continue;  // a repeated entry is read once
            if (auto v = DecodeFixed(e.tag.type, e.value))
                set.Set(e.tag, std::move(*v));
            else
                ReadValue(index, e.tag, codePages, set, streamed);
        }
        // Some writers leave variable-size properties out of the property stream; their
        // value streams still say what they are.
        for (const DirectoryEntryId id : index.All()) {
            PropertyTag tag;
            if (index.IsStorage(id) || !names::ParseValueStreamName(index.UpperName(id), tag)) continue;
            const PropertyType t = tag.type;
            if (t != PropertyType::String && t != PropertyType::String8 && t != PropertyType::Binary) continue;
            if (!listed.Insert(tag)) continue;
            ReadValue(index, tag, codePages, set, streamed);
        }
        return set;
    }

    std::vector<std::uint8_t> Read(DirectoryEntryId id) { return ReadAll(file_.OpenStream(id)); }

    std::vector<std::uint8_t> ReadAll(const cfb::StreamReader& stream) {
        Spend(stream.Size());
        return stream.ReadAll();
    }

    // A stream to be read when it is written: its damage is found now, before any of it is stored.
    cfb::StreamReader Checked(cfb::StreamReader stream) {
        Spend(stream.Size());
        stream.CheckChain();
        return stream;
    }

    void Spend(std::uint64_t size) {
        if (size > budget_)
            throw MsgError(ErrorKind::CorruptStructure,
                           "streams add up to more than the file holds: the directory is damaged");
        budget_ -= size;
    }

    const CompoundFile& file_;
    std::uint64_t budget_;
    std::uint64_t streamAbove_;
    // The content of the attachment being read, when streamed; taken by ReadAttachment.
    std::shared_ptr<const mapi::ByteStream> streamed_;
    bool inAttachment_ = false;
};

}  // namespace

CodePages CandidateCodePages(std::uint32_t declared, const PropertySet& raw, std::optional<std::uint32_t> rtfCodePage) {
    CodePages candidates{declared};
    const auto add = [&](std::uint32_t cp) {
        if (cp != 0 && cp != 1200 && IsKnownCodePage(cp) &&
            std::find(candidates.begin(), candidates.end(), cp) == candidates.end())
            candidates.push_back(cp);
    };
    if (const std::int32_t* cp = raw.Get<std::int32_t>(tags::kMessageCodepage)) add(static_cast<std::uint32_t>(*cp));
    if (rtfCodePage) add(*rtfCodePage);
    add(kFallbackCodePage);
    return candidates;
}

std::uint32_t CodePageOf(const PropertySet& raw, std::uint32_t inherited) {
    for (PropertyTag tag : {tags::kMessageCodepage, tags::kInternetCodepage}) {
        if (const std::int32_t* cp = raw.Get<std::int32_t>(tag)) {
            const auto value = static_cast<std::uint32_t>(*cp);
            if (value != 0 && value != 1200 && IsKnownCodePage(value)) return value;
        }
    }
    return inherited;
}

Message ReadMessage(const cfb::CompoundFile& file) { return Reader(file).Read(); }

Message ReadMessage(const cfb::CompoundFile& file, std::uint64_t streamAbove) {
    return Reader(file, streamAbove).Read();
}

Message ReadMessage(const std::filesystem::path& path) { return ReadMessage(CompoundFile::Open(path)); }

Message ReadMessage(std::vector<std::uint8_t> bytes) { return ReadMessage(CompoundFile::FromBytes(std::move(bytes))); }

}  // namespace ferrowick::msg
