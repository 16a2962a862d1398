#include "ui/IntegerField.hpp"

#include <QEvent>
#include <QLocale>

namespace tavix::ui {

IntegerField::IntegerField(QWidget* parent) : QLineEdit(parent) {
    setText(format(value_));
    connect(this, &QLineEdit::editingFinished, this, &IntegerField::commit);
}

QString IntegerField::format(std::int64_t value) const {
    return locale().toString(static_cast<qlonglong>(value));
}

void IntegerField::setValue(std::int64_t value, bool force) {
    if (value == value_ && !force) return;
    value_ = value;
    const QString shown = format(value);
    if (text() != shown) setText(shown);
}

void IntegerField::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) setValue(value_, true);
}

void IntegerField::commit() {
    bool ok = false;
    // The locale's parser takes its grouping separators and surrounding spaces,
    // and refuses numbers beyond 64 bits rather than wrapping them.
    const qlonglong parsed = locale().toLongLong(text().trimmed(), &ok);
    if (!ok) {
        setValue(value_, true);
        return;
    }
    Q_EMIT committed(static_cast<std::int64_t>(parsed));
}

}  // namespace tavix::ui
