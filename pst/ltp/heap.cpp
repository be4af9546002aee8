// Heap-on-node [MS-PST 2.3.1].
#include "pst/ltp/heap.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "pst/ltp/heap_header.hpp"
#include "pst/ltp/heap_page_map.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

[[noreturn]] void Fail(std::size_t block, const std::string& what) {
    throw PstError(ErrorKind::CorruptStructure, "heap block " + std::to_string(block) + ": " + what);
}

constexpr std::size_t PageMapSize(std::size_t items) { return HeapPageMap::SizeFor(items); }
constexpr std::size_t AlignTwo(std::size_t n) { return (n + 1) & ~std::size_t{1}; }

}  // namespace

std::uint8_t FillLevelFor(std::size_t freeBytes) {
    static constexpr std::size_t kFloors[] = {3584, 2560, 2048, 1792, 1536, 1280, 1024, 768,
                                              512,  256,  128,  64,   32,   16,   8};
    for (std::uint8_t level = 0; level < 15; ++level)
        if (freeBytes >= kFloors[level]) return level;
    return 15;
}

// ---------------------------------------------------------------------------------------------
// Reading

HeapReader::HeapReader(const NodeData& node) {
    if (node.pieces.empty()) throw PstError(ErrorKind::CorruptStructure, "heap: the node has no data");
    if (node.pieces.size() > 0xFFFF) throw PstError(ErrorKind::LimitExceeded, "heap: more blocks than a HID can name");
    blocks_.reserve(node.pieces.size());
    for (std::size_t b = 0; b < node.pieces.size(); ++b) {
        const auto& piece = node.pieces[b];
        const std::size_t header = HeapBlockHeaderSize(b);
        if (piece.size() < header + 2)
            Fail(b, "only " + std::to_string(piece.size()) + " bytes, too short for its header");
        Block block;
        block.data = piece.data();
        block.size = piece.size();
        const std::size_t ibHnpm = le::LoadU16(piece.data());
        if (b == 0) {
            const HeapHeader h = HeapHeader::Read(piece);
            if (h.signature != kHeapSignature) Fail(b, "signature is not 0xEC (not a heap-on-node)");
            clientSignature_ = h.client_signature;
            userRoot_ = h.user_root;
            fillLevels_.assign(h.fill_levels.begin(), h.fill_levels.end());
        } else if (HeapBlockKindOf(b) == HeapBlockKind::Bitmap) {
            const HeapBitmapHeader h = HeapBitmapHeader::Read(piece);
            fillLevels_.resize(b);
            fillLevels_.insert(fillLevels_.end(), h.fill_levels.begin(), h.fill_levels.end());
        }
        if (ibHnpm < header || ibHnpm + 4 > piece.size())
            Fail(b, "page map offset " + std::to_string(ibHnpm) + " outside the block of " +
                        std::to_string(piece.size()) + " bytes");
        const le::ByteView mapBytes = le::ByteView(piece).subspan(ibHnpm);
        if (!HeapPageMap::Fits(mapBytes))
            Fail(b, "page map of " + std::to_string(le::LoadU16(mapBytes.data())) +
                        " allocations runs past the block's end");
        HeapPageMap map = HeapPageMap::Read(mapBytes);
        const std::size_t allocCount = map.AllocCount();
        block.free_count = map.free_count;
        if (allocCount > kMaxItemsPerHeapBlock)
            Fail(b, std::to_string(allocCount) + " allocations, more than a HID can name");
        if (block.free_count > allocCount)
            Fail(b, "cFree " + std::to_string(block.free_count) + " exceeds cAlloc " + std::to_string(allocCount));
        block.offsets = std::move(map.alloc_offsets);
        if (block.offsets[0] < header)
            Fail(b, "first allocation at " + std::to_string(block.offsets[0]) + " overlaps the block header");
        for (std::size_t i = 0; i < allocCount; ++i)
            if (block.offsets[i + 1] < block.offsets[i])
                Fail(b, "page map out of order at allocation " + std::to_string(i + 1));
        if (block.offsets[allocCount] > ibHnpm) Fail(b, "allocations overlap the page map");
        blocks_.push_back(std::move(block));
    }
    fillLevels_.resize(blocks_.size());
}

bool HeapReader::Contains(HeapId hid) const {
    if (!hid.HasHidType() || hid.Index() == 0 || hid.BlockIndex() >= blocks_.size()) return false;
    return hid.Index() < blocks_[hid.BlockIndex()].offsets.size();
}

le::ByteView HeapReader::Item(HeapId hid) const {
    if (!Contains(hid)) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", hid.value);
        throw PstError(ErrorKind::CorruptStructure, std::string("heap: HID ") + text + " names no allocation");
    }
    return ItemAt(hid.BlockIndex(), hid.Index() - 1);
}

HeapReader::BlockSummary HeapReader::Summary(std::size_t index) const {
    const Block& b = blocks_.at(index);
    BlockSummary s;
    s.size = b.size;
    s.alloc_count = static_cast<std::uint16_t>(b.offsets.size() - 1);
    s.free_count = b.free_count;
    for (std::size_t i = 0; i + 1 < b.offsets.size(); ++i)
        if (b.offsets[i] == b.offsets[i + 1]) ++s.empty_items;
    s.recorded_fill_level = fillLevels_[index];
    return s;
}

// ---------------------------------------------------------------------------------------------
// Writing

HeapWriter::HeapWriter(std::uint8_t clientSignature) : clientSignature_(clientSignature) { blocks_.emplace_back(); }

HeapWriter HeapWriter::From(const HeapReader& reader) {
    HeapWriter writer(reader.ClientSignature());
    writer.blocks_.assign(reader.BlockCount(), Block());
    reader.ForEachItem([&](HeapId hid, le::ByteView bytes) {
        Block& block = writer.blocks_[hid.BlockIndex()];
        block.items.emplace_back(bytes.begin(), bytes.end());
        block.item_bytes += bytes.size();
        if (bytes.empty()) block.free_slots.push_back(hid.Index());
    });
    writer.userRoot_ = reader.UserRoot();
    return writer;
}

std::size_t HeapWriter::BlockSize(std::size_t index, std::size_t extraBytes, std::size_t extraItems) const {
    const Block& b = blocks_[index];
    return AlignTwo(HeapBlockHeaderSize(index) + b.item_bytes + extraBytes) + PageMapSize(b.items.size() + extraItems);
}

bool HeapWriter::Fits(std::size_t block, std::size_t size, bool newSlot) const {
    if (newSlot && blocks_[block].items.size() >= kMaxItemsPerHeapBlock) return false;
    return BlockSize(block, size, newSlot ? 1 : 0) <= kMaxDataBlockPayload;
}

HeapId HeapWriter::Place(le::Bytes&& bytes) {
    if (bytes.size() > kMaxHeapAllocation)
        throw PstError(ErrorKind::LimitExceeded, "heap: an item of " + std::to_string(bytes.size()) +
                                                     " bytes exceeds the " + std::to_string(kMaxHeapAllocation) +
                                                     "-byte limit");
    std::size_t index = blocks_.size() - 1;
    Block* block = &blocks_[index];
    const bool reuse = !block->free_slots.empty();
    if (block->kept || !Fits(index, bytes.size(), !reuse)) {
        OpenBlock();
        index = blocks_.size() - 1;
        block = &blocks_[index];
    }
    block->item_bytes += bytes.size();
    std::uint16_t slot;
    if (!block->free_slots.empty()) {
        slot = block->free_slots.back();
        block->free_slots.pop_back();
        block->items[slot - 1] = std::move(bytes);
    } else {
        block->items.push_back(std::move(bytes));
        slot = static_cast<std::uint16_t>(block->items.size());
    }
    return HeapId::Make(static_cast<std::uint16_t>(index), slot);
}

void HeapWriter::OpenBlock() {
    const auto add = [this] {
        if (blocks_.size() >= 0xFFFF) throw PstError(ErrorKind::LimitExceeded, "heap: full (65,535 blocks)");
        blocks_.emplace_back();
    };
    add();
    if (leaveBitmapBlocksEmpty_ && HeapBlockKindOf(blocks_.size() - 1) == HeapBlockKind::Bitmap) add();
}

void HeapWriter::StartBlock() {
    const Block& last = blocks_.back();
    if (blocks_.size() > 1 && !last.kept && last.items.empty()) return;
    OpenBlock();
}

std::size_t HeapWriter::KeepBlock(std::uint8_t fillLevel) {
    OpenBlock();
    Block& block = blocks_.back();
    block.kept = true;
    block.keptFillLevel = fillLevel;
    return blocks_.size() - 1;
}

std::uint8_t HeapWriter::FillLevel(std::size_t block) const {
    const Block& b = blocks_.at(block);
    return b.kept ? b.keptFillLevel : FillLevelFor(kMaxDataBlockPayload - BlockSize(block, 0, 0));
}

HeapId HeapWriter::Allocate(le::ByteView bytes) { return Place(le::Bytes(bytes.begin(), bytes.end())); }
HeapId HeapWriter::Allocate(le::Bytes&& bytes) { return Place(std::move(bytes)); }

HeapWriter::Block& HeapWriter::BlockOf(HeapId hid) {
    return const_cast<Block&>(static_cast<const HeapWriter*>(this)->BlockOf(hid));
}

const HeapWriter::Block& HeapWriter::BlockOf(HeapId hid) const {
    if (!hid.HasHidType() || hid.BlockIndex() >= blocks_.size() || hid.Index() == 0 ||
        hid.Index() > blocks_[hid.BlockIndex()].items.size())
        throw PstError(ErrorKind::CorruptStructure, "heap: HID " + std::to_string(hid.value) + " names no allocation");
    return blocks_[hid.BlockIndex()];
}

le::ByteView HeapWriter::Item(HeapId hid) const { return BlockOf(hid).items[hid.Index() - 1]; }

void HeapWriter::Free(HeapId hid) {
    Block& block = BlockOf(hid);
    le::Bytes& item = block.items[hid.Index() - 1];
    if (item.empty() &&
        std::find(block.free_slots.begin(), block.free_slots.end(), hid.Index()) != block.free_slots.end())
        return;
    block.item_bytes -= item.size();
    le::Bytes().swap(item);
    block.free_slots.push_back(hid.Index());
}

HeapId HeapWriter::Replace(HeapId hid, le::ByteView bytes) {
    if (bytes.size() > kMaxHeapAllocation)
        throw PstError(ErrorKind::LimitExceeded, "heap: an item of " + std::to_string(bytes.size()) +
                                                     " bytes exceeds the " + std::to_string(kMaxHeapAllocation) +
                                                     "-byte limit");
    Block& block = BlockOf(hid);
    le::Bytes& item = block.items[hid.Index() - 1];
    const std::size_t oldSize = item.size();
    if (bytes.size() <= oldSize || Fits(hid.BlockIndex(), bytes.size() - oldSize, false)) {
        block.item_bytes = block.item_bytes - oldSize + bytes.size();
        item.assign(bytes.begin(), bytes.end());
        return hid;
    }
    le::Bytes copy(bytes.begin(), bytes.end());
    Free(hid);
    return Place(std::move(copy));
}

std::vector<std::vector<std::uint8_t>> HeapWriter::Finish() const {
    std::vector<std::vector<std::uint8_t>> pieces(blocks_.size());
    std::vector<std::uint8_t> fillLevels(blocks_.size());
    for (std::size_t b = 0; b < blocks_.size(); ++b) fillLevels[b] = FillLevel(b);
    // The fill levels a header records: of its block and the ones after it, 0 past the last.
    auto levelsFrom = [&](std::size_t first, auto& levels) {
        for (std::size_t i = 0; i < levels.size(); ++i)
            levels[i] = first + i < fillLevels.size() ? fillLevels[first + i] : 0;
    };
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        const Block& block = blocks_[b];
        if (block.kept) continue;  // its piece stays empty: the block in the file is used
        const std::size_t header = HeapBlockHeaderSize(b);
        const std::size_t ibHnpm = AlignTwo(header + block.item_bytes);
        auto& out = pieces[b];
        out.assign(ibHnpm + PageMapSize(block.items.size()), 0);
        le::StoreU16(out.data(), static_cast<std::uint16_t>(ibHnpm));
        switch (HeapBlockKindOf(b)) {
            case HeapBlockKind::First: {
                HeapHeader h{static_cast<std::uint16_t>(ibHnpm), kHeapSignature, clientSignature_, userRoot_, {}};
                levelsFrom(0, h.fill_levels);
                h.Write(out.data());
                break;
            }
            case HeapBlockKind::Bitmap: {
                HeapBitmapHeader h{static_cast<std::uint16_t>(ibHnpm), {}};
                levelsFrom(b, h.fill_levels);
                h.Write(out.data());
                break;
            }
            case HeapBlockKind::Page:
                break;
        }
        HeapPageMap map;
        map.free_count = static_cast<std::uint16_t>(block.free_slots.size());
        map.alloc_offsets.reserve(block.items.size() + 1);
        std::size_t offset = header;
        for (std::size_t i = 0; i < block.items.size(); ++i) {
            map.alloc_offsets.push_back(static_cast<std::uint16_t>(offset));
            if (!block.items[i].empty()) std::memcpy(out.data() + offset, block.items[i].data(), block.items[i].size());
            offset += block.items[i].size();
        }
        map.alloc_offsets.push_back(static_cast<std::uint16_t>(offset));
        map.Write(out.data() + ibHnpm);
    }
    return pieces;
}

}  // namespace ferrowick::pst
