#include "store/open_store.hpp"

#include <system_error>

#include "engine/store_service.hpp"
#include "fs/text.hpp"
#include "pst/pst_error.hpp"
#include "store/new_store_file.hpp"

namespace ferrowick {
namespace {

std::u16string Text(const std::string& s) { return FromNative(s); }

// An existing file is added to only when it opens as a whole store of the kind we write;
// anything else is left untouched and the logon fails.
pst::PstStore OpenExisting(const std::filesystem::path& path, const std::u16string& shown) {
    try {
        pst::PstStore::Open(path, pst::OpenMode::ReadOnly);  // validate before asking for write access
        return pst::PstStore::Open(path, pst::OpenMode::ReadWrite);
    } catch (const pst::PstError& e) {
        throw StoreFailure(u"The file " + shown + u" already exists and cannot be added to: " + Text(e.what()));
    }
}

}  // namespace

std::shared_ptr<OpenStore> OpenStore::Logon(const std::u16string& path, const std::u16string& displayName) {
    if (path.empty()) throw StoreFailure(u"No file name was given for the store.");
    const std::filesystem::path native(ToNative(path));
    std::error_code error;
    const auto status = std::filesystem::symlink_status(native, error);
    if (!error && std::filesystem::exists(status)) {
        if (!std::filesystem::is_regular_file(std::filesystem::status(native, error)))
            throw StoreFailure(u"The file " + path + u" already exists and is not a .pst file.");
        // The name belongs to the user's existing store: it is kept as it is.
        return std::make_shared<OpenStore>(OpenExisting(native, path));
    }
    return std::make_shared<OpenStore>(CreateStoreFile(native, displayName));
}

OpenStore::OpenStore(pst::PstStore store) : store_(std::move(store)), lastCommit_(std::chrono::steady_clock::now()) {}

OpenStore::~OpenStore() {
    try {
        Close();
    } catch (...) {
        // A release cannot report; what was committed before stays on disk.
    }
}

pst::PstStore& OpenStore::Store() {
    if (!store_) throw StoreFailure(u"The store has been closed.");
    return *store_;
}

void OpenStore::Commit() {
    try {
        Store().Commit();
    } catch (const pst::PstError& e) {
        throw StoreFailure(u"The store could not be written: " + Text(e.what()));
    }
    lastCommit_ = std::chrono::steady_clock::now();
}

void OpenStore::MessageSaved() {
    if (Store().MessagesSinceCommit() >= kCommitEveryMessages ||
        std::chrono::steady_clock::now() - lastCommit_ >= kCommitEvery)
        Commit();
}

void OpenStore::CommitIfPending() {
    if (store_) Commit();
}

void OpenStore::Close() {
    if (!store_) return;
    Commit();
    store_.reset();
}

}  // namespace ferrowick
