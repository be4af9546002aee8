#pragma once
// Little-endian loads and stores: every integer of a .pst is little-endian [MS-PST 2.1].
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <bit>
#include <span>

namespace ferrowick::pst {

template <class T>
inline T LoadLE(std::span<const std::uint8_t> bytes, std::size_t at) {
    T v{};
    std::memcpy(&v, bytes.data() + at, sizeof(T));  // the build targets little-endian hosts only
    return v;
}

template <class T>
inline void StoreLE(std::span<std::uint8_t> bytes, std::size_t at, T v) {
    std::memcpy(bytes.data() + at, &v, sizeof(T));
}

static_assert(std::endian::native == std::endian::little, "the .pst code assumes a little-endian host");

}  // namespace ferrowick::pst
