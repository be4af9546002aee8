// NAMEID records: the fields where the format puts them, and the map's entry stream and
// buckets made of them.
#include <gtest/gtest.h>

#include "pst/messaging/name_id.hpp"
#include "pst/messaging/name_to_id_map.hpp"

namespace ferrowick::pst {
namespace {

TEST(NameId, FieldsSitWhereTheFormatPutsThem) {
    const le::Bytes bytes{0x10, 0x00, 0x00, 0x00, 0x07, 0x00, 0x02, 0x00};
    const NameId id = NameId::Read(bytes);
    EXPECT_EQ(id.property_id, 0x10u);
    EXPECT_TRUE(id.is_string);  // the low bit of the 16-bit field
    EXPECT_EQ(id.guid_index, 3);
    EXPECT_EQ(id.property_index, 2);
    le::Bytes back;
    id.AppendTo(back);
    EXPECT_EQ(back, bytes);
    EXPECT_EQ((NameId{0x8233, false, NameId::kPsPublicStringsIndex, 0}).GuidAndKind(), 4);
}

TEST(NameId, TheMapsEntryStreamIsMadeOfThem) {
    NameToIdMap map;
    const Guid custom{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    const std::uint16_t numeric = map.IdFor(NamedProperty{custom, 0x8233u, {}});
    const std::uint16_t named = map.IdFor(NamedProperty{mapi::kPsPublicStrings, std::nullopt, u"Keywords"});
    const PropertyBag bag = map.Write();
    const auto& entries = bag.Find(std::uint16_t{0x0003})->As<PropertyValue::Bytes>();
    ASSERT_EQ(entries.size(), 2 * NameId::kSize);
    const NameId first = NameId::Read(le::ByteView(entries).first(NameId::kSize));
    const NameId second = NameId::Read(le::ByteView(entries).subspan(NameId::kSize));
    EXPECT_EQ(first, (NameId{0x8233, false, NameId::kFirstStreamGuid, static_cast<std::uint16_t>(numeric - 0x8000)}));
    EXPECT_TRUE(second.is_string);
    EXPECT_EQ(second.guid_index, NameId::kPsPublicStringsIndex);
    EXPECT_EQ(second.property_index, named - 0x8000);
    EXPECT_EQ(second.property_id, 0u);  // the first name in the string stream
    const NameToIdMap back = NameToIdMap::Read(bag);
    EXPECT_EQ(back.Find(NamedProperty{custom, 0x8233u, {}}), numeric);
    EXPECT_EQ(back.Find(NamedProperty{mapi::kPsPublicStrings, std::nullopt, u"Keywords"}), named);
}

}  // namespace
}  // namespace ferrowick::pst
