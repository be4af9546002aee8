// [MS-PST 2.2.2.8.1 BLOCKTRAILER]
#include "pst/ndb/block.hpp"

#include <algorithm>
#include <cstdio>

#include "bytes/little_endian.hpp"
#include "pst/ndb/crc.hpp"
#include "pst/ndb/signature.hpp"

namespace ferrowick::pst {

BlockTrailer BlockTrailer::Read(std::span<const std::uint8_t> block) {
    const std::size_t at = block.size() - kBlockTrailerSize;
    BlockTrailer t;
    t.cb = le::LoadU16(block.data() + at);
    t.wSig = le::LoadU16(block.data() + at + 2);
    t.dwCRC = le::LoadU32(block.data() + at + 4);
    t.bid = BlockId(le::LoadU64(block.data() + at + 8));
    return t;
}

void SealBlock(std::span<std::uint8_t> block, std::size_t cb, BlockId bid, FileOffset ib) {
    const std::size_t at = block.size() - kBlockTrailerSize;
    std::fill(block.begin() + cb, block.begin() + at, std::uint8_t{0});
    le::StoreU16(block.data() + at, static_cast<std::uint16_t>(cb));
    le::StoreU16(block.data() + at + 2, ComputeSignature(ib, bid));
    le::StoreU32(block.data() + at + 4, ComputeCrc(block.first(cb)));
    le::StoreU64(block.data() + at + 8, bid.Value());
}

std::optional<Problem> BlockProblem(std::span<const std::uint8_t> block, std::size_t expectedCb, BlockId expectedBid,
                                    FileOffset ib) {
    const BlockTrailer t = BlockTrailer::Read(block);
    char text[160];
    if (t.cb != expectedCb) {
        std::snprintf(text, sizeof text, "block trailer says %u bytes where the block B-tree says %zu", t.cb,
                      expectedCb);
        return Problem{"block-size", text};
    }
    if (t.bid != expectedBid) {
        std::snprintf(text, sizeof text, "block trailer BID 0x%llX where 0x%llX was expected",
                      static_cast<unsigned long long>(t.bid.Value()),
                      static_cast<unsigned long long>(expectedBid.Value()));
        return Problem{"block-bid", text};
    }
    const std::uint16_t sig = ComputeSignature(ib, t.bid);
    if (t.wSig != sig) {
        std::snprintf(text, sizeof text, "block signature 0x%04X where 0x%04X was expected", t.wSig, sig);
        return Problem{"block-signature", text};
    }
    const std::uint32_t crc = ComputeCrc(block.first(t.cb));
    if (t.dwCRC != crc) {
        std::snprintf(text, sizeof text, "block CRC 0x%08X where the content gives 0x%08X", t.dwCRC, crc);
        return Problem{"block-crc", text};
    }
    return std::nullopt;
}

}  // namespace ferrowick::pst
