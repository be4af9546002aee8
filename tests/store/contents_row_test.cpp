// The conversation ID and message status of contents-table rows: the rule holds on every
// row of Outlook's own stores in the corpus, and our rows carry them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "fs/text.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "pst/pst_error.hpp"
#include "store/contents_row.hpp"
#include "support/shared_corpus.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;
using pst::PropertyTag;
using pst::PropertyType;
using pst::PropertyValue;

constexpr PropertyTag kConversationIdTag{0x3013, PropertyType::Binary};
constexpr PropertyTag kMessageStatusTag{0x0E17, PropertyType::Integer32};

PropertyValue::Bytes Bytes(const ConversationId& id) { return PropertyValue::Bytes(id.begin(), id.end()); }

TEST(ConversationIdTest, EveryRowOfOutlooksStoresFollowsTheRule) {
    FERROWICK_REQUIRE_CORPUS();
    int rows = 0, tracked = 0;
    for (const auto& entry : fsys::recursive_directory_iterator(testing::CorpusDir() / "pst")) {
        if (entry.path().extension() != ".pst") continue;
        std::optional<pst::PstStore> store;
        try {
            store.emplace(pst::PstStore::Open(entry.path(), pst::OpenMode::ReadOnly));
        } catch (const pst::PstError&) {
            continue;  // an ANSI store or one our reader does not take: not a store of this kind
        }
        std::function<void(pst::NodeId)> walk = [&](pst::NodeId folder) {
            const pst::PackedTable& contents = store->Folder(folder).contents;
            const auto idColumn = contents.ColumnIndex(kConversationIdTag);
            const auto statusColumn = contents.ColumnIndex(kMessageStatusTag);
            for (const auto& row : contents.Rows()) {
                if (!idColumn || !row.cells[*idColumn]) continue;
                const pst::PropertyBag message = store->ReadMessage(pst::NodeId(row.id)).properties;
                const auto ours = ConversationIdOf(message);
                ASSERT_TRUE(ours) << entry.path() << " row " << row.id;
                EXPECT_EQ(Bytes(*ours), row.cells[*idColumn]->As<PropertyValue::Bytes>())
                    << entry.path() << " row " << row.id;
                ASSERT_TRUE(statusColumn && row.cells[*statusColumn]);
                EXPECT_EQ(row.cells[*statusColumn]->As<std::int32_t>(), 0);
                const PropertyValue* tracking = message.Find(PropertyTag{0x3016, PropertyType::Boolean});
                if (tracking && tracking->As<bool>()) ++tracked;
                ++rows;
            }
            for (pst::NodeId child : store->Subfolders(folder)) walk(child);
        };
        walk(store->RootFolder());
    }
    EXPECT_EQ(rows, 45);
    EXPECT_GT(tracked, 0);  // both halves of the rule were met
    EXPECT_LT(tracked, rows);
}

TEST(ConversationIdTest, TopicIsHashedUpperCasedAndATrackedIndexIsUsedAsItIs) {
    pst::PropertyBag lower, upper, tracked;
    lower.Set(0x0070, PropertyValue::String(u"lunch at noon – über"));
    upper.Set(0x0070, PropertyValue::String(u"LUNCH AT NOON – ÜBER"));
    EXPECT_EQ(ConversationIdOf(lower), ConversationIdOf(upper));
    pst::PropertyBag other;
    other.Set(0x0070, PropertyValue::String(u"lunch at one"));
    EXPECT_NE(ConversationIdOf(lower), ConversationIdOf(other));
    // MD5 of the UTF-16LE bytes of "" is the well-known d41d8cd9...
    pst::PropertyBag empty;
    empty.Set(0x0070, PropertyValue::String(u""));
    EXPECT_EQ(ConversationIdOf(empty)->front(), 0xD4);
    EXPECT_FALSE(ConversationIdOf(pst::PropertyBag{}));

    PropertyValue::Bytes index(22);
    for (std::size_t i = 0; i < index.size(); ++i) index[i] = static_cast<std::uint8_t>(i);
    tracked = lower;
    tracked.Set(0x0071, PropertyValue::Binary(index));
    EXPECT_EQ(ConversationIdOf(tracked), ConversationIdOf(lower));  // not tracked: the topic counts
    tracked.Set(0x3016, PropertyValue::Boolean(true));
    EXPECT_EQ(Bytes(*ConversationIdOf(tracked)), PropertyValue::Bytes(index.begin() + 6, index.end()));

    const pst::PropertyBag row = ContentsRowExtras(lower);
    EXPECT_EQ(row.Find(kMessageStatusTag)->As<std::int32_t>(), 0);
    EXPECT_EQ(row.Find(kConversationIdTag)->As<PropertyValue::Bytes>(), Bytes(*ConversationIdOf(lower)));
}

}  // namespace
}  // namespace ferrowick
