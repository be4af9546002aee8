#pragma once
// The status board on a terminal: every update is kept as the board's state, and shown on
// standard error at most ten times a second — as a bar redrawn in place on a terminal, as
// plain lines (at most one a second) otherwise. Every line fits the width of the terminal
// (or COLUMNS): paths are shortened in the middle, words are never cut.
#include <chrono>
#include <cstdio>
#include <string>

#include "seams/status_board.hpp"

namespace ferrowick::cli {

class TerminalStatusBoard : public StatusBoard {
public:
    // `width` 0: the width of `out` (or COLUMNS), asked again at each repaint.
    TerminalStatusBoard(std::FILE* out, bool isTerminal, std::size_t width = 0);

    void SetWindowCaption(const std::u16string& text) override;
    void SetCount1(const std::u16string& text) override;
    void SetCurrentDbx(const std::u16string& text) override;
    void SetProgressText(const std::u16string& text) override;
    std::u16string ProgressText() const override { return progressText_; }
    void SetFrameConversion(const std::u16string& text) override;
    void SetProgressRange(int minimum, int maximum) override;
    void SetProgressValue(float value) override;
    float ProgressValue() const override { return value_; }
    void SetSkipEnabled(bool) override {}
    void SetStopEnabled(bool) override {}
    void SetStopVisible(bool) override {}
    void SetLocateEnabled(bool) override {}

    // Ends the bar's line so that what follows starts on a fresh one.
    void Finish();

    // The state as last written, for tests.
    const std::u16string& Caption() const { return caption_; }
    const std::u16string& Count1() const { return count1_; }
    const std::u16string& CurrentDbx() const { return currentDbx_; }
    const std::u16string& FrameConversion() const { return frame_; }
    int Repaints() const { return repaints_; }

private:
    void Notice(const std::u16string& text);  // a line of its own, outside the bar
    void Repaint(bool force);
    std::string BarLine() const;

    std::size_t Width() const;

    std::FILE* out_;
    bool terminal_;
    std::size_t width_;
    std::u16string caption_, count1_, currentDbx_, progressText_, frame_;
    int minimum_ = 0, maximum_ = 100;
    float value_ = 0;
    bool barShown_ = false;
    std::string lastLine_;
    int repaints_ = 0;
    std::chrono::steady_clock::time_point lastRepaint_{};
};

}  // namespace ferrowick::cli
