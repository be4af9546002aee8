// Table context [MS-PST 2.3.4]: TCINFO [2.3.4.1], TCOLDESC [2.3.4.2], the row index BTH
// [2.3.4.3] and the row matrix [2.3.4.4], written from rows held in their stored form.
#include "pst/ltp/packed_table.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "pst/ltp/bth.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/value_storage.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {


bool BitSet(const std::uint8_t* bitmap, std::size_t bit) { return (bitmap[bit / 8] & (0x80 >> (bit % 8))) != 0; }
void SetBit(std::uint8_t* bitmap, std::size_t bit) { bitmap[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8)); }

[[noreturn]] void Fail(const std::string& what) {
    throw PstError(ErrorKind::InvalidArgument, "table context: " + what);
}

std::vector<PropertyTag> CallerColumns(const std::vector<TableColumn>& columns) {
    std::vector<PropertyTag> tags;
    for (const TableColumn& c : columns)
        if (c.tag != kLtpRowIdTag && c.tag != kLtpRowVersionTag) tags.push_back(c.tag);
    return tags;
}

// The table's own columns and layout (one read from a file keeps the writer's), no rows.
TableContext WithoutRows(const TableContext& table) {
    TableContext empty = table;
    while (empty.RowCount() != 0) empty.RemoveRow(empty.Rows().back().id);
    return empty;
}

}  // namespace

PackedTable::PackedTable(std::vector<PropertyTag> columns) : schema_(std::move(columns)) {}

PackedTable::PackedTable(const TableContext& table) : schema_(WithoutRows(table)) {
    rowIds_.reserve(table.RowCount());
    for (const Row& row : table.Rows()) Put(row.id, row.cells, false);  // as read, row ID cell or not
}

void PackedTable::PutRow(std::uint32_t rowId, const Cells& cells) { Put(rowId, cells, true); }

void PackedTable::Put(std::uint32_t rowId, const Cells& cells, bool idCell) {
    const auto& columns = Columns();
    if (cells.size() != columns.size())
        Fail("a row of " + std::to_string(cells.size()) + " cells for " + std::to_string(columns.size()) + " columns");
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (cells[i] && cells[i]->Type() != columns[i].tag.type)
            Fail(std::string("a ") + PropertyTypeName(cells[i]->Type()) + " value in a column of another type");
    if (values_.size() + columns.size() > 0xFFFFFFFFu || rowIds_.size() >= 0xFFFFFFFFu)
        throw PstError(ErrorKind::LimitExceeded, "a table of more rows or values than it can number");

    std::size_t index;
    if (const auto it = position_.find(rowId); it != position_.end()) {
        index = it->second;  // the old row's large values stay unused in the arena
    } else {
        index = rowIds_.size();
        position_.emplace(rowId, index);
        rowIds_.push_back(rowId);
        if (index % kRowsPerChunk == 0) rowChunks_.emplace_back();
        rowChunks_.back().resize(rowChunks_.back().size() + Layout().row_size);
    }
    decodedValid_ = false;
    decoded_.clear();
    decoded_.shrink_to_fit();

    std::uint8_t* row = RowBytes(index);
    std::memset(row, 0, Layout().row_size);
    if (Layout().end_4b >= 4) le::StoreU32(row, rowId);
    std::uint8_t* bitmap = row + Layout().end_1b;
    le::Bytes scratch;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const TableColumn& col = columns[c];
        const PropertyValue* cell = cells[c] ? &*cells[c] : nullptr;
        std::optional<PropertyValue> forcedId;
        if (idCell && col.tag == kLtpRowIdTag)
            cell = &forcedId.emplace(PropertyValue::Integer32(static_cast<std::int32_t>(rowId)));
        if (!cell) continue;
        SetBit(bitmap, col.bit);
        if (StoredInlineInTableCell(col.tag.type)) {
            scratch.clear();
            EncodeStoredValue(*cell, scratch);
            std::memcpy(row + col.offset, scratch.data(), std::min<std::size_t>(scratch.size(), col.size));
        } else {
            std::uint32_t slot;
            if (cell->HasRawBytes()) {
                slot = AddValue(cell->RawBytes());
            } else {
                scratch.clear();
                EncodeStoredValue(*cell, scratch);
                slot = AddValue(scratch);
            }
            le::StoreU32(row + col.offset, slot);
        }
    }
}

std::uint32_t PackedTable::AddValue(le::ByteView bytes) {
    if (bytes.size() > 0xFFFFFFFFu) throw PstError(ErrorKind::LimitExceeded, "a value of more than 4 GiB");
    if (valueChunks_.empty() ||
        (!valueChunks_.back().empty() && valueChunks_.back().size() + bytes.size() > kValueChunkSize))
        valueChunks_.emplace_back();
    le::Bytes& chunk = valueChunks_.back();
    values_.push_back(ValueSlot{static_cast<std::uint32_t>(valueChunks_.size() - 1),
                                static_cast<std::uint32_t>(chunk.size()), static_cast<std::uint32_t>(bytes.size())});
    chunk.insert(chunk.end(), bytes.begin(), bytes.end());
    return static_cast<std::uint32_t>(values_.size() - 1);
}

le::ByteView PackedTable::Value(std::uint32_t slot) const {
    const ValueSlot& v = values_[slot];
    return le::ByteView(valueChunks_[v.chunk].data() + v.offset, v.size);
}

std::optional<PropertyValue> PackedTable::Cell(std::uint32_t rowId, std::size_t column) const {
    const auto it = position_.find(rowId);
    if (it == position_.end() || column >= Columns().size()) return std::nullopt;
    const std::uint8_t* row = RowBytes(it->second);
    const TableColumn& col = Columns()[column];
    if (!BitSet(row + Layout().end_1b, col.bit)) return std::nullopt;
    if (StoredInlineInTableCell(col.tag.type))
        return DecodeStoredValue(col.tag.type, le::ByteView(row + col.offset, col.size));
    return DecodeStoredValue(col.tag.type, Value(le::LoadU32(row + col.offset)));
}

PackedTable::Cells PackedTable::DecodeRow(std::size_t index) const {
    Cells cells(Columns().size());
    for (std::size_t c = 0; c < cells.size(); ++c) cells[c] = Cell(rowIds_[index], c);
    return cells;
}

const std::vector<PackedTable::Row>& PackedTable::Rows() const {
    if (!decodedValid_) {
        decoded_.clear();
        decoded_.reserve(rowIds_.size());
        for (std::size_t i = 0; i < rowIds_.size(); ++i) decoded_.push_back(Row{rowIds_[i], DecodeRow(i)});
        decodedValid_ = true;
    }
    return decoded_;
}

const PackedTable::Row* PackedTable::FindRow(std::uint32_t rowId) const {
    const auto it = position_.find(rowId);
    return it == position_.end() ? nullptr : &Rows()[it->second];
}

PackedTable PackedTable::WithColumn(PropertyTag tag) const {
    if (ColumnIndex(tag)) return *this;
    std::vector<PropertyTag> tags = CallerColumns(Columns());
    tags.push_back(tag);
    PackedTable wider(std::move(tags));
    wider.rowIds_.reserve(rowIds_.size());
    for (std::size_t i = 0; i < rowIds_.size(); ++i) {
        const Cells cells = DecodeRow(i);
        Cells moved(wider.Columns().size());
        for (std::size_t c = 0; c < cells.size(); ++c) moved[*wider.ColumnIndex(Columns()[c].tag)] = cells[c];
        wider.PutRow(rowIds_[i], moved);
    }
    return wider;
}

NodeData PackedTable::Write(std::map<NodeId, NodeData> subnodes) const {
    const auto& columns = Columns();
    const RowLayout& layout = Layout();
    HeapWriter heap(HeapClient::TableContext);
    // The row index header first and TCINFO second, at the HIDs Outlook gives them.
    const HeapId indexHeader = heap.Allocate(le::Bytes(kBthHeaderSize));
    const HeapId infoHid = heap.Allocate(le::Bytes(TcInfo::SizeFor(columns.size())));

    TcInfo info;
    info.layout = layout;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> rowPlaces;
    rowPlaces.reserve(rowIds_.size());
    for (std::size_t i = 0; i < rowIds_.size(); ++i) rowPlaces.emplace_back(rowIds_[i], static_cast<std::uint32_t>(i));
    info.row_index = WriteRowIndex(heap, indexHeader, std::move(rowPlaces));

    // Row matrix: whole rows per block, every block but the last padded to the full payload;
    // large cells get their HNIDs row by row, column by column.
    const std::size_t rowSize = layout.row_size;
    const std::size_t rowsPerBlock = rowSize ? kMaxDataBlockPayload / rowSize : 0;
    if (!rowIds_.empty() && rowsPerBlock == 0) Fail("rows too large for a data block");
    ValueStore values(heap, subnodes);
    NodeData stream;
    for (std::size_t r = 0; r < rowIds_.size(); ++r) {
        if (r % rowsPerBlock == 0) {
            if (!stream.pieces.empty()) stream.pieces.back().resize(kMaxDataBlockPayload, 0);
            stream.pieces.emplace_back().reserve(std::min(rowsPerBlock, rowIds_.size() - r) * rowSize);
        }
        le::Bytes& piece = stream.pieces.back();
        const std::size_t at = piece.size();
        piece.insert(piece.end(), RowBytes(r), RowBytes(r) + rowSize);
        std::uint8_t* row = piece.data() + at;
        const std::uint8_t* bitmap = row + layout.end_1b;
        for (const TableColumn& col : columns) {
            if (!BitSet(bitmap, col.bit) || StoredInlineInTableCell(col.tag.type)) continue;
            le::StoreU32(row + col.offset, values.Store(Value(le::LoadU32(row + col.offset))).value);
        }
    }

    const std::size_t matrixSize = rowIds_.size() * rowSize;
    if (matrixSize != 0) {
        if (matrixSize <= kMaxHeapAllocation) {
            info.rows = heap.Allocate(std::move(stream.pieces.front()));
        } else {
            const NodeId nid = values.NewSubnodeId();
            subnodes.emplace(nid, std::move(stream));
            info.rows = nid;
        }
    }

    info.columns = columns;
    WriteTcInfo(heap, infoHid, std::move(info));

    NodeData node;
    node.pieces = heap.Finish();
    node.subnodes = std::move(subnodes);
    return node;
}

}  // namespace ferrowick::pst
