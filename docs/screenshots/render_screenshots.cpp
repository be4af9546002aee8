// Takes each wizard window to PNG, and the status window in the middle and at the end of a
// multiple-folder run (real driver and engine, with the in-memory store double behind
// them). On a real X server (the screenshots target runs it under Xvfb with openbox) the
// pictures are taken from the screen, title bars included, so they show what a user sees;
// elsewhere each window renders itself. Usage: render_screenshots <output folder>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "support/fake_store_service.hpp"
#include "tests/ui/modal_answerer.hpp"
#include "ui/frm_migate_all.hpp"
#include "ui/frm_multiple.hpp"
#include "ui/frm_single.hpp"
#include "ui/frm_start.hpp"
#include "ui/run_driver_hook.hpp"
#include "ui/wizard.hpp"

using namespace ferrowick::ui;

namespace {

// Lets the window manager map and frame the window and the window paint itself.
void Settle() {
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 400) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

bool Save(QWidget& window, const QString& folder, const char* name) {
    Settle();
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + QString::fromLatin1(name);
    QPixmap picture;
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        const QRect frame = window.frameGeometry();
        picture = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    } else {
        picture = window.grab();
    }
    const bool saved = picture.save(path, "PNG");
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

// A small tree of mailbox folders with empty .msg files, at a stable path for the pictures.
QString MakeDemoTree() {
    const QString root = QDir::tempPath() + QStringLiteral("/Mailboxes");
    QDir(root).removeRecursively();
    const struct {
        const char* name;
        int messages;
    } boxes[] = {{"Alice", 6}, {"Bob", 3}, {"Carol", 40}, {"Dave", 0}, {"Erin", 5}};
    for (const auto& box : boxes) {
        const QString folder = root + QLatin1Char('/') + QString::fromLatin1(box.name);
        QDir().mkpath(folder + QStringLiteral("/Inbox"));
        for (int i = 1; i <= box.messages; ++i)
            QFile(folder + (i % 2 ? QStringLiteral("/Inbox") : QString()) + QStringLiteral("/msg%1.msg").arg(i))
                .open(QIODevice::WriteOnly);
    }
    return root;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fputs("usage: render_screenshots <output folder>\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const QString root = MakeDemoTree();
    const QString converted = QDir::tempPath() + QStringLiteral("/Converted");
    QDir().mkpath(converted);

    ferrowick::testing::FakeStoreService store;
    Wizard wizard(WizardHooks{&store, RunDriver(), {}});
    wizard.ShowStart();
    bool ok = Save(wizard.Start(), out, "start.png");

    testing::ModalAnswerer answers;
    wizard.Start().CmdNext->click();
    FrmSingle& single = *wizard.Single();
    answers.Choose(root + QStringLiteral("/Alice"));
    single.CmdAddFolder->click();
    ok &= Save(single, out, "single.png");
    single.close();

    wizard.Start().OptMultiple->click();
    ok &= Save(wizard.Start(), out, "start-multiple.png");
    wizard.Start().CmdNext->click();
    FrmMultiple& multiple = *wizard.Multiple();
    answers.Choose(root);
    multiple.CmdAddFolder->click();
    for (int i = 0; i < multiple.lv->topLevelItemCount(); ++i)
        if (multiple.lv->topLevelItem(i)->text(0) != QStringLiteral("Dave"))
            multiple.lv->topLevelItem(i)->setCheckState(0, Qt::Checked);
    multiple.txtOutputFolder->setText(converted);
    ok &= Save(multiple, out, "multiple.png");

    // Mid-run: half-way through the largest folder.
    bool grabbedMidRun = false;
    QTimer midRun;
    midRun.setInterval(0);
    QObject::connect(&midRun, &QTimer::timeout, [&] {
        FrmMigateAll* status = wizard.Status();
        if (grabbedMidRun || !status || !status->FrameConversion->text().contains(QStringLiteral("(20 of 40)"))) return;
        grabbedMidRun = true;
        wizard.Board().Flush();
        ok &= Save(*status, out, "status-running.png");
    });
    midRun.start();
    answers.Press(QMessageBox::Ok);  // "Completed"
    multiple.CmdNext->click();
    midRun.stop();
    ok &= grabbedMidRun;
    wizard.Board().Flush();
    ok &= Save(*wizard.Status(), out, "status-done.png");
    ok &= Save(multiple, out, "multiple-after-run.png");

    QDir(root).removeRecursively();
    QDir(converted).removeRecursively();
    return ok && answers.problems.empty() ? 0 : 1;
}
