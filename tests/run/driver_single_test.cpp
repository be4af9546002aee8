#include <gtest/gtest.h>
#include <unistd.h>

#include "driver_fixture.hpp"

namespace ferrowick::testing {
namespace {

class SingleFolderRun : public DriverTest {
protected:
    SingleFolderRun() {
        selection_.single = true;
        selection_.sourceMailbox = tree_.Path("Mail");
        prompts_.savePaths.push_back(tree_.Path("out") + kSep + u"Mail.pst");
    }
};

const char kSingleDone[] =
    "Messages Converted Successfully.\r\n"
    "Open Converted Outlook Data file in Microsoft Outlook to View Converted Messages.";

TEST_F(SingleFolderRun, ThreeFilesAreDiscoveredAndConverted) {
    tree_.File("Mail/a.msg");
    tree_.File("Mail/b.msg");
    tree_.File("Mail/X/c.msg");
    Run();

    const auto counts = board_.Writes("lblCount1");
    EXPECT_EQ(counts.back(), "Migrating 3 items from " + U8(tree_.Path("Mail")) + kSep8);
    EXPECT_EQ(Captions(), std::vector<std::string>{"Conversion Status"});
    EXPECT_EQ(U8(prompts_.saveRequests.at(0).second), "Mail6.12.26 21.5.09.pst");
    EXPECT_EQ(U8(Out().displayName), "Mail : Created - 6.12.26 21.5.09");
    EXPECT_EQ(Out().SavedCount(), 3u);
    EXPECT_EQ(Out().SavedIn(u"X").size(), 1u);
    EXPECT_EQ(state_.Settings.MessageCount, 3);
    EXPECT_EQ(U8(state_.Settings.FilePattern), "*.*");

    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(U8(CompletionBox().title), "Completed");
    EXPECT_EQ(CompletionBox().icon, MessageIcon::Information);
    EXPECT_EQ(CompletionBox().buttons, MessageButtons::Ok);
    EXPECT_EQ(U8(CompletionBox().text), kSingleDone);
    EXPECT_TRUE(CompletionBox().details.empty());
    EXPECT_EQ(prompts_.singleWindowCloses, 0);
}

TEST_F(SingleFolderRun, TheBoardSequenceBeforeAndAfterTheEngine) {
    tree_.File("Mail/a.msg");
    Run();
    const auto& log = board_.log;
    const std::vector<std::string> opening(log.begin(), log.begin() + 4);
    EXPECT_EQ(opening, (std::vector<std::string>{
                           "CmdSkip.Enabled=false",
                           "lblCount1=1 Messages Queued for Conversion.",
                           "lblCount1=Migrating 1 items from " + U8(tree_.Path("Mail")) + kSep8,
                           "Caption=Conversion Status",
                       }));
    const std::vector<std::string> ending(log.end() - 3, log.end());
    EXPECT_EQ(ending, (std::vector<std::string>{"CmdSkip.Enabled=false", "CmdStopMigration.Enabled=false",
                                                "CmdStopMigration.Visible=false"}));
}

TEST_F(SingleFolderRun, AnEmptyFolderIsNotHandedToTheEngineButStillCompletes) {
    tree_.Folder("Mail");
    Run();
    EXPECT_EQ(board_.count1, u"Migrating 0 items from " + tree_.Path("Mail") + kSep);
    EXPECT_TRUE(store_.calls.empty());
    EXPECT_TRUE(prompts_.saveRequests.empty());
    EXPECT_TRUE(Captions().empty());
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(U8(CompletionBox().text), kSingleDone);
}

TEST_F(SingleFolderRun, ASourceEndingInItsSeparatorGivesTheEngineAnEmptyName) {
    tree_.File("Mail/a.msg");
    selection_.sourceMailbox = tree_.Path("Mail") + kSep;
    Run();
    EXPECT_EQ(U8(prompts_.saveRequests.at(0).second), "6.12.26 21.5.09.pst");
    EXPECT_EQ(U8(Out().displayName), " : Created - 6.12.26 21.5.09");
    EXPECT_EQ(Out().SavedIn(u"").size(), 1u);
}

TEST_F(SingleFolderRun, AStopLeftFromAnEarlierRunIsClearedAtTheStart) {
    tree_.File("Mail/a.msg");
    state_.Flags.StopRequested = true;
    Run();
    EXPECT_EQ(Out().SavedCount(), 1u);
    EXPECT_EQ(prompts_.singleWindowCloses, 0);
}

TEST_F(SingleFolderRun, AConfirmedStopClosesTheWindowAndEndsInTheEndState) {
    for (int i = 1; i <= 4; ++i) tree_.File("Mail/a" + std::to_string(i) + ".msg");
    yielder_.onYield = [this](long) {
        if (board_.currentDbx.ends_with(u"a2.msg)")) state_.Flags.StopRequested = true;
    };
    Run();
    EXPECT_EQ(Out().SavedCount(), 2u);
    EXPECT_EQ(board_.progressText, u"Stopped... at 50% Complete");
    EXPECT_EQ(U8(CompletionBox().text), kSingleDone);
    EXPECT_GE(prompts_.singleWindowCloses, 1);
    EXPECT_FALSE(board_.skipEnabled);
    EXPECT_FALSE(board_.stopEnabled);
    EXPECT_FALSE(board_.stopVisible);
}

TEST_F(SingleFolderRun, FilesThatCouldNotBeConvertedAddALineAndTheirList) {
    const auto good = tree_.File("Mail/a.msg");
    const auto bad = tree_.File("Mail/b.msg");
    store_.importFailsFor = {bad};
    Run();
    EXPECT_EQ(U8(CompletionBox().text),
              "1 message converted, 1 file could not be converted.\r\n"
              "Open Converted Outlook Data file in Microsoft Outlook to View Converted Messages.");
    EXPECT_EQ(CompletionBox().icon, MessageIcon::Warning);
    EXPECT_EQ(U8(CompletionBox().details),
              U8(tree_.Path("Mail")) + " (1 not converted):\r\n" + U8(bad) + ": The file is not a valid message file");
    EXPECT_EQ(state_.Report.ConvertedCount(), 1u);
}

TEST_F(SingleFolderRun, ACancelledSavePromptStillEndsWithTheCompletionBox) {
    tree_.File("Mail/a.msg");
    prompts_.savePaths.clear();
    prompts_.savePaths.push_back(std::nullopt);
    Run();
    EXPECT_TRUE(store_.calls.empty());
    EXPECT_EQ(prompts_.singleWindowCloses, 1);
    EXPECT_EQ(U8(CompletionBox().text), kSingleDone);
}

TEST_F(SingleFolderRun, ASecondStartDuringARunIsRefused) {
    tree_.File("Mail/a.msg");
    int nestedRuns = 0;
    yielder_.onYield = [&](long n) {
        if (n == 3) {
            ++nestedRuns;
            StartConversionClick(state_, seams_);
        }
    };
    Run();
    EXPECT_EQ(nestedRuns, 1);
    EXPECT_EQ(prompts_.shown.size(), 1u);  // one completion box: the nested call did nothing
    EXPECT_EQ(store_.stores.size(), 1u);
    EXPECT_FALSE(state_.RunInProgress);
}

#ifndef _WIN32  // symbolic links need a privilege on Windows
// Discovery's folder entries come first in the folder's list, and the box counts them apart
// from files.
TEST_F(SingleFolderRun, LinkedFoldersAreListedInTheCompletionBox) {
    tree_.File("Mail/a.msg");
    tree_.File("Elsewhere/b.msg");
    ASSERT_EQ(symlink(ToNative(tree_.Path("Elsewhere")).c_str(), ToNative(tree_.Path("Mail/Link")).c_str()), 0);
    Run();
    EXPECT_EQ(Out().SavedCount(), 1u);
    ASSERT_EQ(state_.Report.folders.size(), 1u);
    const auto& listed = state_.Report.folders[0].notConverted;
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].kind, NotConvertedKind::Folder);
    EXPECT_EQ(U8(CompletionBox().text),
              "1 message converted, 1 folder could not be converted.\r\n"
              "Open Converted Outlook Data file in Microsoft Outlook to View Converted Messages.");
    EXPECT_EQ(U8(CompletionBox().details), U8(tree_.Path("Mail")) + " (1 not converted):\r\n" +
                                               U8(tree_.Path("Mail/Link")) +
                                               ": symbolic link to a folder, not followed");
}
#endif

}  // namespace
}  // namespace ferrowick::testing
