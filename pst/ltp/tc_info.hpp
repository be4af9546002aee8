#pragma once
// TCINFO [MS-PST 2.3.4.1], the user root of a table context's heap, with its column
// descriptors TCOLDESC [2.3.4.2]: the row layout, where the row index and the row matrix are,
// and each column's place in a row.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bytes/little_endian.hpp"
#include "pst/ltp/heap_id.hpp"
#include "pst/ltp/property_types.hpp"

namespace ferrowick::pst {

// TCOLDESC: where a column's cell lies in a row and which existence bit it has.
struct TableColumn {
    static constexpr std::size_t kSize = 8;

    PropertyTag tag;           // tag
    std::uint16_t offset = 0;  // ibData
    std::uint8_t size = 0;     // cbData
    std::uint8_t bit = 0;      // iBit

    // Throws PstError for a tag of unknown type.
    static TableColumn Read(le::ByteView bytes);
    void Write(std::uint8_t* out) const;
    bool operator==(const TableColumn&) const = default;
};

// The four group ends of a row, rgib [TCI_4b, TCI_2b, TCI_1b, TCI_bm].
struct RowLayout {
    std::uint16_t end_4b = 0, end_2b = 0, end_1b = 0, row_size = 0;
    bool operator==(const RowLayout&) const = default;
};

struct TcInfo {
    static constexpr std::uint8_t kSignature = 0x7C;  // bType: the table context's heap client
    static constexpr std::size_t kFixedSize = 22;     // up to rgTCOLDESC
    static constexpr std::size_t kMaxColumns = 255;   // cCols is one byte

    RowLayout layout;                  // rgib
    HeapId row_index;                  // hidRowIndex: the BTH of row IDs to row indexes
    HeapOrNodeId rows;                 // hnidRows: the row matrix; null when there are no rows
    std::vector<TableColumn> columns;  // rgTCOLDESC, cCols of them

    static std::size_t SizeFor(std::size_t columnCount) { return kFixedSize + TableColumn::kSize * columnCount; }
    // Checks the signature, the size for the column count and the column types; the layout
    // and the columns' places are the table's to check. Throws PstError naming the damage.
    static TcInfo Read(le::ByteView bytes);
    // Columns in the order given; hidIndex (deprecated) as zero.
    le::Bytes Write() const;
    bool operator==(const TcInfo&) const = default;
};

}  // namespace ferrowick::pst
