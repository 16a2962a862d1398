#include "ui/StatusBar.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStackedLayout>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <climits>

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

    controls_ = new QWidget(this);
    controls_->setObjectName(QStringLiteral("statusControls"));
    message_ = new ElidedLabel(controls_);
    message_->setObjectName(QStringLiteral("statusMessage"));
    message_->setFont(captionFont(font()));

    undo_ = new QPushButton(QStringLiteral("Undo"), controls_);
    undo_->setObjectName(QStringLiteral("undoButton"));
    undo_->setAutoDefault(false);
    connect(undo_, &QPushButton::clicked, this, [this] {
        const bool focused = holdsFocus();
        model_.undo();
        if (focused) Q_EMIT commandDone();
    });

    perform_ = new ProminentButton(QStringLiteral("Perform Renames"), controls_);
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

    auto* row = new QHBoxLayout(controls_);
    row->setContentsMargins(12, 9, 12, 9);
    row->setSpacing(10);
    // The group sits in the middle of the bar.
    row->addStretch(1);
    row->addWidget(message_);
    row->addWidget(undo_);
    row->addWidget(perform_);
    row->addStretch(1);

    progress_ = new QWidget(this);
    progress_->setObjectName(QStringLiteral("progressRow"));
    progressBar_ = new QProgressBar(progress_);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setTextVisible(false);
    progressText_ = new QLabel(progress_);
    progressText_->setObjectName(QStringLiteral("progressText"));
    progressText_->setFont(captionFont(font()));
    auto* progressRow = new QHBoxLayout(progress_);
    progressRow->setContentsMargins(12, 9, 12, 9);
    progressRow->setSpacing(10);
    progressRow->addWidget(progressBar_, 1);
    progressRow->addWidget(progressText_);

    pages_ = new QStackedLayout(this);
    pages_->addWidget(controls_);
    pages_->addWidget(progress_);

    subscription_ = model_.observe([this](TavixModel::Field field) {
        using Field = TavixModel::Field;
        if (field == Field::plan || field == Field::message || field == Field::lastMoves) {
            refresh();
        }
    });
    refresh();
}

void StatusBar::showProgress(std::size_t done, std::size_t total) {
    const QLocale locale;
    const auto counts = [&](std::size_t count) {
        return QStringLiteral("%1 of %2 files")
            .arg(locale.toString(static_cast<qulonglong>(count)),
                 locale.toString(static_cast<qulonglong>(total)));
    };
    progressBar_->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
    progressBar_->setValue(static_cast<int>(std::min(done, total)));
    progressText_->setText(counts(done));
    if (pages_->currentWidget() != progress_) {
        // Wide enough for the longest count, as no layout pass follows the
        // counts while the work runs.
        progressText_->setMinimumWidth(
            progressText_->fontMetrics().horizontalAdvance(counts(total)));
        // No layout pass runs before the repaint below, so the row is placed now.
        progress_->setGeometry(controls_->geometry());
        progress_->layout()->activate();
        pages_->setCurrentWidget(progress_);
    }
    repaint();
}

void StatusBar::endProgress() {
    pages_->setCurrentWidget(controls_);
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
