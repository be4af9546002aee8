#pragma once
// frmMultiple: the multiple-folder step. The user picks a root folder, ticks its direct
// sub-folders in the striped list and picks the output folder; Next shows the status
// window and runs the conversion over the ticked rows. The list is the hand-over: the run
// reads the rows, their ticks and paths straight from it.
#include <QCheckBox>
#include <QColor>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

namespace ferrowick::ui {

class Wizard;
class LinkLabel;

class FrmMultiple : public QWidget {
    Q_OBJECT
public:
    FrmMultiple(Wizard& wizard, QWidget* owner);

    // White and pale yellow stripes, first colour on rows 1, 3, 5...; set once per fill.
    void AltLVBackground(QTreeWidget& list, QColor first, QColor second);
    // Row i (1-based) has started converting: green text, and bold as its further mark.
    void MarkRowStarted(int index);
    // The selection cannot change, and Next cannot start a second run, during a run.
    void SetRunning(bool running);

    // The row key of a sub-folder: "|" and its full path.
    static constexpr int kKeyRole = Qt::UserRole;

    QPushButton* CmdAddFolder;
    LinkLabel* lblSelectRootFolder;
    QGroupBox* Frame1;
    QCheckBox* chkSelectAll;
    QTreeWidget* lv;
    QLineEdit* txtOutputFolder;
    QPushButton* cmdChange;
    QPushButton* cmdBack;
    QPushButton* CmdNext;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormLoad();
    void CmdAddFolderClick();
    void ChkSelectAllClick();
    void CmdChangeClick();
    void CmdNextClick();
    void SetRowsCheckable(bool checkable);

    Wizard& wizard_;
    bool listed_ = false;  // a root has been listed: Select All is usable
    QString lastRoot_;     // the source picker opens at the root listed last
};

}  // namespace ferrowick::ui
