#pragma once
// The windows' decorations: white bands with a light grey border, thin rules, plain
// labels in a given font and colour, and the flags of a fixed-size wizard window.
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace ferrowick::ui {

// A top-level window without minimise and maximise boxes.
Qt::WindowFlags WizardWindowFlags();
// The same for a window with an owner, which the window manager keeps above its owner.
Qt::WindowFlags OwnedWindowFlags();
// Enter anywhere in the window presses button, as in a dialog; plain windows have no
// default button of their own.
void MakeDefaultButton(QWidget& window, QPushButton& button);
// Fixed client size given in twips.
void SetFixedClientTwips(QWidget& window, int widthTwips, int heightTwips);
// Centre window on owner (or on the screen when owner is null).
void CentreOn(QWidget& window, const QWidget* owner);

class Band : public QWidget {
public:
    Band(QWidget* parent, QColor fill = Qt::white, QColor border = QColor(192, 192, 192));

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor fill_, border_;
};

// A one-pixel line between two points given in twips.
QWidget* MakeRule(QWidget* parent, int x1, int y1, int x2, int y2, QColor colour);

// A transparent label with a text colour, font and twips geometry.
QLabel* MakeLabel(QWidget* parent, const QString& text, const QFont& font, QColor colour, int left, int top, int width,
                  int height);

}  // namespace ferrowick::ui
