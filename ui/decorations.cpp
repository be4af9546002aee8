#include "ui/decorations.hpp"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "ui/twips.hpp"

namespace ferrowick::ui {

Qt::WindowFlags WizardWindowFlags() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

// A dialog-type window: the X11 platform gives only those a WM_TRANSIENT_FOR, and without
// it a click on the owner buries the owned window.
Qt::WindowFlags OwnedWindowFlags() { return (WizardWindowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog; }

namespace {

// Sees the Enter that no control in the window took (line edits, lists and plain buttons
// pass it on to the window).
class EnterPresses : public QObject {
public:
    EnterPresses(QWidget& window, QPushButton& button) : QObject(&window), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || watched != parent()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        if (button_.isEnabled() && button_.isVisible()) button_.click();
        return true;
    }

private:
    QPushButton& button_;
};

}  // namespace

void MakeDefaultButton(QWidget& window, QPushButton& button) {
    button.setDefault(true);
    window.installEventFilter(new EnterPresses(window, button));
}

void SetFixedClientTwips(QWidget& window, int widthTwips, int heightTwips) {
    window.setFixedSize(Px(widthTwips), Px(heightTwips));
}

void CentreOn(QWidget& window, const QWidget* owner) {
    QRect area;
    if (owner && owner->isVisible()) {
        area = owner->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isEmpty()) return;
    QRect frame(QPoint(0, 0), window.size());
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

Band::Band(QWidget* parent, QColor fill, QColor border) : QWidget(parent), fill_(fill), border_(border) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Band::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), fill_);
    p.setPen(border_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

namespace {

class Rule : public QWidget {
public:
    Rule(QWidget* parent, QColor colour) : QWidget(parent), colour_(colour) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), colour_);
    }

private:
    QColor colour_;
};

}  // namespace

QWidget* MakeRule(QWidget* parent, int x1, int y1, int x2, int y2, QColor colour) {
    auto* rule = new Rule(parent, colour);
    const int left = Px(std::min(x1, x2)), top = Px(std::min(y1, y2));
    rule->setGeometry(left, top, std::max(1, Px(std::abs(x2 - x1))), std::max(1, Px(std::abs(y2 - y1))));
    return rule;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, const QFont& font, QColor colour, int left, int top, int width,
                  int height) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(TwipsRect(left, top, width, height));
    // A fixed size spares every later text change a layout request to the window.
    label->setFixedSize(label->size());
    return label;
}

}  // namespace ferrowick::ui
