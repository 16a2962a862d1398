#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <utility>

#include "UiTestFiles.hpp"
#include "model/FileInfo.hpp"
#include "model/TavixModel.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"
#include "ui/Appearance.hpp"
#include "ui/ElidedLabel.hpp"
#include "ui/Inspector.hpp"

namespace fs = std::filesystem;
using tavix::FileInfo;
using tavix::TavixModel;
using tavix::ui::Inspector;

namespace {

using Rows = QList<std::pair<QString, QString>>;

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// The label and value texts the panel shows, top to bottom.
Rows shownRows(const Inspector& inspector) {
    Rows rows;
    for (const QLabel* label : tavix::uitest::shownLabels(inspector, "inspectorLabel")) {
        const auto* value = qobject_cast<const QLineEdit*>(label->buddy());
        rows.append({label->text(), value ? value->text() : QStringLiteral("(no value)")});
    }
    return rows;
}

QLineEdit* valueOf(const Inspector& inspector, const QString& label) {
    return tavix::uitest::labelled<QLineEdit>(inspector, "inspectorLabel", label);
}

QToolButton* tabButton(const Inspector& inspector, const char* title) {
    return inspector.findChild<QToolButton*>(QStringLiteral("inspector") + QLatin1String(title));
}

// The lowest row of `widget`'s picture that holds ink (a pixel far from the
// top-left one, the background), and how many ink pixels that row has.
std::pair<int, int> lowestInk(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    const QColor background = image.pixelColor(0, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        int ink = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = std::abs(c.red() - background.red()) +
                                 std::abs(c.green() - background.green()) +
                                 std::abs(c.blue() - background.blue());
            if (distance > 90) ++ink;
        }
        if (ink > 0) return {y, ink};
    }
    return {-1, 0};
}

// Whether `show` draws the underscore of ‘IMG_0041’ on `widget`: whole, below
// the letters and digits, as a run of ink at least half its advance long.
bool drawsTheUnderscore(QWidget& widget, const std::function<void(const QString&)>& show,
                        const QFont& font) {
    show(QStringLiteral("IMG0041"));
    const auto [lettersBottom, lettersInk] = lowestInk(widget);
    show(QStringLiteral("IMG_0041"));
    const auto [bottom, ink] = lowestInk(widget);
    return bottom > lettersBottom && ink >= QFontMetrics(font).horizontalAdvance(u'_') / 2;
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
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    // The Image tab's texts are the view's own: the size, or what a file that
    // is no image shows.
    void imageTabShowsPixelSize() {
        tavix::testing::TemporaryFolder temp;
        const fs::path photo = temp.path() / "photo.png";
        std::string why;
        QVERIFY2(tavix::testing::writeImage(photo, {40, 30, 3, VIPS_INTERPRETATION_sRGB}, why),
                 why.c_str());
        TavixModel model;
        model.add({photo, temp.write("notes.txt", "hello")});
        select(model, 0);
        Inspector inspector(model);
        inspector.show();
        inspector.setTab(Inspector::Tab::image);
        QCOMPARE(shownRows(inspector),
                 (Rows{{"Dimensions", "40 \u00D7 30"}, {"Colour model", "RGB"}}));
        select(model, 1);
        QCOMPARE(shownRows(inspector), (Rows{{"Dimensions", "Not an image"}}));
    }

    void namesAreDrawnWhole_data() {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<double>("points");
        QTest::newRow("light, 8 pt") << false << 8.0;
        QTest::newRow("light, 11 pt") << false << 11.0;
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

        tavix::testing::TemporaryFolder temp;
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
        QVERIFY(drawsTheUnderscore(
            *value, [value](const QString& text) { value->setText(text); }, value->font()));

        // The status bar's message, sized by its own hint.
        tavix::ui::ElidedLabel message;
        message.setPalette(palette);
        message.setFont(tavix::ui::captionFont(font));
        message.setAutoFillBackground(true);
        message.setText(QStringLiteral("IMG_0041"));
        message.resize(message.sizeHint().width() + 40, message.sizeHint().height());
        QVERIFY(drawsTheUnderscore(
            message, [&message](const QString& text) { message.setText(text); }, message.font()));
    }

    // The General tab shows the selected file's facts, read afresh each time
    // it is shown. The tab and the selection are independent: a click on a tab
    // keeps the row, another row keeps the tab, and a rebuilt plan (new row
    // ids) selects nothing.
    void theTabsShowTheSelectedFile() {
        tavix::testing::TemporaryFolder temp;
        const fs::path file = temp.write("One/a.txt", "milk\n");
        TavixModel model;
        model.add({file, temp.write("Two/b.txt", "b")});
        Inspector inspector(model);
        inspector.show();
        QVERIFY(inspector.findChild<QLabel*>(QStringLiteral("inspectorEmpty"))->isVisible());
        select(model, 0);
        const FileInfo info = FileInfo::read(file);
        QCOMPARE(shownRows(inspector), (Rows{{"Path", qt(file.parent_path().native())},
                                             {"Kind", qt(info.kind)},
                                             {"Size", "5 bytes"},
                                             {"Created", qt(info.created)},
                                             {"Modified", qt(info.modified)}}));
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
        QVERIFY(shownRows(inspector).isEmpty());

        // Hidden and shown again, as the window's toggle does: back on General.
        inspector.hide();
        inspector.resetToGeneral();
        inspector.show();
        QVERIFY(tabButton(inspector, "General")->isChecked());
    }

    void aLongPathIsElidedInTheMiddleButCopiedWhole() {
        tavix::testing::TemporaryFolder temp;
        const std::string deep =
            "Projects/Customers/Northwind Traders/Annual Reports/2024/Final Drafts/Approved";
        TavixModel model;
        model.add({temp.write(deep + "/summary.txt", "x")});
        select(model, 0);
        Inspector inspector(model);
        inspector.resize(320, inspector.height());
        inspector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&inspector));

        QLineEdit* path = valueOf(inspector, "Path");
        QVERIFY(path);
        const QString whole = qt((temp.path() / deep).native());
        QCOMPARE(path->text(), whole);

        const QString shown = path->property("shownText").toString();
        const qsizetype cut = shown.indexOf(QChar(0x2026));
        QVERIFY2(cut > 0 && cut < shown.size() - 1, qPrintable(shown));
        QVERIFY(whole.startsWith(shown.left(cut)));
        QVERIFY(whole.endsWith(shown.mid(cut + 1)));
        QVERIFY(path->fontMetrics().horizontalAdvance(shown) <= path->width());
        QCOMPARE(path->toolTip(), whole);

        QApplication::clipboard()->clear();
        QTest::mouseClick(path, Qt::LeftButton, {}, QPoint(4, path->height() / 2));
        QVERIFY(path->hasFocus());
        QCOMPARE(path->property("shownText").toString(), whole);
        QTest::keyClick(path, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(path, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), whole);
    }
};

QTEST_MAIN(InspectorTest)
#include "InspectorTest.moc"
