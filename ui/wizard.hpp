#pragma once
// The wizard as a whole: the four windows, the process-wide run state, the Qt seams of a
// run, and the hand-overs between windows. The conversion itself is handed in (app/
// binds the run driver to a message-store service), so nothing here creates a store.
#include <functional>
#include <memory>

#include "seams/clock.hpp"
#include "seams/prompts.hpp"
#include "seams/run_seams.hpp"
#include "seams/run_state.hpp"
#include "seams/selection_inputs.hpp"
#include "seams/session_tracker.hpp"
#include "seams/yielder.hpp"
#include "ui/qt_status_board.hpp"

class QWidget;

namespace ferrowick::ui {

class FrmStart;
class FrmSingle;
class FrmMultiple;
class FrmMigateAll;
class WizardSelection;

struct WizardHooks {
    // The message-store service runs write through (handed in by the program).
    MessageStoreService* store = nullptr;
    // Runs one whole conversion (the run driver); returns when it has ended.
    std::function<void(RunState&, RunSeams&)> runConversion;
    // Ends the process at once (the default does not return).
    std::function<void(int)> endProcess;
};

class Wizard {
public:
    explicit Wizard(WizardHooks hooks);
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    FrmStart& Start() { return *start_; }
    FrmSingle* Single() const { return single_; }  // null until first needed
    FrmMultiple* Multiple() const { return multiple_; }
    FrmMigateAll* Status() const { return status_; }

    RunState& State() { return state_; }
    QtStatusBoard& Board() { return board_; }
    SelectionInputs& Selection();
    Prompts& Prompter() { return *prompts_; }
    bool RunInProgress() const { return running_; }

    // Program start and the multiple-folder window's Back: the start window, no owner.
    void ShowStart();
    // Next on the start window.
    void ShowSingle();
    void ShowMultiple();
    // The engine's and the driver's "close the single-folder window".
    void UnloadSingle();
    // The multiple-folder window was closed from its title bar: it stays loaded, and the
    // start window comes back so the user always has a visible window.
    void MultipleClosed();
    // Next on a selection window: the status window owned by owner, then the whole run.
    // A second Next while a run is going on is ignored (the buttons are disabled too).
    void RunFrom(QWidget& owner);
    // Confirmed exit on the start window: every window closes and the program ends. During
    // a run the open store sessions are logged off first and the process ends at once.
    void EndProgram();

    // The single-folder window object, created (not shown) when needed.
    FrmSingle& EnsureSingle();

private:
    void SetRunning(bool running);
    QWidget* BoxOwner() const;

    WizardHooks hooks_;
    RunState state_;
    QtStatusBoard board_;
    std::unique_ptr<Yielder> yielder_;
    std::unique_ptr<Prompts> prompts_;
    std::unique_ptr<WizardSelection> selection_;
    std::unique_ptr<SessionTracker> sessions_;
    SystemClock clock_;
    std::unique_ptr<FrmStart> start_;
    FrmSingle* single_ = nullptr;      // owned by the start window (Qt parent)
    FrmMultiple* multiple_ = nullptr;  // owned by the start window (Qt parent)
    FrmMigateAll* status_ = nullptr;   // owned by the selection window of the last run
    bool running_ = false;
};

}  // namespace ferrowick::ui
