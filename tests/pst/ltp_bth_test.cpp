#include <gtest/gtest.h>

#include "pst/ltp/bth.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

le::Bytes Records(std::size_t count, std::size_t keySize, std::size_t dataSize) {
    le::Bytes out;
    for (std::size_t i = 0; i < count; ++i) {
        le::Bytes key(keySize, 0);
        const std::uint64_t k = i * 3 + 1;
        for (std::size_t b = 0; b < std::min<std::size_t>(keySize, 8); ++b)
            key[b] = static_cast<std::uint8_t>(k >> (8 * b));
        out.insert(out.end(), key.begin(), key.end());
        for (std::size_t b = 0; b < dataSize; ++b) out.push_back(static_cast<std::uint8_t>(i + b));
    }
    return out;
}

struct Written {
    NodeData node;
    HeapId header;
};

Written Write(const le::Bytes& records, std::uint8_t keySize, std::uint8_t dataSize) {
    HeapWriter heap(HeapClient::Bth);
    Written w;
    w.header = WriteBth(heap, keySize, dataSize, records);
    heap.SetUserRoot(w.header);
    w.node.pieces = heap.Finish();
    return w;
}

TEST(Bth, RoundTripsAtEveryKeySizeAndDepth) {
    struct Case {
        std::size_t count;
        std::uint8_t key, data;
        std::uint8_t levels;
    };
    for (const Case c : {Case{0, 2, 6, 0}, Case{1, 4, 4, 0}, Case{447, 4, 4, 0}, Case{448, 4, 4, 1},
                         Case{3000, 8, 8, 1}, Case{200000, 4, 4, 2}, Case{500, 16, 32, 1}}) {
        const le::Bytes records = Records(c.count, c.key, c.data);
        const Written w = Write(records, c.key, c.data);
        const HeapReader heap(w.node);
        const BthReader bth(heap, heap.UserRoot());
        EXPECT_EQ(bth.Header().index_levels, c.levels) << c.count;
        ASSERT_EQ(bth.Count(), c.count);
        for (std::size_t i = 0; i < c.count; i += 97) {
            const std::size_t record = std::size_t{c.key} + c.data;
            const le::ByteView key(records.data() + i * record, c.key);
            ASSERT_EQ(bth.Find(key), i);
            EXPECT_TRUE(std::equal(bth.Data(i).begin(), bth.Data(i).end(), records.begin() + i * record + c.key));
        }
        const le::Bytes absent(c.key, 0);  // key 0 is never written
        EXPECT_FALSE(bth.Find(absent).has_value());
    }
}

TEST(Bth, WriterRefusesUnsortedOrDuplicateKeys) {
    HeapWriter heap(HeapClient::Bth);
    le::Bytes records = {2, 0, 9, 1, 0, 9};  // keys 2 then 1
    EXPECT_THROW(WriteBth(heap, 2, 1, records), PstError);
    records = {1, 0, 9, 1, 0, 9};
    EXPECT_THROW(WriteBth(heap, 2, 1, records), PstError);
}

TEST(Bth, DamageGivesAClearError) {
    const Written w = Write(Records(3000, 4, 4), 4, 4);  // one index level over several leaves
    const HeapReader goodHeap(w.node);
    const BthHeader header = BthHeader::Parse(goodHeap.Item(w.header));
    const le::ByteView root = goodHeap.Item(header.root);
    const HeapId firstLeaf(le::LoadU32(root.data() + 4));

    auto patch = [&](HeapId hid, std::size_t offset, std::initializer_list<std::uint8_t> bytes) {
        NodeData node = w.node;
        const le::ByteView item = goodHeap.Item(hid);
        auto& piece = node.pieces[hid.BlockIndex()];
        const std::size_t at = static_cast<std::size_t>(item.data() - w.node.pieces[hid.BlockIndex()].data()) + offset;
        std::copy(bytes.begin(), bytes.end(), piece.begin() + static_cast<std::ptrdiff_t>(at));
        return node;
    };
    auto expectError = [](const NodeData& node, const char* text) {
        const HeapReader heap(node);
        EXPECT_THROW(BthReader(heap, heap.UserRoot()), PstError) << text;
    };
    expectError(patch(w.header, 0, {0xB6}), "a wrong signature");
    expectError(patch(w.header, 1, {3}), "a key size of 3");
    expectError(patch(w.header, 3, {9}), "too many levels");
    expectError(patch(firstLeaf, 0, {0xFF, 0xFF, 0xFF, 0x7F}), "a leaf key out of order");
    // The second index entry points at the first leaf again.
    expectError(patch(header.root, 12,
                      {static_cast<std::uint8_t>(firstLeaf.value), static_cast<std::uint8_t>(firstLeaf.value >> 8),
                       static_cast<std::uint8_t>(firstLeaf.value >> 16),
                       static_cast<std::uint8_t>(firstLeaf.value >> 24)}),
                "a node reached twice");
    // The index entry points at the header: a node of the wrong size.
    expectError(patch(header.root, 4,
                      {static_cast<std::uint8_t>(w.header.value), static_cast<std::uint8_t>(w.header.value >> 8),
                       static_cast<std::uint8_t>(w.header.value >> 16),
                       static_cast<std::uint8_t>(w.header.value >> 24)}),
                "a node of the wrong size");
}

}  // namespace
}  // namespace ferrowick::pst
