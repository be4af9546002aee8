#pragma once
// Encoding of data blocks [MS-PST 5.1 Permutative Encoding]; internal blocks and pages are
// never encoded. The cyclic method (0x02) is not supported: Open() rejects such files.
#include <cstdint>
#include <span>

#include "pst/ndb/crypt_method.hpp"

namespace ferrowick::pst {

void EncodeBlockData(CryptMethod method, std::span<std::uint8_t> bytes);
void DecodeBlockData(CryptMethod method, std::span<std::uint8_t> bytes);
// Encodes `from` into `to` (of the same size) in one pass: a block is copied and encoded at once.
void EncodeBlockDataInto(CryptMethod method, std::span<const std::uint8_t> from, std::span<std::uint8_t> to);

}  // namespace ferrowick::pst
