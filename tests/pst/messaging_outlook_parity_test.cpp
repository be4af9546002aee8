// Our store against Outlook's for the same .msg. Three corpus stores are what Outlook wrote
// when it imported three corpus .msg files; `ferrowick convert` writes the same files, and
// the two stores are compared for the store's properties, the default folders, the nodes
// with fixed NIDs and the recipient tables. The differences that may remain are listed once,
// in kAllowed, each with the reason it may differ.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fs/text.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/ltp/table_context.hpp"
#include "pst/messaging/default_folders.hpp"
#include "pst/messaging/entry_id.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "support/run_command.hpp"
#include "support/run_program.hpp"
#include "support/shared_corpus.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::pst {
namespace {

namespace fsys = std::filesystem;

enum class Object { Store, RootFolder, TopFolder, SearchRoot, DeletedItems, Recipient };

const char* Name(Object o) {
    switch (o) {
        case Object::Store:
            return "store";
        case Object::RootFolder:
            return "root folder";
        case Object::TopFolder:
            return "top folder";
        case Object::SearchRoot:
            return "search root";
        case Object::DeletedItems:
            return "Deleted Items";
        case Object::Recipient:
            return "recipient row";
    }
    return "?";
}

struct Allowed {
    Object object;
    std::uint16_t property;
    const char* reason;
};

// Every difference allowed between Outlook's store and ours for the same .msg.
constexpr Allowed kAllowed[] = {
    {Object::Store, 0x0E34, "PidTagReplVersionhistory holds the store's own replica GUID"},
    {Object::Store, 0x0FF9, "PidTagRecordKey is the store's own GUID"},
    {Object::Store, 0x3001, "the store's name"},
    {Object::Store, 0x35DF, "PidTagValidFolderMask: we make Inbox, Outbox and Sent Items, Outlook's import did not"},
    {Object::Store, 0x35E2, "the entry ID of the Outbox we make"},
    {Object::Store, 0x35E4, "the entry ID of the Sent Items we make"},
    {Object::Store, 0x66FC, "undocumented: most Outlook stores lack it, the others differ in it"},
    {Object::RootFolder, 0x36D0, "entry IDs of the default folders we make (Outlook 2010 stores hold them too)"},
    {Object::RootFolder, 0x36D1, "as 0x36D0"},
    {Object::RootFolder, 0x36D2, "as 0x36D0"},
    {Object::RootFolder, 0x36D3, "as 0x36D0"},
    {Object::RootFolder, 0x36D4, "as 0x36D0"},
    {Object::RootFolder, 0x36D7, "as 0x36D0"},
    {Object::RootFolder, 0x36D8, "as 0x36D0"},
    {Object::TopFolder, 0x3001, "its name, in the language of the Outlook that made the store"},
    {Object::TopFolder, 0x3603, "PidTagContentUnreadCount follows the message's read flag, set by the import"},
    {Object::TopFolder, 0x6635, "PidTagPstHiddenCount: on the top folder of some Outlook stores, not of others"},
    {Object::TopFolder, 0x6636, "PidTagPstHiddenUnread: as 0x6635"},
    {Object::SearchRoot, 0x3001, "its name, in Outlook's language"},
    {Object::DeletedItems, 0x3001, "its name, in Outlook's language"},
    {Object::DeletedItems, 0x3004, "its comment, in Outlook's language (checked to be there)"},
    {Object::Recipient, 0x0FF9, "PidTagRecordKey of a recipient: the import's to set, not the store's"},
};

// Nodes with fixed NIDs that only Outlook's stores hold: undocumented indexes of Outlook's own
// (0xE01 a heap of client signature 0xCC keyed by 32-bit values that lead to message NIDs,
// 0xE41 mostly empty); two of Outlook's own stores lack them.
constexpr std::uint32_t kOutlookOnlyNodes[] = {0xE01, 0xE41, 0xE61, 0xE81, 0xEA1, 0xEC1};

bool IsAllowed(Object object, std::uint16_t property) {
    for (const Allowed& a : kAllowed)
        if (a.object == object && a.property == property) return true;
    return false;
}

std::string Hex(std::uint32_t v) {
    std::ostringstream s;
    s << "0x" << std::hex << std::uppercase << v;
    return s.str();
}

// An entry ID of the store's own objects is compared by the object it names: the record key
// in it is the store's own GUID.
PropertyValue Comparable(const PropertyValue& value, const Guid& recordKey) {
    if (value.Type() != PropertyType::Binary) return value;
    const auto id = EntryId::Decode(value.As<PropertyValue::Bytes>());
    if (!id || id->provider != recordKey) return value;
    return PropertyValue::Integer32(static_cast<std::int32_t>(id->nid.Value()));
}

void ExpectSameProperties(Object object, const PropertyBag& outlook, const Guid& outlookKey, const PropertyBag& ours,
                          const Guid& ourKey) {
    std::set<std::uint16_t> ids;
    for (const auto& [tag, value] : outlook) ids.insert(tag.id);
    for (const auto& [tag, value] : ours) ids.insert(tag.id);
    for (std::uint16_t id : ids) {
        if (IsAllowed(object, id)) continue;
        const PropertyValue* theirs = outlook.Find(id);
        const PropertyValue* mine = ours.Find(id);
        if (!theirs || !mine) {
            ADD_FAILURE() << Name(object) << ": property " << Hex(id) << " only in " << (theirs ? "Outlook's" : "our")
                          << " store";
            continue;
        }
        EXPECT_TRUE(Comparable(*theirs, outlookKey) == Comparable(*mine, ourKey))
            << Name(object) << ": property " << Hex(id);
    }
}

struct Side {
    std::unique_ptr<PstStore> store;
    std::unique_ptr<NodeDatabase> db;

    explicit Side(const fsys::path& path)
        : store(std::make_unique<PstStore>(PstStore::Open(path, OpenMode::ReadOnly))),
          db(std::make_unique<NodeDatabase>(NodeDatabase::Open(path))) {}

    NodeId Message() const {
        for (const NodeEntry& e : db->Nodes())
            if (e.nid.Type() == NidType::NormalMessage) return e.nid;
        ADD_FAILURE() << "no message";
        return NodeId();
    }
    NodeId SearchRoot() const {
        const PropertyValue* v = store->StoreProperties().Find(tags::kFinderEntryId);
        return v ? EntryId::Decode(v->As<PropertyValue::Bytes>())->nid : NodeId();
    }
};

// The message and the messages attached to it, depth first, in attachment order.
std::vector<NodeData> MessagesIn(const NodeData& message) {
    std::vector<NodeData> all{message};
    for (const auto& [nid, attachment] : message.subnodes) {
        if (nid.Type() != NidType::Attachment) continue;
        for (const auto& [inner, data] : attachment.subnodes)
            if (inner.Type() == NidType::NormalMessage)
                for (NodeData& m : MessagesIn(data)) all.push_back(std::move(m));
    }
    return all;
}

std::optional<TableContext> RecipientTable(const NodeData& message) {
    const auto it = message.subnodes.find(NodeId(0x692));
    if (it == message.subnodes.end()) return std::nullopt;
    return TableContext::Read(it->second);
}

// Outlook numbers the recipient rows it writes in one go from its store-wide row sequence,
// three numbers a row: the row ID first, the row version two after it.
void ExpectOutlookRowNumbering(const TableContext& table, const std::string& whose) {
    const auto version = table.ColumnIndex(kLtpRowVersionTag);
    ASSERT_TRUE(version) << whose;
    for (std::size_t i = 0; i < table.Rows().size(); ++i) {
        const auto& row = table.Rows()[i];
        EXPECT_GE(row.id, 0x10u) << whose << " row " << i;
        ASSERT_TRUE(row.cells[*version]) << whose;
        EXPECT_EQ(static_cast<std::uint32_t>(row.cells[*version]->As<std::int32_t>()), row.id + 2)
            << whose << " row " << i;
        if (i > 0) {
            EXPECT_EQ(row.id, table.Rows()[i - 1].id + 3) << whose << " row " << i;
        }
    }
}

class OutlookParityTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        FERROWICK_REQUIRE_CORPUS();
        const std::string name = GetParam();
        outlookPath_ = testing::CorpusDir() / "pst" / "ruby-msg" / (name + ".pst");
        const fsys::path msg = testing::CorpusDir() / "msg" / "hiraoka-msgreader" / (name + ".msg");
        ASSERT_TRUE(fsys::exists(outlookPath_) && fsys::exists(msg)) << name;
        fsys::create_directories(temp_.Native("in"));
        fsys::copy_file(msg, temp_.Native("in") / (name + ".msg"));
        ourPath_ = temp_.Native(name + ".pst");
        ASSERT_EQ(testing::RunFerrowick(
                      {"convert", ToUtf8(temp_.Native("in").u16string()), ToUtf8(ourPath_.u16string())})
                      .status,
                  0);
        outlook_ = std::make_unique<Side>(outlookPath_);
        ours_ = std::make_unique<Side>(ourPath_);
    }

    testing::TempFolder temp_;
    fsys::path outlookPath_, ourPath_;
    std::unique_ptr<Side> outlook_, ours_;
};

TEST_P(OutlookParityTest, StoreAndDefaultFolderPropertiesAreOutlooks) {
    const PstStore& ol = *outlook_->store;
    const PstStore& us = *ours_->store;
    ExpectSameProperties(Object::Store, ol.StoreProperties(), ol.RecordKey(), us.StoreProperties(), us.RecordKey());
    const auto folder = [&](Object object, NodeId theirs, NodeId mine) {
        ASSERT_TRUE(ol.HasFolder(theirs) && us.HasFolder(mine)) << Name(object);
        ExpectSameProperties(object, ol.Folder(theirs).properties, ol.RecordKey(), us.Folder(mine).properties,
                             us.RecordKey());
    };
    folder(Object::RootFolder, ol.RootFolder(), us.RootFolder());
    folder(Object::TopFolder, ol.IpmSubtree(), us.IpmSubtree());
    folder(Object::SearchRoot, outlook_->SearchRoot(), ours_->SearchRoot());
    ASSERT_TRUE(ol.DeletedItems() && us.DeletedItems());
    folder(Object::DeletedItems, *ol.DeletedItems(), *us.DeletedItems());
    EXPECT_TRUE(ol.Folder(*ol.DeletedItems()).properties.Find(tags::kComment));
    EXPECT_TRUE(us.Folder(*us.DeletedItems()).properties.Find(tags::kComment));
}

TEST_P(OutlookParityTest, NodesWithFixedNidsAreOutlooks) {
    const auto fixed = [](const NodeDatabase& db) {
        std::set<std::uint32_t> nids;
        for (const NodeEntry& e : db.Nodes())
            if (e.nid.Index() < 0x400) nids.insert(e.nid.Value());
        return nids;
    };
    std::set<std::uint32_t> theirs = fixed(*outlook_->db);
    const std::set<std::uint32_t> mine = fixed(*ours_->db);
    for (std::uint32_t nid : kOutlookOnlyNodes) theirs.erase(nid);
    for (std::uint32_t nid : theirs)
        EXPECT_TRUE(mine.contains(nid)) << "node " << Hex(nid) << " only in Outlook's store";
    for (std::uint32_t nid : mine) EXPECT_TRUE(theirs.contains(nid)) << "node " << Hex(nid) << " only in our store";
}

TEST_P(OutlookParityTest, NidCountersCoverTheSameIdsAsOutlooks) {
    // Attachments numbered as Outlook numbers them, from the counter that then shows the last.
    const auto attachments = [](const NodeData& message) {
        std::vector<std::uint32_t> nids;
        for (const NodeData& m : MessagesIn(message))
            for (const auto& [nid, data] : m.subnodes)
                if (nid.Type() == NidType::Attachment) nids.push_back(nid.Value());
        return nids;
    };
    EXPECT_EQ(attachments(ours_->db->ReadNode(ours_->Message())),
              attachments(outlook_->db->ReadNode(outlook_->Message())));
    // Both files pass the checker, which holds every counter to the NIDs in use.
    for (const fsys::path& path : {outlookPath_, ourPath_})
        for (const Finding& f : CheckPstFile(path))
            EXPECT_EQ(f.severity, Severity::Leak) << path << ": " << f.kind << " " << f.where << ": " << f.what;
}

TEST_P(OutlookParityTest, RecipientTablesAreOutlooks) {
    const std::vector<NodeData> theirs = MessagesIn(outlook_->db->ReadNode(outlook_->Message()));
    const std::vector<NodeData> mine = MessagesIn(ours_->db->ReadNode(ours_->Message()));
    ASSERT_EQ(theirs.size(), mine.size());
    std::size_t rowsCompared = 0;
    for (std::size_t m = 0; m < theirs.size(); ++m) {
        const std::string whose = "message " + std::to_string(m);
        const auto ol = RecipientTable(theirs[m]);
        const auto us = RecipientTable(mine[m]);
        ASSERT_TRUE(us) << whose;
        EXPECT_FALSE(us->ColumnIndex(PropertyTag{0x3000, PropertyType::Integer32})) << "PidTagRowid is not stored";
        ExpectOutlookRowNumbering(*us, "ours, " + whose);
        if (!ol) {  // Outlook writes no recipient table for a message without recipients
            EXPECT_EQ(us->RowCount(), 0u) << whose;
            continue;
        }
        ExpectOutlookRowNumbering(*ol, "Outlook's, " + whose);
        ASSERT_EQ(ol->RowCount(), us->RowCount()) << whose;
        std::set<std::uint32_t> olColumns, ourColumns;
        for (const TableColumn& c : ol->Columns()) olColumns.insert(c.tag.Value());
        for (const TableColumn& c : us->Columns()) ourColumns.insert(c.tag.Value());
        EXPECT_EQ(olColumns, ourColumns) << whose;
        for (std::size_t r = 0; r < ol->RowCount(); ++r) {
            for (const TableColumn& column : ol->Columns()) {
                if (column.tag == kLtpRowIdTag || column.tag == kLtpRowVersionTag) continue;
                if (IsAllowed(Object::Recipient, column.tag.id)) continue;
                const auto i = ol->ColumnIndex(column.tag);
                const auto j = us->ColumnIndex(column.tag);
                if (!j) continue;  // reported with the column sets
                const auto& a = ol->Rows()[r].cells[*i];
                const auto& b = us->Rows()[r].cells[*j];
                EXPECT_EQ(a.has_value(), b.has_value()) << whose << " row " << r << " column " << Hex(column.tag.id);
                if (a && b) {
                    EXPECT_TRUE(*a == *b) << whose << " row " << r << " column " << Hex(column.tag.id);
                }
            }
            ++rowsCompared;
        }
    }
    RecordProperty("recipient_rows_compared", static_cast<int>(rowsCompared));
}

INSTANTIATE_TEST_SUITE_P(RubyMsgImports, OutlookParityTest,
                         ::testing::Values("200_recipients", "attachAndInline", "msgInMsg"));

// The default folders' container classes and comments as an English Outlook 2010 makes them.
TEST(OutlookParity, DefaultFoldersCarryOutlooksClassesAndComments) {
    FERROWICK_REQUIRE_CORPUS();
    const PstStore outlook =
        PstStore::Open(testing::CorpusDir() / "pst" / "process-pst" / "unsent_email.pst", OpenMode::ReadOnly);
    testing::TempFolder temp;
    {
        PstStore store = PstStore::Create(temp.Native("ours.pst"), u"S");
        EnsureDefaultFolders(store);
        store.Commit();
    }
    const PstStore ours = PstStore::Open(temp.Native("ours.pst"), OpenMode::ReadOnly);
    for (DefaultFolder which :
         {DefaultFolder::Inbox, DefaultFolder::Outbox, DefaultFolder::SentItems, DefaultFolder::DeletedItems,
          DefaultFolder::Drafts, DefaultFolder::Calendar, DefaultFolder::Contacts, DefaultFolder::Journal,
          DefaultFolder::Notes, DefaultFolder::Tasks, DefaultFolder::JunkEmail}) {
        const auto theirs = FindDefaultFolder(outlook, which);
        const auto mine = FindDefaultFolder(ours, which);
        ASSERT_TRUE(theirs && mine) << static_cast<int>(which);
        const PropertyBag& a = outlook.Folder(*theirs).properties;
        const PropertyBag& b = ours.Folder(*mine).properties;
        const std::string name = ToUtf8(outlook.Folder(*theirs).DisplayName());
        EXPECT_EQ(ours.Folder(*mine).DisplayName(), outlook.Folder(*theirs).DisplayName());
        for (PropertyTag tag : {tags::kContainerClass, tags::kComment}) {
            ASSERT_EQ(a.Find(tag) != nullptr, b.Find(tag) != nullptr) << name << " " << Hex(tag.id);
            if (a.Find(tag)) {
                EXPECT_TRUE(*a.Find(tag) == *b.Find(tag)) << name << " " << Hex(tag.id);
            }
        }
    }
}

}  // namespace
}  // namespace ferrowick::pst
