#include "ui/frm_start.hpp"

#include <QCloseEvent>
#include <QLabel>

#include "ui/decorations.hpp"
#include "ui/exit_confirmation.hpp"
#include "ui/link_label.hpp"
#include "ui/product_art.hpp"
#include "ui/shell_services.hpp"
#include "ui/twips.hpp"
#include "ui/wizard.hpp"
#include "ui/wizard_fonts.hpp"

namespace ferrowick::ui {
namespace {

const QColor kLightGrey(192, 192, 192);
const QColor kGrey(128, 128, 128);

}  // namespace

FrmStart::FrmStart(Wizard& wizard) : QWidget(nullptr, WizardWindowFlags()), wizard_(wizard) {
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(QStringLiteral("Halvernook Ferrowick v3.0"));
    setWindowIcon(ProductIcon());
    SetFixedClientTwips(*this, 9270, 7080);

    (new Band(this))->setGeometry(TwipsRect(0, 0, 10695, 1335));       // Shape2
    (new Band(this))->setGeometry(TwipsRect(-240, 6480, 10695, 855));  // Shape1
    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(ProductLogo());
    logo->setGeometry(7, 10, 250, 70);
    MakeRule(this, 3960, 240, 3960, 1080, kLightGrey);  // Line1
    QLabel* title = MakeLabel(this, QStringLiteral("Ferrowick"), WizardFont(Face::Verdana, 21.75), kLightGrey, 4200,
                              360, 5415, 495);
    title->setObjectName(QStringLiteral("lblTitle"));
    MakeLabel(this, QStringLiteral("I want to convert"), WizardFont(Face::Tahoma, 12, true), kGrey, 240, 1640, 2175,
              255)
        ->setObjectName(QStringLiteral("Label3"));
    MakeRule(this, 2520, 1800, 8880, 1800, kGrey);  // Line2

    OptSingle = new QRadioButton(QStringLiteral("Single Folder"), this);
    OptSingle->setObjectName(QStringLiteral("OptSingle"));
    OptSingle->setFont(WizardFont(Face::Verdana, 11.25, true));
    OptSingle->setGeometry(TwipsRect(720, 2280, 2055, 495));
    OptSingle->setChecked(true);
    lblSingleHelp = new LinkLabel(QStringLiteral(" [ ? ]"), QStringLiteral("Online Help"), this);
    lblSingleHelp->setObjectName(QStringLiteral("lblSingleHelp"));
    lblSingleHelp->setGeometry(TwipsRect(2760, 2400, 495, 240));
    QLabel* label2 =
        MakeLabel(this,
                  QStringLiteral(
                      "This option allows you to select a single folder having messages and convert it to "
                      "respective Outlook data file. To convert multiple folders, you need to select individual "
                      "folders one after another."),
                  WizardFont(Face::Verdana, 9), kGrey, 960, 2760, 7575, 600);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setWordWrap(true);

    OptMultiple = new QRadioButton(QStringLiteral("Multiple Folders"), this);
    OptMultiple->setObjectName(QStringLiteral("OptMultiple"));
    OptMultiple->setFont(WizardFont(Face::Verdana, 11.25));
    OptMultiple->setGeometry(TwipsRect(720, 3720, 2295, 495));
    lblMultipleHelp = new LinkLabel(QStringLiteral(" [ ? ]"), QStringLiteral("Online Help"), this);
    lblMultipleHelp->setObjectName(QStringLiteral("lblMultipleHelp"));
    lblMultipleHelp->setGeometry(TwipsRect(3000, 3840, 495, 240));
    QLabel* label4 =
        MakeLabel(this,
                  QStringLiteral(
                      "This option allows you to select multiple folders and then convert them to respective "
                      "Outlook .pst files. To convert multiple mailbox folders, you just need to to select top "
                      "folder having all mailbox folders inside it."),
                  WizardFont(Face::Verdana, 9), kGrey, 960, 4560, 7575, 825);
    label4->setObjectName(QStringLiteral("Label4"));
    label4->setWordWrap(true);

    CmdHelp = new QPushButton(QStringLiteral("Product &Guide"), this);
    CmdHelp->setObjectName(QStringLiteral("CmdHelp"));
    CmdHelp->setFont(WizardFont(Face::Verdana, 9));
    CmdHelp->setGeometry(TwipsRect(240, 6600, 1695, 390));
    CmdNext = new QPushButton(QStringLiteral("&Next >"), this);
    CmdNext->setObjectName(QStringLiteral("CmdNext"));
    CmdNext->setFont(WizardFont(Face::Verdana, 9));
    CmdNext->setGeometry(TwipsRect(7320, 6600, 1695, 390));

    connect(OptSingle, &QRadioButton::toggled, this, [this](bool on) {
        if (on) OptSingleClick();
    });
    connect(OptMultiple, &QRadioButton::toggled, this, [this](bool on) {
        if (on) OptMultipleClick();
    });
    MakeDefaultButton(*this, *CmdNext);
    connect(CmdNext, &QPushButton::clicked, this, [this] { CmdNextClick(); });
    connect(CmdHelp, &QPushButton::clicked, this, [] { OpenLink(HelpAddress("/ferrowick/")); });
    connect(lblSingleHelp, &LinkLabel::Clicked, this, [] { OpenLink(HelpAddress("/h/ferrowick/#single-folder")); });
    connect(lblMultipleHelp, &LinkLabel::Clicked, this,
            [] { OpenLink(HelpAddress("/h/ferrowick/#multiple-folders")); });
}

void FrmStart::OptSingleClick() {
    OptSingle->setFont(WizardFont(Face::Verdana, 11.25, true));
    OptMultiple->setFont(WizardFont(Face::Verdana, 11.25, false));
}

void FrmStart::OptMultipleClick() {
    OptMultiple->setFont(WizardFont(Face::Verdana, 11.25, true));
    OptSingle->setFont(WizardFont(Face::Verdana, 11.25, false));
}

void FrmStart::CmdNextClick() {
    if (OptSingle->isChecked())
        wizard_.ShowSingle();
    else
        wizard_.ShowMultiple();
}

void FrmStart::SetRunning(bool running) {
    OptSingle->setEnabled(!running);
    OptMultiple->setEnabled(!running);
}

void FrmStart::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (ConfirmExit(this)) wizard_.EndProgram();
}

}  // namespace ferrowick::ui
