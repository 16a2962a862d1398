#include "ui/StatusBar.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/Appearance.hpp"
#include "ui/ElidedLabel.hpp"

namespace tavix::ui {
namespace {

// A push button filled with the accent colour while enabled: the window's one
// main action. Drawn from the palette at paint time, so it follows a palette
// change; disabled it looks like any disabled button.
class ProminentButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        if (isEnabled()) {
            for (const auto group : {QPalette::Active, QPalette::Inactive}) {
                option.palette.setColor(group, QPalette::Button,
                                        palette().color(group, QPalette::Highlight));
                option.palette.setColor(group, QPalette::ButtonText,
                                        palette().color(group, QPalette::HighlightedText));
            }
        }
        painter.drawControl(QStyle::CE_PushButton, option);
    }
};

}  // namespace

StatusBar::StatusBar(TavixModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("statusBar"));

    message_ = new ElidedLabel(this);
    message_->setObjectName(QStringLiteral("statusMessage"));
    message_->setFont(captionFont(font()));

    undo_ = new QPushButton(QStringLiteral("Undo"), this);
    undo_->setObjectName(QStringLiteral("undoButton"));
    undo_->setAutoDefault(false);
    connect(undo_, &QPushButton::clicked, this, [this] {
        const bool focused = holdsFocus();
        model_.undo();
        if (focused) Q_EMIT commandDone();
    });

    perform_ = new ProminentButton(QStringLiteral("Perform Renames"), this);
    perform_->setObjectName(QStringLiteral("performButton"));
    perform_->setDefault(true);
    perform_->setToolTip(QStringLiteral("Perform Renames (Ctrl+Return)"));
    connect(perform_, &QPushButton::clicked, this, [this] {
        // A click can only come while enabled, but a queued one may land after
        // the plan changed; the model's rule decides.
        if (!model_.canRename()) return;
        const bool focused = holdsFocus();
        model_.rename();
        if (focused) Q_EMIT commandDone();
    });

    // Two shortcuts, as the main Return and the keypad's Enter are different keys.
    performKey_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    performKey_->setObjectName(QStringLiteral("performShortcut"));
    performKeypadKey_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), this);
    performKeypadKey_->setObjectName(QStringLiteral("performKeypadShortcut"));
    for (QShortcut* key : {performKey_, performKeypadKey_}) {
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, &StatusBar::performIfEnabled);
    }

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 9, 12, 9);
    row->setSpacing(10);
    // The group sits in the middle of the bar.
    row->addStretch(1);
    row->addWidget(message_);
    row->addWidget(undo_);
    row->addWidget(perform_);
    row->addStretch(1);

    subscription_ = model_.observe([this](TavixModel::Field field) {
        using Field = TavixModel::Field;
        if (field == Field::plan || field == Field::message || field == Field::lastMoves) {
            refresh();
        }
    });
    refresh();
}

bool StatusBar::holdsFocus() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus == nullptr || isAncestorOf(focus);
}

void StatusBar::performIfEnabled() {
    if (perform_->isEnabled()) perform_->click();
}

void StatusBar::refresh() {
    if (const auto& message = model_.message()) {
        message_->setText(QString::fromStdString(*message));
        message_->setSymbol(std::nullopt);
        message_->setTone(Tone::secondary);
        message_->setVisible(true);
    } else if (model_.planHasProblems()) {
        message_->setText(QStringLiteral("Fix the highlighted names first"));
        message_->setSymbol(Symbol::warning);
        message_->setTone(Tone::orange);
        message_->setVisible(true);
    } else {
        message_->setText({});
        message_->setSymbol(std::nullopt);
        message_->setVisible(false);
    }
    undo_->setVisible(model_.canUndo());
    const bool canRename = model_.canRename();
    perform_->setEnabled(canRename);
    performKey_->setEnabled(canRename);
    performKeypadKey_->setEnabled(canRename);
}

}  // namespace tavix::ui
