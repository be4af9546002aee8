// Folder object [MS-PST 2.4.4.1 folder PC, 2.4.4.4 hierarchy table, 2.4.4.5 contents
// table, 2.4.4.6 FAI contents table].
#include "pst/messaging/folder_object.hpp"

#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/table_templates.hpp"

namespace ferrowick::pst {

FolderObject::FolderObject(NodeId n, NodeId p, PropertyBag props)
    : nid(n),
      parent(p),
      properties(std::move(props)),
      hierarchy(HierarchyTableColumns()),
      contents(ContentsTableColumns()),
      assoc_contents(AssocContentsTableColumns()) {
    properties_changed = hierarchy_changed = contents_changed = assoc_changed = true;
}

FolderObject::FolderObject(NodeId n, NodeId p, PropertyBag props, TableContext h, PackedTable c, TableContext a)
    : nid(n),
      parent(p),
      properties(std::move(props)),
      hierarchy(std::move(h)),
      contents(std::move(c)),
      assoc_contents(std::move(a)) {}

std::u16string FolderObject::DisplayName() const {
    const PropertyValue* v = properties.Find(tags::kDisplayName);
    return v ? v->As<std::u16string>() : std::u16string();
}

std::int32_t FolderObject::ContentCount() const {
    const PropertyValue* v = properties.Find(tags::kContentCount);
    return v ? v->As<std::int32_t>() : 0;
}

std::int32_t FolderObject::UnreadCount() const {
    const PropertyValue* v = properties.Find(tags::kContentUnreadCount);
    return v ? v->As<std::int32_t>() : 0;
}

NodeId FolderObject::HierarchyTableNid() const { return nids::Sibling(nid, NidType::HierarchyTable); }
NodeId FolderObject::ContentsTableNid() const { return nids::Sibling(nid, NidType::ContentsTable); }
NodeId FolderObject::AssocContentsTableNid() const { return nids::Sibling(nid, NidType::AssocContentsTable); }

PropertyBag NewFolderProperties(const std::u16string& name, const std::u16string& containerClass) {
    PropertyBag bag;
    bag.Set(tags::kDisplayName.id, PropertyValue::String(name));
    bag.Set(tags::kContentCount.id, PropertyValue::Integer32(0));
    bag.Set(tags::kContentUnreadCount.id, PropertyValue::Integer32(0));
    bag.Set(tags::kSubfolders.id, PropertyValue::Boolean(false));
    if (!containerClass.empty()) bag.Set(tags::kContainerClass.id, PropertyValue::String(containerClass));
    return bag;
}

NodeId AllocateFolderNodeId(NodeDatabase& db) {
    return db.AllocateNodeId(NidType::NormalFolder,
                             {NidType::HierarchyTable, NidType::ContentsTable, NidType::AssocContentsTable});
}

}  // namespace ferrowick::pst
