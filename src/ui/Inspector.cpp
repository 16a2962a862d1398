#include "ui/Inspector.hpp"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "model/FileInfo.hpp"
#include "model/FileTokens.hpp"
#include "model/TavixModel.hpp"
#include "ui/Appearance.hpp"
#include "ui/QtText.hpp"

namespace tavix::ui {
namespace {

constexpr int panelHeight = 132;
constexpr int tabsMaxWidth = 260;

// A one-line value the user can select and copy. At rest, a value wider than
// the field shows its middle elided, and its tool tip shows it whole; while the
// field has focus it shows the whole text, scrolling as a selection is dragged,
// so selecting and copying always work on the complete value.
class ValueField final : public QLineEdit {
    Q_OBJECT
    // What the field shows right now, elided or whole.
    Q_PROPERTY(QString shownText READ shownText)

public:
    explicit ValueField(QWidget* parent) : QLineEdit(parent) {
        setReadOnly(true);
        setFrame(false);
        setFocusPolicy(Qt::ClickFocus);
    }

    void setValue(const QString& value) {
        setText(value);
        // Keep the start in view when the field is focused for selecting.
        setCursorPosition(0);
        updateToolTip();
        update();
    }

    QString shownText() const { return hasFocus() ? text() : elided(); }

    // One text line tall, so the rows sit as close as labels would, with room
    // for underscores and descenders: the line edit centres the font's height,
    // so whatever hangs below the descent gets the same room above too.
    QSize sizeHint() const override { return {QLineEdit::sizeHint().width(), lineHeight()}; }
    QSize minimumSizeHint() const override {
        return {QLineEdit::minimumSizeHint().width(), lineHeight()};
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        const QString shown = shownText();
        if (shown == text()) {
            QLineEdit::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(
            lineRect(),
            static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment())) |
                Qt::TextDontClip,
            shown);
    }

    void resizeEvent(QResizeEvent* event) override {
        QLineEdit::resizeEvent(event);
        updateToolTip();
    }

    void changeEvent(QEvent* event) override {
        QLineEdit::changeEvent(event);
        if (event->type() == QEvent::FontChange) updateToolTip();
    }

private:
    int lineHeight() const {
        const QFontMetrics metrics = fontMetrics();
        return metrics.height() + 2 * (lineBox(metrics).below - metrics.descent());
    }

    // Where the line edit lays out its text: its contents less the text
    // margins and the two pixels it keeps on either side.
    QRect lineRect() const {
        constexpr int sideMargin = 2;
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QRect contents = style()
                                   ->subElementRect(QStyle::SE_LineEditContents, &option, this)
                                   .marginsRemoved(textMargins());
        const int height = fontMetrics().height();
        return {contents.x() + sideMargin, contents.y() + (contents.height() - height + 1) / 2,
                contents.width() - 2 * sideMargin, height};
    }

    // The text cut to the line, less the pixel the line edit keeps for its cursor.
    QString elided() const {
        return fontMetrics().elidedText(text(), Qt::ElideMiddle, lineRect().width() - 1);
    }

    void updateToolTip() {
        const QString value = text();
        if (elided() == value) {
            setToolTip({});
        } else if (Qt::mightBeRichText(value)) {
            // A name such as "<b>draft</b>.txt" is shown as it is, not as markup.
            setToolTip(QStringLiteral("<qt>%1</qt>").arg(value.toHtmlEscaped()));
        } else {
            setToolTip(value);
        }
    }
};

// Joined buttons with one border around them, rounded at the outer ends, the
// chosen one filled with the selection colour so it reads in any palette.
QString segmentedStyle(const QPalette& palette) {
    const auto hex = [](const QColor& colour) { return colour.name(QColor::HexArgb); };
    const QColor button = palette.color(QPalette::Button);
    const QColor highlight = palette.color(QPalette::Highlight);
    const auto towardsHighlight = [&](float share) {
        const auto mix = [share](float b, float h) { return b + (h - b) * share; };
        return QColor::fromRgbF(mix(button.redF(), highlight.redF()),
                                mix(button.greenF(), highlight.greenF()),
                                mix(button.blueF(), highlight.blueF()));
    };
    const QString style = QStringLiteral(
        "QToolButton { border: 1px solid %1; border-left-width: 0; padding: 2px 8px;"
        "  background: %2; color: %3; }"
        "QToolButton:hover { background: %4; }"
        "QToolButton:checked { background: %5; color: %6; }"
        "QToolButton:pressed { background: %7; color: %6; }"
        "QToolButton:focus { border-color: %5; }"
        "#inspectorGeneral { border-left-width: 1px;"
        "  border-top-left-radius: 5px; border-bottom-left-radius: 5px; }"
        "#inspectorTokens { border-top-right-radius: 5px; border-bottom-right-radius: 5px; }");
    return style.arg(hex(palette.color(QPalette::Mid)), hex(button),
                     hex(palette.color(QPalette::ButtonText)), hex(towardsHighlight(0.15f)),
                     hex(highlight), hex(palette.color(QPalette::HighlightedText)),
                     hex(highlight.darker(115)));
}

}  // namespace

Inspector::Inspector(TavixModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("inspector"));
    setFixedHeight(panelHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 7, 10, 7);
    layout->setSpacing(6);
    layout->addWidget(makeTabs());

    // Below the tabs, either the rows of the selected file or the hint.
    auto* pages = new QStackedWidget(this);
    pages->setObjectName(QStringLiteral("inspectorPages"));
    pages->addWidget(makeRows(pages));
    pages->addWidget(makeEmptyPage(pages));
    layout->addWidget(pages, 1);

    applyStyles();

    subscription_ = model_.observe([this](TavixModel::Field field) {
        // The selected file is looked up in the plan, so both can change it.
        if (field != TavixModel::Field::previewSelection && field != TavixModel::Field::plan) {
            return;
        }
        if (isVisible()) refresh();
    });
    refresh();
}

QWidget* Inspector::makeTabs() {
    // The segmented control: three exclusive buttons side by side, sharing
    // the width equally.
    tabBar_ = new QWidget(this);
    tabBar_->setObjectName(QStringLiteral("inspectorTabs"));
    tabBar_->setMaximumWidth(tabsMaxWidth);
    tabBar_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* tabLayout = new QHBoxLayout(tabBar_);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->setSpacing(0);
    tabs_ = new QButtonGroup(this);
    tabs_->setExclusive(true);
    const std::pair<Tab, const char*> titles[] = {
        {Tab::general, "General"}, {Tab::image, "Image"}, {Tab::tokens, "Tokens"}};
    for (const auto& [tab, title] : titles) {
        auto* button = new QToolButton(tabBar_);
        button->setObjectName(QStringLiteral("inspector") + QLatin1String(title));
        button->setText(QLatin1String(title));
        button->setCheckable(true);
        button->setChecked(tab == tab_);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        tabs_->addButton(button, static_cast<int>(tab));
        tabLayout->addWidget(button, 1);
    }
    connect(tabs_, &QButtonGroup::idClicked, this, [this](int id) { setTab(Tab(id)); });
    return tabBar_;
}

QWidget* Inspector::makeRows(QWidget* parent) {
    scroll_ = new QScrollArea(parent);
    scroll_->setObjectName(QStringLiteral("inspectorScroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* grid = new QWidget(scroll_);
    grid->setObjectName(QStringLiteral("inspectorRows"));
    auto* gridLayout = new QGridLayout(grid);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setHorizontalSpacing(14);
    gridLayout->setVerticalSpacing(3);
    gridLayout->setColumnStretch(1, 1);
    gridLayout->setRowStretch(maxRows, 1);
    for (int i = 0; i < maxRows; ++i) {
        Row& row = rows_[static_cast<std::size_t>(i)];
        row.label = new QLabel(grid);
        row.label->setObjectName(QStringLiteral("inspectorLabel"));
        row.label->setTextFormat(Qt::PlainText);
        row.value = new ValueField(grid);
        row.value->setObjectName(QStringLiteral("inspectorValue"));
        row.label->setBuddy(row.value);
        gridLayout->addWidget(row.label, i, 0, Qt::AlignLeft | Qt::AlignVCenter);
        gridLayout->addWidget(row.value, i, 1);
    }
    scroll_->setWidget(grid);
    return scroll_;
}

QWidget* Inspector::makeEmptyPage(QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    empty_ = new QLabel(QStringLiteral("Select a row to inspect it."), page);
    empty_->setObjectName(QStringLiteral("inspectorEmpty"));
    empty_->setTextFormat(Qt::PlainText);
    empty_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(empty_);
    layout->addStretch(1);
    return page;
}

void Inspector::setTab(Tab tab) {
    tab_ = tab;
    if (QAbstractButton* button = tabs_->button(static_cast<int>(tab))) button->setChecked(true);
    refresh();
}

void Inspector::refresh() {
    auto* pages = static_cast<QStackedWidget*>(scroll_->parentWidget());
    const std::optional<std::filesystem::path> file = model_.selectedFile();
    if (!file) {
        pages->setCurrentWidget(empty_->parentWidget());
        return;
    }

    std::vector<std::pair<QString, QString>> shown;
    switch (tab_) {
        case Tab::general: {
            const FileInfo info = FileInfo::read(*file);
            shown = {{QStringLiteral("Path"), qt(info.path)},
                     {QStringLiteral("Kind"), qt(info.kind)},
                     {QStringLiteral("Size"), qt(info.size)},
                     {QStringLiteral("Created"), qt(info.created)},
                     {QStringLiteral("Modified"), qt(info.modified)}};
            break;
        }
        case Tab::image: {
            const FileInfo info = FileInfo::read(*file);
            if (!info.dimensions) {
                shown = {{QStringLiteral("Dimensions"), QStringLiteral("Not an image")}};
            } else {
                shown = {{QStringLiteral("Dimensions"), qt(*info.dimensions)},
                         {QStringLiteral("Colour model"),
                          info.colorSpace ? qt(*info.colorSpace) : QStringLiteral("\u2014")}};
            }
            break;
        }
        case Tab::tokens: {
            const FileTokens tokens = FileTokens::read(*file);
            shown = {{QStringLiteral("<FileName>"), qt(tokens.fileName)},
                     {QStringLiteral("<FILENAME>"), qt(tokens.upperFileName)},
                     {QStringLiteral("<filename>"), qt(tokens.lowerFileName)},
                     {QStringLiteral("<FileExtension>"), qt(tokens.fileExtension)},
                     {QStringLiteral("<ParentFolder>"), qt(tokens.parentFolder)}};
            break;
        }
    }

    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const bool used = i < shown.size();
        if (used) {
            rows_[i].label->setText(shown[i].first);
            static_cast<ValueField*>(rows_[i].value)->setValue(shown[i].second);
        }
        rows_[i].label->setVisible(used);
        rows_[i].value->setVisible(used);
    }
    pages->setCurrentWidget(scroll_);
}

void Inspector::applyStyles() {
    const QPalette base = palette();
    const QFont caption = captionFont(font());
    QFont labelFont = caption;
    labelFont.setWeight(QFont::Medium);

    const auto toned = [&base](Tone tone) {
        QPalette palette = base;
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            QPalette groupPalette = base;
            groupPalette.setCurrentColorGroup(group);
            palette.setColor(group, QPalette::WindowText, color(tone, groupPalette));
        }
        return palette;
    };
    const QPalette secondary = toned(Tone::secondary);
    // Values are text on the window's background, not in an input box.
    QPalette value = base;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        value.setColor(group, QPalette::Base, Qt::transparent);
        value.setColor(group, QPalette::Text, base.color(group, QPalette::WindowText));
    }
    for (const Row& row : rows_) {
        row.label->setFont(labelFont);
        row.label->setPalette(secondary);
        row.value->setFont(caption);
        row.value->setPalette(value);
    }
    empty_->setFont(caption);
    empty_->setPalette(toned(Tone::tertiary));

    tabBar_->setStyleSheet(segmentedStyle(base));
}

void Inspector::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
        case QEvent::FontChange:
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
            applyStyles();
            break;
        default:
            break;
    }
}

bool Inspector::event(QEvent* event) {
    // Coming back to the window after changing the file elsewhere shows the change.
    if (event->type() == QEvent::WindowActivate && isVisible()) refresh();
    return QWidget::event(event);
}

void Inspector::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

}  // namespace tavix::ui

#include "Inspector.moc"
