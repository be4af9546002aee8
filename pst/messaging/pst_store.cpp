// Message store [MS-PST 2.4.3] and the rules for keeping it whole [MS-PST 2.6]: every
// folder or message added is queued in the search management queue, the parent's counts
// follow, and the rows cached in hierarchy and contents tables equal the objects' own
// properties.
#include "pst/messaging/pst_store.hpp"

#include <chrono>
#include <set>

#include "pst/messaging/minimum_store.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/search_update_queue.hpp"
#include "pst/messaging/table_templates.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr std::int32_t kMessageFlagRead = 0x01;
constexpr PropertyTag kBodyPreviewTag{0x6619, PropertyType::String};  // PidTagPstBodyPrefix

// PSETID_Common {00062008-0000-0000-C000-000000000046} [MS-OXPROPS 1.3.2] and two of its
// properties: PidLidSideEffects and PidLidSmartNoAttach.
constexpr Guid kPsetidCommon{{0x08, 0x20, 0x06, 0x00, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr std::uint32_t kPidLidSideEffects = 0x8510;
constexpr std::uint32_t kPidLidSmartNoAttach = 0x8514;

std::uint64_t FileTimeNow() {
    using namespace std::chrono;
    const auto sinceUnix = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<std::uint64_t>(sinceUnix) * 10 + 116444736000000000ULL;
}

std::vector<std::uint8_t> Concatenated(const NodeData& node) {
    std::vector<std::uint8_t> bytes;
    for (const auto& piece : node.pieces) bytes.insert(bytes.end(), piece.begin(), piece.end());
    return bytes;
}

bool IsRead(const PropertyBag& message) {
    const PropertyValue* flags = message.Find(tags::kMessageFlags);
    return flags && (flags->As<std::int32_t>() & kMessageFlagRead) != 0;
}

std::uint32_t MaxRowVersion(const TableContext& table) {
    std::uint32_t max = 0;
    const auto column = table.ColumnIndex(kLtpRowVersionTag);
    if (!column) return 0;
    for (const auto& row : table.Rows())
        if (const auto& cell = row.cells[*column])
            max = std::max(max, static_cast<std::uint32_t>(cell->As<std::int32_t>()));
    return max;
}

}  // namespace

struct PstStore::State {
    NodeDatabase db;
    PropertyBag store_properties;
    bool store_changed = false;
    Guid record_key;
    NameToIdMap names;
    std::map<NodeId, std::unique_ptr<FolderObject>> folders;
    NodeId ipm_subtree;
    TableContext receive_folders = NewReceiveFolderTable();
    bool receive_changed = false;
    std::vector<std::uint8_t> search_queue;
    bool search_queue_changed = false;
    std::vector<BlockId> searchQueueBlocks;  // as last put
    std::uint32_t row_version = 1;
    std::size_t messages_since_commit = 0;

    explicit State(NodeDatabase d) : db(std::move(d)) {}

    FolderObject& FolderRef(NodeId nid) {
        const auto it = folders.find(nid);
        if (it == folders.end())
            throw PstError(ErrorKind::InvalidArgument, "the store has no folder " + std::to_string(nid.Value()));
        return *it->second;
    }

    // The folder's row in its parent's hierarchy table follows the folder's properties.
    void FolderPropertiesChanged(FolderObject& folder) {
        folder.properties_changed = true;
        if (folder.nid == folder.parent) return;  // the root has no row
        FolderObject& parent = FolderRef(folder.parent);
        parent.hierarchy.PutRow(folder.nid.Value(),
                                RowFromProperties(parent.hierarchy, folder.properties, row_version++));
        parent.hierarchy_changed = true;
    }

    void Queue(SudType type, NodeId parent, NodeId object) {
        SearchUpdate{type, parent, object}.AppendTo(search_queue);
        search_queue_changed = true;
    }

    void StampNewMessage(PropertyBag& bag) {
        const std::uint64_t now = FileTimeNow();
        if (!bag.Find(tags::kCreationTime)) bag.Set(tags::kCreationTime.id, PropertyValue::Time(now));
        if (!bag.Find(tags::kLastModificationTime)) bag.Set(tags::kLastModificationTime.id, PropertyValue::Time(now));
        if (!bag.Find(tags::kSearchKey)) bag.Set(tags::kSearchKey.id, PropertyValue::Binary(GuidBytes(NewGuid())));
    }

    // The message's row in its folder's contents table.
    // A folder that holds a message with a body preview shows it in its contents table, as
    // Outlook's folders do once they hold mail.
    static TableContext::Cells ContentsRow(FolderObject& folder, const MessageContent& content, std::uint32_t version) {
        // Widened once: copying the table for every message would grow with the folder.
        if ((content.properties.Find(kBodyPreviewTag) || content.row_only.Find(kBodyPreviewTag)) &&
            !folder.contents.ColumnIndex(kBodyPreviewTag))
            folder.contents = folder.contents.WithColumn(kBodyPreviewTag);
        if (content.row_only.Empty()) return RowFromProperties(folder.contents.Columns(), content.properties, version);
        PropertyBag row = content.properties;
        for (const mapi::Property& p : content.row_only) row.Set(p.tag.id, p.value);
        return RowFromProperties(folder.contents.Columns(), row, version);
    }

    NodeData BuildMessage(MessageContent& content) {
        StampNewMessage(content.properties);
        return BuildMessageNode(content, MessageIdSource{[this](NidType type) { return db.AllocateNodeId(type); },
                                                         [this] { return row_version++; }});
    }

    // Levels below the root folder (the root itself is 0).
    std::size_t DepthOf(NodeId nid) {
        std::size_t depth = 0;
        for (NodeId at = nid; at != nids::kRootFolder && depth <= kMaxFolderDepth; ++depth) at = FolderRef(at).parent;
        return depth;
    }

    void LoadFolder(NodeId nid, NodeId parent, std::set<NodeId>& seen, std::size_t depth) {
        if (depth > kMaxFolderDepth)
            throw PstError(ErrorKind::CorruptStructure,
                           "the folder tree is deeper than " + std::to_string(kMaxFolderDepth));
        if (!seen.insert(nid).second) throw PstError(ErrorKind::CorruptStructure, "the folder tree has a cycle");
        PropertyBag props = ReadPropertyContext(db.ReadNode(nid));
        const auto readTable = [&](NidType type, std::vector<PropertyTag> columns) {
            const NodeId table = nids::Sibling(nid, type);
            return db.Contains(table) ? TableContext::Read(db.ReadNode(table)) : TableContext(std::move(columns));
        };
        // Decoded only while it is packed: the decoded rows would outweigh the packed ones.
        PackedTable contents = [&] {
            const TableContext read = readTable(NidType::ContentsTable, ContentsTableColumns());
            row_version = std::max(row_version, MaxRowVersion(read) + 1);
            return PackedTable(read);
        }();
        auto folder =
            std::make_unique<FolderObject>(nid, parent, std::move(props),
                                           readTable(NidType::HierarchyTable, HierarchyTableColumns()),
                                           std::move(contents),
                                           readTable(NidType::AssocContentsTable, AssocContentsTableColumns()));
        row_version = std::max(row_version, MaxRowVersion(folder->hierarchy) + 1);
        std::vector<NodeId> children;
        for (const auto& row : folder->hierarchy.Rows())
            if (NodeId(row.id).Type() == NidType::NormalFolder) children.push_back(NodeId(row.id));
        folder->subfolders = children;
        folders.emplace(nid, std::move(folder));
        for (NodeId child : children)
            if (db.Contains(child)) LoadFolder(child, nid, seen, depth + 1);
    }

    void WriteFolder(FolderObject& f) {
        if (f.properties_changed) db.PutNode(f.nid, f.parent, WritePropertyContext(f.properties));
        if (f.hierarchy_changed) db.PutNode(f.HierarchyTableNid(), NodeId(0), f.hierarchy.Write());
        if (f.contents_changed) {
            const NodeData node = f.contents.WriteChanges();
            db.PutNode(f.ContentsTableNid(), NodeId(0), node);
            f.contents.MarkWritten(node);
            // Rows the next write keeps as they are need not stay in memory.
            f.contents.ReleaseWrittenRows([this, table = f.ContentsTableNid()] { return db.ReadNode(table); });
        }
        if (f.assoc_changed) db.PutNode(f.AssocContentsTableNid(), NodeId(0), f.assoc_contents.Write());
        f.properties_changed = f.hierarchy_changed = f.contents_changed = f.assoc_changed = false;
    }
};

PstStore::PstStore(std::unique_ptr<State> state) : state_(std::move(state)) {}
PstStore::PstStore(PstStore&&) noexcept = default;
PstStore& PstStore::operator=(PstStore&&) noexcept = default;
PstStore::~PstStore() = default;

PstStore PstStore::Create(const std::filesystem::path& path, const std::u16string& displayName, CreateOptions options) {
    auto state = std::make_unique<State>(NodeDatabase::Create(path, options));
    MinimumStore minimum = BuildMinimumStore(state->db, displayName);
    state->record_key = minimum.record_key;
    state->store_properties = std::move(minimum.store_properties);
    state->store_changed = true;
    state->folders = std::move(minimum.folders);
    state->ipm_subtree = minimum.ipm_subtree;
    state->receive_folders = std::move(minimum.receive_folders);
    state->receive_changed = true;
    state->search_queue_changed = true;
    state->row_version = 16;
    // Readers expect the map's streams to hold something, as they do in every Outlook store:
    // the first named properties are ones every mail message may carry.
    for (std::uint32_t lid : {kPidLidSideEffects, kPidLidSmartNoAttach})
        state->names.IdFor(NamedProperty{kPsetidCommon, lid, {}});
    state->db.PutNode(nids::kNameToIdMap, NodeId(0), WritePropertyContext(state->names.Write()));
    PstStore store(std::move(state));
    store.Commit();
    return store;
}

PstStore PstStore::Open(const std::filesystem::path& path, OpenMode mode) {
    auto state = std::make_unique<State>(NodeDatabase::Open(path, mode));
    State& s = *state;
    try {
        if (!s.db.Contains(nids::kMessageStore))
            throw PstError(ErrorKind::CorruptStructure, "it has no message store object");
        s.store_properties = ReadPropertyContext(s.db.ReadNode(nids::kMessageStore));
        const PropertyValue* key = s.store_properties.Find(tags::kRecordKey);
        if (!key || key->As<PropertyValue::Bytes>().size() != 16)
            throw PstError(ErrorKind::CorruptStructure, "its store has no record key");
        std::copy_n(key->As<PropertyValue::Bytes>().begin(), 16, s.record_key.bytes.begin());
        if (mode == OpenMode::ReadWrite) {
            // Adding to a store needs its named properties whole; reading does not.
            if (!s.db.Contains(nids::kNameToIdMap))
                throw PstError(ErrorKind::CorruptStructure, "it has no name-to-ID map");
            s.names = NameToIdMap::Read(ReadPropertyContext(s.db.ReadNode(nids::kNameToIdMap)));
        }
        if (!s.db.Contains(nids::kRootFolder)) throw PstError(ErrorKind::CorruptStructure, "it has no root folder");
        std::set<NodeId> seen;
        s.LoadFolder(nids::kRootFolder, nids::kRootFolder, seen, 0);
        const PropertyValue* subtree = s.store_properties.Find(tags::kIpmSubTreeEntryId);
        const auto id = subtree ? EntryId::Decode(subtree->As<PropertyValue::Bytes>()) : std::nullopt;
        if (!id || !s.folders.contains(id->nid))
            throw PstError(ErrorKind::CorruptStructure, "its store does not name a top folder");
        s.ipm_subtree = id->nid;
        if (s.db.Contains(nids::kReceiveFolderTable))
            s.receive_folders = TableContext::Read(s.db.ReadNode(nids::kReceiveFolderTable));
        if (s.db.Contains(nids::kSearchManagementQueue))
            s.search_queue = Concatenated(s.db.ReadNode(nids::kSearchManagementQueue));
        s.row_version = std::max(s.row_version, MaxRowVersion(s.receive_folders) + 1);
    } catch (const PstError& e) {
        throw PstError(e.Kind(), path.string() + " cannot be used as a message store: " + e.what());
    }
    return PstStore(std::move(state));
}

std::u16string PstStore::DisplayName() const {
    const PropertyValue* v = state_->store_properties.Find(tags::kDisplayName);
    return v ? v->As<std::u16string>() : std::u16string();
}

void PstStore::SetDisplayName(const std::u16string& name) {
    SetStoreProperty(tags::kDisplayName, PropertyValue::String(name));
}
const Guid& PstStore::RecordKey() const { return state_->record_key; }
EntryId PstStore::StoreEntryId() const { return EntryIdOf(nids::kMessageStore); }
const PropertyBag& PstStore::StoreProperties() const { return state_->store_properties; }

void PstStore::SetStoreProperty(PropertyTag tag, PropertyValue value) {
    if (value.Type() != tag.type) throw PstError(ErrorKind::InvalidArgument, "a store property of the wrong type");
    state_->store_properties.Set(tag.id, std::move(value));
    state_->store_changed = true;
}

std::optional<NodeId> PstStore::FolderFromEntryId(const std::vector<std::uint8_t>& entryId) const {
    const auto id = EntryId::Decode(entryId);
    if (!id || id->provider != RecordKey() || !state_->folders.contains(id->nid)) return std::nullopt;
    return id->nid;
}

NodeId PstStore::RootFolder() const { return nids::kRootFolder; }
NodeId PstStore::IpmSubtree() const { return state_->ipm_subtree; }

std::optional<NodeId> PstStore::DeletedItems() const {
    const PropertyValue* v = state_->store_properties.Find(tags::kIpmWastebasketEntryId);
    return v ? FolderFromEntryId(v->As<PropertyValue::Bytes>()) : std::nullopt;
}

bool PstStore::HasFolder(NodeId folder) const { return state_->folders.contains(folder); }
const FolderObject& PstStore::Folder(NodeId folder) const { return state_->FolderRef(folder); }
std::vector<NodeId> PstStore::Subfolders(NodeId folder) const { return state_->FolderRef(folder).subfolders; }

NodeId PstStore::AddFolder(NodeId parentNid, const std::u16string& name, const std::u16string& containerClass) {
    State& s = *state_;
    FolderObject& parent = s.FolderRef(parentNid);
    if (s.DepthOf(parentNid) + 1 > kMaxFolderDepth)
        throw PstError(ErrorKind::LimitExceeded,
                       "the folder tree would be deeper than " + std::to_string(kMaxFolderDepth) + " levels");
    const NodeId nid = AllocateFolderNodeId(s.db);
    auto folder = std::make_unique<FolderObject>(nid, parentNid, NewFolderProperties(name, containerClass));
    FolderObject& added = *folder;
    s.folders.emplace(nid, std::move(folder));
    parent.subfolders.push_back(nid);
    s.FolderPropertiesChanged(added);  // its row in the parent's hierarchy table
    if (const PropertyValue* has = parent.properties.Find(tags::kSubfolders); !has || !has->As<bool>()) {
        parent.properties.Set(tags::kSubfolders.id, PropertyValue::Boolean(true));
        s.FolderPropertiesChanged(parent);
    }
    s.Queue(SudType::FolderAdd, parentNid, nid);
    return nid;
}

void PstStore::SetFolderProperty(NodeId folderNid, PropertyTag tag, PropertyValue value) {
    if (value.Type() != tag.type) throw PstError(ErrorKind::InvalidArgument, "a folder property of the wrong type");
    FolderObject& folder = state_->FolderRef(folderNid);
    folder.properties.Set(tag.id, std::move(value));
    state_->FolderPropertiesChanged(folder);
}

NodeId PstStore::AddMessage(NodeId folderNid, MessageContent content) { return AddMessageFrom(folderNid, content); }

NodeId PstStore::AddMessageFrom(NodeId folderNid, MessageContent& content) {
    State& s = *state_;
    FolderObject& folder = s.FolderRef(folderNid);
    const NodeId nid = s.db.AllocateNodeId(NidType::NormalMessage);
    const NodeData node = s.BuildMessage(content);
    s.db.PutNode(nid, folderNid, node);
    TableContext::Cells row = State::ContentsRow(folder, content, s.row_version++);
    folder.contents.PutRow(nid.Value(), row);
    folder.contents_changed = true;
    folder.properties.Set(tags::kContentCount.id, PropertyValue::Integer32(folder.ContentCount() + 1));
    if (!IsRead(content.properties))
        folder.properties.Set(tags::kContentUnreadCount.id, PropertyValue::Integer32(folder.UnreadCount() + 1));
    s.FolderPropertiesChanged(folder);
    s.Queue(SudType::MessageAdd, folderNid, nid);
    ++s.messages_since_commit;
    return nid;
}

void PstStore::ReplaceMessage(NodeId folderNid, NodeId nid, MessageContent content) {
    State& s = *state_;
    FolderObject& folder = s.FolderRef(folderNid);
    if (!folder.contents.HasRow(nid.Value()))
        throw PstError(ErrorKind::InvalidArgument, "the folder holds no such message");
    const auto flagsColumn = folder.contents.ColumnIndex(tags::kMessageFlags);
    const auto oldFlags = flagsColumn ? folder.contents.Cell(nid.Value(), *flagsColumn) : std::nullopt;
    const bool wasRead = oldFlags && (oldFlags->As<std::int32_t>() & kMessageFlagRead) != 0;
    const NodeData node = s.BuildMessage(content);
    s.db.PutNode(nid, folderNid, node);
    TableContext::Cells row = State::ContentsRow(folder, content, s.row_version++);
    folder.contents.PutRow(nid.Value(), row);
    folder.contents_changed = true;
    const bool isRead = IsRead(content.properties);
    if (wasRead != isRead) {
        folder.properties.Set(tags::kContentUnreadCount.id,
                              PropertyValue::Integer32(folder.UnreadCount() + (isRead ? -1 : 1)));
        s.FolderPropertiesChanged(folder);
    }
    s.Queue(SudType::MessageModify, folderNid, nid);
}

MessageContent PstStore::ReadMessage(NodeId message) const { return ReadMessageNode(state_->db.ReadNode(message)); }

void PstStore::SetReceiveFolder(const std::u16string& messageClass, NodeId folder) {
    TableContext& table = state_->receive_folders;
    const auto classColumn = table.ColumnIndex(tags::kReceiveMessageClass);
    std::uint32_t rowId = 1;
    for (const auto& row : table.Rows()) {
        if (classColumn && row.cells[*classColumn] && row.cells[*classColumn]->As<std::u16string>() == messageClass) {
            rowId = row.id;
            break;
        }
        rowId = std::max(rowId, row.id + 1);
    }
    table.PutRow(rowId,
                 {{tags::kReceiveMessageClass, PropertyValue::String(messageClass)},
                  {tags::kReceiveFolderNid, PropertyValue::Integer32(static_cast<std::int32_t>(folder.Value()))},
                  {kLtpRowVersionTag, PropertyValue::Integer32(static_cast<std::int32_t>(state_->row_version++))}});
    state_->receive_changed = true;
}

std::optional<NodeId> PstStore::ReceiveFolder(const std::u16string& messageClass) const {
    const TableContext& table = state_->receive_folders;
    const auto classColumn = table.ColumnIndex(tags::kReceiveMessageClass);
    const auto folderColumn = table.ColumnIndex(tags::kReceiveFolderNid);
    if (!classColumn || !folderColumn) return std::nullopt;
    for (const auto& row : table.Rows())
        if (row.cells[*classColumn] && row.cells[*folderColumn] &&
            row.cells[*classColumn]->As<std::u16string>() == messageClass) {
            const NodeId nid(static_cast<std::uint32_t>(row.cells[*folderColumn]->As<std::int32_t>()));
            if (state_->folders.contains(nid)) return nid;
        }
    return std::nullopt;
}

NameToIdMap& PstStore::NamedProperties() { return state_->names; }

void PstStore::Commit() {
    State& s = *state_;
    for (auto& [nid, folder] : s.folders) {
        if (folder->AnythingChanged())
            s.WriteFolder(*folder);
        else
            folder->contents.ReleaseAllRows();  // unchanged since the last commit: likely done with
    }
    if (s.store_changed) s.db.PutNode(nids::kMessageStore, NodeId(0), WritePropertyContext(s.store_properties));
    if (s.names.Changed()) s.db.PutNode(nids::kNameToIdMap, NodeId(0), WritePropertyContext(s.names.Write()));
    if (s.receive_changed) s.db.PutNode(nids::kReceiveFolderTable, NodeId(0), s.receive_folders.Write());
    if (s.search_queue_changed) {
        const NodeData queue = QueueNode(s.search_queue, s.searchQueueBlocks);
        s.db.PutNode(nids::kSearchManagementQueue, NodeId(0), queue);
        s.searchQueueBlocks = queue.placed;
    }
    s.db.Commit();
    s.store_changed = s.receive_changed = s.search_queue_changed = false;
    s.names.MarkWritten();
    s.messages_since_commit = 0;
}

std::size_t PstStore::MessagesSinceCommit() const { return state_->messages_since_commit; }
const std::filesystem::path& PstStore::Path() const { return state_->db.Path(); }
NodeDatabase& PstStore::Database() { return state_->db; }

}  // namespace ferrowick::pst
