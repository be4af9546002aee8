#pragma once
// Answers the modal boxes and dialogs of a test as a user would: a timer polls
// QApplication::activeModalWidget() and hands each new one to the next scripted answer.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/qt_prompts.hpp"

namespace ferrowick::ui::testing {

struct SeenBox {
    QString title;
    QString text;  // the text as asked for, CR LF included
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString detailedText;
};

class ModalAnswerer {
public:
    using Answer = std::function<void(QWidget*)>;

    ModalAnswerer() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    // Message boxes: press one of the standard buttons.
    void Press(QMessageBox::StandardButton button) {
        answers_.push_back([this, button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box) return Unexpected(w, "a message box");
            Record(*box);
            box->button(button)->click();
        });
    }
    // Folder and file dialogs: choose this path (an empty path cancels).
    void Choose(const QString& path) {
        answers_.push_back([this, path](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog) return Unexpected(w, "a file dialog");
            dialogs.push_back({dialog->windowTitle(), dialog->nameFilters().join(QLatin1Char(';')),
                               dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                                   ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text()
                                   : QString()});
            if (path.isEmpty()) return dialog->reject();
            if (dialog->fileMode() == QFileDialog::Directory) {
                dialog->setDirectory(path);
                dialog->selectFile(path);
            } else {
                dialog->selectFile(path);
            }
            // A save prompt may ask about the file from its accept(); this timer does not
            // fire again while it is still in this call, so accept from the event loop.
            if (dialog->acceptMode() == QFileDialog::AcceptSave)
                return QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
            static_cast<QDialog*>(dialog)->accept();
        });
    }
    // Anything else to do with the next modal widget.
    void Then(Answer answer) { answers_.push_back(std::move(answer)); }

    bool Done() const { return answers_.empty(); }
    std::vector<SeenBox> boxes;
    struct SeenDialog {
        QString title, filters, proposed;
    };
    std::vector<SeenDialog> dialogs;
    std::vector<std::string> problems;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_) return;
        if (answers_.empty()) return;  // nothing scripted: the test will notice it hangs
        last_ = modal;
        Answer answer = std::move(answers_.front());
        answers_.pop_front();
        answer(modal);
    }
    void Record(QMessageBox& box) {
        const QVariant asked = box.property(kRequestTextProperty);
        boxes.push_back(SeenBox{box.windowTitle(), asked.isValid() ? asked.toString() : box.text(), box.icon(),
                                box.standardButtons(), box.detailedText()});
    }
    void Unexpected(QWidget* w, const char* wanted) {
        problems.push_back(std::string("expected ") + wanted + ", got " + w->metaObject()->className() + " '" +
                           w->windowTitle().toStdString() + "'");
        w->close();
    }

    QTimer timer_;
    std::deque<Answer> answers_;
    QPointer<QWidget> last_;
};

}  // namespace ferrowick::ui::testing
