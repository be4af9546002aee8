#pragma once
// Table context [MS-PST 2.3.4] kept as it is stored: each row as its row-matrix bytes
// (TCINFO layout, cell existence bitmap) and the values too large for a cell in one shared
// arena. A folder's contents table grows by a row per message; held this way a row costs
// its stored size instead of a decoded value per column, and writing it decodes nothing.
// Writes the same bytes TableContext::Write does for the same rows. Rows whose blocks the
// next write keeps may leave memory (ReleaseWrittenRows); they are read back from the file
// when something needs them again.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "pst/ltp/table_context.hpp"

namespace ferrowick::pst {

class PackedTable {
public:
    using Cells = TableContext::Cells;
    using Row = TableContext::Row;

    // The columns are the caller's set plus the row ID and row version columns, sorted by tag.
    explicit PackedTable(std::vector<PropertyTag> columns);
    // The rows of a table read from a file, in its row order, with its own columns and layout.
    explicit PackedTable(const TableContext& table);

    const std::vector<TableColumn>& Columns() const { return schema_.Columns(); }
    const RowLayout& Layout() const { return schema_.Layout(); }
    std::optional<std::size_t> ColumnIndex(PropertyTag tag) const { return schema_.ColumnIndex(tag); }

    // Adds a row or replaces the row with that ID, as TableContext::PutRow does.
    void PutRow(std::uint32_t rowId, const Cells& cells);
    std::size_t RowCount() const { return rowIds_.size(); }
    bool HasRow(std::uint32_t rowId) const { return position_.contains(rowId); }
    // One cell of a row; nothing when the row or the value is absent.
    std::optional<PropertyValue> Cell(std::uint32_t rowId, std::size_t column) const;

    // Decoded rows, made on first use after a change and kept until the next one: for
    // readers and tests, not for a table that is still growing.
    const std::vector<Row>& Rows() const;
    const Row* FindRow(std::uint32_t rowId) const;

    // The same rows with one column more (a copy of this table when it has the column).
    PackedTable WithColumn(PropertyTag tag) const;

    // `subnodes` are the node's other sub-nodes; the row matrix and large cells are added.
    NodeData Write(std::map<NodeId, NodeData> subnodes = {}) const;

    // The table for a node that is written again and again as it grows (a folder's contents
    // at each commit): once its row matrix leaves the heap, its rows are laid out so that the
    // blocks holding rows and values unchanged since the last write are kept (listed in
    // NodeData::kept) instead of built and written again; a growing table then costs about
    // the rows added. Call MarkWritten with the node once it is put; until then, and when the
    // put fails, the next write keeps what the last successful one wrote.
    NodeData WriteChanges();
    void MarkWritten(const NodeData& node);

    // The node as last put, read from the file.
    using ReadBack = std::function<NodeData()>;
    // After MarkWritten: the rows the next WriteChanges keeps as written leave memory, but for
    // their IDs. Anything that needs them again (a replaced row, Cell, Rows, WithColumn, a
    // whole Write) first reads them back through `readBack`, which must give the node as last
    // put until the next MarkWritten.
    void ReleaseWrittenRows(ReadBack readBack);
    // The same for the rows the next write would write again too, once the table has stayed
    // as last put for a while (a folder done with): a further change reads them back first.
    void ReleaseAllRows();
    // Rows held only in the file.
    std::size_t ReleasedRows() const { return released_; }

private:
    // Rows and values live in chunks of a bounded size, so a growing table never holds a
    // second copy of itself while a vector moves (only its last chunk moves).
    static constexpr std::size_t kRowsPerChunk = 1024;
    static constexpr std::size_t kValueChunkSize = 256 * 1024;
    struct ValueSlot {
        std::uint32_t chunk = 0, offset = 0, size = 0;
    };
    // `id_cell`: the row ID cell is set to the row's ID, as PutRow does.
    void Put(std::uint32_t rowId, const Cells& cells, bool idCell);
    Cells DecodeRow(std::size_t index) const;
    // Row `index` (at or past released_) in memory.
    std::uint8_t* RowBytes(std::size_t index) const {
        const std::size_t held = index - released_;
        return rowChunks_[held / kRowsPerChunk].data() + (held % kRowsPerChunk) * Layout().row_size;
    }
    // Room for one more row at the end of the rows held.
    std::uint8_t* AppendRowSlot() const;
    // Copies a row in its stored form to the end of the rows held, each large cell's value
    // (a slot or an HNID, as `valueOf` takes it) copied to the arena.
    void AppendHeldRow(const std::uint8_t* from, const std::function<le::ByteView(std::uint32_t)>& valueOf) const;
    // Nothing changed since a growing write was put.
    bool AllWritten() const;
    // Rows before `keep` leave memory; the rest are held anew, tightly.
    void Release(std::size_t keep);
    // Brings every released row back from the file.
    void ReadBackReleased() const;
    std::uint32_t AddValue(le::ByteView bytes) const;
    le::ByteView Value(std::uint32_t slot) const;
    // Appends row `index` as the row matrix stores it: each large cell's slot replaced by the
    // HNID of its value, stored through `values`.
    void AppendStoredRow(std::size_t index, le::Bytes& piece, ValueStore& values) const;

    // Where the last write (WriteChanges) put things. The rows come in segments: each starts
    // a row-matrix block and a heap block, so a segment's blocks hold its own rows and values
    // only; a segment that is followed by another is complete, and kept while its rows are.
    struct Segment {
        std::size_t firstRow = 0;
        std::size_t firstHeapBlock = 0;
    };
    struct WrittenLayout {
        bool valid = false;
        std::size_t rows = 0;
        std::vector<Segment> segments;
        std::vector<std::uint8_t> fillLevels;  // per heap block
        std::vector<BlockId> heapBlocks;
        std::vector<BlockId> matrixBlocks;
        NodeId matrixNid;
    };
    bool GrowingLayoutFits() const;

    TableContext schema_;                // columns and layout only, never rows
    std::vector<std::uint32_t> rowIds_;  // in row-matrix order
    // The rows from released_ on; a large cell holds its value's slot. Mutable: rows come
    // back from the file for readers too.
    mutable std::vector<le::Bytes> rowChunks_;
    mutable std::vector<le::Bytes> valueChunks_;
    mutable std::vector<ValueSlot> values_;
    mutable std::size_t released_ = 0;  // the rows before this one live only in the file
    mutable std::size_t heldRows_ = 0;  // rows from released_ on
    ReadBack readBack_;
    std::unordered_map<std::uint32_t, std::size_t> position_;  // row ID -> index
    WrittenLayout written_;
    WrittenLayout pending_;
    std::size_t firstChangedRow_ = 0;     // rows from here on changed since the last write
    mutable bool hasLargeValue_ = false;  // a value the heap cannot hold: never kept
    mutable std::vector<Row> decoded_;
    mutable bool decodedValid_ = false;
};

}  // namespace ferrowick::pst
