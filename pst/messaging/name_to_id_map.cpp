// Named property ID to name map [MS-PST 2.4.7]: NAMEID [2.4.7.1], GUID stream [2.4.7.2],
// entry stream [2.4.7.3], string stream [2.4.7.4], hash table [2.4.7.5].
#include "pst/messaging/name_to_id_map.hpp"

#include <map>

#include "bytes/little_endian.hpp"
#include "pst/messaging/name_guid_stream.hpp"
#include "pst/messaging/name_id.hpp"
#include "pst/messaging/name_string.hpp"
#include "pst/ndb/crc.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr std::uint16_t kBucketCountId = 0x0001;
constexpr std::uint16_t kGuidStreamId = 0x0002;
constexpr std::uint16_t kEntryStreamId = 0x0003;
constexpr std::uint16_t kStringStreamId = 0x0004;
constexpr std::uint16_t kFirstBucketId = 0x1000;

const std::vector<std::uint8_t>* BinaryOf(const PropertyBag& bag, std::uint16_t id) {
    const PropertyValue* v = bag.Find(PropertyTag{id, PropertyType::Binary});
    return v ? &v->As<PropertyValue::Bytes>() : nullptr;
}

// Equal for equal named properties and only for them.
void WriteKey(const NamedProperty& p, std::string& key) {
    key.assign(p.guid.bytes.begin(), p.guid.bytes.end());
    key.push_back(p.number ? '#' : '-');
    if (p.number)
        for (int i = 0; i < 4; ++i) key.push_back(static_cast<char>(*p.number >> (8 * i)));
    for (char16_t c : p.name) key.append({static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)});
}

std::string KeyOf(const NamedProperty& p) {
    std::string key;
    WriteKey(p, key);
    return key;
}

// Every named property of every imported message is looked up: the key is written into one
// buffer that stays, instead of a new string each time.
const std::string& LookupKey(const NamedProperty& p) {
    thread_local std::string key;
    WriteKey(p, key);
    return key;
}

}  // namespace

void NameToIdMap::Index(std::size_t entry) {
    ids_.emplace(KeyOf(entries_[entry]), static_cast<std::uint16_t>(kFirstId + entry));  // the first ID stays
}

NameToIdMap NameToIdMap::Read(const PropertyBag& bag) {
    NameToIdMap map;
    const auto* guids = BinaryOf(bag, kGuidStreamId);
    const auto* entries = BinaryOf(bag, kEntryStreamId);
    const auto* strings = BinaryOf(bag, kStringStreamId);
    if (!guids || !entries || !strings)
        throw PstError(ErrorKind::CorruptStructure, "name-to-ID map: a stream is missing");
    if (entries->size() % NameId::kSize != 0)
        throw PstError(ErrorKind::CorruptStructure,
                       "name-to-ID map: the entry stream is not a whole number of records");
    map.guids_ = NameGuidStream::Read(*guids);
    std::map<std::uint16_t, NamedProperty> byIndex;
    for (std::size_t i = 0; i < entries->size(); i += NameId::kSize) {
        const NameId entry = NameId::Read(le::ByteView(*entries).subspan(i, NameId::kSize));
        NamedProperty p;
        p.guid = map.guids_.GuidAt(entry.guid_index);
        if (entry.is_string)
            p.name = NameString::Read(*strings, entry.property_id).name;
        else
            p.number = entry.property_id;
        if (!byIndex.emplace(entry.property_index, std::move(p)).second)
            throw PstError(ErrorKind::CorruptStructure, "name-to-ID map: two entries share a property index");
    }
    std::uint16_t expected = 0;
    for (auto& [index, p] : byIndex) {
        if (index != expected++)
            throw PstError(ErrorKind::CorruptStructure, "name-to-ID map: the property indexes have a gap");
        map.entries_.push_back(std::move(p));
        map.Index(map.entries_.size() - 1);
    }
    return map;
}

PropertyBag NameToIdMap::Write() const {
    le::Bytes entryStream, stringStream;
    std::map<std::uint32_t, le::Bytes> buckets;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const NamedProperty& p = entries_[i];
        const std::optional<std::uint16_t> wguid = guids_.IndexOf(p.guid);
        if (!wguid) throw PstError(ErrorKind::InvalidArgument, "name-to-ID map: a name's GUID was never registered");
        NameId entry{0, !p.number.has_value(), *wguid, static_cast<std::uint16_t>(i)};
        std::uint32_t hashKey = 0;
        if (entry.is_string) {
            const NameString name{p.name};
            entry.property_id = name.AppendTo(stringStream);
            hashKey = ComputeCrc(name.NameBytes());
        } else {
            entry.property_id = hashKey = *p.number;
        }
        entry.AppendTo(entryStream);
        NameId hashed = entry;
        hashed.property_id = hashKey;
        hashed.AppendTo(buckets[(hashKey ^ entry.GuidAndKind()) % kBucketCount]);
    }
    PropertyBag bag;
    bag.Set(kBucketCountId, PropertyValue::Integer32(static_cast<std::int32_t>(kBucketCount)));
    bag.Set(kGuidStreamId, PropertyValue::Binary(guids_.Write()));
    bag.Set(kEntryStreamId, PropertyValue::Binary(std::move(entryStream)));
    bag.Set(kStringStreamId, PropertyValue::Binary(std::move(stringStream)));
    for (auto& [index, bytes] : buckets)
        bag.Set(static_cast<std::uint16_t>(kFirstBucketId + index), PropertyValue::Binary(std::move(bytes)));
    return bag;
}

std::uint16_t NameToIdMap::GuidIndex(const Guid& guid) {
    if (const auto index = guids_.IndexOf(guid)) return *index;
    if (guids_.guids.size() + NameId::kFirstStreamGuid > NameId::kMaxGuidIndex)
        throw PstError(ErrorKind::LimitExceeded, "name-to-ID map: no GUID indexes are left");
    guids_.guids.push_back(guid);
    return static_cast<std::uint16_t>(guids_.guids.size() - 1 + NameId::kFirstStreamGuid);
}

void NameToIdMap::RollBack(const Checkpoint& point) {
    if (point.entries > entries_.size() || point.guids > guids_.guids.size())
        throw PstError(ErrorKind::InvalidArgument,
                       "name-to-ID map: a checkpoint from a later state cannot be rolled back to");
    for (std::size_t i = point.entries; i < entries_.size(); ++i) {
        const auto it = ids_.find(KeyOf(entries_[i]));
        if (it != ids_.end() && it->second == kFirstId + i) ids_.erase(it);
    }
    entries_.resize(point.entries);
    guids_.guids.resize(point.guids);
    changed_ = point.changed;
}

std::optional<std::uint16_t> NameToIdMap::Find(const NamedProperty& property) const {
    const auto it = ids_.find(LookupKey(property));
    if (it == ids_.end()) return std::nullopt;
    return it->second;
}

std::uint16_t NameToIdMap::IdFor(const NamedProperty& property) {
    if (const auto id = Find(property)) return *id;
    if (entries_.size() >= 0x7FFF)
        throw PstError(ErrorKind::LimitExceeded, "name-to-ID map: no named property IDs are left");
    if (property.number.has_value() == false && property.name.empty())
        throw PstError(ErrorKind::InvalidArgument, "name-to-ID map: a named property needs a number or a name");
    GuidIndex(property.guid);
    entries_.push_back(property);
    Index(entries_.size() - 1);
    changed_ = true;
    return static_cast<std::uint16_t>(kFirstId + entries_.size() - 1);
}

}  // namespace ferrowick::pst
