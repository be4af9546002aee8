// What the wizard adds to a run: the same single-folder conversion of 10,000 files in 100
// folders, once with the seams the command line uses (no board, no yield) and once from
// the wizard's windows (status board labels, yields, dialogs): on the offscreen platform,
// then again on the xcb platform of a private Xvfb with openbox, where painting is real.
// First both use the in-memory store double, so the ratio bounds the wizard's share; then
// the same tree of real .msg files is converted into real .pst files, once by the command
// line (`ferrowick convert`, a separate process) and once from the wizard. Best of three.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdio>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fs/text.hpp"
#include "run/run_driver.hpp"
#include "seams/silent_status_board.hpp"
#include "store/pst_store_service.hpp"
#include "support/fake_store_service.hpp"
#include "support/msg_fixtures.hpp"
#include "support/recorders.hpp"
#include "tests/ui/modal_answerer.hpp"
#include "ui/frm_single.hpp"
#include "ui/frm_start.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_driver_hook.hpp"
#include "ui/wizard.hpp"

using namespace ferrowick;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kRepetitions = 3;

double Seconds(Steady::time_point since) { return std::chrono::duration<double>(Steady::now() - since).count(); }

double Headless(const QString& source, const QString& pst) {
    testing::FakeStoreService store;
    SilentBoard board;
    NoWindowYielder yielder;
    testing::ScriptedPrompts prompts;
    prompts.savePaths.push_back(ui::U(pst));
    testing::FakeSelection selection;
    selection.sourceMailbox = ui::U(source);
    SystemClock clock;
    RunState state;
    RunSeams seams{board, yielder, prompts, selection, store, clock};
    const auto start = Steady::now();
    StartConversionClick(state, seams);
    const double took = Seconds(start);
    if (store.stores.empty() || store.Store().SavedCount() != kFolders * kFilesPerFolder)
        std::fprintf(stderr, "headless run converted the wrong count\n");
    return took;
}

// The save prompt asks about an existing file, so each run starts without one.
double WizardRun(MessageStoreService& store, const QString& source, const QString& pst) {
    std::filesystem::remove(pst.toStdString());
    ui::Wizard wizard(ui::WizardHooks{&store, ui::RunDriver(), {}});
    wizard.ShowStart();
    wizard.Start().CmdNext->click();
    ui::FrmSingle& single = *wizard.Single();
    ui::testing::ModalAnswerer answers;
    answers.Choose(source);
    single.CmdAddFolder->click();
    answers.Choose(pst);
    answers.Press(QMessageBox::Ok);
    const auto start = Steady::now();
    single.CmdNext->click();
    return Seconds(start);
}

double FromWizard(const QString& source, const QString& pst) {
    testing::FakeStoreService store;
    const double took = WizardRun(store, source, pst);
    if (store.stores.empty() || store.Store().SavedCount() != kFolders * kFilesPerFolder)
        std::fprintf(stderr, "wizard run converted the wrong count\n");
    return took;
}

// Real .msg files (our writer's plain and rich messages) into real .pst files.
double RealWizard(const QString& source, const QString& pst) {
    PstStoreService store;
    return WizardRun(store, source, pst);
}

double RealCommandLine(const QString& source, const QString& pst) {
    std::filesystem::remove(pst.toStdString());
    const std::string command = std::string("'") + FERROWICK_BINARY + "' convert '" + source.toStdString() + "' '" +
                                pst.toStdString() + "' 2>/dev/null >/dev/null";
    const auto start = Steady::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "command line run failed\n");
    return Seconds(start);
}

void WriteRealTree(const QString& source) {
    QDir(source).removeRecursively();
    int n = 0;
    for (int f = 0; f < kFolders; ++f) {
        const std::filesystem::path folder = source.toStdString() + "/folder" + std::to_string(1000 + f).substr(1);
        std::filesystem::create_directories(folder);
        for (int i = 0; i < kFilesPerFolder; ++i, ++n) {
            const std::u16string subject = u"Message " + DecimalText(n);
            testing::WriteMsgFile(folder, "m" + std::to_string(i) + ".msg",
                                  n % 2 ? testing::PlainMessage(subject) : testing::RichMessage(subject));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // "--this-platform": measure on QT_QPA_PLATFORM only (how the xcb pass is started).
    const bool thisPlatformOnly = argc > 1 && std::string(argv[1]) == "--this-platform";
    if (!thisPlatformOnly) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::printf("== platform: %s\n", qPrintable(QGuiApplication::platformName()));
    const QString source = QDir::tempPath() + QStringLiteral("/ferrowick-bench-wizard");
    QDir(source).removeRecursively();
    for (int f = 0; f < kFolders; ++f) {
        const QString folder = source + QStringLiteral("/folder%1").arg(f, 3, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        for (int i = 0; i < kFilesPerFolder; ++i)
            QFile(folder + QStringLiteral("/m%1.msg").arg(i)).open(QIODevice::WriteOnly);
    }
    const QString pst = QDir::tempPath() + QStringLiteral("/ferrowick-bench-wizard.pst");

    double headless = 1e9, wizard = 1e9;
    for (int r = 0; r < kRepetitions; ++r) {
        headless = std::min(headless, Headless(source, pst));
        wizard = std::min(wizard, FromWizard(source, pst));
    }
    const int items = kFolders * kFilesPerFolder;
    std::printf("items: %d (store double)\n", items);
    std::printf("headless seams: %.3f s\n", headless);
    std::printf("wizard:         %.3f s\n", wizard);
    std::printf("ratio wizard / headless: %.2f\n", wizard / headless);
    std::printf("wizard overhead per item: %.1f us\n", (wizard - headless) / items * 1e6);

    WriteRealTree(source);
    double cli = 1e9, gui = 1e9;
    for (int r = 0; r < kRepetitions; ++r) {
        cli = std::min(cli, RealCommandLine(source, pst));
        gui = std::min(gui, RealWizard(source, pst));
    }
    std::printf("real .msg files into a real .pst:\n");
    std::printf("command line:   %.3f s\n", cli);
    std::printf("wizard:         %.3f s\n", gui);
    std::printf("ratio wizard / command line: %.2f (target <= 1.5)\n", gui / cli);
    std::filesystem::remove(pst.toStdString());
    QDir(source).removeRecursively();
    std::fflush(stdout);
    if (thisPlatformOnly) return 0;
    const std::string again = std::string("'") + FERROWICK_SOURCE_DIR + "/tests/ui/on_xvfb.sh' '" +
                              QCoreApplication::applicationFilePath().toStdString() + "' --this-platform";
    return std::system(again.c_str()) == 0 ? 0 : 1;
}
