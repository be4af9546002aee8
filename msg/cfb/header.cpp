// [MS-CFB 2.2] Compound File Header.
#include "msg/cfb/header.hpp"

#include <cstring>
#include <string>

#include "msg/cfb/cfb_error.hpp"
#include "msg/cfb/little_endian.hpp"

namespace ferrowick::msg::cfb {
namespace {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint16_t kByteOrderMark = 0xFFFE;
constexpr std::uint16_t kMiniSectorShift = 6;

}  // namespace

Header Header::Parse(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) throw CfbError(ErrorKind::CorruptStructure, "file shorter than the 512-byte header");
    if (std::memcmp(b.data(), kSignature, 8) != 0) throw CfbError(ErrorKind::UnsupportedFormat, "not a compound file (bad signature)");
    Header h;
    h.minorVersion = LoadU16(&b[0x18]);
    h.majorVersion = LoadU16(&b[0x1A]);
    if (LoadU16(&b[0x1C]) != kByteOrderMark) throw CfbError(ErrorKind::CorruptStructure, "bad byte-order mark in the header");
    h.sectorShift = LoadU16(&b[0x1E]);
    if (!((h.majorVersion == 3 && h.sectorShift == 9) || (h.majorVersion == 4 && h.sectorShift == 12)))
        throw CfbError(ErrorKind::UnsupportedFormat, "unsupported version " + std::to_string(h.majorVersion) + " with sector shift " +
                       std::to_string(h.sectorShift));
    if (LoadU16(&b[0x20]) != kMiniSectorShift) throw CfbError(ErrorKind::CorruptStructure, "mini sector shift is not 6");
    h.directorySectorCount = LoadU32(&b[0x28]);
    h.fatSectorCount = LoadU32(&b[0x2C]);
    h.firstDirectorySector = SectorId{LoadU32(&b[0x30])};
    h.transactionSignature = LoadU32(&b[0x34]);
    if (LoadU32(&b[0x38]) != kMiniStreamCutoff) throw CfbError(ErrorKind::CorruptStructure, "mini stream cutoff is not 4096");
    h.firstMiniFatSector = SectorId{LoadU32(&b[0x3C])};
    h.miniFatSectorCount = LoadU32(&b[0x40]);
    h.firstDifatSector = SectorId{LoadU32(&b[0x44])};
    h.difatSectorCount = LoadU32(&b[0x48]);
    for (std::size_t i = 0; i < kDifatEntries; ++i) h.difat[i] = SectorId{LoadU32(&b[0x4C + 4 * i])};
    return h;
}

std::vector<std::uint8_t> Header::Serialize() const {
    std::vector<std::uint8_t> b(kSize, 0);
    std::memcpy(b.data(), kSignature, 8);
    StoreU16(&b[0x18], minorVersion);
    StoreU16(&b[0x1A], majorVersion);
    StoreU16(&b[0x1C], kByteOrderMark);
    StoreU16(&b[0x1E], sectorShift);
    StoreU16(&b[0x20], kMiniSectorShift);
    StoreU32(&b[0x28], directorySectorCount);
    StoreU32(&b[0x2C], fatSectorCount);
    StoreU32(&b[0x30], firstDirectorySector.value);
    StoreU32(&b[0x34], transactionSignature);
    StoreU32(&b[0x38], kMiniStreamCutoff);
    StoreU32(&b[0x3C], firstMiniFatSector.value);
    StoreU32(&b[0x40], miniFatSectorCount);
    StoreU32(&b[0x44], firstDifatSector.value);
    StoreU32(&b[0x48], difatSectorCount);
    for (std::size_t i = 0; i < kDifatEntries; ++i) StoreU32(&b[0x4C + 4 * i], difat[i].value);
    return b;
}

}  // namespace ferrowick::msg::cfb
