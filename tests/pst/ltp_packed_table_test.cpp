// A table held packed writes the bytes a decoded table writes for the same rows, and gives
// back the cells it was given.
#include <gtest/gtest.h>

#include "pst/ltp/packed_table.hpp"
#include "pst/ltp/table_context.hpp"
#include "pst/messaging/table_templates.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr PropertyTag kSubject{0x0037, PropertyType::String};
constexpr PropertyTag kSize{0x0E08, PropertyType::Integer32};
constexpr PropertyTag kTime{0x0E06, PropertyType::Time};
constexpr PropertyTag kRead{0x0E69, PropertyType::Boolean};
constexpr PropertyTag kKey{0x300B, PropertyType::Binary};
constexpr PropertyTag kKeywords{0x8005, PropertyType::MultipleString};
constexpr PropertyTag kPreview{0x6619, PropertyType::String};

// Every kind of cell: inline of each width, values in the heap, an empty one, a value too
// large for the heap (a sub-node), and absent cells.
TableContext::Cells RowCells(const std::vector<TableColumn>& columns, std::uint32_t n) {
    TableContext::Cells cells(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const PropertyTag tag = columns[c].tag;
        if (tag == kSubject && n % 5 != 0) cells[c] = PropertyValue::String(u"Subject " + std::u16string(n % 37, u's'));
        if (tag == kSize) cells[c] = PropertyValue::Integer32(static_cast<std::int32_t>(n * 7));
        if (tag == kTime && n % 3 != 0) cells[c] = PropertyValue::Time(0x01DA000000000000ULL + n);
        if (tag == kRead) cells[c] = PropertyValue::Boolean(n % 2 == 0);
        if (tag == kKey)
            cells[c] = PropertyValue::Binary(PropertyValue::Bytes(n == 7 ? 5000 : n % 4, static_cast<std::uint8_t>(n)));
        if (tag == kKeywords && n % 4 == 1)
            cells[c] = PropertyValue::Multiple(PropertyType::MultipleString, std::vector<std::u16string>{u"a", u"bc"});
        if (tag == kLtpRowVersionTag) cells[c] = PropertyValue::Integer32(static_cast<std::int32_t>(n + 100));
    }
    return cells;
}

void ExpectSameNode(const NodeData& a, const NodeData& b) {
    ASSERT_EQ(a.pieces, b.pieces);
    ASSERT_EQ(a.subnodes.size(), b.subnodes.size());
    for (auto i = a.subnodes.begin(), j = b.subnodes.begin(); i != a.subnodes.end(); ++i, ++j) {
        EXPECT_EQ(i->first, j->first);
        ExpectSameNode(i->second, j->second);
    }
}

void ExpectSameRows(const PackedTable& packed, const TableContext& decoded) {
    ASSERT_EQ(packed.RowCount(), decoded.RowCount());
    for (std::size_t i = 0; i < decoded.RowCount(); ++i) {
        EXPECT_EQ(packed.Rows()[i].id, decoded.Rows()[i].id);
        EXPECT_EQ(packed.Rows()[i].cells, decoded.Rows()[i].cells) << "row " << i;
    }
}

TEST(PackedTable, WritesWhatTheDecodedTableWritesAndReadsBackItsCells) {
    // A few rows (the row matrix in the heap) and many (the row matrix in a sub-node, rows
    // in several blocks, the row index with more than one level).
    for (const std::uint32_t rows : {0u, 3u, 1500u}) {
        const std::vector<PropertyTag> tags{kSubject, kSize, kTime, kRead, kKey, kKeywords};
        TableContext decoded(tags);
        PackedTable packed(tags);
        ASSERT_EQ(packed.Columns(), decoded.Columns());
        for (std::uint32_t n = 0; n < rows; ++n) {
            const std::uint32_t id = 0x200024 + 32 * ((n * 7919) % rows);  // not in ID order
            decoded.PutRow(id, RowCells(decoded.Columns(), n));
            packed.PutRow(id, RowCells(packed.Columns(), n));
        }
        SCOPED_TRACE(rows);
        ExpectSameNode(packed.Write(), decoded.Write());
        ExpectSameRows(packed, TableContext::Read(packed.Write()));
        ExpectSameRows(packed, decoded);
        // Packing a table read from a file keeps its rows and its bytes.
        const PackedTable repacked(TableContext::Read(decoded.Write()));
        ExpectSameNode(repacked.Write(), decoded.Write());
    }
}

TEST(PackedTable, ReplacingARowKeepsItsPlaceAndAWiderTableKeepsTheCells) {
    const std::vector<PropertyTag> tags{kSubject, kSize, kKey};
    TableContext decoded(tags);
    PackedTable packed(tags);
    for (std::uint32_t n = 0; n < 40; ++n) {
        decoded.PutRow(100 + n, RowCells(decoded.Columns(), n));
        packed.PutRow(100 + n, RowCells(packed.Columns(), n));
    }
    decoded.PutRow(110, RowCells(decoded.Columns(), 77));
    packed.PutRow(110, RowCells(packed.Columns(), 77));
    ExpectSameNode(packed.Write(), decoded.Write());
    EXPECT_EQ(packed.RowCount(), 40u);
    ASSERT_TRUE(packed.HasRow(110));
    EXPECT_EQ(packed.Cell(110, *packed.ColumnIndex(kSize)), PropertyValue::Integer32(77 * 7));
    EXPECT_EQ(packed.Cell(110, *packed.ColumnIndex(kSubject)),
              PropertyValue::String(u"Subject " + std::u16string(3, u's')));
    EXPECT_FALSE(packed.Cell(100, *packed.ColumnIndex(kSubject)));
    EXPECT_FALSE(packed.Cell(999, *packed.ColumnIndex(kSize)));
    EXPECT_EQ(packed.FindRow(999), nullptr);

    const PackedTable wider = packed.WithColumn(kPreview);
    ExpectSameNode(wider.Write(), WithColumn(decoded, kPreview).Write());
    ExpectSameRows(wider, WithColumn(decoded, kPreview));

    // A value of the wrong type for its column is refused and leaves the table as it was.
    TableContext::Cells bad = RowCells(packed.Columns(), 1);
    bad[*packed.ColumnIndex(kSize)] = PropertyValue::String(u"not a number");
    EXPECT_THROW(packed.PutRow(500, bad), PstError);
    EXPECT_FALSE(packed.HasRow(500));
    ExpectSameNode(packed.Write(), decoded.Write());
}

}  // namespace
}  // namespace ferrowick::pst
