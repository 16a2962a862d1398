// The application's one window driven as a user does: keys pressed in it, items
// chosen from its menus, numbers typed into the step form, long work shown as it
// runs, the files named on its command line, its presets, those of the store
// the terminal program reads and writes, and File ▸ History…: the batches of the
// window and of the terminal, each undone from the dialog by keyboard or mouse,
// the window's list following its files back, and what couldn't be put back
// listed with why.
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "model/Presets.hpp"
#include "support/Files.hpp"
#include "support/UiTest.hpp"
#include "ui/CommandLineFiles.hpp"
#include "ui/ContentView.hpp"
#include "ui/HistoryDialog.hpp"
#include "ui/MainWindow.hpp"
#include "ui/WorkProgress.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;
namespace fs = std::filesystem;
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

// The steps of the store's preset of this name.
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
        home_ = std::make_unique<TemporaryFolder>();
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home_->path().string()));
        // The open dialog answers at once with what the test chose, and says what
        // it was asked.
        picked_.clear();
        askedFor_.reset();
        window_ = std::make_unique<MainWindow>([this](QWidget&, const QString&, bool multiple) {
            askedFor_ = multiple;
            return picked_;
        });
        // The terminal keeps its journals in $XDG_STATE_HOME/tavix.
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString((home_->path() / "xdg").string()));
        model().setStateFolder(home_->path() / "xdg" / "tavix");
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() {
        window_.reset();
        home_.reset();
    }

    // Ctrl+O adds files and hands the focus to the table; Delete removes what
    // holds the focus: a character in a field, the selected file, the selected
    // step; the edit items work on the focused field; Alt+arrows move the
    // selected step and Ctrl+Shift+A adds one.
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

        model().addStep();
        const auto kept = model().rules().front().id;
        auto* find = part<QLineEdit>(window_.get(), "findField");
        find->setFocus();
        QTest::keyClicks(find, QStringLiteral("xy"));
        QTest::keyClick(find, Qt::Key_Home);
        press(Qt::Key_Delete);
        QCOMPARE(find->text(), QStringLiteral("y"));
        QCOMPARE(find->cursorPosition(), 0);  // the edit handed back leaves the field alone
        // Chosen from the menu, the edit items work on the focused field, and
        // what they change reaches the step.
        const auto step = [this] {
            return std::get<FindReplace>(model().rules().back().rule.kind);
        };
        auto* replace = part<QLineEdit>(window_.get(), "replaceField");
        QVERIFY(!item("copy")->isEnabled());
        item("selectAll")->trigger();
        QVERIFY(item("copy")->isEnabled());
        item("copy")->trigger();
        replace->setFocus();
        item("paste")->trigger();
        item("paste")->trigger();
        QCOMPARE(step().replace, "yy");
        item("undo")->trigger();
        QCOMPARE(replace->text(), QStringLiteral("y"));
        QCOMPARE(step().replace, "y");
        find->setFocus();
        item("selectAll")->trigger();
        item("cut")->trigger();
        QCOMPARE(step().find, "");
        table()->setFocus();
        table()->selectRow(1);
        press(Qt::Key_Delete);
        QCOMPARE(model().files(), std::vector<Location>{a});
        steps()->setFocus();
        press(Qt::Key_Delete);
        QCOMPARE(ruleIds(), std::vector<Uuid>{kept});

        press(Qt::CTRL | Qt::SHIFT | Qt::Key_A);
        QCOMPARE(ruleIds(), (std::vector<Uuid>{kept, model().selection().value()}));
        model().setSelection(kept);
        press(Qt::ALT | Qt::Key_Down);
        QCOMPARE(ruleIds().back(), kept);
        QCOMPARE(states(*window_, {"moveStepUp", "moveStepDown", "stepsList"}),
                 QStringLiteral("moveStepUp, moveStepDown off, stepsList focus"));
        press(Qt::ALT | Qt::Key_Up);
        QCOMPARE(ruleIds().front(), kept);
    }

    // Ctrl+Return and the button rename only when a name changes, Ctrl+Return
    // with what a field shows though it was typed over and never committed.
    // Undo Renames is there exactly while the status bar offers "Undo", puts
    // the batch back and leaves the focus in the table, as the status bar's
    // button does.
    void performAndUndoRenamesFollowTheStatusBar() {
        TemporaryFolder box;
        model().add({box.write("a.txt")});
        const auto shown = [this] {
            return states(*window_, {"performButton", "undoButton", "undoRenames"});
        };
        QCOMPARE(shown(), QStringLiteral("performButton off, undoButton hidden, undoRenames off"));
        press(Qt::CTRL | Qt::Key_Return);
        QVERIFY(!model().message());
        setFirstStep(model(), RenameRule{Sequence{1, 1, 2, Position::suffix, "-"}});
        auto* start = part<QLineEdit>(window_.get(), "startField");
        start->setFocus(Qt::TabFocusReason);
        QTest::keyClick(start, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(start, QStringLiteral("50"));
        press(Qt::CTRL | Qt::Key_Return);
        QCOMPARE(namesIn(box.path()), Names{"a-50.txt"});
        QCOMPARE(shown(), QStringLiteral("performButton, undoButton, undoRenames"));
        const auto undo = [&](auto how) {
            start->setFocus();
            how();
            QCOMPARE(namesIn(box.path()), Names{"a.txt"});
            QCOMPARE(shown(), QStringLiteral("performButton, undoButton hidden, undoRenames off"));
            QVERIFY(table()->hasFocus());
        };
        undo([this] { item("undoRenames")->trigger(); });
        part<QPushButton>(window_.get(), "performButton")->click();
        QCOMPARE(namesIn(box.path()), Names{"a-50.txt"});
        undo([this] {
            QTest::mouseClick(part<QPushButton>(window_.get(), "undoButton"), Qt::LeftButton);
        });
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
        // Reverse sorts again in the order last chosen, and shows it the same way.
        const auto sort = [&](std::chrono::milliseconds delay, std::size_t many,
                              const char* how = "sortBySize") {
            seen = 0;
            lastValue = -1;
            window_->progress()->setDelay(delay);
            window_->progress()->setManyFiles(many);
            item(how)->trigger();
            QCOMPARE(states(*window_, {"progressBar", "performButton"}),
                     QStringLiteral("progressBar hidden, performButton off"));
            QCOMPARE(QApplication::overrideCursor(), nullptr);
        };
        sort(std::chrono::minutes(10), 10'000);
        QCOMPARE(seen, 0);
        sort(std::chrono::milliseconds(0), 10'000);
        QVERIFY(seen > 10 && busy);
        sort(std::chrono::minutes(10), 300, "sortReverse");
        QVERIFY(seen > 10 && lastValue > 250);
    }

    // As the shell hands them over, after options the window knows, each made
    // a path from the working folder with "." parts dropped; an empty one is
    // skipped. The update checks start on launchFinished: once, after the loop runs.
    void filesOnTheCommandLineAreListedInOrderAfterLaunch() {
        const char* argv[] = {"tavix", "--dark",   "b.jpg", "--scene", "empty", "./x/./a.jpg",
                              "-",     "",         "--",    "--b.jpg", "/c.jpg"};
        const Names given =
            operands(static_cast<int>(std::size(argv)), argv, {"--screenshot", "--scene"});
        QCOMPARE(given, (Names{"b.jpg", "./x/./a.jpg", "-", "", "--b.jpg", "/c.jpg"}));
        QCOMPARE(commandLineFiles(given, "/w"),
                 (std::vector<Location>{"/w/b.jpg", "/w/x/a.jpg", "/w/-", "/w/--b.jpg", "/c.jpg"}));

        MainWindow window;
        QSignalSpy launched(&window, &MainWindow::launchFinished);
        QCOMPARE(launched.count(), 0);
        QTRY_COMPARE(launched.count(), 1);
    }

    // With nothing saved the menu says so. A refused name says why in the
    // store's words; a name in use is replaced only once the
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

        const RenameRule first{CollapseSpaces{}};
        const RenameRule second{ChangeCase{{}}};
        model().setRules({TavixModel::IdentifiedRule::make(first)});
        typeName(QStringLiteral("Holiday"));
        item("savePreset")->trigger();
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
        std::vector<RenameRule> loaded;
        for (const auto& step : model().rules()) loaded.push_back(step.rule);
        QCOMPARE(loaded, (std::vector<RenameRule>{first, second}));
    }

    // Renamed here and stopped before its last move (its journal ends there and
    // c.txt is back), then x-b.txt replaced by another file: the batch shows as
    // interrupted, Return undoes it, the dialog tells what was put back and
    // lists the other as left alone with why, and offers no second undo.
    void anInterruptedBatchIsUndoneByReturn() {
        const Location c = home_->write("files/c.txt", "c");
        model().add({home_->write("files/a.txt", "a"), home_->write("files/b.txt", "b"), c});
        setFirstStep(model(), RenameRule{AddText{"x-", Position::prefix}});
        model().rename();
        fs::rename(home_->path() / "files/x-c.txt", c);
        const Location xb = home_->path() / "files/x-b.txt";
        fs::remove(xb);
        home_->write("files/x-b.txt", "another b");
        const fs::path journal = model().history().batches.at(0).journal;
        const std::string text = contentsOf(journal);
        std::ofstream(journal, std::ios::trunc) << text.substr(0, text.find("{\"moved\":3"));

        HistoryDialog* history = open();
        const QString stopped =
            QStringLiteral("Stopped before its end; 3 files were to be renamed.");
        QCOMPARE(shown(history), (QStringList{"interrupted", stopped, folder()}));
        QVERIFY(history->batches()->hasFocus());
        QTest::keyClick(history->batches(), Qt::Key_Return);
        QCOMPARE(
            shown(history),
            (QStringList{"undone", stopped, folder(), "no undo", "Put 1 file back.",
                         QString::fromStdString(xb.string()) + ": another file is there now"}));
        QTest::keyClick(history->batches(), Qt::Key_Escape);
        QTRY_VERIFY(window_->findChild<HistoryDialog*>() == nullptr);
        // The window's focus: no window may be active again offscreen.
        QTRY_COMPARE(window_->focusWidget(), static_cast<QWidget*>(window_->content()->table()));
    }

    // The real terminal program renames; the window's History tells the batch
    // is the terminal's and undoes it by a click on "Undo".
    void aBatchOfTheTerminalIsUndoneFromTheWindow() {
#ifndef TAVIX_CLI
        QSKIP("built without tavix-cli");
#else
        const Location a = home_->write("files/IMG_1.jpg");
        const Location b = home_->write("files/IMG_2.jpg");
        QProcess cli;  // its journals go to $XDG_STATE_HOME/tavix, set in init()
        cli.setStandardInputFile(QProcess::nullDevice());
        cli.start(QStringLiteral(TAVIX_CLI),
                  {"rename", "--step", "findReplace find=IMG_ replace=\"Lisbon \"",
                   QString::fromStdString(a.string()), QString::fromStdString(b.string())});
        QVERIFY(cli.waitForFinished(30'000));
        QCOMPARE(cli.exitCode(), 0);

        HistoryDialog* history = open();
        QVERIFY(history->batches()->topLevelItem(0)->toolTip(0).startsWith(
            QStringLiteral("By tavix-cli ")));
        QCOMPARE(shown(history), (QStringList{"done", "Renamed 2 files.", folder()}));
        QTest::mouseClick(part<QPushButton>(history, "undoBatch"), Qt::LeftButton);
        QCOMPARE(namesIn(home_->path() / "files"), (Names{"IMG_1.jpg", "IMG_2.jpg"}));
        QCOMPARE(shown(history), (QStringList{"undone", "Renamed 2 files.", folder(), "no undo",
                                              "Put 2 files back."}));
#endif
    }

private:
    void press(QKeyCombination key) {
        QTest::keyClick(window_->windowHandle(), key.key(), key.keyboardModifiers());
    }

    TavixModel& model() { return window_->model(); }
    QTableView* table() { return window_->content()->table(); }
    QListView* steps() { return part<QListView>(window_.get(), "stepsList"); }
    QAction* item(const char* name) { return part<QAction>(window_.get(), name); }
    std::vector<Uuid> ruleIds() {
        std::vector<Uuid> ids;
        for (const auto& step : model().rules()) ids.push_back(step.id);
        return ids;
    }

    QString folder() const { return QString::fromStdString((home_->path() / "files").string()); }

    // Opens File ▸ History… as the menu does.
    HistoryDialog* open() {
        item("history")->trigger();
        auto* dialog = part<HistoryDialog>(window_.get(), "historyDialog");
        return QTest::qWaitForWindowExposed(dialog) ? dialog : nullptr;
    }

    // What the dialog shows of its first batch: its state, message and folder,
    // "no undo" when it can't be undone, the outcome of an undo, and each file
    // left alone with why.
    static QStringList shown(HistoryDialog* history) {
        const QTreeWidgetItem* row = history->batches()->topLevelItem(0);
        if (row == nullptr) return {};
        QStringList texts{row->text(1), row->text(2), row->text(3)};
        if (!part<QPushButton>(history, "undoBatch")->isEnabled()) texts << "no undo";
        if (auto* outcome = part<QLabel>(history, "historyOutcome"); outcome->isVisible()) {
            texts << outcome->text();
        }
        const QTreeWidget* left = history->leftAlone();
        for (int i = 0; left->isVisible() && i < left->topLevelItemCount(); ++i) {
            texts << left->topLevelItem(i)->text(0) + ": " + left->topLevelItem(i)->text(1);
        }
        return texts;
    }

    QStringList picked_;
    std::optional<bool> askedFor_;           // whether several files were asked for, once asked
    std::unique_ptr<TemporaryFolder> home_;  // the presets' store, the journals, the files
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
