// The wizard on a real X server with a window manager (started by on_xvfb.sh): what the
// offscreen platform cannot show. The status window is grabbed from the server again and
// again during runs of a few thousand real messages, and the window manager's view of
// which window owns which is read back with xprop.
#include <QCryptographicHash>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <memory>
#include <set>

#include "modal_answerer.hpp"
#include "store/pst_store_service.hpp"
#include "support/msg_fixtures.hpp"
#include "ui/frm_migate_all.hpp"
#include "ui/frm_multiple.hpp"
#include "ui/frm_single.hpp"
#include "ui/frm_start.hpp"
#include "ui/run_driver_hook.hpp"
#include "ui/wizard.hpp"

using namespace ferrowick;
using namespace ferrowick::ui;
using ferrowick::ui::testing::ModalAnswerer;
namespace fsys = std::filesystem;

namespace {

// Grabs the status window from the X server at every pass of the event loop (the run's
// yields) while a run is going on and no box is open, and keeps the distinct pictures.
class StatusGrabber {
public:
    explicit StatusGrabber(Wizard& wizard) : wizard_(wizard) {
        timer_.setInterval(40);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Grab(); });
        timer_.start();
    }
    int grabs = 0;
    std::set<QByteArray> pictures;

private:
    void Grab() {
        FrmMigateAll* status = wizard_.Status();
        if (!wizard_.RunInProgress() || !status || !status->isVisible() || QApplication::activeModalWidget()) return;
        const QImage picture = status->screen()->grabWindow(status->winId()).toImage();
        if (picture.isNull()) return;
        ++grabs;
        pictures.insert(QCryptographicHash::hash(QByteArrayView(picture.constBits(), picture.sizeInBytes()),
                                                 QCryptographicHash::Md5));
    }

    Wizard& wizard_;
    QTimer timer_;
};

// The window a window manager keeps this one above, or 0.
unsigned long TransientFor(const QWidget& window) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("WM_TRANSIENT_FOR")});
    if (!xprop.waitForFinished(10000)) return 0;
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput());
    const qsizetype hex = out.indexOf(QStringLiteral("0x"));
    return hex < 0 ? 0 : out.mid(hex + 2).section(QLatin1Char('\n'), 0, 0).toULong(nullptr, 16);
}

}  // namespace

class WizardX11Test : public QObject {
    Q_OBJECT

    std::unique_ptr<ferrowick::testing::ScratchDir> dir_;
    PstStoreService service_;
    std::unique_ptr<Wizard> wizard_;

    // count real messages: twenty written, then copied.
    fsys::path Messages(const std::string& folder, int count) {
        const fsys::path path = *dir_ / folder;
        fsys::create_directories(path);
        for (int i = 1; i <= count; ++i) {
            if (i <= 20) {
                ferrowick::testing::WriteMsgFile(path, "m" + std::to_string(i) + ".msg",
                                                 ferrowick::testing::PlainMessage(u"Note " +
                                                                                  FromUtf8(std::to_string(i))));
            } else {
                fsys::copy_file(path / ("m" + std::to_string((i - 1) % 20 + 1) + ".msg"),
                                path / ("m" + std::to_string(i) + ".msg"));
            }
        }
        return path;
    }
    static QString Q(const fsys::path& p) { return QString::fromStdString(p.string()); }

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QFAIL("needs the xcb platform: run through on_xvfb.sh");
    }
    void init() {
        dir_ = std::make_unique<ferrowick::testing::ScratchDir>("wizard-x11");
        wizard_ = std::make_unique<Wizard>(WizardHooks{&service_, RunDriver(), {}});
        wizard_->ShowStart();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard_->Start()));
    }
    void cleanup() {
        wizard_.reset();
        dir_.reset();
    }

    void StatusWindowRepaintsDuringASingleFolderRun() {
        const fsys::path source = Messages("Mail", 8000);
        ModalAnswerer answers;
        wizard_->Start().CmdNext->click();
        answers.Choose(Q(source));
        wizard_->Single()->CmdAddFolder->click();
        answers.Choose(Q(*dir_ / "Mail.pst"));
        answers.Press(QMessageBox::Ok);
        StatusGrabber grabber(*wizard_);
        wizard_->Single()->CmdNext->click();

        QVERIFY(answers.problems.empty());
        QCOMPARE(answers.boxes.size(), size_t(1));
        qInfo("%zu distinct pictures in %d grabs", grabber.pictures.size(), grabber.grabs);
        QVERIFY2(grabber.grabs >= 8, qPrintable(QString::number(grabber.grabs)));
        QVERIFY2(
            grabber.pictures.size() * 2 >= size_t(grabber.grabs),
            qPrintable(
                QStringLiteral("%1 distinct pictures in %2 grabs").arg(grabber.pictures.size()).arg(grabber.grabs)));
    }

    // Twice: the second run's freshly loaded window must not keep the first run's picture.
    void StatusWindowRepaintsDuringMultipleFolderRuns() {
        const fsys::path root = *dir_ / "Root";
        Messages("Root/Anna", 3500);
        Messages("Root/Ben", 3500);
        const fsys::path out = *dir_ / "Out";
        fsys::create_directories(out);
        wizard_->Start().OptMultiple->click();
        wizard_->Start().CmdNext->click();
        FrmMultiple& multiple = *wizard_->Multiple();
        {
            ModalAnswerer answers;
            answers.Choose(Q(root));
            multiple.CmdAddFolder->click();
        }
        multiple.chkSelectAll->click();
        multiple.txtOutputFolder->setText(Q(out));
        for (int run = 1; run <= 2; ++run) {
            ModalAnswerer answers;
            if (run == 2) {
                fsys::remove(out / "Anna.pst");
                fsys::remove(out / "Ben.pst");
                answers.Press(QMessageBox::Yes);  // "exit now?": the window closes, to load afresh
                wizard_->Status()->close();
            }
            answers.Press(QMessageBox::Ok);
            StatusGrabber grabber(*wizard_);
            multiple.CmdNext->click();
            QVERIFY(answers.problems.empty());
            qInfo("run %d: %zu distinct pictures in %d grabs", run, grabber.pictures.size(), grabber.grabs);
            QVERIFY2(grabber.grabs >= 8, qPrintable(QString::number(grabber.grabs)));
            QVERIFY2(grabber.pictures.size() * 2 >= size_t(grabber.grabs),
                     qPrintable(QStringLiteral("run %1: %2 distinct pictures in %3 grabs")
                                    .arg(run)
                                    .arg(grabber.pictures.size())
                                    .arg(grabber.grabs)));
        }
    }

    void WindowManagerKeepsOwnedWindowsAboveTheirOwners() {
        ModalAnswerer answers;
        FrmStart& start = wizard_->Start();
        start.CmdNext->click();
        FrmSingle& single = *wizard_->Single();
        QVERIFY(QTest::qWaitForWindowExposed(&single));
        QCOMPARE(TransientFor(single), static_cast<unsigned long>(start.winId()));
        QCOMPARE(TransientFor(start), 0ul);

        // The status window of a run is owned by the window whose Next started it.
        const fsys::path source = Messages("Mail", 2);
        answers.Choose(Q(source));
        single.CmdAddFolder->click();
        answers.Choose(Q(*dir_ / "Mail.pst"));
        answers.Press(QMessageBox::Ok);
        single.CmdNext->click();
        QVERIFY(answers.problems.empty());
        FrmMigateAll& status = *wizard_->Status();
        QVERIFY(QTest::qWaitForWindowExposed(&status));
        QCOMPARE(TransientFor(status), static_cast<unsigned long>(single.winId()));

        single.close();
        start.OptMultiple->click();
        start.CmdNext->click();
        FrmMultiple& multiple = *wizard_->Multiple();
        QVERIFY(QTest::qWaitForWindowExposed(&multiple));
        QCOMPARE(TransientFor(multiple), static_cast<unsigned long>(start.winId()));
    }
};

QTEST_MAIN(WizardX11Test)
#include "wizard_x11_test.moc"
