// [MS-PST 2.2.2.7.1 PAGETRAILER]
#include "pst/ndb/page.hpp"

#include <cstdio>

#include "bytes/little_endian.hpp"
#include "pst/ndb/crc.hpp"
#include "pst/ndb/signature.hpp"

namespace ferrowick::pst {

PageTrailer PageTrailer::Read(std::span<const std::uint8_t> page) {
    PageTrailer t;
    t.ptype = page[kPageDataSize];
    t.ptypeRepeat = page[kPageDataSize + 1];
    t.wSig = le::LoadU16(page.data() + kPageDataSize + 2);
    t.dwCRC = le::LoadU32(page.data() + kPageDataSize + 4);
    t.bid = BlockId(le::LoadU64(page.data() + kPageDataSize + 8));
    return t;
}

void SealPage(std::span<std::uint8_t> page, PageType type, BlockId bid, FileOffset ib) {
    page[kPageDataSize] = static_cast<std::uint8_t>(type);
    page[kPageDataSize + 1] = static_cast<std::uint8_t>(type);
    le::StoreU16(page.data() + kPageDataSize + 2, IsMapPage(type) ? 0 : ComputeSignature(ib, bid));
    le::StoreU32(page.data() + kPageDataSize + 4, ComputeCrc(page.first(kPageDataSize)));
    le::StoreU64(page.data() + kPageDataSize + 8, bid.Value());
}

std::optional<Problem> PageProblem(std::span<const std::uint8_t> page, PageType type, BlockId expectedBid,
                                   FileOffset ib) {
    const PageTrailer t = PageTrailer::Read(page);
    char text[160];
    if (t.ptype != static_cast<std::uint8_t>(type) || t.ptypeRepeat != t.ptype) {
        std::snprintf(text, sizeof text, "page type 0x%02X/0x%02X where 0x%02X was expected", t.ptype, t.ptypeRepeat,
                      static_cast<unsigned>(type));
        return Problem{"page-type", text};
    }
    if (t.bid != expectedBid) {
        std::snprintf(text, sizeof text, "page BID 0x%llX where 0x%llX was expected",
                      static_cast<unsigned long long>(t.bid.Value()),
                      static_cast<unsigned long long>(expectedBid.Value()));
        return Problem{"page-bid", text};
    }
    const std::uint16_t sig = IsMapPage(type) ? 0 : ComputeSignature(ib, t.bid);
    if (t.wSig != sig) {
        std::snprintf(text, sizeof text, "page signature 0x%04X where 0x%04X was expected", t.wSig, sig);
        return Problem{"page-signature", text};
    }
    const std::uint32_t crc = ComputeCrc(page.first(kPageDataSize));
    if (t.dwCRC != crc) {
        std::snprintf(text, sizeof text, "page CRC 0x%08X where the content gives 0x%08X", t.dwCRC, crc);
        return Problem{"page-crc", text};
    }
    return std::nullopt;
}

}  // namespace ferrowick::pst
