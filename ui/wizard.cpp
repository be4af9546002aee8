#include "ui/wizard.hpp"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "ui/decorations.hpp"
#include "ui/frm_migate_all.hpp"
#include "ui/frm_multiple.hpp"
#include "ui/frm_single.hpp"
#include "ui/frm_start.hpp"
#include "ui/qt_prompts.hpp"
#include "ui/qt_yielder.hpp"
#include "ui/wizard_fonts.hpp"
#include "ui/wizard_selection.hpp"

namespace ferrowick::ui {

Wizard::Wizard(WizardHooks hooks) : hooks_(std::move(hooks)) {
    LoadWizardFonts();
    if (!hooks_.endProcess)
        hooks_.endProcess = [](int code) {
            std::fflush(nullptr);
            std::_Exit(code);
        };
    yielder_ = std::make_unique<QtYielder>();
    prompts_ = std::make_unique<QtPrompts>([this] { return BoxOwner(); }, [this] { UnloadSingle(); });
    selection_ = std::make_unique<WizardSelection>(*this);
    sessions_ = std::make_unique<SessionTracker>(hooks_.store);
    start_ = std::make_unique<FrmStart>(*this);
}

Wizard::~Wizard() = default;

SelectionInputs& Wizard::Selection() { return *selection_; }

void Wizard::ShowStart() {
    if (!start_->isVisible()) CentreOn(*start_, nullptr);
    start_->show();
    start_->raise();
    start_->activateWindow();
}

FrmSingle& Wizard::EnsureSingle() {
    if (!single_) single_ = new FrmSingle(*this, start_.get());
    return *single_;
}

void Wizard::ShowSingle() {
    FrmSingle& single = EnsureSingle();
    if (!single.Loaded() && !running_) single.Load();
    if (!single.isVisible()) CentreOn(single, start_.get());
    single.show();
    single.raise();
    single.activateWindow();
}

void Wizard::ShowMultiple() {
    if (!multiple_) {
        multiple_ = new FrmMultiple(*this, start_.get());
        multiple_->SetRunning(running_);
    }
    if (!multiple_->isVisible()) CentreOn(*multiple_, start_.get());
    multiple_->show();
    multiple_->raise();
    multiple_->activateWindow();
    start_->hide();
}

void Wizard::UnloadSingle() {
    if (!single_) return;
    single_->MarkUnloaded();
    single_->hide();
}

void Wizard::MultipleClosed() { ShowStart(); }

QWidget* Wizard::BoxOwner() const {
    if (status_ && status_->isVisible()) return status_;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return start_->isVisible() ? start_.get() : nullptr;
}

void Wizard::SetRunning(bool running) {
    running_ = running;
    start_->SetRunning(running);
    if (single_) single_->SetRunning(running);
    if (multiple_) multiple_->SetRunning(running);
}

void Wizard::RunFrom(QWidget& owner) {
    if (running_) return;
    if (!status_) {
        status_ = new FrmMigateAll(*this, &owner);
        board_.Attach(*status_);
    }
    status_->ShowOwnedBy(&owner);
    selection_->StartedFrom(&owner != multiple_);
    if (!hooks_.runConversion) return;

    SetRunning(true);
    try {
        RunSeams seams{board_, *yielder_, *prompts_, *selection_, *sessions_, clock_};
        hooks_.runConversion(state_, seams);
    } catch (const std::exception& failure) {
        // The run handles no errors of its own: report it and end, as the platform would.
        QMessageBox::critical(BoxOwner(), QStringLiteral("Halvernook Ferrowick"), QString::fromUtf8(failure.what()));
        sessions_->ReleaseOpenSessions();
        hooks_.endProcess(1);
    }
    board_.Flush();
    SetRunning(false);
}

void Wizard::EndProgram() {
    if (running_) {
        // The run is deep inside this call stack and must not go on: keep what it saved and
        // end the process here.
        sessions_->ReleaseOpenSessions();
        hooks_.endProcess(0);
    }
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    QCoreApplication::quit();
}

}  // namespace ferrowick::ui
