#include "ui/product_art.hpp"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/wizard_fonts.hpp"

namespace ferrowick::ui {
namespace {

// Drawn on a 64 x 64 grid and scaled; the SVG icon installed with the program matches it.
void DrawIcon(QPainter& p, double size) {
    p.save();
    p.scale(size / 64.0, size / 64.0);
    p.setRenderHint(QPainter::Antialiasing);
    // Folder: tab and body.
    p.setPen(QPen(QColor(176, 122, 16), 2));
    p.setBrush(QColor(240, 184, 64));
    QPainterPath folder;
    folder.moveTo(4, 14);
    folder.lineTo(22, 14);
    folder.lineTo(27, 19);
    folder.lineTo(56, 19);
    folder.lineTo(56, 50);
    folder.lineTo(4, 50);
    folder.closeSubpath();
    p.drawPath(folder);
    // Envelope in front of it.
    p.setPen(QPen(QColor(30, 70, 140), 2));
    p.setBrush(QColor(250, 250, 255));
    const QRectF envelope(22, 30, 38, 26);
    p.drawRoundedRect(envelope, 2, 2);
    QPainterPath flap;
    flap.moveTo(envelope.topLeft());
    flap.lineTo(envelope.center().x(), envelope.top() + 14);
    flap.lineTo(envelope.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
    p.restore();
}

}  // namespace

QPixmap ProductIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    DrawIcon(p, size);
    return pixmap;
}

QIcon ProductIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(ProductIconPixmap(size));
    return icon;
}

QPixmap ProductLogo() {
    QPixmap pixmap(250, 70);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(6, 7, ProductIconPixmap(56));
    p.setPen(QColor(30, 70, 140));
    p.setFont(WizardFont(Face::Verdana, 15, true));
    p.drawText(QRect(70, 8, 178, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Halvernook"));
    p.setPen(QColor(128, 128, 128));
    p.setFont(WizardFont(Face::Tahoma, 9));
    p.drawText(QRect(70, 38, 178, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("MSG to PST conversion"));
    return pixmap;
}

}  // namespace ferrowick::ui
