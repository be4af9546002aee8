#pragma once
// The desktop shell as the windows use it. No call reports failure: a cancelled or failed
// action returns empty text or does nothing. The wizard holds them as replaceable
// functions so its windows can be driven without the shell's own dialogs.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// winbase.h's Yield() macro would hide the yielder seam's method.
#undef Yield

#include <functional>
#include <string>
#include <vector>

namespace ferrowick::winui {

struct SubFolder {
    std::wstring name;
    std::wstring path;  // full path, no trailing separator
};

struct ShellServices {
    // Opens a web address, folder or document with the shell's "open" verb.
    std::function<void(const std::wstring& target)> openLink;
    // The modal folder picker: a file-system path without a trailing separator (a drive
    // root keeps its own), or empty when cancelled.
    std::function<std::wstring(HWND owner, const std::wstring& title)> browseForFolder;
    // The user's Desktop folder.
    std::function<std::wstring()> specialFolderPath;
    // The direct sub-folders of root (which ends in a backslash), in the file system's order.
    std::function<std::vector<SubFolder>(const std::wstring& root)> listSubFolders;
};

// The real shell.
ShellServices DesktopShell();

// The picker's trailing-separator rule on its own: "C:\Data\" becomes "C:\Data", "C:\" stays.
std::wstring WithoutTrailingSeparator(std::wstring path);

// The site's base address (a build setting) and a help page path.
std::wstring HelpAddress(const char* path);

}  // namespace ferrowick::winui
