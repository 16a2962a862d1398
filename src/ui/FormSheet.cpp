#include "ui/FormSheet.hpp"

#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>
#include <memory>
#include <vector>

#include "rules/Catalogue.hpp"
#include "ui/ActionForm.hpp"
#include "ui/Appearance.hpp"
#include "ui/WindowStyle.hpp"

namespace tavix::ui {
namespace {

constexpr int formWidth = 380;
constexpr int columns = 3;
constexpr int gap = 1;

void styleAll(QWidget* widget, QStyle* style) {
    widget->setStyle(style);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->setStyle(style);
}

// The height that shows the whole form; its scroll bar is switched off, as the
// sheet always gives the form that height.
int fullHeight(ActionForm& form) {
    auto* scroll = form.findChild<QScrollArea*>(QStringLiteral("actionFormScroll"));
    const QWidget* content = scroll ? scroll->widget() : nullptr;
    if (!content) return form.sizeHint().height();
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return content->hasHeightForWidth() ? content->heightForWidth(formWidth)
                                        : content->sizeHint().height();
}

}  // namespace

bool writeFormSheet(const QString& file, bool dark, QString* error) {
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!fusion) {
        if (error) *error = QStringLiteral("The Fusion style is not available.");
        return false;
    }
    std::unique_ptr<QStyle> style = std::make_unique<WindowStyle>(fusion);
    const QPalette palette = dark ? darkPalette() : fusion->standardPalette();

    std::vector<std::unique_ptr<ActionForm>> forms;
    for (const RuleAction action : allCases<RuleAction>()) {
        auto form = std::make_unique<ActionForm>();
        form->setRule(blank(action));
        styleAll(form.get(), style.get());
        form->setPalette(palette);
        form->setAttribute(Qt::WA_DontShowOnScreen);
        form->setFixedWidth(formWidth);
        form->show();
        forms.push_back(std::move(form));
    }

    const int rows = (static_cast<int>(forms.size()) + columns - 1) / columns;
    std::vector<int> heights(static_cast<std::size_t>(rows), 0);
    for (std::size_t i = 0; i < forms.size(); ++i) {
        int& height = heights[i / columns];
        height = std::max(height, fullHeight(*forms[i]));
    }

    int total = gap;
    for (const int height : heights) total += height + gap;
    QImage sheet(columns * (formWidth + gap) + gap, total, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(palette.color(QPalette::Mid));
    QPainter painter(&sheet);
    int top = gap;
    for (int row = 0; row < rows; ++row) {
        const int height = heights[static_cast<std::size_t>(row)];
        for (int column = 0; column < columns; ++column) {
            const std::size_t i = static_cast<std::size_t>(row * columns + column);
            if (i >= forms.size()) break;
            ActionForm& form = *forms[i];
            form.setFixedHeight(height);
            form.adjustSize();
            form.render(&painter, QPoint(gap + column * (formWidth + gap), top));
        }
        top += height + gap;
    }
    painter.end();

    // The forms go before the style they point to.
    forms.clear();
    if (!sheet.save(file, "PNG")) {
        if (error) *error = QStringLiteral("Could not write %1.").arg(file);
        return false;
    }
    return true;
}

}  // namespace tavix::ui
