// Template tables [MS-PST 2.4.4.4-2.4.4.6, 2.4.5.3, 2.4.6.1, 2.4.8.6.2]: column sets as
// Outlook writes them in new stores.
#include "pst/messaging/table_templates.hpp"

#include <initializer_list>

#include "pst/ltp/property_context.hpp"

namespace ferrowick::pst {
namespace {

std::vector<PropertyTag> Tags(std::initializer_list<std::uint32_t> values) {
    std::vector<PropertyTag> tags;
    tags.reserve(values.size());
    for (std::uint32_t v : values) tags.push_back(StoredPropertyTag(v));
    return tags;
}

}  // namespace

std::vector<PropertyTag> HierarchyTableColumns() {
    return Tags({0x0E300102, 0x0E330014, 0x0E340102, 0x0E380003, 0x3001001F, 0x36020003, 0x36030003, 0x360A000B,
                 0x3613001F, 0x66350003, 0x66360003});
}

std::vector<PropertyTag> ContentsTableColumns() {
    return Tags({0x00170003, 0x001A001F, 0x00360003, 0x0037001F, 0x00390040, 0x0042001F, 0x0057000B,
                 0x0058000B, 0x0070001F, 0x00710102, 0x0E03001F, 0x0E04001F, 0x0E060040, 0x0E070003,
                 0x0E080003, 0x0E170003, 0x0E300102, 0x0E330014, 0x0E340102, 0x0E380003, 0x0E3C0102,
                 0x0E3D0102, 0x10970003, 0x30080040, 0x30130102, 0x65C60003});
}

std::vector<PropertyTag> AssocContentsTableColumns() {
    return Tags({0x001A001F, 0x0E070003, 0x0E170003, 0x3001001F, 0x6800001F, 0x6803000B, 0x68051003, 0x682F001F,
                 0x70030003, 0x70040102, 0x70050102, 0x7006001F, 0x70070003});
}

std::vector<PropertyTag> SearchContentsTableColumns() {
    return Tags({0x00170003, 0x001A001F, 0x00360003, 0x0037001F, 0x0042001F, 0x0057000B, 0x0058000B, 0x0E03001F,
                 0x0E04001F, 0x0E05001F, 0x0E060040, 0x0E070003, 0x0E080003, 0x0E170003, 0x0E2A000B, 0x30080040,
                 0x67F10003});
}

std::vector<PropertyTag> RecipientTableColumns() {
    return Tags({0x0C150003, 0x0E0F000B, 0x0FF90102, 0x0FFE0003, 0x0FFF0102, 0x3001001F, 0x3002001F, 0x3003001F,
                 0x300B0102, 0x39000003, 0x39FF001F, 0x3A40000B});
}

std::vector<PropertyTag> AttachmentTableColumns() { return Tags({0x0E200003, 0x3704001F, 0x37050003, 0x370B0003}); }

std::vector<PropertyTag> ReceiveFolderTableColumns() { return Tags({0x001A001F, 0x66050003}); }

std::vector<PropertyTag> OutgoingQueueTableColumns() {
    return Tags({0x000F0040, 0x00390040, 0x0E070003, 0x0E100003, 0x0E140003, 0x0E29001F, 0x0EA20003, 0x67F10003});
}

std::vector<PropertyTag> SearchTableIndexColumns() { return Tags({0x0E330014, 0x0E370102, 0x0E380003}); }

std::vector<PropertyTag> ContentsSmpColumns() {
    return Tags({0x001A001F, 0x0E300102, 0x0E310102, 0x0E330014, 0x0E340102, 0x0E380003, 0x0E3E0102});
}

std::vector<PropertyTag> TombstoneTableColumns() { return Tags({0x0E330014, 0x30070040}); }

TableContext WithColumn(const TableContext& table, PropertyTag tag) {
    if (table.ColumnIndex(tag)) return table;
    std::vector<PropertyTag> columns;
    for (const TableColumn& c : table.Columns())
        if (c.tag != kLtpRowIdTag && c.tag != kLtpRowVersionTag) columns.push_back(c.tag);
    columns.push_back(tag);
    TableContext wider(std::move(columns));
    for (const TableContext::Row& row : table.Rows()) {
        TableContext::Cells cells(wider.Columns().size());
        for (std::size_t i = 0; i < row.cells.size(); ++i)
            cells[*wider.ColumnIndex(table.Columns()[i].tag)] = row.cells[i];
        wider.PutRow(row.id, std::move(cells));
    }
    return wider;
}

TableContext::Cells RowFromProperties(const TableContext& table, const PropertyBag& bag, std::uint32_t rowVersion) {
    return RowFromProperties(table.Columns(), bag, rowVersion);
}

TableContext::Cells RowFromProperties(const std::vector<TableColumn>& columns, const PropertyBag& bag,
                                      std::uint32_t rowVersion) {
    TableContext::Cells cells(columns.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const PropertyTag tag = columns[i].tag;
        if (tag == kLtpRowIdTag) continue;
        if (tag == kLtpRowVersionTag) {
            cells[i] = PropertyValue::Integer32(static_cast<std::int32_t>(rowVersion));
            continue;
        }
        if (const PropertyValue* v = bag.Find(tag)) cells[i] = *v;
    }
    return cells;
}

}  // namespace ferrowick::pst
