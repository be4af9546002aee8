// [MS-PST 2.2.2.7.2 - 2.2.2.7.6] placement of AMap, PMap, FMap and FPMap pages.
#include "pst/ndb/map_layout.hpp"

namespace ferrowick::pst {

std::vector<MapPage> MapPagesOfRegion(std::uint64_t region) {
    std::vector<MapPage> pages;
    std::uint64_t at = RegionStart(region);
    pages.push_back({PageType::AllocationMap, FileOffset(at)});
    at += kPageSize;
    if (region % 8 == 0) {
        pages.push_back({PageType::PageMap, FileOffset(at)});
        at += kPageSize;
    }
    if (region >= 128 && (region - 128) % 496 == 0) {
        pages.push_back({PageType::FreeMap, FileOffset(at)});
        at += kPageSize;
    }
    if (region >= 8192 && (region - 8192) % (496 * 8 * 8) == 0) {
        pages.push_back({PageType::FreePageMap, FileOffset(at)});
        at += kPageSize;
    }
    return pages;
}

}  // namespace ferrowick::pst
