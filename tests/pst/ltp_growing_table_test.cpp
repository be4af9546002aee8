// A contents table written again at every commit keeps the blocks of its unchanged rows: it
// must read back as the same rows written at once, whatever commits, replaced rows, writes
// never put and stopped commits came between, and leave a sound file. The search queue,
// which only grows, keeps its full blocks the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "pst/check/ltp_checks.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/ltp/packed_table.hpp"
#include "pst/messaging/search_update_queue.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {
namespace {

constexpr PropertyTag kSubject{0x0037, PropertyType::String};
constexpr PropertyTag kSize{0x0E08, PropertyType::Integer32};
constexpr PropertyTag kTime{0x0E06, PropertyType::Time};
constexpr PropertyTag kRead{0x0E69, PropertyType::Boolean};
constexpr PropertyTag kKey{0x300B, PropertyType::Binary};
constexpr PropertyTag kPreview{0x6619, PropertyType::String};
const NodeId kTable = NodeId::Make(NidType::ContentsTable, 0x401);

std::uint32_t RowId(std::uint32_t n) { return 0x200024 + 32 * n; }

// Values of many sizes, so that rows and heap blocks end at ever different places; `edit`
// gives a replaced row other values.
TableContext::Cells RowCells(const PackedTable& table, std::uint32_t n, int edit = 0) {
    TableContext::Cells cells(table.Columns().size());
    const auto set = [&](PropertyTag tag, PropertyValue value) { cells[*table.ColumnIndex(tag)] = std::move(value); };
    set(kSubject, PropertyValue::String(u"Subject " + std::u16string((n * 7 + edit) % 61, u's')));
    set(kSize, PropertyValue::Integer32(static_cast<std::int32_t>(n * 13 + edit)));
    if (n % 3 != 0) set(kTime, PropertyValue::Time(0x01DA000000000000ULL + n));
    set(kRead, PropertyValue::Boolean((n + edit) % 2 == 0));
    set(kKey, PropertyValue::Binary(PropertyValue::Bytes(16, static_cast<std::uint8_t>(n + edit))));
    if (n % 4 != 1) set(kPreview, PropertyValue::String(std::u16string((n * 31 + edit) % 255, u'p')));
    return cells;
}

PackedTable NewTable() { return PackedTable({kSubject, kSize, kTime, kRead, kKey, kPreview}); }

void Put(NodeDatabase& db, PackedTable& table) {
    const NodeData node = table.WriteChanges();
    db.PutNode(kTable, NodeId(), node);
    table.MarkWritten(node);
}

void ExpectSameRows(const NodeDatabase& db, const PackedTable& expected) {
    const NodeData node = db.ReadNode(kTable);
    EXPECT_TRUE(CheckLtpNode(kTable, node, "contents").empty());
    const TableContext back = TableContext::Read(node);
    ASSERT_EQ(back.RowCount(), expected.RowCount());
    for (std::size_t i = 0; i < back.RowCount(); ++i) {
        ASSERT_EQ(back.Rows()[i].id, expected.Rows()[i].id) << "row " << i;
        ASSERT_EQ(back.Rows()[i].cells, expected.Rows()[i].cells) << "row " << i;
    }
}

// No damage, and (unless a commit was stopped) no leaked space: every block shared between
// two writes was let go once.
void ExpectCleanFile(const std::filesystem::path& path, bool leaksAllowed = false) {
    const Findings findings = CheckPstFile(path);
    for (const Finding& f : findings)
        if (!leaksAllowed || f.severity != Severity::Leak) ADD_FAILURE() << f.kind << " " << f.where << ": " << f.what;
}

std::size_t Shared(const std::vector<BlockId>& before, const std::vector<BlockId>& after) {
    std::size_t n = 0;
    for (BlockId bid : after) n += std::count(before.begin(), before.end(), bid) != 0;
    return n;
}

class GrowingTable : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() /
                ("ferrowick_growing_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".pst");
    }
    void TearDown() override { std::filesystem::remove(path_); }
    std::filesystem::path path_;
};

TEST_F(GrowingTable, ManyCommitsReadBackAsTheRowsWrittenAtOnce) {
    auto db = NodeDatabase::Create(path_);
    PackedTable table = NewTable();
    PackedTable reference = NewTable();
    std::uint32_t n = 0;
    for (int commit = 0; commit < 40; ++commit) {
        for (int k = 0; k < 97; ++k, ++n) {
            table.PutRow(RowId(n), RowCells(table, n));
            reference.PutRow(RowId(n), RowCells(reference, n));
        }
        if (commit == 25 || commit == 31) {  // a second save of early messages, in kept blocks
            for (std::uint32_t early : {3u, 400u, 401u, 1700u}) {
                table.PutRow(RowId(early), RowCells(table, early, commit));
                reference.PutRow(RowId(early), RowCells(reference, early, commit));
            }
        }
        if (commit == 12) (void)table.WriteChanges();  // made but never put: keeps nothing of it
        Put(db, table);
        db.Commit();
        ExpectSameRows(db, reference);
    }
    db = NodeDatabase::Open(path_, OpenMode::ReadOnly);
    ExpectSameRows(db, reference);
    ExpectCleanFile(path_);
}

TEST_F(GrowingTable, AWriteAfterAFewMoreRowsKeepsAlmostEveryBlock) {
    auto db = NodeDatabase::Create(path_);
    PackedTable table = NewTable();
    std::uint32_t n = 0;
    const auto addRows = [&](int count) {
        for (int k = 0; k < count; ++k, ++n) table.PutRow(RowId(n), RowCells(table, n));
    };
    addRows(6000);
    NodeData first = table.WriteChanges();
    db.PutNode(kTable, NodeId(), first);
    table.MarkWritten(first);
    db.Commit();
    addRows(20);
    const NodeData second = table.WriteChanges();
    db.PutNode(kTable, NodeId(), second);
    table.MarkWritten(second);
    db.Commit();

    ASSERT_EQ(first.subnodes.size(), 1u);
    ASSERT_EQ(second.subnodes.size(), 1u);
    const auto& matrixBefore = first.subnodes.begin()->second.placed;
    const auto& matrixAfter = second.subnodes.begin()->second.placed;
    ASSERT_GT(first.placed.size(), 20u);
    ASSERT_GT(matrixBefore.size(), 20u);
    // Rewritten: heap block 0 and the bitmap blocks, the last segment's and the row index's.
    EXPECT_GE(Shared(first.placed, second.placed) * 5, second.placed.size() * 4);
    EXPECT_GE(Shared(matrixBefore, matrixAfter) + 4, matrixAfter.size());
    ExpectSameRows(db, table);
    ExpectCleanFile(path_);
}

TEST_F(GrowingTable, AStoppedCommitLeavesTheLastCommittedTableAndTheNextWriterGoesOn) {
    PackedTable table = NewTable();
    std::uint32_t n = 0;
    {
        auto db = NodeDatabase::Create(path_);
        for (int commit = 0; commit < 5; ++commit) {
            for (int k = 0; k < 300; ++k, ++n) table.PutRow(RowId(n), RowCells(table, n));
            Put(db, table);
            db.Commit();
        }
        const PackedTable committed = table;
        for (int k = 0; k < 300; ++k, ++n) table.PutRow(RowId(n), RowCells(table, n));
        table.PutRow(RowId(5), RowCells(table, 5, 9));
        Put(db, table);
        db.StopCommitBeforeHeaderForTesting(true);
        EXPECT_THROW(db.Commit(), PstError);
        db = NodeDatabase::Open(path_, OpenMode::ReadOnly);
        ExpectSameRows(db, committed);
        table = committed;
        n = static_cast<std::uint32_t>(committed.RowCount());
    }
    // The next writer starts from the table in the file and writes it whole once.
    auto db = NodeDatabase::Open(path_, OpenMode::ReadWrite);
    PackedTable reopened(TableContext::Read(db.ReadNode(kTable)));
    for (int commit = 0; commit < 3; ++commit) {
        for (int k = 0; k < 200; ++k, ++n) {
            reopened.PutRow(RowId(n), RowCells(reopened, n));
            table.PutRow(RowId(n), RowCells(table, n));
        }
        Put(db, reopened);
        db.Commit();
    }
    ExpectSameRows(db, table);
    ExpectCleanFile(path_, true);  // the stopped commit's blocks stay leaked
}

TEST_F(GrowingTable, AGrowingQueueKeepsItsFullBlocksAndReadsBackWhole) {
    const NodeId queueNid(0x1E1);  // the search management queue
    auto db = NodeDatabase::Create(path_);
    std::vector<std::uint8_t> queue;
    std::vector<BlockId> written;
    for (std::uint32_t round = 0; round < 6; ++round) {
        for (std::uint32_t k = 0; k < 1500 + round * 7; ++k)
            SearchUpdate{SudType::MessageAdd, NodeId(0x8022), NodeId(0x200024 + 32 * k + round)}.AppendTo(queue);
        const NodeData node = QueueNode(queue, written);
        const std::size_t keptBlocks = written.empty() ? 0 : written.size() - 1;
        ASSERT_EQ(node.kept.empty(), keptBlocks == 0);
        for (std::size_t i = 0; i < keptBlocks; ++i) EXPECT_EQ(node.kept[i], written[i]) << i;
        db.PutNode(queueNid, NodeId(), node);
        written = node.placed;
        db.Commit();
        std::vector<std::uint8_t> back;
        for (const auto& piece : db.ReadNode(queueNid).pieces) back.insert(back.end(), piece.begin(), piece.end());
        ASSERT_EQ(back, queue) << "round " << round;
    }
    ExpectCleanFile(path_);
}

}  // namespace
}  // namespace ferrowick::pst
