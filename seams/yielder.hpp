#pragma once
// Lets the window system process pending input and repaint between items of a long loop.
// Everything runs on one thread: button handlers run inside Yield() and only raise flags.

namespace ferrowick {

class Yielder {
public:
    virtual ~Yielder() = default;
    virtual void Yield() = 0;
};

}  // namespace ferrowick
