// The main window's content driven through its controls: the file controls,
// the table's rows and cells as drawn, the status bar, drops, the row menu,
// Tab, and the inspector's tabs.
#include <QDBusMessage>

#include <fstream>

#include "support/Files.hpp"
#include "support/UiTest.hpp"
#include "ui/Appearance.hpp"
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

QImage cellImage(QTableView* table, int row, int column) {
    const QImage viewport = table->viewport()->grab().toImage();
    const QRect cell = table->visualRect(table->model()->index(row, column));
    const qreal ratio = viewport.devicePixelRatio();
    return viewport.copy(QRect(cell.topLeft() * ratio, cell.size() * ratio));
}

// The table's rows as a user reads them: the current name, what it changes
// to, and the colour that is drawn in (text, secondary or orange).
QStringList rowsOf(QTableView* table) {
    const QPalette palette = QGuiApplication::palette();
    QStringList rows;
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        const auto cell = [&](int column) { return table->model()->index(row, column); };
        const auto ink = cell(PlanTableModel::changeTo).data(Qt::ForegroundRole).value<QColor>();
        rows << cell(PlanTableModel::currentName).data().toString() + " > " +
                    cell(PlanTableModel::changeTo).data().toString() + " in " +
                    (ink == palette.color(QPalette::Text)     ? "text"
                     : ink == color(Tone::secondary, palette) ? "secondary"
                     : ink == color(Tone::orange, palette)    ? "orange"
                                                              : "?");
    }
    return rows;
}

// The inspector's value beside the shown label with this text, if any.
QLineEdit* valueOf(const Inspector& inspector, const QString& text) {
    for (const QLabel* label : inspector.findChildren<QLabel*>(QStringLiteral("inspectorLabel"))) {
        if (label->isVisibleTo(&inspector) && label->text() == text) {
            return qobject_cast<QLineEdit*>(label->buddy());
        }
    }
    return nullptr;
}

void select(TavixModel& model, std::size_t row) {
    model.setPreviewSelection(model.plan().items.at(row).id);
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
        tester_ = std::make_unique<QAbstractItemModelTester>(
            view_->tableModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void cleanup() {
        tester_.reset();
        view_.reset();
        model_.reset();
    }

    // The file controls, the selection the table shares with the model, minus,
    // and the highlight and inspector toggles, each reaching the model; the
    // table shows each new plan, a changed name in the text colour; the empty
    // state stands in for an empty list.
    void theControlsDriveTheModel() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        const fs::path b = box.write("img10.txt");
        const fs::path a = box.write("img2.txt");
        const auto buttons = [&] {
            return states(*view_, {"clearButton", "removeButton", "emptyState"});
        };
        QCOMPARE(buttons(), "clearButton off, removeButton off, emptyState");
        model.setFileChooser([&](const TavixModel::FileChooserRequest& request) {
            return request.filesOnly && request.multiple ? std::vector<tavix::Location>{a, b}
                                                         : std::vector<tavix::Location>{};
        });
        part<QPushButton>(view_.get(), "addFilesButton")->click();
        QTableView* table = view_->table();
        QCOMPARE(rowsOf(table), (QStringList{"img2.txt > img2.txt in secondary",
                                             "img10.txt > img10.txt in secondary"}));
        QCOMPARE(buttons(), "clearButton, removeButton off, emptyState hidden");
        select(model, 0);
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 0);
        setFirstStep(model, RenameRule{tavix::AddText{"new-", tavix::Position::prefix}});
        QCOMPARE(rowsOf(table), (QStringList{"img2.txt > new-img2.txt in text",
                                             "img10.txt > new-img10.txt in text"}));
        QVERIFY(countPixels(cellImage(table, 0, PlanTableModel::changeTo), isYellow) > 20);
        part<QAction>(view_.get(), "highlightChanges")->trigger();
        QCOMPARE(countPixels(cellImage(table, 0, PlanTableModel::changeTo), isYellow), 0);

        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(1, 0)).center());
        QCOMPARE(model.selectedFile(), std::optional(b));
        part<QToolButton>(view_.get(), "removeButton")->click();
        QCOMPARE(rowsOf(table), QStringList{"img2.txt > new-img2.txt in text"});
        QCOMPARE(buttons(), "clearButton, removeButton off, emptyState hidden");

        // The inspector shows while its toggle is on, back on General each time.
        auto* inspector = view_->findChild<tavix::ui::Inspector*>();
        QVERIFY(inspector->isVisible());
        inspector->setTab(tavix::ui::Inspector::Tab::image);
        auto* toggle = part<QAction>(view_.get(), "showInspector");
        toggle->trigger();
        QVERIFY(!model.showInspector() && !inspector->isVisible());
        toggle->trigger();
        QCOMPARE(inspector->tab(), tavix::ui::Inspector::Tab::general);

        // A toggle with its own setter: it sets the model, and follows it back.
        auto* taken = part<QAction>(view_.get(), "datesTaken");
        taken->trigger();
        QCOMPARE(model.dateSource(), tavix::RenameEngine::DateSource::taken);
        model.setDateSource(tavix::RenameEngine::DateSource::modified);
        QVERIFY(!taken->isChecked());

        part<QToolButton>(view_.get(), "clearButton")->click();
        QCOMPARE(buttons(), "clearButton off, removeButton off, emptyState");
        model.setMessage("Renamed 3 files.");
        QCOMPARE(part<ElidedLabel>(view_.get(), "statusMessage")->text(), "Renamed 3 files.");
    }

    void droppingFilesAddsThemInOrderSkippingFolders() {
        TemporaryFolder box;
        const fs::path c = box.write("c.txt");
        const fs::path folder = box.folder("folder");
        const fs::path a = box.write("a.txt");
        const fs::path b = box.write("b.txt");

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
        QVERIFY(view_->model().files().empty());
        QTRY_COMPARE(view_->model().files(), (std::vector<tavix::Location>{c, a, b}));
    }

    // Hovering over a shortened new name shows it whole, its change marked and
    // its text escaped. "Show in File Manager" in the row menu sends the file
    // under the pointer; the call names files by URI, encoded as the interface
    // wants them.
    void aRowShowsItsNameWholeAndItsFileInTheFileManager() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        const std::string side(90, 'a');
        const fs::path name = box.write("<R&D>" + side + "MID" + side + ".txt");
        model.add({box.write("a.txt"), name});
        setFirstStep(model, RenameRule{tavix::FindReplace{"MID", "NEW", false, true, {}}});
        QTableView* table = view_->table();
        const QPoint at =
            table->visualRect(table->model()->index(1, PlanTableModel::changeTo)).center();
        QHelpEvent hover(QEvent::ToolTip, at, table->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table->viewport(), &hover);
        QTRY_VERIFY(QToolTip::isVisible());
        const QString tip = QToolTip::text();
        QVERIFY2(tip.contains("&lt;R&amp;D&gt;" + QString::fromStdString(side) + "<b><u>"),
                 qPrintable(tip));
        QVERIFY2(tip.contains(QStringLiteral(">NEW</span></u></b>") + QString::fromStdString(side)),
                 qPrintable(tip));
        QToolTip::hideText();

        QList<QUrl> shown;
        view_->setFileShower([&](const QList<QUrl>& files) { shown = files; });
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table->viewport(), &click);
        auto* menu = part<QMenu>(table, "rowMenu");
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 1);
        part<QAction>(menu, "showInFileManager")->trigger();
        menu->close();
        QCOMPARE(shown, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(name.string()))});

        const QDBusMessage call =
            showItemsMessage({QUrl::fromLocalFile(QStringLiteral("/tmp/a b/\u00E9t\u00E9.jpg"))});
        QCOMPARE(call.arguments().at(0).toStringList(),
                 QStringList{"file:///tmp/a%20b/%C3%A9t%C3%A9.jpg"});
    }

    // A name two files would share shows its problem in orange. The files are told of
    // before the plan: a view asking then still sees the old row count, and
    // rows the new plan lacks answer nothing.
    void theTableMarksProblemsAndIsNeverReadAhead() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        model.add({box.write("one/photo.jpg"), box.write("two/photo.jpg")});
        QCOMPARE(rowsOf(view_->table()),
                 QStringList(2, "photo.jpg > Two files would share this name in orange"));
        const QColor orange = color(Tone::orange, QGuiApplication::palette());
        QVERIFY(countPixels(cellImage(view_->table(), 0, PlanTableModel::changeTo),
                            [&](const QColor& c) { return c == orange; }) > 0);
        const QModelIndex clash = view_->tableModel()->index(1, PlanTableModel::changeTo);
        QVERIFY(!clash.data(PlanTableModel::MarkedSegmentsRole).isValid());

        int seenRows = -1;
        QVariant lastRow{QStringLiteral("unset")};
        const auto subscription = model.observe([&](TavixModel::Field field) {
            if (field != TavixModel::Field::files) return;
            seenRows = view_->tableModel()->rowCount();
            lastRow = view_->tableModel()->index(1, PlanTableModel::currentName).data();
        });
        model.remove({1});
        QCOMPARE(seenRows, 2);
        QVERIFY(!lastRow.isValid());
        QCOMPARE(rowsOf(view_->table()), QStringList{"photo.jpg > photo.jpg in secondary"});
    }

    // The General tab reads the selected file afresh each time it is shown. The
    // tab and the selection are independent: a click on a tab keeps the row,
    // another row keeps the tab, and a rebuilt plan (new row ids) selects
    // nothing. A path too long for the panel loses its middle when drawn, and
    // shows whole once a click gives it the focus to select and copy.
    void theInspectorsTabsShowTheSelectedFile() {
        TemporaryFolder temp;
        const std::string deep =
            "Projects/Customers/Northwind Traders/Annual Reports/2024/Final Drafts/One";
        const fs::path file = temp.write(deep + "/a.txt", "milk\n");
        TavixModel& model = view_->model();
        model.add({file, temp.write("Two/b.txt", "b")});
        Inspector inspector(model);
        inspector.setPalette(darkPalette());  // its own styles follow
        inspector.resize(320, inspector.height());
        inspector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&inspector));
        const auto tab = [&](const char* title) {
            QTest::mouseClick(
                part<QToolButton>(&inspector, qPrintable(QStringLiteral("inspector") + title)),
                Qt::LeftButton);
        };
        QVERIFY(part<QLabel>(&inspector, "inspectorEmpty")->isVisible());
        select(model, 0);
        QCOMPARE(valueOf(inspector, "Size")->text(), QStringLiteral("5 bytes"));
        QLineEdit* path = valueOf(inspector, "Path");
        QVERIFY(path->property("shownText").toString().contains(QChar(0x2026)));
        QTest::mouseClick(path, Qt::LeftButton, {}, QPoint(4, path->height() / 2));
        QCOMPARE(path->property("shownText").toString(),
                 QString::fromStdString(file.parent_path().string()));
        std::ofstream(file, std::ios::app) << "12";
        tab("Image");
        tab("General");
        QCOMPARE(valueOf(inspector, "Size")->text(), QStringLiteral("7 bytes"));

        select(model, 1);
        const auto selected = model.previewSelection();
        tab("Tokens");
        QCOMPARE(model.previewSelection(), selected);
        QCOMPARE(states(inspector, {"inspectorGeneral", "inspectorTokens"}),
                 "inspectorGeneral, inspectorTokens checked");
        QCOMPARE(valueOf(inspector, "<ParentFolder>")->text(), QStringLiteral("Two"));
        select(model, 0);
        QCOMPARE(valueOf(inspector, "<ParentFolder>")->text(), QStringLiteral("One"));
        model.add({temp.write("Three/c.txt", "c")});
        QVERIFY(valueOf(inspector, "<ParentFolder>") == nullptr);
    }

    // A stepper is a stop of its own after its field; a choice of buttons is
    // one stop.
    void tabGoesFromControlToControlInTheOrderShown() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        model.add({box.write("a.txt"), box.write("b.txt")});
        setFirstStep(model, RenameRule{tavix::Sequence{}});
        QCoreApplication::processEvents();  // the new form's order of stops is set in the loop
        model.setPreviewSelection(model.plan().items[0].id);
        view_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view_.get()));

        const QStringList steps{"categoryMenu",   "actionMenu",       "startField",
                                "startStepper",   "stepField",        "paddingField",
                                "paddingStepper", "separatorField",   "positionGroupOption",
                                "addStepButton",  "removeStepButton", "stepsList",
                                "keepExtension"};
        // The table is one stop: Tab leaves it at once, its selection untouched.
        const QStringList preview{"fileTable",        "settingsButton", "addButton",
                                  "removeButton",     "clearButton",    "sortButton",
                                  "inspectorGeneral", "performButton"};
        part<QWidget>(view_.get(), "categoryMenu")->setFocus(Qt::OtherFocusReason);
        QStringList walked;
        for (int i = 0; i <= 21 && QApplication::focusWidget() != nullptr; ++i) {
            walked << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(walked, steps + preview + steps.mid(0, 1));
        QCOMPARE(model.previewSelection(), std::optional(model.plan().items[0].id));
    }

private:
    std::unique_ptr<TavixModel> model_;
    std::unique_ptr<ContentView> view_;
    std::unique_ptr<QAbstractItemModelTester> tester_;  // checks the table on every change
};

QTEST_MAIN(ContentViewTest)
#include "ContentViewTest.moc"
