// The application's one window driven as a user does: keys pressed in it, items
// chosen from its menus, numbers typed into the step form, long work shown as it
// runs, the files named on its command line, and its presets, those of the
// store the terminal program reads and writes.
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

#include <algorithm>
#include <memory>
#include <optional>

#include "model/Presets.hpp"
#include "support/Files.hpp"
#include "support/UiTest.hpp"
#include "ui/CommandLineFiles.hpp"
#include "ui/ContentView.hpp"
#include "ui/MainWindow.hpp"
#include "ui/Stepper.hpp"
#include "ui/WorkProgress.hpp"
#include "update/Version.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;
using Names = std::vector<std::string>;

namespace {

// Types `name` into the name dialog and presses Return, as a user would.
void typeName(const QString& name) {
    whenShown<QInputDialog>([name](QInputDialog* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
    });
}

// The store's preset names, and the steps of one.
Names presetNames() {
    Names names;
    return Presets::list(names) ? Names{"unreadable"} : names;
}
std::vector<RenameRule> stored(const std::string& name) {
    std::vector<RenameRule> rules;
    return Presets::load(name, rules) ? std::vector<RenameRule>{} : rules;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        useTestSettingsAndStyle();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

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
        QVERIFY(showActive(*window_));
    }

    void cleanup() {
        window_.reset();
        config_.reset();
    }

    // Ctrl+O adds files and hands the focus to the table; Delete removes what
    // holds the focus: a character in a field, the selected file, the selected
    // step; Alt+arrows move the selected step and Ctrl+Shift+A adds one.
    void keysActOnWhatHoldsTheFocus() {
        TemporaryFolder box;
        const Location a = box.write("a.txt");
        const Location b = box.write("b.txt");
        picked_ = {QString::fromStdString(a.string()), QString::fromStdString(b.string())};
        steps()->setFocus();
        press(Qt::CTRL | Qt::Key_O);
        QCOMPARE(askedFor_, std::optional<bool>(true));
        QCOMPARE(model().files(), (std::vector<Location>{a, b}));
        QTRY_COMPARE(window_->focusWidget(), table());
        press(Qt::CTRL | Qt::Key_N);  // no command opens a second window
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* w) { return qobject_cast<MainWindow*>(w) != nullptr; }),
                 1);

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
        QCOMPARE(model().files(), std::vector<Location>{a});
        QVERIFY(table()->hasFocus());
        steps()->setFocus();
        press(Qt::Key_Delete);
        QCOMPARE(model().rules().size(), 1u);
        QCOMPARE(model().rules().front().id, kept);
        QVERIFY(steps()->hasFocus());

        press(Qt::CTRL | Qt::SHIFT | Qt::Key_A);
        QCOMPARE(model().rules().size(), 2u);
        QCOMPARE(model().selection(), model().rules().back().id);
        model().setSelection(kept);
        QCOMPARE(states(*window_, {"moveStepUp", "moveStepDown"}),
                 QStringLiteral("moveStepUp off, moveStepDown"));
        press(Qt::ALT | Qt::Key_Down);
        QCOMPARE(model().rules()[1].id, kept);
        QCOMPARE(states(*window_, {"moveStepUp", "moveStepDown", "stepsList"}),
                 QStringLiteral("moveStepUp, moveStepDown off, stepsList focus"));
        press(Qt::ALT | Qt::Key_Up);
        QCOMPARE(model().rules()[0].id, kept);
    }

    // Ctrl+Return and the button rename only when a name changes. Undo Renames
    // is there exactly while the status bar offers "Undo", puts the batch back
    // and leaves the focus in the table, as the status bar's button does.
    void performAndUndoRenamesFollowTheStatusBar() {
        TemporaryFolder box;
        model().add({box.write("a.txt")});
        const auto shown = [this] {
            return states(*window_, {"performButton", "undoButton", "undoRenames"});
        };
        QCOMPARE(shown(), QStringLiteral("performButton off, undoButton hidden, undoRenames off"));
        press(Qt::CTRL | Qt::Key_Return);
        QVERIFY(!model().message());
        setFirstStep(model(), RenameRule{AddText{"new-", Position::prefix}});
        press(Qt::CTRL | Qt::Key_Return);
        QCOMPARE(namesIn(box.path()), Names{"new-a.txt"});
        QCOMPARE(shown(), QStringLiteral("performButton, undoButton, undoRenames"));
        const auto undo = [&](auto how) {
            part<QLineEdit>(window_.get(), "textField")->setFocus();
            how();
            QCOMPARE(namesIn(box.path()), Names{"a.txt"});
            QCOMPARE(shown(), QStringLiteral("performButton, undoButton hidden, undoRenames off"));
            QVERIFY(table()->hasFocus());
        };
        undo([this] { item("undoRenames")->trigger(); });
        part<QPushButton>(window_.get(), "performButton")->click();
        QCOMPARE(namesIn(box.path()), Names{"new-a.txt"});
        undo([this] {
            QTest::mouseClick(part<QPushButton>(window_.get(), "undoButton"), Qt::LeftButton);
        });
    }

    // Chosen from the menu, the edit items work on the field that has the focus,
    // and what they change reaches the step.
    void editItemsActOnTheFocusedField() {
        setFirstStep(model(), RenameRule{FindReplace{"old", "", false, false, {}}});
        const auto step = [this] {
            return std::get<FindReplace>(model().rules().front().rule.kind);
        };
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
        QCOMPARE(step().replace, "oldold");
        item("undo")->trigger();
        QCOMPARE(replace->text(), QStringLiteral("old"));
        QCOMPARE(step().replace, "old");
        find->setFocus();
        item("selectAll")->trigger();
        item("cut")->trigger();
        QCOMPARE(step().find, "");
    }

    // Typed over, never committed with Return: Ctrl+Return renames with what
    // the field shows. A text that isn't a number yet keeps the last one.
    void ctrlReturnRenamesWithWhatIsTyped_data() {
        QTest::addColumn<RenameRule>("rule");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Names>("renamed");
        const RenameRule sequence{Sequence{1, 1, 2, Position::suffix, "-"}};
        const auto row = [](const char* name, const RenameRule& rule, const char* field,
                            const char* typed, const char* first, const char* second) {
            QTest::newRow(name) << rule << QString::fromUtf8(field) << QString::fromUtf8(typed)
                                << Names{first, second};
        };
        row("start with", sequence, "Start with:", "50", "IMG_0041-50.jpg", "IMG_0042-51.jpg");
        row("a lone minus keeps the start", sequence, "Start with:", "-", "IMG_0041-01.jpg",
            "IMG_0042-02.jpg");
        row("step value", sequence, "stepField", "5", "IMG_0041-01.jpg", "IMG_0042-06.jpg");
        row("padding", sequence, "Padding:", "3", "IMG_0041-001.jpg", "IMG_0042-002.jpg");
        row("characters", RenameRule{Crop{CropMode::removeFirst, 1}}, "Characters:", "4",
            "0041.jpg", "0042.jpg");
        row("at position", RenameRule{InsertAt{"x", 0}}, "At position:", "3", "IMGx_0041.jpg",
            "IMGx_0042.jpg");
        row("maximum", RenameRule{Truncate{20, Position::prefix}}, "Maximum:", "2", "41.jpg",
            "42.jpg");
        row("roman start", RenameRule{RomanNumeral{1, Position::suffix, "-"}}, "Start with:", "14",
            "IMG_0041-XIV.jpg", "IMG_0042-XV.jpg");
    }
    void ctrlReturnRenamesWithWhatIsTyped() {
        QFETCH(RenameRule, rule);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(Names, renamed);
        TemporaryFolder box;
        model().add({box.write("IMG_0041.jpg"), box.write("IMG_0042.jpg")});
        setFirstStep(model(), rule);
        QLineEdit* edit = numberField(field);
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, typed);
        press(Qt::CTRL | Qt::Key_Return);
        QCOMPARE(namesIn(box.path()), renamed);
        QCOMPARE(edit->text(), typed);
    }

    // Up and Down step a field; Tab goes on to its stepper, whose keys step too;
    // neither goes below the floor.
    void arrowKeysStepTheFieldAndItsStepper() {
        setFirstStep(model(), RenameRule{Sequence{1, 1, 2, Position::suffix, "-"}});
        const auto padding = [this] {
            return std::get<Sequence>(model().rules().front().rule.kind).padding;
        };
        QLineEdit* edit = numberField(QStringLiteral("Padding:"));
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(edit, Qt::Key_Up);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(padding(), 4);
        QCOMPARE(edit->text(), QStringLiteral("4"));
        press(Qt::Key_Tab);
        auto* stepper = part<Stepper>(window_.get(), "paddingStepper");
        QVERIFY(stepper->hasFocus());
        for (int i = 0; i < 5; ++i) QTest::keyClick(stepper, Qt::Key_Down);
        QCOMPARE(padding(), 1);
        QCOMPARE(edit->text(), QStringLiteral("1"));
    }

    // Work shorter than the delay shows nothing; longer work, or work on many
    // files from its start, shows the bar, drawn with its counts as they grow,
    // and the busy pointer, until it ends.
    void aSortShowsItsProgressWhileItRuns() {
        TemporaryFolder box;
        std::vector<Location> files;
        for (int i = 0; i < 300; ++i) files.push_back(box.write("f" + std::to_string(i)));
        model().add(files);
        auto* bar = part<QProgressBar>(window_.get(), "progressBar");
        int seen = 0;
        int lastValue = -1;
        bool busy = true;
        connect(window_->progress(), &WorkProgress::progressed, this,
                [&](std::size_t done, std::size_t total) {
                    ++seen;
                    QCOMPARE(states(*window_, {"progressBar", "performButton"}),
                             QStringLiteral("progressBar, performButton hidden off"));
                    QCOMPARE(bar->maximum(), static_cast<int>(total));
                    QVERIFY(bar->value() > lastValue);
                    lastValue = bar->value();
                    QCOMPARE(part<QLabel>(window_.get(), "progressText")->text(),
                             QStringLiteral("%1 of 300 files").arg(done));
                    const QCursor* cursor = QApplication::overrideCursor();
                    busy = busy && cursor != nullptr && cursor->shape() == Qt::WaitCursor;
                });
        const auto sort = [&](std::chrono::milliseconds delay, std::size_t many) {
            seen = 0;
            lastValue = -1;
            window_->progress()->setDelay(delay);
            window_->progress()->setManyFiles(many);
            item("sortBySize")->trigger();
            QCOMPARE(states(*window_, {"progressBar", "performButton"}),
                     QStringLiteral("progressBar hidden, performButton off"));
            QCOMPARE(QApplication::overrideCursor(), nullptr);
        };
        sort(std::chrono::minutes(10), 10'000);
        QCOMPARE(seen, 0);
        sort(std::chrono::milliseconds(0), 10'000);
        QVERIFY(seen > 10 && busy);
        sort(std::chrono::minutes(10), 300);
        QVERIFY(seen > 10 && lastValue > 250);
    }

    // As the shell hands them over, after options the window knows; a folder, a
    // missing path and a repeated file are skipped, as a drop skips them.
    void filesOnTheCommandLineAreListedInOrderAfterLaunch() {
        TemporaryFolder box;
        const Location b = box.write("b_1.jpg");
        const Location a = box.write("a_2.jpg");
        box.folder("folder");
        const char* argv[] = {"tavix",  "--dark",  "b_1.jpg", "--scene", "empty",  "./a_2.jpg",
                              "folder", "missing", "--",      "--b.jpg", b.c_str()};
        const Names given =
            operands(static_cast<int>(std::size(argv)), argv, {"--screenshot", "--scene"});
        QCOMPARE(given,
                 (Names{"b_1.jpg", "./a_2.jpg", "folder", "missing", "--b.jpg", b.string()}));

        MainWindow window;
        // The update checks start on this signal: once, after the loop runs.
        QSignalSpy launched(&window, &MainWindow::launchFinished);
        QCOMPARE(launched.count(), 0);
        QTRY_COMPARE(launched.count(), 1);
        window.content()->takeFiles(commandLineFiles(given, box.path()));
        QCOMPARE(window.model().files(), (std::vector<Location>{b, a}));
    }

    // The default size on a large screen, the screen's height on a short one,
    // never below the minimum; About names the version and the licence.
    void opensWithinTheScreenAndSaysWhatItIs() {
        const QSize minimum(820, 545);
        QCOMPARE(openingSize(QSize(2560, 1400), minimum), QSize(1100, 700));
        QCOMPARE(openingSize(QSize(1280, 620), minimum), QSize(1100, 620));
        QCOMPARE(openingSize(QSize(800, 500), minimum), minimum);
        QString shown;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            shown = box->text() + box->informativeText();
            box->accept();
        });
        item("about")->trigger();
        QVERIFY(shown.contains(QString::fromUtf8(version())));
        QVERIFY(shown.contains(QStringLiteral("MIT License")));
    }

    // With nothing saved the menu says so. A refused name says why in the
    // store's words and writes nothing; a name in use is replaced only once the
    // user agrees; a preset saved by the other program after the window opened
    // is offered, and chosen with the mouse it replaces the steps.
    void presetsAreSavedAndLoadedThroughTheStore() {
        auto* menu = part<QMenu>(window_.get(), "loadPresetMenu");
        menu->popup(window_->mapToGlobal(QPoint(10, 10)));
        QVERIFY(menu->findChild<QAction*>(QStringLiteral("noPresets")));
        menu->close();
        QString said;
        typeName(QStringLiteral("Trips/2024"));
        whenShown<QMessageBox>([&said](QMessageBox* box) {
            said = box->informativeText();
            box->accept();
        });
        item("savePreset")->trigger();
        QVERIFY2(said.contains(QStringLiteral("can't name a preset")), qPrintable(said));
        QCOMPARE(presetNames(), Names{});

        const RenameRule first{CollapseSpaces{}};
        const RenameRule second{ChangeCase{{}}};
        model().setRules({TavixModel::IdentifiedRule::make(first)});
        typeName(QStringLiteral("Holiday"));
        item("savePreset")->trigger();
        QCOMPARE(presetNames(), Names{"Holiday"});
        QCOMPARE(stored("Holiday"), std::vector<RenameRule>{first});
        model().setRules({TavixModel::IdentifiedRule::make(second)});
        for (const bool agree : {false, true}) {
            typeName(QStringLiteral("Holiday"));
            whenShown<QMessageBox>([agree](QMessageBox* box) {
                QCOMPARE(box->objectName(), QStringLiteral("replacePresetBox"));
                for (QAbstractButton* button : box->buttons()) {
                    if (agree && button->text() == QStringLiteral("Replace")) button->click();
                }
                if (!agree) QTest::keyClick(box, Qt::Key_Escape);
            });
            item("savePreset")->trigger();
            QCOMPARE(stored("Holiday"), std::vector<RenameRule>{agree ? second : first});
        }

        QVERIFY(!Presets::save("Tidy & Lower", {first, second}, false));
        model().addStep();
        menu->popup(window_->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        auto* tidy = part<QAction>(menu, "preset:Tidy & Lower");
        QCOMPARE(tidy->text(), QStringLiteral("Tidy && Lower"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(tidy).center());
        std::vector<RenameRule> rules;
        for (const auto& step : model().rules()) rules.push_back(step.rule);
        QCOMPARE(rules, (std::vector<RenameRule>{first, second}));
        QCOMPARE(model().selection(), model().rules().front().id);
    }

private:
    void press(QKeyCombination key) {
        QTest::keyClick(window_->windowHandle(), key.key(), key.keyboardModifiers());
    }

    // The number field a label names, or the one with this object name.
    QLineEdit* numberField(const QString& label) {
        QCoreApplication::processEvents();  // a new form's labels show once the loop runs
        if (auto* named = window_->findChild<QLineEdit*>(label)) return named;
        auto* field = labelled<QLineEdit>(*window_, "formLabel", label);
        if (field == nullptr) qFatal("no field labelled %s", qPrintable(label));
        return field;
    }

    TavixModel& model() { return window_->model(); }
    QTableView* table() { return window_->content()->table(); }
    QListView* steps() { return part<QListView>(window_.get(), "stepsList"); }
    QAction* item(const char* name) { return part<QAction>(window_.get(), name); }

    QStringList picked_;
    std::optional<bool> askedFor_;             // whether several files were asked for, once asked
    std::unique_ptr<TemporaryFolder> config_;  // the presets' store
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
