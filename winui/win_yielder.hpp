#pragma once
// A yield of the run: the window system handles pending input (Skip and Stop clicks, the
// keys) at every yield and repaints at most once a frame, since a run writes several
// labels per item and painting each write would cost more than converting the item.
#include "seams/yielder.hpp"
#include "winui/form.hpp"

namespace ferrowick::winui {

class WinYielder : public Yielder {
public:
    void Yield() override;
    long Frames() const { return frames_; }

private:
    unsigned long long lastFrame_ = 0;
    long frames_ = 0;
};

// Dispatches one message, through the dialog keys of the wizard's windows first.
void DispatchWizardMessage(MSG& msg);

}  // namespace ferrowick::winui
