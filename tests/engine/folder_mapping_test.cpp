#include <gtest/gtest.h>

#include "migration_fixture.hpp"

namespace ferrowick::testing {
namespace {

using Folders = std::vector<std::u16string>;

class FolderMapping : public MigrationTest {
protected:
    // Converts a tree of the given folders (each holding nothing) with the source root
    // tree/Src, written with or without its trailing separator.
    void MigrateFolders(std::initializer_list<std::string> relative, bool rootWithSeparator = false) {
        std::vector<std::u16string> queued;
        for (const auto& r : relative) queued.push_back(tree_.Folder("Src/" + r));
        state_.FolderQueue.Drop();
        int number = 0;
        for (const auto& q : queued) state_.FolderQueue.Add(DecimalText(number++) + u"Z", q);
        state_.MessageQueue.Drop();
        state_.MessageQueue.Add(u"1K", tree_.File("Src/top.txt"));
        state_.Settings.MessageCount = 1;
        Migrate(u"Src", tree_.Path("Src") + (rootWithSeparator ? kSep : u""));
    }
    const Folders& Created() { return Out().createdFolders; }
};

TEST_F(FolderMapping, InboxItselfIsNotCreatedItsSubFoldersGoIntoTheTopInbox) {
    MigrateFolders({"Inbox", "Inbox/Old"});
    EXPECT_EQ(Created(), (Folders{u"Inbox\\Old"}));
}

TEST_F(FolderMapping, DefaultFolderEndingsAreNeverCreatedAtAnyDepth) {
    MigrateFolders({"Archive", "Archive/Calendar", "Archive/Inbox", "Archive/Contacts", "Archive/Tasks",
                    "Archive/Notebook", "Archive/Conversations", "Archive/Emailed Contacts", "Archive/Sent", "Deep",
                    "Deep/A", "Deep/A/Calendar", "Calendar"});
    EXPECT_EQ(Created(), (Folders{u"Archive", u"Archive\\Inbox", u"Deep", u"Deep\\A"}));
}

TEST_F(FolderMapping, SentBelowARootWithoutSeparatorGoesIntoAPlainTopFolderCreatedFirst) {
    MigrateFolders({"Sent", "Sent/2014"});
    EXPECT_EQ(Created(), (Folders{u"Sent", u"Sent\\2014"}));
    EXPECT_TRUE(Out().HasFolder(u"Sent Items"));
}

TEST_F(FolderMapping, ARootEndingInItsSeparatorMapsInboxAndSentToTheStoresOwnFolders) {
    store_.inboxName = u"Posteingang";
    store_.sentItemsName = u"Gesendete Elemente";
    MigrateFolders({"Inbox", "Inbox/Old", "Sent", "Sent/2014", "Sent/2014/Q1", "Emailed Contacts", "Notes"},
                   /*rootWithSeparator=*/true);
    EXPECT_EQ(Created(),
              (Folders{u"Posteingang\\Old", u"Notes", u"Gesendete Elemente\\2014", u"Gesendete Elemente\\2014\\Q1"}));
}

TEST_F(FolderMapping, TopLevelNamesAreMatchedCaseSensitivelyAgainstExistingFolders) {
    // "inbox" is not "Inbox": it is added, and the store refuses the second folder of that
    // name; the failure is ignored and the next entry is still created.
    MigrateFolders({"inbox", "zeta"}, true);
    EXPECT_EQ(Created(), (Folders{u"zeta"}));
    EXPECT_TRUE(prompts_.shown.empty());
}

TEST_F(FolderMapping, TrailingSeparatorDuplicatesAndVanishedFoldersGiveOneEntry) {
    const auto a = tree_.Folder("Src/A");
    const auto b = tree_.Folder("Src/B");
    state_.FolderQueue.Add(u"0Z", a);
    state_.FolderQueue.Add(u"1Z", a + kSep);
    state_.FolderQueue.Add(u"2Z", tree_.Path("Src/Gone"));  // repeats the entry before it
    state_.FolderQueue.Add(u"3Z", b);
    state_.MessageQueue.Add(u"1K", tree_.File("Src/x.txt"));
    state_.Settings.MessageCount = 1;
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_EQ(Created(), (Folders{u"A", u"B"}));
    EXPECT_EQ(board_.Writes("LblCurrentDBX")[2], "Reading Folder(s)... \\A");
}

TEST_F(FolderMapping, FoldersAreCreatedInOrdinalOrderParentsFirst) {
    MigrateFolders({"b", "a", "a/z", "a/Y", "C", "B2"});
    EXPECT_EQ(Created(), (Folders{u"B2", u"C", u"a", u"a\\Y", u"a\\z", u"b"}));
}

TEST_F(FolderMapping, NamesDifferingOnlyInCaseShareOneStoreFolder) {
    // The store refuses a second sibling of the same name in another case; the children
    // of both source folders land in the one that was created first.
    MigrateFolders({"a", "a/x", "A", "A/y"});
    EXPECT_EQ(Created(), (Folders{u"A", u"A\\y", u"A\\x"}));
}

TEST_F(FolderMapping, PathsWithExclamationMarksCreateNoFolder) {
    MigrateFolders({"Proj!2", "Proj!2/x", "Plain"});
    EXPECT_EQ(Created(), (Folders{u"Plain"}));
}

TEST_F(FolderMapping, TheRootsTextDeeperDownIsKept) {
    // tree/Src/x/<tree>/Src: removing every occurrence of the root would mangle it.
    // The root's text without its top ("/" on Linux, "C:\" on Windows).
    const std::string fullRoot = ToUtf8(tree_.Path("Src"));
    const std::string rootText = fullRoot.substr(fullRoot.find(kSep8) + 1);
    std::vector<std::string> chain{"x"};
    std::string below = "x";
    for (std::size_t start = 0; start <= rootText.size();) {
        const auto cut = std::min(rootText.find(kSep8, start), rootText.size());
        below += "/" + rootText.substr(start, cut - start);
        chain.push_back(below);
        start = cut + 1;
    }
    state_.FolderQueue.Drop();
    int number = 0;
    for (const auto& c : chain) state_.FolderQueue.Add(DecimalText(number++) + u"Z", tree_.Folder("Src/" + c));
    state_.MessageQueue.Add(u"1K", tree_.File("Src/" + chain.back() + "/deep.msg"));
    state_.Settings.MessageCount = 1;
    Migrate(u"Src", tree_.Path("Src"));

    std::string expected = chain.back();
    std::replace(expected.begin(), expected.end(), '/', '\\');
    ASSERT_EQ(Created().size(), chain.size());
    EXPECT_EQ(U8(Created().back()), expected);
    EXPECT_EQ(Out().SavedIn(FromUtf8(expected)).size(), 1u);
}

TEST_F(FolderMapping, AMissingParentThatCannotBeAddedLeavesTheEntryUncreatedAndEnds) {
    store_.addFailsFor = {u"Sent"};
    const auto file = tree_.File("Src/Sent/2014/a.msg");
    state_.FolderQueue.Add(u"0Z", tree_.Path("Src/Sent"));
    state_.FolderQueue.Add(u"1Z", tree_.Path("Src/Sent/2014"));
    state_.FolderQueue.Add(u"2Z", tree_.Folder("Src/Later"));
    state_.MessageQueue.Add(u"1K", file);
    state_.Settings.MessageCount = 1;
    Migrate(u"Src", tree_.Path("Src"));

    EXPECT_EQ(Created(), (Folders{u"Later"}));
    ASSERT_EQ(state_.Report.NotConvertedCount(), 1u);
    EXPECT_EQ(U8(state_.Report.folders[0].notConverted[0].reason),
              "Folder \"Sent\" does not exist (The folder could not be created)");
    EXPECT_EQ(Out().SavedCount(), 0u);
    EXPECT_EQ(Out().messages.size(), 0u);
}

TEST_F(FolderMapping, CreatingFoldersReportsEachOnTheBoard) {
    MigrateFolders({"Archive", "Archive/2014"});
    const auto writes = board_.Writes("LblCurrentDBX");
    EXPECT_NE(std::find(writes.begin(), writes.end(), "Creating Outlook Folders... 2014"), writes.end());
    EXPECT_NE(std::find(writes.begin(), writes.end(), "Creating Outlook Folders... Archive"), writes.end());
}

}  // namespace
}  // namespace ferrowick::testing
