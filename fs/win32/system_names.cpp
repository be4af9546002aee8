#include "fs/win32/system_names.hpp"

#include <windows.h>

#include "fs/path_names.hpp"

namespace ferrowick::fs::win32 {
namespace {

constexpr std::size_t kShortPathLimit = MAX_PATH - 1;  // 259 characters and the NUL

bool IsDriveAbsolute(std::u16string_view path) {
    return path.size() >= 3 && ((path[0] | 0x20) >= u'a' && (path[0] | 0x20) <= u'z') && path[1] == u':' &&
           path[2] == u'\\';
}

// "\\server\share...", but not "\\?\" or "\\.\", which already say how to read them.
bool IsUncPath(std::u16string_view path) {
    return path.size() >= 3 && path[0] == u'\\' && path[1] == u'\\' && path[2] != u'?' && path[2] != u'.' &&
           path[2] != u'\\';
}

bool HasDotNamesOrSlashes(std::u16string_view path) {
    if (path.find(u'/') != std::u16string_view::npos) return true;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        const std::u16string_view name = path.substr(start, end - start);
        if (name == u"." || name == u"..") return true;
        start = end + 1;
    }
    return false;
}

std::u16string FullPathName(std::u16string_view path) {
    const std::wstring given = Wide(path);
    DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::u16string(path);
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    full.resize(size);
    return FromWide(full);
}

}  // namespace

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::wstring WidePath(std::u16string_view path) {
    if ((IsDriveAbsolute(path) || IsUncPath(path)) && !HasDotNamesOrSlashes(path)) {
        std::u16string extended = ToLongPath(path);
        extended.pop_back();  // the NUL: the wide string keeps its own
        return Wide(extended);
    }
    if (path.size() > kShortPathLimit) {
        const std::u16string full = FullPathName(path);
        if ((IsDriveAbsolute(full) || IsUncPath(full)) && !HasDotNamesOrSlashes(full)) return WidePath(full);
    }
    return Wide(path);
}

std::string AnsiPath(std::u16string_view path) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size, nullptr, nullptr);
    return ansi;
}

std::u16string FromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return FromWide(wide);
}

}  // namespace ferrowick::fs::win32
