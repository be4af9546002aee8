// The wizard's windows driven as a user would: the flow between them, the pickers, the
// striped list with Select All, the refusal, the links and the close confirmations.
#include <QCheckBox>
#include <QDesktopServices>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "modal_answerer.hpp"
#include "ui/frm_migate_all.hpp"
#include "ui/frm_multiple.hpp"
#include "ui/frm_single.hpp"
#include "ui/frm_start.hpp"
#include "ui/link_label.hpp"
#include "ui/qt_text.hpp"
#include "ui/shell_services.hpp"
#include "ui/wizard.hpp"

using namespace ferrowick;
using namespace ferrowick::ui;
using ferrowick::ui::testing::ModalAnswerer;

// Catches what the wizard hands to the desktop instead of opening a browser.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toString(); }  // called by name by QDesktopServices
};

// Every caption of a window that would not fit its control in the given weight, with the
// room it needs and has. A caption also may not run into a text control to its right.
QStringList ClippedCaptions(QWidget& window, bool bold) {
    QStringList clipped;
    const auto texts = window.findChildren<QWidget*>();
    for (QWidget* w : texts) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w))
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        if (text.trimmed().isEmpty() || w->window() != &window || !w->isVisibleTo(&window)) continue;
        const QFont original = w->font();
        QFont font = original;
        font.setBold(bold);
        w->setFont(font);
        const QFontMetrics metrics(font);
        const QSize textSize = metrics.size(Qt::TextShowMnemonic, text);
        QSize need = textSize;
        auto* label = qobject_cast<QLabel*>(w);
        if (label && label->wordWrap()) need = QSize(0, label->heightForWidth(w->width()));
        if (qobject_cast<QPushButton*>(w)) need = QSize(textSize.width() + 8, textSize.height());
        if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))
            need = QSize(w->sizeHint().width(), textSize.height());
        w->setFont(original);
        int room = w->width();
        for (QWidget* other : texts) {
            if (other == w || other->parentWidget() != w->parentWidget() || !other->isVisibleTo(&window)) continue;
            const bool textual = qobject_cast<QLabel*>(other) || qobject_cast<QAbstractButton*>(other);
            const int shared =
                std::min(w->y() + w->height(), other->y() + other->height()) - std::max(w->y(), other->y());
            const bool sameBand = shared >= 4;
            if (textual && sameBand && other->x() > w->x() && other->x() < w->x() + room) room = other->x() - w->x();
        }
        if (need.width() > room || need.height() > w->height())
            clipped << QStringLiteral("%1 '%2' %3: needs %4x%5, has %6x%7")
                           .arg(w->objectName(), text, bold ? QStringLiteral("bold") : QStringLiteral("regular"))
                           .arg(need.width())
                           .arg(need.height())
                           .arg(room)
                           .arg(w->height());
    }
    return clipped;
}

class WizardWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Wizard> wizard_;
    std::vector<int> exits_;
    QTemporaryDir tree_;
    LinkCatcher links_;

    void WaitUntil(const std::function<bool()>& done, int ms = 5000) { QTRY_VERIFY_WITH_TIMEOUT(done(), ms); }
    QString MakeFolders(const QString& root, const QStringList& names) {
        QDir().mkpath(tree_.filePath(root));
        for (const QString& n : names) QDir().mkpath(tree_.filePath(root + QLatin1Char('/') + n));
        return tree_.filePath(root);
    }
    FrmMultiple& OpenMultiple() {
        wizard_->Start().OptMultiple->click();
        wizard_->Start().CmdNext->click();
        return *wizard_->Multiple();
    }

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &links_, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &links_, "open");
    }
    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }
    void init() {
        exits_.clear();
        links_.opened.clear();
        wizard_ = std::make_unique<Wizard>(WizardHooks{nullptr, {}, [this](int code) { exits_.push_back(code); }});
        wizard_->ShowStart();
    }
    void cleanup() { wizard_.reset(); }

    void StartWindowLooksAsDesigned() {
        FrmStart& start = wizard_->Start();
        QCOMPARE(start.windowTitle(), QStringLiteral("Halvernook Ferrowick v3.0"));
        QCOMPARE(start.size(), QSize(618, 472));
        QVERIFY(!(start.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(start.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(start.OptSingle->isChecked());
        QVERIFY(start.OptSingle->font().bold());
        QVERIFY(!start.OptMultiple->font().bold());
        start.OptMultiple->click();
        QVERIFY(start.OptMultiple->font().bold());
        QVERIFY(!start.OptSingle->font().bold());
        start.OptSingle->click();
        QVERIFY(start.OptSingle->font().bold());
        QCOMPARE(start.lblSingleHelp->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(start.lblSingleHelp->toolTip(), QStringLiteral("Online Help"));
    }

    void HelpLinksOpenTheirPages() {
        FrmStart& start = wizard_->Start();
        start.CmdHelp->click();
        QTest::mouseClick(start.lblSingleHelp, Qt::LeftButton);
        QTest::mouseClick(start.lblMultipleHelp, Qt::LeftButton);
        wizard_->Start().CmdNext->click();
        QTest::mouseClick(wizard_->Single()->lblSingleMailbox, Qt::LeftButton);
        FrmMultiple& multiple = OpenMultiple();
        QCOMPARE(multiple.lblSelectRootFolder->toolTip(), QStringLiteral("Click to Know More..."));
        QTest::mouseClick(multiple.lblSelectRootFolder, Qt::LeftButton);
        const QString base = Q(HelpAddress(""));
        QCOMPARE(links_.opened,
                 (QStringList{base + "/ferrowick/", base + "/h/ferrowick/#single-folder",
                              base + "/h/ferrowick/#multiple-folders", base + "/h/ferrowick/#select-folder",
                              base + "/h/ferrowick/#select-root-folder"}));
        OpenLink(u"");
        QCOMPARE(links_.opened.size(), 5);
        OpenLink(u"/tmp/some folder/");
        QCOMPARE(links_.opened.last(), QStringLiteral("file:///tmp/some folder/"));
    }

    void NextWalksTheWindowsAndBackKeepsTheList() {
        FrmStart& start = wizard_->Start();
        start.CmdNext->click();
        QVERIFY(wizard_->Single()->isVisible());
        QVERIFY(start.isVisible());
        QCOMPARE(wizard_->Single()->windowTitle(), QStringLiteral("Single Folder Mode"));
        QCOMPARE(wizard_->Single()->size(), QSize(514, 146));

        FrmMultiple& multiple = OpenMultiple();
        QVERIFY(multiple.isVisible());
        QVERIFY(!start.isVisible());
        QVERIFY(wizard_->Single()->isVisible());
        QCOMPARE(multiple.windowTitle(), QStringLiteral("Multiple Folder Mode"));
        QCOMPARE(multiple.size(), QSize(706, 417));
        QCOMPARE(multiple.txtOutputFolder->text(), Q(SpecialFolderPath()));
        QVERIFY(!multiple.chkSelectAll->isEnabled());

        ModalAnswerer answers;
        answers.Choose(MakeFolders("back", {"A", "B"}));
        multiple.CmdAddFolder->click();
        QCOMPARE(multiple.lv->topLevelItemCount(), 2);
        multiple.lv->topLevelItem(1)->setCheckState(0, Qt::Checked);
        multiple.txtOutputFolder->setText(QStringLiteral("/out"));

        multiple.cmdBack->click();
        QVERIFY(start.isVisible());
        QVERIFY(!multiple.isVisible());
        start.CmdNext->click();
        QVERIFY(multiple.isVisible());
        QCOMPARE(multiple.lv->topLevelItemCount(), 2);
        QCOMPARE(multiple.lv->topLevelItem(1)->checkState(0), Qt::Checked);
        QCOMPARE(multiple.txtOutputFolder->text(), QStringLiteral("/out"));

        // Its title-bar close leaves the user the start window.
        multiple.close();
        QVERIFY(!multiple.isVisible());
        QVERIFY(start.isVisible());
        QVERIFY(answers.problems.empty());
    }

    // Enter presses Next in the three selection windows, wherever the focus is; the help
    // links sit in the Tab chain and open with Space or Enter; pickers open where the
    // folder already chosen is.
    void KeyboardReachesNextAndTheLinksAndPickersStartAtTheChoice() {
        FrmStart& start = wizard_->Start();
        QTest::keyClick(start.OptSingle, Qt::Key_Return);
        FrmSingle& single = *wizard_->Single();
        QVERIFY(single.isVisible());
        QVERIFY(single.CmdNext->isDefault());

        bool linkInTabChain = false;
        for (QWidget* w = single.nextInFocusChain(); w != &single; w = w->nextInFocusChain())
            linkInTabChain |= w == single.lblSingleMailbox && (w->focusPolicy() & Qt::TabFocus);
        QVERIFY(linkInTabChain);
        QTest::keyClick(single.lblSingleMailbox, Qt::Key_Space);
        QTest::keyClick(single.lblSingleMailbox, Qt::Key_Return);
        QCOMPARE(links_.opened.size(), 2);
        QVERIFY(!wizard_->Status());  // the link took the Enter, not Next

        QTest::keyClick(single.txtSourceMailbox, Qt::Key_Return);  // Next is disabled
        QVERIFY(!wizard_->Status());
        const QString folder = MakeFolders("keys", {"A"});
        ModalAnswerer answers;
        answers.Choose(folder);
        single.CmdAddFolder->click();
        QString openedAt;
        answers.Then([&](QWidget* w) {
            openedAt = qobject_cast<QFileDialog*>(w)->directory().absolutePath();
            static_cast<QDialog*>(w)->reject();
        });
        single.CmdAddFolder->click();
        QCOMPARE(openedAt, folder);
        QTest::keyClick(single.txtSourceMailbox, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(wizard_->Status() && wizard_->Status()->isVisible());

        FrmMultiple& multiple = OpenMultiple();
        answers.Choose(folder);
        multiple.CmdAddFolder->click();
        answers.Then([&](QWidget* w) {
            openedAt = qobject_cast<QFileDialog*>(w)->directory().absolutePath();
            static_cast<QDialog*>(w)->reject();
        });
        multiple.CmdAddFolder->click();
        QCOMPARE(openedAt, folder);
        multiple.txtOutputFolder->setText(tree_.filePath("keys/A"));
        answers.Then([&](QWidget* w) {
            openedAt = qobject_cast<QFileDialog*>(w)->directory().absolutePath();
            static_cast<QDialog*>(w)->reject();
        });
        multiple.cmdChange->click();
        QCOMPARE(openedAt, tree_.filePath("keys/A"));
        answers.Press(QMessageBox::Ok);
        QTest::keyClick(multiple.lv, Qt::Key_Return);  // Next with no ticks: refused
        QVERIFY(answers.Done());
        QCOMPARE(answers.boxes.size(), size_t(1));
        QCOMPARE(answers.boxes[0].title, QStringLiteral("Select Folder(s) to Convert"));
        QVERIFY(answers.problems.empty());
    }

    void NoCaptionIsClippedInEitherWeight() {
        FrmStart& start = wizard_->Start();
        start.CmdNext->click();
        FrmMultiple& multiple = OpenMultiple();
        wizard_->RunFrom(multiple);  // no conversion hooked: the status window as loaded
        QWidget* windows[] = {&start, wizard_->Single(), &multiple, wizard_->Status()};
        QStringList clipped;
        for (QWidget* window : windows)
            for (bool bold : {false, true}) clipped << ClippedCaptions(*window, bold);
        for (const QString& line : clipped) qInfo("clipped: %s", qPrintable(line));
        QVERIFY2(clipped.isEmpty(), qPrintable(QStringLiteral("%1 captions clipped").arg(clipped.size())));

        // The empty list's columns fit it: no horizontal scroll bar.
        QApplication::processEvents();
        int columns = 0;
        for (int c = 0; c < multiple.lv->columnCount(); ++c) columns += multiple.lv->columnWidth(c);
        QVERIFY2(columns <= multiple.lv->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(columns).arg(multiple.lv->viewport()->width())));
        QVERIFY(!multiple.lv->horizontalScrollBar()->isVisible());
    }

    void SinglePickerKeepsTheFirstChoiceOnCancel() {
        wizard_->Start().CmdNext->click();
        FrmSingle& single = *wizard_->Single();
        QVERIFY(!single.CmdNext->isEnabled());
        const QString folder = MakeFolders("single", {});
        ModalAnswerer answers;
        answers.Choose(folder);
        single.CmdAddFolder->click();
        QCOMPARE(single.txtSourceMailbox->text(), folder);
        QVERIFY(single.CmdNext->isEnabled());
        answers.Choose(QString());
        single.CmdAddFolder->click();
        QCOMPARE(single.txtSourceMailbox->text(), folder);
        QVERIFY(single.CmdNext->isEnabled());
        QCOMPARE(answers.dialogs.front().title, QStringLiteral("Choose Source Folder..."));
        QVERIFY(answers.problems.empty());

        // Closed, it comes back as a fresh window.
        single.close();
        wizard_->Start().CmdNext->click();
        QVERIFY(single.txtSourceMailbox->text().isEmpty());
        QVERIFY(!single.CmdNext->isEnabled());
    }

    void RootsAreListedStripedAndTickedAll() {
        FrmMultiple& multiple = OpenMultiple();
        const QString root = MakeFolders("root", {"Box1", "Box2", "Box3", "Box4", "Box5"});
        QFile(root + "/loose.msg").open(QIODevice::WriteOnly);
        ModalAnswerer answers;
        answers.Choose(root);
        multiple.CmdAddFolder->click();

        QTreeWidget& lv = *multiple.lv;
        QCOMPARE(lv.topLevelItemCount(), 5);
        QStringList names;
        for (const SubFolder& f : ListSubFolders(U(root + "/"))) names << Q(f.name);
        for (int i = 0; i < 5; ++i) {
            QTreeWidgetItem* row = lv.topLevelItem(i);
            QCOMPARE(row->text(0), names[i]);
            QCOMPARE(row->text(1), root + "/" + names[i]);
            QCOMPARE(row->data(0, FrmMultiple::kKeyRole).toString(), "|" + root + "/" + names[i]);
            QCOMPARE(row->data(1, FrmMultiple::kKeyRole).toString(), QStringLiteral("|"));
            QCOMPARE(row->toolTip(1), row->text(1));
            QCOMPARE(row->checkState(0), Qt::Unchecked);
            const QColor expected = i % 2 == 0 ? QColor(255, 255, 255) : QColor(255, 255, 192);
            QCOMPARE(row->background(0).color(), expected);
            QCOMPARE(row->background(1).color(), expected);
        }
        QVERIFY(multiple.chkSelectAll->isEnabled());
        QCOMPARE(lv.headerItem()->text(0), QStringLiteral("User"));
        QCOMPARE(lv.headerItem()->text(1), QStringLiteral("Mailbox Folder"));

        multiple.chkSelectAll->click();
        for (int i = 0; i < 5; ++i) QCOMPARE(lv.topLevelItem(i)->checkState(0), Qt::Checked);
        QCOMPARE(multiple.chkSelectAll->text(), QStringLiteral("Deselect All"));
        multiple.chkSelectAll->click();
        for (int i = 0; i < 5; ++i) QCOMPARE(lv.topLevelItem(i)->checkState(0), Qt::Unchecked);
        QCOMPARE(multiple.chkSelectAll->text(), QStringLiteral("Select All"));

        // A second root replaces the list; nothing ticked, Select All unchecked.
        multiple.chkSelectAll->click();
        answers.Choose(MakeFolders("root2", {"Only"}));
        multiple.CmdAddFolder->click();
        QCOMPARE(lv.topLevelItemCount(), 1);
        QCOMPARE(lv.topLevelItem(0)->text(0), QStringLiteral("Only"));
        QCOMPARE(lv.topLevelItem(0)->checkState(0), Qt::Unchecked);
        QVERIFY(!multiple.chkSelectAll->isChecked());
        QCOMPARE(multiple.chkSelectAll->text(), QStringLiteral("Select All"));

        // A cancelled output pick keeps the box.
        const QString before = multiple.txtOutputFolder->text();
        answers.Choose(QString());
        multiple.cmdChange->click();
        QCOMPARE(multiple.txtOutputFolder->text(), before);
        QCOMPARE(answers.dialogs.back().title, QStringLiteral("Choose Output Folder..."));
        QVERIFY(answers.problems.empty());
    }

    void NextWithoutTicksIsRefused() {
        FrmMultiple& multiple = OpenMultiple();
        ModalAnswerer answers;
        answers.Choose(MakeFolders("empty-root", {}));
        multiple.CmdAddFolder->click();
        QCOMPARE(multiple.lv->topLevelItemCount(), 0);
        QVERIFY(multiple.chkSelectAll->isEnabled());
        answers.Press(QMessageBox::Ok);
        multiple.CmdNext->click();
        QCOMPARE(answers.boxes.size(), size_t(1));
        QCOMPARE(answers.boxes[0].title, QStringLiteral("Select Folder(s) to Convert"));
        QCOMPARE(answers.boxes[0].text,
                 QStringLiteral("No Folders Selected !\r\nPlease Select alteast one folder to convert."));
        QCOMPARE(answers.boxes[0].icon, QMessageBox::Information);
        QCOMPARE(answers.boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(wizard_->Status() == nullptr);
        QVERIFY(multiple.isVisible());
    }

    void ClosingTheStartWindowAsksFirst() {
        ModalAnswerer answers;
        answers.Press(QMessageBox::No);
        wizard_->Start().close();
        QVERIFY(wizard_->Start().isVisible());
        QCOMPARE(answers.boxes.at(0).title, QStringLiteral("Halvernook Ferrowick"));
        QCOMPARE(answers.boxes.at(0).text, QStringLiteral("Are you sure you want to exit now?"));
        QCOMPARE(answers.boxes.at(0).icon, QMessageBox::Question);
        QCOMPARE(answers.boxes.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
        answers.Press(QMessageBox::Yes);
        wizard_->Start().close();
        QVERIFY(!wizard_->Start().isVisible());
        QVERIFY(exits_.empty());  // no run: the loop ends normally
    }

    void BrowseKeepsRootsAndDropsTrailingSeparators() {
        QCOMPARE(WithoutTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(WithoutTrailingSeparator(QStringLiteral("C:\\")), QStringLiteral("C:\\"));
        QCOMPARE(WithoutTrailingSeparator(QStringLiteral("/home/me/")), QStringLiteral("/home/me"));
        QCOMPARE(WithoutTrailingSeparator(QStringLiteral("/home/me")), QStringLiteral("/home/me"));
        ModalAnswerer answers;
        answers.Choose(QStringLiteral("/"));
        QCOMPARE(Q(BrowseForFolder(nullptr, u"Pick")), QStringLiteral("/"));
    }

    void LabelsShowDoubledAmpersandsOnce() {
        QCOMPARE(MnemonicLabelText(QStringLiteral("Tom && Jerry")), QStringLiteral("Tom & Jerry"));
        QCOMPARE(MnemonicLabelText(QStringLiteral("S&TOP")), QStringLiteral("STOP"));
        QCOMPARE(MnemonicLabelText(QStringLiteral("plain")), QStringLiteral("plain"));
    }
};

QTEST_MAIN(WizardWindowsTest)
#include "wizard_windows_test.moc"
