// Whole conversions started from the wizard's windows, with the store double behind the
// real driver and engine: single and multiple folders, Skip and Stop confirmed and
// declined, the status window closed during a run, and the board's texts at the end.
#include <QCheckBox>
#include <QDesktopServices>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "modal_answerer.hpp"
#include "support/fake_store_service.hpp"
#include "ui/frm_migate_all.hpp"
#include "ui/frm_multiple.hpp"
#include "ui/frm_single.hpp"
#include "ui/frm_start.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_driver_hook.hpp"
#include "ui/save_pst_dialog.hpp"
#include "ui/wizard.hpp"

using namespace ferrowick;
using namespace ferrowick::ui;
using ferrowick::testing::FakeStoreService;
using ferrowick::ui::testing::ModalAnswerer;

namespace {

// Runs an action once, at the first pass of the event loop where the condition holds: the
// run's yields give it the chance, as they give the user's clicks.
class DuringRun {
public:
    DuringRun(std::function<bool()> when, std::function<void()> action)
        : when_(std::move(when)), action_(std::move(action)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (done || !when_()) return;
            done = true;
            timer_.stop();
            action_();
        });
        timer_.start();
    }
    bool done = false;

private:
    QTimer timer_;
    std::function<bool()> when_;
    std::function<void()> action_;
};

// Catches what Open Folder hands to the desktop.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toLocalFile(); }  // called by name by QDesktopServices
};

}  // namespace

class WizardRunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeStoreService> store_;
    std::unique_ptr<Wizard> wizard_;
    std::unique_ptr<QTemporaryDir> tree_;
    std::vector<int> exits_;
    int logoffsAtExit_ = -1;

    QString Folder(const QString& relative, int messages) {
        const QString path = tree_->filePath(relative);
        QDir().mkpath(path);
        for (int i = 1; i <= messages; ++i) {
            QFile file(path + QStringLiteral("/m%1.msg").arg(i));
            file.open(QIODevice::WriteOnly);
        }
        return path;
    }
    FrmMigateAll& Status() { return *wizard_->Status(); }
    QString FrameText() { return wizard_->Status() ? Status().FrameConversion->text() : QString(); }

    // The single-folder window with a source folder picked.
    FrmSingle& PickSingle(ModalAnswerer& answers, const QString& source) {
        wizard_->Start().CmdNext->click();
        answers.Choose(source);
        wizard_->Single()->CmdAddFolder->click();
        return *wizard_->Single();
    }
    // The multiple-folder window with a root listed and the named rows ticked.
    FrmMultiple& PickMultiple(ModalAnswerer& answers, const QString& root, const QStringList& ticked) {
        wizard_->Start().OptMultiple->click();
        wizard_->Start().CmdNext->click();
        FrmMultiple& multiple = *wizard_->Multiple();
        answers.Choose(root);
        multiple.CmdAddFolder->click();
        for (int i = 0; i < multiple.lv->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = multiple.lv->topLevelItem(i);
            if (ticked.contains(row->text(0))) row->setCheckState(0, Qt::Checked);
        }
        multiple.txtOutputFolder->setText(QStringLiteral("  ") + tree_->filePath("out") + QStringLiteral("  "));
        return multiple;
    }
    QStringList Titles(const ModalAnswerer& answers) {
        QStringList titles;
        for (const auto& box : answers.boxes) titles << box.title;
        return titles;
    }

    LinkCatcher links_;

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("file"), &links_, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    void init() {
        links_.opened.clear();
        store_ = std::make_unique<FakeStoreService>();
        tree_ = std::make_unique<QTemporaryDir>();
        QDir().mkpath(tree_->filePath("out"));
        exits_.clear();
        logoffsAtExit_ = -1;
        wizard_ = std::make_unique<Wizard>(WizardHooks{store_.get(), RunDriver(), [this](int code) {
                                                           exits_.push_back(code);
                                                           logoffsAtExit_ = store_->CallCount("Logoff");
                                                       }});
        wizard_->ShowStart();
    }
    void cleanup() {
        wizard_.reset();
        store_.reset();
        tree_.reset();
    }

    void SingleFolderRunConvertsTheTree() {
        const QString source = Folder("Mail", 3);
        Folder("Mail/Inbox", 2);
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        const QString pst = tree_->filePath("out/Mail.pst");
        answers.Choose(pst);
        answers.Press(QMessageBox::Ok);
        bool lockedDuringRun = false;
        DuringRun probe([&] { return FrameText().contains(QStringLiteral("(1 of")); },
                        [&] {
                            lockedDuringRun = !single.CmdNext->isEnabled() && !single.CmdAddFolder->isEnabled() &&
                                              single.txtSourceMailbox->isReadOnly() &&
                                              !wizard_->Start().OptMultiple->isEnabled();
                            wizard_->RunFrom(single);  // a second start during the run is ignored
                        });
        single.CmdNext->click();

        QVERIFY(answers.problems.empty());
        QVERIFY(probe.done);
        QVERIFY(lockedDuringRun);
        QCOMPARE(store_->CallCount("CreateSession"), 1);
        QCOMPARE(store_->stores.size(), size_t(1));
        QCOMPARE(Q(store_->Store().path), pst);
        QCOMPARE(store_->Store().SavedCount(), size_t(5));
        QCOMPARE(answers.dialogs.at(1).filters, QStringLiteral("Outlook Data File(s) (*.pst)"));
        QVERIFY(answers.dialogs.at(1).proposed.startsWith(QStringLiteral("Mail")));
        QVERIFY(answers.dialogs.at(1).proposed.endsWith(QStringLiteral(".pst")));
        QCOMPARE(Titles(answers), QStringList{QStringLiteral("Completed")});
        QCOMPARE(answers.boxes[0].text, QStringLiteral("Messages Converted Successfully.\r\nOpen Converted Outlook "
                                                       "Data file in Microsoft Outlook to View Converted Messages."));
        QCOMPARE(answers.boxes[0].icon, QMessageBox::Information);

        // The board as the run left it.
        FrmMigateAll& status = Status();
        QVERIFY(status.isVisible());
        QCOMPARE(status.windowTitle(), QStringLiteral("Conversion Status"));
        QCOMPARE(status.size(), QSize(491, 258));
        QCOMPARE(status.lblCount1->text(), "Migrating 5 items from " + source + "/");
        QCOMPARE(status.lblProgress->text(), QStringLiteral("100% Complete"));
        QCOMPARE(status.FrameConversion->text(),
                 QStringLiteral("Reading Messages & Email Metadata - (5 of 5) File(s)"));
        QCOMPARE(status.ProgressBar1->value(), 100);
        QVERIFY(!status.CmdSkip->isEnabled());
        QVERIFY(!status.CmdStopMigration->isEnabled());
        QVERIFY(status.CmdStopMigration->isHidden());
        QVERIFY(status.CmdLocate->isEnabled());
        QVERIFY(status.updatesEnabled());
        status.CmdLocate->click();
        QCOMPARE(links_.opened, QStringList{tree_->filePath("out") + "/"});
        // Inputs are back once the run has ended.
        QVERIFY(single.CmdNext->isEnabled());
        QVERIFY(single.isVisible());
        QVERIFY(wizard_->Start().OptMultiple->isEnabled());
    }

    void MultipleFolderRunConvertsEachTickedRow() {
        const QString root = Folder("Root", 0);
        Folder("Root/Box1", 3);
        Folder("Root/Box2", 0);
        Folder("Root/Box3", 2);
        Folder("Root/Box4", 1);
        ModalAnswerer answers;
        FrmMultiple& multiple = PickMultiple(answers, root, {"Box1", "Box2", "Box3"});
        answers.Press(QMessageBox::Ok);
        multiple.CmdNext->click();

        QVERIFY(answers.problems.empty());
        QCOMPARE(Titles(answers), QStringList{QStringLiteral("Completed")});
        QCOMPARE(answers.boxes[0].text, QStringLiteral("All Folders Converted Successfully.\r\nOpen Converted Outlook "
                                                       "Data file(s) in Microsoft Outlook to View Individual files."));
        QCOMPARE(store_->stores.size(), size_t(2));
        QCOMPARE(Q(store_->Store(0).path), tree_->filePath("out/Box1.pst"));
        QCOMPARE(Q(store_->Store(1).path), tree_->filePath("out/Box3.pst"));
        QCOMPARE(store_->Store(0).SavedCount(), size_t(3));
        QCOMPARE(store_->Store(1).SavedCount(), size_t(2));
        for (int i = 0; i < 4; ++i) {
            QTreeWidgetItem* row = multiple.lv->topLevelItem(i);
            const bool started = row->text(0) != QStringLiteral("Box4");
            QCOMPARE(row->foreground(0).color() == QColor(0, 128, 0), started);
            QCOMPARE(row->font(0).bold(), started);
        }
        FrmMigateAll& status = Status();
        QCOMPARE(status.parentWidget(), &multiple);
        QCOMPARE(status.windowTitle(), QStringLiteral("Converting 3 of 4 Folders"));
        QCOMPARE(status.lblCount1->text(), "Converting 2 items from " + root + "/Box3");
        QVERIFY(status.CmdStopMigration->isHidden());
        multiple.txtOutputFolder->setText(QStringLiteral("/elsewhere"));
        status.CmdLocate->click();  // opens what the box shows now
        QCOMPARE(links_.opened, QStringList{QStringLiteral("/elsewhere")});
        QVERIFY(multiple.CmdNext->isEnabled());
        QVERIFY(multiple.chkSelectAll->isEnabled());
        QVERIFY(multiple.lv->topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    }

    void SkipConfirmedEndsOnlyTheCurrentFolder() {
        const QString root = Folder("Root", 0);
        Folder("Root/A", 4);
        Folder("Root/B", 2);
        ModalAnswerer answers;
        FrmMultiple& multiple = PickMultiple(answers, root, {"A", "B"});
        answers.Press(QMessageBox::Yes);
        answers.Press(QMessageBox::Ok);
        DuringRun skip([&] { return FrameText().contains(QStringLiteral("(1 of 4)")); },
                       [&] { Status().CmdSkip->click(); });
        multiple.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(Titles(answers), (QStringList{"Confirm Skip", "Completed"}));
        QCOMPARE(answers.boxes[0].text, QStringLiteral("Do you really want to \"Skip\" conversion of this folder ?"));
        QCOMPARE(answers.boxes[0].icon, QMessageBox::NoIcon);
        QCOMPARE(answers.boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(store_->Store(0).SavedCount() < 4);
        QCOMPARE(store_->Store(1).SavedCount(), size_t(2));
    }

    void SkipDeclinedGoesOn() {
        const QString source = Folder("Mail", 4);
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        answers.Choose(tree_->filePath("out/Mail.pst"));
        answers.Press(QMessageBox::No);
        answers.Press(QMessageBox::Ok);
        DuringRun skip([&] { return FrameText().contains(QStringLiteral("(1 of 4)")); },
                       [&] { Status().CmdSkip->click(); });
        single.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(Titles(answers), (QStringList{"Confirm Skip", "Completed"}));
        QCOMPARE(store_->Store().SavedCount(), size_t(4));
        QVERIFY(!wizard_->State().Flags.SkipRequested);
        QCOMPARE(Status().lblProgress->text(), QStringLiteral("100% Complete"));
    }

    void StopConfirmedEndsTheRun() {
        const QString root = Folder("Root", 0);
        Folder("Root/A", 4);
        Folder("Root/B", 2);
        ModalAnswerer answers;
        FrmMultiple& multiple = PickMultiple(answers, root, {"A", "B"});
        answers.Press(QMessageBox::Yes);
        answers.Press(QMessageBox::Ok);
        DuringRun stop(
            [&] {
                return wizard_->Status() && Status().CmdStopMigration->isVisible() && FrameText().contains("(1 of 4)");
            },
            [&] { Status().CmdStopMigration->click(); });
        multiple.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(Titles(answers), (QStringList{"Confirm Stop", "Completed"}));
        QCOMPARE(answers.boxes[0].text, QStringLiteral("This action will STOP complete conversion process.\r\n"
                                                       "Do you really want to \"STOP\" on-going conversion ?"));
        QCOMPARE(store_->stores.size(), size_t(1));  // B is neither marked nor converted
        QVERIFY(multiple.lv->topLevelItem(1)->foreground(0).color() != QColor(0, 128, 0));
        FrmMigateAll& status = Status();
        QCOMPARE(status.lblCount1->text(), QStringLiteral("Stopped..."));
        QVERIFY(status.lblProgress->text().startsWith(QStringLiteral("Stopped... at ")));
        QVERIFY(!status.CmdSkip->isEnabled());
        QVERIFY(status.CmdStopMigration->isHidden());
        QVERIFY(status.isVisible());
    }

    void StopDeclinedGoesOnAndStopAfterSkipAsksToClose() {
        const QString source = Folder("Mail", 4);
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        answers.Choose(tree_->filePath("out/Mail.pst"));
        answers.Press(QMessageBox::No);  // "Are you sure you want to exit now?": keep the window
        answers.Press(QMessageBox::No);  // Confirm Skip
        answers.Press(QMessageBox::No);  // Confirm Stop
        answers.Press(QMessageBox::Ok);
        DuringRun both([&] { return FrameText().contains(QStringLiteral("(1 of 4)")); },
                       [&] {
                           Status().CmdSkip->click();
                           Status().CmdStopMigration->click();
                       });
        single.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(Titles(answers), (QStringList{"Halvernook Ferrowick", "Confirm Skip", "Confirm Stop", "Completed"}));
        QCOMPARE(store_->Store().SavedCount(), size_t(4));
        QVERIFY(Status().isVisible());
        QVERIFY(single.isVisible());
    }

    void ClosingTheStatusWindowLeavesTheRunAlone() {
        const QString source = Folder("Mail", 4);
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        answers.Choose(tree_->filePath("out/Mail.pst"));
        answers.Press(QMessageBox::Yes);  // close the status window
        answers.Press(QMessageBox::Ok);
        DuringRun close([&] { return FrameText().contains(QStringLiteral("(1 of 4)")); }, [&] { Status().close(); });
        single.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(store_->Store().SavedCount(), size_t(4));
        QVERIFY(!Status().isVisible());

        // The next run loads it afresh.
        QString progress, count, dbx, frame;
        int bar = -1;
        DuringRun look([&] { return Status().isVisible(); },
                       [&] {
                           progress = Status().lblProgress->text();
                           count = Status().lblCount1->text();
                           dbx = Status().LblCurrentDBX->text();
                           frame = Status().FrameConversion->text();
                           bar = Status().ProgressBar1->value();
                       });
        answers.Choose(tree_->filePath("out/Mail2.pst"));
        answers.Press(QMessageBox::Ok);
        single.CmdNext->click();
        QCOMPARE(progress, QStringLiteral("0% Complete"));
        QCOMPARE(count, QStringLiteral("Conversion Not Started Yet..."));
        QCOMPARE(dbx, QStringLiteral("Converting Messages..."));
        QCOMPARE(frame, QStringLiteral("Details "));
        QCOMPARE(bar, 0);
        QCOMPARE(store_->stores.size(), size_t(2));
    }

    void ExitDuringRunReleasesTheStoreFirst() {
        const QString source = Folder("Mail", 4);
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        answers.Choose(tree_->filePath("out/Mail.pst"));
        answers.Press(QMessageBox::Yes);  // "Are you sure you want to exit now?"
        answers.Press(QMessageBox::Ok);   // only because the test's exit returns
        DuringRun quit([&] { return FrameText().contains(QStringLiteral("(1 of 4)")); },
                       [&] { wizard_->Start().close(); });
        single.CmdNext->click();
        QCOMPARE(exits_, std::vector<int>{0});
        QCOMPARE(logoffsAtExit_, 1);
    }

    void FailingStoreReportsOutlookError() {
        store_->sessionFailure = u"no session";
        const QString source = Folder("Mail", 2);
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        answers.Choose(tree_->filePath("out/Mail.pst"));
        answers.Press(QMessageBox::Ok);
        answers.Press(QMessageBox::Ok);
        single.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(Titles(answers), (QStringList{"Outlook Error", "Completed"}));
        QVERIFY(answers.boxes[0].text.startsWith(QStringLiteral("Outlook Session Creation Error !\r\n")));
        QCOMPARE(answers.boxes[0].icon, QMessageBox::Information);
    }

    void CancelledSavePromptClosesTheSingleWindow() {
        const QString source = Folder("Mail", 2);
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        answers.Choose(QString());
        answers.Press(QMessageBox::Ok);
        single.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(store_->CallCount("CreateSession"), 0);
        QVERIFY(!single.isVisible());
        QVERIFY(Status().isVisible());  // owned by the closed window, and still shown
        QVERIFY(wizard_->Start().isVisible());
        QCOMPARE(Titles(answers), QStringList{QStringLiteral("Completed")});
    }

    // The start window stays visible behind the single-folder window, and its option can
    // change meanwhile: the run still converts the single-folder window's folder.
    void TheModeOfARunIsTheModeOfTheWindowThatStartedIt() {
        const QString source = Folder("Mail", 2);
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        wizard_->Start().OptMultiple->click();
        QVERIFY(!single.isHidden());
        const QString pst = tree_->filePath("out/Mail.pst");
        answers.Choose(pst);
        answers.Press(QMessageBox::Ok);
        single.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(answers.dialogs.size(), size_t(2));  // the save prompt was shown
        QCOMPARE(store_->stores.size(), size_t(1));
        QCOMPARE(Q(store_->Store().path), pst);
        QCOMPARE(store_->Store().SavedCount(), size_t(2));
        QVERIFY(answers.boxes.at(0).text.startsWith(QStringLiteral("Messages Converted Successfully.")));
        links_.opened.clear();
        Status().CmdLocate->click();  // the single run's store folder, not the output box
        QCOMPARE(links_.opened, QStringList{tree_->filePath("out") + "/"});

        // And the other way round: the multiple-folder window's Next with the option back
        // on single converts the ticked rows.
        Folder("Root/Box1", 1);
        FrmMultiple& multiple = PickMultiple(answers, tree_->filePath("Root"), {"Box1"});
        wizard_->Start().OptSingle->click();
        answers.Press(QMessageBox::Ok);
        multiple.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(store_->stores.size(), size_t(2));
        QCOMPARE(Q(store_->Store(1).path), tree_->filePath("out/Box1.pst"));
        QVERIFY(answers.boxes.at(1).text.startsWith(QStringLiteral("All Folders Converted Successfully.")));
    }

    void PartlyConvertedRunsEndWithAWarningNotASuccess() {
        const QString source = Folder("Mail", 3);
        store_->importFailsFor = {U(source + "/m2.msg")};
        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        answers.Choose(tree_->filePath("out/Mail.pst"));
        answers.Press(QMessageBox::Ok);
        single.CmdNext->click();
        QVERIFY(answers.problems.empty());
        QCOMPARE(answers.boxes.size(), size_t(1));
        const auto& box = answers.boxes[0];
        QCOMPARE(box.title, QStringLiteral("Completed"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY2(box.text.startsWith(QStringLiteral("2 messages converted, 1 file could not be converted.\r\n")),
                 qPrintable(box.text));
        QVERIFY(!box.text.contains(QStringLiteral("Successfully")));
        QVERIFY(box.detailedText.contains(source + "/m2.msg"));
    }

    // Naming an existing file in the save prompt: anything but a .pst is refused in the
    // prompt, a .pst is used only after a Yes; No returns to the prompt.
    void TheSavePromptAsksBeforeChoosingAnExistingFile() {
        const QString source = Folder("Mail", 2);
        const QString notAStore = tree_->filePath("out/notes.pst");
        const QString existing = tree_->filePath("out/Old.pst");
        {
            QFile file(notAStore);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Dear diary");
            QFile store(existing);
            QVERIFY(store.open(QIODevice::WriteOnly));
            store.write(QByteArray("!BDN") + QByteArray(508, '\0'));
        }
        QCOMPARE(ClassifyExistingOutput(tree_->filePath("out/none.pst")), ExistingOutput::None);
        QCOMPARE(ClassifyExistingOutput(existing), ExistingOutput::Store);
        QCOMPARE(ClassifyExistingOutput(notAStore), ExistingOutput::NotAStore);
        QCOMPARE(ClassifyExistingOutput(tree_->filePath("out")), ExistingOutput::NotAStore);

        ModalAnswerer answers;
        FrmSingle& single = PickSingle(answers, source);
        answers.Choose(notAStore);
        answers.Press(QMessageBox::Ok);
        answers.Choose(existing);
        answers.Press(QMessageBox::No);
        answers.Choose(existing);
        answers.Press(QMessageBox::Yes);
        answers.Press(QMessageBox::Ok);
        single.CmdNext->click();

        QVERIFY(answers.problems.empty());
        QVERIFY(answers.Done());
        QCOMPARE(Titles(answers), (QStringList{"Save As", "Save As", "Save As", "Completed"}));
        QCOMPARE(answers.boxes[0].text,
                 QStringLiteral("notes.pst is not an Outlook Data File (.pst).\r\nChoose another file name."));
        QCOMPARE(answers.boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(answers.boxes[1].text,
                 QStringLiteral("Old.pst already exists.\r\nDo you want to add the converted messages to it?"));
        QCOMPARE(answers.boxes[1].icon, QMessageBox::Question);
        QCOMPARE(store_->stores.size(), size_t(1));
        QCOMPARE(Q(store_->Store().path), existing);
        QFile file(notAStore);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Dear diary"));
    }
};

QTEST_MAIN(WizardRunTest)
#include "wizard_run_test.moc"
