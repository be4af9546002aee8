// The name-to-ID maps of Outlook's own stores: every name reads, and our rewrite of the map
// reads back the same names, with Outlook's entry stream, buckets and string offsets.
#include <gtest/gtest.h>

#include <algorithm>

#include "pst/ltp/property_context.hpp"
#include "pst/messaging/name_id.hpp"
#include "pst/messaging/name_string.hpp"
#include "pst/messaging/name_to_id_map.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/ndb/node_database.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick::pst {
namespace {

constexpr std::uint16_t kEntryStreamId = 0x0003;
constexpr std::uint16_t kStringStreamId = 0x0004;

const le::Bytes& Stream(const PropertyBag& bag, std::uint16_t id) {
    return bag.Find(PropertyTag{id, PropertyType::Binary})->As<PropertyValue::Bytes>();
}

TEST(NameStreamsCorpus, OutlooksNamesReadBackTheSameAfterOurRewrite) {
    FERROWICK_REQUIRE_CORPUS();
    int stores = 0, stringNames = 0;
    for (const auto& path : testing::UnicodeCorpusStores()) {
        SCOPED_TRACE(path.filename().string());
        const PropertyBag outlooks = ReadPropertyContext(NodeDatabase::Open(path).ReadNode(nids::kNameToIdMap));
        const NameToIdMap map = NameToIdMap::Read(outlooks);
        const PropertyBag ours = map.Write();
        const NameToIdMap back = NameToIdMap::Read(ours);
        ASSERT_EQ(back.Size(), map.Size());
        ASSERT_GT(map.Size(), 0u);
        for (std::size_t i = 0; i < map.Size(); ++i) {
            const auto id = static_cast<std::uint16_t>(NameToIdMap::kFirstId + i);
            EXPECT_EQ(*back.Named(id), *map.Named(id)) << "ID " << id;
        }
        // Every other stream is Outlook's to the byte; so are the string stream's offsets.
        EXPECT_EQ(ours.Size(), outlooks.Size());
        for (const auto& property : outlooks) {
            if (property.tag.id == kStringStreamId) continue;
            const PropertyValue* mine = ours.Find(property.tag);
            EXPECT_TRUE(mine && *mine == property.value) << "property " << property.tag.id;
        }
        const le::Bytes& entries = Stream(outlooks, kEntryStreamId);
        const le::Bytes& theirStrings = Stream(outlooks, kStringStreamId);
        const le::Bytes& ourStrings = Stream(ours, kStringStreamId);
        std::size_t end = 0;
        for (std::size_t i = 0; i < entries.size(); i += NameId::kSize) {
            const NameId entry = NameId::Read(le::ByteView(entries).subspan(i, NameId::kSize));
            if (!entry.is_string) continue;
            const NameString name = NameString::Read(theirStrings, entry.property_id);
            EXPECT_EQ(NameString::Read(ourStrings, entry.property_id), name);
            end = std::max(end, entry.property_id + NameString::SizeFor(name.name.size()));
            ++stringNames;
        }
        // Outlook leaves the last name unpadded; ours is padded like the others.
        EXPECT_EQ(ourStrings.size(), end);
        EXPECT_LE(end - theirStrings.size(), 2u);
        ++stores;
    }
    EXPECT_EQ(stores, 18);
    EXPECT_GT(stringNames, 18 * 10);
}

}  // namespace
}  // namespace ferrowick::pst
