// Taking back the names a failed message registered: the map returns to what it held, in
// memory and as written, and the IDs handed out after a rollback are those it would have given.
#include <gtest/gtest.h>

#include "pst/messaging/name_to_id_map.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

NamedProperty Numbered(std::uint8_t guidByte, std::uint32_t number) {
    NamedProperty p;
    p.guid.bytes.fill(guidByte);
    p.number = number;
    return p;
}

NamedProperty Named(std::uint8_t guidByte, std::u16string name) {
    NamedProperty p;
    p.guid.bytes.fill(guidByte);
    p.name = std::move(name);
    return p;
}

TEST(MessagingNameToIdRollback, ForgetsNamesAndGuidsRegisteredSinceTheCheckpoint) {
    NameToIdMap map;
    EXPECT_EQ(map.IdFor(Numbered(1, 0x10)), 0x8000);
    EXPECT_EQ(map.IdFor(Named(1, u"Keywords")), 0x8001);
    map.MarkWritten();
    const PropertyBag written = map.Write();
    const NameToIdMap::Checkpoint point = map.Save();

    EXPECT_EQ(map.IdFor(Numbered(2, 0x20)), 0x8002);  // a new GUID too
    EXPECT_EQ(map.IdFor(Named(3, u"x-custom")), 0x8003);
    EXPECT_EQ(map.IdFor(Numbered(1, 0x10)), 0x8000);
    EXPECT_TRUE(map.Changed());
    map.RollBack(point);

    EXPECT_EQ(map.Size(), 2u);
    EXPECT_FALSE(map.Changed());
    EXPECT_EQ(map.Find(Numbered(2, 0x20)), std::nullopt);
    EXPECT_EQ(map.Named(0x8002), nullptr);
    EXPECT_EQ(map.Write(), written);  // the GUID stream lost the GUID as well
    EXPECT_EQ(map.IdFor(Named(3, u"x-custom")), 0x8002);
    EXPECT_TRUE(map.Changed());
}

TEST(MessagingNameToIdRollback, ACheckpointFromALaterStateIsRefused) {
    NameToIdMap map;
    map.IdFor(Numbered(4, 1));
    const NameToIdMap::Checkpoint later = map.Save();
    NameToIdMap other;
    EXPECT_THROW(other.RollBack(later), PstError);
    EXPECT_EQ(other.Size(), 0u);
}

TEST(MessagingNameToIdRollback, LookupsTellApartNamesThatDifferOnlySlightly) {
    NameToIdMap map;
    const NamedProperty cases[] = {Numbered(1, 0x10), Numbered(1, 0x1000), Numbered(2, 0x10),   Named(1, u"a"),
                                   Named(1, u"A"),    Named(1, u"\u0100"), Named(1, u"\u0001"), Named(1, u"ab")};
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(map.IdFor(cases[i]), 0x8000 + i);
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(map.Find(cases[i]), 0x8000 + i);
    // A store read back answers the same, by the first ID of each name.
    const NameToIdMap back = NameToIdMap::Read(map.Write());
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(back.Find(cases[i]), 0x8000 + i);
    EXPECT_EQ(back.Find(Named(1, u"b")), std::nullopt);
}

}  // namespace
}  // namespace ferrowick::pst
