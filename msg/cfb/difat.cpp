// [MS-CFB 2.5] Compound File DIFAT Sectors.
#include "msg/cfb/difat.hpp"

#include <string>

#include "bytes/little_endian.hpp"
#include "msg/cfb/cfb_error.hpp"

namespace ferrowick::msg::cfb {

std::vector<SectorId> ReadFatSectorLocations(const SectorFile& file) {
    const Header& h = file.Header();
    if (h.fatSectorCount > file.SectorCount())
        throw CfbError(ErrorKind::CorruptStructure, "header claims " + std::to_string(h.fatSectorCount) +
                                                        " FAT sectors, but the file holds " +
                                                        std::to_string(file.SectorCount()) + " sectors");
    std::vector<SectorId> locations;
    locations.reserve(h.fatSectorCount);
    auto take = [&](SectorId s) {
        if (!s.IsRegular() || s.value >= file.SectorCount())
            throw CfbError(ErrorKind::CorruptStructure,
                           "FAT sector " + std::to_string(locations.size()) + " lies outside the file");
        locations.push_back(s);
    };
    for (std::size_t i = 0; i < Header::kDifatEntries && locations.size() < h.fatSectorCount; ++i) take(h.difat[i]);

    const std::uint32_t perSector = file.SectorSize() / 4 - 1;
    std::vector<bool> seen(file.SectorCount(), false);
    SectorId difat = h.firstDifatSector;
    while (locations.size() < h.fatSectorCount) {
        if (!difat.IsRegular() || difat.value >= file.SectorCount())
            throw CfbError(ErrorKind::CorruptStructure, "DIFAT chain ends before all " +
                                                            std::to_string(h.fatSectorCount) +
                                                            " FAT sectors are listed");
        if (seen[difat.value])
            throw CfbError(ErrorKind::CorruptStructure, "DIFAT chain loops at sector " + std::to_string(difat.value));
        seen[difat.value] = true;
        const std::vector<std::uint8_t> bytes = file.ReadSector(difat);
        for (std::uint32_t i = 0; i < perSector && locations.size() < h.fatSectorCount; ++i)
            take(SectorId{le::LoadU32(&bytes[4 * i])});
        difat = SectorId{le::LoadU32(&bytes[4 * perSector])};
    }
    return locations;
}

std::uint32_t DifatSectorsNeeded(std::uint32_t fatSectors, std::uint32_t sectorSize) {
    if (fatSectors <= Header::kDifatEntries) return 0;
    const std::uint32_t perSector = sectorSize / 4 - 1;
    return (fatSectors - static_cast<std::uint32_t>(Header::kDifatEntries) + perSector - 1) / perSector;
}

}  // namespace ferrowick::msg::cfb
