// [MS-CFB 2.4] Compound File Mini FAT Sectors.
#include "msg/cfb/mini_fat.hpp"

#include "bytes/little_endian.hpp"

namespace ferrowick::msg::cfb {

AllocationTable ReadMiniFat(const SectorFile& file, const AllocationTable& fat) {
    const Header& h = file.Header();
    if (!h.firstMiniFatSector.IsRegular()) return AllocationTable();
    const std::vector<SectorId> chain = fat.Chain(h.firstMiniFatSector, file.SectorCount(), "mini FAT");
    const std::uint32_t perSector = file.SectorSize() / 4;
    std::vector<SectorId> next;
    next.reserve(chain.size() * perSector);
    for (SectorId sector : chain) {
        const std::vector<std::uint8_t> bytes = file.ReadSector(sector);
        for (std::uint32_t i = 0; i < perSector; ++i) next.push_back(SectorId{le::LoadU32(&bytes[4 * i])});
    }
    return AllocationTable(std::move(next));
}

}  // namespace ferrowick::msg::cfb
