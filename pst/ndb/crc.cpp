// [MS-PST 5.3] CRC calculation. It is the reflected CRC-32 of polynomial 0xEDB88320 without
// the pre- and post-inversion, so zlib's vectorised crc32 computes it with the seed and the
// result inverted.
#include "pst/ndb/crc.hpp"

#include <zlib.h>

namespace ferrowick::pst {

std::uint32_t ComputeCrc(std::span<const std::uint8_t> bytes, std::uint32_t seed) {
    if (bytes.empty()) return seed;  // zlib answers a null buffer with its initial value, not the seed
    return ~static_cast<std::uint32_t>(::crc32_z(~seed & 0xFFFFFFFFul, bytes.data(), bytes.size()));
}

}  // namespace ferrowick::pst
