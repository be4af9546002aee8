#pragma once
// Entry IDs and search keys [MS-PST 2.4.3.2 EntryID, MS-OXCDATA 2.2.4.2]: an object's entry
// ID is four zero flag bytes, the store's provider UID (its PidTagRecordKey) and the NID.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pst/ltp/property_types.hpp"
#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {

struct EntryId {
    static constexpr std::size_t kSize = 24;
    Guid provider;  // the store's record key
    NodeId nid;

    std::vector<std::uint8_t> Encode() const;
    // Nothing when `bytes` is not a 24-byte entry ID with zero flags.
    static std::optional<EntryId> Decode(const std::vector<std::uint8_t>& bytes);
    // Upper-case hexadecimal text, as MAPI shows entry IDs.
    std::u16string Hex() const;
    static std::optional<EntryId> FromHex(const std::u16string& text);
    bool operator==(const EntryId&) const = default;
};

// A fresh random GUID (version 4): record keys, search keys, replica GUIDs.
Guid NewGuid();
std::vector<std::uint8_t> GuidBytes(const Guid& guid);

}  // namespace ferrowick::pst
