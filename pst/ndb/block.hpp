#pragma once
// Blocks: 64-byte aligned, at most 8,192 bytes, ending in a BLOCKTRAILER
// [MS-PST 2.2.2.8, 2.2.2.8.1 BLOCKTRAILER, 2.2.2.8.3.1 data blocks].
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "pst/ndb/ids.hpp"
#include "pst/ndb/problem.hpp"

namespace ferrowick::pst {

inline constexpr std::size_t kBlockTrailerSize = 16;
inline constexpr std::size_t kMaxBlockSize = 8192;
inline constexpr std::size_t kMaxBlockPayload = kMaxBlockSize - kBlockTrailerSize;

// Bytes a block of `cb` payload bytes takes on disk: payload, padding, trailer.
constexpr std::size_t BlockDiskSize(std::size_t cb) { return (cb + kBlockTrailerSize + 63) & ~std::size_t{63}; }

struct BlockTrailer {
    std::uint16_t cb = 0;
    std::uint16_t wSig = 0;
    std::uint32_t dwCRC = 0;
    BlockId bid;

    // `block` is the whole on-disk block (BlockDiskSize bytes).
    static BlockTrailer Read(std::span<const std::uint8_t> block);
};

// Writes the trailer (and zero padding) after the `cb` payload bytes already in `block`.
void SealBlock(std::span<std::uint8_t> block, std::size_t cb, BlockId bid, FileOffset ib);

// What is wrong with a block read from `ib`; nothing if sound.
std::optional<Problem> BlockProblem(std::span<const std::uint8_t> block, std::size_t expectedCb, BlockId expectedBid,
                                    FileOffset ib);

}  // namespace ferrowick::pst
