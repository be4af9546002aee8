#include "store/new_store_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "engine/store_service.hpp"
#include "fs/text.hpp"

namespace ferrowick {
namespace {

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(engine()));
    return path.parent_path() / ("." + path.filename().string() + suffix);
}

// The new name must survive a crash too: flush the folder's entry.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::u16string Text(const std::filesystem::path& path) { return FromNative(path.string()); }

}  // namespace

pst::PstStore CreateStoreFile(const std::filesystem::path& path, const std::u16string& displayName) {
    const std::filesystem::path temporary = TemporaryBeside(path);
    std::optional<pst::PstStore> store;
    try {
        store.emplace(pst::PstStore::Create(temporary, displayName));
    } catch (const std::exception& e) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw StoreFailure(u"The file " + Text(path) + u" could not be created: " + FromNative(e.what()));
    }
    // link() never replaces an existing file: it fails with EEXIST instead.
    if (::link(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        if (error == EEXIST) throw StoreFailure(u"The file " + Text(path) + u" already exists.");
        throw StoreFailure(u"The file " + Text(path) + u" could not be created: " + FromNative(std::strerror(error)));
    }
    ::unlink(temporary.c_str());
    SyncFolder(path.parent_path());
    return std::move(*store);
}

}  // namespace ferrowick
