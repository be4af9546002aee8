#pragma once
// The windows' own message boxes (the run's go through the prompts).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// winbase.h's Yield() macro would hide the yielder seam's method.
#undef Yield

namespace ferrowick::winui {

inline constexpr wchar_t kApplicationTitle[] = L"Halvernook Ferrowick";

// "Are you sure you want to exit now?", asked when the start or the status window closes;
// true when the user answers Yes.
inline bool ConfirmExit(HWND owner) {
    return MessageBoxW(owner, L"Are you sure you want to exit now?", kApplicationTitle, MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

}  // namespace ferrowick::winui
