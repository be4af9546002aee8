#include "store/pst_folder.hpp"

#include "fs/listing_order.hpp"
#include "fs/text.hpp"
#include "pst/pst_error.hpp"
#include "store/pst_message.hpp"

namespace ferrowick {

bool SameFolderName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fs::UpperCaseUnit(a[i]) != fs::UpperCaseUnit(b[i])) return false;
    return true;
}

std::optional<pst::NodeId> FindSubfolder(const pst::PstStore& store, pst::NodeId parent, std::u16string_view name) {
    for (pst::NodeId child : store.Subfolders(parent))
        if (SameFolderName(store.Folder(child).DisplayName(), name)) return child;
    return std::nullopt;
}

std::u16string PstFolder::Name() { return store_->Store().Folder(nid_).DisplayName(); }

std::shared_ptr<StoreFolders> PstFolder::Folders() {
    store_->Store();  // fails once the store is closed
    return std::make_shared<PstFolders>(store_, nid_);
}

std::shared_ptr<StoreItems> PstFolder::Items() {
    store_->Store();
    return std::make_shared<PstItems>(store_, nid_);
}

std::size_t PstFolders::Count() { return store_->Store().Subfolders(parent_).size(); }

std::shared_ptr<StoreFolder> PstFolders::Item(std::size_t index) {
    const auto children = store_->Store().Subfolders(parent_);
    if (index >= children.size()) throw StoreFailure(u"Array index out of bounds.");
    return std::make_shared<PstFolder>(store_, children[index]);
}

std::shared_ptr<StoreFolder> PstFolders::Add(const std::u16string& name, int) {
    pst::PstStore& store = store_->Store();
    if (name.empty()) throw StoreFailure(u"A folder name cannot be empty.");
    if (FindSubfolder(store, parent_, name))
        throw StoreFailure(u"A folder named \"" + name + u"\" already exists in \"" +
                           store.Folder(parent_).DisplayName() + u"\".");
    try {
        return std::make_shared<PstFolder>(store_, store.AddFolder(parent_, name, u"IPF.Note"));
    } catch (const pst::PstError& e) {
        throw StoreFailure(u"The folder \"" + name + u"\" could not be created: " + FromNative(e.what()));
    }
}

std::shared_ptr<StoreMessage> PstItems::Add(int messageType) {
    if (messageType != kMailMessageType) throw StoreFailure(u"Only mail messages can be added.");
    store_->Store();
    return std::make_shared<PstMessage>(store_, folder_);
}

}  // namespace ferrowick
