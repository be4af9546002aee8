#pragma once
// [MS-CFB 2.1] Sector numbers and their reserved values, and directory entry numbers
// [MS-CFB 2.6]. Each kind of number is its own type so the two are never mixed up.
#include <compare>
#include <cstdint>

namespace ferrowick::msg::cfb {

struct SectorId {
    std::uint32_t value = 0xFFFFFFFE;

    static constexpr std::uint32_t kMaxRegular = 0xFFFFFFFA;  // MAXREGSECT
    static constexpr std::uint32_t kDifat = 0xFFFFFFFC;       // DIFSECT
    static constexpr std::uint32_t kFat = 0xFFFFFFFD;         // FATSECT
    static constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;  // ENDOFCHAIN
    static constexpr std::uint32_t kFree = 0xFFFFFFFF;        // FREESECT

    static constexpr SectorId EndOfChain() { return SectorId{kEndOfChain}; }
    static constexpr SectorId Free() { return SectorId{kFree}; }
    constexpr bool IsRegular() const { return value <= kMaxRegular; }
    constexpr bool IsEndOfChain() const { return value == kEndOfChain; }
    auto operator<=>(const SectorId&) const = default;
};

struct DirectoryEntryId {
    std::uint32_t value = 0xFFFFFFFF;

    static constexpr std::uint32_t kNoStream = 0xFFFFFFFF;  // NOSTREAM
    static constexpr DirectoryEntryId None() { return DirectoryEntryId{kNoStream}; }
    static constexpr DirectoryEntryId Root() { return DirectoryEntryId{0}; }
    constexpr bool IsNone() const { return value == kNoStream; }
    auto operator<=>(const DirectoryEntryId&) const = default;
};

}  // namespace ferrowick::msg::cfb
