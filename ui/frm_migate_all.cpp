#include "ui/frm_migate_all.hpp"

#include <QCloseEvent>

#include "fs/path_names.hpp"

#include "ui/decorations.hpp"
#include "ui/exit_confirmation.hpp"
#include "ui/product_art.hpp"
#include "ui/qt_text.hpp"
#include "ui/shell_services.hpp"
#include "ui/twips.hpp"
#include "ui/wizard.hpp"
#include "ui/wizard_fonts.hpp"

namespace ferrowick::ui {
namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QFont& font,
                        const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(font);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

FrmMigateAll::FrmMigateAll(Wizard& wizard, QWidget* owner) : QWidget(owner, OwnedWindowFlags()), wizard_(wizard) {
    setObjectName(QStringLiteral("frmMigateAll"));
    setWindowTitle(QStringLiteral("Conversion Status"));
    setWindowIcon(ProductIcon());
    SetFixedClientTwips(*this, 7365, 3870);

    (new Band(this))->setGeometry(TwipsRect(-120, -120, 10695, 1695));  // Shape2
    (new Band(this))->setGeometry(TwipsRect(-240, 3000, 10695, 1935));  // Shape1
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(ProductIconPixmap(24));
    image->setGeometry(6, 216, 24, 24);

    lblCount1 = MakeLabel(this, QStringLiteral("Conversion Not Started Yet..."), WizardFont(Face::Tahoma, 9.75, true),
                          Qt::black, 120, 120, 9375, 375);
    lblCount1->setObjectName(QStringLiteral("lblCount1"));
    lblCount1->setAutoFillBackground(true);
    QPalette white = lblCount1->palette();
    white.setColor(QPalette::Window, Qt::white);
    lblCount1->setPalette(white);

    lblProgress =
        MakeLabel(this, QStringLiteral("0% Complete"), WizardFont(Face::Tahoma, 11.25), Qt::black, 120, 600, 6015, 255);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(TwipsRect(120, 960, 6015, 375));
    ProgressBar1->setFixedSize(ProgressBar1->size());
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);

    FrameConversion = MakeLabel(this, QStringLiteral("Conversion Not Started Yet"),
                                WizardFont(Face::Tahoma, 9.75, true), QColor(64, 64, 64), 120, 1800, 6975, 255);
    FrameConversion->setObjectName(QStringLiteral("FrameConversion"));

    LblCurrentDBX = MakeLabel(this, QStringLiteral("Converting Messages..."), WizardFont(Face::Tahoma, 9),
                              QColor(128, 128, 128), 120, 2040, 7095, 855);
    LblCurrentDBX->setObjectName(QStringLiteral("LblCurrentDBX"));
    LblCurrentDBX->setWordWrap(true);

    Label3 = MakeLabel(this, QStringLiteral("Converted Outlook Data File Location :"), WizardFont(Face::Verdana, 9),
                       Qt::black, 480, 3315, 3975, 360);
    Label3->setObjectName(QStringLiteral("Label3"));

    // Buttons last, so that they lie above the wide first label.
    CmdSkip = MakeButton(this, "CmdSkip", QStringLiteral("X"), WizardFont(Face::Tahoma, 9.75, true),
                         TwipsRect(6840, 120, 375, 315));
    CmdSkip->setToolTip(QStringLiteral("Cancel Conversion of Current Folder"));
    CmdStopMigration = MakeButton(this, "CmdStopMigration", QStringLiteral("S&TOP"), WizardFont(Face::Verdana, 9),
                                  TwipsRect(6240, 960, 975, 375));
    CmdStopMigration->setToolTip(QStringLiteral("Stops Complete Conversion"));
    CmdLocate = MakeButton(this, "CmdLocate", QStringLiteral("&Open Folder"), WizardFont(Face::Verdana, 9),
                           TwipsRect(4200, 3240, 1575, 390));

    connect(CmdSkip, &QPushButton::clicked, this, [this] { CmdSkipClick(); });
    connect(CmdStopMigration, &QPushButton::clicked, this, [this] { CmdStopMigrationClick(); });
    connect(CmdLocate, &QPushButton::clicked, this, [this] { CmdLocateClick(); });
}

void FrmMigateAll::ShowOwnedBy(QWidget* owner) {
    if (owner && parentWidget() != owner) {
        const bool wasVisible = isVisible();
        setParent(owner, OwnedWindowFlags());
        if (wasVisible) show();
    }
    if (!loaded_) {
        FormLoad();
        CentreOn(*this, owner);
    }
    show();
    raise();
    activateWindow();
}

// A fresh load: the design-time state, then the board's reset.
void FrmMigateAll::FormLoad() {
    loaded_ = true;
    setWindowTitle(QStringLiteral("Conversion Status"));
    ProgressBar1->setRange(0, 100);
    CmdStopMigration->setVisible(false);
    CmdStopMigration->setEnabled(true);
    CmdLocate->setEnabled(false);

    RunState& state = wizard_.State();
    state.MessageQueue.Drop();
    state.FolderQueue.Drop();
    state.Flags.StopRequested = false;
    state.Flags.SkipRequested = false;
    wizard_.Board().ResetForLoad();
    CmdSkip->setEnabled(false);
}

void FrmMigateAll::CmdSkipClick() { wizard_.State().Flags.SkipRequested = true; }

void FrmMigateAll::CmdStopMigrationClick() {
    if (wizard_.State().Flags.SkipRequested) close();  // asks first, like any close
    wizard_.State().Flags.StopRequested = true;
}

void FrmMigateAll::CmdLocateClick() {
    std::u16string target;
    if (wizard_.Selection().OptSingle()) {
        target = fs::ParentFolderOf(wizard_.State().OutputPstPath);
    } else {
        target = wizard_.Selection().OutputFolder();
    }
    OpenLink(target);
}

// Closing never touches the flags: a run that goes on keeps writing to the hidden board.
void FrmMigateAll::closeEvent(QCloseEvent* event) {
    if (!ConfirmExit(this)) {
        event->ignore();
        return;
    }
    loaded_ = false;
    event->accept();
}

}  // namespace ferrowick::ui
