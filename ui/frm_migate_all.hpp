#pragma once
// frmMigateAll: the conversion status window. A passive board while a run goes on: the run
// writes its labels, bar and buttons (through QtStatusBoard) and reads the two request
// flags its Skip and Stop buttons raise. Controls carry their names as object names.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

namespace ferrowick::ui {

class Wizard;

class FrmMigateAll : public QWidget {
    Q_OBJECT
public:
    FrmMigateAll(Wizard& wizard, QWidget* owner);

    // Shown by a selection window: a window that is not loaded is reset first; an open one
    // is shown as it is. The owner is the selection window that starts the run.
    void ShowOwnedBy(QWidget* owner);
    bool Loaded() const { return loaded_; }

    QLabel* lblCount1;
    QPushButton* CmdSkip;
    QLabel* lblProgress;
    QProgressBar* ProgressBar1;
    QPushButton* CmdStopMigration;
    QLabel* FrameConversion;
    QLabel* LblCurrentDBX;
    QLabel* Label3;
    QPushButton* CmdLocate;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormLoad();
    void CmdSkipClick();
    void CmdStopMigrationClick();
    void CmdLocateClick();

    Wizard& wizard_;
    bool loaded_ = false;
};

}  // namespace ferrowick::ui
