#pragma once
// HNPAGEMAP [MS-PST 2.3.1.5]: where each allocation of a heap block starts, at the block's
// ibHnpm.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bytes/little_endian.hpp"

namespace ferrowick::pst {

struct HeapPageMap {
    std::uint16_t free_count = 0;              // cFree
    std::vector<std::uint16_t> alloc_offsets;  // rgibAlloc: cAlloc + 1 entries, the last one the end

    // cAlloc, cFree and rgibAlloc of `allocations` items.
    static constexpr std::size_t SizeFor(std::size_t allocations) { return 4 + 2 * (allocations + 1); }
    std::size_t AllocCount() const { return alloc_offsets.empty() ? 0 : alloc_offsets.size() - 1; }

    // Whether `bytes` is long enough for the map its cAlloc announces; Read needs it.
    static bool Fits(le::ByteView bytes) {
        return bytes.size() >= 4 && bytes.size() >= SizeFor(le::LoadU16(bytes.data()));
    }
    static HeapPageMap Read(le::ByteView bytes);
    void Write(std::uint8_t* out) const;
};

inline HeapPageMap HeapPageMap::Read(le::ByteView bytes) {
    HeapPageMap map;
    const std::size_t allocCount = le::LoadU16(bytes.data());
    map.free_count = le::LoadU16(bytes.data() + 2);
    map.alloc_offsets.resize(allocCount + 1);
    for (std::size_t i = 0; i <= allocCount; ++i) map.alloc_offsets[i] = le::LoadU16(bytes.data() + 4 + 2 * i);
    return map;
}

inline void HeapPageMap::Write(std::uint8_t* out) const {
    le::StoreU16(out, static_cast<std::uint16_t>(AllocCount()));
    le::StoreU16(out + 2, free_count);
    for (std::size_t i = 0; i < alloc_offsets.size(); ++i) le::StoreU16(out + 4 + 2 * i, alloc_offsets[i]);
}

}  // namespace ferrowick::pst
