#pragma once
// The density list page at 0x4200 [MS-PST 2.2.2.7.4 DList]. We keep it empty (no entries):
// readers then look for free space in the AMaps themselves, as for most of Outlook's files.
#include <array>
#include <cstdint>

#include "pst/ndb/ids.hpp"
#include "pst/ndb/page.hpp"

namespace ferrowick::pst {

// Outlook gives the page the header's bidNextP without taking it; so do we.
std::array<std::uint8_t, kPageSize> EmptyDensityListPage(BlockId bid);

}  // namespace ferrowick::pst
