// What the window draws where a style or theme could fail it: names fitted
// into a cell's width, names drawn whole in their labels, and the symbols on a
// machine without an icon theme.
#include <QFontMetricsF>
#include <QIcon>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QTemporaryDir>

#include "support/UiTest.hpp"
#include "ui/Appearance.hpp"
#include "ui/ChangeToDelegate.hpp"
#include "ui/ElidedLabel.hpp"
#include "ui/Inspector.hpp"
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

// The lowest row of `widget`'s picture that holds ink (a pixel far from the
// top-left one, the background), and how many ink pixels that row has.
std::pair<int, int> lowestInk(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    const QColor back = image.pixelColor(0, 0);
    const auto isInk = [&back](const QColor& c) {
        return std::abs(c.red() - back.red()) + std::abs(c.green() - back.green()) +
                   std::abs(c.blue() - back.blue()) >
               90;
    };
    for (int y = image.height() - 1; y >= 0; --y) {
        const int ink = countPixels(image.copy(0, y, image.width(), 1), isInk);
        if (ink > 0) return {y, ink};
    }
    return {-1, 0};
}

// Whether `widget` draws the underscore of ‘IMG_0041’ whole: below the letters
// and digits, as a run of ink at least half its advance long.
template <class Widget>
bool drawsTheUnderscore(Widget& widget) {
    widget.setText(QStringLiteral("IMG0041"));
    const auto [lettersBottom, lettersInk] = lowestInk(widget);
    widget.setText(QStringLiteral("IMG_0041"));
    const auto [bottom, ink] = lowestInk(widget);
    return bottom > lettersBottom && ink >= QFontMetrics(widget.font()).horizontalAdvance(u'_') / 2;
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
    // to keep is cut like any text.
    void namesAreFittedIntoTheCell() {
        const QString name =
            QStringLiteral("holiday-") + QString(60, 'x') + QStringLiteral("-end.jpg");
        const QString shown = joined(ChangeToDelegate::fit({{name, false}}, font_, 150));
        QVERIFY2(shown.startsWith(QStringLiteral("holi")), qPrintable(shown));
        QVERIFY2(shown.endsWith(QStringLiteral(".jpg")), qPrintable(shown));
        QCOMPARE(shown.count(ellipsis), 1);
        QVERIFY(QFontMetricsF(font_).horizontalAdvance(shown) <= 150);

        // A name that fits is left whole; with no room, the ellipsis stands alone.
        const QList<Run> runs{{"IMG_", false}, {"000", true}, {"1.jpg", false}};
        QCOMPARE(ChangeToDelegate::fit(runs, font_, 1000), runs);
        QCOMPARE(joined(ChangeToDelegate::fit({{name, false}}, font_, 1)), QString(ellipsis));

        // Never split: "é" as e + combining acute, and a character outside the basic plane.
        QString marks;
        for (int i = 0; i < 30; ++i) marks += QStringLiteral("e\u0301\U0001F600");
        for (int width : {40, 70, 110, 150}) {
            const QString cut = joined(ChangeToDelegate::fit({{marks, true}}, font_, width));
            const qsizetype gap = cut.indexOf(ellipsis);
            QVERIFY(gap >= 0);
            const QString head = cut.left(gap);
            const QString tail = cut.mid(gap + 1);
            QVERIFY2(marks.startsWith(head) && marks.endsWith(tail), qPrintable(cut));
            // A cluster ends on the accent or the low surrogate, starts on e or the high one.
            QVERIFY(head.isEmpty() || head.back() == QChar(0x0301) || head.back() == QChar(0xDE00));
            QVERIFY(tail.isEmpty() || tail.front() == u'e' || tail.front() == QChar(0xD83D));
        }

        const QList<Run> changed{{QStringLiteral("holiday-") + QString(40, 'a'), false},
                                 {QStringLiteral("CHANGE"), true},
                                 {QString(40, 'b') + QStringLiteral("-end.jpg"), false}};
        for (int width : {120, 200, 300}) {
            const QList<Run> fitted = ChangeToDelegate::fit(changed, font_, width);
            const QString text = joined(fitted);
            QVERIFY(fitted.contains(Run{QStringLiteral("CHANGE"), true}));
            QVERIFY2(text.startsWith(u'h') && text.endsWith(u'g'), qPrintable(text));
            QCOMPARE(text.count(ellipsis), 2);
            QVERIFY(QFontMetricsF(font_).horizontalAdvance(text) <= width);
        }
        const QList<Run> huge{{QStringLiteral("a-"), false}, {QString(200, 'X'), true}};
        const QString cut = joined(ChangeToDelegate::fit(huge, font_, 100));
        QVERIFY2(cut.startsWith(QStringLiteral("a-X")) && cut.count(ellipsis) == 1,
                 qPrintable(cut));
    }

    void namesAreDrawnWhole_data() {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<double>("points");
        QTest::newRow("light, 8 pt") << false << 8.0;
        QTest::newRow("dark, 10 pt") << true << 10.0;
    }

    // A value and a message label, each as tall as its layout makes it, show
    // the underscore in ‘IMG_0041’ (it once fell one pixel below the label).
    void namesAreDrawnWhole() {
        QFETCH(bool, dark);
        QFETCH(double, points);
        const QPalette palette = dark ? darkPalette() : QApplication::style()->standardPalette();
        QFont font = QApplication::font();
        font.setPointSizeF(points);

        TemporaryFolder temp;
        TavixModel model;
        model.add({temp.write("IMG_0041.jpg")});
        model.setPreviewSelection(model.plan().items.at(0).id);
        Inspector inspector(model);
        inspector.setPalette(palette);
        inspector.setFont(font);
        inspector.setTab(Inspector::Tab::tokens);
        inspector.resize(600, inspector.height());
        inspector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&inspector));
        auto* value =
            labelled<QLineEdit>(inspector, "inspectorLabel", QStringLiteral("<FileName>"));
        QCOMPARE(value->text(), QStringLiteral("IMG_0041"));
        QVERIFY(drawsTheUnderscore(*value));

        // The status bar's message, sized by its own hint.
        ElidedLabel message;
        message.setPalette(palette);
        message.setFont(captionFont(font));
        message.setAutoFillBackground(true);
        message.setText(QStringLiteral("IMG_0041"));
        message.resize(message.sizeHint().width() + 40, message.sizeHint().height());
        QVERIFY(drawsTheUnderscore(message));
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
