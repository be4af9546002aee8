#include "engine/migration_call.hpp"
#include "engine/store_paths.hpp"
#include "engine/trim_blanks.hpp"
#include "fs/path_names.hpp"

namespace ferrowick {
namespace {

void ReplaceEvery(std::u16string& text, std::u16string_view from, const std::u16string& to) {
    for (auto at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

std::u16string MigrationCall::MessageTargetPath(const std::u16string& item) const {
    std::u16string t = folderNames_.StorePath(RelativeToRoot(fs::ParentFolderOf(item), sourceRoot_));
    if (const auto bang = t.find(u'!'); bang != std::u16string::npos) t = TrimBlanks(t.substr(0, bang)) + u"\\";
    // Only a path without a leading "\" (a source root ending in its separator) can name
    // the store's Inbox or Sent Items here.
    if (t.starts_with(u"Inbox\\")) ReplaceEvery(t, u"Inbox", inboxName_);
    if (t.starts_with(u"Sent\\") && t.size() > 5) t = sentItemsName_ + t.substr(t.find(u'\\'));
    if (t == u"Sent\\") t = sentItemsName_ + u"\\";
    if (t.starts_with(u"\\")) t.erase(0, 1);
    return t;
}

}  // namespace ferrowick
