#pragma once
// [MS-CFB 2.1] The file seen as numbered sectors: sector N starts at (N + 1) * sector size,
// the header taking the place of sector -1. Reads are checked against the file's real end.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "msg/cfb/byte_source.hpp"
#include "msg/cfb/header.hpp"
#include "msg/cfb/sector_id.hpp"

namespace ferrowick::msg::cfb {

class SectorFile {
public:
    // Reads and checks the header; throws CfbError.
    explicit SectorFile(std::unique_ptr<ByteSource> source);

    const cfb::Header& Header() const { return header_; }
    std::uint32_t SectorSize() const { return sectorSize_; }
    // Sectors that start inside the file (the last one may be short).
    std::uint32_t SectorCount() const { return sectorCount_; }
    std::uint64_t FileSize() const { return source_->Size(); }

    // Part of one sector; throws CfbError when the sector is not in the file.
    void Read(SectorId sector, std::uint32_t offsetInSector, std::span<std::uint8_t> out) const;
    // The same across the sectors that follow `sector` in the file, which `out` may reach into.
    void ReadRun(SectorId sector, std::uint32_t offsetInSector, std::span<std::uint8_t> out) const;
    std::vector<std::uint8_t> ReadSector(SectorId sector) const;

private:
    std::unique_ptr<ByteSource> source_;
    cfb::Header header_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t sectorCount_ = 0;
};

}  // namespace ferrowick::msg::cfb
