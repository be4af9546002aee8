#pragma once
// MD5 of a byte string: Debian's nettle on POSIX, the system's CNG (bcrypt) on Windows.
#include <array>
#include <cstdint>
#include <span>

namespace ferrowick {

using Md5Digest = std::array<std::uint8_t, 16>;

Md5Digest Md5Of(std::span<const std::uint8_t> bytes);

}  // namespace ferrowick
