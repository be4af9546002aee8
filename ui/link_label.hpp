#pragma once
// A label used as a link: blue text, a hand cursor and a tool tip; a click opens a page.
// It takes the focus with Tab and opens with Space or Enter, like a button.
#include <QLabel>

namespace ferrowick::ui {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, const QString& toolTip, QWidget* parent);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ferrowick::ui
