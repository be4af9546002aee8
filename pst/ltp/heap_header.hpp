#pragma once
// HNHDR [MS-PST 2.3.1.2] and HNBITMAPHDR [MS-PST 2.3.1.4]: the headers of a heap's first block
// and of its bitmap blocks (8, 136, 264, ...).
#include <array>
#include <cstddef>
#include <cstdint>

#include "bytes/little_endian.hpp"
#include "pst/ltp/heap_id.hpp"

namespace ferrowick::pst {

struct HeapHeader {
    static constexpr std::size_t kSize = 12;

    std::uint16_t page_map_offset = 0;          // ibHnpm
    std::uint8_t signature = 0;                 // bSig: 0xEC for a heap
    std::uint8_t client_signature = 0;          // bClientSig
    HeapId user_root;                           // hidUserRoot
    std::array<std::uint8_t, 8> fill_levels{};  // rgbFillLevel: of blocks 0 to 7, four bits each

    static HeapHeader Read(le::ByteView bytes);  // the first kSize bytes
    void Write(std::uint8_t* out) const;
    bool operator==(const HeapHeader&) const = default;
};

struct HeapBitmapHeader {
    static constexpr std::size_t kSize = 66;

    std::uint16_t page_map_offset = 0;            // ibHnpm
    std::array<std::uint8_t, 128> fill_levels{};  // rgbFillLevel: of this block and the next 127

    static HeapBitmapHeader Read(le::ByteView bytes);  // the first kSize bytes
    void Write(std::uint8_t* out) const;
    bool operator==(const HeapBitmapHeader&) const = default;
};

// rgbFillLevel: four bits a block, the first block in the low nibble of each byte.
template <std::size_t N>
void UnpackFillLevels(const std::uint8_t* packed, std::array<std::uint8_t, N>& levels) {
    for (std::size_t i = 0; i < N / 2; ++i) {
        levels[2 * i] = packed[i] & 0x0F;
        levels[2 * i + 1] = packed[i] >> 4;
    }
}

template <std::size_t N>
void PackFillLevels(const std::array<std::uint8_t, N>& levels, std::uint8_t* packed) {
    for (std::size_t i = 0; i < N / 2; ++i)
        packed[i] = static_cast<std::uint8_t>((levels[2 * i] & 0x0F) | (levels[2 * i + 1] << 4));
}

inline HeapHeader HeapHeader::Read(le::ByteView bytes) {
    HeapHeader h;
    h.page_map_offset = le::LoadU16(bytes.data());
    h.signature = bytes[2];
    h.client_signature = bytes[3];
    h.user_root = HeapId(le::LoadU32(bytes.data() + 4));
    UnpackFillLevels(bytes.data() + 8, h.fill_levels);
    return h;
}

inline void HeapHeader::Write(std::uint8_t* out) const {
    le::StoreU16(out, page_map_offset);
    out[2] = signature;
    out[3] = client_signature;
    le::StoreU32(out + 4, user_root.value);
    PackFillLevels(fill_levels, out + 8);
}

inline HeapBitmapHeader HeapBitmapHeader::Read(le::ByteView bytes) {
    HeapBitmapHeader h;
    h.page_map_offset = le::LoadU16(bytes.data());
    UnpackFillLevels(bytes.data() + 2, h.fill_levels);
    return h;
}

inline void HeapBitmapHeader::Write(std::uint8_t* out) const {
    le::StoreU16(out, page_map_offset);
    PackFillLevels(fill_levels, out + 2);
}

}  // namespace ferrowick::pst
