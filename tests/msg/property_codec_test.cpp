// UTF-16 values as the reader decodes them: trailing NULs dropped, NULs within kept, an odd
// last byte ignored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msg/property_codec.hpp"

namespace ferrowick::msg {
namespace {

std::u16string Decode(std::vector<std::uint8_t> bytes) { return DecodeUtf16(bytes); }

TEST(PropertyCodec, Utf16TextEndsBeforeItsTrailingNuls) {
    EXPECT_EQ(Decode({'H', 0, 'i', 0, 0, 0}), u"Hi");
    EXPECT_EQ(Decode({'H', 0, 'i', 0, 0, 0, 0, 0, 0}), u"Hi");  // and an odd byte after them
    EXPECT_EQ(Decode({'a', 0, 0, 0, 'b', 0}), std::u16string(u"a\0b", 3));
    EXPECT_EQ(Decode({0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}), u"\u20AC\U0001F600");
    EXPECT_EQ(Decode({0x00, 0x01, 'x'}), u"\u0100");
    EXPECT_EQ(Decode({0, 0, 0, 0}), u"");
    EXPECT_EQ(Decode({}), u"");
    EXPECT_EQ(Decode({'z'}), u"");
}

}  // namespace
}  // namespace ferrowick::msg
