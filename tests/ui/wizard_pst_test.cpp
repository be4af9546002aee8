// Whole runs from the wizard's windows into real .pst files: our own message-store service
// behind the driver and engine, .msg files from our writer, the result read back.
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "modal_answerer.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/messaging/pst_store.hpp"
#include "store/pst_store_service.hpp"
#include "support/msg_fixtures.hpp"
#include "ui/frm_multiple.hpp"
#include "ui/frm_single.hpp"
#include "ui/frm_start.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_driver_hook.hpp"
#include "ui/wizard.hpp"

using namespace ferrowick;
using namespace ferrowick::ui;
using ferrowick::ui::testing::ModalAnswerer;
namespace fsys = std::filesystem;

namespace {

// Folder display name -> number of messages, over the whole folder tree of the store.
std::map<std::string, int> MessagesPerFolder(const fsys::path& path) {
    const pst::PstStore store = pst::PstStore::Open(path, pst::OpenMode::ReadOnly);
    std::map<std::string, int> seen;
    std::function<void(pst::NodeId)> walk = [&](pst::NodeId nid) {
        seen[ToUtf8(store.Folder(nid).DisplayName())] = static_cast<int>(store.Folder(nid).contents.RowCount());
        for (pst::NodeId child : store.Subfolders(nid)) walk(child);
    };
    walk(store.IpmSubtree());
    return seen;
}

int SevereFindings(const fsys::path& path) {
    int severe = 0;
    for (const pst::Finding& f : pst::CheckPstFile(path))
        if (f.severity != pst::Severity::Leak) ++severe;
    return severe;
}

}  // namespace

class WizardPstTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ferrowick::testing::ScratchDir> dir_;
    PstStoreService service_;
    std::unique_ptr<Wizard> wizard_;

    fsys::path Messages(const std::string& folder, int count) {
        const fsys::path path = *dir_ / folder;
        fsys::create_directories(path);
        for (int i = 1; i <= count; ++i) {
            const std::u16string subject = u"Note " + FromUtf8(folder + " " + std::to_string(i));
            ferrowick::testing::WriteMsgFile(path, "m" + std::to_string(i) + ".msg",
                                             i % 2 ? ferrowick::testing::PlainMessage(subject)
                                                   : ferrowick::testing::RichMessage(subject));
        }
        return path;
    }
    static QString Q(const fsys::path& p) { return QString::fromStdString(p.string()); }

private slots:
    void init() {
        dir_ = std::make_unique<ferrowick::testing::ScratchDir>("wizard");
        wizard_ = std::make_unique<Wizard>(WizardHooks{&service_, RunDriver(), {}});
        wizard_->ShowStart();
    }
    void cleanup() {
        wizard_.reset();
        dir_.reset();
    }

    void SingleFolderRunWritesOnePst() {
        const fsys::path source = Messages("Mail", 3);
        Messages("Mail/Inbox", 2);
        Messages("Mail/Projects/Old", 1);
        const fsys::path pst = *dir_ / "Mail.pst";
        ModalAnswerer answers;
        wizard_->Start().CmdNext->click();
        answers.Choose(Q(source));
        wizard_->Single()->CmdAddFolder->click();
        answers.Choose(Q(pst));
        answers.Press(QMessageBox::Ok);
        wizard_->Single()->CmdNext->click();

        QVERIFY(answers.problems.empty());
        QCOMPARE(answers.boxes.size(), size_t(1));
        QCOMPARE(answers.boxes[0].title, QStringLiteral("Completed"));
        QVERIFY(fsys::exists(pst));
        QCOMPARE(SevereFindings(pst), 0);
        const auto seen = MessagesPerFolder(pst);
        QVERIFY(seen.count("Projects") && seen.count("Old"));
        QVERIFY2(answers.boxes[0].detailedText.isEmpty(), qPrintable(answers.boxes[0].detailedText));
        int total = 0;
        for (const auto& [name, count] : seen) total += count;
        QCOMPARE(total, 6);
        QCOMPARE(seen.at("Old"), 1);
    }

    void MultipleFolderRunWritesOnePstPerTickedFolder() {
        const fsys::path root = *dir_ / "Root";
        Messages("Root/Anna", 2);
        Messages("Root/Ben", 0);
        Messages("Root/Cleo", 3);
        const fsys::path out = *dir_ / "Out";
        fsys::create_directories(out);
        ModalAnswerer answers;
        wizard_->Start().OptMultiple->click();
        wizard_->Start().CmdNext->click();
        FrmMultiple& multiple = *wizard_->Multiple();
        answers.Choose(Q(root));
        multiple.CmdAddFolder->click();
        multiple.chkSelectAll->click();
        multiple.txtOutputFolder->setText(Q(out));
        answers.Press(QMessageBox::Ok);
        multiple.CmdNext->click();

        QVERIFY(answers.problems.empty());
        QCOMPARE(answers.boxes.size(), size_t(1));
        QVERIFY(!fsys::exists(out / "Ben.pst"));  // an empty folder makes no store
        for (const auto& [name, expected] : {std::pair{"Anna", 2}, std::pair{"Cleo", 3}}) {
            const fsys::path pst = out / (std::string(name) + ".pst");
            QVERIFY2(fsys::exists(pst), name);
            QCOMPARE(SevereFindings(pst), 0);
        }
        QVERIFY2(answers.boxes[0].detailedText.isEmpty(), qPrintable(answers.boxes[0].detailedText));
        for (const auto& [name, expected] : {std::pair{"Anna", 2}, std::pair{"Cleo", 3}}) {
            const fsys::path pst = out / (std::string(name) + ".pst");
            int total = 0;
            for (const auto& [folder, count] : MessagesPerFolder(pst)) total += count;
            QCOMPARE(total, expected);
        }
    }
};

QTEST_MAIN(WizardPstTest)
#include "wizard_pst_test.moc"
