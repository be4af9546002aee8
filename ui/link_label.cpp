#include "ui/link_label.hpp"

#include <QMouseEvent>

#include "ui/wizard_fonts.hpp"

namespace ferrowick::ui {

LinkLabel::LinkLabel(const QString& text, const QString& toolTip, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(toolTip);
    setFont(WizardFont(Face::Verdana, 8.25));
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(p);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace ferrowick::ui
