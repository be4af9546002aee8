#include "ui/frm_single.hpp"

#include <QCloseEvent>
#include <QLabel>

#include "ui/decorations.hpp"
#include "ui/link_label.hpp"
#include "ui/product_art.hpp"
#include "ui/qt_text.hpp"
#include "ui/shell_services.hpp"
#include "ui/twips.hpp"
#include "ui/wizard.hpp"
#include "ui/wizard_fonts.hpp"

namespace ferrowick::ui {

FrmSingle::FrmSingle(Wizard& wizard, QWidget* owner) : QWidget(owner, OwnedWindowFlags()), wizard_(wizard) {
    setObjectName(QStringLiteral("frmSingle"));
    setWindowTitle(QStringLiteral("Single Folder Mode"));
    setWindowIcon(ProductIcon());
    SetFixedClientTwips(*this, 7710, 2190);

    (new Band(this))->setGeometry(TwipsRect(-120, 1560, 10695, 855));  // Shape1
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(ProductIconPixmap(24));
    image->setGeometry(4, 26, 24, 24);
    MakeLabel(this, QStringLiteral("Select folder having all .msg message files"), WizardFont(Face::Verdana, 9),
              Qt::black, 480, 435, 5415, 360)
        ->setObjectName(QStringLiteral("Label3"));
    lblSingleMailbox = new LinkLabel(QStringLiteral(" [ ? ]"), QStringLiteral("Online Help"), this);
    lblSingleMailbox->setObjectName(QStringLiteral("lblSingleMailbox"));
    lblSingleMailbox->setGeometry(TwipsRect(6000, 465, 495, 240));

    txtSourceMailbox = new QLineEdit(this);
    txtSourceMailbox->setObjectName(QStringLiteral("txtSourceMailbox"));
    txtSourceMailbox->setFont(WizardFont(Face::Tahoma, 9));
    txtSourceMailbox->setGeometry(TwipsRect(120, 840, 5655, 405));

    CmdAddFolder = new QPushButton(QStringLiteral("Select..."), this);
    CmdAddFolder->setObjectName(QStringLiteral("CmdAddFolder"));
    CmdAddFolder->setFont(WizardFont(Face::Verdana, 9));
    CmdAddFolder->setGeometry(TwipsRect(5880, 840, 1575, 390));

    CmdNext = new QPushButton(QStringLiteral("&Next >"), this);
    CmdNext->setObjectName(QStringLiteral("CmdNext"));
    CmdNext->setFont(WizardFont(Face::Verdana, 9));
    CmdNext->setGeometry(TwipsRect(5760, 1680, 1695, 390));
    CmdNext->setEnabled(false);

    MakeDefaultButton(*this, *CmdNext);

    connect(CmdAddFolder, &QPushButton::clicked, this, [this] { CmdAddFolderClick(); });
    connect(CmdNext, &QPushButton::clicked, this, [this] { CmdNextClick(); });
    connect(lblSingleMailbox, &LinkLabel::Clicked, this, [] { OpenLink(HelpAddress("/h/ferrowick/#select-folder")); });
}

void FrmSingle::Load() {
    loaded_ = true;
    picked_ = false;
    txtSourceMailbox->clear();
    CmdNext->setEnabled(false);
}

void FrmSingle::CmdAddFolderClick() {
    const std::u16string path = BrowseForFolder(this, u"Choose Source Folder...", txtSourceMailbox->text());
    if (path.empty()) return;  // cancelled: keep the previous choice
    picked_ = true;
    CmdNext->setEnabled(!wizard_.RunInProgress());
    txtSourceMailbox->setText(Q(path));
}

void FrmSingle::CmdNextClick() {
    if (wizard_.RunInProgress()) return;  // one run at a time
    if (txtSourceMailbox->text().isEmpty()) return;
    wizard_.RunFrom(*this);
}

void FrmSingle::SetRunning(bool running) {
    txtSourceMailbox->setReadOnly(running);
    CmdAddFolder->setEnabled(!running);
    CmdNext->setEnabled(!running && picked_);
}

// No confirmation: the start window, which stayed visible, is in front again.
void FrmSingle::closeEvent(QCloseEvent* event) {
    loaded_ = false;
    event->accept();
}

}  // namespace ferrowick::ui
