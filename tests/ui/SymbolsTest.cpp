#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ui/Symbols.hpp"

using tavix::ui::Symbol;
using tavix::ui::symbol;

namespace {

const QColor ink(32, 64, 128);
const QColor disabledInk(200, 40, 40);
const QColor orange(232, 125, 0);

QImage render(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(QSize(size, size), 1.0, mode)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

int countPixels(const QImage& image, int minimumAlpha) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() >= minimumAlpha) ++count;
        }
    }
    return count;
}

int maximumAlpha(const QImage& image) {
    int alpha = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            alpha = std::max(alpha, image.pixelColor(x, y).alpha());
    }
    return alpha;
}

// Every clearly visible pixel is `colour`, give or take rounding.
bool inkIs(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 96) continue;
            if (std::abs(pixel.red() - colour.red()) > 6 ||
                std::abs(pixel.green() - colour.green()) > 6 ||
                std::abs(pixel.blue() - colour.blue()) > 6) {
                return false;
            }
        }
    }
    return true;
}

bool writeSquare(const QString& file, const QColor& colour) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(2, 2, 12, 12, colour);
    return image.save(file, "PNG");
}

}  // namespace

class SymbolsTest : public QObject {
    Q_OBJECT

    QTemporaryDir nothing_;

    void addSymbolRows() {
        QTest::addColumn<int>("symbol");
        QTest::newRow("plus") << int(Symbol::plus);
        QTest::newRow("minus") << int(Symbol::minus);
        QTest::newRow("xmark") << int(Symbol::xmark);
        QTest::newRow("gearshape") << int(Symbol::gearshape);
        QTest::newRow("arrowDown") << int(Symbol::arrowDown);
        QTest::newRow("warning") << int(Symbol::warning);
    }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(nothing_.isValid());
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Active, QPalette::WindowText, ink);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, disabledInk);
        QApplication::setPalette(palette);
    }

    // No icon theme at all, as on a machine without one.
    void init() {
        QIcon::setThemeSearchPaths({nothing_.path()});
        QIcon::setFallbackSearchPaths({});
        QIcon::setThemeName(QStringLiteral("tavix-no-theme"));
        QIcon::setFallbackThemeName(QStringLiteral("tavix-no-theme"));
    }

    void eachSymbolIsDrawnWithoutATheme_data() { addSymbolRows(); }
    void eachSymbolIsDrawnWithoutATheme() {
        QFETCH(int, symbol);
        const QIcon icon = tavix::ui::symbol(Symbol(symbol));
        QVERIFY(!icon.isNull());
        for (int size : {16, 32, 64}) {
            const QImage image = render(icon, size);
            QCOMPARE(image.size(), QSize(size, size));
            const int visible = countPixels(image, 160);
            QVERIFY2(visible >= size / 2, qPrintable(QString::number(size)));
            QVERIFY2(visible < size * size * 3 / 4, qPrintable(QString::number(size)));
            QVERIFY(inkIs(image, ink));
        }
    }

    void disabledSymbolsTakeTheDisabledTextColour_data() { addSymbolRows(); }
    void disabledSymbolsTakeTheDisabledTextColour() {
        QFETCH(int, symbol);
        const QImage image = render(tavix::ui::symbol(Symbol(symbol)), 32, QIcon::Disabled);
        QVERIFY(countPixels(image, 160) > 0);
        QVERIFY(inkIs(image, disabledInk));
    }

    void colouredSymbolsTakeTheirColour_data() { addSymbolRows(); }
    void colouredSymbolsTakeTheirColour() {
        QFETCH(int, symbol);
        const QIcon icon = tavix::ui::symbol(Symbol(symbol), orange);
        QVERIFY(!icon.isNull());
        const QImage normal = render(icon, 32);
        QVERIFY(countPixels(normal, 160) >= 16);
        QVERIFY(inkIs(normal, orange));
        // Disabled, the same colour drawn fainter.
        const QImage disabled = render(icon, 32, QIcon::Disabled);
        QVERIFY(countPixels(disabled, 1) > 0);
        QVERIFY(maximumAlpha(disabled) < maximumAlpha(normal) / 2);
    }

    void symbolsAreSharpOnDenseScreens() {
        for (const QIcon& icon : {symbol(Symbol::gearshape), symbol(Symbol::warning, orange)}) {
            const QPixmap pixmap = icon.pixmap(QSize(16, 16), 2.0);
            QCOMPARE(pixmap.size(), QSize(32, 32));
            QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        }
    }

    void theWarningMarkIsCutOutOfTheTriangle() {
        const QImage image = render(symbol(Symbol::warning, orange), 64);
        QCOMPARE(image.pixelColor(32, 32).alpha(), 0);  // the stroke of the mark
        QCOMPARE(image.pixelColor(32, 47).alpha(), 0);  // its dot
        QCOMPARE(image.pixelColor(20, 48).alpha(), 255);
        QCOMPARE(image.pixelColor(44, 48).alpha(), 255);
        QCOMPARE(image.pixelColor(2, 2).alpha(), 0);
    }

    void theThemesIconsWinWhereItHasThem() {
        QTemporaryDir theme;
        QVERIFY(theme.isValid());
        const QString folder = theme.path() + QStringLiteral("/tavix-test/16x16/actions");
        QVERIFY(QDir().mkpath(folder));
        QFile index(theme.path() + QStringLiteral("/tavix-test/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write(
            "[Icon Theme]\nName=Tavix Test\nDirectories=16x16/actions\n\n"
            "[16x16/actions]\nSize=16\nType=Fixed\n");
        index.close();
        QVERIFY(writeSquare(folder + QStringLiteral("/list-add.png"), Qt::blue));
        QVERIFY(writeSquare(folder + QStringLiteral("/go-down-symbolic.png"), Qt::black));
        QIcon::setThemeSearchPaths({theme.path()});
        QIcon::setThemeName(QStringLiteral("tavix-test"));

        // The theme's own icon, in its own colours.
        const QImage plus = render(symbol(Symbol::plus), 16);
        QCOMPARE(plus.pixelColor(3, 3), QColor(Qt::blue));
        // Missing from the theme: drawn.
        QVERIFY(inkIs(render(symbol(Symbol::minus), 16), ink));
        QCOMPARE(render(symbol(Symbol::minus), 16).pixelColor(3, 3).alpha(), 0);
        // A coloured symbol is the theme's single-colour shape in that colour.
        const QImage arrow = render(symbol(Symbol::arrowDown, orange), 16);
        QCOMPARE(arrow.pixelColor(3, 3), orange);
        QCOMPARE(arrow.pixelColor(0, 0).alpha(), 0);
        // No single-colour variant in the theme: drawn in that colour.
        const QImage warning = render(symbol(Symbol::warning, orange), 16);
        QVERIFY(inkIs(warning, orange));
        QCOMPARE(warning.pixelColor(3, 3).alpha(), 0);

        QIcon::setThemeSearchPaths({nothing_.path()});
    }
};

QTEST_MAIN(SymbolsTest)
#include "SymbolsTest.moc"
