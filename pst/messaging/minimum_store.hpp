#pragma once
// What a new store holds before anything is added [MS-PST 2.7.1 mandatory nodes, 2.7.2
// minimum folder hierarchy, 2.7.3 template objects]: the store PC, the name-to-ID map, the
// root folder with "Top of Personal Folders", "Search Root" and the spam search folder,
// "Deleted Items", the search management nodes and the template tables.
#include <map>
#include <memory>
#include <string>

#include "pst/ltp/table_context.hpp"
#include "pst/messaging/folder_object.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {

struct MinimumStore {
    Guid record_key;
    PropertyBag store_properties;
    std::map<NodeId, std::unique_ptr<FolderObject>> folders;  // root, IPM subtree, search root, deleted items
    NodeId ipm_subtree;
    NodeId search_root;
    NodeId deleted_items;
    TableContext receive_folders;
};

// Writes the nodes that never change afterwards (templates, the spam search folder and the
// search nodes) to `db` and returns the rest for the store to keep and write at its commit.
MinimumStore BuildMinimumStore(NodeDatabase& db, const std::u16string& displayName);

// The empty table every new receive folder table starts from.
TableContext NewReceiveFolderTable();

}  // namespace ferrowick::pst
