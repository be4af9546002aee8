// [MS-CFB 2.3] Compound File FAT Sectors.
#include "msg/cfb/fat.hpp"

#include "bytes/little_endian.hpp"
#include "msg/cfb/difat.hpp"

namespace ferrowick::msg::cfb {

AllocationTable ReadFat(const SectorFile& file) {
    const std::vector<SectorId> fatSectors = ReadFatSectorLocations(file);
    const std::uint32_t perSector = file.SectorSize() / 4;
    std::vector<SectorId> next;
    next.reserve(fatSectors.size() * perSector);
    for (SectorId sector : fatSectors) {
        const std::vector<std::uint8_t> bytes = file.ReadSector(sector);
        for (std::uint32_t i = 0; i < perSector; ++i) next.push_back(SectorId{le::LoadU32(&bytes[4 * i])});
    }
    return AllocationTable(std::move(next));
}

}  // namespace ferrowick::msg::cfb
