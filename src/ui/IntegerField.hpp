#pragma once

#include <QLineEdit>
#include <cstdint>

namespace tavix::ui {

// A one-line field for a whole number, shown in the widget's locale with its
// grouping separators. The number is read back from the text when the user
// commits the field (Return, or focus leaving after a change): text that
// parses is announced with `committed`; text that doesn't is replaced by the
// number shown before, so the field never shows a value nobody stored.
class IntegerField : public QLineEdit {
    Q_OBJECT
public:
    explicit IntegerField(QWidget* parent = nullptr);

    // The number last shown; not what is being typed.
    std::int64_t value() const { return value_; }

    // Shows `value`. Unless `force` is set, a value equal to the one shown
    // leaves the text alone, so an uncommitted edit in progress survives.
    void setValue(std::int64_t value, bool force = false);

    QString format(std::int64_t value) const;

Q_SIGNALS:
    void committed(std::int64_t value);

protected:
    void changeEvent(QEvent* event) override;

private:
    void commit();

    std::int64_t value_ = 0;
};

}  // namespace tavix::ui
