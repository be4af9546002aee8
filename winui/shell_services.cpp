#include "winui/shell_services.hpp"

#include <shellapi.h>
#include <shlobj.h>

#include "engine/help_site.hpp"

namespace ferrowick::winui {

namespace {

void OpenLink(const std::wstring& target) {
    if (target.empty()) return;
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::wstring BrowseForFolder(HWND owner, const std::wstring& title) {
    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&request);
    if (!chosen) return {};
    std::wstring path(MAX_PATH, L'\0');
    const bool found = SHGetPathFromIDListW(chosen, path.data());
    CoTaskMemFree(chosen);
    if (!found) return {};
    path.resize(path.find(L'\0'));
    return WithoutTrailingSeparator(path);
}

std::wstring SpecialFolderPath() {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) return path;
    return {};
}

std::vector<SubFolder> ListSubFolders(const std::wstring& root) {
    std::vector<SubFolder> folders;
    WIN32_FIND_DATAW item;
    HANDLE listing =
        FindFirstFileExW((root + L"*").c_str(), FindExInfoBasic, &item, FindExSearchLimitToDirectories, nullptr, 0);
    if (listing == INVALID_HANDLE_VALUE) return folders;
    do {
        const std::wstring name = item.cFileName;
        if (!(item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..") continue;
        folders.push_back({name, root + name});
    } while (FindNextFileW(listing, &item));
    FindClose(listing);
    return folders;
}

}  // namespace

ShellServices DesktopShell() { return {OpenLink, BrowseForFolder, SpecialFolderPath, ListSubFolders}; }

std::wstring WithoutTrailingSeparator(std::wstring path) {
    // "C:\" and "\" are roots and keep their separator.
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/') && !(path.size() == 3 && path[1] == L':'))
        path.pop_back();
    return path;
}

std::wstring HelpAddress(const char* path) {
    std::wstring base;
    for (const char16_t* c = kHelpSite; *c; ++c) base += static_cast<wchar_t>(*c);
    while (!base.empty() && base.back() == L'/') base.pop_back();
    for (const char* c = path; *c; ++c) base += static_cast<wchar_t>(*c);
    return base;
}

}  // namespace ferrowick::winui
