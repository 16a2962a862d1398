// The window's symbols as drawn on a machine without an icon theme: in the
// text colour or their own, and fainter when disabled.
#include <QApplication>
#include <QIcon>
#include <QPalette>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "UiTestFiles.hpp"
#include "ui/Symbols.hpp"

using tavix::ui::Symbol;
using tavix::uitest::countPixels;

namespace {

const QColor ink(32, 64, 128);
const QColor disabledInk(200, 40, 40);
const QColor orange(232, 125, 0);

QImage render(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(QSize(size, size), 1.0, mode)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage& image, int minimumAlpha = 160) {
    return countPixels(image, [=](const QColor& c) { return c.alpha() >= minimumAlpha; });
}

// Every clearly visible pixel is `colour`, give or take rounding.
bool inkIs(const QImage& image, const QColor& colour) {
    return countPixels(image, [&](const QColor& c) {
               return c.alpha() >= 96 && (std::abs(c.red() - colour.red()) > 6 ||
                                          std::abs(c.green() - colour.green()) > 6 ||
                                          std::abs(c.blue() - colour.blue()) > 6);
           }) == 0;
}

}  // namespace

class SymbolsTest : public QObject {
    Q_OBJECT

    QTemporaryDir nothing_;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Active, QPalette::WindowText, ink);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, disabledInk);
        QApplication::setPalette(palette);
        QIcon::setThemeSearchPaths({nothing_.path()});
        QIcon::setFallbackSearchPaths({});
        QIcon::setThemeName(QStringLiteral("tavix-no-theme"));
        QIcon::setFallbackThemeName(QStringLiteral("tavix-no-theme"));
    }

    void eachSymbolIsDrawnWithoutATheme_data() {
        QTest::addColumn<int>("symbol");
        for (const Symbol s : {Symbol::plus, Symbol::minus, Symbol::xmark, Symbol::gearshape,
                               Symbol::arrowDown, Symbol::warning}) {
            QTest::addRow("%d", int(s)) << int(s);
        }
    }

    void eachSymbolIsDrawnWithoutATheme() {
        QFETCH(int, symbol);
        const QIcon icon = tavix::ui::symbol(Symbol(symbol));
        for (int size : {16, 64}) {
            const QImage image = render(icon, size);
            QVERIFY(opaquePixels(image) >= size / 2);
            QVERIFY(opaquePixels(image) < size * size * 3 / 4);
            QVERIFY(inkIs(image, ink));
        }
        const QImage disabled = render(icon, 32, QIcon::Disabled);
        QVERIFY(opaquePixels(disabled) > 0);
        QVERIFY(inkIs(disabled, disabledInk));

        const QIcon coloured = tavix::ui::symbol(Symbol(symbol), orange);
        QVERIFY(opaquePixels(render(coloured, 32)) >= 16);
        QVERIFY(inkIs(render(coloured, 32), orange));
        const QImage faint = render(coloured, 32, QIcon::Disabled);
        QVERIFY(opaquePixels(faint, 1) > 0);
        QCOMPARE(opaquePixels(faint, 128), 0);
        // Sharp on dense screens: drawn at the device's pixels.
        QCOMPARE(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    }
};

QTEST_MAIN(SymbolsTest)
#include "SymbolsTest.moc"
