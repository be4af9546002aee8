#pragma once
// The message store of a .pst [MS-PST 2.4.3]: the store PC (NID 0x21), the name-to-ID map,
// the folder tree from the root folder (NID 0x122) and the messages, over the node
// database. Folders and their tables live in memory while the store is open; messages go
// to the file as they are added; Commit() writes what changed and makes it durable.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pst/messaging/entry_id.hpp"
#include "pst/messaging/folder_object.hpp"
#include "pst/messaging/message_object.hpp"
#include "pst/messaging/name_to_id_map.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {

// How many levels below the root folder a store's folder tree may reach. The same bound
// refuses a deeper folder when it would be added and a deeper tree when a store is opened,
// so every store written here opens again.
inline constexpr std::size_t kMaxFolderDepth = 512;

class PstStore {
public:
    // A new store at `path` (which must not exist) with the minimum folder tree, committed.
    static PstStore Create(const std::filesystem::path& path, const std::u16string& displayName,
                           CreateOptions options = CreateOptions());
    // An existing Unicode store; `mode` ReadWrite to add to it. Throws PstError when the file
    // is no .pst, is damaged, or lacks what a store needs.
    static PstStore Open(const std::filesystem::path& path, OpenMode mode);

    PstStore(PstStore&&) noexcept;
    PstStore& operator=(PstStore&&) noexcept;
    ~PstStore();  // does not commit

    std::u16string DisplayName() const;
    void SetDisplayName(const std::u16string& name);
    const Guid& RecordKey() const;
    EntryId EntryIdOf(NodeId nid) const { return EntryId{RecordKey(), nid}; }
    EntryId StoreEntryId() const;
    const PropertyBag& StoreProperties() const;
    void SetStoreProperty(PropertyTag tag, PropertyValue value);
    // The folder an entry ID of this store names; nothing for another store's or a missing one.
    std::optional<NodeId> FolderFromEntryId(const std::vector<std::uint8_t>& entryId) const;

    NodeId RootFolder() const;
    NodeId IpmSubtree() const;  // "Top of Personal Folders"
    std::optional<NodeId> DeletedItems() const;

    bool HasFolder(NodeId folder) const;
    const FolderObject& Folder(NodeId folder) const;
    std::vector<NodeId> Subfolders(NodeId folder) const;
    // Adds a normal folder below `parent`; sibling names are the caller's concern. Throws
    // PstError when the folder would lie deeper than kMaxFolderDepth.
    NodeId AddFolder(NodeId parent, const std::u16string& name, const std::u16string& containerClass);
    void SetFolderProperty(NodeId folder, PropertyTag tag, PropertyValue value);

    // Writes the message into `folder` and records it in the folder's contents table, the
    // folder's counts and the search management queue. Returns the message's NID.
    NodeId AddMessage(NodeId folder, MessageContent content);
    // The same without a copy of the content (its attachments may be large): what the store
    // fills in (stamps, sizes, defaults) stays in `content`.
    NodeId AddMessageFrom(NodeId folder, MessageContent& content);
    // Replaces a message added before (a second save of a changed message).
    void ReplaceMessage(NodeId folder, NodeId message, MessageContent content);
    MessageContent ReadMessage(NodeId message) const;

    // The receive folder table (NID 0x62B): which folder receives a message class.
    void SetReceiveFolder(const std::u16string& messageClass, NodeId folder);
    std::optional<NodeId> ReceiveFolder(const std::u16string& messageClass) const;

    NameToIdMap& NamedProperties();

    void Commit();
    std::size_t MessagesSinceCommit() const;
    const std::filesystem::path& Path() const;
    NodeDatabase& Database();

    struct State;

private:
    explicit PstStore(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace ferrowick::pst
