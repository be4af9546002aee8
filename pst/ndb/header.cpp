// [MS-PST 2.2.2.6 HEADER (Unicode), 2.2.2.5 ROOT]
#include "pst/ndb/header.hpp"

#include <algorithm>

#include "bytes/little_endian.hpp"
#include "pst/ndb/crc.hpp"

namespace ferrowick::pst {
namespace {

constexpr std::uint32_t kMagic = 0x4E444221;    // "!BDN"
constexpr std::uint16_t kMagicClient = 0x4D53;  // "SM"
constexpr std::size_t kRootAt = 180;

BlockRef ReadRef(std::span<const std::uint8_t> b, std::size_t at) {
    return {BlockId(le::LoadU64(b.data() + at)), FileOffset::FromFile(le::LoadU64(b.data() + at + 8))};
}
void WriteRef(std::span<std::uint8_t> b, std::size_t at, BlockRef r) {
    le::StoreU64(b.data() + at, r.bid.Value());
    le::StoreU64(b.data() + at + 8, r.ib.Value());
}

}  // namespace

FileKind ClassifyFile(std::span<const std::uint8_t> b) {
    if (b.size() < 12 || le::LoadU32(b.data()) != kMagic || le::LoadU16(b.data() + 8) != kMagicClient)
        return FileKind::NotPst;
    const auto ver = le::LoadU16(b.data() + 10);
    if (ver == 14 || ver == 15) return FileKind::Ansi;
    if (ver >= 36) return FileKind::Unicode4k;
    if (ver >= 23) return FileKind::Unicode;
    return FileKind::NotPst;
}

std::uint32_t HeaderPartialCrc(std::span<const std::uint8_t> b) { return ComputeCrc(b.subspan(8, 471)); }
std::uint32_t HeaderFullCrc(std::span<const std::uint8_t> b) { return ComputeCrc(b.subspan(8, 516)); }

Header Header::Fresh(CryptMethod crypt) {
    Header h;
    h.crypt = crypt;
    // Start values of the NID counters [MS-PST 2.2.2.6 rgnid].
    h.rgnid.fill(0x400);
    h.rgnid[static_cast<int>(NidType::SearchFolder)] = 0x4000;
    h.rgnid[static_cast<int>(NidType::NormalMessage)] = 0x10000;
    h.rgnid[static_cast<int>(NidType::AssocMessage)] = 0x8000;
    h.rgbFM.fill(0xFF);
    h.rgbFP.fill(0xFF);
    h.bidNextB = BlockId(4);
    h.bidNextP = BlockId(1);
    h.root.fAMapValid = kAMapValid;
    return h;
}

Header Header::Read(std::span<const std::uint8_t> b) {
    Header h;
    h.dwMagic = le::LoadU32(b.data());
    h.dwCRCPartial = le::LoadU32(b.data() + 4);
    h.wMagicClient = le::LoadU16(b.data() + 8);
    h.wVer = le::LoadU16(b.data() + 10);
    h.wVerClient = le::LoadU16(b.data() + 12);
    h.bPlatformCreate = b[14];
    h.bPlatformAccess = b[15];
    h.dwReserved1 = le::LoadU32(b.data() + 16);
    h.dwReserved2 = le::LoadU32(b.data() + 20);
    h.bidNextP = BlockId(le::LoadU64(b.data() + 32));
    h.dwUnique = le::LoadU32(b.data() + 40);
    for (int i = 0; i < 32; ++i) h.rgnid[i] = le::LoadU32(b.data() + 44 + 4 * i);
    Root& r = h.root;
    r.ibFileEof = le::LoadU64(b.data() + kRootAt + 4);
    r.ibAMapLast = FileOffset::FromFile(le::LoadU64(b.data() + kRootAt + 12));
    r.cbAMapFree = le::LoadU64(b.data() + kRootAt + 20);
    r.cbPMapFree = le::LoadU64(b.data() + kRootAt + 28);
    r.nbt = ReadRef(b, kRootAt + 36);
    r.bbt = ReadRef(b, kRootAt + 52);
    r.fAMapValid = b[kRootAt + 68];
    for (int i = 0; i < 128; ++i) h.rgbFM[i] = b[256 + i];
    for (int i = 0; i < 128; ++i) h.rgbFP[i] = b[384 + i];
    h.bSentinel = b[512];
    h.crypt = static_cast<CryptMethod>(b[513]);
    h.bidNextB = BlockId(le::LoadU64(b.data() + 516));
    h.dwCRCFull = le::LoadU32(b.data() + 524);
    return h;
}

void Header::Write(std::span<std::uint8_t> b) const {
    std::fill(b.begin(), b.begin() + kHeaderSize, std::uint8_t{0});
    le::StoreU32(b.data(), kMagic);
    le::StoreU16(b.data() + 8, kMagicClient);
    le::StoreU16(b.data() + 10, wVer);
    le::StoreU16(b.data() + 12, wVerClient);
    b[14] = bPlatformCreate;
    b[15] = bPlatformAccess;
    le::StoreU32(b.data() + 16, dwReserved1);
    le::StoreU32(b.data() + 20, dwReserved2);
    le::StoreU64(b.data() + 32, bidNextP.Value());
    le::StoreU32(b.data() + 40, dwUnique);
    for (int i = 0; i < 32; ++i) le::StoreU32(b.data() + 44 + 4 * i, rgnid[i]);
    le::StoreU64(b.data() + kRootAt + 4, root.ibFileEof);
    le::StoreU64(b.data() + kRootAt + 12, root.ibAMapLast.Value());
    le::StoreU64(b.data() + kRootAt + 20, root.cbAMapFree);
    le::StoreU64(b.data() + kRootAt + 28, root.cbPMapFree);
    WriteRef(b, kRootAt + 36, root.nbt);
    WriteRef(b, kRootAt + 52, root.bbt);
    b[kRootAt + 68] = root.fAMapValid;
    for (int i = 0; i < 128; ++i) b[256 + i] = rgbFM[i];
    for (int i = 0; i < 128; ++i) b[384 + i] = rgbFP[i];
    b[512] = bSentinel;
    b[513] = static_cast<std::uint8_t>(crypt);
    le::StoreU64(b.data() + 516, bidNextB.Value());
    le::StoreU32(b.data() + 4, HeaderPartialCrc(b));
    le::StoreU32(b.data() + 524, HeaderFullCrc(b));
}

}  // namespace ferrowick::pst
