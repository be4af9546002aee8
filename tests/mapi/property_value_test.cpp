// Values are checked where they are made, and fixed-size values read back what they write.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "mapi/fixed_size_values.hpp"
#include "mapi/guid.hpp"
#include "mapi/property_error.hpp"
#include "mapi/property_tag.hpp"
#include "mapi/property_value.hpp"

namespace ferrowick::mapi {
namespace {

using T = PropertyType;
using Bytes = std::vector<std::uint8_t>;

TEST(PropertyValue, ContentMustBeOfTheTypesCppType) {
    EXPECT_THROW(PropertyValue::Of(T::String, std::int32_t{1}), PropertyError);
    EXPECT_THROW(PropertyValue::Of(T::Time, std::int64_t{1}), PropertyError);  // FILETIME is unsigned
    EXPECT_THROW(PropertyValue::Of(static_cast<T>(0x0009), std::int32_t{1}), PropertyError);
    EXPECT_THROW(PropertyValue::Multiple(T::Integer32, std::vector<std::int32_t>{1}), PropertyError);
    const PropertyValue currency = PropertyValue::Currency(12345);
    EXPECT_EQ(currency.Type(), T::Currency);
    EXPECT_NE(currency, PropertyValue::Integer64(12345));  // same content, another type
    EXPECT_THROW(currency.As<std::int32_t>(), PropertyError);
}

TEST(PropertyValue, RawBytesAreTheContentOfByteAndTextTypesOnly) {
    const PropertyValue text = PropertyValue::String(u"Ab");
    EXPECT_EQ(Bytes(text.RawBytes().begin(), text.RawBytes().end()), (Bytes{'A', 0, 'b', 0}));
    EXPECT_TRUE(PropertyValue::Binary({}).HasRawBytes());
    EXPECT_FALSE(PropertyValue::Integer32(1).HasRawBytes());
    EXPECT_TRUE(PropertyValue::Integer32(1).RawBytes().empty());
}

TEST(PropertyTag, KnownTypesOnlyAndTheOrderOfItsValue) {
    EXPECT_FALSE(PropertyTag::FromValue(0x00010009).has_value());
    ASSERT_TRUE(PropertyTag::FromValue(0x0E070003).has_value());
    EXPECT_EQ(PropertyTag::FromValue(0x0E070003)->Value(), 0x0E070003u);
    EXPECT_EQ(PropertyTag::FromRawValue(0x00010009).Value(), 0x00010009u);
    EXPECT_LT((PropertyTag{0x0037, T::String8}), (PropertyTag{0x0037, T::String}));
    EXPECT_LT((PropertyTag{0x0037, T::MultipleBinary}), (PropertyTag{0x0038, T::Integer16}));
    EXPECT_TRUE((PropertyTag{0x8000, T::Integer32}).IsNamed());
    EXPECT_FALSE((PropertyTag{0x7FFF, T::Integer32}).IsNamed());
    EXPECT_EQ(ToString(PropertyTag{0x0037, T::String}), "0x0037001F");
}

TEST(FixedSizeValues, EveryFixedTypeReadsBackWhatItWrites) {
    const Guid guid = kPsPublicStrings;
    const std::vector<PropertyValue> values = {
        PropertyValue::Integer16(-2),
        PropertyValue::Integer32(-70000),
        PropertyValue::Floating32(1.5f),
        PropertyValue::Floating64(-2.25),
        PropertyValue::Currency(-5),
        PropertyValue::FloatingTime(43000.5),
        PropertyValue::ErrorCode(0x8004010F),
        PropertyValue::Boolean(true),
        PropertyValue::Integer64(1LL << 40),
        PropertyValue::Time(0x01D0000000000000),
        PropertyValue::MakeGuid(guid),
        PropertyValue::Multiple(T::MultipleInteger16, std::vector<std::int16_t>{1, -1}),
        PropertyValue::Multiple(T::MultipleCurrency, std::vector<std::int64_t>{7}),
        PropertyValue::Multiple(T::MultipleTime, std::vector<std::uint64_t>{}),
        PropertyValue::Multiple(T::MultipleGuid, std::vector<Guid>{guid, kPsMapi}),
    };
    for (const PropertyValue& v : values) {
        Bytes bytes;
        ASSERT_TRUE(AppendFixedSize(v, bytes)) << PropertyTypeName(v.Type());
        const auto back = DecodeFixedSize(v.Type(), bytes);
        ASSERT_TRUE(back.has_value()) << PropertyTypeName(v.Type());
        EXPECT_EQ(*back, v) << PropertyTypeName(v.Type());
    }
    // Stored least significant byte first, floating point as its IEEE 754 bits.
    const std::pair<PropertyValue, Bytes> stored[] = {
        {PropertyValue::Integer32(0x01020304), {4, 3, 2, 1}},
        {PropertyValue::Floating64(1.0), {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {PropertyValue::Floating32(-2.0f), {0, 0, 0, 0xC0}},
        {PropertyValue::Multiple(T::MultipleInteger16, std::vector<std::int16_t>{0x0102, -2}), {2, 1, 0xFE, 0xFF}},
        {PropertyValue::Multiple(T::MultipleTime, std::vector<std::uint64_t>{0x0102030405060708}),
         {8, 7, 6, 5, 4, 3, 2, 1}},
    };
    for (const auto& [value, bytes] : stored) {
        Bytes out;
        AppendFixedSize(value, out);
        EXPECT_EQ(out, bytes) << PropertyTypeName(value.Type());
        EXPECT_EQ(DecodeFixedSize(value.Type(), bytes), value) << PropertyTypeName(value.Type());
    }
}

TEST(FixedSizeValues, WrongSizesAndVariableTypesAreNotRead) {
    EXPECT_FALSE(DecodeFixedSize(T::Integer32, Bytes{1, 2}).has_value());
    EXPECT_FALSE(DecodeFixedSize(T::Integer32, Bytes(8)).has_value());
    EXPECT_FALSE(DecodeFixedSize(T::MultipleInteger64, Bytes(12)).has_value());
    EXPECT_FALSE(DecodeFixedSize(T::String, Bytes{'a', 0}).has_value());
    Bytes out;
    EXPECT_FALSE(AppendFixedSize(PropertyValue::String(u"a"), out));
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace ferrowick::mapi
