#include <gtest/gtest.h>

#include <random>

#include "pst/check/ltp_checks.hpp"
#include "pst/ltp/bth.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/property_context.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

using Bytes = PropertyValue::Bytes;

Bytes Pattern(std::size_t size, int seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return b;
}

Guid SomeGuid(std::uint8_t first) {
    Guid g;
    for (std::size_t i = 0; i < 16; ++i) g.bytes[i] = static_cast<std::uint8_t>(first + i);
    return g;
}

// One value of every type a .msg file carries, small enough for the heap.
PropertyBag EveryType() {
    PropertyBag bag;
    std::uint16_t id = 0x6000;
    auto add = [&](PropertyValue v) { bag.Set(id++, std::move(v)); };
    add(PropertyValue::Integer16(-12345));
    add(PropertyValue::Integer32(-123456789));
    add(PropertyValue::Floating32(3.25f));
    add(PropertyValue::Floating64(-2.5e300));
    add(PropertyValue::Currency(1234567890123));
    add(PropertyValue::FloatingTime(45000.75));
    add(PropertyValue::ErrorCode(0x8004010F));
    add(PropertyValue::Boolean(true));
    add(PropertyValue::Boolean(false));
    add(PropertyValue::Integer64(-9000000000000000000LL));
    add(PropertyValue::Time(0x01D9A1B2C3D4E5F6ULL));
    add(PropertyValue::String(u"Grüße, 世界"));
    add(PropertyValue::String(u""));
    add(PropertyValue::String8("plain text"));
    add(PropertyValue::MakeGuid(SomeGuid(0x10)));
    add(PropertyValue::ServerId(Bytes{1, 0, 9, 8, 7}));
    add(PropertyValue::Restriction(Bytes{0, 1, 2}));
    add(PropertyValue::RuleAction(Bytes{5, 6}));
    add(PropertyValue::Binary(Pattern(300, 1)));
    add(PropertyValue::Binary(Bytes{}));
    add(PropertyValue::Object(ObjectReference{0x8025, 4096}));
    add(PropertyValue::Multiple(PropertyType::MultipleInteger16, std::vector<std::int16_t>{1, -2, 3}));
    add(PropertyValue::Multiple(PropertyType::MultipleInteger32, std::vector<std::int32_t>{7, -8}));
    add(PropertyValue::Multiple(PropertyType::MultipleFloating32, std::vector<float>{1.5f}));
    add(PropertyValue::Multiple(PropertyType::MultipleFloating64, std::vector<double>{1.0 / 3, 2.0}));
    add(PropertyValue::Multiple(PropertyType::MultipleCurrency, std::vector<std::int64_t>{5, 6}));
    add(PropertyValue::Multiple(PropertyType::MultipleFloatingTime, std::vector<double>{40000.5}));
    add(PropertyValue::Multiple(PropertyType::MultipleInteger64, std::vector<std::int64_t>{-1, 1LL << 40}));
    add(PropertyValue::Multiple(PropertyType::MultipleTime, std::vector<std::uint64_t>{1, 2, 3}));
    add(PropertyValue::Multiple(PropertyType::MultipleGuid, std::vector<Guid>{SomeGuid(1), SomeGuid(2)}));
    add(PropertyValue::Multiple(PropertyType::MultipleString, std::vector<std::u16string>{u"To", u"", u"Cc ünï"}));
    add(PropertyValue::Multiple(PropertyType::MultipleString8, std::vector<std::string>{"a", "bc"}));
    add(PropertyValue::Multiple(PropertyType::MultipleBinary, std::vector<Bytes>{Bytes{1}, Bytes{}, Pattern(20, 3)}));
    add(PropertyValue::Multiple(PropertyType::MultipleInteger32, std::vector<std::int32_t>{}));
    return bag;
}

TEST(PropertyContext, EveryTypeRoundTrips) {
    const PropertyBag bag = EveryType();
    const NodeData node = WritePropertyContext(bag);
    EXPECT_TRUE(node.subnodes.empty());
    EXPECT_EQ(ReadPropertyContext(node), bag);
    EXPECT_TRUE(CheckPropertyContext(node, "test").empty());
}

TEST(PropertyContext, SmallFixedValuesSitInTheRecordItself) {
    PropertyBag bag;
    bag.Set(0x0E07, PropertyValue::Integer32(17));
    bag.Set(0x0E1B, PropertyValue::Boolean(true));
    bag.Set(0x0E08, PropertyValue::Integer64(5));
    const NodeData node = WritePropertyContext(bag);
    const HeapReader heap(node);
    EXPECT_EQ(heap.ClientSignature(), 0xBC);
    EXPECT_EQ(heap.UserRoot(), HeapId(0x20)) << "the BTH header is the first allocation";
    const BthReader bth(heap, heap.UserRoot());
    ASSERT_EQ(bth.Count(), 3u);
    // Records sorted by property ID: 0x0E07, 0x0E08, 0x0E1B.
    EXPECT_EQ(le::LoadU16(bth.Data(0).data()), 0x0003);
    EXPECT_EQ(le::LoadU32(bth.Data(0).data() + 2), 17u);
    const HeapId eight(le::LoadU32(bth.Data(1).data() + 2));
    EXPECT_EQ(heap.Item(eight).size(), 8u) << "an 8-byte value goes through the heap";
    EXPECT_EQ(le::LoadU32(bth.Data(2).data() + 2), 1u);
}

TEST(PropertyContext, LargeValuesGoToSubnodesAndOtherSubnodesStay) {
    PropertyBag bag;
    bag.Set(0x1000, PropertyValue::String(std::u16string(1790, u'x')));  // 3,580 bytes: still the heap
    bag.Set(0x1001, PropertyValue::Binary(Pattern(3581, 2)));            // one byte more: a sub-node
    bag.Set(0x1002, PropertyValue::Binary(Pattern(100000, 3)));          // many blocks
    std::vector<std::u16string> many(3000, u"recipient name");
    bag.Set(0x1003, PropertyValue::Multiple(PropertyType::MultipleString, many));
    for (std::uint16_t i = 0; i < 600; ++i)
        bag.Set(static_cast<std::uint16_t>(0x3000 + i), PropertyValue::Integer64(i));

    std::map<NodeId, NodeData> others;
    others[NodeId::Make(NidType::Ltp, 1)].pieces.push_back(Bytes{42});  // an ID the writer must not reuse
    others[NodeId(0x671)].pieces.push_back(Bytes{43});
    const NodeData node = WritePropertyContext(bag, others);
    EXPECT_EQ(node.subnodes.size(), 2u + 3u);
    EXPECT_EQ(node.subnodes.at(NodeId::Make(NidType::Ltp, 1)).pieces.front(), Bytes{42});
    for (const auto& [nid, sub] : node.subnodes)
        for (std::size_t i = 0; i + 1 < sub.pieces.size(); ++i) EXPECT_EQ(sub.pieces[i].size(), kMaxDataBlockPayload);
    EXPECT_EQ(ReadPropertyContext(node), bag);
    EXPECT_TRUE(CheckPropertyContext(node, "test").empty());
}

TEST(PropertyContext, ValuesAreCheckedWhereTheyAreMade) {
    EXPECT_THROW(DecodeStoredValue(PropertyType::Integer32, Bytes{1, 2}), PstError);
    EXPECT_THROW(DecodeStoredValue(PropertyType::String, Bytes{1, 2, 3}), PstError);
    EXPECT_THROW(DecodeStoredValue(PropertyType::MultipleInteger64, Bytes(12)), PstError);
    EXPECT_THROW(DecodeStoredValue(PropertyType::MultipleString, Bytes{2, 0, 0, 0, 12, 0, 0, 0, 9, 0, 0, 0}), PstError)
        << "offsets out of order";
    EXPECT_THROW(DecodeStoredValue(PropertyType::MultipleBinary, Bytes{0xFF, 0xFF, 0xFF, 0xFF}), PstError)
        << "a count the data cannot hold";
    EXPECT_THROW(DecodeStoredValue(static_cast<PropertyType>(0x0009), Bytes{1, 2, 3, 4}), PstError);
    EXPECT_THROW(StoredPropertyTag(0x00010009), PstError);
    EXPECT_EQ(StoredPropertyTag(0x0E070003).Value(), 0x0E070003u);
    EXPECT_EQ(TableCellSizeOf(PropertyType::Time), 8u);
    EXPECT_EQ(TableCellSizeOf(PropertyType::Guid), 4u);
    EXPECT_TRUE(StoredInlineInPropertyContext(PropertyType::Boolean));
    EXPECT_FALSE(StoredInlineInPropertyContext(PropertyType::Floating64));
}

TEST(PropertyContext, ASetWithTwoTypesOfOneIdHasNoContextForm) {
    PropertyBag bag;
    bag.Set(PropertyTag{0x3001, PropertyType::String}, PropertyValue::String(u"wide"));
    bag.Set(PropertyTag{0x3001, PropertyType::Binary}, PropertyValue::Binary(Bytes{1}));
    try {
        WritePropertyContext(bag);
        FAIL() << "written with a duplicate key";
    } catch (const PstError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::InvalidArgument);
    }
    bag.Set(0x3001, PropertyValue::String(u"one"));
    EXPECT_EQ(ReadPropertyContext(WritePropertyContext(bag)), bag);
}

TEST(PropertyContext, DamagedContextsNeverCrash) {
    PropertyBag bag = EveryType();
    bag.Set(0x7000, PropertyValue::Binary(Pattern(9000, 5)));
    const NodeData good = WritePropertyContext(bag);
    std::mt19937 random(11);
    int rejected = 0;
    for (int round = 0; round < 3000; ++round) {
        NodeData bad = good;
        const int flips = 1 + round % 4;
        for (int f = 0; f < flips; ++f) {
            auto& piece = bad.pieces[0];
            piece[std::uniform_int_distribution<std::size_t>(0, piece.size() - 1)(random)] =
                static_cast<std::uint8_t>(random());
        }
        if (round % 50 == 0) bad.pieces[0].resize(bad.pieces[0].size() / 2);
        if (round % 70 == 0) bad.subnodes.clear();
        try {
            ReadPropertyContext(bad);
        } catch (const PstError&) {
            ++rejected;
        }
        CheckPropertyContext(bad, "fuzz");  // must not throw either
    }
    EXPECT_GT(rejected, 100);
}

TEST(PropertyContext, ChecksNameTheDamage) {
    const NodeData good = WritePropertyContext(EveryType());
    NodeData bad = good;
    bad.pieces[0][3] = 0x7C;
    auto findings = CheckLtpNode(NodeId::Make(NidType::NormalMessage, 5), bad, "node 0xA4");
    ASSERT_FALSE(findings.empty());
    EXPECT_EQ(findings[0].where, "node 0xA4");

    bad = good;
    bad.pieces[0][2] = 0;
    findings = CheckLtpNode(NodeId::Make(NidType::NormalMessage, 5), bad, "node 0xA4");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, "heap");

    bad = good;
    const HeapReader heap(good);
    const BthHeader header = BthHeader::Parse(heap.Item(heap.UserRoot()));
    const le::ByteView leaf = heap.Item(header.root);
    const std::size_t at = static_cast<std::size_t>(leaf.data() - good.pieces[0].data());
    std::swap(bad.pieces[0][at], bad.pieces[0][at + 8]);  // two property IDs swap places
    std::swap(bad.pieces[0][at + 1], bad.pieces[0][at + 9]);
    findings = CheckLtpNode(NodeId::Make(NidType::NormalMessage, 5), bad, "n");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, "bth");

    bad = good;
    le::StoreU16(bad.pieces[0].data() + at + 2, 0x0009);  // an unknown property type
    findings = CheckLtpNode(NodeId::Make(NidType::NormalMessage, 5), bad, "n");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, "property-context");

    EXPECT_TRUE(CheckLtpNode(NodeId::Make(NidType::NormalMessage, 5), good, "n").empty());
}

}  // namespace
}  // namespace ferrowick::pst
