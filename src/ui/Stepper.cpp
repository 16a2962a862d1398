#include "ui/Stepper.hpp"

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
    // in is not committed by the click.
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
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(up_);
    column->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { Q_EMIT stepped(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Stepper::setDownEnabled(bool enabled) {
    down_->setEnabled(enabled);
}

}  // namespace tavix::ui
