// Property context [MS-PST 2.3.3].
#include "pst/ltp/property_context.hpp"

#include <cstring>
#include <string>

#include "pst/ltp/bth.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/value_storage.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr std::size_t kKeySize = 2;   // wPropId
constexpr std::size_t kDataSize = 6;  // wPropType, dwValueHnid

std::string PropText(std::uint16_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", id);
    return text;
}

}  // namespace

PropertyBag ReadPropertyContext(const NodeData& node) {
    const HeapReader heap(node);
    if (heap.ClientSignature() != static_cast<std::uint8_t>(HeapClient::PropertyContext))
        throw PstError(ErrorKind::CorruptStructure, "property context: heap client signature is not 0xBC");
    const BthReader bth(heap, heap.UserRoot());
    if (bth.Header().key_size != kKeySize || bth.Header().data_size != kDataSize)
        throw PstError(ErrorKind::CorruptStructure,
                       "property context: BTH records are not 2-byte keys with 6-byte data");
    PropertyBag bag;
    bag.Reserve(bth.Count());
    for (std::size_t i = 0; i < bth.Count(); ++i) {
        const std::uint16_t id = le::LoadU16(bth.Key(i).data());
        const std::uint8_t* data = bth.Data(i).data();
        const std::uint16_t rawType = le::LoadU16(data);
        if (!IsKnownPropertyType(rawType)) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%04X", rawType);
            throw PstError(ErrorKind::CorruptStructure,
                           "property context: property " + PropText(id) + " has unknown type " + text);
        }
        const PropertyType type = static_cast<PropertyType>(rawType);
        try {
            if (StoredInlineInPropertyContext(type)) {
                bag.Set(id, DecodeStoredValue(type, le::ByteView(data + 2, FixedSizeOf(type))));
                continue;
            }
            const HeapOrNodeId hnid(le::LoadU32(data + 2));
            if (hnid.IsNull() && FixedSizeOf(type) != 0 && !IsMultiValued(type))
                throw PstError(ErrorKind::CorruptStructure, "no value for a fixed-size type");
            const StoredValue stored = LoadValue(heap, node, hnid);
            bag.Set(id, DecodeStoredValue(type, stored.view));
        } catch (const PstError& e) {
            throw PstError(e.Kind(), "property context: property " + PropText(id) + ": " + e.what());
        }
    }
    return bag;
}

NodeData WritePropertyContext(const PropertyBag& bag, std::map<NodeId, NodeData> subnodes,
                              const StreamedValues& streamed) {
    HeapWriter heap(HeapClient::PropertyContext);
    const HeapId header = heap.Allocate(le::Bytes(kBthHeaderSize));  // the BTH header comes first
    ValueStore values(heap, subnodes);
    le::Bytes records;
    records.reserve(bag.Size() * (kKeySize + kDataSize));
    le::Bytes scratch;
    const mapi::Property* previous = nullptr;
    for (const mapi::Property& property : bag) {
        const std::uint16_t id = property.tag.id;
        const PropertyValue& value = property.value;
        // BTH keys are unique: a set that holds two types of one ID has no PC form.
        if (previous && previous->tag.id == id)
            throw PstError(ErrorKind::InvalidArgument,
                           "property context: property " + PropText(id) + " has two values");
        previous = &property;
        le::AppendU16(records, id);
        le::AppendU16(records, static_cast<std::uint16_t>(value.Type()));
        if (StoredInlineInPropertyContext(value.Type())) {
            scratch.clear();
            EncodeStoredValue(value, scratch);
            scratch.resize(4, 0);
            records.insert(records.end(), scratch.begin(), scratch.end());
            continue;
        }
        HeapOrNodeId hnid;
        if (const auto it = streamed.find(id); it != streamed.end() && it->second) {
            if (value.Type() != PropertyType::Binary && value.Type() != PropertyType::String)
                throw PstError(ErrorKind::InvalidArgument,
                               "property context: streamed property " + PropText(id) + " is not binary or text");
            if (value.Type() == PropertyType::String && it->second->Size() % 2 != 0)
                throw PstError(ErrorKind::InvalidArgument,
                               "property context: streamed text " + PropText(id) + " is not whole UTF-16");
            if (it->second->Size() > 0xFFFFFFFFu)
                throw PstError(ErrorKind::LimitExceeded, "a value of more than 4 GiB");
            const NodeId nid = values.NewSubnodeId();
            subnodes[nid].stream = it->second;
            hnid = nid;
        } else if (value.HasRawBytes()) {
            hnid = values.Store(value.RawBytes());
        } else {
            scratch.clear();
            EncodeStoredValue(value, scratch);
            hnid = values.Store(scratch);
        }
        le::AppendU32(records, hnid.value);
    }
    heap.SetUserRoot(WriteBth(heap, kKeySize, kDataSize, records, header));
    NodeData node;
    node.pieces = heap.Finish();
    node.subnodes = std::move(subnodes);
    return node;
}

}  // namespace ferrowick::pst
