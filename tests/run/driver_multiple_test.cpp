#include <gtest/gtest.h>

#include "driver_fixture.hpp"

namespace ferrowick::testing {
namespace {

const char kMultipleDone[] =
    "All Folders Converted Successfully.\r\n"
    "Open Converted Outlook Data file(s) in Microsoft Outlook to View Individual files.";

class MultipleFolderRun : public DriverTest {
protected:
    // Ten rows, named r1 ... r10, each a folder tree/Root/rN; the listed rows are checked.
    void TenRows(std::initializer_list<int> checked) {
        selection_.rows.clear();
        for (int i = 1; i <= 10; ++i) {
            const std::string name = "r" + std::to_string(i);
            selection_.rows.push_back(FolderRow{false, FromUtf8(name), tree_.Folder("Root/" + name)});
        }
        for (const int i : checked) selection_.rows[i - 1].Checked = true;
    }
    void Messages(int row, int count) {
        for (int k = 1; k <= count; ++k) tree_.File("Root/r" + std::to_string(row) + "/m" + std::to_string(k) + ".msg");
    }
};

TEST_F(MultipleFolderRun, CaptionsCountEveryRowCheckedOrNot) {
    TenRows({2, 5, 9});
    Messages(2, 1);
    Messages(5, 2);
    Messages(9, 3);
    Run();

    EXPECT_EQ(Captions(), (std::vector<std::string>{"Converting 2 of 10 Folders", "Converting 5 of 10 Folders",
                                                    "Converting 9 of 10 Folders"}));
    EXPECT_EQ(selection_.started, (std::vector<std::size_t>{2, 5, 9}));
    ASSERT_EQ(store_.stores.size(), 3u);
    EXPECT_EQ(store_.Store(0).path, tree_.Path("out") + kSep + u"r2.pst");
    EXPECT_EQ(store_.Store(1).SavedCount(), 2u);
    EXPECT_EQ(store_.Store(2).SavedCount(), 3u);
    EXPECT_EQ(U8(store_.Store(2).displayName), "r9 : Created - 6.12.26 21.5.09");
    EXPECT_EQ(U8(CompletionBox().text), kMultipleDone);
    EXPECT_EQ(state_.Settings.Mode, RunMode::MultipleFolders);
}

TEST_F(MultipleFolderRun, TheCountLineShowsTheRowsPathWithoutTheAddedSeparator) {
    TenRows({3});
    Messages(3, 2);
    Run();
    const auto counts = board_.Writes("lblCount1");
    EXPECT_NE(std::find(counts.begin(), counts.end(), "Converting 2 items from " + U8(tree_.Path("Root/r3"))),
              counts.end());
    EXPECT_EQ(state_.Settings.SourceFolder, tree_.Path("Root/r3") + kSep);
}

TEST_F(MultipleFolderRun, EmptyFoldersAreMarkedButNeverConverted) {
    TenRows({1, 4});
    Run();
    EXPECT_EQ(selection_.started, (std::vector<std::size_t>{1, 4}));
    EXPECT_EQ(board_.count1, u"Converting 0 items from " + tree_.Path("Root/r4"));
    EXPECT_TRUE(Captions().empty());
    EXPECT_TRUE(store_.calls.empty());
    EXPECT_EQ(U8(CompletionBox().text), kMultipleDone);
}

TEST_F(MultipleFolderRun, AConfirmedStopInTheSecondFolderLeavesTheThirdUntouched) {
    TenRows({1, 2, 3});
    Messages(1, 2);
    Messages(2, 4);
    Messages(3, 2);
    yielder_.onYield = [this](long) {
        if (board_.currentDbx.ends_with(PlatformPath(u"r2/m2.msg)"))) state_.Flags.StopRequested = true;
    };
    Run();

    EXPECT_EQ(selection_.started, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(store_.stores.size(), 2u);
    EXPECT_EQ(store_.Store(1).SavedCount(), 2u);
    EXPECT_TRUE(store_.Store(1).loggedOff);
    EXPECT_EQ(U8(CompletionBox().text), kMultipleDone);
    EXPECT_GE(prompts_.singleWindowCloses, 1);
    EXPECT_FALSE(board_.skipEnabled);
    EXPECT_FALSE(board_.stopEnabled);
    EXPECT_FALSE(board_.stopVisible);
}

TEST_F(MultipleFolderRun, AStopAnsweredNoDoesNotEndTheRun) {
    TenRows({1, 2});
    Messages(1, 2);
    Messages(2, 1);
    yielder_.onYield = [this, fired = false](long) mutable {
        if (!fired && board_.currentDbx.ends_with(PlatformPath(u"r1/m1.msg)")))
            state_.Flags.StopRequested = fired = true;
    };
    prompts_.answers = {MessageAnswer::No};
    Run();
    ASSERT_EQ(prompts_.shown.size(), 2u);
    EXPECT_EQ(U8(prompts_.shown[0].title), "Confirm Stop");
    EXPECT_EQ(store_.stores.size(), 2u);
    EXPECT_EQ(prompts_.singleWindowCloses, 0);
}

TEST_F(MultipleFolderRun, ASkippedFolderDoesNotEndTheRunAndTheRequestIsClearedBeforeTheNext) {
    TenRows({1, 2});
    Messages(1, 3);
    Messages(2, 2);
    yielder_.onYield = [this, fired = false](long) mutable {
        if (!fired && board_.currentDbx.ends_with(PlatformPath(u"r1/m1.msg)")))
            state_.Flags.SkipRequested = fired = true;
    };
    Run();

    EXPECT_EQ(store_.Store(0).SavedCount(), 1u);
    EXPECT_EQ(store_.Store(1).SavedCount(), 2u);  // no second Skip box: the flag was cleared
    ASSERT_EQ(prompts_.shown.size(), 2u);
    EXPECT_EQ(U8(prompts_.shown[0].title), "Confirm Skip");
    EXPECT_EQ(U8(CompletionBox().title), "Completed");
    EXPECT_EQ(prompts_.singleWindowCloses, 0);
}

TEST_F(MultipleFolderRun, AStopRaisedBetweenFoldersEndsTheRunAtTheNextCheckedRow) {
    TenRows({1, 3});
    Messages(1, 1);
    Messages(3, 1);
    // Raised after the first folder's engine has finished: the driver sees it next.
    yielder_.onYield = [this](long) {
        if (store_.CallCount("Logoff") == 1) state_.Flags.StopRequested = true;
    };
    Run();
    EXPECT_EQ(selection_.started, (std::vector<std::size_t>{1}));
    EXPECT_EQ(store_.stores.size(), 1u);
    EXPECT_EQ(prompts_.singleWindowCloses, 1);  // the completion closes the single-folder window
}

TEST_F(MultipleFolderRun, FailuresAreCountedOverTheWholeRun) {
    TenRows({1, 2});
    Messages(1, 2);
    Messages(2, 2);
    store_.importFailsFor = {tree_.Path("Root/r1/m1.msg"), tree_.Path("Root/r2/m2.msg")};
    Run();
    EXPECT_EQ(U8(CompletionBox().text),
              "2 messages converted, 2 files could not be converted.\r\n"
              "Open Converted Outlook Data file(s) in Microsoft Outlook to View Individual files.");
    EXPECT_EQ(CompletionBox().icon, MessageIcon::Warning);
    EXPECT_EQ(state_.Report.folders.size(), 2u);
    EXPECT_EQ(state_.Report.ConvertedCount(), 2u);
    const std::string details = U8(CompletionBox().details);
    EXPECT_NE(details.find(U8(tree_.Path("Root/r1")) + " (1 not converted):"), std::string::npos);
    EXPECT_NE(details.find(U8(tree_.Path("Root/r2/m2.msg")) + ": "), std::string::npos);
}

TEST_F(MultipleFolderRun, AnOutlookErrorInOneFolderGoesOnWithTheNext) {
    TenRows({1, 2});
    Messages(1, 1);
    Messages(2, 1);
    selection_.outputFolder = tree_.Path("missing");
    Run();
    ASSERT_EQ(prompts_.shown.size(), 3u);
    EXPECT_EQ(U8(prompts_.shown[0].title), "Outlook Error");
    EXPECT_EQ(U8(prompts_.shown[1].title), "Outlook Error");
    EXPECT_EQ(U8(CompletionBox().text), "0 messages converted, 2 files could not be converted.");
    EXPECT_EQ(CompletionBox().icon, MessageIcon::Warning);
}

}  // namespace
}  // namespace ferrowick::testing
