#pragma once
// The CRC of headers, pages and blocks [MS-PST 5.3]: reflected CRC-32, polynomial
// 0xEDB88320, seed 0 and no final inversion.
#include <cstdint>
#include <span>

namespace ferrowick::pst {

std::uint32_t ComputeCrc(std::span<const std::uint8_t> bytes, std::uint32_t seed = 0);

}  // namespace ferrowick::pst
