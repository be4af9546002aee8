// Table context [MS-PST 2.3.4].
#include "pst/ltp/table_context.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "pst/ltp/bth.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/value_storage.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

std::string TagText(PropertyTag tag) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", tag.Value());
    return text;
}

std::size_t BitmapSize(std::size_t columns) { return (columns + 7) / 8; }
bool BitSet(const std::uint8_t* bitmap, std::size_t bit) { return (bitmap[bit / 8] & (0x80 >> (bit % 8))) != 0; }
void SetBit(std::uint8_t* bitmap, std::size_t bit) { bitmap[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8)); }

[[noreturn]] void Fail(const std::string& what) {
    throw PstError(ErrorKind::CorruptStructure, "table context: " + what);
}

}  // namespace

TableContext::TableContext(std::vector<PropertyTag> tags) {
    tags.push_back(kLtpRowIdTag);
    tags.push_back(kLtpRowVersionTag);
    std::sort(tags.begin(), tags.end());
    tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
    if (tags.size() > TcInfo::kMaxColumns) Fail(std::to_string(tags.size()) + " columns, more than 255");

    // Cells in groups of 8/4, 2 and 1 bytes; the row ID and version first, as dwRowID is the
    // first four bytes of every row.
    std::vector<std::size_t> order;
    auto addGroup = [&](auto keep) {
        for (std::size_t i = 0; i < tags.size(); ++i)
            if (tags[i] != kLtpRowIdTag && tags[i] != kLtpRowVersionTag && keep(TableCellSizeOf(tags[i].type)))
                order.push_back(i);
    };
    for (std::size_t i = 0; i < tags.size(); ++i)
        if (tags[i] == kLtpRowIdTag) order.push_back(i);
    for (std::size_t i = 0; i < tags.size(); ++i)
        if (tags[i] == kLtpRowVersionTag) order.push_back(i);
    addGroup([](std::size_t s) { return s == 8; });
    addGroup([](std::size_t s) { return s == 4; });
    const std::size_t end4bCount = order.size();
    addGroup([](std::size_t s) { return s == 2; });
    const std::size_t end2bCount = order.size();
    addGroup([](std::size_t s) { return s == 1; });

    columns_.resize(tags.size());
    std::size_t offset = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k == end4bCount) layout_.end_4b = static_cast<std::uint16_t>(offset);
        if (k == end2bCount) layout_.end_2b = static_cast<std::uint16_t>(offset);
        TableColumn& c = columns_[order[k]];
        c.tag = tags[order[k]];
        c.size = static_cast<std::uint8_t>(TableCellSizeOf(c.tag.type));
        c.offset = static_cast<std::uint16_t>(offset);
        c.bit = static_cast<std::uint8_t>(k);
        offset += c.size;
    }
    if (end4bCount == order.size()) layout_.end_4b = static_cast<std::uint16_t>(offset);
    if (end2bCount == order.size()) layout_.end_2b = static_cast<std::uint16_t>(offset);
    layout_.end_1b = static_cast<std::uint16_t>(offset);
    layout_.row_size = static_cast<std::uint16_t>(offset + BitmapSize(columns_.size()));
}

std::optional<std::size_t> TableContext::ColumnIndex(PropertyTag tag) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].tag == tag) return i;
    return std::nullopt;
}

void TableContext::CheckCells(const Cells& cells) const {
    if (cells.size() != columns_.size())
        Fail("a row of " + std::to_string(cells.size()) + " cells for " + std::to_string(columns_.size()) + " columns");
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (cells[i] && cells[i]->Type() != columns_[i].tag.type)
            Fail(std::string("a ") + PropertyTypeName(cells[i]->Type()) + " value in column " +
                 TagText(columns_[i].tag));
}

void TableContext::PutRow(std::uint32_t rowId, Cells cells) {
    CheckCells(cells);
    if (const auto idColumn = ColumnIndex(kLtpRowIdTag))
        cells[*idColumn] = PropertyValue::Integer32(static_cast<std::int32_t>(rowId));
    const auto it = position_.find(rowId);
    if (it != position_.end()) {
        rows_[it->second].cells = std::move(cells);
        return;
    }
    position_.emplace(rowId, rows_.size());
    rows_.push_back(Row{rowId, std::move(cells)});
}

void TableContext::PutRow(std::uint32_t rowId, const std::vector<std::pair<PropertyTag, PropertyValue>>& values) {
    Cells cells(columns_.size());
    for (const auto& [tag, value] : values) {
        const auto column = ColumnIndex(tag);
        if (!column) Fail("the table has no column " + TagText(tag));
        cells[*column] = value;
    }
    PutRow(rowId, std::move(cells));
}

bool TableContext::RemoveRow(std::uint32_t rowId) {
    const auto it = position_.find(rowId);
    if (it == position_.end()) return false;
    const std::size_t at = it->second;
    position_.erase(it);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    for (std::size_t i = at; i < rows_.size(); ++i) position_[rows_[i].id] = i;
    return true;
}

const TableContext::Row* TableContext::FindRow(std::uint32_t rowId) const {
    const auto it = position_.find(rowId);
    return it == position_.end() ? nullptr : &rows_[it->second];
}

namespace {

// The layout must hold its groups in order and an existence bit for every column.
void CheckLayout(const RowLayout& layout, std::size_t columnCount) {
    if (!(layout.end_4b <= layout.end_2b && layout.end_2b <= layout.end_1b && layout.end_1b <= layout.row_size))
        Fail("row layout offsets (rgib) out of order");
    if (std::size_t{layout.row_size} - layout.end_1b < BitmapSize(columnCount))
        Fail("the cell existence bitmap is too small for the columns");
    if (layout.row_size == 0 && columnCount != 0) Fail("rows of zero bytes");
}

// A column's cell lies in the group of its size, its bit in the bitmap, and its tag is its own.
void CheckColumn(const TableColumn& c, const RowLayout& layout, const std::vector<TableColumn>& earlier) {
    if (c.size != TableCellSizeOf(c.tag.type))
        Fail("column " + TagText(c.tag) + " has " + std::to_string(c.size) + "-byte cells, its type needs " +
             std::to_string(TableCellSizeOf(c.tag.type)));
    std::size_t groupStart = 0, groupEnd = layout.end_4b;
    if (c.size == 2) groupStart = layout.end_4b, groupEnd = layout.end_2b;
    if (c.size == 1) groupStart = layout.end_2b, groupEnd = layout.end_1b;
    if (c.offset < groupStart || c.offset + c.size > groupEnd)
        Fail("column " + TagText(c.tag) + " lies outside its group of the row");
    if (c.bit >= 8 * (layout.row_size - layout.end_1b))
        Fail("column " + TagText(c.tag) + " has an existence bit past the bitmap");
    for (const auto& other : earlier)
        if (other.tag == c.tag) Fail("column " + TagText(c.tag) + " appears twice");
}

// The row matrix as spans of whole rows: one heap item, or the blocks of a sub-node.
struct RowMatrix {
    std::vector<le::ByteView> blocks;
    std::size_t rows_per_block = 0;
    std::size_t row_count = 0;

    const std::uint8_t* Row(std::size_t index, std::size_t rowSize) const {
        return blocks[index / rows_per_block].data() + (index % rows_per_block) * rowSize;
    }
};

RowMatrix LocateRowMatrix(const HeapReader& heap, const NodeData& node, HeapOrNodeId rows, std::size_t rowSize) {
    RowMatrix matrix;
    if (!rows.IsNull()) {
        if (rows.IsHeapId()) {
            matrix.blocks.push_back(heap.Item(rows.AsHeapId()));
            matrix.rows_per_block = rowSize ? matrix.blocks[0].size() / rowSize : 0;
        } else {
            const auto it = node.subnodes.find(rows.AsNodeId());
            if (it == node.subnodes.end()) Fail("the row matrix sub-node is missing");
            matrix.rows_per_block = rowSize ? kMaxDataBlockPayload / rowSize : 0;
            for (const auto& piece : it->second.pieces) matrix.blocks.emplace_back(piece);
        }
    }
    for (std::size_t b = 0; b < matrix.blocks.size(); ++b) {
        const std::size_t here =
            std::min(matrix.rows_per_block, matrix.blocks[b].size() / std::max<std::size_t>(rowSize, 1));
        if (b + 1 < matrix.blocks.size() && here != matrix.rows_per_block)
            Fail("row matrix block " + std::to_string(b) + " holds " + std::to_string(here) + " rows, not " +
                 std::to_string(matrix.rows_per_block));
        matrix.row_count += here;
    }
    return matrix;
}

// The row index's (row index, row ID) pairs in row-matrix order.
std::vector<std::pair<std::uint32_t, std::uint32_t>> RowsInMatrixOrder(const BthReader& index) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order;
    order.reserve(index.Count());
    for (std::size_t i = 0; i < index.Count(); ++i)
        order.emplace_back(le::LoadU32(index.Data(i).data()), le::LoadU32(index.Key(i).data()));
    std::sort(order.begin(), order.end());
    return order;
}

std::optional<PropertyValue> ReadCell(const HeapReader& heap, const NodeData& node, const TableColumn& col,
                                      const std::uint8_t* row, std::uint32_t rowId) {
    const le::ByteView cell(row + col.offset, col.size);
    try {
        if (StoredInlineInTableCell(col.tag.type)) return DecodeStoredValue(col.tag.type, cell);
        const HeapOrNodeId hnid(le::LoadU32(cell.data()));
        if (hnid.IsNull() && FixedSizeOf(col.tag.type) != 0 && !IsMultiValued(col.tag.type))
            throw PstError(ErrorKind::InvalidArgument, "no value for a fixed-size type");
        const StoredValue stored = LoadValue(heap, node, hnid);
        return DecodeStoredValue(col.tag.type, stored.view);
    } catch (const PstError& e) {
        Fail("row ID " + std::to_string(rowId) + ", column " + TagText(col.tag) + ": " + e.what());
    }
}

}  // namespace

TableContext TableContext::Read(const NodeData& node) {
    const HeapReader heap(node);
    if (heap.ClientSignature() != TcInfo::kSignature) Fail("heap client signature is not 0x7C");
    const TcInfo info = TcInfo::Read(heap.Item(heap.UserRoot()));
    TableContext table;
    table.layout_ = info.layout;
    const RowLayout& layout = table.layout_;
    CheckLayout(layout, info.columns.size());
    for (const TableColumn& c : info.columns) {
        CheckColumn(c, layout, table.columns_);
        table.columns_.push_back(c);
    }

    const BthReader index(heap, info.row_index);
    if (index.Header().key_size != 4 || index.Header().data_size != 4)
        Fail("row index records are not 4-byte row IDs with 4-byte row indexes");
    const RowMatrix matrix = LocateRowMatrix(heap, node, info.rows, layout.row_size);
    if (index.Count() > matrix.row_count)
        Fail("the row index lists " + std::to_string(index.Count()) + " rows, the row matrix holds " +
             std::to_string(matrix.row_count));

    const auto order = RowsInMatrixOrder(index);
    table.rows_.reserve(order.size());
    table.position_.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto [row_index, row_id] = order[i];
        if (i > 0 && order[i - 1].first == row_index) Fail("two row IDs share row " + std::to_string(row_index));
        if (row_index >= matrix.row_count)
            Fail("row ID " + std::to_string(row_id) + " points at row " + std::to_string(row_index) +
                 " past the row matrix");
        const std::uint8_t* row = matrix.Row(row_index, layout.row_size);
        if (layout.end_4b < 4 || le::LoadU32(row) != row_id)
            Fail("row index and row matrix disagree: row " + std::to_string(row_index) + " holds row ID " +
                 std::to_string(layout.end_4b >= 4 ? le::LoadU32(row) : 0) + ", the index says " +
                 std::to_string(row_id));
        const std::uint8_t* bitmap = row + layout.end_1b;
        Cells cells(table.columns_.size());
        for (std::size_t c = 0; c < table.columns_.size(); ++c)
            if (BitSet(bitmap, table.columns_[c].bit)) cells[c] = ReadCell(heap, node, table.columns_[c], row, row_id);
        table.position_.emplace(row_id, table.rows_.size());
        table.rows_.push_back(Row{row_id, std::move(cells)});
    }
    return table;
}

HeapId WriteRowIndex(HeapWriter& heap, HeapId header, std::vector<std::pair<std::uint32_t, std::uint32_t>> rowPlaces) {
    std::sort(rowPlaces.begin(), rowPlaces.end());
    le::Bytes records(rowPlaces.size() * 8);
    for (std::size_t i = 0; i < rowPlaces.size(); ++i) {
        le::StoreU32(records.data() + 8 * i, rowPlaces[i].first);
        le::StoreU32(records.data() + 8 * i + 4, rowPlaces[i].second);
    }
    rowPlaces = {};
    return WriteBth(heap, 4, 4, records, header);
}

void WriteTcInfo(HeapWriter& heap, HeapId infoHid, TcInfo info) {
    std::sort(info.columns.begin(), info.columns.end(),
              [](const TableColumn& a, const TableColumn& b) { return a.tag < b.tag; });
    if (heap.Replace(infoHid, info.Write()) != infoHid)
        throw PstError(ErrorKind::CorruptStructure, "table context: TCINFO moved");
    heap.SetUserRoot(infoHid);
}

HeapId TableContext::WriteRowIndex(HeapWriter& heap, HeapId header) const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> rowPlaces;
    rowPlaces.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) rowPlaces.emplace_back(rows_[i].id, static_cast<std::uint32_t>(i));
    return pst::WriteRowIndex(heap, header, std::move(rowPlaces));
}

void TableContext::WriteRow(const Row& from, std::uint8_t* row, ValueStore& values, le::Bytes& scratch) const {
    if (layout_.end_4b >= 4) le::StoreU32(row, from.id);
    std::uint8_t* bitmap = row + layout_.end_1b;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const auto& cell = from.cells[c];
        if (!cell) continue;
        const TableColumn& col = columns_[c];
        SetBit(bitmap, col.bit);
        if (StoredInlineInTableCell(col.tag.type)) {
            scratch.clear();
            EncodeStoredValue(*cell, scratch);
            std::memcpy(row + col.offset, scratch.data(), std::min<std::size_t>(scratch.size(), col.size));
            continue;
        }
        HeapOrNodeId hnid;
        if (cell->HasRawBytes()) {
            hnid = values.Store(cell->RawBytes());
        } else {
            scratch.clear();
            EncodeStoredValue(*cell, scratch);
            hnid = values.Store(scratch);
        }
        le::StoreU32(row + col.offset, hnid.value);
    }
}

HeapOrNodeId TableContext::WriteRowMatrix(HeapWriter& heap, ValueStore& values,
                                          std::map<NodeId, NodeData>& subnodes) const {
    const std::size_t rowSize = layout_.row_size;
    const std::size_t rowsPerBlock = rowSize ? kMaxDataBlockPayload / rowSize : 0;
    if (!rows_.empty() && rowsPerBlock == 0) Fail("rows too large for a data block");
    le::Bytes matrix(rows_.size() * rowSize, 0);
    le::Bytes scratch;
    for (std::size_t r = 0; r < rows_.size(); ++r) WriteRow(rows_[r], matrix.data() + r * rowSize, values, scratch);
    if (matrix.empty()) return HeapOrNodeId();
    if (matrix.size() <= kMaxHeapAllocation) return heap.Allocate(std::move(matrix));
    // Whole rows per block; every block but the last padded to the full payload.
    NodeData stream;
    const std::size_t perBlock = rowsPerBlock * rowSize;
    for (std::size_t at = 0; at < matrix.size(); at += perBlock) {
        const std::size_t n = std::min(perBlock, matrix.size() - at);
        auto& piece = stream.pieces.emplace_back(matrix.begin() + at, matrix.begin() + at + n);
        if (at + n < matrix.size()) piece.resize(kMaxDataBlockPayload, 0);
    }
    const NodeId nid = values.NewSubnodeId();
    subnodes.emplace(nid, std::move(stream));
    return nid;
}

NodeData TableContext::Write(std::map<NodeId, NodeData> subnodes) const {
    HeapWriter heap(HeapClient::TableContext);
    // The row index header first and TCINFO second, at the HIDs Outlook gives them.
    const HeapId indexHeader = heap.Allocate(le::Bytes(kBthHeaderSize));
    const HeapId infoHid = heap.Allocate(le::Bytes(TcInfo::SizeFor(columns_.size())));

    TcInfo info;
    info.layout = layout_;
    info.row_index = WriteRowIndex(heap, indexHeader);
    ValueStore values(heap, subnodes);
    info.rows = WriteRowMatrix(heap, values, subnodes);
    info.columns = columns_;
    WriteTcInfo(heap, infoHid, std::move(info));

    NodeData node;
    node.pieces = heap.Finish();
    node.subnodes = std::move(subnodes);
    return node;
}

}  // namespace ferrowick::pst
