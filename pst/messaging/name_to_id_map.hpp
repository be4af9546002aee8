#pragma once
// The name-to-ID map [MS-PST 2.4.7]: named properties (a GUID with a number or a name) get
// property IDs from 0x8000 up, kept in the PC of NID_NAME_TO_ID_MAP as a GUID stream, an
// entry stream of NAMEID records, a string stream and hash buckets over the entries.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "pst/ltp/property_context.hpp"
#include "pst/messaging/name_guid_stream.hpp"

namespace ferrowick::pst {

struct NamedProperty {
    Guid guid;
    std::optional<std::uint32_t> number;  // MNID_ID; without it the name is used (MNID_STRING)
    std::u16string name;
    bool operator==(const NamedProperty&) const = default;
};

class NameToIdMap {
public:
    static constexpr std::uint32_t kBucketCount = 251;  // what Outlook writes
    static constexpr std::uint16_t kFirstId = 0x8000;

    NameToIdMap() = default;
    // Throws PstError when the streams do not fit together.
    static NameToIdMap Read(const PropertyBag& bag);
    PropertyBag Write() const;

    // The property ID of `property`, registering it when it is new.
    std::uint16_t IdFor(const NamedProperty& property);
    std::optional<std::uint16_t> Find(const NamedProperty& property) const;
    // The named property behind `id`, or nullptr when the map names none.
    const NamedProperty* Named(std::uint16_t id) const {
        return id >= kFirstId && std::size_t(id - kFirstId) < entries_.size() ? &entries_[id - kFirstId] : nullptr;
    }
    std::size_t Size() const { return entries_.size(); }
    bool Changed() const { return changed_; }
    void MarkWritten() { changed_ = false; }

    // What the map holds at one moment, so that the names one message registered can be taken
    // back when the message fails, without copying the whole map for every message.
    struct Checkpoint {
        std::size_t entries = 0;
        std::size_t guids = 0;
        bool changed = false;
    };
    Checkpoint Save() const { return Checkpoint{entries_.size(), guids_.guids.size(), changed_}; }
    // Forgets every name registered since `point` was saved.
    void RollBack(const Checkpoint& point);

private:
    std::uint16_t GuidIndex(const Guid& guid);  // wGuid: 1 PS_MAPI, 2 PS_PUBLIC_STRINGS, 3+ stream
    NameGuidStream guids_;
    std::vector<NamedProperty> entries_;  // entries_[i] has the ID 0x8000 + i
    // Every name's first ID, by the name's bytes: a message looks up dozens of names.
    std::unordered_map<std::string, std::uint16_t> ids_;
    void Index(std::size_t entry);
    bool changed_ = false;
};

}  // namespace ferrowick::pst
