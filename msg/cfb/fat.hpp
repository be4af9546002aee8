#pragma once
// [MS-CFB 2.3] The FAT, gathered from the FAT sectors the DIFAT lists.
#include "msg/cfb/allocation_table.hpp"
#include "msg/cfb/sector_file.hpp"

namespace ferrowick::msg::cfb {

// Throws CfbError when the FAT cannot be assembled from the file.
AllocationTable ReadFat(const SectorFile& file);

}  // namespace ferrowick::msg::cfb
