#include "store/new_store_file.hpp"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "fs/text.hpp"
#include "pst/ndb/file_io.hpp"
#include "seams/store_service.hpp"
#include "store/unnamed_file.hpp"

namespace ferrowick {
namespace {

constexpr char kTemporarySuffix[] = ".tmp";
constexpr std::size_t kRandomDigits = 16;

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path FromUtf8Name(const std::string& name) { return std::u8string(name.begin(), name.end()); }

std::string TemporaryPrefix(const std::filesystem::path& path) { return "." + Utf8(path.filename()) + "."; }

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    char digits[32];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(engine()));
    return path.parent_path() / FromUtf8Name(TemporaryPrefix(path) + digits + kTemporarySuffix);
}

bool IsTemporaryOf(const std::string& name, const std::filesystem::path& path) {
    const std::string prefix = TemporaryPrefix(path);
    const std::size_t suffix = sizeof kTemporarySuffix - 1;
    if (name.size() != prefix.size() + kRandomDigits + suffix || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix, suffix, kTemporarySuffix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < prefix.size() + kRandomDigits; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

std::u16string Text(const std::filesystem::path& path) { return FromNative(Utf8(path)); }

// Errors of the file under construction name the file the user asked for.
std::u16string Shown(std::string what, const std::filesystem::path& where, const std::filesystem::path& path) {
    const std::string from = Utf8(where), to = Utf8(path);
    for (std::size_t at = what.find(from); at != std::string::npos; at = what.find(from, at + to.size()))
        what.replace(at, from.size(), to);
    return FromNative(what);
}

}  // namespace

void RemoveStaleTemporaries(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!IsTemporaryOf(Utf8(it->path().filename()), path)) continue;
        if (!it->is_regular_file(error) || pst::IsLockedForWriting(it->path())) continue;
        std::error_code ignored;
        std::filesystem::remove(it->path(), ignored);
    }
}

std::optional<pst::PstStore> CreateStoreFile(const std::filesystem::path& path, const std::u16string& displayName) {
    RemoveStaleTemporaries(path);
    const int unnamed = OpenUnnamed(path.parent_path());
    const std::filesystem::path temporary = unnamed >= 0 ? std::filesystem::path() : TemporaryBeside(path);
    const std::filesystem::path where = unnamed >= 0 ? UnnamedFilePath(unnamed) : temporary;
    const auto removeTemporary = [&] {
        if (temporary.empty()) return;
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    };
    std::optional<pst::PstStore> store;
    try {
        pst::CreateOptions options;
        options.fill_empty_file = unnamed >= 0;  // reopened through /proc: it exists, empty
        store.emplace(pst::PstStore::Create(where, displayName, options));
    } catch (const std::exception& e) {
        if (unnamed >= 0) CloseUnnamed(unnamed);
        if (!dynamic_cast<const pst::FileExists*>(&e)) removeTemporary();  // else not ours
        throw StoreFailure(u"The file " + Text(path) + u" could not be created: " + Shown(e.what(), where, path));
    }
    if (unnamed >= 0) CloseUnnamed(unnamed);  // the store has its own descriptor, which holds the lock
    // A link never replaces an existing file: it fails with EEXIST instead.
    const int error = store->Database().LinkAs(path);
    if (error != 0) store.reset();  // closed first: an open file cannot be removed everywhere
    removeTemporary();
    if (error == EEXIST) return std::nullopt;
    if (error != 0)
        throw StoreFailure(u"The file " + Text(path) + u" could not be created: " + FromNative(std::strerror(error)));
    SyncFolder(path.parent_path());
    return store;
}

}  // namespace ferrowick
