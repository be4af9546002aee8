#pragma once
// Folders of a store opened by a session, their sub-folder collections and item lists.
// Sibling folder names are unique without regard to case, as Outlook keeps them.
#include <memory>

#include "pst/ndb/ids.hpp"
#include "seams/store_service.hpp"
#include "store/open_store.hpp"

namespace ferrowick {

class PstFolder : public StoreFolder {
public:
    PstFolder(std::shared_ptr<OpenStore> store, pst::NodeId nid) : store_(std::move(store)), nid_(nid) {}
    std::u16string Name() override;
    std::shared_ptr<StoreFolders> Folders() override;
    std::shared_ptr<StoreItems> Items() override;
    pst::NodeId Nid() const { return nid_; }

private:
    std::shared_ptr<OpenStore> store_;
    pst::NodeId nid_;
};

class PstFolders : public StoreFolders {
public:
    PstFolders(std::shared_ptr<OpenStore> store, pst::NodeId parent) : store_(std::move(store)), parent_(parent) {}
    std::size_t Count() override;
    std::shared_ptr<StoreFolder> Item(std::size_t index) override;
    std::shared_ptr<StoreFolder> Add(const std::u16string& name, int folderType) override;

private:
    std::shared_ptr<OpenStore> store_;
    pst::NodeId parent_;
};

class PstItems : public StoreItems {
public:
    PstItems(std::shared_ptr<OpenStore> store, pst::NodeId folder) : store_(std::move(store)), folder_(folder) {}
    std::shared_ptr<StoreMessage> Add(int messageType) override;

private:
    std::shared_ptr<OpenStore> store_;
    pst::NodeId folder_;
};

// Whether two folder names are the same to Outlook: equal without regard to case.
bool SameFolderName(std::u16string_view a, std::u16string_view b);
// The sub-folder of `parent` with that name, if any.
std::optional<pst::NodeId> FindSubfolder(const pst::PstStore& store, pst::NodeId parent, std::u16string_view name);

}  // namespace ferrowick
