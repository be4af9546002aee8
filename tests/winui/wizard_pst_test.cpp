// Whole runs through the windows on Windows: the real run driver and our .pst store behind
// the Win32 wizard, single-folder and multiple-folder, into .pst files that the checker
// (the code behind `ferrowick check`) finds sound; Skip and Stop clicked during a run and
// confirmed or declined.
#include <filesystem>

#include "msg/message_builder.hpp"
#include "msg/msg_writer.hpp"
#include "pst/check/pst_checker.hpp"
#include "run/run_driver.hpp"
#include "store/pst_store_service.hpp"
#include "support/temp_folder.hpp"
#include "wizard_fixture.hpp"

namespace ferrowick::winui::testing {
namespace {

namespace fsys = std::filesystem;

using Scratch = ferrowick::testing::TempFolder;

void WriteMessages(const fsys::path& folder, int count, const std::string& stem) {
    fsys::create_directories(folder);
    for (int i = 1; i <= count; ++i) {
        const std::u16string subject = u"Note " + std::u16string(stem.begin(), stem.end()) + u" " +
                                       std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
        const msg::Message message =
            msg::MessageBuilder()
                .Subject(subject)
                .Body(u"Hello from the Windows wizard.")
                .Sender(u"Ann Archer", u"ann@example.com")
                .To(u"Bob Baker", u"bob@example.com")
                .Dates(msg::FileTimeFromUtc(2024, 3, 1, 9, 30, i), msg::FileTimeFromUtc(2024, 3, 1, 9, 31, i))
                .Build();
        msg::WriteMessageFile(message, folder / (stem + "-" + std::to_string(i) + ".msg"));
    }
}

::testing::AssertionResult Sound(const fsys::path& store) {
    if (!fsys::exists(store)) return ::testing::AssertionFailure() << store.string() << " was not written";
    const pst::Findings findings = pst::CheckPstFile(store);
    if (!pst::IsSound(findings))
        return ::testing::AssertionFailure() << store.string() << " has " << findings.size() << " findings";
    return ::testing::AssertionSuccess();
}

// Clicks a status-window button the first time the run has it enabled, as a user would,
// then lets the real yield take the click.
class ClickingYielder : public Yielder {
public:
    ClickingYielder(Yielder& inner, HWND button) : inner_(inner), button_(button) {}
    void Yield() override {
        if (!clicked_ && IsWindowEnabled(button_) && IsWindowVisible(button_)) {
            PostMessageW(button_, BM_CLICK, 0, 0);
            clicked_ = true;
        }
        inner_.Yield();
    }
    bool Clicked() const { return clicked_; }

private:
    Yielder& inner_;
    HWND button_;
    bool clicked_ = false;
};

class WizardRunTest : public WizardTest {
protected:
    PstStoreService pstStore;
    int clickButton = 0;  // a status-window button to click during the run, or 0
    bool clicked = false;

    void Customise(WizardHooks& hooks) override {
        hooks.store = &pstStore;
        hooks.shell.listSubFolders = nullptr;  // the real listing
        conversion = [this](RunState& state, RunSeams& seams) {
            if (!clickButton) return StartConversionClick(state, seams);
            ClickingYielder yielder(seams.yielder, wizard->Status().Item(clickButton));
            RunSeams clicking{seams.board, yielder, seams.prompts, seams.selection, seams.store, seams.clock};
            StartConversionClick(state, clicking);
            clicked = yielder.Clicked();
        };
    }

    std::wstring Label(int id) { return TextOf(wizard->Status().Item(id)); }

    void RunSingle(const fsys::path& source) {
        Click(wizard->Start().Item(FrmStart::CmdNext));
        picks = {source.wstring()};
        Click(wizard->Single().Item(FrmSingle::CmdAddFolder));
        Click(wizard->Single().Item(FrmSingle::CmdNext));
    }

    // Lists root's sub-folders in the multiple-folder window, ticks the given rows (0-based,
    // in the listing's order of names), sets the output folder and presses Next.
    void RunMultiple(const fsys::path& root, const std::vector<std::wstring>& ticked, const fsys::path& output) {
        Click(wizard->Start().Item(FrmStart::OptMultiple));
        Click(wizard->Start().Item(FrmStart::CmdNext));
        FrmMultiple& multiple = wizard->Multiple();
        picks = {root.wstring(), output.wstring()};
        Click(multiple.Item(FrmMultiple::CmdAddFolder));
        Click(multiple.Item(FrmMultiple::cmdChange));
        for (int row = 0; row < multiple.RowCount(); ++row)
            for (const std::wstring& name : ticked)
                if (multiple.RowText(row, 0) == name) multiple.SetRowChecked(row, true);
        Click(multiple.Item(FrmMultiple::CmdNext));
    }
};

TEST_F(WizardRunTest, ASingleFolderRunWritesASoundStoreWhereTheSavePromptSaid) {
    Scratch scratch;
    const fsys::path source = scratch.Root() / "Mail";
    WriteMessages(source, 3, "top");
    WriteMessages(source / "Inbox", 2, "in");
    WriteMessages(source / "Projects" / "2024", 2, "deep");
    const fsys::path store = scratch.Root() / "Mail.pst";

    ModalAnswerer answerer;
    answerer.Save(store.wstring());
    answerer.Press(L"Completed", IDOK);
    RunSingle(source);

    EXPECT_TRUE(answerer.AllAnswered());
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].fileName.substr(0, 4), L"Mail");
    EXPECT_EQ(seen[0].fileName.substr(seen[0].fileName.size() - 4), L".pst");
    EXPECT_TRUE(seen[1].HasText(L"Messages Converted Successfully.\r\nOpen Converted Outlook Data file in Microsoft "
                                L"Outlook to View Converted Messages.") ||
                seen[1].HasText(L"Messages Converted Successfully.\nOpen Converted Outlook Data file in Microsoft "
                                L"Outlook to View Converted Messages."));
    EXPECT_TRUE(Sound(store));
    EXPECT_EQ(wizard->State().Report.ConvertedCount(), 7u);
    EXPECT_EQ(Label(FrmMigateAll::lblProgress), L"100% Complete");
    EXPECT_TRUE(IsWindowEnabled(wizard->Status().Item(FrmMigateAll::CmdLocate)));
    EXPECT_FALSE(IsWindowEnabled(wizard->Status().Item(FrmMigateAll::CmdSkip)));
    EXPECT_FALSE(IsWindowVisible(wizard->Status().Item(FrmMigateAll::CmdStopMigration)));
    Click(wizard->Status().Item(FrmMigateAll::CmdLocate));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(fsys::path(opened[0]), fsys::path(store.wstring()).parent_path() / "");
}

TEST_F(WizardRunTest, AMultipleFolderRunWritesOneSoundStorePerTickedFolder) {
    Scratch scratch;
    const fsys::path root = scratch.Root() / "Boxes", output = scratch.Root() / "Out";
    WriteMessages(root / "Box1", 3, "one");
    WriteMessages(root / "Box1" / "Sent", 1, "sent");
    WriteMessages(root / "Box2", 2, "two");
    WriteMessages(root / "Box3", 2, "three");
    fsys::create_directories(output);

    ModalAnswerer answerer;
    answerer.Press(L"Completed", IDOK);
    RunMultiple(root, {L"Box1", L"Box3"}, output);

    EXPECT_TRUE(answerer.AllAnswered());
    EXPECT_TRUE(Sound(output / "Box1.pst"));
    EXPECT_TRUE(Sound(output / "Box3.pst"));
    EXPECT_FALSE(fsys::exists(output / "Box2.pst"));
    EXPECT_EQ(wizard->State().Report.ConvertedCount(), 6u);
    FrmMultiple& multiple = wizard->Multiple();
    for (int row = 0; row < multiple.RowCount(); ++row)
        EXPECT_EQ(multiple.RowStarted(row), multiple.RowText(row, 0) != L"Box2") << row;
}

class SkipAndStopTest : public WizardRunTest {
protected:
    Scratch scratch;
    fsys::path root = scratch.Root() / "Boxes", output = scratch.Root() / "Out";

    void SetUp() override {
        WizardRunTest::SetUp();
        WriteMessages(root / "Box1", 6, "one");
        WriteMessages(root / "Box2", 4, "two");
        fsys::create_directories(output);
    }

    // Clicks `button` during a run of both folders, answers its confirmation box `title`
    // with `answer` and the closing box with OK; the boxes seen, in order.
    std::vector<SeenDialog> RunAnswering(int button, const wchar_t* title, int answer) {
        clickButton = button;
        ModalAnswerer answerer;
        answerer.Press(title, answer);
        answerer.Press(L"Completed", IDOK);
        RunMultiple(root, {L"Box1", L"Box2"}, output);
        EXPECT_TRUE(clicked);
        EXPECT_TRUE(answerer.AllAnswered());
        return answerer.Seen();
    }
};

TEST_F(SkipAndStopTest, AConfirmedSkipEndsThatFolderAndTheRunGoesOn) {
    const auto seen = RunAnswering(FrmMigateAll::CmdSkip, L"Confirm Skip", IDYES);
    ASSERT_GE(seen.size(), 1u);
    EXPECT_TRUE(seen[0].HasText(L"Do you really want to \"Skip\" conversion of this folder ?"));
    EXPECT_TRUE(seen[0].yes && seen[0].no && !seen[0].hasIcon);
    EXPECT_TRUE(Sound(output / "Box1.pst"));
    EXPECT_TRUE(Sound(output / "Box2.pst"));
    EXPECT_LT(wizard->State().Report.ConvertedCount(), 10u);
}

TEST_F(SkipAndStopTest, ADeclinedSkipConvertsEverything) {
    RunAnswering(FrmMigateAll::CmdSkip, L"Confirm Skip", IDNO);
    EXPECT_TRUE(Sound(output / "Box1.pst"));
    EXPECT_TRUE(Sound(output / "Box2.pst"));
    EXPECT_EQ(wizard->State().Report.ConvertedCount(), 10u);
}

TEST_F(SkipAndStopTest, AConfirmedStopEndsTheRunBeforeTheNextFolder) {
    const auto seen = RunAnswering(FrmMigateAll::CmdStopMigration, L"Confirm Stop", IDYES);
    ASSERT_GE(seen.size(), 1u);
    EXPECT_TRUE(seen[0].HasText(L"This action will STOP complete conversion process.\r\nDo you really want to "
                                L"\"STOP\" on-going conversion ?") ||
                seen[0].HasText(L"This action will STOP complete conversion process.\nDo you really want to "
                                L"\"STOP\" on-going conversion ?"));
    EXPECT_TRUE(Sound(output / "Box1.pst"));
    EXPECT_FALSE(fsys::exists(output / "Box2.pst"));
    EXPECT_EQ(Label(FrmMigateAll::lblCount1), L"Stopped...");
}

TEST_F(SkipAndStopTest, ADeclinedStopConvertsEverything) {
    RunAnswering(FrmMigateAll::CmdStopMigration, L"Confirm Stop", IDNO);
    EXPECT_TRUE(Sound(output / "Box1.pst"));
    EXPECT_TRUE(Sound(output / "Box2.pst"));
    EXPECT_EQ(wizard->State().Report.ConvertedCount(), 10u);
}

}  // namespace
}  // namespace ferrowick::winui::testing
