// [MS-OXMSG 2.1 Properties, 2.2 Storages, 2.4 Property Stream] .msg writer.
#include "msg/msg_writer.hpp"

#include <fstream>

#include "bytes/little_endian.hpp"
#include "msg/cfb/compound_file.hpp"
#include "msg/cfb/writer.hpp"
#include "msg/message.hpp"
#include "msg/msg_error.hpp"
#include "msg/msg_reader.hpp"
#include "msg/named_property_storage.hpp"
#include "msg/property_codec.hpp"
#include "msg/property_stream.hpp"
#include "msg/stream_names.hpp"

namespace ferrowick::msg {
namespace {

using cfb::CompoundFileWriter;
using NodeId = CompoundFileWriter::NodeId;

std::vector<std::uint8_t> Bytes8(const std::string& s) {
    std::vector<std::uint8_t> out(s.begin(), s.end());
    out.push_back(0);
    return out;
}

class Writer {
public:
    std::vector<std::uint8_t> Write(const Message& m) {
        const NamedPropertyStreams named = NamedPropertyStreams::Encode(m.namedProperties);
        const NodeId nameid = cf_.AddStorage(CompoundFileWriter::kRoot, std::u16string(names::kNamedPropertyStorage));
        cf_.AddStream(nameid, std::u16string(names::kGuidStream), named.guids);
        cf_.AddStream(nameid, std::u16string(names::kEntryStream), named.entries);
        cf_.AddStream(nameid, std::u16string(names::kStringStream), named.strings);
        WriteMessageAt(CompoundFileWriter::kRoot, m, PropertyStreamKind::TopLevelMessage, 0);
        return cf_.Finish();
    }

private:
    void WriteMessageAt(NodeId storage, const Message& m, PropertyStreamKind kind, int depth) {
        if (depth > kMaxEmbeddingDepth)
            throw MsgError(ErrorKind::LimitExceeded, "embedded messages nest deeper than the reader accepts");
        PropertyStream stream;
        stream.kind = kind;
        stream.recipientCount = stream.nextRecipientId = static_cast<std::uint32_t>(m.recipients.size());
        stream.attachmentCount = stream.nextAttachmentId = static_cast<std::uint32_t>(m.attachments.size());
        WriteProperties(storage, m.properties, stream);
        for (std::uint32_t i = 0; i < m.recipients.size(); ++i) {
            const NodeId r = cf_.AddStorage(storage, names::RecipientStorage(i));
            PropertyStream sub;
            WriteProperties(r, m.recipients[i].properties, sub);
        }
        for (std::uint32_t i = 0; i < m.attachments.size(); ++i) {
            const Attachment& a = m.attachments[i];
            const NodeId at = cf_.AddStorage(storage, names::AttachmentStorage(i));
            PropertyStream sub;
            if (a.embedded) {
                PropertySet props = a.properties;
                if (!props.Find(tags::kAttachMethod)) props.Set(tags::kAttachMethod, tags::kAttachEmbeddedMessage);
                PropertyEntry object;
                object.tag = tags::kAttachDataObject;
                le::StoreU32(object.value.data(), 0xFFFFFFFF);
                sub.entries.push_back(object);
                WriteProperties(at, props, sub);
                const NodeId inner = cf_.AddStorage(at, std::u16string(names::kEmbeddedMessageStorage));
                WriteMessageAt(inner, *a.embedded, PropertyStreamKind::EmbeddedMessage, depth + 1);
            } else {
                WriteProperties(at, a.properties, sub);
                if (!a.customStorage.empty()) {
                    const cfb::CompoundFile custom = cfb::CompoundFile::FromBytes(a.customStorage);
                    CopyStorage(custom, custom.Root(),
                                cf_.AddStorage(at, std::u16string(names::kEmbeddedMessageStorage)));
                }
            }
        }
    }

    void CopyStorage(const cfb::CompoundFile& from, cfb::DirectoryEntryId storage, NodeId into, int depth = 0) {
        if (depth > kMaxEmbeddingDepth) throw MsgError(ErrorKind::LimitExceeded, "attachment storage nests too deep");
        for (cfb::DirectoryEntryId id : from.Children(storage)) {
            const cfb::DirectoryEntry& e = from.Entry(id);
            if (e.IsStorage())
                CopyStorage(from, id, cf_.AddStorage(into, e.name), depth + 1);
            else
                cf_.AddStream(into, e.name, from.OpenStream(id).ReadAll());
        }
    }

    // Adds the entries of `props` to `stream`, writes their value streams and the property
    // stream itself under `storage`.
    void WriteProperties(NodeId storage, const PropertySet& props, PropertyStream& stream) {
        for (const auto& [tag, value] : props) {
            PropertyEntry e;
            e.tag = tag;
            if (IsFixedSize(tag.type)) {
                e.value = EncodeFixed(value);
            } else {
                const std::uint32_t size = WriteValueStreams(storage, tag, value);
                le::StoreU32(e.value.data(), size);
            }
            stream.entries.push_back(e);
        }
        cf_.AddStream(storage, std::u16string(names::kPropertyStream), stream.Serialize());
    }

    // Returns the size the property entry records.
    std::uint32_t WriteValueStreams(NodeId storage, PropertyTag tag, const PropertyValue& value) {
        std::vector<std::uint8_t> bytes;
        if (auto s = value.If<std::u16string>()) {
            bytes = EncodeUtf16(*s);
        } else if (auto s8 = value.If<std::string>()) {
            bytes = Bytes8(*s8);
        } else if (auto b = value.If<PropertyValue::Bytes>()) {
            bytes = *b;
        } else if (auto g = value.If<mapi::Guid>()) {
            bytes.assign(g->bytes.begin(), g->bytes.end());
        } else if (auto list = value.If<std::vector<std::u16string>>()) {
            for (std::uint32_t i = 0; i < list->size(); ++i) {
                std::vector<std::uint8_t> element = EncodeUtf16((*list)[i]);
                le::AppendU32(bytes, static_cast<std::uint32_t>(element.size()));
                cf_.AddStream(storage, names::ElementStream(tag, i), std::move(element));
            }
        } else if (auto list8 = value.If<std::vector<std::string>>()) {
            for (std::uint32_t i = 0; i < list8->size(); ++i) {
                std::vector<std::uint8_t> element = Bytes8((*list8)[i]);
                le::AppendU32(bytes, static_cast<std::uint32_t>(element.size()));
                cf_.AddStream(storage, names::ElementStream(tag, i), std::move(element));
            }
        } else if (auto binaries = value.If<std::vector<PropertyValue::Bytes>>()) {
            for (std::uint32_t i = 0; i < binaries->size(); ++i) {
                le::AppendU32(bytes, static_cast<std::uint32_t>((*binaries)[i].size()));
                le::AppendU32(bytes, 0);
                cf_.AddStream(storage, names::ElementStream(tag, i), (*binaries)[i]);
            }
        } else {
            bytes = EncodeMultiFixed(value);
        }
        const auto size = static_cast<std::uint32_t>(bytes.size());
        cf_.AddStream(storage, names::ValueStream(tag), std::move(bytes));
        return size;
    }

    CompoundFileWriter cf_;
};

}  // namespace

std::vector<std::uint8_t> WriteMessage(const Message& message) { return Writer().Write(message); }

void WriteMessageFile(const Message& message, const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = WriteMessage(message);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw MsgError(ErrorKind::Io, "cannot write " + path.string());
}

}  // namespace ferrowick::msg
