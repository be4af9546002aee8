#include "store/open_store.hpp"

#include <system_error>

#include "fs/text.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/pst_error.hpp"
#include "seams/store_service.hpp"
#include "store/new_store_file.hpp"

namespace ferrowick {
namespace {

std::u16string Text(const std::string& s) { return FromNative(s); }

// Counters that lag behind the NIDs in use (stores written by our earlier versions) are
// raised from the file's own nodes before the writer hands out a NID, so they are mended, not
// refused.
bool RepairedByTheWriter(const pst::Finding& f) { return f.kind == "nid-counter"; }

// An existing file is added to only when no other program writes to it and it is a sound
// store of the kind we write (leaked space aside); anything else is left untouched, byte
// for byte, and the logon fails.
pst::PstStore OpenExisting(const std::filesystem::path& path, const std::u16string& shown) {
    try {
        pst::PstStore store = pst::PstStore::Open(path, pst::OpenMode::ReadWrite);  // takes the writer's lock
        for (const pst::Finding& f : pst::CheckPstFile(path))
            if (f.severity != pst::Severity::Leak && !RepairedByTheWriter(f))
                throw StoreFailure(u"The file " + shown + u" is damaged and is not added to (" + Text(f.where) + u": " +
                                   Text(f.what) + u"). Outlook's Inbox Repair Tool can mend it.");
        return store;
    } catch (const pst::FileInUse&) {
        throw StoreFailure(u"The file " + shown + u" is in use by another program.");
    } catch (const pst::PstError& e) {
        throw StoreFailure(u"The file " + shown + u" already exists and cannot be added to: " + Text(e.what()));
    }
}

std::shared_ptr<OpenStore> LogonExisting(const std::filesystem::path& native, const std::u16string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::status(native, error)))
        throw StoreFailure(u"The file " + path + u" already exists and is not a .pst file.");
    // The name belongs to the user's existing store: it is kept as it is. Nothing reaches the
    // file before the logon has gone through.
    return std::make_shared<OpenStore>(OpenExisting(native, path));
}

}  // namespace

std::shared_ptr<OpenStore> OpenStore::Logon(const std::u16string& path, const std::u16string& displayName) {
    if (path.empty()) throw StoreFailure(u"No file name was given for the store.");
    const std::filesystem::path native = ToPath(path);
    std::error_code error;
    const auto status = std::filesystem::symlink_status(native, error);
    if (!error && std::filesystem::exists(status)) return LogonExisting(native, path);
    if (auto created = CreateStoreFile(native, displayName)) return std::make_shared<OpenStore>(std::move(*created));
    // Another writer created the file meanwhile: it is added to, or refused as in use.
    return LogonExisting(native, path);
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

void OpenStore::Refuse() {
    readAhead_.Stop();
    store_.reset();
}

void OpenStore::Close() {
    readAhead_.Stop();
    if (!store_) return;
    Commit();
    store_.reset();
}

}  // namespace ferrowick
