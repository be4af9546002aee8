#include <gtest/gtest.h>

#include <filesystem>

#include "migration_fixture.hpp"

namespace ferrowick::testing {
namespace {

using OpenOutputStore = MigrationTest;

const std::string kErrorLines =
    "Outlook Session Creation Error !\r\n"
    "Check if Outlook is installed and configured.\r\n"
    "If Outlook 2013/2010 (64 Bit) is installed, then please try to re-install it as Outlook "
    "2013/2010 (32 Bit).\r\n"
    "Here are steps to downgrade Outlook 2013/2010 to 32 Bit from 64 Bit Edition.\r\n"
    "https://www.halvernook.example/help/downgrade-office-2010-to-32-bit.pdf\r\n";

TEST_F(OpenOutputStore, CancelledSavePromptClosesTheWindowAndConvertsNothing) {
    selection_.single = true;
    prompts_.savePaths.push_back(std::nullopt);
    Queue({}, {tree_.File("Src/a.msg")});
    Migrate(u"Src", tree_.Path("Src"));

    EXPECT_EQ(prompts_.singleWindowCloses, 1);
    EXPECT_TRUE(state_.OutputPstPath.empty());
    EXPECT_TRUE(store_.calls.empty());
    EXPECT_TRUE(prompts_.shown.empty());
    EXPECT_TRUE(board_.log.empty());
    EXPECT_EQ(state_.MessageQueue.Count(), 1u);  // the queues are left as they are
}

TEST_F(OpenOutputStore, SavePromptProposesNameAndStampAndTheChosenPathIsUsed) {
    selection_.single = true;
    const std::u16string chosen = tree_.Path("out") + kSep + u"Chosen.pst";
    prompts_.savePaths.push_back(chosen);
    Queue({}, {tree_.File("Src/a.msg")});
    Migrate(u"Inbox", tree_.Path("Src"));

    ASSERT_EQ(prompts_.saveRequests.size(), 1u);
    EXPECT_EQ(U8(prompts_.saveRequests[0].first), "Outlook Data File(s) (*.pst)|*.pst");
    EXPECT_EQ(U8(prompts_.saveRequests[0].second), "Inbox6.12.26 21.5.09.pst");
    EXPECT_EQ(state_.OutputPstPath, chosen);
    EXPECT_EQ(Out().path, chosen);
    EXPECT_TRUE(std::filesystem::exists(ToNative(chosen)));
    EXPECT_EQ(prompts_.singleWindowCloses, 0);
}

TEST_F(OpenOutputStore, MultipleFolderModeNamesTheFileAfterTheFolderInTheTrimmedOutputFolder) {
    selection_.outputFolder = u"  " + tree_.Path("out") + u"  ";
    Queue({}, {tree_.File("Projects/a.msg")});
    Migrate(u"Projects", tree_.Path("Projects"));

    EXPECT_TRUE(prompts_.saveRequests.empty());
    EXPECT_EQ(state_.OutputFolder, tree_.Path("out"));
    EXPECT_EQ(state_.OutputPstPath, tree_.Path("out") + kSep + u"Projects.pst");
    EXPECT_EQ(U8(Out().displayName), "Projects : Created - 6.12.26 21.5.09");
    EXPECT_EQ(Out().format, 1);
    EXPECT_TRUE(Out().validated);
    EXPECT_EQ(state_.StoreEntryID, Out().entryId);
    EXPECT_TRUE(std::filesystem::exists(ToNative(state_.OutputPstPath)));
}

TEST_F(OpenOutputStore, PreparesTheBoardThenReportsEachStep) {
    Queue({}, {tree_.File("Src/a.msg")});
    Migrate(u"Src", tree_.Path("Src"));

    const std::vector<std::string> opening(board_.log.begin(), board_.log.begin() + 8);
    EXPECT_EQ(opening, (std::vector<std::string>{
                           "ProgressRange=0..100",
                           "CmdLocate.Enabled=true",
                           "CmdStopMigration.Visible=true",
                           "CmdStopMigration.Enabled=true",
                           "CmdSkip.Enabled=true",
                           "LblCurrentDBX=Outlook Session Created...",
                           "LblCurrentDBX=Reading Folder(s)...",
                           "LblCurrentDBX=Creating Outlook Folders...",
                       }));
}

TEST_F(OpenOutputStore, EachCallHasItsOwnStampAndStore) {
    Queue({}, {tree_.File("A/a.msg")});
    Migrate(u"A", tree_.Path("A"));
    clock_.now = {2027, 1, 2, 3, 4, 5};
    Queue({}, {tree_.File("B/b.msg")});
    Migrate(u"B", tree_.Path("B"));

    ASSERT_EQ(store_.stores.size(), 2u);
    EXPECT_EQ(U8(store_.Store(0).displayName), "A : Created - 6.12.26 21.5.09");
    EXPECT_EQ(U8(store_.Store(1).displayName), "B : Created - 2.1.27 3.4.05");
    EXPECT_EQ(store_.Store(1).path, tree_.Path("out") + kSep + u"B.pst");
    EXPECT_EQ(store_.CallCount("Logoff"), 2);
    EXPECT_EQ(store_.CallCount("SessionReleased"), 2);
}

TEST_F(OpenOutputStore, NoSessionShowsTheOutlookErrorBoxWithTheStoresReason) {
    store_.sessionFailure = u"The message-store library is not available";
    Queue({}, {tree_.File("Src/a.msg"), tree_.File("Src/b.txt")});
    Migrate(u"Src", tree_.Path("Src"));

    ASSERT_EQ(prompts_.shown.size(), 1u);
    const auto& box = prompts_.shown[0];
    EXPECT_EQ(U8(box.title), "Outlook Error");
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(U8(box.text), kErrorLines + "The message-store library is not available");
    EXPECT_TRUE(board_.Writes("LblCurrentDBX").empty());  // no "Outlook Session Created..."
    EXPECT_EQ(board_.Writes("CmdSkip.Enabled"), std::vector<std::string>{"true"});
    EXPECT_EQ(state_.MessageQueue.Count(), 2u);  // nothing discarded

    // The folder's message file is listed as not converted; the text file is no message.
    ASSERT_EQ(state_.Report.NotConvertedCount(), 1u);
    EXPECT_EQ(state_.Report.folders[0].notConverted[0].path, tree_.Path("Src/a.msg"));
}

TEST_F(OpenOutputStore, AStoreThatCannotBeCreatedNamesTheReason) {
    selection_.outputFolder = tree_.Path("no such folder");
    Queue({}, {tree_.File("Src/a.msg")});
    Migrate(u"Src", tree_.Path("Src"));

    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(U8(prompts_.shown[0].text),
              kErrorLines + "The file " + U8(tree_.Path("no such folder")) + kSep8 + "Src.pst could not be created");
    EXPECT_EQ(board_.Writes("LblCurrentDBX"), std::vector<std::string>{"Outlook Session Created..."});
    EXPECT_EQ(store_.CallCount("Logoff"), 0);
}

TEST_F(OpenOutputStore, LogonFailureEndsTheCallBeforeAnyFolderWork) {
    store_.logonFailure = u"Access is denied";
    Queue({tree_.Folder("Src/X")}, {tree_.File("Src/X/a.msg")});
    Migrate(u"Src", tree_.Path("Src"));

    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_TRUE(U8(prompts_.shown[0].text).ends_with("\r\nAccess is denied"));
    EXPECT_TRUE(store_.stores.empty());
    EXPECT_TRUE(board_.Writes("FrameConversion").empty());
}

}  // namespace
}  // namespace ferrowick::testing
