#pragma once
// Table context [MS-PST 2.3.4]: a heap (client signature 0x7C) whose user root is TCINFO
// [2.3.4.1] with its column descriptors TCOLDESC [2.3.4.2], a row index BTH of dwRowID to
// dwRowIndex [2.3.4.3] and a row matrix [2.3.4.4]: fixed-size rows of 8/4-byte, 2-byte and
// 1-byte cells followed by the cell existence bitmap, in a heap item or, when larger, in a
// sub-node whose blocks each hold whole rows. Cells too large for their slot hold an HNID.
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "pst/ltp/heap.hpp"
#include "pst/ltp/property_types.hpp"
#include "pst/ltp/tc_info.hpp"
#include "pst/node_data.hpp"

namespace ferrowick::pst {

inline constexpr PropertyTag kLtpRowIdTag{0x67F2, PropertyType::Integer32};       // PidTagLtpRowId
inline constexpr PropertyTag kLtpRowVersionTag{0x67F3, PropertyType::Integer32};  // PidTagLtpRowVer

class ValueStore;

// Steps of writing a table context that any holder of rows shares. The row index: a BTH at
// `header` of row IDs, each with its place in the row matrix (`rowPlaces`, in any order).
HeapId WriteRowIndex(HeapWriter& heap, HeapId header, std::vector<std::pair<std::uint32_t, std::uint32_t>> rowPlaces);
// TCINFO at `infoHid` (allocated at its size beforehand), with the descriptors in tag order,
// made the heap's user root.
void WriteTcInfo(HeapWriter& heap, HeapId infoHid, TcInfo info);

class TableContext {
public:
    using Cells = std::vector<std::optional<PropertyValue>>;  // one per column, in Columns() order
    struct Row {
        std::uint32_t id = 0;
        Cells cells;
    };

    // The columns are the caller's set plus the row ID and row version columns, sorted by tag.
    explicit TableContext(std::vector<PropertyTag> columns);

    const std::vector<TableColumn>& Columns() const { return columns_; }
    const RowLayout& Layout() const { return layout_; }
    std::optional<std::size_t> ColumnIndex(PropertyTag tag) const;

    // Adds a row or replaces the row with that ID. The row ID cell is always the row's ID;
    // every other value must have its column's type.
    void PutRow(std::uint32_t rowId, Cells cells);
    void PutRow(std::uint32_t rowId, const std::vector<std::pair<PropertyTag, PropertyValue>>& values);
    bool RemoveRow(std::uint32_t rowId);
    const Row* FindRow(std::uint32_t rowId) const;
    const std::vector<Row>& Rows() const { return rows_; }  // in row-matrix order
    std::size_t RowCount() const { return rows_.size(); }

    // Reads a TC, checking that its row index and row matrix agree; PstError on damage.
    static TableContext Read(const NodeData& node);
    // `subnodes` are the node's other sub-nodes; the row matrix and large cells are added.
    NodeData Write(std::map<NodeId, NodeData> subnodes = {}) const;

private:
    TableContext() = default;
    void CheckCells(const Cells& cells) const;
    // The steps of Write: the row index BTH, each row's cells, the row matrix.
    HeapId WriteRowIndex(HeapWriter& heap, HeapId header) const;
    void WriteRow(const Row& from, std::uint8_t* row, ValueStore& values, le::Bytes& scratch) const;
    HeapOrNodeId WriteRowMatrix(HeapWriter& heap, ValueStore& values, std::map<NodeId, NodeData>& subnodes) const;
    std::vector<TableColumn> columns_;
    RowLayout layout_;
    std::vector<Row> rows_;
    std::unordered_map<std::uint32_t, std::size_t> position_;  // row ID -> index in rows_
};

}  // namespace ferrowick::pst
