// The name-to-ID map's string and GUID streams: each field where the format puts it, the
// padding between names, and damaged streams refused with a corrupt-structure error.
#include <gtest/gtest.h>

#include <functional>

#include "pst/messaging/name_guid_stream.hpp"
#include "pst/messaging/name_id.hpp"
#include "pst/messaging/name_string.hpp"
#include "pst/messaging/name_to_id_map.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

// The kind of PstError `action` throws; fails the test when it throws none.
ErrorKind KindThrown(const std::function<void()>& action) {
    try {
        action();
    } catch (const PstError& e) {
        return e.Kind();
    }
    ADD_FAILURE() << "no PstError was thrown";
    return ErrorKind::InvalidArgument;
}

// "Ab" takes 4 + 4 bytes and needs no padding; "x€z" takes 4 + 6 and is padded to 12.
const le::Bytes kTwoNames{
    0x04, 0x00, 0x00, 0x00, 0x41, 0x00, 0x62, 0x00,                          // offset 0: "Ab"
    0x06, 0x00, 0x00, 0x00, 0x78, 0x00, 0xAC, 0x20, 0x7A, 0x00, 0x00, 0x00,  // offset 8: "x€z", 2 padding bytes
};

TEST(NameString, WritesTheLengthThenTheUnitsThenPaddingToFourBytes) {
    le::Bytes stream;
    EXPECT_EQ(NameString{u"Ab"}.AppendTo(stream), 0u);
    EXPECT_EQ(NameString{u"x\u20ACz"}.AppendTo(stream), 8u);
    EXPECT_EQ(stream, kTwoNames);
    // An empty name is its length alone; one unit takes two bytes of padding.
    EXPECT_EQ(NameString{u""}.AppendTo(stream), 20u);
    EXPECT_EQ(NameString{u"q"}.AppendTo(stream), 24u);
    EXPECT_EQ(stream.size(), 32u);
    EXPECT_EQ(le::Bytes(stream.begin() + 20, stream.end()), (le::Bytes{0, 0, 0, 0, 2, 0, 0, 0, 0x71, 0, 0, 0}));
    EXPECT_EQ(NameString::SizeFor(0), 4u);
    EXPECT_EQ(NameString::SizeFor(1), 8u);
    EXPECT_EQ(NameString::SizeFor(2), 8u);
    EXPECT_EQ(NameString::SizeFor(3), 12u);
}

TEST(NameString, ReadsHandMadeEntriesBackAtTheirOffsets) {
    EXPECT_EQ(NameString::Read(kTwoNames, 0).name, u"Ab");
    EXPECT_EQ(NameString::Read(kTwoNames, 8).name, u"x\u20ACz");
    EXPECT_EQ(NameString{u"x\u20ACz"}.NameBytes(), (le::Bytes{0x78, 0x00, 0xAC, 0x20, 0x7A, 0x00}));
    // The last entry needs no padding after it: Outlook leaves it off.
    const le::Bytes unpadded(kTwoNames.begin(), kTwoNames.end() - 2);
    EXPECT_EQ(NameString::Read(unpadded, 8).name, u"x\u20ACz");
}

TEST(NameString, RefusesEntriesThatDoNotFitTheStream) {
    le::Bytes oddLength = kTwoNames;
    oddLength[8] = 0x05;
    le::Bytes pastTheEnd = kTwoNames;
    pastTheEnd[8] = 0x0A;  // 10 bytes of name where 8 remain
    le::Bytes huge = kTwoNames;
    huge[11] = 0xFF;  // a length near 4 GiB must not wrap around the bounds check
    const auto kind = [](const le::Bytes& stream, std::uint32_t offset) {
        return KindThrown([&] { NameString::Read(stream, offset); });
    };
    EXPECT_EQ(kind(oddLength, 8), ErrorKind::CorruptStructure);
    EXPECT_EQ(kind(pastTheEnd, 8), ErrorKind::CorruptStructure);
    EXPECT_EQ(kind(huge, 8), ErrorKind::CorruptStructure);
    // Off the 4-byte grid, though a whole entry would be found there.
    const le::Bytes offGrid{0, 0, 2, 0, 0, 0, 'A', 0};
    EXPECT_EQ(kind(offGrid, 2), ErrorKind::CorruptStructure);
    EXPECT_EQ(kind(kTwoNames, 20), ErrorKind::CorruptStructure);  // the stream's end
    EXPECT_EQ(kind(kTwoNames, 0xFFFFFFFC), ErrorKind::CorruptStructure);
    EXPECT_EQ(kind({}, 0), ErrorKind::CorruptStructure);
    le::Bytes ragged{1, 2};
    EXPECT_EQ(KindThrown([&] { NameString{u"a"}.AppendTo(ragged); }), ErrorKind::InvalidArgument);
}

TEST(NameString, TheMapsReaderRefusesADamagedStringStream) {
    NameToIdMap map;
    map.IdFor(NamedProperty{mapi::kPsPublicStrings, std::nullopt, u"Keywords"});
    map.IdFor(NamedProperty{mapi::kPsPublicStrings, std::nullopt, u"Ab"});
    const PropertyBag good = map.Write();
    const le::Bytes& strings = good.Find(std::uint16_t{0x0004})->As<PropertyValue::Bytes>();
    ASSERT_EQ(strings, (le::Bytes{0x10, 0, 0,   0, 'K', 0, 'e',  0, 'y', 0, 'w', 0, 'o', 0,
                                  'r',  0, 'd', 0, 's', 0, 0x04, 0, 0,   0, 'A', 0, 'b', 0}));
    const auto readWith = [&](le::Bytes damaged) {
        PropertyBag bag = good;
        bag.Set(std::uint16_t{0x0004}, PropertyValue::Binary(std::move(damaged)));
        return KindThrown([&] { NameToIdMap::Read(bag); });
    };
    le::Bytes odd = strings;
    odd[20] = 0x03;
    EXPECT_EQ(readWith(odd), ErrorKind::CorruptStructure);
    EXPECT_EQ(readWith(le::Bytes(strings.begin(), strings.end() - 1)), ErrorKind::CorruptStructure);
}

TEST(NameString, TheMapsReaderRefusesANameOffTheFourByteGrid) {
    NameToIdMap map;
    map.IdFor(NamedProperty{mapi::kPsPublicStrings, std::nullopt, u"A"});
    PropertyBag bag = map.Write();
    ASSERT_EQ(bag.Find(std::uint16_t{0x0004})->As<PropertyValue::Bytes>(), (le::Bytes{2, 0, 0, 0, 'A', 0, 0, 0}));
    EXPECT_NO_THROW(NameToIdMap::Read(bag));
    // The same entry two bytes further on, and the NAMEID pointing at it.
    bag.Set(std::uint16_t{0x0004}, PropertyValue::Binary(le::Bytes{0, 0, 2, 0, 0, 0, 'A', 0}));
    le::Bytes entries = bag.Find(std::uint16_t{0x0003})->As<PropertyValue::Bytes>();
    entries[0] = 2;
    bag.Set(std::uint16_t{0x0003}, PropertyValue::Binary(std::move(entries)));
    EXPECT_EQ(KindThrown([&] { NameToIdMap::Read(bag); }), ErrorKind::CorruptStructure);
}

TEST(NameGuidStream, HoldsSixteenBytesPerGuidAfterTheTwoFixedOnes) {
    const mapi::Guid first{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    const mapi::Guid second{
        {0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87, 0x78, 0x69, 0x5A, 0x4B, 0x3C, 0x2D, 0x1E, 0x0F}};
    const NameGuidStream stream{{first, second}};
    const le::Bytes bytes = stream.Write();
    ASSERT_EQ(bytes.size(), 32u);
    EXPECT_EQ(le::Bytes(bytes.begin(), bytes.begin() + 16), le::Bytes(first.bytes.begin(), first.bytes.end()));
    EXPECT_EQ(le::Bytes(bytes.begin() + 16, bytes.end()), le::Bytes(second.bytes.begin(), second.bytes.end()));
    EXPECT_EQ(NameGuidStream::Read(bytes), stream);

    EXPECT_EQ(stream.GuidAt(1), mapi::kPsMapi);
    EXPECT_EQ(stream.GuidAt(2), mapi::kPsPublicStrings);
    EXPECT_EQ(stream.GuidAt(3), first);
    EXPECT_EQ(stream.GuidAt(4), second);
    EXPECT_EQ(stream.IndexOf(mapi::kPsMapi), 1);
    EXPECT_EQ(stream.IndexOf(mapi::kPsPublicStrings), 2);
    EXPECT_EQ(stream.IndexOf(second), 4);
    EXPECT_EQ(stream.IndexOf(mapi::Guid{}), std::nullopt);

    EXPECT_EQ(KindThrown([&] { stream.GuidAt(0); }), ErrorKind::CorruptStructure);
    EXPECT_EQ(KindThrown([&] { stream.GuidAt(5); }), ErrorKind::CorruptStructure);
    EXPECT_EQ(KindThrown([&] { NameGuidStream::Read(le::ByteView(bytes).first(20)); }), ErrorKind::CorruptStructure);
}

TEST(NameGuidStream, TheMapRunsOutOfGuidIndexesBeforeWGuidOverflows) {
    // wGuid has 15 bits: GUIDs 3 to 0x7FFF fit, one more would lose its top bit and name another.
    const auto guidNumber = [](std::uint32_t n) {
        mapi::Guid g{};
        for (int i = 0; i < 4; ++i) g.bytes[i] = static_cast<std::uint8_t>(n >> (8 * i));
        g.bytes[15] = 0x5A;
        return g;
    };
    NameToIdMap map;
    constexpr std::uint32_t kRoom = NameId::kMaxGuidIndex - NameId::kFirstStreamGuid + 1;
    for (std::uint32_t n = 0; n < kRoom; ++n) map.IdFor(NamedProperty{guidNumber(n), n, {}});
    EXPECT_EQ(KindThrown([&] { map.IdFor(NamedProperty{guidNumber(kRoom), 1u, {}}); }), ErrorKind::LimitExceeded);
    EXPECT_EQ(map.Size(), kRoom);
    const NameToIdMap back = NameToIdMap::Read(map.Write());
    const std::uint16_t last = static_cast<std::uint16_t>(NameToIdMap::kFirstId + kRoom - 1);
    ASSERT_NE(back.Named(last), nullptr);
    EXPECT_EQ(back.Named(last)->guid, guidNumber(kRoom - 1));
}

}  // namespace
}  // namespace ferrowick::pst
