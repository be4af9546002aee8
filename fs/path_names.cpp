#include "fs/path_names.hpp"

#include "fs/path_separator.hpp"

namespace ferrowick::fs {
namespace {

constexpr std::u16string_view kFtpPrefix = u"ftp://";

char16_t LowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithFtp(std::u16string_view path) {
    if (path.size() < kFtpPrefix.size()) return false;
    for (std::size_t i = 0; i < kFtpPrefix.size(); ++i)
        if (LowerAscii(path[i]) != kFtpPrefix[i]) return false;
    return true;
}

// 1-based position of the last separator, searching from the second-to-last character so
// that a trailing separator is ignored; 0 when there is none.
std::size_t LastSeparatorPosition(std::u16string_view path, char16_t separator) {
    if (path.size() < 2) return 0;
    for (std::size_t i = path.size() - 1; i-- > 0;)
        if (path[i] == separator) return i + 1;
    return 0;
}

}  // namespace

std::u16string ToLongPath(std::u16string_view path) {
    std::u16string result;
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
        result = u"\\\\?\\UNC\\";
        result.append(path.substr(2));
    } else {
        result = u"\\\\?\\";
        result.append(path);
    }
    result.push_back(u'\0');
    return result;
}

PathKind PathKindOf(std::u16string_view path) {
    if (StartsWithFtp(path)) return kFtpPath;
    if (path.size() >= 2 && path[0] == kPathSeparator && path[1] == kPathSeparator) return kUncPath;
    return kLocalPath;
}

void ParsePath(std::u16string_view path, FileEntry& entry) {
    entry.Kind = PathKindOf(path);
    if (entry.Kind == kFtpPath) return;
    const std::size_t p = LastSeparatorPosition(path, kPathSeparator);
    const std::size_t smallest = entry.Kind == kUncPath ? 3 : 1;
    entry.ParentFolder = p < smallest ? std::u16string() : std::u16string(path.substr(0, p));
}

std::u16string AddBackslash(std::u16string_view path) {
    const std::size_t first = path.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return kPathSeparatorText;
    const std::size_t last = path.find_last_not_of(u' ');
    std::u16string result(path.substr(first, last - first + 1));
    if (result.back() != kPathSeparator) result.push_back(kPathSeparator);
    return result;
}

std::u16string TrimAtNull(std::u16string_view text) { return std::u16string(TrimAtNullView(text)); }

std::u16string_view TrimAtNullView(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }

std::u16string ExtensionOf(std::u16string_view name) {
    const std::size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string() : std::u16string(name.substr(dot + 1));
}

std::u16string FullPathOf(std::u16string_view parentFolder, std::u16string_view name) {
    std::u16string result(parentFolder);
    result.append(name);
    return result;
}

std::u16string FileNameOf(const std::u16string& path, char16_t separator) {
    const auto last = path.rfind(separator);
    if (last == std::u16string::npos) return path;
    return path.substr(last + 1);
}

std::u16string ParentFolderOf(const std::u16string& path, char16_t separator) {
    return path.substr(0, path.size() - FileNameOf(path, separator).size());
}

}  // namespace ferrowick::fs
