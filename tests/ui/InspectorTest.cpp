#include <QClipboard>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/UiTest.hpp"
#include "ui/Appearance.hpp"
#include "ui/ElidedLabel.hpp"
#include "ui/Inspector.hpp"

namespace fs = std::filesystem;
using namespace tavix;
using namespace tavix::ui;

namespace {

QLineEdit* valueOf(const Inspector& inspector, const QString& label) {
    return tavix::test::labelled<QLineEdit>(inspector, "inspectorLabel", label);
}

QToolButton* tabButton(const Inspector& inspector, const char* title) {
    return inspector.findChild<QToolButton*>(QStringLiteral("inspector") + QLatin1String(title));
}

// The lowest row of `widget`'s picture that holds ink (a pixel far from the
// top-left one, the background), and how many ink pixels that row has.
std::pair<int, int> lowestInk(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    const QColor back = image.pixelColor(0, 0);
    const auto isInk = [&back](const QColor& c) {
        return std::abs(c.red() - back.red()) + std::abs(c.green() - back.green()) +
                   std::abs(c.blue() - back.blue()) > 90;
    };
    for (int y = image.height() - 1; y >= 0; --y) {
        const int ink = tavix::test::countPixels(image.copy(0, y, image.width(), 1), isInk);
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

// Selects the table row of the plan's item at `row`, as a click on it does.
void select(TavixModel& model, std::size_t row) {
    model.setPreviewSelection(model.plan().items.at(row).id);
}

}  // namespace

class InspectorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        tavix::test::useTestSettingsAndStyle();
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
        const QPalette palette = dark ? tavix::ui::darkPalette()
                                      : QApplication::style()->standardPalette();
        QFont font = QApplication::font();
        font.setPointSizeF(points);

        tavix::test::TemporaryFolder temp;
        TavixModel model;
        model.add({temp.write("IMG_0041.jpg")});
        select(model, 0);
        Inspector inspector(model);
        inspector.setPalette(palette);
        inspector.setFont(font);
        inspector.setTab(Inspector::Tab::tokens);
        inspector.resize(600, inspector.height());
        inspector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&inspector));
        QLineEdit* value = valueOf(inspector, "<FileName>");
        QCOMPARE(value->text(), QStringLiteral("IMG_0041"));
        QVERIFY(drawsTheUnderscore(*value));

        // The status bar's message, sized by its own hint.
        tavix::ui::ElidedLabel message;
        message.setPalette(palette);
        message.setFont(tavix::ui::captionFont(font));
        message.setAutoFillBackground(true);
        message.setText(QStringLiteral("IMG_0041"));
        message.resize(message.sizeHint().width() + 40, message.sizeHint().height());
        QVERIFY(drawsTheUnderscore(message));
    }

    // The General tab reads the selected file afresh each time it is shown.
    // The tab and the selection are independent: a click on a tab keeps the
    // row, another row keeps the tab, and a rebuilt plan (new row ids) selects
    // nothing.
    // A path too long for the panel loses its middle when drawn, not when copied.
    void theTabsShowTheSelectedFile() {
        tavix::test::TemporaryFolder temp;
        const std::string deep =
            "Projects/Customers/Northwind Traders/Annual Reports/2024/Final Drafts/One";
        const fs::path file = temp.write(deep + "/a.txt", "milk\n");
        TavixModel model;
        model.add({file, temp.write("Two/b.txt", "b")});
        Inspector inspector(model);
        inspector.resize(320, inspector.height());
        inspector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&inspector));
        QVERIFY(inspector.findChild<QLabel*>(QStringLiteral("inspectorEmpty"))->isVisible());
        select(model, 0);
        QCOMPARE(valueOf(inspector, "Size")->text(), QStringLiteral("5 bytes"));
        QLineEdit* path = valueOf(inspector, "Path");
        QVERIFY(path->property("shownText").toString().contains(QChar(0x2026)));
        QApplication::clipboard()->clear();
        QTest::mouseClick(path, Qt::LeftButton, {}, QPoint(4, path->height() / 2));
        QTest::keyClick(path, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(path, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromStdString(file.parent_path().string()));
        std::ofstream(file, std::ios::app) << "12";
        QTest::mouseClick(tabButton(inspector, "Image"), Qt::LeftButton);
        QTest::mouseClick(tabButton(inspector, "General"), Qt::LeftButton);
        QCOMPARE(valueOf(inspector, "Size")->text(), QStringLiteral("7 bytes"));

        select(model, 1);
        const auto selected = model.previewSelection();
        QTest::mouseClick(tabButton(inspector, "Tokens"), Qt::LeftButton);
        QCOMPARE(model.previewSelection(), selected);
        QVERIFY(!tabButton(inspector, "General")->isChecked());
        QCOMPARE(valueOf(inspector, "<ParentFolder>")->text(), QStringLiteral("Two"));
        select(model, 0);
        QCOMPARE(valueOf(inspector, "<ParentFolder>")->text(), QStringLiteral("One"));
        model.add({temp.write("Three/c.txt", "c")});
        QVERIFY(valueOf(inspector, "<ParentFolder>") == nullptr);
    }
};

QTEST_MAIN(InspectorTest)
#include "InspectorTest.moc"
