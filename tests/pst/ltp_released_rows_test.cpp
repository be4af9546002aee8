// Contents rows that left memory after a write come back from the file whenever something
// needs them: the table must read, change, widen and write exactly as one that kept every
// row, and a store that added, replaced and reopened across many commits must hold the
// same rows as one written at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pst/check/pst_checker.hpp"
#include "pst/ltp/packed_table.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "pst/ndb/node_database.hpp"
#include "pst/pst_error.hpp"
#include "support/msg_fixtures.hpp"

namespace ferrowick::pst {
namespace {

constexpr PropertyTag kSubject{0x0037, PropertyType::String};
constexpr PropertyTag kSize{0x0E08, PropertyType::Integer32};
constexpr PropertyTag kKey{0x300B, PropertyType::Binary};
constexpr PropertyTag kExtra{0x1000, PropertyType::String};
const NodeId kTable = NodeId::Make(NidType::ContentsTable, 0x401);

std::uint32_t RowId(std::uint32_t n) { return 0x200024 + 32 * n; }

TableContext::Cells RowCells(const PackedTable& table, std::uint32_t n, int edit = 0) {
    TableContext::Cells cells(table.Columns().size());
    const auto set = [&](PropertyTag tag, PropertyValue value) { cells[*table.ColumnIndex(tag)] = std::move(value); };
    set(kSubject, PropertyValue::String(u"Subject " + std::u16string((n * 7 + edit) % 97, u's')));
    set(kSize, PropertyValue::Integer32(static_cast<std::int32_t>(n * 13 + edit)));
    if (n % 5 != 2)
        set(kKey, PropertyValue::Binary(PropertyValue::Bytes(16 + n % 9, static_cast<std::uint8_t>(n + edit))));
    return cells;
}

PackedTable NewTable() { return PackedTable({kSubject, kSize, kKey}); }

void ExpectSameRows(const std::vector<TableContext::Row>& got, const std::vector<TableContext::Row>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i].id, want[i].id) << "row " << i;
        ASSERT_EQ(got[i].cells, want[i].cells) << "row " << i;
    }
}

class ReleasedRows : public ::testing::Test {
protected:
    // Writes the table as the store does at a commit, then lets its written rows go.
    void Put(NodeDatabase& db, PackedTable& table) {
        const NodeData node = table.WriteChanges();
        db.PutNode(kTable, NodeId(), node);
        table.MarkWritten(node);
        table.ReleaseWrittenRows([&db] { return db.ReadNode(kTable); });
        db.Commit();
    }

    // Both tables add the same rows; `table` writes and releases after each batch.
    void Grow(NodeDatabase& db, PackedTable& table, PackedTable& reference, std::uint32_t& n, int batches) {
        for (int b = 0; b < batches; ++b) {
            for (int k = 0; k < 250; ++k, ++n) {
                table.PutRow(RowId(n), RowCells(table, n));
                reference.PutRow(RowId(n), RowCells(reference, n));
            }
            Put(db, table);
        }
    }

    ferrowick::testing::ScratchDir dir_{"released"};
    std::filesystem::path path_ = dir_ / "store.pst";
};

TEST_F(ReleasedRows, ReadReplacedAndWrittenTheyEqualATableThatKeptThem) {
    auto db = NodeDatabase::Create(path_);
    PackedTable table = NewTable();
    PackedTable reference = NewTable();
    std::uint32_t n = 0;
    Grow(db, table, reference, n, 8);
    ASSERT_GT(table.ReleasedRows(), 1000u);  // most rows live only in the file

    // A single cell of a released row, then every row, read back.
    EXPECT_EQ(table.Cell(RowId(7), *table.ColumnIndex(kSubject)),
              reference.Cell(RowId(7), *reference.ColumnIndex(kSubject)));
    ExpectSameRows(table.Rows(), reference.Rows());

    // Second saves of released rows, among new rows, over more commits.
    Grow(db, table, reference, n, 2);
    for (std::uint32_t early : {0u, 3u, 640u, 1501u}) {
        table.PutRow(RowId(early), RowCells(table, early, 5));
        reference.PutRow(RowId(early), RowCells(reference, early, 5));
    }
    Put(db, table);
    Grow(db, table, reference, n, 2);
    EXPECT_GT(table.ReleasedRows(), 0u);
    ExpectSameRows(TableContext::Read(db.ReadNode(kTable)).Rows(), reference.Rows());
    ExpectSameRows(table.Rows(), reference.Rows());

    db = NodeDatabase::Open(path_, OpenMode::ReadOnly);
    ExpectSameRows(TableContext::Read(db.ReadNode(kTable)).Rows(), reference.Rows());
    for (const Finding& f : CheckPstFile(path_)) ADD_FAILURE() << f.kind << " " << f.where << ": " << f.what;
}

TEST_F(ReleasedRows, AllRowsLetGoComeBackForMoreRowsAWiderTableAndAWholeWrite) {
    auto db = NodeDatabase::Create(path_);
    PackedTable table = NewTable();
    PackedTable reference = NewTable();
    std::uint32_t n = 0;
    Grow(db, table, reference, n, 6);
    table.ReleaseAllRows();
    EXPECT_EQ(table.ReleasedRows(), table.RowCount());

    // A wider copy holds every row, with the new column empty.
    const PackedTable wider = table.WithColumn(kExtra);
    ExpectSameRows(wider.Rows(), reference.WithColumn(kExtra).Rows());

    // More rows after all were let go: the next write needs the last rows again.
    table.ReleaseAllRows();
    Grow(db, table, reference, n, 1);
    ExpectSameRows(TableContext::Read(db.ReadNode(kTable)).Rows(), reference.Rows());

    // A value too large for the heap makes the next write a whole one, of every row.
    TableContext::Cells big = RowCells(table, n);
    big[*table.ColumnIndex(kSubject)] = PropertyValue::String(std::u16string(5000, u'L'));
    table.PutRow(RowId(n), big);
    reference.PutRow(RowId(n), big);
    Put(db, table);
    ExpectSameRows(TableContext::Read(db.ReadNode(kTable)).Rows(), reference.Rows());
    for (const Finding& f : CheckPstFile(path_))
        if (f.severity != Severity::Leak) ADD_FAILURE() << f.kind << " " << f.where << ": " << f.what;
}

TEST_F(ReleasedRows, AFileThatNoLongerHoldsThemIsAnErrorAndTheTableStaysAsItWas) {
    auto db = NodeDatabase::Create(path_);
    PackedTable table = NewTable();
    PackedTable reference = NewTable();
    std::uint32_t n = 0;
    Grow(db, table, reference, n, 6);
    ASSERT_GT(table.ReleasedRows(), 0u);

    // The node is replaced behind the table's back by one with other row IDs.
    PackedTable other = NewTable();
    for (std::uint32_t k = 0; k < n; ++k) other.PutRow(RowId(k) + 4, RowCells(other, k));
    db.PutNode(kTable, NodeId(), other.Write());
    EXPECT_THROW(table.Cell(RowId(1), 0), PstError);
    EXPECT_THROW(table.PutRow(RowId(2), RowCells(table, 2, 1)), PstError);

    // Once the file holds the rows again, nothing of them was lost.
    db.PutNode(kTable, NodeId(), reference.Write());
    ExpectSameRows(table.Rows(), reference.Rows());
}

MessageContent Mail(std::uint32_t n, bool read) {
    MessageContent m;
    m.properties.Set(tags::kSubject.id, PropertyValue::String(u"Mail " + std::u16string(n % 40, u'm')));
    m.properties.Set(tags::kMessageFlags.id, PropertyValue::Integer32(read ? 0x11 : 0));
    m.properties.Set(tags::kMessageSize.id, PropertyValue::Integer32(static_cast<std::int32_t>(1000 + n)));
    return m;
}

// Subjects and flags of a folder's contents rows, in row order.
std::vector<std::pair<std::u16string, std::int32_t>> Listing(const PstStore& store, NodeId folder) {
    const PackedTable& contents = store.Folder(folder).contents;
    const std::size_t subject = *contents.ColumnIndex(tags::kSubject);
    const std::size_t flags = *contents.ColumnIndex(tags::kMessageFlags);
    std::vector<std::pair<std::u16string, std::int32_t>> rows;
    for (const auto& row : contents.Rows())
        rows.emplace_back(row.cells[subject]->As<std::u16string>(), row.cells[flags]->As<std::int32_t>());
    return rows;
}

TEST_F(ReleasedRows, AStoreReopenedToAppendHoldsEveryRowAddedAndReplaced) {
    std::vector<std::pair<std::u16string, std::int32_t>> expected;
    std::vector<NodeId> messages;
    NodeId folder;
    const auto add = [&](PstStore& store, std::uint32_t count) {
        for (std::uint32_t k = 0; k < count; ++k) {
            const auto i = static_cast<std::uint32_t>(messages.size());
            messages.push_back(store.AddMessage(folder, Mail(i, i % 3 == 0)));
            expected.emplace_back(u"Mail " + std::u16string(i % 40, u'm'), i % 3 == 0 ? 0x11 : 0);
            if (k % 400 == 399) store.Commit();
        }
        store.Commit();
    };
    const auto replace = [&](PstStore& store, std::uint32_t i) {  // now read, or now unread
        const bool read = i % 3 != 0;
        store.ReplaceMessage(folder, messages[i], Mail(i, read));
        expected[i].second = read ? 0x11 : 0;
    };
    {
        PstStore store = PstStore::Create(path_, u"Store");
        folder = store.AddFolder(store.IpmSubtree(), u"Many", u"IPF.Note");
        add(store, 2000);
        replace(store, 4);
        replace(store, 9);
        store.Commit();
    }
    {
        PstStore store = PstStore::Open(path_, OpenMode::ReadWrite);
        add(store, 1200);
        replace(store, 1);
        replace(store, 2100);
        store.Commit();
        EXPECT_GT(store.Folder(folder).contents.ReleasedRows(), 2000u);
        EXPECT_EQ(Listing(store, folder), expected);  // read back while open for writing
        store.Commit();
    }
    const PstStore store = PstStore::Open(path_, OpenMode::ReadOnly);
    EXPECT_EQ(Listing(store, folder), expected);
    std::int32_t unread = 0;
    for (const auto& [subject, flags] : expected) unread += (flags & 1) == 0;
    EXPECT_EQ(store.Folder(folder).ContentCount(), static_cast<std::int32_t>(expected.size()));
    EXPECT_EQ(store.Folder(folder).UnreadCount(), unread);
    for (const Finding& f : CheckPstFile(path_))
        if (f.severity != Severity::Leak) ADD_FAILURE() << f.kind << " " << f.where << ": " << f.what;
}

}  // namespace
}  // namespace ferrowick::pst
