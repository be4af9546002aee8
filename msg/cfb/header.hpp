#pragma once
// [MS-CFB 2.2] Compound File Header: the first 512 bytes of the file. Version 3 files use
// 512-byte sectors, version 4 files 4096-byte sectors (the header then fills the first
// sector, the rest of it being zero).
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "msg/cfb/sector_id.hpp"

namespace ferrowick::msg::cfb {

struct Header {
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kDifatEntries = 109;
    static constexpr std::uint32_t kMiniStreamCutoff = 4096;
    static constexpr std::uint32_t kMiniSectorSize = 64;

    std::uint16_t minorVersion = 0x003E;
    std::uint16_t majorVersion = 3;
    std::uint16_t sectorShift = 9;           // 9 for version 3, 12 for version 4
    std::uint32_t directorySectorCount = 0;  // always 0 in version 3
    std::uint32_t fatSectorCount = 0;
    SectorId firstDirectorySector = SectorId::EndOfChain();
    std::uint32_t transactionSignature = 0;
    SectorId firstMiniFatSector = SectorId::EndOfChain();
    std::uint32_t miniFatSectorCount = 0;
    SectorId firstDifatSector = SectorId::EndOfChain();
    std::uint32_t difatSectorCount = 0;
    std::array<SectorId, kDifatEntries> difat{};  // the first 109 FAT sector locations

    Header() { difat.fill(SectorId::Free()); }

    std::uint32_t SectorSize() const { return 1u << sectorShift; }

    // Throws CfbError for anything but a version 3 or 4 header with its fixed values.
    static Header Parse(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> Serialize() const;  // kSize bytes
};

}  // namespace ferrowick::msg::cfb
