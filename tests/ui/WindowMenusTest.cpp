// The window's menus and their keys, driven as a user does: keys pressed in the
// window, items chosen from the menus, and where the focus goes afterwards.
#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <memory>
#include <optional>

#include "support/TemporaryFolder.hpp"
#include "support/UiTest.hpp"
#include "ui/MainWindow.hpp"
#include "update/Version.hpp"

using tavix::Position;
using tavix::RenameRule;
using tavix::TavixModel;
using tavix::test::part;
using tavix::test::TemporaryFolder;
using tavix::ui::MainWindow;

class WindowMenusTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { tavix::test::useTestSettingsAndStyle(); }

    void init() {
        // The open dialog answers at once with what the test chose, and says what
        // it was asked.
        picked_.clear();
        askedFor_.reset();
        window_ = std::make_unique<MainWindow>([this](QWidget&, const QString&, bool multiple) {
            askedFor_ = multiple;
            return picked_;
        });
        QVERIFY(tavix::test::showActive(*window_));
    }

    void cleanup() { window_.reset(); }

    void ctrlOAddsFilesAndTheTableTakesTheFocus() {
        TemporaryFolder box;
        const auto file = box.write("a.txt");
        picked_ = {QString::fromStdString(file.string())};
        steps()->setFocus();
        press(Qt::CTRL | Qt::Key_O);
        QCOMPARE(askedFor_, std::optional<bool>(true));
        QCOMPARE(model().files(), std::vector<tavix::Location>{file});
        // The table takes the focus once the files have joined the list.
        QTRY_COMPARE(window_->focusWidget(), table());
        // No command opens a second window.
        press(Qt::CTRL | Qt::Key_N);
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* w) { return qobject_cast<MainWindow*>(w) != nullptr; }),
                 1);
    }

    // Delete acts on what holds the focus: a character in a field, the selected
    // file in the table, the selected step in the list.
    void deleteRemovesWhatTheFocusHolds() {
        TemporaryFolder box;
        model().add({box.write("a.txt"), box.write("b.txt")});
        model().addStep();
        const auto kept = model().rules().front().id;

        auto* find = part<QLineEdit>(window_.get(), "findField");
        find->setFocus();
        QTest::keyClicks(find, QStringLiteral("xy"));
        QTest::keyClick(find, Qt::Key_Home);
        press(Qt::Key_Delete);
        QCOMPARE(find->text(), QStringLiteral("y"));
        QCOMPARE(model().rules().size(), 2u);

        table()->setFocus();
        table()->selectRow(1);
        press(Qt::Key_Delete);
        QCOMPARE(model().files(), std::vector<tavix::Location>{box.path() / "a.txt"});
        QVERIFY(table()->hasFocus());

        steps()->setFocus();
        press(Qt::Key_Delete);
        QCOMPARE(model().rules().size(), 1u);
        QCOMPARE(model().rules().front().id, kept);
        QVERIFY(steps()->hasFocus());
    }

    void altArrowsMoveTheSelectedStep() {
        model().setRules({TavixModel::IdentifiedRule::make(RenameRule{tavix::CollapseSpaces{}}),
                          TavixModel::IdentifiedRule::make(RenameRule{tavix::ChangeCase{{}}})});
        const auto first = model().rules()[0].id;
        model().setSelection(first);
        QVERIFY(!item("moveStepUp")->isEnabled());
        press(Qt::ALT | Qt::Key_Down);
        QCOMPARE(model().rules()[1].id, first);
        QVERIFY(steps()->hasFocus());
        QVERIFY(!item("moveStepDown")->isEnabled());
        press(Qt::ALT | Qt::Key_Up);
        QCOMPARE(model().rules()[0].id, first);
        press(Qt::CTRL | Qt::SHIFT | Qt::Key_A);
        QCOMPARE(model().rules().size(), 3u);
        QCOMPARE(model().selection(), model().rules().back().id);
    }

    // Ctrl+Return and the button rename only when a name changes. Undo Renames
    // is there exactly while the status bar offers "Undo", puts the batch back
    // and leaves the focus in the table.
    void performAndUndoRenamesFollowTheStatusBar() {
        TemporaryFolder box;
        model().add({box.write("a.txt")});
        auto* perform = part<QPushButton>(window_.get(), "performButton");
        QVERIFY(!perform->isEnabled());
        press(Qt::CTRL | Qt::Key_Return);
        QVERIFY(!model().message());
        tavix::test::setFirstStep(model(), RenameRule{tavix::AddText{"new-", Position::prefix}});
        auto* button = part<QPushButton>(window_.get(), "undoButton");
        QVERIFY(!item("undoRenames")->isEnabled());
        press(Qt::CTRL | Qt::Key_Return);
        QVERIFY(std::filesystem::exists(box.path() / "new-a.txt"));
        QVERIFY(button->isVisible());
        QVERIFY(item("undoRenames")->isEnabled());
        part<QLineEdit>(window_.get(), "textField")->setFocus();
        item("undoRenames")->trigger();
        QVERIFY(std::filesystem::exists(box.path() / "a.txt"));
        QVERIFY(!button->isVisible());
        QVERIFY(!item("undoRenames")->isEnabled());
        QVERIFY(table()->hasFocus());

        // The status bar's button goes away when clicked; the focus goes to the table.
        perform->click();
        QVERIFY(std::filesystem::exists(box.path() / "new-a.txt"));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(std::filesystem::exists(box.path() / "a.txt"));
        QVERIFY(table()->hasFocus());
    }

    // Chosen from the menu, the edit items work on the field that has the focus,
    // and what they change reaches the step.
    void editItemsActOnTheFocusedField() {
        tavix::test::setFirstStep(model(), RenameRule{tavix::FindReplace{"old", "", false, false, {}}});
        auto* find = part<QLineEdit>(window_.get(), "findField");
        auto* replace = part<QLineEdit>(window_.get(), "replaceField");
        find->setFocus();
        find->deselect();
        QVERIFY(!item("copy")->isEnabled());
        item("selectAll")->trigger();
        QVERIFY(item("copy")->isEnabled());
        item("copy")->trigger();
        replace->setFocus();
        item("paste")->trigger();
        item("paste")->trigger();
        QCOMPARE(std::get<tavix::FindReplace>(model().rules().front().rule.kind).replace,
                 "oldold");
        item("undo")->trigger();
        QCOMPARE(replace->text(), QStringLiteral("old"));
        QCOMPARE(std::get<tavix::FindReplace>(model().rules().front().rule.kind).replace, "old");
        find->setFocus();
        item("selectAll")->trigger();
        item("cut")->trigger();
        QCOMPARE(std::get<tavix::FindReplace>(model().rules().front().rule.kind).find, "");
    }

    void aboutNamesTheVersionAndTheLicence() {
        QString shown;
        tavix::test::whenShown<QMessageBox>([&](QMessageBox* box) {
            shown = box->text() + box->informativeText();
            box->accept();
        });
        item("about")->trigger();
        QVERIFY(shown.contains(QString::fromUtf8(tavix::version())));
        QVERIFY(shown.contains(QStringLiteral("MIT License")));
    }

private:
    void press(QKeyCombination key) {
        QTest::keyClick(window_->windowHandle(), key.key(), key.keyboardModifiers());
    }

    TavixModel& model() { return window_->model(); }
    QTableView* table() { return window_->content()->table(); }
    QListView* steps() { return part<QListView>(window_.get(), "stepsList"); }
    QAction* item(const char* name) { return part<QAction>(window_.get(), name); }

    QStringList picked_;
    std::optional<bool> askedFor_;  // whether several files were asked for, once asked
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(WindowMenusTest)
#include "WindowMenusTest.moc"
