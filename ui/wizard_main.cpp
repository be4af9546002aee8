#include "ui/wizard_main.hpp"

#include <QApplication>

#include "ui/frm_start.hpp"
#include "ui/product_art.hpp"
#include "ui/run_driver_hook.hpp"
#include "ui/wizard.hpp"

namespace ferrowick::ui {

int RunWizard(int argc, char** argv, MessageStoreService* store) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Halvernook Ferrowick"));
    QApplication::setDesktopFileName(QStringLiteral("ferrowick"));
    QApplication::setWindowIcon(ProductIcon());
    // The program ends only through the start window's confirmed close.
    QApplication::setQuitOnLastWindowClosed(false);

    Wizard wizard(WizardHooks{store, RunDriver(), {}});
    wizard.ShowStart();
    return QApplication::exec();
}

}  // namespace ferrowick::ui
