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

inline HeapHeader HeapHeader::Read(le::ByteView bytes) {
    HeapHeader h;
    h.page_map_offset = le::LoadU16(bytes.data());
    h.signature = bytes[2];
    h.client_signature = bytes[3];
    h.user_root = HeapId(le::LoadU32(bytes.data() + 4));
    for (std::size_t i = 0; i < 4; ++i) {
        h.fill_levels[2 * i] = bytes[8 + i] & 0x0F;
        h.fill_levels[2 * i + 1] = bytes[8 + i] >> 4;
    }
    return h;
}

inline void HeapHeader::Write(std::uint8_t* out) const {
    le::StoreU16(out, page_map_offset);
    out[2] = signature;
    out[3] = client_signature;
    le::StoreU32(out + 4, user_root.value);
    for (std::size_t i = 0; i < 4; ++i)
        out[8 + i] = static_cast<std::uint8_t>((fill_levels[2 * i] & 0x0F) | (fill_levels[2 * i + 1] << 4));
}

inline HeapBitmapHeader HeapBitmapHeader::Read(le::ByteView bytes) {
    HeapBitmapHeader h;
    h.page_map_offset = le::LoadU16(bytes.data());
    for (std::size_t i = 0; i < 64; ++i) {
        h.fill_levels[2 * i] = bytes[2 + i] & 0x0F;
        h.fill_levels[2 * i + 1] = bytes[2 + i] >> 4;
    }
    return h;
}

inline void HeapBitmapHeader::Write(std::uint8_t* out) const {
    le::StoreU16(out, page_map_offset);
    for (std::size_t i = 0; i < 64; ++i)
        out[2 + i] = static_cast<std::uint8_t>((fill_levels[2 * i] & 0x0F) | (fill_levels[2 * i + 1] << 4));
}

}  // namespace ferrowick::pst
