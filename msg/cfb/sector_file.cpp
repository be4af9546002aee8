// [MS-CFB 2.1] Sector numbering.
#include "msg/cfb/sector_file.hpp"

#include <algorithm>
#include <string>

#include "msg/cfb/cfb_error.hpp"

namespace ferrowick::msg::cfb {

SectorFile::SectorFile(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {
    std::vector<std::uint8_t> bytes(Header::kSize);
    if (source_->Size() < Header::kSize)
        throw CfbError(ErrorKind::CorruptStructure, "file shorter than the 512-byte header");
    source_->ReadAt(0, bytes);
    header_ = Header::Parse(bytes);
    sectorSize_ = header_.SectorSize();
    const std::uint64_t size = source_->Size();
    const std::uint64_t sectors = size <= sectorSize_ ? 0 : (size - sectorSize_ + sectorSize_ - 1) / sectorSize_;
    sectorCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, SectorId::kMaxRegular));
}

void SectorFile::Read(SectorId sector, std::uint32_t offsetInSector, std::span<std::uint8_t> out) const {
    if (!sector.IsRegular() || sector.value >= sectorCount_)
        throw CfbError(ErrorKind::CorruptStructure, "sector " + std::to_string(sector.value) +
                                                        " lies outside the file (" + std::to_string(sectorCount_) +
                                                        " sectors)");
    if (offsetInSector > sectorSize_ || out.size() > sectorSize_ - offsetInSector)
        throw CfbError(ErrorKind::CorruptStructure, "read crosses a sector boundary");
    source_->ReadAt((static_cast<std::uint64_t>(sector.value) + 1) * sectorSize_ + offsetInSector, out);
}

void SectorFile::ReadRun(SectorId sector, std::uint32_t offsetInSector, std::span<std::uint8_t> out) const {
    const std::uint64_t end = static_cast<std::uint64_t>(offsetInSector) + out.size();
    const std::uint64_t sectors = (end + sectorSize_ - 1) / sectorSize_;
    if (!sector.IsRegular() || sector.value >= sectorCount_ || sectors > sectorCount_ - sector.value)
        throw CfbError(ErrorKind::CorruptStructure, "sectors from " + std::to_string(sector.value) +
                                                        " on lie outside the file (" + std::to_string(sectorCount_) +
                                                        " sectors)");
    source_->ReadAt((static_cast<std::uint64_t>(sector.value) + 1) * sectorSize_ + offsetInSector, out);
}

std::vector<std::uint8_t> SectorFile::ReadSector(SectorId sector) const {
    std::vector<std::uint8_t> bytes(sectorSize_);
    Read(sector, 0, bytes);
    return bytes;
}

}  // namespace ferrowick::msg::cfb
