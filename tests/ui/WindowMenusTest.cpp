// The application's one window: the size it opens at, the files it is handed
// on the command line, and its menus and their keys, driven as a user does:
// keys pressed in the window, items chosen from the menus, and where the focus
// goes afterwards. Its presets are those of the store the terminal program
// reads and writes.
#include <QAction>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

#include <algorithm>
#include <memory>
#include <optional>

#include "model/Presets.hpp"
#include "support/UiTest.hpp"
#include "ui/CommandLineFiles.hpp"
#include "ui/ContentView.hpp"
#include "ui/MainWindow.hpp"
#include "update/Version.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;

namespace {

// Types `name` into the name dialog and presses Return, as a user would.
void typeName(const QString& name) {
    whenShown<QInputDialog>([name](QInputDialog* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
    });
}

std::vector<RenameRule> stored(const std::string& name) {
    std::vector<RenameRule> rules;
    if (Presets::load(name, rules)) return {};
    return rules;
}

}  // namespace

class WindowMenusTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { tavix::test::useTestSettingsAndStyle(); }

    void init() {
        config_ = std::make_unique<TemporaryFolder>();
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config_->path().string()));
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

    void cleanup() {
        window_.reset();
        config_.reset();
    }

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

    // The default size on a large screen, the screen's height on a short one,
    // never below the minimum.
    void opensComfortablyWithinTheScreen() {
        const QSize minimum(820, 545);
        QCOMPARE(openingSize(QSize(2560, 1400), minimum), QSize(1100, 700));
        QCOMPARE(openingSize(QSize(1280, 620), minimum), QSize(1100, 620));
        QCOMPARE(openingSize(QSize(800, 500), minimum), minimum);
    }

    void filesOnTheCommandLineAreListedInOrderAfterLaunch() {
        TemporaryFolder box;
        const std::filesystem::path b = box.write("b_1.jpg");
        const std::filesystem::path a = box.write("a_2.jpg");
        box.folder("folder");
        // As the shell hands them over, after options the window knows.
        const char* argv[] = {"tavix", "--dark",   "b_1.jpg", "--scene", "empty", "./a_2.jpg",
                              "folder", "missing", "--",      "--b.jpg", b.c_str()};
        const std::vector<std::string> given =
            operands(static_cast<int>(std::size(argv)), argv, {"--screenshot", "--scene"});
        QCOMPARE(given, (std::vector<std::string>{"b_1.jpg", "./a_2.jpg", "folder", "missing",
                                                  "--b.jpg", b.string()}));

        MainWindow window;
        // The update checks start on this signal: once, after the loop runs.
        QSignalSpy launched(&window, &MainWindow::launchFinished);
        QCOMPARE(launched.count(), 0);
        QTRY_COMPARE(launched.count(), 1);
        window.content()->takeFiles(commandLineFiles(given, box.path()));
        // The folder, the missing path and the repeated file are skipped, as a drop skips them.
        QCOMPARE(window.model().files(), (std::vector<Location>{b, a}));
    }
    // Saved by the other program after the window opened, chosen with the mouse.
    void aPresetSavedElsewhereIsOfferedAndReplacesTheStack() {
        auto* menu = part<QMenu>(window_.get(), "loadPresetMenu");
        menu->popup(window_->mapToGlobal(QPoint(10, 10)));
        QVERIFY(menu->findChild<QAction*>(QStringLiteral("noPresets")));
        menu->close();

        const std::vector<RenameRule> steps{RenameRule{tavix::CollapseSpaces{}},
                                            RenameRule{tavix::ChangeCase{{}}}};
        QVERIFY(!Presets::save("Tidy & Lower", steps, false));
        model().addStep();

        menu->popup(window_->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        auto* item = part<QAction>(menu, "preset:Tidy & Lower");
        QCOMPARE(item->text(), QStringLiteral("Tidy && Lower"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QCOMPARE(model().rules().size(), 2u);
        QCOMPARE(model().rules()[0].rule, steps[0]);
        QCOMPARE(model().rules()[1].rule, steps[1]);
        QCOMPARE(model().selection(), model().rules().front().id);
    }

    // Saved here, read by the store as the terminal's "presets list" reads it;
    // a name in use is replaced only once the user agrees.
    void savingAsksBeforeReplacing() {
        const auto first = RenameRule{tavix::CollapseSpaces{}};
        model().setRules({TavixModel::IdentifiedRule::make(first)});
        typeName(QStringLiteral("Holiday"));
        item("savePreset")->trigger();
        std::vector<std::string> names;
        QVERIFY(!Presets::list(names));
        QCOMPARE(names, std::vector<std::string>{"Holiday"});
        QCOMPARE(stored("Holiday"), std::vector<RenameRule>{first});

        const auto second = RenameRule{tavix::ChangeCase{{}}};
        model().setRules({TavixModel::IdentifiedRule::make(second)});
        for (const bool agree : {false, true}) {
            typeName(QStringLiteral("Holiday"));
            whenShown<QMessageBox>([agree](QMessageBox* box) {
                QCOMPARE(box->objectName(), QStringLiteral("replacePresetBox"));
                if (agree) {
                    for (QAbstractButton* button : box->buttons()) {
                        if (button->text() == QStringLiteral("Replace")) button->click();
                    }
                } else {
                    QTest::keyClick(box, Qt::Key_Escape);
                }
            });
            item("savePreset")->trigger();
            QCOMPARE(stored("Holiday"), std::vector<RenameRule>{agree ? second : first});
        }
    }

    // The store's rules, told in the store's words; nothing is written.
    void aRefusedNameSaysWhy() {
        QString said;
        typeName(QStringLiteral("Trips/2024"));
        whenShown<QMessageBox>([&said](QMessageBox* box) {
            said = box->informativeText();
            box->accept();
        });
        item("savePreset")->trigger();
        QVERIFY2(said.contains(QStringLiteral("can't name a preset")), qPrintable(said));
        std::vector<std::string> names;
        QVERIFY(!Presets::list(names));
        QVERIFY(names.empty());
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
    std::unique_ptr<TemporaryFolder> config_;  // the presets' store
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(WindowMenusTest)
#include "WindowMenusTest.moc"
