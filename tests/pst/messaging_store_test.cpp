// The messaging layer: a new store holds the mandatory nodes, and folders, messages and
// their tables stay in step through commits and reopening.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "pst/check/pst_checker.hpp"
#include "pst/messaging/default_folders.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "pst/messaging/search_update_queue.hpp"
#include "pst/messaging/table_templates.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

class MessagingStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("ferrowick-messaging-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = dir_ / "store.pst";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    static MessageContent Mail(const std::u16string& subject, bool read) {
        MessageContent m;
        m.properties.Set(tags::kSubject.id, PropertyValue::String(subject));
        m.properties.Set(tags::kMessageFlags.id, PropertyValue::Integer32(read ? 0x11 : 0));
        m.properties.Set(tags::kBody.id, PropertyValue::String(std::u16string(300, u'b')));
        return m;
    }

    static void ExpectNoCorruption(const std::filesystem::path& path) {
        for (const Finding& f : CheckPstFile(path))
            EXPECT_EQ(f.severity, Severity::Leak) << f.kind << " " << f.where << ": " << f.what;
    }

    std::filesystem::path dir_, path_;
};

TEST_F(MessagingStoreTest, NewStoreHoldsTheMandatoryNodesAndMinimumFolders) {
    { PstStore::Create(path_, u"Fresh"); }
    const PstStore store = PstStore::Open(path_, OpenMode::ReadOnly);
    NodeDatabase db = NodeDatabase::Open(path_);
    for (std::uint32_t nid :
         {0x21u,  0x61u,  0x122u, 0x12Du, 0x12Eu, 0x12Fu, 0x1E1u, 0x201u, 0x261u,  0x60Du,  0x60Eu,  0x60Fu, 0x610u,
          0x62Bu, 0x64Cu, 0x671u, 0x692u, 0x6B6u, 0x6D7u, 0x6F8u, 0xC01u, 0x2223u, 0x2226u, 0x2227u, 0x2230u})
        EXPECT_TRUE(db.Contains(NodeId(nid))) << std::hex << nid;
    EXPECT_EQ(store.DisplayName(), u"Fresh");
    EXPECT_EQ(store.IpmSubtree(), NodeId(0x8022));
    EXPECT_EQ(store.Folder(store.IpmSubtree()).DisplayName(), u"Top of Personal Folders");
    ASSERT_TRUE(store.DeletedItems().has_value());
    EXPECT_EQ(store.Folder(*store.DeletedItems()).DisplayName(), u"Deleted Items");
    // The root's hierarchy table lists the IPM subtree, the search root and the spam folder.
    const FolderObject& root = store.Folder(store.RootFolder());
    EXPECT_EQ(root.hierarchy.RowCount(), 3u);
    EXPECT_NE(root.hierarchy.FindRow(0x2223), nullptr);
    // Every entry ID names this store's record key.
    const auto finder = EntryId::Decode(store.StoreProperties().Find(tags::kFinderEntryId)->As<PropertyValue::Bytes>());
    ASSERT_TRUE(finder);
    EXPECT_EQ(finder->provider, store.RecordKey());
    EXPECT_EQ(store.Folder(finder->nid).DisplayName(), u"Search Root");
    ExpectNoCorruption(path_);
}

TEST_F(MessagingStoreTest, AFolderTreeReachesTheDepthAStoreOpensWithAndNoFurther) {
    NodeId deepest;
    {
        PstStore store = PstStore::Create(path_, u"Deep");
        deepest = store.IpmSubtree();  // one level below the root folder
        for (std::size_t depth = 2; depth <= kMaxFolderDepth; ++depth)
            deepest = store.AddFolder(deepest, u"d", u"IPF.Note");
        EXPECT_THROW(store.AddFolder(deepest, u"too deep", u"IPF.Note"), PstError);
        store.Commit();
    }
    const PstStore store = PstStore::Open(path_, OpenMode::ReadOnly);
    ASSERT_TRUE(store.HasFolder(deepest));
    EXPECT_TRUE(store.Subfolders(deepest).empty());
}

TEST_F(MessagingStoreTest, TablesAndCountsFollowTheObjectsAcrossCommits) {
    NodeId projects, year;
    {
        PstStore store = PstStore::Create(path_, u"S");
        projects = store.AddFolder(store.IpmSubtree(), u"Projects", u"IPF.Note");
        year = store.AddFolder(projects, u"2014", u"IPF.Note");
        store.Commit();
        for (int i = 0; i < 5; ++i) store.AddMessage(year, Mail(u"m" + std::u16string(1, u'0' + i), i % 2 == 0));
        store.AddMessage(projects, Mail(u"p", false));
        store.Commit();
    }
    const PstStore store = PstStore::Open(path_, OpenMode::ReadOnly);
    const FolderObject& y = store.Folder(year);
    EXPECT_EQ(y.ContentCount(), 5);
    EXPECT_EQ(y.contents.RowCount(), 5u);
    EXPECT_EQ(y.UnreadCount(), 2);
    EXPECT_FALSE(y.properties.Find(tags::kSubfolders)->As<bool>());
    const FolderObject& p = store.Folder(projects);
    EXPECT_TRUE(p.properties.Find(tags::kSubfolders)->As<bool>());
    EXPECT_EQ(p.ContentCount(), 1);
    EXPECT_EQ(p.UnreadCount(), 1);

    // Each cached hierarchy row equals the folder's own properties.
    for (const NodeId parent : {store.IpmSubtree(), projects}) {
        const FolderObject& f = store.Folder(parent);
        for (NodeId child : f.subfolders) {
            const auto* row = f.hierarchy.FindRow(child.Value());
            ASSERT_NE(row, nullptr);
            const PropertyBag& own = store.Folder(child).properties;
            for (std::size_t c = 0; c < row->cells.size(); ++c) {
                const PropertyTag tag = f.hierarchy.Columns()[c].tag;
                if (tag == kLtpRowIdTag || tag == kLtpRowVersionTag) continue;
                const PropertyValue* v = own.Find(tag);
                EXPECT_EQ(row->cells[c].has_value(), v != nullptr) << std::hex << tag.Value();
                if (v && row->cells[c]) {
                    EXPECT_EQ(*row->cells[c], *v) << std::hex << tag.Value();
                }
            }
        }
    }
    // Each contents row equals the message's properties, size included.
    for (const auto& row : y.contents.Rows()) {
        const MessageContent m = store.ReadMessage(NodeId(row.id));
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            const PropertyTag tag = y.contents.Columns()[c].tag;
            if (tag == kLtpRowIdTag || tag == kLtpRowVersionTag || !row.cells[c]) continue;
            ASSERT_NE(m.properties.Find(tag), nullptr) << std::hex << tag.Value();
            EXPECT_EQ(*row.cells[c], *m.properties.Find(tag));
        }
    }

    // The search management queue holds one SUD per folder and message added.
    NodeDatabase db = NodeDatabase::Open(path_);
    const std::uint64_t queued = db.ReadNode(NodeId(0x1E1)).TotalSize();
    EXPECT_EQ(queued, SearchUpdate::kSize * (2 + 6));
    ExpectNoCorruption(path_);
}

TEST_F(MessagingStoreTest, MessagesKeepRecipientsAttachmentsAndTheirSizes) {
    PstStore store = PstStore::Create(path_, u"S");
    MessageContent m = Mail(u"with attachments", true);
    PropertyBag to;
    to.Set(tags::kDisplayName.id, PropertyValue::String(u"Ann"));
    to.Set(tags::kRecipientType.id, PropertyValue::Integer32(1));
    m.recipients.push_back(to);
    AttachmentContent file;
    file.properties.Set(tags::kAttachLongFilename.id, PropertyValue::String(u"report.bin"));
    file.properties.Set(tags::kAttachDataBinary.id, PropertyValue::Binary(std::vector<std::uint8_t>(20000, 7)));
    m.attachments.push_back(file);
    AttachmentContent inner;
    inner.embedded = std::make_shared<MessageContent>(Mail(u"inner", true));
    m.attachments.push_back(inner);
    const NodeId nid = store.AddMessage(store.IpmSubtree(), m);
    store.Commit();

    const MessageContent back = store.ReadMessage(nid);
    ASSERT_EQ(back.recipients.size(), 1u);
    EXPECT_EQ(back.recipients[0].Find(tags::kDisplayName)->As<std::u16string>(), u"Ann");
    ASSERT_EQ(back.attachments.size(), 2u);
    EXPECT_EQ(back.properties.Find(tags::kHasAttachments), nullptr);  // Outlook computes it on opening
    EXPECT_EQ(back.attachments[0].properties.Find(tags::kAttachMethod)->As<std::int32_t>(), kAttachByValue);
    EXPECT_EQ(back.attachments[0].properties.Find(tags::kRenderingPosition)->As<std::int32_t>(), -1);
    EXPECT_EQ(back.attachments[0].properties.Find(tags::kAttachDataBinary)->As<PropertyValue::Bytes>().size(), 20000u);
    EXPECT_GT(back.attachments[0].properties.Find(tags::kAttachSize)->As<std::int32_t>(), 20000);
    ASSERT_TRUE(back.attachments[1].embedded);
    EXPECT_EQ(back.attachments[1].properties.Find(tags::kAttachMethod)->As<std::int32_t>(), kAttachEmbeddedMessage);
    EXPECT_EQ(back.attachments[1].embedded->properties.Find(tags::kSubject)->As<std::u16string>(), u"inner");
    // PidTagMessageSize is the size of the message's node with everything below it.
    const NodeData node = store.Database().ReadNode(nid);
    EXPECT_EQ(static_cast<std::uint64_t>(back.properties.Find(tags::kMessageSize)->As<std::int32_t>()),
              TotalNodeBytes(node));
    ExpectNoCorruption(path_);
}

// A folder's contents table gains the body-preview column with the first message that has
// a preview; the rows already there keep every cell, and the store stays sound.
TEST_F(MessagingStoreTest, TheContentsTableGainsTheBodyPreviewColumnWithoutLosingRows) {
    constexpr PropertyTag kPreview{0x6619, PropertyType::String};
    constexpr PropertyTag kConversationId{0x3013, PropertyType::Binary};
    {
        PstStore store = PstStore::Create(path_, u"S");
        store.AddMessage(store.IpmSubtree(), Mail(u"first, no preview", false));
        EXPECT_FALSE(store.Folder(store.IpmSubtree()).contents.ColumnIndex(kPreview));
        MessageContent second = Mail(u"second", true);
        second.properties.Set(kPreview.id, PropertyValue::String(u"bbb"));
        second.row_only.Set(kConversationId.id, PropertyValue::Binary(std::vector<std::uint8_t>(16, 9)));
        store.AddMessage(store.IpmSubtree(), second);
        store.Commit();
    }
    ExpectNoCorruption(path_);
    const PstStore store = PstStore::Open(path_, OpenMode::ReadOnly);
    const PackedTable& contents = store.Folder(store.IpmSubtree()).contents;
    ASSERT_EQ(contents.RowCount(), 2u);
    const auto preview = contents.ColumnIndex(kPreview);
    const auto subject = contents.ColumnIndex(tags::kSubject);
    const auto conversation = contents.ColumnIndex(kConversationId);
    ASSERT_TRUE(preview && subject && conversation);
    EXPECT_EQ(contents.Rows()[0].cells[*subject]->As<std::u16string>(), u"first, no preview");
    EXPECT_FALSE(contents.Rows()[0].cells[*preview]);
    EXPECT_EQ(contents.Rows()[1].cells[*preview]->As<std::u16string>(), u"bbb");
    EXPECT_EQ(contents.Rows()[1].cells[*conversation]->As<PropertyValue::Bytes>().size(), 16u);
    // The row-only value stays out of the message itself.
    EXPECT_EQ(store.ReadMessage(NodeId(contents.Rows()[1].id)).properties.Find(kConversationId), nullptr);
    EXPECT_EQ(store.Folder(store.IpmSubtree()).UnreadCount(), 1);
}

TEST_F(MessagingStoreTest, ChangesAfterTheLastCommitAreDropped) {
    {
        PstStore store = PstStore::Create(path_, u"S");
        store.AddMessage(store.IpmSubtree(), Mail(u"kept", true));
        store.Commit();
        store.AddMessage(store.IpmSubtree(), Mail(u"lost", true));
        store.AddFolder(store.IpmSubtree(), u"lost too", u"IPF.Note");
    }
    const PstStore store = PstStore::Open(path_, OpenMode::ReadOnly);
    EXPECT_EQ(store.Folder(store.IpmSubtree()).contents.RowCount(), 1u);
    EXPECT_EQ(store.Subfolders(store.IpmSubtree()).size(), 1u);  // Deleted Items only
    ExpectNoCorruption(path_);
}

TEST_F(MessagingStoreTest, DefaultFoldersAreCreatedOnceAndRecorded) {
    {
        PstStore store = PstStore::Create(path_, u"S");
        EnsureDefaultFolders(store);
        EnsureDefaultFolders(store);
        store.Commit();
    }
    PstStore store = PstStore::Open(path_, OpenMode::ReadWrite);
    EXPECT_EQ(store.Subfolders(store.IpmSubtree()).size(), 11u);
    const auto inbox = FindDefaultFolder(store, DefaultFolder::Inbox);
    ASSERT_TRUE(inbox);
    EXPECT_EQ(store.Folder(*inbox).DisplayName(), u"Inbox");
    EXPECT_EQ(store.ReceiveFolder(u""), inbox);
    EXPECT_EQ(store.ReceiveFolder(u"IPC"), store.RootFolder());
    // As Outlook makes them: no container class on the four mail folders, a comment on those
    // four and an empty one on the others.
    const struct {
        DefaultFolder which;
        const char16_t* name;
        const char16_t* cls;
        const char16_t* comment;
    } expected[] = {{DefaultFolder::SentItems, u"Sent Items", nullptr, u"Sent Items folder"},
                    {DefaultFolder::Calendar, u"Calendar", u"IPF.Appointment", u""},
                    {DefaultFolder::Contacts, u"Contacts", u"IPF.Contact", u""},
                    {DefaultFolder::Journal, u"Journal", u"IPF.Journal", u""},
                    {DefaultFolder::Notes, u"Notes", u"IPF.StickyNote", u""},
                    {DefaultFolder::Tasks, u"Tasks", u"IPF.Task", u""},
                    {DefaultFolder::JunkEmail, u"Junk E-mail", u"IPF.Note", u""},
                    {DefaultFolder::Drafts, u"Drafts", u"IPF.Note", u""},
                    {DefaultFolder::Outbox, u"Outbox", nullptr, u"Outbox folder"},
                    {DefaultFolder::Inbox, u"Inbox", nullptr, u"Inbox folder"},
                    {DefaultFolder::DeletedItems, u"Deleted Items", nullptr, u"Deleted Items folder"}};
    for (const auto& e : expected) {
        const auto nid = FindDefaultFolder(store, e.which);
        ASSERT_TRUE(nid);
        const PropertyBag& properties = store.Folder(*nid).properties;
        EXPECT_EQ(store.Folder(*nid).DisplayName(), e.name);
        const PropertyValue* cls = properties.Find(tags::kContainerClass);
        if (e.cls) {
            ASSERT_TRUE(cls) << "no container class on "
                             << std::string(e.name, e.name + std::char_traits<char16_t>::length(e.name));
            EXPECT_EQ(cls->As<std::u16string>(), e.cls);
        } else {
            EXPECT_EQ(cls, nullptr);
        }
        ASSERT_TRUE(properties.Find(tags::kComment));
        EXPECT_EQ(properties.Find(tags::kComment)->As<std::u16string>(), e.comment);
    }
    // The Inbox names the same folders as the root.
    EXPECT_EQ(*store.Folder(*inbox).properties.Find(tags::kIpmAppointmentEntryId),
              *store.Folder(store.RootFolder()).properties.Find(tags::kIpmAppointmentEntryId));
    EXPECT_EQ(store.StoreProperties().Find(tags::kValidFolderMask)->As<std::int32_t>() & 0x9F, 0x9F);
}

// Identifiers as Outlook hands them out: attachment NIDs and folder table NIDs from the
// file's counters (unique in the whole file), recipient rows numbered from the store's row
// sequence, and no PidTagRowid column (a table gives it; no store keeps it).
TEST_F(MessagingStoreTest, AttachmentAndRecipientIdsAreUniqueInTheStore) {
    const auto withParts = [](const std::u16string& subject) {
        MessageContent m = Mail(subject, false);
        for (std::int32_t i = 0; i < 3; ++i) {
            PropertyBag r;
            r.Set(tags::kDisplayName.id, PropertyValue::String(u"R" + std::u16string(1, char16_t(u'0' + i))));
            r.Set(0x3000, PropertyValue::Integer32(i));  // as a .msg carries it
            m.recipients.push_back(r);
        }
        AttachmentContent file;
        file.properties.Set(tags::kAttachDataBinary.id, PropertyValue::Binary({1, 2, 3}));
        AttachmentContent inner;
        inner.embedded = std::make_shared<MessageContent>(Mail(u"inner", true));
        inner.embedded->attachments.push_back(file);
        m.attachments = {file, inner};
        return m;
    };
    NodeId folder;
    {
        PstStore store = PstStore::Create(path_, u"S");
        store.AddMessage(store.IpmSubtree(), withParts(u"one"));
        store.AddMessage(store.IpmSubtree(), withParts(u"two"));
        store.Commit();
    }
    {
        PstStore store = PstStore::Open(path_, OpenMode::ReadWrite);
        store.AddMessage(store.IpmSubtree(), withParts(u"three"));  // after reopening
        folder = store.AddFolder(store.IpmSubtree(), u"F", u"IPF.Note");
        store.Commit();
    }
    ExpectNoCorruption(path_);

    NodeDatabase db = NodeDatabase::Open(path_);
    std::set<NodeId> attachmentNids;
    std::set<std::uint32_t> rowNumbers;
    std::size_t messages = 0;
    std::function<void(const NodeData&)> walk = [&](const NodeData& message) {
        ++messages;
        const auto recipients = message.subnodes.find(NodeId(0x692));
        ASSERT_NE(recipients, message.subnodes.end());
        const TableContext table = TableContext::Read(recipients->second);
        EXPECT_FALSE(table.ColumnIndex(PropertyTag{0x3000, PropertyType::Integer32}));
        const std::size_t version = *table.ColumnIndex(kLtpRowVersionTag);
        for (const auto& row : table.Rows()) {
            EXPECT_GE(row.id, 0x10u);
            EXPECT_EQ(static_cast<std::uint32_t>(row.cells[version]->As<std::int32_t>()), row.id + 2);
            EXPECT_TRUE(rowNumbers.insert(row.id).second) << "row ID " << row.id << " used twice";
        }
        for (const auto& [nid, sub] : message.subnodes) {
            if (nid.Type() == NidType::Attachment) {
                EXPECT_TRUE(attachmentNids.insert(nid).second)
                    << "attachment NID " << std::hex << nid.Value() << " used twice";
                for (const auto& [inner, data] : sub.subnodes)
                    if (inner.Type() == NidType::NormalMessage) walk(data);
            }
        }
    };
    for (const NodeEntry& e : db.Nodes())
        if (e.nid.Type() == NidType::NormalMessage) walk(db.ReadNode(e.nid));
    EXPECT_EQ(messages, 6u);
    EXPECT_EQ(attachmentNids.size(), 9u);
    EXPECT_EQ(rowNumbers.size(), 9u);
    // The first attachment is 0x8025, as in Outlook's stores; the rest follow on.
    EXPECT_EQ(*attachmentNids.begin(), NodeId(0x8025));
    EXPECT_EQ(attachmentNids.rbegin()->Index(), 0x409u);
    // The new folder's tables take an index none of the counters had handed out.
    for (NidType table : {NidType::HierarchyTable, NidType::ContentsTable, NidType::AssocContentsTable})
        EXPECT_TRUE(db.Contains(NodeId::Make(table, folder.Index())));

    // Read back, recipients show their position as PidTagRowid.
    const PstStore store = PstStore::Open(path_, OpenMode::ReadOnly);
    const MessageContent read = store.ReadMessage(NodeId::Make(NidType::NormalMessage, 0x10001));
    ASSERT_EQ(read.recipients.size(), 3u);
    for (std::int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(read.recipients[i].Find(PropertyTag{0x3000, PropertyType::Integer32})->As<std::int32_t>(), i);
}

TEST(NameToIdMap, RegistersFrom0x8000AndReadsBackWhatItWrote) {
    NameToIdMap map;
    const Guid custom{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    EXPECT_EQ(map.IdFor(NamedProperty{custom, 0x8501u, {}}), 0x8000);
    EXPECT_EQ(map.IdFor(NamedProperty{custom, std::nullopt, u"X-Custom"}), 0x8001);
    EXPECT_EQ(map.IdFor(NamedProperty{custom, 0x8501u, {}}), 0x8000);
    const PropertyBag bag = map.Write();
    // A numeric entry sits in bucket (id XOR (wGuid << 1)) mod 251; the custom GUID is wGuid 3.
    EXPECT_NE(bag.Find(static_cast<std::uint16_t>(0x1000 + ((0x8501u ^ (3u << 1)) % 251))), nullptr);
    NameToIdMap back = NameToIdMap::Read(bag);
    EXPECT_EQ(back.Size(), 2u);
    EXPECT_EQ(back.Find(NamedProperty{custom, std::nullopt, u"X-Custom"}), std::optional<std::uint16_t>(0x8001));
}

TEST(EntryIdText, RoundTripsAndRejectsOtherShapes) {
    const EntryId id{NewGuid(), NodeId(0x200024)};
    EXPECT_EQ(EntryId::FromHex(id.Hex()), id);
    EXPECT_EQ(id.Hex().size(), 48u);
    EXPECT_FALSE(EntryId::FromHex(u"00"));
    std::vector<std::uint8_t> flagged = id.Encode();
    flagged[0] = 1;
    EXPECT_FALSE(EntryId::Decode(flagged));
}

}  // namespace
}  // namespace ferrowick::pst
