#pragma once
// bCryptMethod of the header [MS-PST 2.2.2.6]: how the bytes of data blocks are encoded.
#include <cstdint>

namespace ferrowick::pst {

enum class CryptMethod : std::uint8_t { None = 0x00, Permute = 0x01 };

}  // namespace ferrowick::pst
