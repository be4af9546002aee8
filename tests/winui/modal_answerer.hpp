#pragma once
// Answers the message boxes and file dialogs of a test as a user would. A second thread
// watches the test thread's windows; each dialog that appears is read (title, texts,
// buttons, icon) and answered with the next scripted answer. A dialog nobody expected is
// recorded and cancelled, so a test fails instead of hanging.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef Yield

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ferrowick::winui::testing {

struct SeenDialog {
    std::wstring title;
    std::vector<std::wstring> texts;  // the static texts, in child order
    bool hasIcon = false;
    bool ok = false, cancel = false, yes = false, no = false;
    std::wstring fileName;            // Save As: the proposed name
    std::vector<std::wstring> types;  // Save As: the file-type choices
    bool expected = true;

    bool HasText(const std::wstring& text) const {
        for (const auto& t : texts)
            if (t == text) return true;
        return false;
    }
};

class ModalAnswerer {
public:
    ModalAnswerer() : thread_(GetCurrentThreadId()), watcher_([this] { Watch(); }) {}
    ~ModalAnswerer() {
        stop_ = true;
        watcher_.join();
    }

    // A message box with this title: press the button (IDYES, IDNO, IDOK).
    void Press(std::wstring title, int button) { Push({std::move(title), button, {}}); }
    // The Save As dialog: type this path and save; an empty path cancels.
    void Save(std::wstring path) { Push({L"", 0, std::move(path), true}); }

    std::vector<SeenDialog> Seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    bool AllAnswered() {
        std::lock_guard lock(mutex_);
        return answers_.empty();
    }

private:
    struct Answer {
        std::wstring title;
        int button;
        std::wstring path;
        bool saveAs = false;
    };

    void Push(Answer answer) {
        std::lock_guard lock(mutex_);
        answers_.push_back(std::move(answer));
    }

    static std::wstring TextOf(HWND window) {
        wchar_t text[4096] = {};
        SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, nullptr);
        return text;
    }

    static BOOL CALLBACK Child(HWND child, LPARAM param) {
        auto* seen = reinterpret_cast<SeenDialog*>(param);
        wchar_t cls[64] = {};
        GetClassNameW(child, cls, 64);
        if (lstrcmpiW(cls, L"Static") == 0 && IsWindowVisible(child)) {
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                if (SendMessageW(child, STM_GETICON, 0, 0)) seen->hasIcon = true;
            } else if (const std::wstring text = TextOf(child); !text.empty()) {
                seen->texts.push_back(text);
            }
        }
        return TRUE;
    }

    static BOOL CALLBACK TopLevel(HWND window, LPARAM param) {
        wchar_t cls[64] = {};
        GetClassNameW(window, cls, 64);
        if (IsWindowVisible(window) && lstrcmpW(cls, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }

    void Watch() {
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            HWND dialog = nullptr;
            EnumThreadWindows(thread_, TopLevel, reinterpret_cast<LPARAM>(&dialog));
            if (!dialog) continue;
            // Let the dialog finish setting itself up.
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            if (!IsWindow(dialog) || !IsWindowVisible(dialog)) continue;
            Handle(dialog);
            // Wait until it is gone before looking for the next.
            for (int i = 0; i < 250 && IsWindow(dialog) && IsWindowVisible(dialog); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    void Handle(HWND dialog) {
        SeenDialog seen;
        seen.title = TextOf(dialog);
        EnumChildWindows(dialog, Child, reinterpret_cast<LPARAM>(&seen));
        seen.ok = GetDlgItem(dialog, IDOK) != nullptr;
        seen.cancel = GetDlgItem(dialog, IDCANCEL) != nullptr;
        seen.yes = GetDlgItem(dialog, IDYES) != nullptr;
        seen.no = GetDlgItem(dialog, IDNO) != nullptr;
        // The Save As dialog's file name box (an edit in a combo box, or a plain edit) and
        // its file-type list.
        HWND name = GetDlgItem(dialog, 0x47c);
        if (name) {
            if (HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr)) name = edit;
        } else {
            name = GetDlgItem(dialog, 0x480);
        }
        if (name) seen.fileName = TextOf(name);
        if (HWND types = GetDlgItem(dialog, 0x470)) {
            const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                wchar_t text[512] = {};
                SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                seen.types.push_back(text);
            }
        }

        Answer answer{};
        bool have = false;
        {
            std::lock_guard lock(mutex_);
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.pop_front();
                have = true;
            }
        }
        seen.expected = have && (answer.saveAs ? name != nullptr : answer.title == seen.title);
        {
            std::lock_guard lock(mutex_);
            seen_.push_back(seen);
        }
        int button = seen.no ? IDNO : IDCANCEL;
        if (!seen.cancel && !seen.no) button = IDOK;
        if (seen.expected && answer.saveAs) {
            if (!answer.path.empty()) {
                SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.path.c_str()));
                button = IDOK;
            }
        } else if (seen.expected) {
            button = answer.button;
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }

    DWORD thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::deque<Answer> answers_;
    std::vector<SeenDialog> seen_;
    std::thread watcher_;
};

}  // namespace ferrowick::winui::testing
