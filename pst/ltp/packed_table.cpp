// Table context [MS-PST 2.3.4]: TCINFO [2.3.4.1], TCOLDESC [2.3.4.2], the row index BTH
// [2.3.4.3] and the row matrix [2.3.4.4], written from rows held in their stored form.
#include "pst/ltp/packed_table.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "pst/ltp/bth.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/tc_info.hpp"
#include "pst/ltp/value_storage.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

bool BitSet(const std::uint8_t* bitmap, std::size_t bit) { return (bitmap[bit / 8] & (0x80 >> (bit % 8))) != 0; }
void SetBit(std::uint8_t* bitmap, std::size_t bit) { bitmap[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8)); }

[[noreturn]] void Fail(const std::string& what) {
    throw PstError(ErrorKind::InvalidArgument, "table context: " + what);
}

[[noreturn]] void Damaged(const std::string& what) {
    throw PstError(ErrorKind::CorruptStructure, "table context read back: " + what);
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
        if (index < released_) ReadBackReleased();
        firstChangedRow_ = std::min(firstChangedRow_, index);
    } else {
        index = rowIds_.size();
        AppendRowSlot();
        position_.emplace(rowId, index);
        rowIds_.push_back(rowId);
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

std::uint8_t* PackedTable::AppendRowSlot() const {
    const std::size_t rowSize = Layout().row_size;
    // Past its first chunk a table is a large one: its later chunks are made whole instead
    // of grown by doubling, which leaves freed copies behind.
    if (heldRows_ % kRowsPerChunk == 0) {
        rowChunks_.emplace_back();
        if (heldRows_ != 0) rowChunks_.back().reserve(kRowsPerChunk * rowSize);
    }
    le::Bytes& chunk = rowChunks_.back();
    chunk.resize(chunk.size() + rowSize);
    ++heldRows_;
    return chunk.data() + chunk.size() - rowSize;
}

void PackedTable::AppendHeldRow(const std::uint8_t* from,
                                const std::function<le::ByteView(std::uint32_t)>& valueOf) const {
    std::uint8_t* row = AppendRowSlot();
    std::memcpy(row, from, Layout().row_size);
    const std::uint8_t* bitmap = row + Layout().end_1b;
    for (const TableColumn& col : Columns()) {
        if (!BitSet(bitmap, col.bit) || StoredInlineInTableCell(col.tag.type)) continue;
        le::StoreU32(row + col.offset, AddValue(valueOf(le::LoadU32(row + col.offset))));
    }
}

bool PackedTable::AllWritten() const {
    return written_.valid && !written_.segments.empty() && firstChangedRow_ >= rowIds_.size();
}

void PackedTable::ReleaseWrittenRows(ReadBack readBack) {
    // Right after a growing write was put; its last segment is written again next time.
    if (!AllWritten() || !readBack) return;
    readBack_ = std::move(readBack);
    Release(written_.segments.back().firstRow);
}

void PackedTable::ReleaseAllRows() {
    if (AllWritten() && readBack_) Release(rowIds_.size());
}

void PackedTable::Release(std::size_t keep) {
    if (keep <= released_) return;
    auto oldRows = std::exchange(rowChunks_, {});
    auto oldValueChunks = std::exchange(valueChunks_, {});
    auto oldValues = std::exchange(values_, {});
    const std::size_t oldReleased = released_;
    const std::size_t rowSize = Layout().row_size;
    const auto oldValue = [&](std::uint32_t slot) {
        const ValueSlot& v = oldValues[slot];
        return le::ByteView(oldValueChunks[v.chunk].data() + v.offset, v.size);
    };
    heldRows_ = 0;
    for (std::size_t i = keep; i < rowIds_.size(); ++i) {
        const std::size_t held = i - oldReleased;
        AppendHeldRow(oldRows[held / kRowsPerChunk].data() + (held % kRowsPerChunk) * rowSize, oldValue);
    }
    released_ = keep;
    decodedValid_ = false;
    decoded_ = {};
}

void PackedTable::ReadBackReleased() const {
    if (released_ == 0) return;
    if (!readBack_) Damaged("rows left memory with no way back");
    const NodeData node = readBack_();
    const HeapReader heap(node);
    if (heap.ClientSignature() != TcInfo::kSignature) Damaged("the node is no table context");
    const TcInfo info = TcInfo::Read(heap.Item(heap.UserRoot()));
    const RowLayout& layout = Layout();
    if (!(info.layout == layout) || info.columns.size() != Columns().size())
        Damaged("the table in the file has another row layout");
    for (const TableColumn& col : Columns())
        if (std::find(info.columns.begin(), info.columns.end(), col) == info.columns.end())
            Damaged("the table in the file has other columns");
    const std::size_t rowSize = layout.row_size;
    const auto matrix =
        info.rows.IsNull() || info.rows.IsHeapId() ? node.subnodes.end() : node.subnodes.find(info.rows.AsNodeId());
    const std::size_t rowsPerBlock = rowSize ? kMaxDataBlockPayload / rowSize : 0;
    if (matrix == node.subnodes.end() || rowsPerBlock == 0 || matrix->second.pieces.size() * rowsPerBlock < released_)
        Damaged("the row matrix holds fewer rows than left memory");
    for (std::size_t b = 0; b * rowsPerBlock < released_; ++b)
        if (matrix->second.pieces[b].size() < std::min(rowsPerBlock, released_ - b * rowsPerBlock) * rowSize)
            Damaged("row matrix block " + std::to_string(b) + " is short");

    auto oldRows = std::exchange(rowChunks_, {});
    auto oldValueChunks = std::exchange(valueChunks_, {});
    auto oldValues = std::exchange(values_, {});
    const std::size_t oldReleased = released_, oldHeld = heldRows_;
    try {
        heldRows_ = 0;
        StoredValue loaded;
        const auto fileValue = [&](std::uint32_t hnid) {
            loaded = LoadValue(heap, node, HeapOrNodeId(hnid));
            return loaded.view;
        };
        for (std::size_t i = 0; i < oldReleased; ++i) {
            const std::uint8_t* row = matrix->second.pieces[i / rowsPerBlock].data() + (i % rowsPerBlock) * rowSize;
            if (le::LoadU32(row) != rowIds_[i])
                Damaged("row " + std::to_string(i) + " holds row ID " + std::to_string(le::LoadU32(row)) + ", not " +
                        std::to_string(rowIds_[i]));
            AppendHeldRow(row, fileValue);
        }
        const auto oldValue = [&](std::uint32_t slot) {
            const ValueSlot& v = oldValues[slot];
            return le::ByteView(oldValueChunks[v.chunk].data() + v.offset, v.size);
        };
        for (std::size_t held = 0; held < oldHeld; ++held)
            AppendHeldRow(oldRows[held / kRowsPerChunk].data() + (held % kRowsPerChunk) * rowSize, oldValue);
        released_ = 0;
    } catch (...) {
        rowChunks_ = std::move(oldRows);
        valueChunks_ = std::move(oldValueChunks);
        values_ = std::move(oldValues);
        heldRows_ = oldHeld;
        released_ = oldReleased;
        throw;
    }
}

std::uint32_t PackedTable::AddValue(le::ByteView bytes) const {
    if (bytes.size() > 0xFFFFFFFFu) throw PstError(ErrorKind::LimitExceeded, "a value of more than 4 GiB");
    if (bytes.size() > kMaxHeapAllocation) hasLargeValue_ = true;
    if (valueChunks_.empty() ||
        (!valueChunks_.back().empty() && valueChunks_.back().size() + bytes.size() > kValueChunkSize)) {
        valueChunks_.emplace_back();
        if (valueChunks_.size() > 1) valueChunks_.back().reserve(std::max(kValueChunkSize, bytes.size()));
    }
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
    if (it->second < released_) ReadBackReleased();
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
        ReadBackReleased();
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
    ReadBackReleased();
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

void PackedTable::AppendStoredRow(std::size_t index, le::Bytes& piece, ValueStore& values) const {
    const RowLayout& layout = Layout();
    const std::size_t at = piece.size();
    piece.insert(piece.end(), RowBytes(index), RowBytes(index) + layout.row_size);
    std::uint8_t* row = piece.data() + at;
    const std::uint8_t* bitmap = row + layout.end_1b;
    for (const TableColumn& col : Columns()) {
        if (!BitSet(bitmap, col.bit) || StoredInlineInTableCell(col.tag.type)) continue;
        le::StoreU32(row + col.offset, values.Store(Value(le::LoadU32(row + col.offset))).value);
    }
}

NodeData PackedTable::Write(std::map<NodeId, NodeData> subnodes) const {
    ReadBackReleased();
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
        AppendStoredRow(r, stream.pieces.back(), values);
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

bool PackedTable::GrowingLayoutFits() const {
    const std::size_t rowSize = Layout().row_size;
    return !hasLargeValue_ && rowSize != 0 && rowSize <= kMaxDataBlockPayload &&
           rowIds_.size() * rowSize > kMaxHeapAllocation;
}

NodeData PackedTable::WriteChanges() {
    pending_ = WrittenLayout();
    if (!GrowingLayoutFits()) return Write();

    // A segment ends at a row-matrix block boundary once its last heap block is this full:
    // the rest of that block stays free, so a segment wastes less than 2 KiB of heap.
    constexpr std::uint8_t kSegmentEndFill = 3;  // under 2,048 bytes free
    const auto& columns = Columns();
    const RowLayout& layout = Layout();
    const std::size_t rowSize = layout.row_size;
    const std::size_t rowsPerBlock = kMaxDataBlockPayload / rowSize;

    // The complete segments whose rows have not changed since the last write are kept.
    const std::size_t unchangedRows = written_.valid ? std::min(firstChangedRow_, written_.rows) : 0;
    std::size_t keptSegments = 0;
    while (keptSegments + 1 < written_.segments.size() && written_.segments[keptSegments + 1].firstRow <= unchangedRows)
        ++keptSegments;
    if (!written_.valid ||
        (keptSegments && written_.segments[keptSegments].firstRow / rowsPerBlock > written_.matrixBlocks.size()))
        keptSegments = 0;
    const std::size_t firstRow = keptSegments ? written_.segments[keptSegments].firstRow : 0;
    const std::size_t firstHeapBlock = keptSegments ? written_.segments[keptSegments].firstHeapBlock : 0;
    if (firstRow < released_) ReadBackReleased();  // the node as last put is still the file's

    HeapWriter heap(HeapClient::TableContext);
    heap.LeaveBitmapBlocksEmpty();
    // The row index header and TCINFO at the HIDs Outlook gives them, in block 0, which is
    // written every time.
    const HeapId indexHeader = heap.Allocate(le::Bytes(kBthHeaderSize));
    const HeapId infoHid = heap.Allocate(le::Bytes(TcInfo::SizeFor(columns.size())));
    std::vector<BlockId> keptHeap;
    for (std::size_t b = 1; b < firstHeapBlock; ++b) {
        if (HeapBlockKindOf(b) == HeapBlockKind::Bitmap) continue;  // empty, written every time
        if (heap.KeepBlock(written_.fillLevels.at(b)) != b)
            throw PstError(ErrorKind::InvalidArgument, "table context: kept heap blocks out of place");
        keptHeap.resize(b + 1);
        keptHeap[b] = written_.heapBlocks.at(b);
    }

    std::map<NodeId, NodeData> subnodes;
    ValueStore values(heap, subnodes);
    NodeData matrix;
    const std::size_t firstMatrixBlock = firstRow / rowsPerBlock;
    matrix.pieces.resize(firstMatrixBlock);
    matrix.kept.assign(written_.matrixBlocks.begin(),
                       written_.matrixBlocks.begin() + static_cast<std::ptrdiff_t>(firstMatrixBlock));
    pending_.segments.assign(written_.segments.begin(),
                             written_.segments.begin() + static_cast<std::ptrdiff_t>(keptSegments));
    for (std::size_t r = firstRow; r < rowIds_.size(); ++r) {
        if (r % rowsPerBlock == 0) {
            const bool newSegment =
                pending_.segments.empty() || r == firstRow || heap.FillLevel(heap.BlockCount() - 1) >= kSegmentEndFill;
            if (newSegment) {
                heap.StartBlock();
                pending_.segments.push_back(Segment{r, heap.BlockCount() - 1});
                if (r == firstRow && keptSegments && pending_.segments.back().firstHeapBlock != firstHeapBlock)
                    throw PstError(ErrorKind::InvalidArgument, "table context: a kept segment's heap blocks moved");
            }
            if (!matrix.pieces.empty() && !matrix.pieces.back().empty())
                matrix.pieces.back().resize(kMaxDataBlockPayload, 0);
            matrix.pieces.emplace_back().reserve(std::min(rowsPerBlock, rowIds_.size() - r) * rowSize);
            matrix.kept.emplace_back();
        }
        AppendStoredRow(r, matrix.pieces.back(), values);
    }

    // The row index after every value, so that it never lies in a kept block.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> rowPlaces;
    rowPlaces.reserve(rowIds_.size());
    for (std::size_t i = 0; i < rowIds_.size(); ++i) rowPlaces.emplace_back(rowIds_[i], static_cast<std::uint32_t>(i));
    TcInfo info;
    info.layout = layout;
    info.row_index = WriteRowIndex(heap, indexHeader, std::move(rowPlaces));
    const NodeId matrixNid = values.NewSubnodeId();
    info.rows = matrixNid;
    info.columns = columns;
    WriteTcInfo(heap, infoHid, std::move(info));
    if (!subnodes.empty()) throw PstError(ErrorKind::InvalidArgument, "table context: a value the heap cannot hold");
    subnodes.emplace(matrixNid, std::move(matrix));

    NodeData node;
    node.pieces = heap.Finish();
    keptHeap.resize(node.pieces.size());
    node.kept = std::move(keptHeap);
    node.subnodes = std::move(subnodes);

    pending_.valid = true;
    pending_.rows = rowIds_.size();
    pending_.matrixNid = matrixNid;
    pending_.fillLevels.resize(heap.BlockCount());
    for (std::size_t b = 0; b < heap.BlockCount(); ++b) pending_.fillLevels[b] = heap.FillLevel(b);
    return node;
}

void PackedTable::MarkWritten(const NodeData& node) {
    if (!pending_.valid) {
        written_ = WrittenLayout();
        return;
    }
    const auto matrix = node.subnodes.find(pending_.matrixNid);
    if (matrix == node.subnodes.end() || node.placed.size() != pending_.fillLevels.size() ||
        matrix->second.placed.size() != matrix->second.pieces.size()) {
        written_ = WrittenLayout();  // not the node WriteChanges made: keep nothing
        return;
    }
    written_ = std::move(pending_);
    written_.heapBlocks = node.placed;
    written_.matrixBlocks = matrix->second.placed;
    pending_ = WrittenLayout();
    firstChangedRow_ = rowIds_.size();
}

}  // namespace ferrowick::pst
