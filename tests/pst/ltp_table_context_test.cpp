#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "pst/check/ltp_checks.hpp"
#include "pst/ltp/bth.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/table_context.hpp"
#include "pst/ltp/tc_info.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr PropertyTag kSubject{0x0037, PropertyType::String};
constexpr PropertyTag kSize{0x0E08, PropertyType::Integer32};
constexpr PropertyTag kDelivered{0x0E06, PropertyType::Time};
constexpr PropertyTag kImportance{0x0017, PropertyType::Integer16};
constexpr PropertyTag kRead{0x0E69, PropertyType::Boolean};
constexpr PropertyTag kKey{0x0FF9, PropertyType::Binary};
constexpr PropertyTag kClass{0x001A, PropertyType::String8};
constexpr PropertyTag kKeywords{0x8001, PropertyType::MultipleString};
constexpr PropertyTag kGuid{0x8002, PropertyType::Guid};

std::vector<PropertyTag> Columns() {
    return {kSubject, kSize, kDelivered, kImportance, kRead, kKey, kClass, kKeywords, kGuid};
}

TableContext::Cells SampleRow(const TableContext& table, std::uint32_t n) {
    TableContext::Cells cells(table.Columns().size());
    auto put = [&](PropertyTag tag, PropertyValue v) { cells[*table.ColumnIndex(tag)] = std::move(v); };
    put(kLtpRowVersionTag, PropertyValue::Integer32(static_cast<std::int32_t>(n % 7)));
    put(kSubject, PropertyValue::String(u"Message number " + std::u16string(n % 5, u'!')));
    put(kSize, PropertyValue::Integer32(static_cast<std::int32_t>(1000 + n)));
    if (n % 3 != 0) put(kDelivered, PropertyValue::Time(0x01D0000000000000ULL + n));
    put(kImportance, PropertyValue::Integer16(static_cast<std::int16_t>(n % 3)));
    put(kRead, PropertyValue::Boolean(n % 2 == 0));
    if (n % 10 == 0) put(kKey, PropertyValue::Binary(PropertyValue::Bytes(n % 4000 + 1, static_cast<std::uint8_t>(n))));
    put(kClass, PropertyValue::String8("IPM.Note"));
    if (n % 50 == 0)
        put(kKeywords,
            PropertyValue::Multiple(PropertyType::MultipleString, std::vector<std::u16string>{u"red", u"blue"}));
    return cells;
}

TEST(TableContext, ColumnsAreSortedByTagAndLaidOutInSizeGroups) {
    const TableContext table(Columns());
    const auto& columns = table.Columns();
    ASSERT_EQ(columns.size(), Columns().size() + 2);
    for (std::size_t i = 1; i < columns.size(); ++i) EXPECT_LT(columns[i - 1].tag, columns[i].tag);
    const auto& rowId = columns[*table.ColumnIndex(kLtpRowIdTag)];
    EXPECT_EQ(rowId.offset, 0);
    EXPECT_EQ(columns[*table.ColumnIndex(kLtpRowVersionTag)].offset, 4);
    const RowLayout layout = table.Layout();
    // 4+4 row ID and version, 8 time, 4 size, 5 HNIDs of 4, then 2, then 1, then 2 bitmap bytes.
    EXPECT_EQ(layout.end_4b, 4 + 4 + 8 + 4 + 5 * 4);
    EXPECT_EQ(layout.end_2b, layout.end_4b + 2);
    EXPECT_EQ(layout.end_1b, layout.end_2b + 1);
    EXPECT_EQ(layout.row_size, layout.end_1b + 2);
    EXPECT_EQ(columns[*table.ColumnIndex(kImportance)].offset, layout.end_4b);
}

TEST(TableContext, SmallTableRoundTripsInTheHeap) {
    TableContext table(Columns());
    for (std::uint32_t n = 1; n <= 20; ++n) table.PutRow(n * 16 + 4, SampleRow(table, n));
    const NodeData node = table.Write();
    EXPECT_TRUE(node.subnodes.empty()) << "a row matrix of 20 rows fits a heap item";
    const TableContext back = TableContext::Read(node);
    EXPECT_EQ(back.Columns(), table.Columns());
    ASSERT_EQ(back.RowCount(), 20u);
    for (std::size_t i = 0; i < table.RowCount(); ++i) {
        EXPECT_EQ(back.Rows()[i].id, table.Rows()[i].id);
        EXPECT_EQ(back.Rows()[i].cells, table.Rows()[i].cells) << i;
    }
    EXPECT_TRUE(CheckTableContext(node, "t").empty());
    EXPECT_TRUE(CheckLtpNode(NodeId(0x60E), node, "t").empty());
}

TEST(TableContext, RowsAreAddedReplacedAndRemovedById) {
    TableContext table({kSize});
    table.PutRow(100, {{kSize, PropertyValue::Integer32(1)}});
    table.PutRow(200, {{kSize, PropertyValue::Integer32(2)}});
    table.PutRow(300, {{kSize, PropertyValue::Integer32(3)}});
    table.PutRow(200, {{kSize, PropertyValue::Integer32(22)}});
    EXPECT_TRUE(table.RemoveRow(100));
    EXPECT_FALSE(table.RemoveRow(100));
    ASSERT_EQ(table.RowCount(), 2u);
    const TableContext back = TableContext::Read(table.Write());
    ASSERT_EQ(back.RowCount(), 2u);
    EXPECT_EQ(back.Rows()[0].id, 200u);
    const std::size_t sizeColumn = *back.ColumnIndex(kSize);
    EXPECT_EQ(back.FindRow(200)->cells[sizeColumn]->As<std::int32_t>(), 22);
    EXPECT_EQ(back.FindRow(300)->cells[*back.ColumnIndex(kLtpRowIdTag)]->As<std::int32_t>(), 300);
    EXPECT_EQ(back.FindRow(100), nullptr);
    EXPECT_THROW(table.PutRow(1, {{kSubject, PropertyValue::Integer32(1)}}), PstError) << "no such column";
    TableContext::Cells wrong(table.Columns().size());
    wrong[sizeColumn] = PropertyValue::String(u"x");
    EXPECT_THROW(table.PutRow(1, wrong), PstError) << "a value of another type";
}

// How long this takes is measured by bench_table_context.
TEST(TableContext, HundredThousandRowsRoundTrip) {
    TableContext table(Columns());
    constexpr std::uint32_t kRows = 100000;
    for (std::uint32_t n = 0; n < kRows; ++n)
        table.PutRow(0x200000 + (n * 2654435761u) % 0x1000000, SampleRow(table, n));
    ASSERT_EQ(table.RowCount(), kRows);
    const NodeData node = table.Write();
    const TableContext back = TableContext::Read(node);

    ASSERT_EQ(back.RowCount(), kRows);
    for (std::size_t i = 0; i < kRows; i += 7) {
        ASSERT_EQ(back.Rows()[i].id, table.Rows()[i].id);
        ASSERT_EQ(back.Rows()[i].cells, table.Rows()[i].cells) << i;
    }
    // The row matrix lives in a sub-node of whole rows, every block but the last padded.
    const HeapReader heap(node);
    const TcInfo info = TcInfo::Read(heap.Item(heap.UserRoot()));
    ASSERT_FALSE(info.rows.IsHeapId());
    const NodeData& matrix = node.subnodes.at(info.rows.AsNodeId());
    const std::size_t perBlock = kMaxDataBlockPayload / table.Layout().row_size;
    ASSERT_EQ(matrix.pieces.size(), (kRows + perBlock - 1) / perBlock);
    for (std::size_t i = 0; i + 1 < matrix.pieces.size(); ++i) ASSERT_EQ(matrix.pieces[i].size(), kMaxDataBlockPayload);
    EXPECT_EQ(matrix.pieces.back().size(), (kRows - perBlock * (matrix.pieces.size() - 1)) * table.Layout().row_size);
    EXPECT_GT(heap.BlockCount(), 136u) << "the heap spans bitmap headers";
    const BthReader index(heap, info.row_index);
    EXPECT_EQ(index.Header().index_levels, 1);
    EXPECT_TRUE(CheckTableContext(node, "t").empty());
}

TEST(TcInfo, ReadsBackWhatItWritesFieldByField) {
    TableContext table(Columns());
    table.PutRow(1, SampleRow(table, 1));
    const NodeData node = table.Write();
    const HeapReader heap(node);
    const le::ByteView stored = heap.Item(heap.UserRoot());
    const TcInfo info = TcInfo::Read(stored);
    EXPECT_EQ(info.layout, table.Layout());
    EXPECT_EQ(info.columns.size(), table.Columns().size());
    EXPECT_TRUE(std::is_sorted(info.columns.begin(), info.columns.end(),
                               [](const TableColumn& a, const TableColumn& b) { return a.tag < b.tag; }));
    EXPECT_EQ(BthReader(heap, info.row_index).Count(), 1u);
    EXPECT_TRUE(info.rows.IsHeapId());
    EXPECT_EQ(info.Write(), le::Bytes(stored.begin(), stored.end()));
    // Byte by byte where the format puts them.
    const le::Bytes bytes = info.Write();
    EXPECT_EQ(bytes[0], 0x7C);
    EXPECT_EQ(bytes[1], info.columns.size());
    EXPECT_EQ(le::LoadU16(bytes.data() + 8), info.layout.row_size);
    EXPECT_EQ(le::LoadU32(bytes.data() + 10), info.row_index.value);
    EXPECT_EQ(le::LoadU32(bytes.data() + 14), info.rows.value);
    EXPECT_EQ(le::LoadU32(bytes.data() + 22), info.columns[0].tag.Value());
}

TEST(TcInfo, RefusesWhatIsNotATcInfo) {
    TcInfo info;
    info.columns.push_back(TableColumn{kSize, 4, 4, 2});
    const le::Bytes good = info.Write();
    ASSERT_EQ(TcInfo::Read(good), info);
    le::Bytes bad = good;
    bad[0] = 0xBC;  // another heap client's signature
    EXPECT_THROW(TcInfo::Read(bad), PstError);
    bad = good;
    bad[1] = 2;  // more columns than the bytes hold
    EXPECT_THROW(TcInfo::Read(bad), PstError);
    EXPECT_THROW(TcInfo::Read(le::ByteView(good).first(21)), PstError);
    bad = good;
    le::StoreU32(bad.data() + 22, 0x0E080009);  // a column of unknown type
    EXPECT_THROW(TcInfo::Read(bad), PstError);
    info.columns.resize(256, info.columns[0]);
    EXPECT_THROW(info.Write(), PstError);
}

TEST(TableContext, RowIndexAndRowMatrixMustAgree) {
    TableContext table({kSize});
    for (std::uint32_t n = 1; n <= 3; ++n)
        table.PutRow(n, {{kSize, PropertyValue::Integer32(static_cast<std::int32_t>(n))}});
    const NodeData good = table.Write();
    const HeapReader heap(good);
    const le::ByteView infoBytes = heap.Item(heap.UserRoot());
    const TcInfo info = TcInfo::Read(infoBytes);
    ASSERT_TRUE(info.rows.IsHeapId());
    const le::ByteView matrix = heap.Item(info.rows.AsHeapId());
    const std::size_t matrixAt = static_cast<std::size_t>(matrix.data() - good.pieces[0].data());
    const BthHeader indexHeader = BthHeader::Parse(heap.Item(info.row_index));
    const std::size_t leafAt = static_cast<std::size_t>(heap.Item(indexHeader.root).data() - good.pieces[0].data());

    auto expectFinding = [](const NodeData& node, const char* text) {
        EXPECT_THROW(TableContext::Read(node), PstError) << text;
        const Findings f = CheckTableContext(node, "node 0x8E");
        ASSERT_EQ(f.size(), 1u) << text;
        EXPECT_EQ(f[0].kind, "table-context") << text;
        EXPECT_EQ(f[0].where, "node 0x8E");
    };
    NodeData bad = good;
    le::StoreU32(bad.pieces[0].data() + matrixAt, 99);  // the first row claims another row ID
    expectFinding(bad, "a row ID that disagrees");
    bad = good;
    le::StoreU32(bad.pieces[0].data() + leafAt + 4, 7);  // row index past the matrix
    expectFinding(bad, "a row index past the matrix");
    bad = good;
    le::StoreU32(bad.pieces[0].data() + leafAt + 12, 0);  // two IDs share row 0
    expectFinding(bad, "two IDs on one row");
    const std::size_t infoAt = static_cast<std::size_t>(infoBytes.data() - good.pieces[0].data());
    const auto withInfo = [&](const TcInfo& changed) {
        NodeData out = good;
        const le::Bytes bytes = changed.Write();
        std::copy(bytes.begin(), bytes.end(), out.pieces[0].begin() + static_cast<std::ptrdiff_t>(infoAt));
        return out;
    };
    TcInfo changed = info;
    for (TableColumn& c : changed.columns)
        if (c.tag == kSize) c.size = 2;  // a 4-byte column claims 2-byte cells
    expectFinding(withInfo(changed), "a cell size that does not fit the type");
    changed = info;
    changed.layout.row_size = 1;  // smaller than the 1-byte group end
    expectFinding(withInfo(changed), "rgib out of order");
}

TEST(TableContext, DamagedTablesNeverCrash) {
    TableContext table(Columns());
    for (std::uint32_t n = 1; n <= 400; ++n) table.PutRow(n, SampleRow(table, n));  // a matrix in a sub-node
    const NodeData good = table.Write();
    ASSERT_FALSE(good.subnodes.empty());
    std::mt19937 random(5);
    int rejected = 0;
    for (int round = 0; round < 2000; ++round) {
        NodeData bad = good;
        auto& piece = bad.pieces[std::uniform_int_distribution<std::size_t>(0, bad.pieces.size() - 1)(random)];
        for (int f = 0; f < 1 + round % 3; ++f)
            piece[std::uniform_int_distribution<std::size_t>(0, piece.size() - 1)(random)] =
                static_cast<std::uint8_t>(random());
        if (round % 40 == 0) {
            auto& matrix = bad.subnodes.begin()->second.pieces;
            matrix.front().resize(matrix.front().size() / 3);
        }
        if (round % 60 == 0) bad.subnodes.clear();
        try {
            TableContext::Read(bad);
        } catch (const PstError&) {
            ++rejected;
        }
        CheckLtpNode(NodeId(0x60E), bad, "fuzz");
    }
    EXPECT_GT(rejected, 100);
}

}  // namespace
}  // namespace ferrowick::pst
