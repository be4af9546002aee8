#pragma once
// frmSingle: the single-folder step. The user picks one source folder; Next shows the
// status window and runs the conversion on it.
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace ferrowick::ui {

class Wizard;
class LinkLabel;

class FrmSingle : public QWidget {
    Q_OBJECT
public:
    FrmSingle(Wizard& wizard, QWidget* owner);

    // A closed window is loaded afresh when it is needed again: empty box, Next disabled.
    bool Loaded() const { return loaded_; }
    void Load();
    void MarkUnloaded() { loaded_ = false; }
    // The source folder cannot change, and Next cannot start a second run, during a run.
    void SetRunning(bool running);

    LinkLabel* lblSingleMailbox;
    QLineEdit* txtSourceMailbox;
    QPushButton* CmdAddFolder;
    QPushButton* CmdNext;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CmdAddFolderClick();
    void CmdNextClick();

    Wizard& wizard_;
    bool loaded_ = true;
    bool picked_ = false;  // Next stays disabled until the first successful pick
};

}  // namespace ferrowick::ui
