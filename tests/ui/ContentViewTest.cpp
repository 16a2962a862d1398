// The main window's content driven through its controls: the file controls,
// the table's cells as drawn, the status bar, drops, the row menu and Tab.
#include <QAction>
#include <QContextMenuEvent>
#include <QDBusMessage>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

#include <algorithm>

#include "support/ExifBytes.hpp"
#include "support/Files.hpp"
#include "support/UiTest.hpp"
#include "system/FileSystem.hpp"
#include "ui/ContentView.hpp"
#include "ui/ElidedLabel.hpp"
#include "ui/FileManager.hpp"
#include "ui/Inspector.hpp"
#include "ui/PlanTableModel.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;
namespace fs = std::filesystem;

namespace {

// Makes every name change: "a.txt" becomes "new-a.txt".
void prefixEveryName(TavixModel& model) {
    tavix::test::setFirstStep(model, RenameRule{tavix::AddText{"new-", tavix::Position::prefix}});
}

QImage cellImage(QTableView* table, int row, int column) {
    const QImage viewport = table->viewport()->grab().toImage();
    const QRect cell = table->visualRect(table->model()->index(row, column));
    const qreal ratio = viewport.devicePixelRatio();
    return viewport.copy(QRect(cell.topLeft() * ratio, cell.size() * ratio));
}

// The light yellow of the change highlight laid over a light row.
bool isYellow(const QColor& c) {
    return c.red() > 230 && c.green() > 215 && c.blue() < 200 && c.red() - c.blue() > 50;
}

}  // namespace

class ContentViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        tavix::test::useTestSettingsAndStyle();
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    void init() {
        model_ = std::make_unique<TavixModel>();
        view_ = std::make_unique<ContentView>(*model_);
        view_->resize(1100, 700);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    }

    void cleanup() {
        view_.reset();
        model_.reset();
    }

    // The file controls, the selection the table shares with the model, minus,
    // and the highlight and inspector toggles, each reaching the model.
    void theControlsDriveTheModel() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        const fs::path b = box.write("img10.txt");
        const fs::path a = box.write("img2.txt");
        auto* clear = part<QToolButton>(view_.get(), "clearButton");
        auto* minus = part<QToolButton>(view_.get(), "removeButton");
        QVERIFY(!clear->isEnabled());
        model.setFileChooser([&](const TavixModel::FileChooserRequest& request) {
            return request.filesOnly && request.multiple ? std::vector<tavix::Location>{b, a}
                                                         : std::vector<tavix::Location>{};
        });
        part<QPushButton>(view_.get(), "addFilesButton")->click();
        part<QAction>(view_.get(), "sortByName")->trigger();
        QCOMPARE(model.files(), (std::vector<tavix::Location>{a, b}));

        QTableView* table = view_->table();
        QVERIFY(!minus->isEnabled());
        model.setPreviewSelection(model.plan().items[0].id);
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 0);
        prefixEveryName(model);  // new item ids: the selection names no row any more
        QVERIFY(table->selectionModel()->selectedRows().isEmpty());
        QVERIFY(countPixels(cellImage(table, 0, PlanTableModel::changeTo), isYellow) > 20);
        part<QAction>(view_.get(), "highlightChanges")->trigger();
        QVERIFY(!model.highlightChanges());
        QCOMPARE(countPixels(cellImage(table, 0, PlanTableModel::changeTo), isYellow), 0);

        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(1, 0)).center());
        QCOMPARE(model.selectedFile(), std::optional(b));
        minus->click();
        QCOMPARE(model.files(), (std::vector<tavix::Location>{a}));
        QVERIFY(!minus->isEnabled());

        // The inspector shows while its toggle is on, back on General each time.
        auto* inspector = view_->findChild<tavix::ui::Inspector*>();
        QVERIFY(inspector->isVisible());
        inspector->setTab(tavix::ui::Inspector::Tab::image);
        auto* toggle = part<QAction>(view_.get(), "showInspector");
        toggle->trigger();
        QVERIFY(!model.showInspector());
        QVERIFY(!inspector->isVisible());
        toggle->trigger();
        QCOMPARE(inspector->tab(), tavix::ui::Inspector::Tab::general);

        clear->click();
        QVERIFY(model.files().empty());
        QVERIFY(part<QWidget>(view_.get(), "emptyState")->isVisible());
        model.setMessage("Renamed 3 files.");
        QCOMPARE(part<ElidedLabel>(view_.get(), "statusMessage")->text(),
                 QStringLiteral("Renamed 3 files."));
    }

    // Every order of the Sort menu, and Reverse, which sorts again the other way.
    void theSortMenuSortsInEachOrder_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("order");
        QTest::newRow("name") << "sortByName" << "abc";
        QTest::newRow("date modified") << "sortByDate" << "bca";
        QTest::newRow("size") << "sortBySize" << "bac";
        QTest::newRow("date created") << "sortByCreated" << "cab";
        // The photo by when it was taken (before the others were modified).
        QTest::newRow("date taken") << "sortByTaken" << "abc";
    }
    void theSortMenuSortsInEachOrder() {
        QFETCH(QString, item);
        QFETCH(QString, order);
        using tavix::test::setModified;
        TemporaryFolder box;
        // Made in this order, so created c, a, b where birth times are kept.
        // The kernel stamps birth times from a clock that ticks every few
        // milliseconds, so files made within one tick would tie.
        const fs::path c = box.write("c.txt", std::string(500, 'c'));
        QTest::qWait(30);
        const fs::path a = box.write("a.jpg", tavix::test::jpegWith(
                                              tavix::test::exifBlock("2001:05:06 07:08:09")));
        QTest::qWait(30);
        const fs::path b = box.write("b.txt", "b");
        setModified(b, 1577836800);  // 2020
        setModified(c, 1609459200);  // 2021
        setModified(a, 1640995200);  // 2022
        if (item == QLatin1String("sortByCreated") &&
            !tavix::FileSystem::sizeAndDates(a).value().created) {
            QSKIP("this file system keeps no birth times");
        }
        const auto named = [&](const QString& letters) {
            std::vector<tavix::Location> files;
            for (const QChar letter : letters) {
                files.push_back(letter == QLatin1Char('a') ? a : letter == QLatin1Char('b') ? b : c);
            }
            return files;
        };
        TavixModel& model = view_->model();
        model.add(named(QStringLiteral("cba")));
        auto* reverse = part<QAction>(view_.get(), "sortReverse");
        part<QAction>(view_.get(), qPrintable(item))->trigger();
        QCOMPARE(model.files(), named(order));
        reverse->trigger();
        std::reverse(order.begin(), order.end());
        QCOMPARE(model.files(), named(order));
        // The direction holds for the next sort.
        model.clear();
        model.add(named(QStringLiteral("cba")));
        part<QAction>(view_.get(), qPrintable(item))->trigger();
        QCOMPARE(model.files(), named(order));
        reverse->trigger();
    }

    // The two planning toggles of the settings menu follow the model both ways.
    void theSettingsMenuSetsHowFilesArePlanned() {
        TavixModel& model = view_->model();
        auto* perFolder = part<QAction>(view_.get(), "perFolder");
        auto* taken = part<QAction>(view_.get(), "datesTaken");
        QVERIFY(!perFolder->isChecked() && !taken->isChecked());
        perFolder->trigger();
        QVERIFY(model.perFolder());
        taken->trigger();
        QCOMPARE(model.dateSource(), tavix::RenameEngine::DateSource::taken);
        model.setPerFolder(false);
        model.setDateSource(tavix::RenameEngine::DateSource::modified);
        QVERIFY(!perFolder->isChecked() && !taken->isChecked());
    }

    // Hovering over a shortened new name shows it whole, its change marked and
    // its text escaped.
    void aShortenedNameShowsWholeInItsTooltip() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        const std::string side(90, 'a');
        model.add({box.write("<R&D>" + side + "MID" + side + ".txt")});
        tavix::test::setFirstStep(model, RenameRule{tavix::FindReplace{"MID", "NEW", false, true, {}}});
        QTableView* table = view_->table();
        const QRect cell = table->visualRect(table->model()->index(0, PlanTableModel::changeTo));
        QHelpEvent hover(QEvent::ToolTip, cell.center(), table->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(table->viewport(), &hover);
        QTRY_VERIFY(QToolTip::isVisible());
        const QString tip = QToolTip::text();
        QVERIFY2(tip.contains("&lt;R&amp;D&gt;" + QString::fromStdString(side) + "<b><u>"),
                 qPrintable(tip));
        QVERIFY2(tip.contains(QStringLiteral(">NEW</span></u></b>") + QString::fromStdString(side)),
                 qPrintable(tip));
        QToolTip::hideText();
    }

    void droppingFilesAddsThemInOrderSkippingFolders() {
        TemporaryFolder box;
        const fs::path c = box.write("c.txt");
        const fs::path folder = box.folder("folder");
        const fs::path a = box.write("a.txt");
        const fs::path b = box.write("b.txt");
        TavixModel& model = view_->model();

        // Over the steps pane, not the table: the whole split view takes files.
        QWidget* over = part<QWidget>(view_.get(), "stepsPlaceholder");
        QMimeData data;
        QList<QUrl> urls;
        for (const fs::path& file : {c, folder, a, b}) urls << QUrl::fromLocalFile(file.c_str());
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(over, &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(part<QWidget>(view_.get(), "dropOutline")->isVisible());

        QDropEvent drop(QPointF(30, 30), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(over, &drop);
        QVERIFY(drop.isAccepted());
        QVERIFY(!part<QWidget>(view_.get(), "dropOutline")->isVisible());
        // Answered before any file joins the list.
        QVERIFY(model.files().empty());

        QTRY_COMPARE(model.files(), (std::vector<tavix::Location>{c, a, b}));
    }

    // "Show in File Manager" in the row menu sends the file under the pointer;
    // the call names files by URI, encoded as the interface wants them.
    void theRowMenuShowsTheFileInTheFileManager() {
        TemporaryFolder box;
        view_->model().add({box.write("a.txt"), box.write("b c.txt")});
        QList<QUrl> shown;
        view_->setFileShower([&](const QList<QUrl>& files) { shown = files; });
        QTableView* table = view_->table();
        const QPoint at = table->visualRect(table->model()->index(1, 0)).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table->viewport(), &click);
        auto* menu = part<QMenu>(table, "rowMenu");
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 1);
        auto* show = part<QAction>(menu, "showInFileManager");
        QCOMPARE(show->text(), QStringLiteral("Show in File Manager"));
        show->trigger();
        menu->close();
        QCOMPARE(shown, QList<QUrl>{QUrl::fromLocalFile(
                            QString::fromStdString((box.path() / "b c.txt").string()))});

        const QDBusMessage call =
            showItemsMessage({QUrl::fromLocalFile(QStringLiteral("/tmp/a b/\u00E9t\u00E9.jpg"))});
        QCOMPARE((QStringList{call.service(), call.path(), call.interface(), call.member()}),
                 (QStringList{"org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                              "org.freedesktop.FileManager1", "ShowItems"}));
        QCOMPARE(call.arguments().at(0).toStringList(),
                 QStringList{QStringLiteral("file:///tmp/a%20b/%C3%A9t%C3%A9.jpg")});
        QCOMPARE(call.arguments().at(1).toString(), QString());
    }

    void tabGoesFromControlToControlInTheOrderShown() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        model.add({box.write("a.txt"), box.write("b.txt")});
        model.setPreviewSelection(model.plan().items[0].id);
        view_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view_.get()));

        const QStringList steps{"categoryMenu", "actionMenu", "findField", "replaceField",
                                "occurrencesMenu", "regexCheck", "caseSensitiveCheck",
                                "addStepButton", "removeStepButton", "stepsList",
                                "keepExtension"};
        // The table is one stop: Tab leaves it at once, its selection untouched.
        const QStringList preview{"fileTable", "settingsButton", "addButton", "removeButton",
                                  "clearButton", "sortButton", "inspectorGeneral"};
        part<QWidget>(view_.get(), "categoryMenu")->setFocus(Qt::OtherFocusReason);
        QStringList walked;
        for (int i = 0; i <= 18 && QApplication::focusWidget() != nullptr; ++i) {
            walked << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(walked, steps + preview + steps.mid(0, 1));
        QCOMPARE(model.previewSelection(), std::optional(model.plan().items[0].id));
    }

private:
    std::unique_ptr<TavixModel> model_;
    std::unique_ptr<ContentView> view_;
};

QTEST_MAIN(ContentViewTest)
#include "ContentViewTest.moc"
