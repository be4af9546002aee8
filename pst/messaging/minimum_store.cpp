// Minimum PST requirements [MS-PST 2.7.1 mandatory nodes, 2.7.2 minimum folder object
// hierarchy, 2.7.3 template objects], message store PC [MS-PST 2.4.3.1] and search folder
// objects [MS-PST 2.4.8.6], with the NIDs and values Outlook gives a new store.
#include "pst/messaging/minimum_store.hpp"

#include "pst/messaging/entry_id.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/search_update_queue.hpp"
#include "pst/messaging/table_templates.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

// PidTagValidFolderMask bits [MS-PST 2.4.3.1]
constexpr std::int32_t kIpmSubtreeValid = 0x01;
constexpr std::int32_t kWastebasketValid = 0x08;
constexpr std::int32_t kFinderValid = 0x80;

constexpr std::int32_t kPstLatestEnsureValue = 0x000E0011;  // as every Outlook store in the corpus

NodeData EmptyTable(std::vector<PropertyTag> columns) { return TableContext(std::move(columns)).Write(); }

// A normal folder NID with the index Outlook gives the folder: new stores hand out folder
// indexes from 0x401 in creation order.
NodeId NextFolderNid(NodeDatabase& db, std::uint32_t wantedIndex) {
    NodeId nid = AllocateFolderNodeId(db);
    while (nid.Index() < wantedIndex) nid = AllocateFolderNodeId(db);
    return nid;
}

// The spam search folder's heap of client type 0x9C at NID 0xC01: its root names an empty
// BTH of 16-byte keys and 4-byte values, as Outlook writes it.
NodeData EmptySearchIndexHeap() {
    NodeData node;
    node.pieces.push_back({0x18, 0x00, 0xEC, 0x9C, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                           0x40, 0x00, 0x00, 0x00, 0xB5, 0x10, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00,
                           0x02, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x10, 0x00, 0x18, 0x00});
    return node;
}

void AddHierarchyRow(FolderObject& parent, const FolderObject& child, std::uint32_t version) {
    parent.hierarchy.PutRow(child.nid.Value(), RowFromProperties(parent.hierarchy, child.properties, version));
    parent.subfolders.push_back(child.nid);
}

}  // namespace

TableContext NewReceiveFolderTable() { return TableContext(ReceiveFolderTableColumns()); }

MinimumStore BuildMinimumStore(NodeDatabase& db, const std::u16string& displayName) {
    MinimumStore store{NewGuid(), {}, {}, {}, {}, {}, NewReceiveFolderTable()};

    // Folders: the root (its own parent), the IPM subtree and the search root below it,
    // "Deleted Items" inside the IPM subtree.
    auto root = std::make_unique<FolderObject>(nids::kRootFolder, nids::kRootFolder, NewFolderProperties(u"", u""));
    root->properties.Set(tags::kSubfolders.id, PropertyValue::Boolean(true));
    auto top = std::make_unique<FolderObject>(NextFolderNid(db, 0x401), nids::kRootFolder,
                                              NewFolderProperties(u"Top of Personal Folders", u""));
    top->properties.Set(tags::kSubfolders.id, PropertyValue::Boolean(true));
    auto searchRoot = std::make_unique<FolderObject>(NextFolderNid(db, 0x402), nids::kRootFolder,
                                                     NewFolderProperties(u"Search Root", u""));
    auto deleted =
        std::make_unique<FolderObject>(NextFolderNid(db, 0x403), top->nid, NewFolderProperties(u"Deleted Items", u""));

    // The spam search folder [MS-PST 2.4.8.6]: a search folder PC, its (empty) search update
    // queue, its criteria object and its contents table.
    const PropertyBag spam = NewFolderProperties(u"SPAM Search Folder 2", u"");
    db.PutNode(nids::kSpamSearchFolder, nids::kRootFolder, WritePropertyContext(spam));
    db.PutNode(nids::kSpamSearchUpdateQueue, NodeId(0), NodeData{});
    PropertyBag criteria;
    criteria.Set(tags::kSearchCriteriaState.id, PropertyValue::Integer32(0));
    db.PutNode(nids::kSpamSearchCriteria, NodeId(0), WritePropertyContext(criteria));
    db.PutNode(nids::kSpamSearchContentsTable, NodeId(0), EmptyTable(SearchContentsTableColumns()));

    std::uint32_t version = 1;
    AddHierarchyRow(*root, *top, version++);
    AddHierarchyRow(*root, *searchRoot, version++);
    root->hierarchy.PutRow(nids::kSpamSearchFolder.Value(), RowFromProperties(root->hierarchy, spam, version++));
    AddHierarchyRow(*top, *deleted, version++);

    // Search management [MS-PST 2.4.8.4]: an empty queue, the spam folder as the one active
    // search, and an empty search domain.
    db.PutNode(nids::kSearchManagementQueue, NodeId(0), NodeData{});
    std::vector<std::uint8_t> activity;
    for (int i = 0; i < 4; ++i)
        activity.push_back(static_cast<std::uint8_t>(nids::kSpamSearchFolder.Value() >> (8 * i)));
    db.PutNode(nids::kSearchActivityList, NodeId(0), QueueNode(activity));
    db.PutNode(nids::kSearchDomainObject, NodeId(0), NodeData{});

    // Template tables [MS-PST 2.7.3] and the other tables every Outlook store carries.
    db.PutNode(nids::kHierarchyTableTemplate, NodeId(0), EmptyTable(HierarchyTableColumns()));
    db.PutNode(nids::kContentsTableTemplate, NodeId(0), EmptyTable(ContentsTableColumns()));
    db.PutNode(nids::kAssocContentsTableTemplate, NodeId(0), EmptyTable(AssocContentsTableColumns()));
    db.PutNode(nids::kSearchContentsTableTemplate, NodeId(0), EmptyTable(SearchContentsTableColumns()));
    db.PutNode(nids::kOutgoingQueueTable, NodeId(0), EmptyTable(OutgoingQueueTableColumns()));
    db.PutNode(nids::kAttachmentTableTemplate, NodeId(0), EmptyTable(AttachmentTableColumns()));
    db.PutNode(nids::kRecipientTableTemplate, NodeId(0), EmptyTable(RecipientTableColumns()));
    db.PutNode(nids::kSearchTableIndexTemplate, NodeId(0), EmptyTable(SearchTableIndexColumns()));
    db.PutNode(nids::kContentsSmpTemplate, NodeId(0), EmptyTable(ContentsSmpColumns()));
    db.PutNode(nids::kTombstoneTemplate, NodeId(0), EmptyTable(TombstoneTableColumns()));
    db.PutNode(nids::kLtpReservedC01, NodeId(0), EmptySearchIndexHeap());

    // Until an Inbox exists, the root receives everything.
    store.receive_folders.PutRow(1, {{tags::kReceiveMessageClass, PropertyValue::String(u"")},
                                     {tags::kReceiveFolderNid,
                                      PropertyValue::Integer32(static_cast<std::int32_t>(nids::kRootFolder.Value()))},
                                     {kLtpRowVersionTag, PropertyValue::Integer32(1)}});

    // The store PC [MS-PST 2.4.3.1].
    PropertyBag& props = store.store_properties;
    const auto entry = [&](NodeId nid) { return PropertyValue::Binary(EntryId{store.record_key, nid}.Encode()); };
    std::vector<std::uint8_t> history{1, 0, 0, 0};  // PidTagReplVersionhistory: version, replica GUID, 1
    const Guid replica = NewGuid();
    history.insert(history.end(), replica.bytes.begin(), replica.bytes.end());
    history.insert(history.end(), {1, 0, 0, 0});
    props.Set(tags::kReplVersionHistory.id, PropertyValue::Binary(history));
    props.Set(tags::kReplFlags.id, PropertyValue::Integer32(0));
    props.Set(tags::kRecordKey.id, PropertyValue::Binary(GuidBytes(store.record_key)));
    props.Set(tags::kDisplayName.id, PropertyValue::String(displayName));
    props.Set(tags::kValidFolderMask.id, PropertyValue::Integer32(kIpmSubtreeValid | kWastebasketValid | kFinderValid));
    props.Set(tags::kIpmSubTreeEntryId.id, entry(top->nid));
    props.Set(tags::kIpmWastebasketEntryId.id, entry(deleted->nid));
    props.Set(tags::kFinderEntryId.id, entry(searchRoot->nid));
    props.Set(tags::kPstLrNoRestrictions.id, PropertyValue::Boolean(true));
    props.Set(tags::kPstLatestEnsure.id, PropertyValue::Integer32(kPstLatestEnsureValue));
    props.Set(tags::kPstPassword.id, PropertyValue::Integer32(0));

    store.ipm_subtree = top->nid;
    store.search_root = searchRoot->nid;
    store.deleted_items = deleted->nid;
    for (auto* f : {&root, &top, &searchRoot, &deleted}) {
        const NodeId nid = (*f)->nid;
        store.folders.emplace(nid, std::move(*f));
    }
    return store;
}

}  // namespace ferrowick::pst
