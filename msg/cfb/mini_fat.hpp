#pragma once
// [MS-CFB 2.4] The mini FAT: the chains of the 64-byte sectors inside the mini stream, which
// holds every stream shorter than the 4096-byte cutoff.
#include "msg/cfb/allocation_table.hpp"
#include "msg/cfb/sector_file.hpp"

namespace ferrowick::msg::cfb {

// Throws CfbError when the mini FAT chain is damaged.
AllocationTable ReadMiniFat(const SectorFile& file, const AllocationTable& fat);

}  // namespace ferrowick::msg::cfb
