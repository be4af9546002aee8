// The progress shown on a terminal: rate-limited repaints that keep every update, and lines
// that fit the width with paths shortened in the middle and words kept whole.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "cli/line_fitting.hpp"
#include "cli/terminal_status_board.hpp"
#include "engine/progress_text.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

void SetColumns(const char* value) {
#ifdef _WIN32
    _putenv_s("COLUMNS", value ? value : "");  // an empty value removes it
#else
    if (value)
        ::setenv("COLUMNS", value, 1);
    else
        ::unsetenv("COLUMNS");
#endif
}

std::string Shown(FILE* sink) {
    std::rewind(sink);
    std::string shown;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, sink)) shown.append(buf, n);
    return shown;
}

// Every word of `fitted` but a final "…" is a word of `original`.
void ExpectWholeWords(const std::string& fitted, const std::string& original) {
    std::istringstream words(fitted);
    for (std::string word; words >> word;) {
        if (word == "…" || word.find("…") != std::string::npos) continue;  // a shortened path
        EXPECT_NE((" " + original + " ").find(" " + word + " "), std::string::npos) << "'" << word << "' in " << fitted;
    }
}

// Fed as the engine feeds it, the board keeps the last of every text and shows it at the end,
// however many updates its rate limit passed over (bench_terminal_board counts the repaints).
TEST(TerminalStatusBoard, KeepsEveryUpdateAndShowsTheLast) {
    for (bool terminal : {true, false}) {
        FILE* sink = std::tmpfile();
        ASSERT_NE(sink, nullptr);
        TerminalStatusBoard board(sink, terminal, 200);
        for (int i = 1; i <= 10000; ++i) {
            board.SetFrameConversion(u"Reading Messages && Email Metadata - (" + DecimalText(i) +
                                     u" of 10000) File(s)");
            const float percent = ProgressPercent(i, 10000);
            board.SetProgressValue(percent);
            board.SetProgressText(PercentCompleteText(percent));
        }
        EXPECT_FLOAT_EQ(board.ProgressValue(), 100.0f);
        EXPECT_EQ(board.ProgressText(), u"100% Complete");
        EXPECT_EQ(board.FrameConversion(), u"Reading Messages && Email Metadata - (10000 of 10000) File(s)");
        board.Finish();
        const std::string shown = Shown(sink);
        EXPECT_NE(shown.find("100% Complete"), std::string::npos)
            << shown.substr(shown.size() > 300 ? shown.size() - 300 : 0);
        EXPECT_NE(shown.find("Reading Messages & Email Metadata - (10000 of 10000) File(s)"), std::string::npos);
        EXPECT_EQ(shown.find("&&"), std::string::npos) << "a label's && shows as one &";
        std::fclose(sink);
    }
}

TEST(TerminalStatusBoard, LinesFitTheWidthWithoutCuttingAWord) {
    for (std::size_t width : {40u, 60u, 72u, 100u}) {
        FILE* sink = std::tmpfile();
        ASSERT_NE(sink, nullptr);
        TerminalStatusBoard board(sink, false, width);
        board.SetCount1(u"Migrating 3000 items from /srv/mail/archive/2014/Customers and suppliers/Grüße/");
        board.SetWindowCaption(u"Conversion Status");
        const float percent = ProgressPercent(1260, 3000);
        board.SetProgressValue(percent);
        board.SetProgressText(PercentCompleteText(percent));
        board.SetFrameConversion(u"Reading Messages && Email Metadata - (1260 of 3000) File(s)");
        board.Finish();
        std::istringstream lines(Shown(sink));
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(DisplayWidth(line), width) << line;
            EXPECT_EQ(line.find("File(") == std::string::npos, line.find("File(s)") == std::string::npos) << line;
        }
        std::fclose(sink);
    }
}

TEST(TerminalStatusBoard, TheWidthFollowsColumns) {
    SetColumns("50");
    EXPECT_EQ(LineWidthFor(stderr), 50u);
    SetColumns("wide");
    EXPECT_GT(LineWidthFor(stderr), 0u);
    SetColumns(nullptr);
}

TEST(LineFitting, ShortensAPathInTheMiddleKeepingBothEnds) {
    const std::string line = "Migrating 12 items from /home/ann/Documents/Old mail/2014/Quarterly figures/";
    EXPECT_EQ(FitToWidth(line, 200), line);
    for (std::size_t width : {40u, 50u, 60u, 70u}) {
        const std::string fitted = FitToWidth(line, width);
        EXPECT_EQ(DisplayWidth(fitted), width) << fitted;
        EXPECT_EQ(fitted.rfind("Migrating 12 items from /home", 0), 0u) << fitted;
        EXPECT_NE(fitted.find("…"), std::string::npos) << fitted;
        EXPECT_TRUE(fitted.ends_with("figures/")) << fitted;
    }
    // A path in brackets keeps its closing bracket.
    const std::string current = "Converting Messages... from (/srv/mail/a/very/long/folder/name/message.msg)";
    const std::string fitted = FitToWidth(current, 50);
    EXPECT_LE(DisplayWidth(fitted), 50u);
    EXPECT_TRUE(fitted.ends_with("message.msg)")) << fitted;
}

TEST(LineFitting, DropsWholeWordsAndCountsWideCharacters) {
    const std::string text = "[##########] 42% Complete  Reading Messages & Email Metadata - (1260 of 3000) File(s)";
    for (std::size_t width = 14; width < 90; width += 7) {
        const std::string fitted = FitToWidth(text, width);
        EXPECT_LE(DisplayWidth(fitted), width) << fitted;
        ExpectWholeWords(fitted, text);
    }
    EXPECT_EQ(DisplayWidth("会議のメモ"), 10u);
    EXPECT_EQ(DisplayWidth("Grüße"), 5u);
    const std::string wide = "会議の メモ を 送ります 本日の 会議";
    for (std::size_t width = 6; width < 30; ++width) {
        const std::string fitted = FitToWidth(wide, width);
        EXPECT_LE(DisplayWidth(fitted), width) << fitted;
        ExpectWholeWords(fitted, wide);
    }
}

}  // namespace
}  // namespace ferrowick::cli
