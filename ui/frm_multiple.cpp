#include "ui/frm_multiple.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>

#include "seams/prompts.hpp"
#include "ui/decorations.hpp"
#include "ui/link_label.hpp"
#include "ui/product_art.hpp"
#include "ui/qt_text.hpp"
#include "ui/shell_services.hpp"
#include "ui/twips.hpp"
#include "ui/wizard.hpp"
#include "ui/wizard_fonts.hpp"

namespace ferrowick::ui {
namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(WizardFont(Face::Verdana, 9));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

FrmMultiple::FrmMultiple(Wizard& wizard, QWidget* owner) : QWidget(owner, OwnedWindowFlags()), wizard_(wizard) {
    setObjectName(QStringLiteral("frmMultiple"));
    setWindowTitle(QStringLiteral("Multiple Folder Mode"));
    setWindowIcon(ProductIcon());
    SetFixedClientTwips(*this, 10590, 6255);

    (new Band(this))->setGeometry(TwipsRect(0, 5640, 10695, 855));  // Shape1
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(ProductIconPixmap(24));
    image->setGeometry(10, 12, 24, 24);
    MakeLabel(this, QStringLiteral("Select top folder having all sub-folders inside it containing .msg files"),
              WizardFont(Face::Verdana, 9), Qt::black, 600, 240, 6975, 360)
        ->setObjectName(QStringLiteral("Label3"));
    CmdAddFolder = MakeButton(this, "CmdAddFolder", QStringLiteral("Select..."), TwipsRect(7800, 165, 1455, 390));
    lblSelectRootFolder = new LinkLabel(QStringLiteral(" [ ? ]"), QStringLiteral("Click to Know More..."), this);
    lblSelectRootFolder->setObjectName(QStringLiteral("lblSelectRootFolder"));
    lblSelectRootFolder->setGeometry(TwipsRect(9360, 240, 495, 240));

    Frame1 = new QGroupBox(QStringLiteral(" Select Folders"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFont(WizardFont(Face::Verdana, 9, true));
    Frame1->setGeometry(TwipsRect(240, 720, 10095, 4095));
    chkSelectAll = new QCheckBox(QStringLiteral("Select All"), Frame1);
    chkSelectAll->setObjectName(QStringLiteral("chkSelectAll"));
    chkSelectAll->setFont(WizardFont(Face::Verdana, 9));
    chkSelectAll->setGeometry(TwipsRect(340, 360, 3015, 255));

    lv = new QTreeWidget(Frame1);
    lv->setObjectName(QStringLiteral("lv"));
    lv->setFont(WizardFont(Face::Tahoma, 9));
    lv->setGeometry(TwipsRect(240, 720, 9615, 3135));
    lv->setColumnCount(2);
    lv->setHeaderLabels({QStringLiteral("User"), QStringLiteral("Mailbox Folder")});
    lv->header()->setFont(WizardFont(Face::Tahoma, 9));
    lv->setColumnWidth(0, Px(3000));
    // The designed 6600 twips end one pixel past the list's inner edge: the second column
    // takes the rest of the list instead, so an empty list shows no horizontal scroll bar.
    lv->setColumnWidth(1, lv->width() - 2 * lv->frameWidth() - Px(3000));
    lv->setRootIsDecorated(false);
    lv->setUniformRowHeights(true);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setIconSize(QSize(16, 16));

    MakeLabel(this, QStringLiteral("Output Folder:"), WizardFont(Face::Verdana, 9), Qt::black, 240, 5040, 1575, 345)
        ->setObjectName(QStringLiteral("Label1"));
    txtOutputFolder = new QLineEdit(this);
    txtOutputFolder->setObjectName(QStringLiteral("txtOutputFolder"));
    txtOutputFolder->setFont(WizardFont(Face::Tahoma, 9));
    txtOutputFolder->setGeometry(TwipsRect(1680, 4920, 7215, 405));
    cmdChange = MakeButton(this, "cmdChange", QStringLiteral("Change..."), TwipsRect(9000, 4920, 1335, 390));
    cmdBack = MakeButton(this, "cmdBack", QStringLiteral("< Bac&k"), TwipsRect(7080, 5760, 1335, 390));
    CmdNext = MakeButton(this, "CmdNext", QStringLiteral("&Next >"), TwipsRect(8640, 5760, 1695, 390));

    connect(CmdAddFolder, &QPushButton::clicked, this, [this] { CmdAddFolderClick(); });
    // Like the original control, the handler runs whenever the state changes, also from code.
    connect(chkSelectAll, &QCheckBox::stateChanged, this, [this] { ChkSelectAllClick(); });
    connect(cmdChange, &QPushButton::clicked, this, [this] { CmdChangeClick(); });
    connect(cmdBack, &QPushButton::clicked, this, [this] {
        wizard_.ShowStart();
        hide();
    });
    MakeDefaultButton(*this, *CmdNext);
    connect(CmdNext, &QPushButton::clicked, this, [this] { CmdNextClick(); });
    connect(lblSelectRootFolder, &LinkLabel::Clicked, this,
            [] { OpenLink(HelpAddress("/h/ferrowick/#select-root-folder")); });

    FormLoad();
}

void FrmMultiple::FormLoad() {
    txtOutputFolder->setText(Q(SpecialFolderPath()));
    chkSelectAll->setChecked(false);
    chkSelectAll->setEnabled(false);
}

void FrmMultiple::CmdAddFolderClick() {
    const std::u16string chosen = BrowseForFolder(this, u"Choose Source Folder...", lastRoot_);
    if (chosen.empty()) return;
    std::u16string root = chosen;
    const char16_t separator = static_cast<char16_t>(QDir::separator().unicode());
    if (root.back() != separator) root += separator;
    lastRoot_ = Q(chosen);

    lv->clear();
    lv->viewport()->update();
    const QIcon userIcon = style()->standardIcon(QStyle::SP_DirHomeIcon);
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    for (const SubFolder& folder : ListSubFolders(root)) {
        QApplication::processEvents();
        auto* row = new QTreeWidgetItem(lv);
        row->setData(0, kKeyRole, QStringLiteral("|") + Q(folder.path));
        row->setText(0, Q(folder.name));
        row->setIcon(0, userIcon);
        row->setCheckState(0, Qt::Unchecked);
        row->setData(1, kKeyRole, QStringLiteral("|"));
        row->setText(1, Q(root + folder.name));
        row->setIcon(1, folderIcon);
        row->setToolTip(1, Q(root + folder.name));
        lv->viewport()->update();
    }
    AltLVBackground(*lv, QColor(255, 255, 255), QColor(255, 255, 192));
    listed_ = true;
    chkSelectAll->setChecked(false);
    chkSelectAll->setEnabled(!wizard_.RunInProgress());
}

void FrmMultiple::AltLVBackground(QTreeWidget& list, QColor first, QColor second) {
    if (list.topLevelItemCount() == 0) return;
    QApplication::processEvents();
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list.topLevelItem(i);
        for (int column = 0; column < list.columnCount(); ++column)
            row->setBackground(column, i % 2 == 0 ? first : second);
    }
}

void FrmMultiple::ChkSelectAllClick() {
    const bool ticking = chkSelectAll->isChecked();
    for (int i = 0; i < lv->topLevelItemCount(); ++i) {
        QApplication::processEvents();
        if (QTreeWidgetItem* row = lv->topLevelItem(i)) row->setCheckState(0, ticking ? Qt::Checked : Qt::Unchecked);
        chkSelectAll->setText(ticking ? QStringLiteral("Deselect All") : QStringLiteral("Select All"));
    }
}

void FrmMultiple::CmdChangeClick() {
    const std::u16string chosen = BrowseForFolder(this, u"Choose Output Folder...", txtOutputFolder->text());
    if (!chosen.empty()) txtOutputFolder->setText(Q(chosen));
}

void FrmMultiple::CmdNextClick() {
    if (wizard_.RunInProgress()) return;  // one run at a time
    bool anyTicked = false;
    for (int i = 0; i < lv->topLevelItemCount() && !anyTicked; ++i) {
        QApplication::processEvents();
        if (QTreeWidgetItem* row = lv->topLevelItem(i)) anyTicked = row->checkState(0) == Qt::Checked;
    }
    if (anyTicked) {
        wizard_.RunFrom(*this);
        return;
    }
    wizard_.Prompter().ShowMessage(
        MessageBoxRequest{u"No Folders Selected !\r\nPlease Select alteast one folder to convert.",
                          u"Select Folder(s) to Convert",
                          MessageIcon::Information,
                          MessageButtons::Ok,
                          {}});
}

void FrmMultiple::MarkRowStarted(int index) {
    QTreeWidgetItem* row = lv->topLevelItem(index - 1);
    if (!row) return;
    for (int column = 0; column < lv->columnCount(); ++column) {
        row->setForeground(column, QColor(0, 128, 0));
        QFont font = lv->font();
        font.setBold(true);
        row->setFont(column, font);
    }
}

void FrmMultiple::SetRowsCheckable(bool checkable) {
    for (int i = 0; i < lv->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lv->topLevelItem(i);
        row->setFlags(checkable ? (row->flags() | Qt::ItemIsUserCheckable) : (row->flags() & ~Qt::ItemIsUserCheckable));
    }
}

void FrmMultiple::SetRunning(bool running) {
    CmdAddFolder->setEnabled(!running);
    chkSelectAll->setEnabled(!running && listed_);
    SetRowsCheckable(!running);
    txtOutputFolder->setReadOnly(running);
    cmdChange->setEnabled(!running);
    CmdNext->setEnabled(!running);
}

// Closed from the title bar: kept like Back does, and the start window shown again.
void FrmMultiple::closeEvent(QCloseEvent* event) {
    event->accept();
    wizard_.MultipleClosed();
}

}  // namespace ferrowick::ui
