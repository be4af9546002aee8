// The names the reader looks values up by, and directory entry names as they are parsed: up to
// the first NUL, at most the field's 32 units, never past the length the entry gives.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "bytes/little_endian.hpp"
#include "msg/cfb/directory_entry.hpp"
#include "msg/stream_names.hpp"

namespace ferrowick::msg {
namespace {

TEST(StreamNames, ValueAndElementStreamsSpellTheTagInUpperCaseHex) {
    EXPECT_EQ(names::ValueStream(PropertyTag::FromRawValue(0x0037001F)), u"__substg1.0_0037001F");
    EXPECT_EQ(names::ValueStream(PropertyTag::FromRawValue(0xABCDEF02)), u"__substg1.0_ABCDEF02");
    EXPECT_EQ(names::ValueStream(PropertyTag::FromRawValue(0)), u"__substg1.0_00000000");
    EXPECT_EQ(names::ElementStream(PropertyTag::FromRawValue(0x101F101F), 2), u"__substg1.0_101F101F-00000002");
    EXPECT_EQ(names::Hex8(0xFEDCBA98), u"FEDCBA98");
    PropertyTag back;
    ASSERT_TRUE(names::ParseValueStreamName(names::ValueStream(PropertyTag::FromRawValue(0x8005001E)), back));
    EXPECT_EQ(back.Value(), 0x8005001Eu);
}

std::array<std::uint8_t, cfb::DirectoryEntry::kSize> EntryBytes(std::u16string_view units, std::uint16_t nameBytes) {
    std::array<std::uint8_t, cfb::DirectoryEntry::kSize> b{};
    for (std::size_t i = 0; i < units.size() && i < 32; ++i) le::StoreU16(&b[2 * i], units[i]);
    le::StoreU16(&b[0x40], nameBytes);
    b[0x42] = 2;
    return b;
}

TEST(StreamNames, DirectoryEntryNamesEndAtNulFieldOrGivenLength) {
    auto parse = [](const std::array<std::uint8_t, cfb::DirectoryEntry::kSize>& b) {
        return cfb::DirectoryEntry::Parse(b, 3).name;
    };
    EXPECT_EQ(parse(EntryBytes(u"__substg1.0_0037001F", 42)), u"__substg1.0_0037001F");
    EXPECT_EQ(parse(EntryBytes(std::u16string(u"ab\0cd", 5), 12)), u"ab");
    EXPECT_EQ(parse(EntryBytes(u"abcdef", 6)), u"abc");  // the length given cuts it
    EXPECT_EQ(parse(EntryBytes(u"abcdef", 7)), u"abc");  // an odd length: no half unit
    EXPECT_EQ(parse(EntryBytes(u"abcdef", 0)), u"");
    const std::u16string full(32, u'x');  // no NUL at all, and a length past the field
    EXPECT_EQ(parse(EntryBytes(full, 200)), full);
    EXPECT_EQ(parse(EntryBytes(u"\u00e9\u4e2d", 6)), u"\u00e9\u4e2d");
}

}  // namespace
}  // namespace ferrowick::msg
