#pragma once
// The wizard as a whole on Win32: the four windows, the process-wide run state, the seams
// of a run, and the hand-overs between windows. The conversion is handed in (the program
// binds the run driver to a message-store service), so nothing here creates a store.
#include <functional>
#include <memory>

#include "seams/clock.hpp"
#include "seams/run_seams.hpp"
#include "seams/run_state.hpp"
#include "seams/session_tracker.hpp"
#include "winui/frm_migate_all.hpp"
#include "winui/frm_multiple.hpp"
#include "winui/frm_single.hpp"
#include "winui/frm_start.hpp"
#include "winui/shell_services.hpp"
#include "winui/win_prompts.hpp"
#include "winui/win_status_board.hpp"
#include "winui/win_yielder.hpp"

namespace ferrowick::winui {

struct WizardHooks {
    // The message-store service runs write through (handed in by the program).
    MessageStoreService* store = nullptr;
    // Runs one whole conversion (the run driver); returns when it has ended.
    std::function<void(RunState&, RunSeams&)> runConversion;
    // Ends the process at once (the default does not return).
    std::function<void(int)> endProcess;
    // The desktop shell; members left empty are the real shell's.
    ShellServices shell;
};

class WizardSelection;

class Wizard {
public:
    explicit Wizard(WizardHooks hooks);
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    FrmStart& Start() { return start_; }
    FrmSingle& Single() { return single_; }
    FrmMultiple& Multiple() { return multiple_; }
    FrmMigateAll& Status() { return status_; }

    RunState& State() { return state_; }
    StatusBoard& Board() { return board_; }
    SelectionInputs& Selection();
    Prompts& Prompter() { return prompts_; }
    const ShellServices& Shell() const { return hooks_.shell; }
    WinYielder& Yielder() { return yielder_; }
    bool RunInProgress() const { return running_; }
    // Set once the program has been ended by the start window's confirmed close.
    bool Ended() const { return ended_; }

    // Lets the window system handle pending input (the windows' own long loops).
    void Pump() { yielder_.Yield(); }

    // Program start and the multiple-folder window's Back: the start window, no owner.
    void ShowStart();
    // Next on the start window.
    void ShowSingle();
    void ShowMultiple();
    // The engine's and the driver's "close the single-folder window".
    void UnloadSingle() { single_.Unload(); }
    // The multiple-folder window was closed from its title bar: the start window comes back.
    void MultipleClosed() { ShowStart(); }
    // Next on a selection window: the status window owned by owner, then the whole run.
    // A second Next while a run goes on is ignored (the buttons are disabled too).
    void RunFrom(Form& owner);
    // Confirmed exit on the start window: every window closes and the program ends. During
    // a run the open store sessions are logged off first and the process ends at once.
    void EndProgram();
    // The multiple-folder window's output box (empty when it was never opened).
    std::wstring MultipleOutputFolder() const;

private:
    void SetRunning(bool running);
    HWND BoxOwner() const;

    WizardHooks hooks_;
    RunState state_;
    FrmStart start_;
    FrmSingle single_;
    FrmMultiple multiple_;
    FrmMigateAll status_;
    WinStatusBoard board_;
    WinYielder yielder_;
    WinPrompts prompts_;
    std::unique_ptr<WizardSelection> selection_;
    SessionTracker sessions_;
    SystemClock clock_;
    bool running_ = false;
    bool ended_ = false;
};

// The program's message loop; returns the exit code of the quit message.
int RunMessageLoop();

}  // namespace ferrowick::winui
