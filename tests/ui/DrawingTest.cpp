// What the window draws where a style or theme could fail it: names fitted
// into a cell's width, and the symbols on a machine without an icon theme.
#include "support/UiTest.hpp"
#include "ui/ChangeToDelegate.hpp"
#include "ui/Symbols.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;
using Run = ChangeToDelegate::Run;

namespace {

const QChar ellipsis(0x2026);

QString joined(const QList<Run>& runs) {
    QString text;
    for (const Run& run : runs) text += run.text;
    return text;
}

const QColor ink(32, 64, 128);
const QColor disabledInk(200, 40, 40);
const QColor orange(232, 125, 0);

// Whether `icon` at `size` shows a shape (some ink, far from a filled square)
// whose every clearly visible pixel is `colour`, give or take rounding.
bool drawnIn(const QIcon& icon, int size, const QColor& colour, QIcon::Mode mode = QIcon::Normal) {
    const QImage image =
        icon.pixmap(QSize(size, size), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
    const int shown = countPixels(image, [](const QColor& c) { return c.alpha() >= 160; });
    const int stray = countPixels(image, [&](const QColor& c) {
        return c.alpha() >= 96 &&
               (std::abs(c.red() - colour.red()) > 6 || std::abs(c.green() - colour.green()) > 6 ||
                std::abs(c.blue() - colour.blue()) > 6);
    });
    const int least = mode == QIcon::Disabled ? 1 : size / 2;
    return shown >= least && shown < size * size * 3 / 4 && stray == 0;
}

}  // namespace

class DrawingTest : public QObject {
    Q_OBJECT

    QTemporaryDir nothing_;
    QFont font_;

private Q_SLOTS:
    void initTestCase() {
        useTestSettingsAndStyle();
        font_ = QApplication::font();
    }

    // A long name loses its middle; a change in the middle of a long name stays
    // whole while the text on each side loses its own middle, and one too long
    // to keep is cut like any text. With no room, the ellipsis stands alone;
    // a name that fits is left whole.
    void namesAreFittedIntoTheCell() {
        const QString name = "holiday-" + QString(60, 'x') + "-end.jpg";
        const Run change{"CHANGE", true};
        const QList<Run> changed{{"holiday-" + QString(40, 'a'), false}, change,
                                 {QString(40, 'b') + "-end.jpg", false}};
        const struct {
            QList<Run> runs;
            int width;
            QString head, tail;
            int ellipses;
        } cases[] = {{{{name, false}}, 150, "holi", ".jpg", 1},
                     {{{name, false}}, 1, ellipsis, ellipsis, 1},
                     {changed, 120, "h", "g", 2}, {changed, 300, "h", "g", 2},
                     {{{"a-", false}, {QString(200, 'X'), true}}, 100, "a-X", "", 1}};
        for (const auto& c : cases) {
            const QList<Run> fitted = ChangeToDelegate::fit(c.runs, font_, c.width);
            const QString text = joined(fitted);
            const qreal width = QFontMetricsF(font_).horizontalAdvance(text);
            QVERIFY2(text.startsWith(c.head) && text.endsWith(c.tail) &&
                         text.count(ellipsis) == c.ellipses && (c.width == 1 || width <= c.width) &&
                         (c.runs != changed || fitted.contains(change)),
                     qPrintable(text));
        }
        const QList<Run> fits{{"IMG_", false}, {"000", true}, {"1.jpg", false}};
        QCOMPARE(ChangeToDelegate::fit(fits, font_, 1000), fits);

        // Never split: "é" as e + combining acute, and a character outside the
        // basic plane. A cluster ends on the accent or the low surrogate, starts
        // on e or the high one.
        QString marks;
        for (int i = 0; i < 30; ++i) marks += QStringLiteral("e\u0301\U0001F600");
        for (int width : {40, 70, 110, 150}) {
            const QString cut = joined(ChangeToDelegate::fit({{marks, true}}, font_, width));
            const QString head = cut.left(cut.indexOf(ellipsis));
            const QString tail = cut.mid(cut.indexOf(ellipsis) + 1);
            QVERIFY2(cut.contains(ellipsis) && marks.startsWith(head) && marks.endsWith(tail) &&
                         (head.isEmpty() || head.back() == u'\u0301' || head.back() == u'\xDE00') &&
                         (tail.isEmpty() || tail.front() == u'e' || tail.front() == u'\xD83D'),
                     qPrintable(cut));
        }
    }

    // Every symbol in the text colour at two sizes, fainter when disabled,
    // in a colour of its own when given one, and drawn at the device's pixels.
    void eachSymbolIsDrawnWithoutATheme() {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Active, QPalette::WindowText, ink);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, disabledInk);
        QApplication::setPalette(palette);
        QIcon::setThemeSearchPaths({nothing_.path()});
        QIcon::setFallbackSearchPaths({});
        QIcon::setThemeName(QStringLiteral("tavix-no-theme"));
        QIcon::setFallbackThemeName(QStringLiteral("tavix-no-theme"));
        for (const Symbol s : {Symbol::plus, Symbol::minus, Symbol::xmark, Symbol::gearshape,
                               Symbol::arrowDown, Symbol::warning}) {
            const QIcon icon = tavix::ui::symbol(s);
            QVERIFY(drawnIn(icon, 16, ink) && drawnIn(icon, 64, ink));
            QVERIFY(drawnIn(icon, 32, disabledInk, QIcon::Disabled));
            QVERIFY(drawnIn(tavix::ui::symbol(s, orange), 32, orange));
            QCOMPARE(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
        }
    }
};

QTEST_MAIN(DrawingTest)
#include "DrawingTest.moc"
