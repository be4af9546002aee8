// [MS-PST 2.2.2.7.4.1 DLISTPAGE]
#include "pst/ndb/density_list.hpp"

#include "pst/ndb/map_layout.hpp"

namespace ferrowick::pst {

std::array<std::uint8_t, kPageSize> EmptyDensityListPage(BlockId bid) {
    std::array<std::uint8_t, kPageSize> page{};  // bFlags 0, cEntDList 0, ulCurrentPage 0
    SealPage(page, PageType::DensityList, bid, FileOffset(kDensityListOffset));
    return page;
}

}  // namespace ferrowick::pst
