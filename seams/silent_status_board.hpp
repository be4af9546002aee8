#pragma once
// A status board and a yield for runs that show nothing while they work: the command line's
// `scan`, listing the folders a stopped run never reached, and benchmarks that time the run
// alone. The board keeps the progress text and value, which the engine reads back.
#include <string>

#include "seams/status_board.hpp"
#include "seams/yielder.hpp"

namespace ferrowick {

class SilentBoard : public StatusBoard {
public:
    void SetWindowCaption(const std::u16string&) override {}
    void SetCount1(const std::u16string&) override {}
    void SetCurrentDbx(const std::u16string&) override {}
    void SetProgressText(const std::u16string& text) override { progressText_ = text; }
    std::u16string ProgressText() const override { return progressText_; }
    void SetFrameConversion(const std::u16string&) override {}
    void SetProgressRange(int, int) override {}
    void SetProgressValue(float value) override { progressValue_ = value; }
    float ProgressValue() const override { return progressValue_; }
    void SetSkipEnabled(bool) override {}
    void SetStopEnabled(bool) override {}
    void SetStopVisible(bool) override {}
    void SetLocateEnabled(bool) override {}

private:
    std::u16string progressText_;
    float progressValue_ = 0;
};

class NoWindowYielder : public Yielder {
public:
    void Yield() override {}
};

}  // namespace ferrowick
