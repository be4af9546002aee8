#pragma once
// The message-store service the engine drives: a session that creates and opens the
// output store, the store's folders and messages, and a utility object that sets one
// property on a message. Any call may fail with a StoreFailure carrying the store's own
// description; the engine decides per phase whether that ends the call or is ignored.
// Objects are shared handles; Logoff is an explicit call because the store commits its
// file there.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "fs/text.hpp"

namespace ferrowick {

class StoreFailure : public std::runtime_error {
public:
    explicit StoreFailure(std::u16string description)
        : std::runtime_error(ToUtf8(description)), description_(std::move(description)) {}
    const std::u16string& Description() const { return description_; }

private:
    std::u16string description_;
};

// Codes the engine passes through unchanged.
inline constexpr int kUnicodePstFormat = 1;    // LogonPstStore
inline constexpr int kDefaultFolderInbox = 6;  // GetDefaultFolder
inline constexpr int kDefaultFolderSentItems = 5;
inline constexpr int kMailFolderType = 6;   // Folders.Add
inline constexpr int kMailMessageType = 0;  // Items.Add
inline constexpr int kMsgImportType = 3;    // Message.Import

// PidTagMessageFlags and the two flags the engine sets.
inline constexpr std::uint32_t kTagMessageFlags = 0x0E070003;
inline constexpr std::int32_t kMessageFlagRead = 0x01;
inline constexpr std::int32_t kMessageFlagHasAttachment = 0x10;
// The flags that describe the message itself rather than its state in a mailbox, and travel
// with it: unsent (a draft stays a draft), from me, resend, and where it came from (X.400,
// the Internet, outside the organization).
inline constexpr std::int32_t kMessageFlagsKeptOnImport = 0x08 | 0x20 | 0x80 | 0x1000 | 0x2000 | 0x8000;

class StoreMessage {
public:
    virtual ~StoreMessage() = default;
    virtual void Import(const std::u16string& msgPath, int importType) = 0;
    // Whether the imported content carries attachments.
    virtual bool HasAttachments() = 0;
    // PidTagMessageFlags as the imported file holds them (0 when it holds none).
    virtual std::int32_t ImportedFlags() = 0;
    // The route by which the utility object reaches the message's properties.
    virtual void SetProperty(std::uint32_t tag, std::int32_t value) = 0;
    virtual void Save() = 0;
};

class StoreItems {
public:
    virtual ~StoreItems() = default;
    // A new message in the folder, not saved yet.
    virtual std::shared_ptr<StoreMessage> Add(int messageType) = 0;
};

class StoreFolders;

class StoreFolder {
public:
    virtual ~StoreFolder() = default;
    virtual std::u16string Name() = 0;  // the folder's text value: its display name
    virtual std::shared_ptr<StoreFolders> Folders() = 0;
    virtual std::shared_ptr<StoreItems> Items() = 0;
};

class StoreFolders {
public:
    virtual ~StoreFolders() = default;
    virtual std::size_t Count() = 0;
    virtual std::shared_ptr<StoreFolder> Item(std::size_t index) = 0;  // 0-based
    virtual std::shared_ptr<StoreFolder> Add(const std::u16string& name, int folderType) = 0;
};

class MessageStore {
public:
    virtual ~MessageStore() = default;
    virtual std::u16string EntryID() = 0;
    virtual void ValidateIPMTree() = 0;  // the standard folders exist afterwards
    virtual std::shared_ptr<StoreFolder> GetDefaultFolder(int which) = 0;
    virtual std::shared_ptr<StoreFolder> IPMRootFolder() = 0;
};

class StoreCollection {
public:
    virtual ~StoreCollection() = default;
    virtual std::shared_ptr<MessageStore> GetStoreFromID(const std::u16string& entryId) = 0;
};

class StoreSession {
public:
    virtual ~StoreSession() = default;
    // Creates the file at the path (it exists afterwards) and names the store.
    virtual std::shared_ptr<MessageStore> LogonPstStore(const std::u16string& path, int format,
                                                        const std::u16string& displayName) = 0;
    virtual std::shared_ptr<MessageStore> GetStoreFromID(const std::u16string& entryId) = 0;
    virtual std::shared_ptr<StoreCollection> Stores() = 0;
    // "\\" + store display name + "\" + backslash-separated folder path; an empty folder
    // path is the store's top folder. A missing folder fails with the description
    // Folder "X" does not exist, X naming the first missing folder.
    virtual std::shared_ptr<StoreFolder> GetFolderFromPath(const std::u16string& path) = 0;
    // Ends the session; everything saved is on disk afterwards.
    virtual void Logoff() = 0;
    // The message files the run is about to import, in order: `next` gives one path a call
    // and nothing after the last. A service may read them ahead while it stores the one
    // before; it opens nothing else, and a file's errors still come from its own import.
    // Each call replaces the one before.
    using NextImport = std::function<std::optional<std::u16string>()>;
    virtual void ExpectImports(NextImport next) { (void)next; }
};

class StoreUtility {
public:
    virtual ~StoreUtility() = default;
    // Sets one property of the message; with save, the message is committed as well.
    virtual void HrSetOneProp(StoreMessage& message, std::uint32_t tag, std::int32_t value, bool save) = 0;
};

class MessageStoreService {
public:
    virtual ~MessageStoreService() = default;
    virtual std::shared_ptr<StoreSession> CreateSession() = 0;
    virtual std::shared_ptr<StoreUtility> CreateUtility() = 0;
};

}  // namespace ferrowick
