#include "store/pst_session.hpp"

#include <vector>

#include "fs/text.hpp"
#include "pst/messaging/default_folders.hpp"
#include "pst/pst_error.hpp"
#include "store/pst_folder.hpp"

namespace ferrowick {
namespace {

// Outlook's numbers for the default folders (olDefaultFolders).
std::optional<pst::DefaultFolder> DefaultFolderFor(int which) {
    switch (which) {
        case 3:
            return pst::DefaultFolder::DeletedItems;
        case 4:
            return pst::DefaultFolder::Outbox;
        case 5:
            return pst::DefaultFolder::SentItems;
        case 6:
            return pst::DefaultFolder::Inbox;
        case 9:
            return pst::DefaultFolder::Calendar;
        case 10:
            return pst::DefaultFolder::Contacts;
        case 11:
            return pst::DefaultFolder::Journal;
        case 12:
            return pst::DefaultFolder::Notes;
        case 13:
            return pst::DefaultFolder::Tasks;
        case 16:
            return pst::DefaultFolder::Drafts;
        case 23:
            return pst::DefaultFolder::JunkEmail;
        default:
            return std::nullopt;
    }
}

std::vector<std::u16string> PathComponents(std::u16string_view path) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t c : path) {
        if (c == u'\\') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

StoreFailure MissingFolder(const std::u16string& name) {
    return StoreFailure(u"Folder \"" + name + u"\" does not exist");
}

class PstStoreCollection : public StoreCollection {
public:
    explicit PstStoreCollection(std::shared_ptr<MessageStore> store) : store_(std::move(store)) {}
    std::shared_ptr<MessageStore> GetStoreFromID(const std::u16string& entryId) override {
        if (store_ && store_->EntryID() == entryId) return store_;
        throw StoreFailure(u"No open store has the entry ID " + entryId + u".");
    }

private:
    std::shared_ptr<MessageStore> store_;
};

}  // namespace

std::u16string PstMessageStore::EntryID() { return store_->Store().StoreEntryId().Hex(); }

void PstMessageStore::ValidateIPMTree() {
    try {
        pst::EnsureDefaultFolders(store_->Store());
    } catch (const pst::PstError& e) {
        store_->Refuse();  // the logon fails: nothing of it reaches the file
        throw StoreFailure(u"The standard folders could not be created: " + FromNative(e.what()));
    }
}

std::shared_ptr<StoreFolder> PstMessageStore::GetDefaultFolder(int which) {
    // Asked while the logon is checked: a failure here refuses the store unchanged.
    const auto kind = DefaultFolderFor(which);
    if (!kind) {
        store_->Refuse();
        throw StoreFailure(u"There is no default folder of that kind.");
    }
    const auto nid = pst::FindDefaultFolder(store_->Store(), *kind);
    if (!nid) {
        store_->Refuse();
        throw StoreFailure(u"The default folder does not exist in this store.");
    }
    return std::make_shared<PstFolder>(store_, *nid);
}

std::shared_ptr<StoreFolder> PstMessageStore::IPMRootFolder() {
    return std::make_shared<PstFolder>(store_, store_->Store().IpmSubtree());
}

std::shared_ptr<MessageStore> PstSession::LogonPstStore(const std::u16string& path, int format,
                                                        const std::u16string& displayName) {
    if (format != kUnicodePstFormat) throw StoreFailure(u"Only Unicode .pst files (format 1) can be created.");
    if (store_) throw StoreFailure(u"The session is already logged on to a store.");
    store_ = std::make_shared<PstMessageStore>(OpenStore::Logon(path, displayName));
    logonName_ = displayName;
    return store_;
}

std::shared_ptr<OpenStore> PstSession::Current() {
    if (!store_) throw StoreFailure(u"The session is not logged on to a store.");
    return static_cast<PstMessageStore&>(*store_).Open();
}

std::shared_ptr<MessageStore> PstSession::GetStoreFromID(const std::u16string& entryId) {
    return PstStoreCollection(store_).GetStoreFromID(entryId);
}

std::shared_ptr<StoreCollection> PstSession::Stores() { return std::make_shared<PstStoreCollection>(store_); }

std::shared_ptr<StoreFolder> PstSession::GetFolderFromPath(const std::u16string& path) {
    const std::shared_ptr<OpenStore> open = Current();
    pst::PstStore& store = open->Store();
    if (path.rfind(u"\\\\", 0) != 0) throw StoreFailure(u"A folder path starts with \\\\ and the store's name.");
    const std::vector<std::u16string> parts = PathComponents(std::u16string_view(path).substr(2));
    // An existing store keeps its own name; the caller may still address it by the name it
    // logged on with.
    if (parts.empty() || (parts.front() != store.DisplayName() && parts.front() != logonName_))
        throw MissingFolder(parts.empty() ? std::u16string() : parts.front());
    pst::NodeId folder = store.IpmSubtree();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const auto child = FindSubfolder(store, folder, parts[i]);
        if (!child) throw MissingFolder(parts[i]);
        folder = *child;
    }
    return std::make_shared<PstFolder>(open, folder);
}

// Only a hint: when it cannot be taken, every file is read as it is imported.
void PstSession::ExpectImports(NextImport next) {
    try {
        if (store_) Current()->ReadAhead().Expect(std::move(next));
    } catch (...) {
    }
}

void PstSession::Logoff() {
    if (!store_) return;
    const std::shared_ptr<OpenStore> open = Current();
    store_.reset();
    open->Close();
}

}  // namespace ferrowick
