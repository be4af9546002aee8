#include "cli/terminal_status_board.hpp"
#include "cli/console_output.hpp"

#include <algorithm>

#include "cli/line_fitting.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

constexpr auto kTerminalRepaint = std::chrono::milliseconds(100);
constexpr auto kLineRepaint = std::chrono::milliseconds(1000);
constexpr std::size_t kBarWidth = 30;
constexpr std::size_t kShortestBar = 10;

// Labels show "&&" as one ampersand.
std::string Shown(const std::u16string& text) {
    std::u16string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        plain.push_back(text[i]);
        if (text[i] == u'&' && i + 1 < text.size() && text[i + 1] == u'&') ++i;
    }
    return ToUtf8(plain);
}

}  // namespace

TerminalStatusBoard::TerminalStatusBoard(std::FILE* out, bool isTerminal, std::size_t width)
    : out_(out), terminal_(isTerminal), width_(width) {}

// A line as wide as the terminal would wrap at its last column on some terminals.
std::size_t TerminalStatusBoard::Width() const {
    const std::size_t width = width_ != 0 ? width_ : LineWidthFor(out_);
    return terminal_ && width > 1 ? width - 1 : width;
}

void TerminalStatusBoard::SetWindowCaption(const std::u16string& text) {
    if (text != caption_) {
        Repaint(true);  // what the previous stage came to
        Notice(text);
    }
    caption_ = text;
}

// Discovery writes the count once per file: it is shown like the bar, rate-limited.
void TerminalStatusBoard::SetCount1(const std::u16string& text) {
    count1_ = text;
    Repaint(false);
}

void TerminalStatusBoard::SetCurrentDbx(const std::u16string& text) {
    currentDbx_ = text;
    Repaint(false);
}

void TerminalStatusBoard::SetProgressText(const std::u16string& text) {
    progressText_ = text;
    Repaint(false);
}

void TerminalStatusBoard::SetFrameConversion(const std::u16string& text) {
    frame_ = text;
    Repaint(false);
}

void TerminalStatusBoard::SetProgressRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

void TerminalStatusBoard::SetProgressValue(float value) {
    value_ = value;
    Repaint(false);
}

void TerminalStatusBoard::Notice(const std::u16string& text) {
    if (text.empty()) return;
    if (terminal_ && barShown_) WriteText(out_, "\r\x1b[K");
    PrintTo(out_, "%s\n", FitToWidth(Shown(text), Width()).c_str());
    barShown_ = false;
    std::fflush(out_);
}

std::string TerminalStatusBoard::BarLine() const {
    const std::size_t width = Width();
    if (value_ <= static_cast<float>(minimum_) && frame_.empty())  // before the messages: discovery's count
        return FitToWidth(Shown(count1_), width);
    const float span = static_cast<float>(std::max(1, maximum_ - minimum_));
    const float share = std::clamp((value_ - static_cast<float>(minimum_)) / span, 0.0f, 1.0f);
    std::string text =
        progressText_.empty() ? std::to_string(static_cast<int>(share * 100)) + "%" : Shown(progressText_);
    if (!frame_.empty()) text += "  " + Shown(frame_);
    // The bar gives up columns to the text, down to a short bar, then altogether: the
    // percentage and the count say more.
    const std::size_t textWidth = DisplayWidth(text) + 3;
    const std::size_t room = width > textWidth ? width - textWidth : 0;
    if (room < kShortestBar) return FitToWidth(text, width);
    const std::size_t barWidth = std::min(room, kBarWidth);
    const auto filled = static_cast<std::size_t>(share * static_cast<float>(barWidth) + 0.5f);
    return "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "] " + text;
}

void TerminalStatusBoard::Repaint(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastRepaint_ < (terminal_ ? kTerminalRepaint : kLineRepaint)) return;
    const std::string line = BarLine();
    if (line.empty() || (!terminal_ && line == lastLine_)) return;
    lastRepaint_ = now;
    lastLine_ = line;
    ++repaints_;
    if (terminal_) {
        PrintTo(out_, "\r\x1b[K%s", line.c_str());
        barShown_ = true;
    } else {
        PrintTo(out_, "%s\n", line.c_str());
    }
    std::fflush(out_);
}

void TerminalStatusBoard::Finish() {
    Repaint(true);
    if (terminal_ && barShown_) WriteText(out_, "\n");
    barShown_ = false;
    std::fflush(out_);
}

}  // namespace ferrowick::cli
