#pragma once
// Page and block signature wSig [MS-PST 5.5]: folds the file offset and the BID together.
#include <cstdint>

#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {

constexpr std::uint16_t ComputeSignature(FileOffset ib, BlockId bid) {
    const std::uint64_t x = ib.Value() ^ bid.Value();
    return static_cast<std::uint16_t>(((x >> 16) ^ x) & 0xFFFF);
}

}  // namespace ferrowick::pst
