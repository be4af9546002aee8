#pragma once
// The run's modal questions as Windows shows them: MessageBoxW and the common Save As
// dialog, owned by the window in front.
#include <functional>

#include "seams/prompts.hpp"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// winbase.h's Yield() macro would hide the yielder seam's method.
#undef Yield

namespace ferrowick::winui {

class WinPrompts : public Prompts {
public:
    WinPrompts(std::function<HWND()> owner, std::function<void()> closeSingle)
        : owner_(std::move(owner)), closeSingle_(std::move(closeSingle)) {}

    MessageAnswer ShowMessage(const MessageBoxRequest& request) override;
    std::optional<std::u16string> AskSavePath(const std::u16string& filter,
                                              const std::u16string& proposedName) override;
    void CloseSingleFolderWindow() override { closeSingle_(); }

private:
    std::function<HWND()> owner_;
    std::function<void()> closeSingle_;
};

// "Description|pattern|..." as the common dialog wants it: NUL-separated, two NULs at the end.
std::wstring DialogFilter(const std::u16string& filter);

}  // namespace ferrowick::winui
