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
    selection.single = true;
    prompts.savePaths.push_back(std::nullopt);
    Queue({}, {tree.File("Src/a.msg")});
    Migrate(u"Src", tree.Path("Src"));

    EXPECT_EQ(prompts.singleWindowCloses, 1);
    EXPECT_TRUE(state.OutputPstPath.empty());
    EXPECT_TRUE(store.calls.empty());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(board.log.empty());
    EXPECT_EQ(state.MessageQueue.Count(), 1u);  // the queues are left as they are
}

TEST_F(OpenOutputStore, SavePromptProposesNameAndStampAndTheChosenPathIsUsed) {
    selection.single = true;
    const std::u16string chosen = tree.Path("out") + u"/Chosen.pst";
    prompts.savePaths.push_back(chosen);
    Queue({}, {tree.File("Src/a.msg")});
    Migrate(u"Inbox", tree.Path("Src"));

    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    EXPECT_EQ(U8(prompts.saveRequests[0].first), "Outlook Data File(s) (*.pst)|*.pst");
    EXPECT_EQ(U8(prompts.saveRequests[0].second), "Inbox6.12.26 21.5.09.pst");
    EXPECT_EQ(state.OutputPstPath, chosen);
    EXPECT_EQ(Out().path, chosen);
    EXPECT_TRUE(std::filesystem::exists(ToNative(chosen)));
    EXPECT_EQ(prompts.singleWindowCloses, 0);
}

TEST_F(OpenOutputStore, MultipleFolderModeNamesTheFileAfterTheFolderInTheTrimmedOutputFolder) {
    selection.outputFolder = u"  " + tree.Path("out") + u"  ";
    Queue({}, {tree.File("Projects/a.msg")});
    Migrate(u"Projects", tree.Path("Projects"));

    EXPECT_TRUE(prompts.saveRequests.empty());
    EXPECT_EQ(state.OutputFolder, tree.Path("out"));
    EXPECT_EQ(state.OutputPstPath, tree.Path("out") + u"/Projects.pst");
    EXPECT_EQ(U8(Out().displayName), "Projects : Created - 6.12.26 21.5.09");
    EXPECT_EQ(Out().format, 1);
    EXPECT_TRUE(Out().validated);
    EXPECT_EQ(state.StoreEntryID, Out().entryId);
    EXPECT_TRUE(std::filesystem::exists(ToNative(state.OutputPstPath)));
}

TEST_F(OpenOutputStore, PreparesTheBoardThenReportsEachStep) {
    Queue({}, {tree.File("Src/a.msg")});
    Migrate(u"Src", tree.Path("Src"));

    const std::vector<std::string> opening(board.log.begin(), board.log.begin() + 8);
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
    Queue({}, {tree.File("A/a.msg")});
    Migrate(u"A", tree.Path("A"));
    clock.now = {2027, 1, 2, 3, 4, 5};
    Queue({}, {tree.File("B/b.msg")});
    Migrate(u"B", tree.Path("B"));

    ASSERT_EQ(store.stores.size(), 2u);
    EXPECT_EQ(U8(store.Store(0).displayName), "A : Created - 6.12.26 21.5.09");
    EXPECT_EQ(U8(store.Store(1).displayName), "B : Created - 2.1.27 3.4.05");
    EXPECT_EQ(store.Store(1).path, tree.Path("out") + u"/B.pst");
    EXPECT_EQ(store.CallCount("Logoff"), 2);
    EXPECT_EQ(store.CallCount("SessionReleased"), 2);
}

TEST_F(OpenOutputStore, NoSessionShowsTheOutlookErrorBoxWithTheStoresReason) {
    store.sessionFailure = u"The message-store library is not available";
    Queue({}, {tree.File("Src/a.msg"), tree.File("Src/b.txt")});
    Migrate(u"Src", tree.Path("Src"));

    ASSERT_EQ(prompts.shown.size(), 1u);
    const auto& box = prompts.shown[0];
    EXPECT_EQ(U8(box.title), "Outlook Error");
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(U8(box.text), kErrorLines + "The message-store library is not available");
    EXPECT_TRUE(board.Writes("LblCurrentDBX").empty());  // no "Outlook Session Created..."
    EXPECT_EQ(board.Writes("CmdSkip.Enabled"), std::vector<std::string>{"true"});
    EXPECT_EQ(state.MessageQueue.Count(), 2u);  // nothing discarded

    // The folder's message file is listed as not converted; the text file is no message.
    ASSERT_EQ(state.Report.NotConvertedCount(), 1u);
    EXPECT_EQ(state.Report.folders[0].notConverted[0].path, tree.Path("Src/a.msg"));
}

TEST_F(OpenOutputStore, AStoreThatCannotBeCreatedNamesTheReason) {
    selection.outputFolder = tree.Path("no such folder");
    Queue({}, {tree.File("Src/a.msg")});
    Migrate(u"Src", tree.Path("Src"));

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(U8(prompts.shown[0].text),
              kErrorLines + "The file " + U8(tree.Path("no such folder")) + "/Src.pst could not be created");
    EXPECT_EQ(board.Writes("LblCurrentDBX"), std::vector<std::string>{"Outlook Session Created..."});
    EXPECT_EQ(store.CallCount("Logoff"), 0);
}

TEST_F(OpenOutputStore, LogonFailureEndsTheCallBeforeAnyFolderWork) {
    store.logonFailure = u"Access is denied";
    Queue({tree.Folder("Src/X")}, {tree.File("Src/X/a.msg")});
    Migrate(u"Src", tree.Path("Src"));

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(U8(prompts.shown[0].text).ends_with("\r\nAccess is denied"));
    EXPECT_TRUE(store.stores.empty());
    EXPECT_TRUE(board.Writes("FrameConversion").empty());
}

}  // namespace
}  // namespace ferrowick::testing
