#include "ui/save_pst_dialog.hpp"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include "ui/qt_prompts.hpp"

namespace ferrowick::ui {

// A .pst file begins with the four bytes "!BDN".
ExistingOutput ClassifyExistingOutput(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return ExistingOutput::None;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) return ExistingOutput::NotAStore;
    return file.read(4) == QByteArrayLiteral("!BDN") ? ExistingOutput::Store : ExistingOutput::NotAStore;
}

SavePstDialog::SavePstDialog(QWidget* owner) : QFileDialog(owner, QStringLiteral("Save As")) {
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    // Our own question replaces the dialog's "replace it?", which would promise a replacement.
    setOption(QFileDialog::DontConfirmOverwrite, true);
    // The question must come from this dialog, so never a platform one that bypasses accept().
    setOption(QFileDialog::DontUseNativeDialog, true);
}

void SavePstDialog::accept() {
    const QStringList chosen = selectedFiles();
    const QString path = chosen.isEmpty() ? QString() : chosen.front();
    const QString name = QFileInfo(path).fileName();
    switch (path.isEmpty() ? ExistingOutput::None : ClassifyExistingOutput(path)) {
        case ExistingOutput::None:
            break;
        case ExistingOutput::NotAStore: {
            if (QFileInfo(path).isDir()) break;  // the dialog opens folders itself
            const QString text = name + QStringLiteral(
                                            " is not an Outlook Data File (.pst).\r\n"
                                            "Choose another file name.");
            QMessageBox box(QMessageBox::Warning, windowTitle(),
                            QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), QMessageBox::Ok, this);
            box.setProperty(kRequestTextProperty, text);
            box.exec();
            return;
        }
        case ExistingOutput::Store: {
            const QString text = name + QStringLiteral(
                                            " already exists.\r\n"
                                            "Do you want to add the converted messages to it?");
            QMessageBox box(QMessageBox::Question, windowTitle(),
                            QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                            QMessageBox::Yes | QMessageBox::No, this);
            box.setProperty(kRequestTextProperty, text);
            box.setDefaultButton(QMessageBox::No);
            if (box.exec() != QMessageBox::Yes) return;
            break;
        }
    }
    QFileDialog::accept();
}

}  // namespace ferrowick::ui
