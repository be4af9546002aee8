#pragma once
// The desktop shell as the windows use it: open a link or folder, pick a folder, the
// user's desktop folder and the direct sub-folders of a folder. No call reports failure:
// a cancelled or failed action returns empty text or does nothing.
#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace ferrowick::ui {

// Opens a web address, folder or document with the desktop's default handler.
void OpenLink(const std::u16string& target);

// Modal folder chooser: the chosen path without a trailing separator (a root keeps its
// own), or empty when cancelled. It opens at startAt when that is a folder.
std::u16string BrowseForFolder(QWidget* owner, const std::u16string& title, const QString& startAt = {});
// The trailing-separator rule of BrowseForFolder, on its own.
QString WithoutTrailingSeparator(const QString& path);

// The user's desktop folder, or the home folder when there is no desktop folder.
std::u16string SpecialFolderPath();

struct SubFolder {
    std::u16string name;
    std::u16string path;  // full path, no trailing separator
};
// Direct sub-folders of root (which ends in its separator), in the file system's order.
std::vector<SubFolder> ListSubFolders(const std::u16string& root);

// Joins the site's base address (a build setting) and a help page path.
std::u16string HelpAddress(const char* path);

}  // namespace ferrowick::ui
