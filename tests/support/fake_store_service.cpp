#include "fake_store_service.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>

#include "fs/text.hpp"

namespace ferrowick::testing {
namespace {

std::u16string Folded(std::u16string text) {
    for (auto& c : text)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

std::vector<std::u16string> Components(const std::u16string& path) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (const char16_t c : path) {
        if (c == u'\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

class FakeMessage : public StoreMessage {
public:
    FakeMessage(FakeStoreService& service, std::shared_ptr<FakeMessageRecord> record)
        : service_(service), record_(std::move(record)) {}
    void Import(const std::u16string& path, int type) override {
        service_.calls.push_back("Import " + ToUtf8(path));
        if (type != kMsgImportType) throw StoreFailure(u"Unsupported import type");
        if (service_.importFailsFor.count(path)) throw StoreFailure(u"The file is not a valid message file");
        if (service_.importOutOfMemoryFor.count(path)) throw std::bad_alloc();
        if (const auto it = service_.importThrowsFor.find(path); it != service_.importThrowsFor.end())
            throw std::runtime_error(it->second);
        if (!std::filesystem::is_regular_file(std::filesystem::path(ToNative(path))))
            throw StoreFailure(u"The file could not be opened");
        record_->importedFrom = path;
    }
    bool HasAttachments() override { return service_.hasAttachments.count(record_->importedFrom) > 0; }
    std::int32_t ImportedFlags() override {
        const auto it = service_.importedFlags.find(record_->importedFrom);
        return it == service_.importedFlags.end() ? 0 : it->second;
    }
    void SetProperty(std::uint32_t tag, std::int32_t value) override {
        if (tag == kTagMessageFlags) record_->flags = value;
    }
    void Save() override { ++record_->saves; }

private:
    FakeStoreService& service_;
    std::shared_ptr<FakeMessageRecord> record_;
};

class FakeItems : public StoreItems {
public:
    FakeItems(FakeStoreService& service, FakeStoreFile& file, FakeFolderNode& node)
        : service_(service), file_(file), node_(node) {}
    std::shared_ptr<StoreMessage> Add(int type) override {
        if (type != kMailMessageType) throw StoreFailure(u"Unsupported message type");
        auto record = std::make_shared<FakeMessageRecord>();
        record->folderPath = node_.Path();
        file_.messages.push_back(record);
        return std::make_shared<FakeMessage>(service_, record);
    }

private:
    FakeStoreService& service_;
    FakeStoreFile& file_;
    FakeFolderNode& node_;
};

class FakeFolders;

class FakeFolder : public StoreFolder {
public:
    FakeFolder(FakeStoreService& service, FakeStoreFile& file, FakeFolderNode& node)
        : service_(service), file_(file), node_(node) {}
    std::u16string Name() override { return node_.name; }
    std::shared_ptr<StoreFolders> Folders() override;
    std::shared_ptr<StoreItems> Items() override { return std::make_shared<FakeItems>(service_, file_, node_); }

private:
    FakeStoreService& service_;
    FakeStoreFile& file_;
    FakeFolderNode& node_;
};

class FakeFolders : public StoreFolders {
public:
    FakeFolders(FakeStoreService& service, FakeStoreFile& file, FakeFolderNode& node)
        : service_(service), file_(file), node_(node) {}
    std::size_t Count() override { return node_.children.size(); }
    std::shared_ptr<StoreFolder> Item(std::size_t index) override {
        if (index >= node_.children.size()) throw StoreFailure(u"Index out of range");
        return std::make_shared<FakeFolder>(service_, file_, *node_.children[index]);
    }
    std::shared_ptr<StoreFolder> Add(const std::u16string& name, int type) override {
        if (type != kMailFolderType) throw StoreFailure(u"Unsupported folder type");
        if (name.empty()) throw StoreFailure(u"A folder needs a name");
        if (service_.addFailsFor.count(name)) throw StoreFailure(u"The folder could not be created");
        if (node_.Child(name)) throw StoreFailure(u"A folder named \"" + name + u"\" already exists");
        auto child = std::make_unique<FakeFolderNode>();
        child->name = name;
        child->parent = &node_;
        node_.children.push_back(std::move(child));
        file_.createdFolders.push_back(node_.children.back()->Path());
        return std::make_shared<FakeFolder>(service_, file_, *node_.children.back());
    }

private:
    FakeStoreService& service_;
    FakeStoreFile& file_;
    FakeFolderNode& node_;
};

std::shared_ptr<StoreFolders> FakeFolder::Folders() { return std::make_shared<FakeFolders>(service_, file_, node_); }

class FakeStore : public MessageStore {
public:
    FakeStore(FakeStoreService& service, FakeStoreFile& file) : service_(service), file_(file) {}
    std::u16string EntryID() override { return file_.entryId; }
    void ValidateIPMTree() override {
        file_.validated = true;
        std::vector<std::u16string> standard{service_.inboxName, service_.sentItemsName};
        standard.insert(standard.end(), service_.otherStandardFolders.begin(), service_.otherStandardFolders.end());
        for (const auto& name : standard) {
            if (file_.root.Child(name)) continue;
            auto child = std::make_unique<FakeFolderNode>();
            child->name = name;
            child->parent = &file_.root;
            file_.root.children.push_back(std::move(child));
        }
    }
    std::shared_ptr<StoreFolder> GetDefaultFolder(int which) override {
        const std::u16string name = which == kDefaultFolderInbox       ? service_.inboxName
                                    : which == kDefaultFolderSentItems ? service_.sentItemsName
                                                                       : u"";
        FakeFolderNode* node = name.empty() ? nullptr : file_.root.Child(name);
        if (!node) throw StoreFailure(u"The default folder does not exist");
        return std::make_shared<FakeFolder>(service_, file_, *node);
    }
    std::shared_ptr<StoreFolder> IPMRootFolder() override {
        return std::make_shared<FakeFolder>(service_, file_, file_.root);
    }

private:
    FakeStoreService& service_;
    FakeStoreFile& file_;
};

// The stores this session has opened, found by their ids.
class FakeStores : public StoreCollection {
public:
    FakeStores(FakeStoreService& service, FakeStoreFile* file) : service_(service), file_(file) {}
    std::shared_ptr<MessageStore> GetStoreFromID(const std::u16string& id) override {
        if (!file_ || file_->loggedOff || id != file_->entryId) throw StoreFailure(u"No store has this id");
        return std::make_shared<FakeStore>(service_, *file_);
    }

private:
    FakeStoreService& service_;
    FakeStoreFile* file_;
};

class FakeSession : public StoreSession {
public:
    explicit FakeSession(FakeStoreService& service) : service_(service) {}
    ~FakeSession() override { service_.calls.push_back("SessionReleased"); }

    std::shared_ptr<MessageStore> LogonPstStore(const std::u16string& path, int format,
                                                const std::u16string& displayName) override {
        service_.calls.push_back("LogonPstStore " + ToUtf8(path));
        if (service_.logonFailure) throw StoreFailure(*service_.logonFailure);
        std::ofstream created(std::filesystem::path(ToNative(path)), std::ios::binary);
        if (!created) throw StoreFailure(u"The file " + path + u" could not be created");
        auto file = std::make_unique<FakeStoreFile>();
        file->path = path;
        file->format = format;
        file->displayName = displayName;
        file->entryId = u"0000FAKE" + DecimalText(static_cast<std::int64_t>(service_.stores.size() + 1));
        file->root.name = u"Top of Personal Folders";
        service_.stores.push_back(std::move(file));
        file_ = service_.stores.back().get();
        return std::make_shared<FakeStore>(service_, *file_);
    }
    std::shared_ptr<MessageStore> GetStoreFromID(const std::u16string& id) override {
        return FakeStores(service_, file_).GetStoreFromID(id);
    }
    std::shared_ptr<StoreCollection> Stores() override { return std::make_shared<FakeStores>(service_, file_); }
    std::shared_ptr<StoreFolder> GetFolderFromPath(const std::u16string& path) override {
        service_.calls.push_back("GetFolderFromPath " + ToUtf8(path));
        if (!path.starts_with(u"\\\\")) throw StoreFailure(u"Invalid folder path");
        const std::u16string rest = path.substr(2);
        const auto cut = rest.find(u'\\');
        const std::u16string storeName = rest.substr(0, cut);
        if (!file_ || file_->loggedOff || storeName != file_->displayName)
            throw StoreFailure(u"Store \"" + storeName + u"\" does not exist");
        std::u16string missing;
        FakeFolderNode* node = file_->FindPath(cut == std::u16string::npos ? u"" : rest.substr(cut + 1), &missing);
        if (!node) throw StoreFailure(u"Folder \"" + missing + u"\" does not exist");
        return std::make_shared<FakeFolder>(service_, *file_, *node);
    }
    void ExpectImports(NextImport next) override {
        auto& paths = service_.expectedImports.emplace_back();
        while (auto path = next()) paths.push_back(*path);
    }
    void Logoff() override {
        service_.calls.push_back("Logoff");
        if (service_.logoffFailure) throw StoreFailure(*service_.logoffFailure);
        if (file_) file_->loggedOff = true;
    }

private:
    FakeStoreService& service_;
    FakeStoreFile* file_ = nullptr;
};

class FakeUtility : public StoreUtility {
public:
    void HrSetOneProp(StoreMessage& message, std::uint32_t tag, std::int32_t value, bool save) override {
        message.SetProperty(tag, value);
        if (save) message.Save();
    }
};

}  // namespace

std::u16string FakeFolderNode::Path() const {
    if (!parent) return {};
    const std::u16string above = parent->Path();
    return above.empty() ? name : above + u"\\" + name;
}

FakeFolderNode* FakeFolderNode::Child(const std::u16string& wanted) const {
    const std::u16string folded = Folded(wanted);
    for (const auto& child : children)
        if (Folded(child->name) == folded) return child.get();
    return nullptr;
}

FakeFolderNode* FakeStoreFile::FindPath(const std::u16string& path, std::u16string* firstMissing) const {
    FakeFolderNode* node = const_cast<FakeFolderNode*>(&root);
    for (const auto& part : Components(path)) {
        FakeFolderNode* next = node->Child(part);
        if (!next) {
            if (firstMissing) *firstMissing = part;
            return nullptr;
        }
        node = next;
    }
    return node;
}

bool FakeStoreFile::HasFolder(const std::u16string& path) const { return FindPath(path, nullptr) != nullptr; }

std::vector<std::u16string> FakeStoreFile::AllFolderPaths() const {
    std::vector<std::u16string> paths;
    std::vector<const FakeFolderNode*> pending{&root};
    while (!pending.empty()) {
        const FakeFolderNode* node = pending.back();
        pending.pop_back();
        if (node != &root) paths.push_back(node->Path());
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) pending.push_back(it->get());
    }
    return paths;
}

std::vector<std::u16string> FakeStoreFile::SavedIn(const std::u16string& folderPath) const {
    std::vector<std::u16string> files;
    for (const auto& m : messages)
        if (m->Saved() && m->folderPath == folderPath) files.push_back(m->importedFrom);
    return files;
}

std::size_t FakeStoreFile::SavedCount() const {
    return static_cast<std::size_t>(
        std::count_if(messages.begin(), messages.end(), [](const auto& m) { return m->Saved(); }));
}

int FakeStoreService::CallCount(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

std::shared_ptr<StoreSession> FakeStoreService::CreateSession() {
    calls.push_back("CreateSession");
    if (sessionFailure) throw StoreFailure(*sessionFailure);
    return std::make_shared<FakeSession>(*this);
}

std::shared_ptr<StoreUtility> FakeStoreService::CreateUtility() { return std::make_shared<FakeUtility>(); }

}  // namespace ferrowick::testing
