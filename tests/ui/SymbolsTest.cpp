// The window's symbols as drawn on a machine without an icon theme: in the
// text colour or their own, and fainter when disabled.
#include <QIcon>
#include <QPalette>
#include <QTemporaryDir>

#include "support/UiTest.hpp"
#include "ui/Symbols.hpp"

using namespace tavix::test;
using namespace tavix::ui;

namespace {

const QColor ink(32, 64, 128);
const QColor disabledInk(200, 40, 40);
const QColor orange(232, 125, 0);

// Whether `icon` at `size` shows a shape (some ink, far from a filled square)
// whose every clearly visible pixel is `colour`, give or take rounding.
bool drawnIn(const QIcon& icon, int size, const QColor& colour,
             QIcon::Mode mode = QIcon::Normal) {
    const QImage image =
        icon.pixmap(QSize(size, size), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
    const int shown = countPixels(image, [](const QColor& c) { return c.alpha() >= 160; });
    const int stray = countPixels(image, [&](const QColor& c) {
        return c.alpha() >= 96 && (std::abs(c.red() - colour.red()) > 6 ||
                                   std::abs(c.green() - colour.green()) > 6 ||
                                   std::abs(c.blue() - colour.blue()) > 6);
    });
    const int least = mode == QIcon::Disabled ? 1 : size / 2;
    return shown >= least && shown < size * size * 3 / 4 && stray == 0;
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

    // Every symbol in the text colour at two sizes, fainter when disabled,
    // in a colour of its own when given one, and drawn at the device's pixels.
    void eachSymbolIsDrawnWithoutATheme() {
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

QTEST_MAIN(SymbolsTest)
#include "SymbolsTest.moc"
