#pragma once
// A yield of the run: let the window system handle pending input and repaint, so the
// status window's buttons stay live. About 2 µs when nothing is pending.
#include <QCoreApplication>

#include "seams/yielder.hpp"

namespace ferrowick::ui {

class QtYielder : public Yielder {
public:
    void Yield() override { QCoreApplication::processEvents(); }
};

}  // namespace ferrowick::ui
