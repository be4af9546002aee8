#include "ui/shell_services.hpp"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "engine/help_site.hpp"
#include "fs/text.hpp"
#include "ui/qt_text.hpp"

namespace ferrowick::ui {

void OpenLink(const std::u16string& target) {
    if (target.empty()) return;
    const QString text = Q(target);
    const QUrl url = QUrl(text, QUrl::StrictMode);
    // A plain path (no scheme, or a one-letter "scheme" that is a drive) opens as a file.
    const bool isAddress = url.isValid() && url.scheme().size() > 1;
    QDesktopServices::openUrl(isAddress ? url : QUrl::fromLocalFile(text));
}

QString WithoutTrailingSeparator(const QString& path) {
    QString result = path;
    while (result.size() > 1 && (result.endsWith(QLatin1Char('/')) || result.endsWith(QLatin1Char('\\')))) {
        const bool driveRoot = result.size() == 3 && result[1] == QLatin1Char(':');
        if (driveRoot) break;
        result.chop(1);
    }
    return result;
}

std::u16string BrowseForFolder(QWidget* owner, const std::u16string& title, const QString& startAt) {
    QFileDialog dialog(owner, Q(title));
    if (!startAt.trimmed().isEmpty() && QFileInfo(startAt.trimmed()).isDir()) dialog.setDirectory(startAt.trimmed());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return {};
    const QFileInfo info(chosen.front());
    if (!info.isDir()) return {};  // only real file-system folders count
    return U(WithoutTrailingSeparator(QDir::toNativeSeparators(chosen.front())));
}

std::u16string SpecialFolderPath() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir()) return U(QDir::toNativeSeparators(desktop));
    return U(QDir::toNativeSeparators(QDir::homePath()));
}

std::u16string HelpAddress(const char* path) {
    QString base = QString::fromUtf16(kHelpSite);
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    return U(base + QString::fromUtf8(path));
}

}  // namespace ferrowick::ui
