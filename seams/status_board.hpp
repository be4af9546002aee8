#pragma once
// The status window's controls that the run driver, discovery and the engine write,
// and the two request flags its buttons raise. Front ends implement the board; the
// flags are plain state read at the next check after a yield.
#include <string>

namespace ferrowick {

class StatusBoard {
public:
    virtual ~StatusBoard() = default;

    virtual void SetWindowCaption(const std::u16string& text) = 0;
    virtual void SetCount1(const std::u16string& text) = 0;        // lblCount1
    virtual void SetCurrentDbx(const std::u16string& text) = 0;    // LblCurrentDBX
    virtual void SetProgressText(const std::u16string& text) = 0;  // lblProgress
    virtual std::u16string ProgressText() const = 0;
    // FrameConversion is a label: a doubled "&&" shows as one ampersand.
    virtual void SetFrameConversion(const std::u16string& text) = 0;
    virtual void SetProgressRange(int minimum, int maximum) = 0;  // ProgressBar1
    virtual void SetProgressValue(float value) = 0;
    virtual float ProgressValue() const = 0;
    virtual void SetSkipEnabled(bool enabled) = 0;  // CmdSkip
    virtual void SetStopEnabled(bool enabled) = 0;  // CmdStopMigration
    virtual void SetStopVisible(bool visible) = 0;
    virtual void SetLocateEnabled(bool enabled) = 0;  // CmdLocate
};

// Raised by the status window's Skip and Stop buttons (and by Ctrl-C on the terminal).
struct RequestFlags {
    bool SkipRequested = false;
    bool StopRequested = false;
};

}  // namespace ferrowick
