#pragma once
// An in-memory message store behind the store-service interface, for driving the engine
// without a .pst writer. It keeps one store per logon: a folder tree under the top folder
// (with the standard folders once the tree is validated), every message created with its
// import file, flags and whether it was saved, and a log of the calls that matter to the
// engine's protocol. Failures are scripted per call.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "seams/store_service.hpp"

namespace ferrowick::testing {

struct FakeMessageRecord {
    std::u16string folderPath;    // e.g. "Inbox\Old"; empty for the top folder
    std::u16string importedFrom;  // empty until an import succeeded
    std::optional<std::int32_t> flags;
    int saves = 0;
    bool Saved() const { return saves > 0; }
};

struct FakeFolderNode {
    std::u16string name;
    std::vector<std::unique_ptr<FakeFolderNode>> children;
    FakeFolderNode* parent = nullptr;
    std::u16string Path() const;                              // "\"-separated below the top folder
    FakeFolderNode* Child(const std::u16string& name) const;  // any letter case
};

// One store made by LogonPstStore: its file, names, folder tree and messages.
struct FakeStoreFile {
    std::u16string path, displayName;
    int format = -1;
    std::u16string entryId;
    bool validated = false;
    bool loggedOff = false;
    FakeFolderNode root;                         // the top folder
    std::vector<std::u16string> createdFolders;  // paths of folders made by Add, in order
    std::vector<std::shared_ptr<FakeMessageRecord>> messages;

    FakeFolderNode* FindPath(const std::u16string& path, std::u16string* firstMissing) const;
    bool HasFolder(const std::u16string& path) const;    // "\"-separated, any letter case
    std::vector<std::u16string> AllFolderPaths() const;  // depth first, in creation order
    // Import files of the saved messages in a folder, in order.
    std::vector<std::u16string> SavedIn(const std::u16string& folderPath) const;
    std::size_t SavedCount() const;
};

class FakeStoreService : public MessageStoreService {
public:
    // --- configuration ---
    std::u16string inboxName = u"Inbox";
    std::u16string sentItemsName = u"Sent Items";
    std::vector<std::u16string> otherStandardFolders{u"Deleted Items", u"Outbox"};
    std::optional<std::u16string> sessionFailure;  // CreateSession fails with it
    std::optional<std::u16string> logonFailure;    // LogonPstStore fails with it
    std::optional<std::u16string> logoffFailure;
    std::set<std::u16string> importFailsFor;                // .msg paths whose Import fails
    std::set<std::u16string> importOutOfMemoryFor;          // .msg paths whose Import throws std::bad_alloc
    std::map<std::u16string, std::string> importThrowsFor;  // Import throws std::runtime_error(text)
    std::set<std::u16string> addFailsFor;                   // folder names whose Add fails
    std::set<std::u16string> hasAttachments;                // .msg paths that carry attachments
    std::map<std::u16string, std::int32_t> importedFlags;   // .msg paths -> the flags they hold

    // --- what happened ---
    std::vector<std::string> calls;  // "CreateSession", "LogonPstStore <path>", "Logoff", "SessionReleased", ...
    std::vector<std::unique_ptr<FakeStoreFile>> stores;        // one per successful logon
    std::vector<std::vector<std::u16string>> expectedImports;  // the paths of each ExpectImports
    FakeStoreFile& Store(std::size_t index = 0) { return *stores.at(index); }
    int CallCount(const std::string& call) const;

    // --- MessageStoreService ---
    std::shared_ptr<StoreSession> CreateSession() override;
    std::shared_ptr<StoreUtility> CreateUtility() override;
};

}  // namespace ferrowick::testing
