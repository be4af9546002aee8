#include "ui/qt_prompts.hpp"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/qt_text.hpp"
#include "ui/save_pst_dialog.hpp"

namespace ferrowick::ui {

MessageAnswer QtPrompts::ShowMessage(const MessageBoxRequest& request) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (request.icon == MessageIcon::Information) icon = QMessageBox::Information;
    if (request.icon == MessageIcon::Question) icon = QMessageBox::Question;
    if (request.icon == MessageIcon::Warning) icon = QMessageBox::Warning;
    const bool yesNo = request.buttons == MessageButtons::YesNo;

    QString text = Q(request.text);
    QMessageBox box(icon, Q(request.title), QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parentWindow_());
    box.setProperty(kRequestTextProperty, text);
    if (yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    if (!request.details.empty()) box.setDetailedText(Q(request.details));
    const int answer = box.exec();
    if (!yesNo) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QStringList NameFiltersOf(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i];
        const QString pattern = i + 1 < parts.size() ? parts[i + 1] : QString();
        if (pattern.isEmpty() || description.contains(QLatin1Char('(')))
            filters << description;
        else
            filters << description + QStringLiteral(" (") +
                           QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

std::optional<std::u16string> QtPrompts::AskSavePath(const std::u16string& filter, const std::u16string& proposedName) {
    SavePstDialog dialog(parentWindow_());
    dialog.setNameFilters(NameFiltersOf(Q(filter)));
    dialog.selectFile(Q(proposedName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return U(QDir::toNativeSeparators(chosen.front()));
}

}  // namespace ferrowick::ui
