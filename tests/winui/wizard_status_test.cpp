// The status window and the seams of a run on Win32: the board's controls, Skip and Stop
// clicks that reach the run through the yield, the close confirmation, Open Folder, the
// message boxes and the Save As dialog a run asks through.
#include "wizard_fixture.hpp"

#include <commctrl.h>

namespace ferrowick::winui::testing {
namespace {

class StatusWindowTest : public WizardTest {
protected:
    HWND Button(int id) { return wizard->Status().Item(id); }
    std::wstring Label(int id) { return TextOf(wizard->Status().Item(id)); }

    // Opens the single-folder window, picks C:\Mail and presses Next.
    void RunSingle() {
        Click(wizard->Start().Item(FrmStart::CmdNext));
        picks = {L"C:\\Mail"};
        Click(wizard->Single().Item(FrmSingle::CmdAddFolder));
        Click(wizard->Single().Item(FrmSingle::CmdNext));
    }
    // A click as the user gives it while the run works: queued, seen at the next yield.
    static void ClickLater(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
};

TEST_F(StatusWindowTest, ShowsTheResetBoardOwnedByTheWindowThatStartedTheRun) {
    bool ran = false;
    conversion = [&](RunState& state, RunSeams&) {
        ran = true;
        FrmMigateAll& status = wizard->Status();
        EXPECT_TRUE(status.Visible());
        EXPECT_EQ(OwnerOf(status.Handle()), wizard->Single().Handle());
        EXPECT_EQ(TextOf(status.Handle()), L"Conversion Status");
        EXPECT_EQ(Label(FrmMigateAll::lblProgress), L"0% Complete");
        EXPECT_EQ(Label(FrmMigateAll::lblCount1), L"Conversion Not Started Yet...");
        EXPECT_EQ(Label(FrmMigateAll::LblCurrentDBX), L"Converting Messages...");
        EXPECT_EQ(Label(FrmMigateAll::FrameConversion), L"Details ");
        EXPECT_FALSE(IsWindowEnabled(Button(FrmMigateAll::CmdSkip)));
        EXPECT_FALSE(IsWindowVisible(Button(FrmMigateAll::CmdStopMigration)));
        EXPECT_FALSE(IsWindowEnabled(Button(FrmMigateAll::CmdLocate)));
        EXPECT_FALSE(state.Flags.SkipRequested || state.Flags.StopRequested);
        EXPECT_EQ(ClientSize(status.Handle()).cx, TwipsToPixels(7365, status.Dpi()));
        EXPECT_EQ(ClientSize(status.Handle()).cy, TwipsToPixels(3870, status.Dpi()));
        // A second Next during the run starts nothing: the button is disabled.
        EXPECT_FALSE(IsWindowEnabled(wizard->Single().Item(FrmSingle::CmdNext)));
        EXPECT_TRUE(wizard->RunInProgress());
    };
    RunSingle();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(wizard->RunInProgress());
    EXPECT_TRUE(IsWindowEnabled(wizard->Single().Item(FrmSingle::CmdNext)));
}

TEST_F(StatusWindowTest, TheBoardWritesReachTheControls) {
    conversion = [&](RunState&, RunSeams& seams) {
        seams.board.SetCount1(u"Migrating 3 items from C:\\Mail\\");
        seams.board.SetFrameConversion(u"Converting 2 of 3 from Tom && Jerry");
        seams.board.SetProgressText(u"66% Complete");
        seams.board.SetProgressRange(0, 100);
        seams.board.SetProgressValue(66.5f);
        seams.board.SetSkipEnabled(true);
        seams.board.SetStopVisible(true);
        seams.board.SetStopEnabled(true);
        seams.board.SetLocateEnabled(true);
    };
    RunSingle();
    EXPECT_EQ(Label(FrmMigateAll::lblCount1), L"Migrating 3 items from C:\\Mail\\");
    EXPECT_EQ(Label(FrmMigateAll::FrameConversion), L"Converting 2 of 3 from Tom && Jerry");
    EXPECT_EQ(Label(FrmMigateAll::lblProgress), L"66% Complete");
    EXPECT_EQ(wizard->Board().ProgressText(), u"66% Complete");
    EXPECT_FLOAT_EQ(wizard->Board().ProgressValue(), 66.5f);
    HWND bar = Button(FrmMigateAll::ProgressBar1);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0) * 100 / SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 66);
    EXPECT_TRUE(IsWindowEnabled(Button(FrmMigateAll::CmdSkip)));
    EXPECT_TRUE(IsWindowVisible(Button(FrmMigateAll::CmdStopMigration)));
    EXPECT_TRUE(IsWindowEnabled(Button(FrmMigateAll::CmdLocate)));
}

TEST_F(StatusWindowTest, SkipAndStopClicksReachTheRunAtItsNextYield) {
    conversion = [&](RunState& state, RunSeams& seams) {
        seams.board.SetSkipEnabled(true);
        seams.board.SetStopVisible(true);
        seams.board.SetStopEnabled(true);
        ClickLater(Button(FrmMigateAll::CmdSkip));
        ClickLater(Button(FrmMigateAll::CmdSkip));
        EXPECT_FALSE(state.Flags.SkipRequested);
        seams.yielder.Yield();
        EXPECT_TRUE(state.Flags.SkipRequested);
        EXPECT_FALSE(state.Flags.StopRequested);
        state.Flags.SkipRequested = false;
        ClickLater(Button(FrmMigateAll::CmdStopMigration));
        seams.yielder.Yield();
        EXPECT_TRUE(state.Flags.StopRequested);
        EXPECT_FALSE(state.Flags.SkipRequested);
    };
    RunSingle();
}

TEST_F(StatusWindowTest, StopWithASkipPendingAsksToCloseAndSetsStopEitherWay) {
    ModalAnswerer answerer;
    answerer.Press(L"Halvernook Ferrowick", IDNO);
    answerer.Press(L"Halvernook Ferrowick", IDYES);
    conversion = [&](RunState& state, RunSeams& seams) {
        seams.board.SetSkipEnabled(true);
        seams.board.SetStopVisible(true);
        seams.board.SetStopEnabled(true);
        state.Flags.SkipRequested = true;
        Click(Button(FrmMigateAll::CmdStopMigration));
        EXPECT_TRUE(state.Flags.StopRequested);
        EXPECT_TRUE(wizard->Status().Visible());
        state.Flags.StopRequested = false;
        Click(Button(FrmMigateAll::CmdStopMigration));
        EXPECT_TRUE(state.Flags.StopRequested);
        EXPECT_FALSE(wizard->Status().Visible());
        // The run goes on writing to the closed window without harm.
        seams.board.SetCount1(u"still going");
        seams.yielder.Yield();
    };
    RunSingle();
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].expected && seen[1].expected);
    EXPECT_TRUE(seen[0].HasText(L"Are you sure you want to exit now?"));
}

TEST_F(StatusWindowTest, ClosingDuringARunAsksAndNoLeavesRunAndWindowAlone) {
    ModalAnswerer answerer;
    answerer.Press(L"Halvernook Ferrowick", IDNO);
    conversion = [&](RunState& state, RunSeams& seams) {
        seams.board.SetCount1(u"busy");
        wizard->Status().RequestClose();
        seams.yielder.Yield();
        EXPECT_TRUE(wizard->Status().Visible());
        EXPECT_FALSE(state.Flags.SkipRequested || state.Flags.StopRequested);
    };
    RunSingle();
    EXPECT_EQ(Label(FrmMigateAll::lblCount1), L"busy");
    EXPECT_EQ(answerer.Seen().size(), 1u);
}

TEST_F(StatusWindowTest, AfterAClosedWindowTheNextRunShowsItReset) {
    conversion = [&](RunState&, RunSeams& seams) {
        seams.board.SetCount1(u"Completed");
        seams.board.SetProgressText(u"100% Complete");
        seams.board.SetProgressValue(100);
    };
    RunSingle();
    {
        ModalAnswerer answerer;
        answerer.Press(L"Halvernook Ferrowick", IDYES);
        wizard->Status().RequestClose();
        Pump();
        EXPECT_EQ(answerer.Seen().size(), 1u);
    }
    EXPECT_FALSE(wizard->Status().Visible());
    conversion = nullptr;
    Click(wizard->Single().Item(FrmSingle::CmdNext));
    EXPECT_TRUE(wizard->Status().Visible());
    EXPECT_EQ(Label(FrmMigateAll::lblCount1), L"Conversion Not Started Yet...");
    EXPECT_EQ(Label(FrmMigateAll::lblProgress), L"0% Complete");
    EXPECT_EQ(Label(FrmMigateAll::FrameConversion), L"Details ");
    EXPECT_EQ(SendMessageW(Button(FrmMigateAll::ProgressBar1), PBM_GETPOS, 0, 0), 0);
}

TEST_F(StatusWindowTest, OpenFolderOpensTheStoresFolderOrTheOutputFolder) {
    conversion = [&](RunState& state, RunSeams& seams) {
        state.OutputPstPath = u"C:\\Out\\Mail.pst";
        seams.board.SetLocateEnabled(true);
    };
    RunSingle();
    Click(Button(FrmMigateAll::CmdLocate));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], L"C:\\Out\\");

    // A store path without a folder opens nothing.
    wizard->State().OutputPstPath = u"Mail.pst";
    Click(Button(FrmMigateAll::CmdLocate));
    EXPECT_EQ(opened.size(), 1u);

    // Multiple-folder mode: whatever the output box shows at the time of the click.
    Click(wizard->Start().Item(FrmStart::OptMultiple));
    Click(wizard->Start().Item(FrmStart::CmdNext));
    FrmMultiple& multiple = wizard->Multiple();
    subFolders = {{L"A", L""}};
    picks = {L"C:\\Data"};
    Click(multiple.Item(FrmMultiple::CmdAddFolder));
    multiple.SetRowChecked(0, true);
    conversion = [&](RunState&, RunSeams& seams) { seams.board.SetLocateEnabled(true); };
    Click(multiple.Item(FrmMultiple::CmdNext));
    EXPECT_EQ(OwnerOf(wizard->Status().Handle()), multiple.Handle());
    picks = {L"F:\\Elsewhere"};
    Click(multiple.Item(FrmMultiple::cmdChange));
    Click(Button(FrmMigateAll::CmdLocate));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], L"F:\\Elsewhere");
}

TEST_F(StatusWindowTest, TheRunsMessageBoxesAreAnsweredAsShown) {
    ModalAnswerer answerer;
    answerer.Press(L"Confirm Skip", IDYES);
    answerer.Press(L"Confirm Stop", IDNO);
    answerer.Press(L"Completed", IDOK);
    std::vector<MessageAnswer> answers;
    conversion = [&](RunState&, RunSeams& seams) {
        answers.push_back(seams.prompts.ShowMessage(
            {u"Skip this folder?", u"Confirm Skip", MessageIcon::None, MessageButtons::YesNo, {}}));
        answers.push_back(seams.prompts.ShowMessage(
            {u"Stop the conversion?", u"Confirm Stop", MessageIcon::None, MessageButtons::YesNo, {}}));
        answers.push_back(seams.prompts.ShowMessage(
            {u"All done", u"Completed", MessageIcon::Information, MessageButtons::Ok, u"a.msg: not a message"}));
    };
    RunSingle();
    EXPECT_EQ(answers, (std::vector<MessageAnswer>{MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Ok}));
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0].HasText(L"Skip this folder?"));
    EXPECT_FALSE(seen[0].hasIcon);
    EXPECT_TRUE(seen[0].yes && seen[0].no);
    EXPECT_TRUE(seen[2].hasIcon);
    EXPECT_TRUE(seen[2].ok && !seen[2].yes);
    EXPECT_TRUE(seen[2].HasText(L"All done\r\n\r\na.msg: not a message") ||
                seen[2].HasText(L"All done\n\na.msg: not a message"));
}

TEST_F(StatusWindowTest, TheSavePromptProposesTheNameAndReturnsTheChoice) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring chosen = std::wstring(temp) + L"ferrowick-save-test.pst";
    DeleteFileW(chosen.c_str());
    ModalAnswerer answerer;
    answerer.Save(chosen);
    answerer.Save(L"");
    std::optional<std::u16string> first, second = u"unset";
    conversion = [&](RunState&, RunSeams& seams) {
        first = seams.prompts.AskSavePath(u"Outlook Data File(s) (*.pst)|*.pst", u"Mail8.12.26 9.5.07.pst");
        second = seams.prompts.AskSavePath(u"Outlook Data File(s) (*.pst)|*.pst", u"Mail.pst");
    };
    RunSingle();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(std::wstring(first->begin(), first->end()), chosen);
    EXPECT_FALSE(second.has_value());
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].expected);
    EXPECT_EQ(seen[0].fileName, L"Mail8.12.26 9.5.07.pst");
    ASSERT_FALSE(seen[0].types.empty());
    EXPECT_EQ(seen[0].types[0], L"Outlook Data File(s) (*.pst)");
}

TEST_F(StatusWindowTest, ConfirmedExitDuringARunLogsOffAndEndsTheProcess) {
    ModalAnswerer answerer;
    answerer.Press(L"Halvernook Ferrowick", IDYES);
    conversion = [&](RunState&, RunSeams&) { wizard->Start().RequestClose(); };
    RunSingle();
    EXPECT_EQ(endedWith, (std::vector<int>{0}));
}

}  // namespace
}  // namespace ferrowick::winui::testing
