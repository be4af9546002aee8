#pragma once
// BTree-on-Heap [MS-PST 2.3.2]: sorted fixed-size records in heap items. BTHHEADER
// (bType 0xB5, cbKey, cbEnt, bIdxLevels, hidRoot) [2.3.2.1]; intermediate records are a key
// and the HID of the next level [2.3.2.2]; leaf records a key and its data [2.3.2.3].
// Keys are little-endian unsigned numbers of cbKey bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

#include "pst/ltp/heap.hpp"

namespace ferrowick::pst {

inline constexpr std::uint8_t kBthSignature = 0xB5;
inline constexpr std::size_t kBthHeaderSize = 8;

struct BthHeader {
    std::uint8_t key_size = 0;      // cbKey: 2, 4, 8 or 16
    std::uint8_t data_size = 0;     // cbEnt: 1..32
    std::uint8_t index_levels = 0;  // bIdxLevels: 0 when the root is a leaf
    HeapId root;                    // hidRoot: null when the BTH is empty

    static BthHeader Parse(le::ByteView bytes);  // validates
    le::Bytes Serialize() const;
};

// Compares two keys of the same size as little-endian unsigned numbers.
int CompareBthKeys(const std::uint8_t* a, const std::uint8_t* b, std::size_t size);

// Reads a BTH and checks it as it goes: node sizes, key order across the whole tree, levels,
// every node reached once. All records are gathered at construction, in key order.
class BthReader {
public:
    BthReader(const HeapReader& heap, HeapId header);

    const BthHeader& Header() const { return header_; }
    std::size_t RecordSize() const { return std::size_t{header_.key_size} + header_.data_size; }
    std::size_t Count() const { return RecordSize() ? records_.size() / RecordSize() : 0; }
    le::ByteView Key(std::size_t i) const { return le::ByteView(records_.data() + i * RecordSize(), header_.key_size); }
    le::ByteView Data(std::size_t i) const {
        return le::ByteView(records_.data() + i * RecordSize() + header_.key_size, header_.data_size);
    }
    std::optional<std::size_t> Find(le::ByteView key) const;  // binary search

private:
    void Walk(const HeapReader& heap, HeapId hid, unsigned level, const std::uint8_t* low, const std::uint8_t* high,
              std::unordered_set<std::uint32_t>& seen);
    BthHeader header_;
    le::Bytes records_;
};

// Writes records (already sorted by key, keys unique) as a BTH into `heap` and returns the
// HID of its BTHHEADER, which goes in `header` when that names an 8-byte item already allocated.
HeapId WriteBth(HeapWriter& heap, std::uint8_t keySize, std::uint8_t dataSize, le::ByteView sortedRecords,
                HeapId header = HeapId());

}  // namespace ferrowick::pst
