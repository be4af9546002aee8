#pragma once
// Heap-on-node [MS-PST 2.3.1]: a node's data blocks used as a small-object heap.
// Block 0 opens with HNHDR, blocks 8, 136, 264, ... (every 128 from 8) with HNBITMAPHDR and
// the others with HNPAGEHDR [2.3.1.2-2.3.1.4]; each block ends with an HNPAGEMAP listing the
// start of every allocation [2.3.1.5]. Items are named by HID [2.3.1.1].
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "bytes/little_endian.hpp"
#include "pst/ltp/heap_header.hpp"
#include "pst/ltp/heap_id.hpp"
#include "pst/node_data.hpp"

namespace ferrowick::pst {

inline constexpr std::uint8_t kHeapSignature = 0xEC;        // bSig
inline constexpr std::size_t kMaxHeapAllocation = 3580;     // the largest item a heap holds
inline constexpr std::size_t kHeapPageHeaderSize = 2;       // HNPAGEHDR
inline constexpr std::size_t kHeapBitmapHeaderSize = 66;    // HNBITMAPHDR
inline constexpr std::size_t kMaxItemsPerHeapBlock = 2047;  // hidIndex has 11 bits

// bClientSig values [MS-PST 2.3.1.2].
enum class HeapClient : std::uint8_t { TableContext = 0x7C, Bth = 0xB5, PropertyContext = 0xBC };

// Which header a heap block starts with.
enum class HeapBlockKind { First, Bitmap, Page };
constexpr HeapBlockKind HeapBlockKindOf(std::size_t blockIndex) {
    if (blockIndex == 0) return HeapBlockKind::First;
    if (blockIndex % 128 == 8) return HeapBlockKind::Bitmap;
    return HeapBlockKind::Page;
}
constexpr std::size_t HeapBlockHeaderSize(std::size_t blockIndex) {
    switch (HeapBlockKindOf(blockIndex)) {
        case HeapBlockKind::First:
            return HeapHeader::kSize;
        case HeapBlockKind::Bitmap:
            return kHeapBitmapHeaderSize;
        default:
            return kHeapPageHeaderSize;
    }
}

// The 4-bit fill level of a block from its free bytes [MS-PST 2.3.1.2 rgbFillLevel].
std::uint8_t FillLevelFor(std::size_t freeBytes);

// Reads and validates a heap in place; the NodeData must outlive the reader.
// Every malformation (bad signature, page map out of bounds or out of order, bad HID) is a
// PstError naming what is wrong.
class HeapReader {
public:
    explicit HeapReader(const NodeData& node);

    std::uint8_t ClientSignature() const { return clientSignature_; }
    HeapId UserRoot() const { return userRoot_; }
    std::size_t BlockCount() const { return blocks_.size(); }

    bool Contains(HeapId hid) const;
    le::ByteView Item(HeapId hid) const;  // throws PstError when hid names no allocation

    struct BlockSummary {
        std::size_t size = 0;           // bytes of the block
        std::uint16_t alloc_count = 0;  // cAlloc
        std::uint16_t free_count = 0;   // cFree
        std::uint16_t empty_items = 0;  // allocations of zero bytes (freed)
        std::uint8_t recorded_fill_level = 0;
    };
    BlockSummary Summary(std::size_t blockIndex) const;
    // Calls visit(hid, bytes) for every allocation, freed ones included (they are empty).
    template <typename Visit>
    void ForEachItem(Visit&& visit) const {
        for (std::size_t b = 0; b < blocks_.size(); ++b)
            for (std::size_t i = 0; i + 1 < blocks_[b].offsets.size(); ++i)
                visit(HeapId::Make(static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(i + 1)), ItemAt(b, i));
    }

private:
    struct Block {
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
        std::uint16_t free_count = 0;
        std::vector<std::uint16_t> offsets;  // cAlloc + 1 entries
    };
    le::ByteView ItemAt(std::size_t block, std::size_t index) const {
        const Block& b = blocks_[block];
        return le::ByteView(b.data + b.offsets[index], b.offsets[index + 1] - b.offsets[index]);
    }
    std::vector<Block> blocks_;
    std::vector<std::uint8_t> fillLevels_;
    std::uint8_t clientSignature_ = 0;
    HeapId userRoot_;
};

// Builds a heap: allocate, free and replace items, then Finish() gives one piece per block.
class HeapWriter {
public:
    explicit HeapWriter(HeapClient client) : HeapWriter(static_cast<std::uint8_t>(client)) {}
    explicit HeapWriter(std::uint8_t clientSignature);
    // Takes over an existing heap with every item at its HID.
    static HeapWriter From(const HeapReader& reader);

    HeapId Allocate(le::ByteView bytes);  // throws PstError above kMaxHeapAllocation
    HeapId Allocate(le::Bytes&& bytes);
    void Free(HeapId hid);
    // Keeps the HID when the new bytes fit in the item's block, else moves the item.
    HeapId Replace(HeapId hid, le::ByteView bytes);
    le::ByteView Item(HeapId hid) const;

    void SetUserRoot(HeapId hid) { userRoot_ = hid; }
    HeapId UserRoot() const { return userRoot_; }
    std::uint8_t ClientSignature() const { return clientSignature_; }
    std::size_t BlockCount() const { return blocks_.size(); }

    // For a heap rewritten block by block, whose unchanged blocks are written only once:
    // bitmap blocks (8, 136, ...) carry their header and no items, since their fill levels
    // change whenever another block does.
    void LeaveBitmapBlocksEmpty() { leaveBitmapBlocksEmpty_ = true; }
    // Items from here on go to a new block.
    void StartBlock();
    // Stands for a block already in the file, items and all, that this heap keeps as it is:
    // Finish() gives an empty piece for it. Returns the block's index.
    std::size_t KeepBlock(std::uint8_t fillLevel);
    bool IsKept(std::size_t block) const { return blocks_.at(block).kept; }
    std::uint8_t FillLevel(std::size_t block) const;

    std::vector<std::vector<std::uint8_t>> Finish() const;

private:
    struct Block {
        std::vector<le::Bytes> items;           // index i is hidIndex i + 1
        std::vector<std::uint16_t> free_slots;  // freed indexes to reuse
        std::size_t item_bytes = 0;
        bool kept = false;
        std::uint8_t keptFillLevel = 0;
    };
    void OpenBlock();
    std::size_t BlockSize(std::size_t index, std::size_t extraBytes, std::size_t extraItems) const;
    bool Fits(std::size_t block, std::size_t size, bool newSlot) const;
    HeapId Place(le::Bytes&& bytes);
    Block& BlockOf(HeapId hid);
    const Block& BlockOf(HeapId hid) const;

    std::vector<Block> blocks_;
    std::uint8_t clientSignature_;
    HeapId userRoot_;
    bool leaveBitmapBlocksEmpty_ = false;
};

}  // namespace ferrowick::pst
