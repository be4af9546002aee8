#include <gtest/gtest.h>

#include <random>

#include "pst/check/ltp_checks.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/heap_header.hpp"
#include "pst/ltp/heap_page_map.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

le::Bytes Pattern(std::size_t size, std::uint32_t seed) {
    le::Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>((i * 131 + seed * 7) >> 2);
    return b;
}

NodeData Finish(const HeapWriter& writer) {
    NodeData node;
    node.pieces = writer.Finish();
    return node;
}

TEST(Heap, ItemsSpreadOverManyBlocksReadBackAtTheirHids) {
    HeapWriter writer(HeapClient::PropertyContext);
    std::mt19937 random(7);
    std::vector<std::pair<HeapId, le::Bytes>> items;
    while (writer.BlockCount() < 300) {  // past the bitmap headers of blocks 8 and 136 and 264
        const std::size_t size = std::uniform_int_distribution<std::size_t>(0, kMaxHeapAllocation)(random);
        le::Bytes bytes = Pattern(size, static_cast<std::uint32_t>(items.size()));
        items.emplace_back(writer.Allocate(bytes), bytes);
    }
    writer.SetUserRoot(items[3].first);
    const NodeData node = Finish(writer);
    ASSERT_EQ(node.pieces.size(), writer.BlockCount());
    for (const auto& piece : node.pieces) EXPECT_LE(piece.size(), kMaxDataBlockPayload);
    for (std::size_t b = 0; b < node.pieces.size(); ++b) {
        const std::size_t ibHnpm = le::LoadU16(node.pieces[b].data());
        EXPECT_EQ(ibHnpm % 2, 0u) << "page maps start 2-byte aligned";
        EXPECT_GE(ibHnpm, HeapBlockHeaderSize(b));
    }
    EXPECT_EQ(HeapBlockKindOf(8), HeapBlockKind::Bitmap);
    EXPECT_EQ(HeapBlockKindOf(136), HeapBlockKind::Bitmap);
    EXPECT_EQ(HeapBlockKindOf(9), HeapBlockKind::Page);

    const HeapReader reader(node);
    EXPECT_EQ(reader.ClientSignature(), 0xBC);
    EXPECT_EQ(reader.UserRoot(), items[3].first);
    for (const auto& [hid, bytes] : items) {
        const le::ByteView got = reader.Item(hid);
        ASSERT_EQ(le::Bytes(got.begin(), got.end()), bytes) << hid.value;
    }
    // Fill levels recorded in HNHDR and the bitmap headers match each block's free space.
    for (std::size_t b = 0; b < reader.BlockCount(); ++b)
        EXPECT_EQ(reader.Summary(b).recorded_fill_level, FillLevelFor(kMaxDataBlockPayload - node.pieces[b].size()))
            << b;
}

TEST(HeapPageMap, FieldsSitAtTheirOffsetsAndAShortMapIsRefused) {
    HeapPageMap map;
    map.free_count = 1;
    map.alloc_offsets = {12, 20, 26};
    le::Bytes out(HeapPageMap::SizeFor(map.AllocCount()), 0xAA);
    map.Write(out.data());
    EXPECT_EQ(out, (le::Bytes{2, 0, 1, 0, 12, 0, 20, 0, 26, 0}));  // cAlloc, cFree, rgibAlloc
    ASSERT_TRUE(HeapPageMap::Fits(out));
    const HeapPageMap back = HeapPageMap::Read(out);
    EXPECT_EQ(back.free_count, 1);
    EXPECT_EQ(back.alloc_offsets, map.alloc_offsets);
    EXPECT_FALSE(HeapPageMap::Fits(le::ByteView(out).first(out.size() - 1)));
    EXPECT_FALSE(HeapPageMap::Fits(le::ByteView(out).first(3)));
}

TEST(HeapBitmapHeader, FillLevelsArePackedTwoToAByteLowNibbleFirst) {
    HeapBitmapHeader h;
    h.page_map_offset = 0x1234;
    h.fill_levels[0] = 0x3;
    h.fill_levels[1] = 0xA;
    h.fill_levels[127] = 0xF;
    le::Bytes out(HeapBitmapHeader::kSize, 0);
    h.Write(out.data());
    EXPECT_EQ(out[0], 0x34);  // ibHnpm
    EXPECT_EQ(out[1], 0x12);
    EXPECT_EQ(out[2], 0xA3);   // rgbFillLevel: blocks 0 and 1
    EXPECT_EQ(out[65], 0xF0);  // block 127 in the last byte's high nibble
    EXPECT_EQ(HeapBitmapHeader::Read(out), h);
}

TEST(HeapHeader, FieldsOfTheFirstBlockReadBackAsWritten) {
    HeapWriter writer(HeapClient::PropertyContext);
    const HeapId root = writer.Allocate(le::Bytes(40, 7));
    writer.Allocate(le::Bytes(kMaxHeapAllocation, 1));
    writer.Allocate(le::Bytes(kMaxHeapAllocation, 2));  // the first block fills up
    writer.SetUserRoot(root);
    const auto pieces = writer.Finish();
    const HeapHeader h = HeapHeader::Read(pieces[0]);
    EXPECT_EQ(h.signature, kHeapSignature);
    EXPECT_EQ(h.client_signature, 0xBC);
    EXPECT_EQ(h.user_root, root);
    EXPECT_EQ(h.page_map_offset, le::LoadU16(pieces[0].data()));
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_GT(h.fill_levels[0], 0) << "a block this full has a level above empty";
    for (std::size_t i = 1; i < h.fill_levels.size(); ++i) EXPECT_EQ(h.fill_levels[i], 0) << "no block " << i;
    le::Bytes back(HeapHeader::kSize, 0);
    h.Write(back.data());
    EXPECT_EQ(back, le::Bytes(pieces[0].begin(), pieces[0].begin() + HeapHeader::kSize));
    HeapHeader levels;
    levels.fill_levels = {1, 2, 3, 4, 5, 6, 7, 15};
    levels.Write(back.data());
    EXPECT_EQ(back[8], 0x21);  // block 0 in the low four bits
    EXPECT_EQ(back[11], 0xF7);
    EXPECT_EQ(HeapHeader::Read(back), levels);
}

TEST(Heap, FreeAndReplace) {
    HeapWriter writer(HeapClient::Bth);
    const HeapId a = writer.Allocate(Pattern(100, 1));
    const HeapId b = writer.Allocate(Pattern(200, 2));
    writer.Free(a);
    EXPECT_EQ(writer.Replace(b, Pattern(300, 3)), b) << "room in the block: the item stays";
    const HeapId c = writer.Allocate(Pattern(50, 4));
    EXPECT_EQ(c, a) << "a freed slot is reused";
    const HeapId d = writer.Allocate(Pattern(10, 5));
    writer.Free(d);

    const NodeData node = Finish(writer);
    const HeapReader reader(node);
    EXPECT_EQ(reader.Item(d).size(), 0u);
    EXPECT_EQ(reader.Summary(0).free_count, 1);
    EXPECT_EQ(le::Bytes(reader.Item(b).begin(), reader.Item(b).end()), Pattern(300, 3));

    // Taking over a written heap keeps every HID.
    HeapWriter again = HeapWriter::From(reader);
    EXPECT_EQ(le::Bytes(again.Item(c).begin(), again.Item(c).end()), Pattern(50, 4));
    EXPECT_EQ(again.Allocate(Pattern(1, 6)), d);
}

TEST(Heap, ReplaceMovesAnItemThatNoLongerFits) {
    HeapWriter writer(HeapClient::PropertyContext);
    writer.Allocate(Pattern(3000, 1));
    writer.Allocate(Pattern(3000, 2));
    const HeapId first = writer.Allocate(Pattern(1500, 3));
    const HeapId moved = writer.Replace(first, Pattern(2500, 4));
    EXPECT_NE(moved, first);
    EXPECT_EQ(moved.BlockIndex(), 1);
    const NodeData node = Finish(writer);
    const HeapReader reader(node);
    EXPECT_EQ(reader.Item(first).size(), 0u);
    EXPECT_EQ(le::Bytes(reader.Item(moved).begin(), reader.Item(moved).end()), Pattern(2500, 4));
}

TEST(Heap, RefusesItemsAboveTheLimit) {
    HeapWriter writer(HeapClient::PropertyContext);
    EXPECT_NO_THROW(writer.Allocate(le::Bytes(kMaxHeapAllocation)));
    try {
        writer.Allocate(le::Bytes(kMaxHeapAllocation + 1));
        FAIL() << "an item larger than a heap allocation was accepted";
    } catch (const PstError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::LimitExceeded) << e.what();
    }
}

TEST(Heap, FillLevelBoundaries) {
    EXPECT_EQ(FillLevelFor(8176), 0);
    EXPECT_EQ(FillLevelFor(3584), 0);
    EXPECT_EQ(FillLevelFor(3583), 1);
    EXPECT_EQ(FillLevelFor(2048), 2);
    EXPECT_EQ(FillLevelFor(8), 14);
    EXPECT_EQ(FillLevelFor(7), 15);
    EXPECT_EQ(FillLevelFor(0), 15);
}

TEST(Heap, DamageGivesAClearError) {
    HeapWriter writer(HeapClient::PropertyContext);
    const HeapId one = writer.Allocate(Pattern(40, 1));
    writer.Allocate(Pattern(60, 2));
    const NodeData good = Finish(writer);
    auto expectError = [](const NodeData& node, const char* text) {
        try {
            HeapReader reader(node);
            FAIL() << "accepted a heap with " << text;
        } catch (const PstError& e) {
            EXPECT_EQ(e.Kind(), ErrorKind::CorruptStructure) << e.what();
        }
    };
    NodeData empty;
    expectError(empty, "no data");
    NodeData bad = good;
    bad.pieces[0][2] = 0xED;
    expectError(bad, "a wrong signature");
    bad = good;
    bad.pieces[0].resize(11);
    expectError(bad, "a truncated header");
    bad = good;
    le::StoreU16(bad.pieces[0].data(), 0xFFF0);
    expectError(bad, "a page map past the end");
    bad = good;
    const std::size_t map = le::LoadU16(good.pieces[0].data());
    le::StoreU16(bad.pieces[0].data() + map + 6, 0x0800);  // rgibAlloc[1] far beyond rgibAlloc[2]
    expectError(bad, "page map entries out of order");
    bad = good;
    le::StoreU16(bad.pieces[0].data() + map, 0x7000);  // cAlloc larger than the block
    expectError(bad, "a page map count that lies");

    const HeapReader reader(good);
    EXPECT_TRUE(reader.Contains(one));
    EXPECT_THROW(reader.Item(HeapId::Make(0, 3)), PstError);
    EXPECT_THROW(reader.Item(HeapId::Make(1, 1)), PstError);
    EXPECT_THROW(reader.Item(HeapId(one.value | 0x4)), PstError) << "not of NID type HID";
}

TEST(Heap, CheckFindsWhatTheReaderTolerates) {
    HeapWriter writer(HeapClient::PropertyContext);
    const HeapId one = writer.Allocate(Pattern(40, 1));
    writer.SetUserRoot(one);
    const NodeData good = Finish(writer);
    EXPECT_TRUE(CheckHeap(good, "n").empty());

    NodeData bad = good;
    le::StoreU32(bad.pieces[0].data() + 4, HeapId::Make(0, 9).value);
    Findings f = CheckHeap(bad, "node 0x21");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].kind, "heap");
    EXPECT_NE(f[0].what.find("hidUserRoot"), std::string::npos);

    bad = good;
    const std::size_t map = le::LoadU16(good.pieces[0].data());
    le::StoreU16(bad.pieces[0].data() + map + 2, 1);  // cFree 1, but no item is empty
    f = CheckHeap(bad, "n");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_NE(f[0].what.find("cFree"), std::string::npos);

    bad = good;
    bad.pieces[0].resize(kMaxDataBlockPayload + 10, 0);  // page map still inside, block too large
    f = CheckHeap(bad, "n");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_NE(f[0].what.find("more than a data block"), std::string::npos);

    bad = good;
    bad.pieces[0][2] = 0;
    f = CheckLtpNode(NodeId::Make(NidType::NormalFolder, 1), bad, "n");
    ASSERT_EQ(f.size(), 1u) << "a folder must hold a heap";
    EXPECT_TRUE(CheckLtpNode(NodeId(0x1E1), bad, "n").empty()) << "other internal nodes may hold plain streams";
}

}  // namespace
}  // namespace ferrowick::pst
