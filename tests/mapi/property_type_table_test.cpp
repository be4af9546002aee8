// Raw property types map to their entries, and every other 16-bit value is refused, including
// those next to known ones and past the table's end.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "mapi/property_type.hpp"

namespace ferrowick::mapi {
namespace {

TEST(PropertyTypeTable, KnowsExactlyThePublishedTypes) {
    const std::set<std::uint16_t> known{0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x000A, 0x000B, 0x000D, 0x0014,
                                        0x001E, 0x001F, 0x0040, 0x0048, 0x00FB, 0x00FD, 0x00FE, 0x0102, 0x1002, 0x1003,
                                        0x1004, 0x1005, 0x1006, 0x1007, 0x1014, 0x101E, 0x101F, 0x1040, 0x1048, 0x1102};
    for (std::uint32_t raw = 0; raw <= 0xFFFF; ++raw) {
        const auto r = static_cast<std::uint16_t>(raw);
        ASSERT_EQ(IsKnownPropertyType(r), known.count(r) == 1) << std::hex << raw;
        if (known.count(r)) {
            ASSERT_TRUE(PropertyTypeFrom(r).has_value()) << std::hex << raw;
            EXPECT_EQ(static_cast<std::uint16_t>(*PropertyTypeFrom(r)), r);
        } else {
            EXPECT_FALSE(PropertyTypeFrom(r).has_value()) << std::hex << raw;
            EXPECT_EQ(FixedSizeOf(static_cast<PropertyType>(r)), 0u) << std::hex << raw;
        }
    }
    EXPECT_EQ(std::string(PropertyTypeName(PropertyType::MultipleBinary)), "PtypMultipleBinary");
    EXPECT_EQ(std::string(PropertyTypeName(PropertyType::Integer16)), "PtypInteger16");
    EXPECT_EQ(FixedSizeOf(PropertyType::Guid), 16u);
    EXPECT_EQ(FixedSizeOf(PropertyType::Binary), 0u);
    EXPECT_EQ(FixedSizeOf(PropertyType::Boolean), 1u);
    EXPECT_EQ(FixedSizeOf(PropertyType::MultipleGuid), 16u);
    EXPECT_EQ(ElementTypeOf(PropertyType::MultipleTime), PropertyType::Time);
}

}  // namespace
}  // namespace ferrowick::mapi
