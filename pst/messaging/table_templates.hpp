#pragma once
// The column sets of the tables a store keeps [MS-PST 2.4.4.4 hierarchy table, 2.4.4.5
// contents table, 2.4.4.6 FAI contents table, 2.4.8.6.2 search folder contents table,
// 2.4.5.3 recipient table, 2.4.6.1 attachment table] as Outlook writes their template nodes;
// a new folder or message copies them. The row ID and row version columns are added by the
// table itself.
#include <vector>

#include "pst/ltp/property_context.hpp"
#include "pst/ltp/property_types.hpp"
#include "pst/ltp/table_context.hpp"

namespace ferrowick::pst {

std::vector<PropertyTag> HierarchyTableColumns();
std::vector<PropertyTag> ContentsTableColumns();
std::vector<PropertyTag> AssocContentsTableColumns();
std::vector<PropertyTag> SearchContentsTableColumns();
std::vector<PropertyTag> RecipientTableColumns();
std::vector<PropertyTag> AttachmentTableColumns();
std::vector<PropertyTag> ReceiveFolderTableColumns();
std::vector<PropertyTag> OutgoingQueueTableColumns();
std::vector<PropertyTag> SearchTableIndexColumns();
std::vector<PropertyTag> ContentsSmpColumns();
std::vector<PropertyTag> TombstoneTableColumns();

// The table with one more column, every row keeping its cells (the new one empty); the
// table itself when it has the column already. Outlook's views add columns this way.
TableContext WithColumn(const TableContext& table, PropertyTag tag);

// A row whose cells are the values `bag` holds for the table's columns: the cached row of
// an object equals the object's own properties. The row version marks each change.
TableContext::Cells RowFromProperties(const std::vector<TableColumn>& columns, const PropertyBag& bag,
                                      std::uint32_t rowVersion);
TableContext::Cells RowFromProperties(const TableContext& table, const PropertyBag& bag, std::uint32_t rowVersion);

}  // namespace ferrowick::pst
