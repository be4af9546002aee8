// [MS-CFB 2.2] Compound File Header.
#include "msg/cfb/header.hpp"

#include <cstring>
#include <string>

#include "bytes/little_endian.hpp"
#include "msg/cfb/cfb_error.hpp"

namespace ferrowick::msg::cfb {
namespace {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint16_t kByteOrderMark = 0xFFFE;
constexpr std::uint16_t kMiniSectorShift = 6;

}  // namespace

Header Header::Parse(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) throw CfbError(ErrorKind::CorruptStructure, "file shorter than the 512-byte header");
    if (std::memcmp(b.data(), kSignature, 8) != 0)
        throw CfbError(ErrorKind::UnsupportedFormat, "not a compound file (bad signature)");
    Header h;
    h.minorVersion = le::LoadU16(&b[0x18]);
    h.majorVersion = le::LoadU16(&b[0x1A]);
    if (le::LoadU16(&b[0x1C]) != kByteOrderMark)
        throw CfbError(ErrorKind::CorruptStructure, "bad byte-order mark in the header");
    h.sectorShift = le::LoadU16(&b[0x1E]);
    if (!((h.majorVersion == 3 && h.sectorShift == 9) || (h.majorVersion == 4 && h.sectorShift == 12)))
        throw CfbError(ErrorKind::UnsupportedFormat, "unsupported version " + std::to_string(h.majorVersion) +
                                                         " with sector shift " + std::to_string(h.sectorShift));
    if (le::LoadU16(&b[0x20]) != kMiniSectorShift)
        throw CfbError(ErrorKind::CorruptStructure, "mini sector shift is not 6");
    h.directorySectorCount = le::LoadU32(&b[0x28]);
    h.fatSectorCount = le::LoadU32(&b[0x2C]);
    h.firstDirectorySector = SectorId{le::LoadU32(&b[0x30])};
    h.transactionSignature = le::LoadU32(&b[0x34]);
    if (le::LoadU32(&b[0x38]) != kMiniStreamCutoff)
        throw CfbError(ErrorKind::CorruptStructure, "mini stream cutoff is not 4096");
    h.firstMiniFatSector = SectorId{le::LoadU32(&b[0x3C])};
    h.miniFatSectorCount = le::LoadU32(&b[0x40]);
    h.firstDifatSector = SectorId{le::LoadU32(&b[0x44])};
    h.difatSectorCount = le::LoadU32(&b[0x48]);
    for (std::size_t i = 0; i < kDifatEntries; ++i) h.difat[i] = SectorId{le::LoadU32(&b[0x4C + 4 * i])};
    return h;
}

std::vector<std::uint8_t> Header::Serialize() const {
    std::vector<std::uint8_t> b(kSize, 0);
    std::memcpy(b.data(), kSignature, 8);
    le::StoreU16(&b[0x18], minorVersion);
    le::StoreU16(&b[0x1A], majorVersion);
    le::StoreU16(&b[0x1C], kByteOrderMark);
    le::StoreU16(&b[0x1E], sectorShift);
    le::StoreU16(&b[0x20], kMiniSectorShift);
    le::StoreU32(&b[0x28], directorySectorCount);
    le::StoreU32(&b[0x2C], fatSectorCount);
    le::StoreU32(&b[0x30], firstDirectorySector.value);
    le::StoreU32(&b[0x34], transactionSignature);
    le::StoreU32(&b[0x38], kMiniStreamCutoff);
    le::StoreU32(&b[0x3C], firstMiniFatSector.value);
    le::StoreU32(&b[0x40], miniFatSectorCount);
    le::StoreU32(&b[0x44], firstDifatSector.value);
    le::StoreU32(&b[0x48], difatSectorCount);
    for (std::size_t i = 0; i < kDifatEntries; ++i) le::StoreU32(&b[0x4C + 4 * i], difat[i].value);
    return b;
}

}  // namespace ferrowick::msg::cfb
