// The four windows driven through their controls: captions, geometry, fonts, the hand-overs
// between windows, the pickers, the list and its ticks, the help links and the exit
// confirmation.
#include "wizard_fixture.hpp"

#include "winui/shell_services.hpp"
#include "winui/twips.hpp"

namespace ferrowick::winui::testing {
namespace {

TEST(TwipsTest, FifteenTwipsArePixelAt96DpiAndScaleWithTheDpi) {
    EXPECT_EQ(TwipsToPixels(9270, 96), 618);
    EXPECT_EQ(TwipsToPixels(7080, 96), 472);
    EXPECT_EQ(TwipsToPixels(7080, 144), 708);
    EXPECT_EQ(TwipsToPixels(-120, 96), -8);
    // Edges, not sizes, are rounded: two controls that touch in twips touch in pixels.
    const PixelRect a = ToPixels({0, 0, 1007, 10}, 120), b = ToPixels({1007, 0, 1007, 10}, 120);
    EXPECT_EQ(a.left + a.width, b.left);
    EXPECT_EQ(FontHeight(9, 96), -12);
    EXPECT_EQ(FontHeight(9.75, 96), -13);
    EXPECT_EQ(FontHeight(9, 192), -24);
}

TEST(ShellRulesTest, PickedPathsLoseTheirTrailingSeparatorButRootsKeepIt) {
    EXPECT_EQ(WithoutTrailingSeparator(L"C:\\Data\\"), L"C:\\Data");
    EXPECT_EQ(WithoutTrailingSeparator(L"C:\\Data"), L"C:\\Data");
    EXPECT_EQ(WithoutTrailingSeparator(L"C:\\"), L"C:\\");
    EXPECT_EQ(WithoutTrailingSeparator(L"\\\\server\\share\\"), L"\\\\server\\share");
    EXPECT_EQ(HelpAddress("/ferrowick/").substr(0, 8), L"https://");
    EXPECT_EQ(HelpAddress("/ferrowick/").substr(HelpAddress("/ferrowick/").size() - 11), L"/ferrowick/");
}

TEST(DialogFilterTest, BarsBecomeNulsWithTwoAtTheEnd) {
    const std::wstring filter = DialogFilter(u"Outlook Data File(s) (*.pst)|*.pst");
    EXPECT_EQ(filter, std::wstring(L"Outlook Data File(s) (*.pst)\0*.pst\0\0", 36));
}

using StartWindowTest = WizardTest;

TEST_F(StartWindowTest, HasItsCaptionSizeFontsAndSingleFolderSelected) {
    FrmStart& start = wizard->Start();
    HWND window = start.Handle();
    EXPECT_EQ(TextOf(window), L"Halvernook Ferrowick v3.0");
    const int dpi = start.Dpi();
    EXPECT_EQ(ClientSize(window).cx, TwipsToPixels(9270, dpi));
    EXPECT_EQ(ClientSize(window).cy, TwipsToPixels(7080, dpi));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(start.SingleSelected());
    EXPECT_EQ(FontOf(start.Item(FrmStart::OptSingle)).lfWeight, FW_BOLD);
    EXPECT_EQ(FontOf(start.Item(FrmStart::OptMultiple)).lfWeight, FW_NORMAL);
    EXPECT_STREQ(FontOf(start.Item(FrmStart::Label3)).lfFaceName, L"Tahoma");
    EXPECT_STREQ(FontOf(start.Item(FrmStart::CmdNext)).lfFaceName, L"Verdana");
    EXPECT_EQ(FontOf(start.Item(FrmStart::lblTitle)).lfHeight, FontHeight(21.75, dpi));
    const RECT next = PlaceOf(start.Item(FrmStart::CmdNext));
    EXPECT_EQ(next.left, TwipsToPixels(7320, dpi));
    EXPECT_EQ(next.top, TwipsToPixels(6600, dpi));
    EXPECT_EQ(TextOf(start.Item(FrmStart::CmdHelp)), L"Product &Guide");
    // Next is the default button: Enter presses it.
    EXPECT_EQ(LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0)), FrmStart::CmdNext);
}

TEST_F(StartWindowTest, MovingToAMonitorOfAnotherDpiLaysTheWindowOutAgain) {
    FrmStart& start = wizard->Start();
    Click(start.Item(FrmStart::OptMultiple));
    RECT suggested{100, 100, 100 + 950, 100 + 760};
    SendMessageW(start.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    EXPECT_EQ(start.Dpi(), 144);
    const RECT next = PlaceOf(start.Item(FrmStart::CmdNext));
    EXPECT_EQ(next.left, TwipsToPixels(7320, 144));
    EXPECT_EQ(next.top, TwipsToPixels(6600, 144));
    EXPECT_EQ(next.right - next.left, TwipsToPixels(7320 + 1695, 144) - TwipsToPixels(7320, 144));
    EXPECT_EQ(FontOf(start.Item(FrmStart::CmdNext)).lfHeight, FontHeight(9, 144));
    // A font changed after the window was built keeps its change at the new size.
    EXPECT_EQ(FontOf(start.Item(FrmStart::OptMultiple)).lfWeight, FW_BOLD);
    EXPECT_EQ(FontOf(start.Item(FrmStart::OptMultiple)).lfHeight, FontHeight(11.25, 144));
}

TEST_F(StartWindowTest, TheChosenOptionIsBoldAndTheOtherRegular) {
    FrmStart& start = wizard->Start();
    Click(start.Item(FrmStart::OptMultiple));
    EXPECT_FALSE(start.SingleSelected());
    EXPECT_EQ(FontOf(start.Item(FrmStart::OptMultiple)).lfWeight, FW_BOLD);
    EXPECT_EQ(FontOf(start.Item(FrmStart::OptSingle)).lfWeight, FW_NORMAL);
    Click(start.Item(FrmStart::OptSingle));
    EXPECT_TRUE(start.SingleSelected());
    EXPECT_EQ(FontOf(start.Item(FrmStart::OptSingle)).lfWeight, FW_BOLD);
    EXPECT_EQ(FontOf(start.Item(FrmStart::OptMultiple)).lfWeight, FW_NORMAL);
}

TEST_F(StartWindowTest, NextShowsTheSingleWindowOverTheStartAndTheMultipleInsteadOfIt) {
    FrmStart& start = wizard->Start();
    Click(start.Item(FrmStart::CmdNext));
    ASSERT_TRUE(wizard->Single().Visible());
    EXPECT_EQ(OwnerOf(wizard->Single().Handle()), start.Handle());
    EXPECT_TRUE(start.Visible());

    Click(start.Item(FrmStart::OptMultiple));
    Click(start.Item(FrmStart::CmdNext));
    ASSERT_TRUE(wizard->Multiple().Visible());
    EXPECT_EQ(OwnerOf(wizard->Multiple().Handle()), start.Handle());
    EXPECT_FALSE(start.Visible());
    EXPECT_TRUE(wizard->Single().Visible());
}

TEST_F(StartWindowTest, HelpLinksAndTheGuideOpenTheirPages) {
    FrmStart& start = wizard->Start();
    Click(start.Item(FrmStart::CmdHelp));
    ClickLabel(start.Item(FrmStart::lblSingleHelp));
    ClickLabel(start.Item(FrmStart::lblMultipleHelp));
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], HelpAddress("/ferrowick/"));
    EXPECT_EQ(opened[1], HelpAddress("/h/ferrowick/#single-folder"));
    EXPECT_EQ(opened[2], HelpAddress("/h/ferrowick/#multiple-folders"));
}

TEST_F(StartWindowTest, ClosingAsksFirstAndNoKeepsEverything) {
    ModalAnswerer answerer;
    answerer.Press(L"Halvernook Ferrowick", IDNO);
    wizard->Start().RequestClose();
    Pump();
    EXPECT_TRUE(wizard->Start().Visible());
    EXPECT_FALSE(wizard->Ended());
    answerer.Press(L"Halvernook Ferrowick", IDYES);
    wizard->Start().RequestClose();
    Pump();
    EXPECT_TRUE(wizard->Ended());
    EXPECT_FALSE(wizard->Start().Visible());
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    for (const SeenDialog& box : seen) {
        EXPECT_TRUE(box.expected);
        EXPECT_TRUE(box.HasText(L"Are you sure you want to exit now?"));
        EXPECT_TRUE(box.yes && box.no && !box.ok);
        EXPECT_TRUE(box.hasIcon);
    }
}

class SingleWindowTest : public WizardTest {
protected:
    FrmSingle& Open() {
        Click(wizard->Start().Item(FrmStart::CmdNext));
        return wizard->Single();
    }
};

TEST_F(SingleWindowTest, HasItsCaptionAndSizeAndNextWaitsForAPick) {
    FrmSingle& single = Open();
    EXPECT_EQ(TextOf(single.Handle()), L"Single Folder Mode");
    EXPECT_EQ(ClientSize(single.Handle()).cx, TwipsToPixels(7710, single.Dpi()));
    EXPECT_EQ(ClientSize(single.Handle()).cy, TwipsToPixels(2190, single.Dpi()));
    EXPECT_FALSE(IsWindowEnabled(single.Item(FrmSingle::CmdNext)));
    EXPECT_STREQ(FontOf(single.Item(FrmSingle::txtSourceMailbox)).lfFaceName, L"Tahoma");
}

TEST_F(SingleWindowTest, APickFillsTheBoxAndACancelledPickKeepsIt) {
    FrmSingle& single = Open();
    picks = {L"C:\\Mail", L""};
    Click(single.Item(FrmSingle::CmdAddFolder));
    EXPECT_EQ(single.SourceMailbox(), L"C:\\Mail");
    EXPECT_TRUE(IsWindowEnabled(single.Item(FrmSingle::CmdNext)));
    Click(single.Item(FrmSingle::CmdAddFolder));
    EXPECT_EQ(single.SourceMailbox(), L"C:\\Mail");
    EXPECT_TRUE(IsWindowEnabled(single.Item(FrmSingle::CmdNext)));
    EXPECT_EQ(pickerTitles, (std::vector<std::wstring>{L"Choose Source Folder...", L"Choose Source Folder..."}));
    ClickLabel(single.Item(FrmSingle::lblSingleMailbox));
    EXPECT_EQ(opened, (std::vector<std::wstring>{HelpAddress("/h/ferrowick/#select-folder")}));
}

TEST_F(SingleWindowTest, ADriveRootIsHandedOnWithItsSeparator) {
    FrmSingle& single = Open();
    picks = {L"C:\\"};
    Click(single.Item(FrmSingle::CmdAddFolder));
    EXPECT_EQ(single.SourceMailbox(), L"C:\\");
}

TEST_F(SingleWindowTest, NextWithAnEmptyBoxDoesNothing) {
    FrmSingle& single = Open();
    bool ran = false;
    conversion = [&](RunState&, RunSeams&) { ran = true; };
    SendMessageW(single.Handle(), WM_COMMAND, MAKEWPARAM(FrmSingle::CmdNext, BN_CLICKED),
                 reinterpret_cast<LPARAM>(single.Item(FrmSingle::CmdNext)));
    Pump();
    EXPECT_FALSE(ran);
    EXPECT_FALSE(wizard->Status().Visible());
}

class MultipleWindowTest : public WizardTest {
protected:
    FrmMultiple& Open() {
        Click(wizard->Start().Item(FrmStart::OptMultiple));
        Click(wizard->Start().Item(FrmStart::CmdNext));
        return wizard->Multiple();
    }
    HWND SelectAll() { return wizard->Multiple().Item(FrmMultiple::chkSelectAll); }
};

TEST_F(MultipleWindowTest, OpensWithTheDesktopAndAnEmptyDisabledList) {
    FrmMultiple& multiple = Open();
    EXPECT_EQ(TextOf(multiple.Handle()), L"Multiple Folder Mode");
    EXPECT_EQ(ClientSize(multiple.Handle()).cx, TwipsToPixels(10590, multiple.Dpi()));
    EXPECT_EQ(ClientSize(multiple.Handle()).cy, TwipsToPixels(6255, multiple.Dpi()));
    EXPECT_EQ(multiple.OutputFolder(), L"C:\\Users\\me\\Desktop");
    EXPECT_EQ(multiple.RowCount(), 0);
    EXPECT_FALSE(IsWindowEnabled(SelectAll()));
    // The list lies inside the frame, placed relative to it.
    const RECT list = PlaceOf(multiple.Item(FrmMultiple::lv));
    EXPECT_EQ(list.left, TwipsToPixels(240 + 240, multiple.Dpi()));
    EXPECT_EQ(list.top, TwipsToPixels(720 + 720, multiple.Dpi()));
}

TEST_F(MultipleWindowTest, ARootListsItsSubFoldersWithTheirPaths) {
    FrmMultiple& multiple = Open();
    subFolders = {{L"Box1", L""}, {L"Box2", L""}, {L"Box3", L""}};
    picks = {L"C:\\Data"};
    Click(multiple.Item(FrmMultiple::CmdAddFolder));
    EXPECT_EQ(listedRoots, (std::vector<std::wstring>{L"C:\\Data\\"}));
    ASSERT_EQ(multiple.RowCount(), 3);
    EXPECT_EQ(multiple.RowText(0, 0), L"Box1");
    EXPECT_EQ(multiple.RowText(0, 1), L"C:\\Data\\Box1");
    EXPECT_EQ(multiple.RowText(2, 1), L"C:\\Data\\Box3");
    EXPECT_FALSE(multiple.RowChecked(0));
    EXPECT_TRUE(IsWindowEnabled(SelectAll()));
    // The selection the run reads: 1-based rows with tick, name and path.
    multiple.SetRowChecked(1, true);
    const FolderRow row = wizard->Selection().Row(2);
    EXPECT_TRUE(row.Checked);
    EXPECT_EQ(row.Text, u"Box2");
    EXPECT_EQ(row.Path, u"C:\\Data\\Box2");
    EXPECT_EQ(wizard->Selection().RowCount(), 3u);
}

TEST_F(MultipleWindowTest, SelectAllTicksEveryRowAndANewRootStartsUnticked) {
    FrmMultiple& multiple = Open();
    subFolders = {{L"A", L""}, {L"B", L""}, {L"C", L""}};
    picks = {L"C:\\Data", L"D:\\Other"};
    Click(multiple.Item(FrmMultiple::CmdAddFolder));
    Click(SelectAll());
    EXPECT_EQ(TextOf(SelectAll()), L"Deselect All");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(multiple.RowChecked(i));
    Click(SelectAll());
    EXPECT_EQ(TextOf(SelectAll()), L"Select All");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(multiple.RowChecked(i));

    Click(SelectAll());
    subFolders = {{L"X", L""}, {L"Y", L""}};
    Click(multiple.Item(FrmMultiple::CmdAddFolder));
    ASSERT_EQ(multiple.RowCount(), 2);
    EXPECT_EQ(multiple.RowText(0, 1), L"D:\\Other\\X");
    EXPECT_FALSE(multiple.RowChecked(0));
    EXPECT_FALSE(multiple.RowChecked(1));
    EXPECT_EQ(SendMessageW(SelectAll(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(TextOf(SelectAll()), L"Select All");
}

TEST_F(MultipleWindowTest, NextWithNothingTickedSaysSoAndStartsNothing) {
    FrmMultiple& multiple = Open();
    bool ran = false;
    conversion = [&](RunState&, RunSeams&) { ran = true; };
    ModalAnswerer answerer;
    answerer.Press(L"Select Folder(s) to Convert", IDOK);
    Click(multiple.Item(FrmMultiple::CmdNext));
    EXPECT_FALSE(ran);
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].expected);
    EXPECT_TRUE(seen[0].HasText(L"No Folders Selected !\r\nPlease Select alteast one folder to convert.") ||
                seen[0].HasText(L"No Folders Selected !\nPlease Select alteast one folder to convert."));
    EXPECT_TRUE(seen[0].ok && !seen[0].yes);
    EXPECT_TRUE(seen[0].hasIcon);
}

TEST_F(MultipleWindowTest, ACancelledOutputPickKeepsTheFolderAndBackKeepsTheList) {
    FrmMultiple& multiple = Open();
    picks = {L"E:\\Out", L""};
    Click(multiple.Item(FrmMultiple::cmdChange));
    EXPECT_EQ(multiple.OutputFolder(), L"E:\\Out");
    Click(multiple.Item(FrmMultiple::cmdChange));
    EXPECT_EQ(multiple.OutputFolder(), L"E:\\Out");
    EXPECT_EQ(pickerTitles.back(), L"Choose Output Folder...");

    subFolders = {{L"A", L""}};
    picks = {L"C:\\Data"};
    Click(multiple.Item(FrmMultiple::CmdAddFolder));
    multiple.SetRowChecked(0, true);
    Click(multiple.Item(FrmMultiple::cmdBack));
    EXPECT_TRUE(wizard->Start().Visible());
    EXPECT_FALSE(multiple.Visible());
    Click(wizard->Start().Item(FrmStart::CmdNext));
    EXPECT_TRUE(multiple.Visible());
    EXPECT_EQ(multiple.RowCount(), 1);
    EXPECT_TRUE(multiple.RowChecked(0));
    EXPECT_EQ(multiple.OutputFolder(), L"E:\\Out");
}

TEST_F(MultipleWindowTest, ClosingFromTheTitleBarBringsTheStartWindowBack) {
    FrmMultiple& multiple = Open();
    multiple.RequestClose();
    Pump();
    EXPECT_FALSE(multiple.Visible());
    EXPECT_TRUE(wizard->Start().Visible());
}

}  // namespace
}  // namespace ferrowick::winui::testing
