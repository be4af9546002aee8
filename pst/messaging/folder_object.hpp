#pragma once
// Folder objects [MS-PST 2.4.4]: a PC (NID type NORMAL_FOLDER) and three tables sharing its
// NID index — the hierarchy table (0x0D) with one row per sub-folder, the contents table
// (0x0E) with one row per message and the associated contents table (0x0F). The tables are
// kept in memory and written when the store commits, so adding a message costs one row (in
// its stored form, so a folder of many messages stays small).
#include <cstdint>
#include <string>
#include <vector>

#include "pst/ltp/packed_table.hpp"
#include "pst/ltp/property_context.hpp"
#include "pst/ltp/table_context.hpp"
#include "pst/ndb/ids.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {

struct FolderObject {
    NodeId nid;
    NodeId parent;
    PropertyBag properties;
    TableContext hierarchy;
    PackedTable contents;  // a row per message: held packed
    TableContext assoc_contents;
    std::vector<NodeId> subfolders;  // in hierarchy-table order
    bool properties_changed = false;
    bool hierarchy_changed = false;
    bool contents_changed = false;
    bool assoc_changed = false;

    // A new, empty folder with the template tables' columns.
    FolderObject(NodeId nid, NodeId parent, PropertyBag properties);
    FolderObject(NodeId nid, NodeId parent, PropertyBag properties, TableContext hierarchy, PackedTable contents,
                 TableContext assocContents);

    std::u16string DisplayName() const;
    std::int32_t ContentCount() const;
    std::int32_t UnreadCount() const;
    bool AnythingChanged() const {
        return properties_changed || hierarchy_changed || contents_changed || assoc_changed;
    }

    NodeId HierarchyTableNid() const;
    NodeId ContentsTableNid() const;
    NodeId AssocContentsTableNid() const;
};

// The properties of a new folder: its name, zero counts, no sub-folders, and the container
// class when one is given.
PropertyBag NewFolderProperties(const std::u16string& name, const std::u16string& containerClass);

// A NID for a new normal folder: its three tables take the same index, so the index is
// handed out from (and advances) all four counters, as Outlook keeps them.
NodeId AllocateFolderNodeId(NodeDatabase& db);

}  // namespace ferrowick::pst
