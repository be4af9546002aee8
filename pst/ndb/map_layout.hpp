#pragma once
// Where the map pages of a Unicode file lie [MS-PST 2.2.2.7.2 AMap, 2.2.2.7.3 PMap,
// 2.2.2.7.5 FMap, 2.2.2.7.6 FPMap, 2.2.2.7.4 DList]. The file is cut into AMap regions of
// 253,952 bytes from 0x4400; each region opens with its AMap page, followed (packed, in this
// order) by a PMap page every 8 regions, an FMap page every 496 regions from region 128 (the
// header's rgbFM covers the first 128) and an FPMap page every 31,744 regions from region
// 8,192 (the header's rgbFP covers the first 1,024 PMaps).
#include <cstdint>
#include <vector>

#include "pst/ndb/ids.hpp"
#include "pst/ndb/page.hpp"

namespace ferrowick::pst {

inline constexpr std::uint64_t kDensityListOffset = 0x4200;
inline constexpr std::uint64_t kFirstAMapOffset = 0x4400;
inline constexpr std::uint64_t kSlotSize = 64;
inline constexpr std::uint64_t kSlotsPerRegion = kPageDataSize * 8;        // 3,968
inline constexpr std::uint64_t kRegionSize = kSlotsPerRegion * kSlotSize;  // 253,952

constexpr std::uint64_t RegionStart(std::uint64_t region) { return kFirstAMapOffset + region * kRegionSize; }

struct MapPage {
    PageType type;
    FileOffset ib;
};

// The map pages of one region, the AMap first.
std::vector<MapPage> MapPagesOfRegion(std::uint64_t region);

}  // namespace ferrowick::pst
