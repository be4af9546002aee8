#pragma once
// A session of the store service: it logs on to one .pst at a time, finds folders by path
// and commits the store when it logs off.
#include <memory>

#include "seams/store_service.hpp"
#include "store/open_store.hpp"

namespace ferrowick {

class PstMessageStore : public MessageStore {
public:
    explicit PstMessageStore(std::shared_ptr<OpenStore> store) : store_(std::move(store)) {}
    std::u16string EntryID() override;
    void ValidateIPMTree() override;
    std::shared_ptr<StoreFolder> GetDefaultFolder(int which) override;
    std::shared_ptr<StoreFolder> IPMRootFolder() override;
    const std::shared_ptr<OpenStore>& Open() const { return store_; }

private:
    std::shared_ptr<OpenStore> store_;
};

class PstSession : public StoreSession {
public:
    std::shared_ptr<MessageStore> LogonPstStore(const std::u16string& path, int format,
                                                const std::u16string& displayName) override;
    std::shared_ptr<MessageStore> GetStoreFromID(const std::u16string& entryId) override;
    std::shared_ptr<StoreCollection> Stores() override;
    std::shared_ptr<StoreFolder> GetFolderFromPath(const std::u16string& path) override;
    void Logoff() override;
    void ExpectImports(NextImport next) override;

private:
    std::shared_ptr<OpenStore> Current();
    std::shared_ptr<MessageStore> store_;
    std::u16string logonName_;  // the name the caller addresses the store by
};

}  // namespace ferrowick
