#pragma once
// frmStart: the first and main window. Its two option buttons choose the mode and are
// also the program's record of it; Next moves on to the matching selection window.
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace ferrowick::ui {

class Wizard;
class LinkLabel;

class FrmStart : public QWidget {
    Q_OBJECT
public:
    explicit FrmStart(Wizard& wizard);

    // The mode cannot change while a run goes on.
    void SetRunning(bool running);

    QRadioButton* OptSingle;
    QRadioButton* OptMultiple;
    LinkLabel* lblSingleHelp;
    LinkLabel* lblMultipleHelp;
    QPushButton* CmdHelp;
    QPushButton* CmdNext;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OptSingleClick();
    void OptMultipleClick();
    void CmdNextClick();

    Wizard& wizard_;
};

}  // namespace ferrowick::ui
