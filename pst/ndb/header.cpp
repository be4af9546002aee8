// [MS-PST 2.2.2.6 HEADER (Unicode), 2.2.2.5 ROOT]
#include "pst/ndb/header.hpp"

#include <algorithm>

#include "pst/ndb/byte_order.hpp"
#include "pst/ndb/crc.hpp"

namespace ferrowick::pst {
namespace {

constexpr std::uint32_t kMagic = 0x4E444221;       // "!BDN"
constexpr std::uint16_t kMagicClient = 0x4D53;     // "SM"
constexpr std::size_t kRootAt = 180;

BlockRef ReadRef(std::span<const std::uint8_t> b, std::size_t at) {
    return {BlockId(LoadLE<std::uint64_t>(b, at)), FileOffset::FromFile(LoadLE<std::uint64_t>(b, at + 8))};
}
void WriteRef(std::span<std::uint8_t> b, std::size_t at, BlockRef r) {
    StoreLE<std::uint64_t>(b, at, r.bid.Value());
    StoreLE<std::uint64_t>(b, at + 8, r.ib.Value());
}

}  // namespace

FileKind ClassifyFile(std::span<const std::uint8_t> b) {
    if (b.size() < 12 || LoadLE<std::uint32_t>(b, 0) != kMagic || LoadLE<std::uint16_t>(b, 8) != kMagicClient)
        return FileKind::NotPst;
    const auto ver = LoadLE<std::uint16_t>(b, 10);
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
    h.dwMagic = LoadLE<std::uint32_t>(b, 0);
    h.dwCRCPartial = LoadLE<std::uint32_t>(b, 4);
    h.wMagicClient = LoadLE<std::uint16_t>(b, 8);
    h.wVer = LoadLE<std::uint16_t>(b, 10);
    h.wVerClient = LoadLE<std::uint16_t>(b, 12);
    h.bPlatformCreate = b[14];
    h.bPlatformAccess = b[15];
    h.dwReserved1 = LoadLE<std::uint32_t>(b, 16);
    h.dwReserved2 = LoadLE<std::uint32_t>(b, 20);
    h.bidNextP = BlockId(LoadLE<std::uint64_t>(b, 32));
    h.dwUnique = LoadLE<std::uint32_t>(b, 40);
    for (int i = 0; i < 32; ++i) h.rgnid[i] = LoadLE<std::uint32_t>(b, 44 + 4 * i);
    Root& r = h.root;
    r.ibFileEof = LoadLE<std::uint64_t>(b, kRootAt + 4);
    r.ibAMapLast = FileOffset::FromFile(LoadLE<std::uint64_t>(b, kRootAt + 12));
    r.cbAMapFree = LoadLE<std::uint64_t>(b, kRootAt + 20);
    r.cbPMapFree = LoadLE<std::uint64_t>(b, kRootAt + 28);
    r.nbt = ReadRef(b, kRootAt + 36);
    r.bbt = ReadRef(b, kRootAt + 52);
    r.fAMapValid = b[kRootAt + 68];
    for (int i = 0; i < 128; ++i) h.rgbFM[i] = b[256 + i];
    for (int i = 0; i < 128; ++i) h.rgbFP[i] = b[384 + i];
    h.bSentinel = b[512];
    h.crypt = static_cast<CryptMethod>(b[513]);
    h.bidNextB = BlockId(LoadLE<std::uint64_t>(b, 516));
    h.dwCRCFull = LoadLE<std::uint32_t>(b, 524);
    return h;
}

void Header::Write(std::span<std::uint8_t> b) const {
    std::fill(b.begin(), b.begin() + kHeaderSize, std::uint8_t{0});
    StoreLE<std::uint32_t>(b, 0, kMagic);
    StoreLE<std::uint16_t>(b, 8, kMagicClient);
    StoreLE<std::uint16_t>(b, 10, wVer);
    StoreLE<std::uint16_t>(b, 12, wVerClient);
    b[14] = bPlatformCreate;
    b[15] = bPlatformAccess;
    StoreLE<std::uint32_t>(b, 16, dwReserved1);
    StoreLE<std::uint32_t>(b, 20, dwReserved2);
    StoreLE<std::uint64_t>(b, 32, bidNextP.Value());
    StoreLE<std::uint32_t>(b, 40, dwUnique);
    for (int i = 0; i < 32; ++i) StoreLE<std::uint32_t>(b, 44 + 4 * i, rgnid[i]);
    StoreLE<std::uint64_t>(b, kRootAt + 4, root.ibFileEof);
    StoreLE<std::uint64_t>(b, kRootAt + 12, root.ibAMapLast.Value());
    StoreLE<std::uint64_t>(b, kRootAt + 20, root.cbAMapFree);
    StoreLE<std::uint64_t>(b, kRootAt + 28, root.cbPMapFree);
    WriteRef(b, kRootAt + 36, root.nbt);
    WriteRef(b, kRootAt + 52, root.bbt);
    b[kRootAt + 68] = root.fAMapValid;
    for (int i = 0; i < 128; ++i) b[256 + i] = rgbFM[i];
    for (int i = 0; i < 128; ++i) b[384 + i] = rgbFP[i];
    b[512] = bSentinel;
    b[513] = static_cast<std::uint8_t>(crypt);
    StoreLE<std::uint64_t>(b, 516, bidNextB.Value());
    StoreLE<std::uint32_t>(b, 4, HeaderPartialCrc(b));
    StoreLE<std::uint32_t>(b, 524, HeaderFullCrc(b));
}

}  // namespace ferrowick::pst
