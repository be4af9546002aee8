#pragma once
// Pages: 512 bytes whose last 16 are the PAGETRAILER [MS-PST 2.2.2.7, 2.2.2.7.1].
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "pst/ndb/ids.hpp"
#include "pst/ndb/problem.hpp"

namespace ferrowick::pst {

inline constexpr std::size_t kPageSize = 512;
inline constexpr std::size_t kPageDataSize = kPageSize - 16;

enum class PageType : std::uint8_t {
    BlockBTree = 0x80,
    NodeBTree = 0x81,
    FreeMap = 0x82,
    PageMap = 0x83,
    AllocationMap = 0x84,
    FreePageMap = 0x85,
    DensityList = 0x86,
};

// Map pages carry a zero signature and use their own offset as BID.
constexpr bool IsMapPage(PageType t) {
    return t == PageType::FreeMap || t == PageType::PageMap || t == PageType::AllocationMap ||
           t == PageType::FreePageMap;
}

struct PageTrailer {
    std::uint8_t ptype = 0;
    std::uint8_t ptypeRepeat = 0;
    std::uint16_t wSig = 0;
    std::uint32_t dwCRC = 0;
    BlockId bid;

    static PageTrailer Read(std::span<const std::uint8_t> page);
};

// Fills in the trailer of a 512-byte page whose first 496 bytes are final.
void SealPage(std::span<std::uint8_t> page, PageType type, BlockId bid, FileOffset ib);

// What is wrong with a page read from `ib` that should be of `type` with `bid`; nothing if sound.
std::optional<Problem> PageProblem(std::span<const std::uint8_t> page, PageType type, BlockId expectedBid,
                                   FileOffset ib);

}  // namespace ferrowick::pst
