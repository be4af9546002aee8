// The flat property set: sorted by tag whatever the order of setting, one value per tag, and
// the by-ID operations a store's objects rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mapi/known_properties.hpp"
#include "mapi/property_error.hpp"
#include "mapi/property_set.hpp"

namespace ferrowick::mapi {
namespace {

using T = PropertyType;

std::vector<std::uint32_t> TagsOf(const PropertySet& set) {
    std::vector<std::uint32_t> out;
    for (const Property& p : set) out.push_back(p.tag.Value());
    return out;
}

TEST(PropertySet, KeepsTagOrderAndOneValuePerTagWhateverTheOrderOfSetting) {
    PropertySet set;
    set.Set(tags::kSubject, std::u16string(u"b"));
    set.Set(tags::kImportance, std::int32_t{2});
    set.Set(tags::kBody, std::u16string(u"body"));
    set.Set(tags::kMessageClass, std::u16string(u"IPM.Note"));
    set.Set(tags::kSubject, std::u16string(u"c"));  // replaces, in place
    EXPECT_EQ(TagsOf(set), (std::vector<std::uint32_t>{0x00170003, 0x001A001F, 0x0037001F, 0x1000001F}));
    ASSERT_NE(set.Get<std::u16string>(tags::kSubject), nullptr);
    EXPECT_EQ(*set.Get<std::u16string>(tags::kSubject), u"c");
    EXPECT_EQ(set.Get<std::int32_t>(tags::kSubject), nullptr);  // another C++ type
    EXPECT_EQ(set.Find(tags::kDisplayTo), nullptr);
    EXPECT_EQ(set.Find(PropertyTag{0x0037, T::String8}), nullptr);  // the ID with another type
}

TEST(PropertySet, RefusesAValueOfAnotherTypeThanItsTag) {
    PropertySet set;
    EXPECT_THROW(set.Set(tags::kSubject, PropertyValue::Integer32(1)), PropertyError);
    EXPECT_THROW(set.Set(tags::kSubject, std::int32_t{1}), PropertyError);
    EXPECT_TRUE(set.Empty());
}

TEST(PropertySet, SettingByIdReplacesEveryTypeTheIdHad) {
    PropertySet set;
    set.Set(PropertyTag{0x3001, T::String8}, PropertyValue::String8("eight"));
    set.Set(PropertyTag{0x3001, T::Binary}, PropertyValue::Binary({1, 2}));
    set.Set(tags::kRowid, std::int32_t{7});
    ASSERT_EQ(set.Size(), 3u);
    set.Set(0x3001, PropertyValue::String(u"wide"));
    EXPECT_EQ(TagsOf(set), (std::vector<std::uint32_t>{0x30000003, 0x3001001F}));
    ASSERT_NE(set.Find(std::uint16_t{0x3001}), nullptr);
    EXPECT_EQ(set.Find(std::uint16_t{0x3001})->As<std::u16string>(), u"wide");
    EXPECT_TRUE(set.Remove(0x3001));
    EXPECT_FALSE(set.Remove(0x3001));
    EXPECT_TRUE(set.Erase(tags::kRowid));
    EXPECT_TRUE(set.Empty());
}

TEST(PropertySet, RewriteRenumbersDropsAndSortsKeepingTheLastValueOfEachId) {
    PropertySet set;
    set.Set(PropertyTag{0x8000, T::String}, PropertyValue::String(u"named"));
    set.Set(PropertyTag{0x8001, T::Integer32}, PropertyValue::Integer32(1));
    set.Set(PropertyTag{0x8002, T::Integer32}, PropertyValue::Integer32(2));
    set.Set(tags::kSubject, PropertyValue::String(u"s"));
    set.Rewrite([](Property& p) {
        if (p.tag.id == 0x8001) return false;  // no name: dropped
        if (p.tag.id == 0x8000) p.tag.id = 0x0001;
        if (p.tag.id == 0x8002) p.tag.id = 0x0037;  // lands on the subject's ID
        return true;
    });
    EXPECT_EQ(TagsOf(set), (std::vector<std::uint32_t>{0x0001001F, 0x0037001F}));
    EXPECT_EQ(set.Find(std::uint16_t{0x0037})->As<std::u16string>(), u"s");
}

TEST(PropertySet, RewriteRefusesATagThatNoLongerFitsItsValue) {
    PropertySet set;
    set.Set(tags::kSubject, PropertyValue::String(u"s"));
    EXPECT_THROW(set.Rewrite([](Property& p) {
        p.tag.type = T::Binary;
        return true;
    }),
                 PropertyError);
}

}  // namespace
}  // namespace ferrowick::mapi
