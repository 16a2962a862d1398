// The window's symbols: drawn when the icon theme lacks them, in the text
// colour or their own, and taken from the theme where it has them.
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

#include "UiTestFiles.hpp"
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

int opaquePixels(const QImage& image, int minimumAlpha = 160) {
    return tavix::uitest::countPixels(image, image.rect(), [minimumAlpha](const QColor& c) {
        return c.alpha() >= minimumAlpha;
    });
}

// Every clearly visible pixel is `colour`, give or take rounding.
bool inkIs(const QImage& image, const QColor& colour) {
    return tavix::uitest::countPixels(image, image.rect(), [&colour](const QColor& c) {
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
        // No icon theme at all, as on a machine without one.
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

    // In the text colour at every size, in the disabled text colour when
    // disabled, in its own colour when given one, and fainter when disabled.
    void eachSymbolIsDrawnWithoutATheme() {
        QFETCH(int, symbol);
        const QIcon icon = tavix::ui::symbol(Symbol(symbol));
        for (int size : {16, 64}) {
            const QImage image = render(icon, size);
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(opaquePixels(image) >= size / 2);
            QVERIFY(opaquePixels(image) < size * size * 3 / 4);
            QVERIFY(inkIs(image, ink));
        }
        const QImage disabled = render(icon, 32, QIcon::Disabled);
        QVERIFY(opaquePixels(disabled) > 0);
        QVERIFY(inkIs(disabled, disabledInk));

        const QIcon coloured = tavix::ui::symbol(Symbol(symbol), orange);
        const QImage normal = render(coloured, 32);
        QVERIFY(opaquePixels(normal) >= 16);
        QVERIFY(inkIs(normal, orange));
        const QImage faint = render(coloured, 32, QIcon::Disabled);
        QVERIFY(opaquePixels(faint, 1) > 0);
        QCOMPARE(opaquePixels(faint, 128), 0);
        // Sharp on dense screens: drawn at the device's pixels.
        QCOMPARE(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    }

    void theThemesIconsWinWhereItHasThem() {
        QTemporaryDir theme;
        const QString folder = theme.path() + QStringLiteral("/tavix-test/16x16/actions");
        QVERIFY(QDir().mkpath(folder));
        QFile index(theme.path() + QStringLiteral("/tavix-test/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Tavix Test\nDirectories=16x16/actions\n\n"
                    "[16x16/actions]\nSize=16\nType=Fixed\n");
        index.close();
        for (const auto& [name, colour] : {std::pair{"/list-add.png", QColor(Qt::blue)},
                                           std::pair{"/go-down-symbolic.png", QColor(Qt::black)}}) {
            QImage square(16, 16, QImage::Format_ARGB32);
            square.fill(Qt::transparent);
            QPainter(&square).fillRect(2, 2, 12, 12, colour);
            QVERIFY(square.save(folder + QLatin1String(name), "PNG"));
        }
        QIcon::setThemeSearchPaths({theme.path()});
        QIcon::setThemeName(QStringLiteral("tavix-test"));

        // The theme's own icon, in its own colours; one it lacks is drawn.
        QCOMPARE(render(symbol(Symbol::plus), 16).pixelColor(3, 3), QColor(Qt::blue));
        QCOMPARE(render(symbol(Symbol::minus), 16).pixelColor(3, 3).alpha(), 0);
        // A coloured symbol is the theme's single-colour shape in that colour,
        // or drawn in that colour when the theme has no single-colour variant.
        QCOMPARE(render(symbol(Symbol::arrowDown, orange), 16).pixelColor(3, 3), orange);
        const QImage warning = render(symbol(Symbol::warning, orange), 16);
        QVERIFY(inkIs(warning, orange));
        QCOMPARE(warning.pixelColor(3, 3).alpha(), 0);

        QIcon::setThemeSearchPaths({nothing_.path()});
        QIcon::setThemeName(QStringLiteral("tavix-no-theme"));
    }
};

QTEST_MAIN(SymbolsTest)
#include "SymbolsTest.moc"
