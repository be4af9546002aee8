// Parity with Outlook's own import: three corpus stores are what Outlook wrote when it
// imported three corpus .msg files. Each .msg is converted alone by `ferrowick convert`, and
// the message, its recipients, attachments, attached message and contents-table row are
// compared property by property (named properties by GUID and name or ID) with Outlook's.
// Every difference allowed is in kAllowed below, with the reason it may differ.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "fs/text.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "support/msg_fixtures.hpp"
#include "support/run_command.hpp"
#include "support/run_program.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;
using pst::PropertyBag;
using pst::PropertyValue;

// Where a property sits, for the list of allowed differences.
enum class Place { Message, Recipient, Attachment, Row };

struct Allowed {
    Place place;
    std::uint16_t id;
    const char* reason;
};

// The only differences allowed between Outlook's store and ours.
const Allowed kAllowed[] = {
    {Place::Message, 0x0E08, "message size: counts the bytes of each store's own node layout"},
    {Place::Row, 0x0E08, "message size: counts the bytes of each store's own node layout"},
    {Place::Attachment, 0x0E20, "attachment size: counts the bytes of each store's own node layout"},
    {Place::Attachment, 0x3701, "an attached message's object names its node ID: IDs differ between any two stores"},
    {Place::Message, 0x0E07, "message flags: we set read on every imported message, Outlook leaves a draft unread"},
    {Place::Row, 0x0E07, "message flags: we set read on every imported message, Outlook leaves a draft unread"},
    {Place::Row, 0x67F3, "row version: a counter of each store's history"},
    {Place::Recipient, 0x3000, "recipients' Rowid column: handled elsewhere"},
    {Place::Attachment, 0x0FF4, "attachments' access rights (Outlook writes 2): not yet written by us"},
};

const char* PlaceName(Place p) {
    switch (p) {
        case Place::Message:
            return "message";
        case Place::Recipient:
            return "recipient";
        case Place::Attachment:
            return "attachment";
        case Place::Row:
            return "contents row";
    }
    return "?";
}

bool IsAllowed(Place place, std::uint16_t id) {
    for (const Allowed& a : kAllowed)
        if (a.place == place && a.id == id) return true;
    return false;
}

std::string Hex(unsigned v, int width = 4) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", width, v);
    return buf;
}

// A store's properties keyed so that two stores compare: plain IDs as they are, named
// properties by their GUID and name or number; each with its type.
class KeyedStore {
public:
    explicit KeyedStore(const fsys::path& path) : store_(pst::PstStore::Open(path, pst::OpenMode::ReadWrite)) {}

    std::string Key(std::uint16_t id) {
        if (id < 0x8000) return "0x" + Hex(id);
        const pst::NamedProperty* named = store_.NamedProperties().Named(id);
        if (!named) return "unnamed 0x" + Hex(id);
        std::string guid;
        for (std::uint8_t b : named->guid.bytes) guid += Hex(b, 2);
        return guid + (named->number ? ":0x" + Hex(*named->number) : ":" + ToUtf8(named->name));
    }

    // The one message of the store, wherever it is.
    pst::NodeId OnlyMessage() {
        std::vector<std::pair<pst::NodeId, pst::NodeId>> found;
        std::function<void(pst::NodeId)> walk = [&](pst::NodeId folder) {
            for (const auto& row : store_.Folder(folder).contents.Rows())
                found.emplace_back(folder, pst::NodeId(row.id));
            for (pst::NodeId child : store_.Subfolders(folder)) walk(child);
        };
        walk(store_.RootFolder());
        EXPECT_EQ(found.size(), 1u);
        folder_ = found.at(0).first;
        return found.at(0).second;
    }
    pst::PstStore& Store() { return store_; }
    pst::NodeId Folder() const { return folder_; }

private:
    pst::PstStore store_;
    pst::NodeId folder_{0};
};

using Keyed = std::map<std::pair<std::string, std::uint16_t>, std::pair<std::uint16_t, PropertyValue>>;

Keyed KeyedBag(KeyedStore& store, const PropertyBag& bag) {
    Keyed out;
    for (const auto& [tag, value] : bag)
        out.emplace(std::make_pair(store.Key(tag.id), static_cast<std::uint16_t>(value.Type())),
                    std::make_pair(tag.id, value));
    return out;
}

class Comparison {
public:
    Comparison(KeyedStore& outlook, KeyedStore& ours) : outlook_(outlook), ours_(ours) {}

    void Bags(Place place, const std::string& where, const PropertyBag& theirs, const PropertyBag& mine) {
        const Keyed a = KeyedBag(outlook_, theirs), b = KeyedBag(ours_, mine);
        std::set<std::pair<std::string, std::uint16_t>> keys;
        for (const auto& [k, v] : a) keys.insert(k);
        for (const auto& [k, v] : b) keys.insert(k);
        for (const auto& key : keys) {
            const auto x = a.find(key), y = b.find(key);
            const std::uint16_t id = x != a.end() ? x->second.first : y->second.first;
            const bool same = x != a.end() && y != b.end() && x->second.second == y->second.second;
            if (same || (id < 0x8000 && IsAllowed(place, id))) continue;
            const char* what = x == a.end() ? "only ours" : y == b.end() ? "only Outlook's" : "differs";
            differences_ << "  " << where << " (" << PlaceName(place) << "): " << key.first << "/" << Hex(key.second)
                         << " " << what << "\n";
        }
    }

    void Messages(const std::string& where, const pst::MessageContent& theirs, const pst::MessageContent& mine) {
        Bags(Place::Message, where, theirs.properties, mine.properties);
        if (theirs.recipients.size() != mine.recipients.size())
            differences_ << "  " << where << ": " << theirs.recipients.size() << " recipients in Outlook's, "
                         << mine.recipients.size() << " in ours\n";
        for (std::size_t i = 0; i < std::min(theirs.recipients.size(), mine.recipients.size()); ++i)
            Bags(Place::Recipient, where + " recipient " + std::to_string(i), theirs.recipients[i], mine.recipients[i]);
        if (theirs.attachments.size() != mine.attachments.size()) {
            differences_ << "  " << where << ": attachment counts differ\n";
            return;
        }
        for (std::size_t i = 0; i < theirs.attachments.size(); ++i) {
            const std::string at = where + " attachment " + std::to_string(i);
            Bags(Place::Attachment, at, theirs.attachments[i].properties, mine.attachments[i].properties);
            if (!theirs.attachments[i].embedded != !mine.attachments[i].embedded)
                differences_ << "  " << at << ": only one of them is an attached message\n";
            else if (theirs.attachments[i].embedded)
                Messages(at + " message", *theirs.attachments[i].embedded, *mine.attachments[i].embedded);
        }
    }

    std::string Differences() const { return differences_.str(); }

private:
    KeyedStore& outlook_;
    KeyedStore& ours_;
    std::ostringstream differences_;
};

// A row as a bag: the cells of its table's columns.
PropertyBag RowBag(const pst::PackedTable& table, std::uint32_t rowId) {
    PropertyBag bag;
    const auto* row = table.FindRow(rowId);
    if (!row) return bag;
    for (std::size_t i = 0; i < row->cells.size(); ++i)
        if (row->cells[i]) bag.Set(table.Columns()[i].tag.id, *row->cells[i]);
    return bag;
}

// Only the cells of columns both tables have: Outlook's views add columns on first display
// (its tables hold 55-71, the template 28).
PropertyBag CommonColumns(const PropertyBag& row, const pst::PackedTable& other) {
    PropertyBag out;
    for (const auto& [tag, value] : row)
        if (other.ColumnIndex(tag)) out.Set(tag.id, value);
    return out;
}

class OutlookParityTest : public ::testing::TestWithParam<const char*> {};

TEST_P(OutlookParityTest, OurStoreOfTheMessageIsOutlooksButForTheListedDifferences) {
    FERROWICK_REQUIRE_CORPUS();
    const std::string name = GetParam();
    testing::ScratchDir dir("parity");
    const fsys::path source = dir / "source";
    fsys::create_directories(source);
    fsys::copy_file(testing::CorpusDir() / "msg" / "hiraoka-msgreader" / (name + ".msg"), source / (name + ".msg"));
    const fsys::path outlookCopy = dir / "outlook.pst";  // opened for its name map: a copy, never the corpus file
    fsys::copy_file(testing::CorpusDir() / "pst" / "ruby-msg" / (name + ".pst"), outlookCopy);
    fsys::permissions(outlookCopy, fsys::perms::owner_write, fsys::perm_options::add);
    const fsys::path oursPath = dir / "ours.pst";
    ASSERT_EQ(testing::RunFerrowick({"convert", ToUtf8(source.u16string()), ToUtf8(oursPath.u16string())}).status, 0);

    KeyedStore outlook(outlookCopy), ours(oursPath);
    const pst::NodeId theirId = outlook.OnlyMessage(), myId = ours.OnlyMessage();
    Comparison compare(outlook, ours);
    compare.Messages(name, outlook.Store().ReadMessage(theirId), ours.Store().ReadMessage(myId));

    const pst::PackedTable& theirTable = outlook.Store().Folder(outlook.Folder()).contents;
    const pst::PackedTable& myTable = ours.Store().Folder(ours.Folder()).contents;
    // The columns this store fills as Outlook does must be there.
    for (std::uint32_t tag : {0x6619001Fu, 0x0E170003u, 0x30130102u})
        EXPECT_TRUE(myTable.ColumnIndex(pst::StoredPropertyTag(tag))) << std::hex << tag;
    compare.Bags(Place::Row, name + " contents row", CommonColumns(RowBag(theirTable, theirId.Value()), myTable),
                 CommonColumns(RowBag(myTable, myId.Value()), theirTable));
    EXPECT_EQ(compare.Differences(), "") << "differences not in the allowed list:\n" << compare.Differences();
}

INSTANTIATE_TEST_SUITE_P(CorpusPairs, OutlookParityTest,
                         ::testing::Values("200_recipients", "attachAndInline", "msgInMsg"));

}  // namespace
}  // namespace ferrowick
