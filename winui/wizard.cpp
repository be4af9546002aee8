#include "winui/wizard.hpp"

#include <cstdio>
#include <exception>

#include "winui/message_boxes.hpp"
#include "winui/wide_text.hpp"

namespace ferrowick::winui {

// The selection inputs as the windows hold them.
class WizardSelection : public SelectionInputs {
public:
    explicit WizardSelection(Wizard& wizard) : wizard_(wizard) {}
    // A run starts from the single-folder or the multiple-folder window; the start
    // window's option may have changed since, so it is not asked.
    void StartedFrom(bool singleFolderWindow) { singleRun_ = singleFolderWindow; }

    bool OptSingle() const override { return singleRun_; }
    std::u16string SourceMailbox() const override { return U(wizard_.Single().SourceMailbox()); }
    std::size_t RowCount() const override { return static_cast<std::size_t>(wizard_.Multiple().RowCount()); }
    FolderRow Row(std::size_t index) const override {
        const int row = static_cast<int>(index) - 1;
        FrmMultiple& multiple = wizard_.Multiple();
        if (row < 0 || row >= multiple.RowCount()) return {};
        return {multiple.RowChecked(row), U(multiple.RowText(row, 0)), U(multiple.RowText(row, 1))};
    }
    void MarkRowStarted(std::size_t index) override { wizard_.Multiple().MarkRowStarted(static_cast<int>(index) - 1); }
    std::u16string OutputFolder() const override { return U(wizard_.MultipleOutputFolder()); }

private:
    Wizard& wizard_;
    bool singleRun_ = true;
};

Wizard::Wizard(WizardHooks hooks)
    : hooks_(std::move(hooks)),
      start_(*this),
      single_(*this),
      multiple_(*this),
      status_(*this),
      board_(status_),
      prompts_([this] { return BoxOwner(); }, [this] { UnloadSingle(); }),
      selection_(std::make_unique<WizardSelection>(*this)),
      sessions_(hooks_.store) {
    const ShellServices desktop = DesktopShell();
    if (!hooks_.shell.openLink) hooks_.shell.openLink = desktop.openLink;
    if (!hooks_.shell.browseForFolder) hooks_.shell.browseForFolder = desktop.browseForFolder;
    if (!hooks_.shell.specialFolderPath) hooks_.shell.specialFolderPath = desktop.specialFolderPath;
    if (!hooks_.shell.listSubFolders) hooks_.shell.listSubFolders = desktop.listSubFolders;
    if (!hooks_.endProcess)
        hooks_.endProcess = [](int code) {
            std::fflush(nullptr);
            ExitProcess(static_cast<UINT>(code));
        };
}

Wizard::~Wizard() = default;

SelectionInputs& Wizard::Selection() { return *selection_; }

void Wizard::ShowStart() { start_.ShowOwnedBy(nullptr); }

void Wizard::ShowSingle() {
    if (!single_.Loaded() && !running_) single_.Load();
    single_.ShowOwnedBy(start_.Handle());
}

void Wizard::ShowMultiple() {
    multiple_.Load();
    multiple_.SetRunning(running_);
    multiple_.ShowOwnedBy(start_.Handle());
    start_.Hide();
}

std::wstring Wizard::MultipleOutputFolder() const { return const_cast<FrmMultiple&>(multiple_).OutputFolder(); }

HWND Wizard::BoxOwner() const {
    if (status_.Visible()) return status_.Handle();
    HWND active = GetActiveWindow();
    if (active) return active;
    return start_.Visible() ? start_.Handle() : nullptr;
}

void Wizard::SetRunning(bool running) {
    running_ = running;
    start_.SetRunning(running);
    single_.SetRunning(running);
    multiple_.SetRunning(running);
}

void Wizard::RunFrom(Form& owner) {
    if (running_) return;
    status_.ShowForRun(owner.Handle());
    selection_->StartedFrom(&owner != &multiple_);
    if (!hooks_.runConversion) return;

    SetRunning(true);
    try {
        RunSeams seams{board_, yielder_, prompts_, *selection_, sessions_, clock_};
        hooks_.runConversion(state_, seams);
    } catch (const std::exception& failure) {
        // The run handles no errors of its own: report it and end, as the platform would.
        std::wstring text;
        for (const char* c = failure.what(); *c; ++c) text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        MessageBoxW(BoxOwner(), text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
        sessions_.ReleaseOpenSessions();
        hooks_.endProcess(1);
    }
    SetRunning(false);
}

void Wizard::EndProgram() {
    if (running_) {
        // The run is deep inside this call stack and must not go on: keep what it saved and
        // end the process here.
        sessions_.ReleaseOpenSessions();
        hooks_.endProcess(0);
        return;
    }
    for (Form* form : Form::All()) form->Hide();
    ended_ = true;
    PostQuitMessage(0);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchWizardMessage(msg);
    return static_cast<int>(msg.wParam);
}

}  // namespace ferrowick::winui
