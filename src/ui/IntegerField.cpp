#include "ui/IntegerField.hpp"

#include <QEvent>
#include <QKeyEvent>
#include <QLocale>

namespace tavix::ui {

IntegerField::IntegerField(QWidget* parent) : QLineEdit(parent) {
    setText(format(value_));
    connect(this, &QLineEdit::textEdited, this, &IntegerField::typed);
    connect(this, &QLineEdit::editingFinished, this, &IntegerField::finish);
}

QString IntegerField::format(std::int64_t value) const {
    return locale().toString(static_cast<qlonglong>(value));
}

void IntegerField::setValue(std::int64_t value, bool force) {
    if (announcing_ && !force) {
        value_ = value;
        return;
    }
    if (value == value_ && !force) return;
    value_ = value;
    const QString shown = format(value);
    if (text() != shown) setText(shown);
}

void IntegerField::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) setValue(value_, true);
}

void IntegerField::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
            // A step starts from the number stored, so the text is made to show it first.
            setValue(value_, true);
            Q_EMIT stepped(event->key() == Qt::Key_Up ? 1 : -1);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void IntegerField::typed(const QString& text) {
    bool ok = false;
    // The locale's parser takes its grouping separators and surrounding spaces,
    // and refuses numbers beyond 64 bits rather than wrapping them.
    const qlonglong parsed = locale().toLongLong(text.trimmed(), &ok);
    if (!ok) return;
    announcing_ = true;
    Q_EMIT committed(static_cast<std::int64_t>(parsed));
    announcing_ = false;
}

void IntegerField::finish() {
    setValue(value_, true);
}

}  // namespace tavix::ui
