#pragma once
// [MS-CFB 2.5] The DIFAT: where the FAT sectors are. The header holds the first 109
// locations; further ones sit in a chain of DIFAT sectors.
#include <vector>

#include "msg/cfb/sector_file.hpp"

namespace ferrowick::msg::cfb {

// The locations of the header's FAT sector count, in order. Throws CfbError when the header
// claims more FAT sectors than the file holds, or the DIFAT chain loops or runs short.
std::vector<SectorId> ReadFatSectorLocations(const SectorFile& file);

// The DIFAT sectors a writer needs for `fatSectors` FAT sectors at the given sector size.
std::uint32_t DifatSectorsNeeded(std::uint32_t fatSectors, std::uint32_t sectorSize);

}  // namespace ferrowick::msg::cfb
