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

constexpr std::uint8_t kTcInfoSignature = 0x7C;
constexpr std::size_t kTcInfoFixedSize = 22;  // bType, cCols, rgib[4], hidRowIndex, hnidRows, hidIndex
constexpr std::size_t kColumnDescriptorSize = 8;
constexpr std::size_t kMaxColumns = 255;       // cCols is one byte

std::string TagText(PropertyTag tag) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", tag.Value());
    return text;
}

std::size_t BitmapSize(std::size_t columns) { return (columns + 7) / 8; }
bool BitSet(const std::uint8_t* bitmap, std::size_t bit) { return (bitmap[bit / 8] & (0x80 >> (bit % 8))) != 0; }
void SetBit(std::uint8_t* bitmap, std::size_t bit) { bitmap[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8)); }

[[noreturn]] void Fail(const std::string& what) { throw PstError(ErrorKind::CorruptStructure, "table context: " + what); }

}  // namespace

TableContext::TableContext(std::vector<PropertyTag> tags) {
    tags.push_back(kLtpRowIdTag);
    tags.push_back(kLtpRowVersionTag);
    std::sort(tags.begin(), tags.end());
    tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
    if (tags.size() > kMaxColumns) Fail(std::to_string(tags.size()) + " columns, more than 255");

    // Cells in groups of 8/4, 2 and 1 bytes; the row ID and version first, as dwRowID is the
    // first four bytes of every row.
    std::vector<std::size_t> order;
    auto add_group = [&](auto keep) {
        for (std::size_t i = 0; i < tags.size(); ++i)
            if (tags[i] != kLtpRowIdTag && tags[i] != kLtpRowVersionTag && keep(TableCellSizeOf(tags[i].type))) order.push_back(i);
    };
    for (std::size_t i = 0; i < tags.size(); ++i) if (tags[i] == kLtpRowIdTag) order.push_back(i);
    for (std::size_t i = 0; i < tags.size(); ++i) if (tags[i] == kLtpRowVersionTag) order.push_back(i);
    add_group([](std::size_t s) { return s == 8; });
    add_group([](std::size_t s) { return s == 4; });
    const std::size_t end_4b_count = order.size();
    add_group([](std::size_t s) { return s == 2; });
    const std::size_t end_2b_count = order.size();
    add_group([](std::size_t s) { return s == 1; });

    columns_.resize(tags.size());
    std::size_t offset = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k == end_4b_count) layout_.end_4b = static_cast<std::uint16_t>(offset);
        if (k == end_2b_count) layout_.end_2b = static_cast<std::uint16_t>(offset);
        TableColumn& c = columns_[order[k]];
        c.tag = tags[order[k]];
        c.size = static_cast<std::uint8_t>(TableCellSizeOf(c.tag.type));
        c.offset = static_cast<std::uint16_t>(offset);
        c.bit = static_cast<std::uint8_t>(k);
        offset += c.size;
    }
    if (end_4b_count == order.size()) layout_.end_4b = static_cast<std::uint16_t>(offset);
    if (end_2b_count == order.size()) layout_.end_2b = static_cast<std::uint16_t>(offset);
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
            Fail(std::string("a ") + PropertyTypeName(cells[i]->Type()) + " value in column " + TagText(columns_[i].tag));
}

void TableContext::PutRow(std::uint32_t row_id, Cells cells) {
    CheckCells(cells);
    if (const auto id_column = ColumnIndex(kLtpRowIdTag))
        cells[*id_column] = PropertyValue::Integer32(static_cast<std::int32_t>(row_id));
    const auto it = position_.find(row_id);
    if (it != position_.end()) {
        rows_[it->second].cells = std::move(cells);
        return;
    }
    position_.emplace(row_id, rows_.size());
    rows_.push_back(Row{row_id, std::move(cells)});
}

void TableContext::PutRow(std::uint32_t row_id, const std::vector<std::pair<PropertyTag, PropertyValue>>& values) {
    Cells cells(columns_.size());
    for (const auto& [tag, value] : values) {
        const auto column = ColumnIndex(tag);
        if (!column) Fail("the table has no column " + TagText(tag));
        cells[*column] = value;
    }
    PutRow(row_id, std::move(cells));
}

bool TableContext::RemoveRow(std::uint32_t row_id) {
    const auto it = position_.find(row_id);
    if (it == position_.end()) return false;
    const std::size_t at = it->second;
    position_.erase(it);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    for (std::size_t i = at; i < rows_.size(); ++i) position_[rows_[i].id] = i;
    return true;
}

const TableContext::Row* TableContext::FindRow(std::uint32_t row_id) const {
    const auto it = position_.find(row_id);
    return it == position_.end() ? nullptr : &rows_[it->second];
}

// ---------------------------------------------------------------------------------------------

TableContext TableContext::Read(const NodeData& node) {
    const HeapReader heap(node);
    if (heap.ClientSignature() != kTcInfoSignature) Fail("heap client signature is not 0x7C");
    const le::ByteView info = heap.Item(heap.UserRoot());
    if (info.size() < kTcInfoFixedSize || info[0] != kTcInfoSignature) Fail("TCINFO is missing or has no 0x7C signature");
    const std::size_t column_count = info[1];
    if (info.size() != kTcInfoFixedSize + kColumnDescriptorSize * column_count)
        Fail("TCINFO of " + std::to_string(info.size()) + " bytes for " + std::to_string(column_count) + " columns");

    TableContext table;
    RowLayout& layout = table.layout_;
    layout.end_4b = le::U16(info.data() + 2);
    layout.end_2b = le::U16(info.data() + 4);
    layout.end_1b = le::U16(info.data() + 6);
    layout.row_size = le::U16(info.data() + 8);
    const HeapId row_index_hid(le::U32(info.data() + 10));
    const HeapOrNodeId rows_hnid(le::U32(info.data() + 14));
    if (!(layout.end_4b <= layout.end_2b && layout.end_2b <= layout.end_1b && layout.end_1b <= layout.row_size))
        Fail("row layout offsets (rgib) out of order");
    if (std::size_t{layout.row_size} - layout.end_1b < BitmapSize(column_count)) Fail("the cell existence bitmap is too small for the columns");
    if (layout.row_size == 0 && column_count != 0) Fail("rows of zero bytes");

    for (std::size_t i = 0; i < column_count; ++i) {
        const std::uint8_t* d = info.data() + kTcInfoFixedSize + kColumnDescriptorSize * i;
        const std::uint32_t raw_tag = le::U32(d);
        if (!IsKnownPropertyType(static_cast<std::uint16_t>(raw_tag))) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%08X", raw_tag);
            Fail(std::string("column ") + text + " has an unknown property type");
        }
        TableColumn c{StoredPropertyTag(raw_tag), le::U16(d + 4), d[6], d[7]};
        if (c.size != TableCellSizeOf(c.tag.type))
            Fail("column " + TagText(c.tag) + " has " + std::to_string(c.size) + "-byte cells, its type needs " +
                 std::to_string(TableCellSizeOf(c.tag.type)));
        std::size_t group_start = 0, group_end = layout.end_4b;
        if (c.size == 2) group_start = layout.end_4b, group_end = layout.end_2b;
        if (c.size == 1) group_start = layout.end_2b, group_end = layout.end_1b;
        if (c.offset < group_start || c.offset + c.size > group_end)
            Fail("column " + TagText(c.tag) + " lies outside its group of the row");
        if (c.bit >= 8 * (layout.row_size - layout.end_1b)) Fail("column " + TagText(c.tag) + " has an existence bit past the bitmap");
        for (const auto& other : table.columns_)
            if (other.tag == c.tag) Fail("column " + TagText(c.tag) + " appears twice");
        table.columns_.push_back(c);
    }

    const BthReader index(heap, row_index_hid);
    if (index.Header().key_size != 4 || index.Header().data_size != 4)
        Fail("row index records are not 4-byte row IDs with 4-byte row indexes");

    // The row matrix, as spans of whole rows.
    std::vector<le::ByteView> blocks;
    std::size_t rows_per_block = 0;
    StoredValue heap_matrix;
    const NodeData* matrix_node = nullptr;
    if (!rows_hnid.IsNull()) {
        if (rows_hnid.IsHeapId()) {
            heap_matrix.view = heap.Item(rows_hnid.AsHeapId());
            blocks.push_back(heap_matrix.view);
            rows_per_block = layout.row_size ? heap_matrix.view.size() / layout.row_size : 0;
        } else {
            const auto it = node.subnodes.find(rows_hnid.AsNodeId());
            if (it == node.subnodes.end()) Fail("the row matrix sub-node is missing");
            matrix_node = &it->second;
            rows_per_block = layout.row_size ? kMaxDataBlockPayload / layout.row_size : 0;
            for (const auto& piece : matrix_node->pieces) blocks.emplace_back(piece);
        }
    }
    std::size_t matrix_rows = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const std::size_t here = std::min(rows_per_block, blocks[b].size() / std::max<std::size_t>(layout.row_size, 1));
        if (b + 1 < blocks.size() && here != rows_per_block)
            Fail("row matrix block " + std::to_string(b) + " holds " + std::to_string(here) + " rows, not " +
                 std::to_string(rows_per_block));
        matrix_rows += here;
    }
    if (index.Count() > matrix_rows)
        Fail("the row index lists " + std::to_string(index.Count()) + " rows, the row matrix holds " + std::to_string(matrix_rows));

    std::vector<std::pair<std::uint32_t, std::uint32_t>> order;  // row index, row ID
    order.reserve(index.Count());
    for (std::size_t i = 0; i < index.Count(); ++i)
        order.emplace_back(le::U32(index.Data(i).data()), le::U32(index.Key(i).data()));
    std::sort(order.begin(), order.end());
    table.rows_.reserve(order.size());
    table.position_.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto [row_index, row_id] = order[i];
        if (i > 0 && order[i - 1].first == row_index) Fail("two row IDs share row " + std::to_string(row_index));
        if (row_index >= matrix_rows)
            Fail("row ID " + std::to_string(row_id) + " points at row " + std::to_string(row_index) + " past the row matrix");
        const std::uint8_t* row = blocks[row_index / rows_per_block].data() + (row_index % rows_per_block) * layout.row_size;
        if (layout.end_4b < 4 || le::U32(row) != row_id)
            Fail("row index and row matrix disagree: row " + std::to_string(row_index) + " holds row ID " +
                 std::to_string(layout.end_4b >= 4 ? le::U32(row) : 0) + ", the index says " + std::to_string(row_id));
        const std::uint8_t* bitmap = row + layout.end_1b;
        Cells cells(table.columns_.size());
        for (std::size_t c = 0; c < table.columns_.size(); ++c) {
            const TableColumn& col = table.columns_[c];
            if (!BitSet(bitmap, col.bit)) continue;
            const le::ByteView cell(row + col.offset, col.size);
            try {
                if (StoredInlineInTableCell(col.tag.type)) {
                    cells[c] = DecodeStoredValue(col.tag.type, cell);
                } else {
                    const HeapOrNodeId hnid(le::U32(cell.data()));
                    if (hnid.IsNull() && FixedSizeOf(col.tag.type) != 0 && !IsMultiValued(col.tag.type))
                        throw PstError(ErrorKind::InvalidArgument, "no value for a fixed-size type");
                    const StoredValue stored = LoadValue(heap, node, hnid);
                    cells[c] = DecodeStoredValue(col.tag.type, stored.view);
                }
            } catch (const PstError& e) {
                Fail("row ID " + std::to_string(row_id) + ", column " + TagText(col.tag) + ": " + e.what());
            }
        }
        table.position_.emplace(row_id, table.rows_.size());
        table.rows_.push_back(Row{row_id, std::move(cells)});
    }
    return table;
}

NodeData TableContext::Write(std::map<NodeId, NodeData> subnodes) const {
    HeapWriter heap(HeapClient::TableContext);
    const std::size_t info_size = kTcInfoFixedSize + kColumnDescriptorSize * columns_.size();
    // The row index header first and TCINFO second, at the HIDs Outlook gives them.
    const HeapId index_header = heap.Allocate(le::Bytes(kBthHeaderSize));
    const HeapId info_hid = heap.Allocate(le::Bytes(info_size));

    // Row index: row IDs in order, each with its place in the row matrix.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> by_id;
    by_id.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) by_id.emplace_back(rows_[i].id, static_cast<std::uint32_t>(i));
    std::sort(by_id.begin(), by_id.end());
    le::Bytes index_records(by_id.size() * 8);
    for (std::size_t i = 0; i < by_id.size(); ++i) {
        le::Put32(index_records.data() + 8 * i, by_id[i].first);
        le::Put32(index_records.data() + 8 * i + 4, by_id[i].second);
    }
    const HeapId row_index = WriteBth(heap, 4, 4, index_records, index_header);

    // Row matrix.
    const std::size_t row_size = layout_.row_size;
    const std::size_t rows_per_block = row_size ? kMaxDataBlockPayload / row_size : 0;
    if (!rows_.empty() && rows_per_block == 0) Fail("rows too large for a data block");
    le::Bytes matrix(rows_.size() * row_size, 0);
    ValueStore values(heap, subnodes);
    le::Bytes scratch;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        std::uint8_t* row = matrix.data() + r * row_size;
        if (layout_.end_4b >= 4) le::Put32(row, rows_[r].id);
        std::uint8_t* bitmap = row + layout_.end_1b;
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            const auto& cell = rows_[r].cells[c];
            if (!cell) continue;
            const TableColumn& col = columns_[c];
            SetBit(bitmap, col.bit);
            if (StoredInlineInTableCell(col.tag.type)) {
                scratch.clear();
                EncodeStoredValue(*cell, scratch);
                std::memcpy(row + col.offset, scratch.data(), std::min<std::size_t>(scratch.size(), col.size));
            } else {
                HeapOrNodeId hnid;
                if (cell->HasRawBytes()) {
                    hnid = values.Store(cell->RawBytes());
                } else {
                    scratch.clear();
                    EncodeStoredValue(*cell, scratch);
                    hnid = values.Store(scratch);
                }
                le::Put32(row + col.offset, hnid.value);
            }
        }
    }
    HeapOrNodeId rows_hnid;
    if (!matrix.empty()) {
        if (matrix.size() <= kMaxHeapAllocation) {
            rows_hnid = heap.Allocate(std::move(matrix));
        } else {
            // Whole rows per block; every block but the last padded to the full payload.
            NodeData stream;
            const std::size_t per_block = rows_per_block * row_size;
            for (std::size_t at = 0; at < matrix.size(); at += per_block) {
                const std::size_t n = std::min(per_block, matrix.size() - at);
                auto& piece = stream.pieces.emplace_back(matrix.begin() + at, matrix.begin() + at + n);
                if (at + n < matrix.size()) piece.resize(kMaxDataBlockPayload, 0);
            }
            const NodeId nid = values.NewSubnodeId();
            subnodes.emplace(nid, std::move(stream));
            rows_hnid = nid;
        }
    }

    le::Bytes info(info_size, 0);
    info[0] = kTcInfoSignature;
    info[1] = static_cast<std::uint8_t>(columns_.size());
    le::Put16(info.data() + 2, layout_.end_4b);
    le::Put16(info.data() + 4, layout_.end_2b);
    le::Put16(info.data() + 6, layout_.end_1b);
    le::Put16(info.data() + 8, layout_.row_size);
    le::Put32(info.data() + 10, row_index.value);
    le::Put32(info.data() + 14, rows_hnid.value);
    le::Put32(info.data() + 18, 0);  // hidIndex: deprecated
    // Descriptors in tag order.
    std::vector<const TableColumn*> sorted;
    for (const auto& c : columns_) sorted.push_back(&c);
    std::sort(sorted.begin(), sorted.end(), [](const TableColumn* a, const TableColumn* b) { return a->tag < b->tag; });
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        std::uint8_t* d = info.data() + kTcInfoFixedSize + kColumnDescriptorSize * i;
        le::Put32(d, sorted[i]->tag.Value());
        le::Put16(d + 4, sorted[i]->offset);
        d[6] = sorted[i]->size;
        d[7] = sorted[i]->bit;
    }
    if (heap.Replace(info_hid, info) != info_hid) Fail("TCINFO moved");
    heap.SetUserRoot(info_hid);

    NodeData node;
    node.pieces = heap.Finish();
    node.subnodes = std::move(subnodes);
    return node;
}

}  // namespace ferrowick::pst
