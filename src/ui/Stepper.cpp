#include "ui/Stepper.hpp"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavix::ui {
namespace {

QToolButton* arrow(QWidget* parent, const char* name, Qt::ArrowType type, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(type);
    button->setAutoRepeat(true);
    button->setAccessibleName(tip);
    // Clicking an arrow leaves the focus where it was, so a field being typed
    // in is not committed by the click; the keyboard reaches the pair as a whole.
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    return button;
}

}  // namespace

Stepper::Stepper(QWidget* parent)
    : QWidget(parent),
      up_(arrow(this, "up", Qt::UpArrow, QStringLiteral("Increment"))),
      down_(arrow(this, "down", Qt::DownArrow, QStringLiteral("Decrement"))) {
    auto* column = new QVBoxLayout(this);
    // A margin of 2 leaves room for the focus ring around the arrows.
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(0);
    column->addWidget(up_);
    column->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { Q_EMIT stepped(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Tab reaches it, a click doesn't take the focus from the field beside it.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("Stepper"));
}

void Stepper::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       event->modifiers() == Qt::KeypadModifier;
    if (plain && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        QToolButton* arrow = event->key() == Qt::Key_Up ? up_ : down_;
        if (arrow->isEnabled()) Q_EMIT stepped(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Stepper::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void Stepper::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void Stepper::paintEvent(QPaintEvent*) {
    if (!hasFocus()) return;
    // The focus shows as a ring in the margin around the arrows.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 2, 2);
}

void Stepper::setDownEnabled(bool enabled) {
    down_->setEnabled(enabled);
}

}  // namespace tavix::ui
