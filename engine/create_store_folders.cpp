#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/ignoring_failures.hpp"
#include "engine/migration_call.hpp"
#include "engine/store_paths.hpp"

namespace ferrowick {
namespace {

// Entries ending like this are never created below the top: Outlook keeps folders of
// these kinds itself. "\Inbox" counts only as the whole entry.
constexpr std::u16string_view kDefaultFolderSuffixes[] = {
    u"\\Calendar", u"\\Contacts", u"\\Emailed Contacts", u"\\Tasks", u"\\Sent", u"\\Notebook", u"\\Conversations",
};

bool IsDefaultFolderEntry(const std::u16string& entry) {
    if (entry == u"\\Inbox") return true;
    for (const auto suffix : kDefaultFolderSuffixes)
        if (entry.ends_with(suffix)) return true;
    return false;
}

std::vector<std::u16string> SplitAtStoreSeparator(const std::u16string& text) {
    std::vector<std::u16string> parts(1);
    for (const char16_t c : text) {
        if (c == kStoreSeparator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// The text after the first marker, up to a second marker if there is one.
std::u16string TextAfterFirst(const std::u16string& text, std::u16string_view marker) {
    const auto first = text.find(marker);
    if (first == std::u16string::npos) return text;
    const auto start = first + marker.size();
    const auto second = text.find(marker, start);
    return text.substr(start, second == std::u16string::npos ? std::u16string::npos : second - start);
}

// The X of the store's "Folder "X" does not exist"; nothing for any other failure.
std::optional<std::u16string> MissingFolderName(const std::u16string& description) {
    constexpr std::u16string_view kPrefix = u"Folder \"";
    constexpr std::u16string_view kSuffix = u"\" does not exist";
    if (description.size() < kPrefix.size() + kSuffix.size() || !description.starts_with(kPrefix) ||
        !description.ends_with(kSuffix))
        return std::nullopt;
    return description.substr(kPrefix.size(), description.size() - kPrefix.size() - kSuffix.size());
}

}  // namespace

// "\\" + store name + the store path (a leading "\" already separates it, or one is added).
std::u16string MigrationCall::FullStorePath(const std::u16string& path) const {
    if (!path.empty() && path.front() == kStoreSeparator) return u"\\\\" + storeDisplayName_ + path;
    return u"\\\\" + storeDisplayName_ + u"\\" + path;
}

// One store folder per entry of the folder list, parents first (the list is sorted).
// Each store call may fail on its own: the entry is then simply not created.
void MigrationCall::CreateStoreFolders() {
    const std::size_t upper = folderList_.size() - 1;
    for (std::size_t index = 0; index <= upper; ++index) {
        folderIndex_ = static_cast<std::int32_t>(index);
        std::u16string& entry = folderList_[index];
        if (entry.empty() || entry.find(u'!') != std::u16string::npos) continue;
        seams_.yielder.Yield();
        // A path that kept its drive because the source root did not match loses it here.
        if (entry.find(u":\\") != std::u16string::npos) entry = TextAfterFirst(entry, u":\\");
        if (entry.find(kStoreSeparator) == std::u16string::npos)
            CreateTopLevelFolder(entry);
        else
            CreateNestedFolder(entry);
    }
}

void MigrationCall::CreateTopLevelFolder(std::u16string& entry) {
    std::shared_ptr<MessageStore> store;
    Attempt([&] { store = Held(session_->Stores()).GetStoreFromID(storeEntryId_); });
    std::u16string found;
    if (entry == u"Inbox") entry = inboxName_;
    if (entry == u"Sent") entry = sentItemsName_;

    std::shared_ptr<StoreFolders> topFolders;
    Attempt([&] { topFolders = Held(Held(store).IPMRootFolder()).Folders(); });
    std::size_t count = 0;
    Attempt([&] { count = Held(topFolders).Count(); });
    for (std::size_t i = 0; i < count; ++i) {
        seams_.yielder.Yield();
        Attempt([&] {
            const std::u16string name = Held(Held(topFolders).Item(i)).Name();
            if (name == entry) found = name;
        });
    }

    if (found.empty() && entry != u"Emailed Contacts") {
        if (entry != u"Sent" && entry != u"Inbox") Attempt([&] { Held(topFolders).Add(entry, kMailFolderType); });
        seams_.board.SetCurrentDbx(u"Creating Outlook Folders... " + entry);
    }
    seams_.yielder.Yield();
}

void MigrationCall::CreateNestedFolder(const std::u16string& entry) {
    if (IsDefaultFolderEntry(entry)) return;
    const auto parts = SplitAtStoreSeparator(entry);
    const std::u16string leafName = parts.back();
    const std::u16string parentName = parts[parts.size() - 2];
    const std::u16string prefix = entry.substr(0, entry.size() - leafName.size() - 1);

    std::u16string parentPath;
    if (parentName == u"Inbox") {
        Attempt([&] { parentPath = DefaultFolderName(kDefaultFolderInbox); });
    } else {
        seams_.yielder.Yield();
        parentPath = prefix;
    }
    if (parentPath == u"Sent" || parentPath.starts_with(u"Sent\\")) {
        if (parentPath == u"Sent")
            Attempt([&] { parentPath = DefaultFolderName(kDefaultFolderSentItems); });
        else
            parentPath = sentItemsName_ + u"\\" + parentPath.substr(5);
    } else {
        seams_.yielder.Yield();
        // Replaces the Inbox name read above on purpose: a parent "Inbox" at the top comes
        // back as InboxName just below, a deeper one keeps its own path. The read above
        // stays for the store call it makes, in the order this phase has always made them.
        parentPath = prefix;
        if (parentPath == u"Inbox") parentPath = inboxName_;
        if (parentPath == u"Sent") parentPath = sentItemsName_;
    }
    if (parentPath.find(u"\\Inbox\\") != std::u16string::npos)
        parentPath = inboxName_ + u"\\" + TextAfterFirst(parentPath, u"\\Inbox\\");

    std::shared_ptr<StoreFolder> parent;
    const auto lookupFailure = Attempt([&] { parent = session_->GetFolderFromPath(FullStorePath(parentPath)); });
    if (lookupFailure) parent = CreateMissingParents(parentPath, *lookupFailure);

    seams_.yielder.Yield();
    Attempt([&] { Held(Held(parent).Folders()).Add(leafName, kMailFolderType); });
    seams_.yielder.Yield();
    seams_.board.SetCurrentDbx(u"Creating Outlook Folders... " + leafName);
}

// Creates the folders missing above an entry, one per round: the first at the store's
// top, each further one inside the folder named in the round before. A round that finds
// a folder missing that an earlier round already tried to create makes no progress, so
// the entry is left uncreated; so is one whose lookup failed for another reason. The
// rounds are bounded by the number of folders on the path.
std::shared_ptr<StoreFolder> MigrationCall::CreateMissingParents(const std::u16string& parentPath,
                                                                 std::u16string failure) {
    std::unordered_set<std::u16string> triedNames;
    std::u16string previousPath;
    const std::size_t maxRounds = SplitAtStoreSeparator(parentPath).size() + 1;
    for (std::size_t round = 0; round < maxRounds; ++round) {
        const bool firstRound = round == 0;
        const auto missing = MissingFolderName(failure);
        if (!missing || !triedNames.insert(*missing).second) return nullptr;
        seams_.yielder.Yield();

        std::optional<std::u16string> latestFailure;
        const auto note = [&](std::optional<std::u16string> f) {
            if (f) latestFailure = std::move(f);
        };
        std::shared_ptr<StoreFolder> base;
        note(Attempt(
            [&] { base = session_->GetFolderFromPath(u"\\\\" + (firstRound ? storeDisplayName_ : previousPath)); }));
        note(Attempt([&] { Held(Held(base).Folders()).Add(*missing, kMailFolderType); }));
        std::shared_ptr<StoreFolder> parent;
        note(Attempt([&] {
            parent = session_->GetFolderFromPath(missing->empty() ? u"\\\\" + storeDisplayName_ + u"\\"
                                                                  : FullStorePath(parentPath));
        }));
        if (parent) return parent;  // found, even if adding reported a failure

        previousPath = storeDisplayName_ + u"\\" + *missing;
        failure = *latestFailure;
    }
    return nullptr;
}

}  // namespace ferrowick

namespace ferrowick {

// The folder a message goes to, made on demand when the folder tree left it out (a source
// folder named like one of the store's own, "Sent" directly under a root given without a
// trailing separator, the part before a "!"): otherwise the message would be lost. Each
// missing folder on the path is added inside the one before it; nothing that exists is
// touched. Empty when a folder cannot be found or added; `failure` then says why (with the
// store's refusal to add the missing folder, when that was the cause); cleared on success.
std::shared_ptr<StoreFolder> MigrationCall::CreateTargetFolder(const std::u16string& target,
                                                               std::optional<std::u16string>& failure) {
    std::shared_ptr<StoreFolder> folder;
    if (auto top = Attempt([&] { folder = session_->GetFolderFromPath(FullStorePath(u"")); })) {
        failure = std::move(top);
        return nullptr;
    }
    std::u16string path;
    for (const auto& name : SplitAtStoreSeparator(target)) {
        if (name.empty()) continue;
        path += path.empty() ? name : u"\\" + name;
        std::shared_ptr<StoreFolder> next;
        const auto missing = Attempt([&] { next = session_->GetFolderFromPath(FullStorePath(path)); });
        if (missing && MissingFolderName(*missing)) {
            if (auto refused = Attempt([&] { next = Held(Held(folder).Folders()).Add(name, kMailFolderType); }))
                failure = *missing + u" (" + *refused + u")";
        }
        if (!next) return nullptr;
        folder = std::move(next);
    }
    failure.reset();
    return folder;
}

}  // namespace ferrowick
