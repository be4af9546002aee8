#pragma once
// A wizard with a scripted desktop shell and a scripted or real conversion, and the clicks
// and keys a user gives its windows, sent to the controls themselves.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modal_answerer.hpp"
#include "winui/wizard.hpp"

namespace ferrowick::winui::testing {

class WizardTest : public ::testing::Test {
protected:
    std::vector<std::wstring> opened;  // what was handed to the shell's "open"
    std::deque<std::wstring> picks;    // the folder picker's answers, in order
    std::vector<std::wstring> pickerTitles;
    std::vector<SubFolder> subFolders;  // what any root lists
    std::vector<std::wstring> listedRoots;
    std::vector<int> endedWith;  // endProcess calls
    std::function<void(RunState&, RunSeams&)> conversion;
    MessageStoreService* store = nullptr;
    std::unique_ptr<Wizard> wizard;

    void SetUp() override {
        WizardHooks hooks;
        hooks.store = nullptr;
        hooks.runConversion = [this](RunState& state, RunSeams& seams) {
            if (conversion) conversion(state, seams);
        };
        hooks.endProcess = [this](int code) { endedWith.push_back(code); };
        hooks.shell.openLink = [this](const std::wstring& target) {
            if (!target.empty()) opened.push_back(target);
        };
        hooks.shell.browseForFolder = [this](HWND, const std::wstring& title) {
            pickerTitles.push_back(title);
            if (picks.empty()) return std::wstring();
            std::wstring pick = picks.front();
            picks.pop_front();
            return pick;
        };
        hooks.shell.specialFolderPath = [] { return std::wstring(L"C:\\Users\\me\\Desktop"); };
        hooks.shell.listSubFolders = [this](const std::wstring& root) {
            listedRoots.push_back(root);
            std::vector<SubFolder> out;
            for (const SubFolder& s : subFolders) out.push_back({s.name, root + s.name});
            return out;
        };
        Customise(hooks);
        wizard = std::make_unique<Wizard>(std::move(hooks));
        wizard->ShowStart();
        Pump();
    }
    virtual void Customise(WizardHooks&) {}

    void TearDown() override {
        wizard.reset();
        Pump();
    }

    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            DispatchWizardMessage(msg);
        }
    }

    static void Click(HWND control) {
        ASSERT_NE(control, nullptr);
        SendMessageW(control, BM_CLICK, 0, 0);
        Pump();
    }
    static void ClickLabel(HWND label) {
        ASSERT_NE(label, nullptr);
        SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(label, WM_LBUTTONUP, 0, 0);
        Pump();
    }
    static std::wstring TextOf(HWND window) {
        wchar_t text[4096] = {};
        GetWindowTextW(window, text, 4096);
        return text;
    }
    static LOGFONTW FontOf(HWND control) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
        return font;
    }
    static SIZE ClientSize(HWND window) {
        RECT r{};
        GetClientRect(window, &r);
        return {r.right, r.bottom};
    }
    static RECT PlaceOf(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static HWND OwnerOf(HWND window) { return GetWindow(window, GW_OWNER); }
};

}  // namespace ferrowick::winui::testing
