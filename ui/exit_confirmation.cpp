#include "ui/exit_confirmation.hpp"

#include <QMessageBox>

namespace ferrowick::ui {

bool ConfirmExit(QWidget* parent) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Halvernook Ferrowick"),
                    QStringLiteral("Are you sure you want to exit now?"), QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace ferrowick::ui
