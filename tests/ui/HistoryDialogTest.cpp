// File ▸ History…: the batches of the window and of the terminal, each undone
// from the dialog by keyboard or mouse, the window's list following its files
// back, and what couldn't be put back listed with why.
#include <QAction>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <memory>

#include "support/Files.hpp"
#include "support/UiTest.hpp"
#include "ui/HistoryDialog.hpp"
#include "ui/MainWindow.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;
namespace fs = std::filesystem;

class HistoryDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { tavix::test::useTestSettingsAndStyle(); }

    void init() {
        box_ = std::make_unique<TemporaryFolder>();
        window_ = std::make_unique<MainWindow>();
        // The terminal keeps its journals in $XDG_STATE_HOME/tavix.
        model().setStateFolder(box_->path() / "xdg" / "tavix");
        QVERIFY(tavix::test::showActive(*window_));
    }

    void cleanup() {
        window_.reset();
        box_.reset();
    }

    // Renamed here, then one file replaced by another: Return undoes the batch,
    // the list shows the old name of the file put back, the other is listed as
    // left alone, and the batch, now undone, can't be undone again.
    void aBatchRenamedHereIsUndoneByReturn() {
        const auto a = box_->write("files/a.txt", "a");
        const auto b = box_->write("files/b.txt", "b");
        renameWithPrefix({a, b});
        const auto xb = box_->path() / "files/x-b.txt";
        fs::remove(xb);
        box_->write("files/x-b.txt", "another b");

        HistoryDialog* history = open();
        QCOMPARE(rowTexts(history, 0), (QStringList{QStringLiteral("done"),
                                                     QStringLiteral("Renamed 2 files."),
                                                     QString::fromStdString((box_->path() / "files").string())}));
        QVERIFY(history->batches()->hasFocus());
        QTest::keyClick(history->batches(), Qt::Key_Return);

        QVERIFY(fs::exists(a));
        QVERIFY(!fs::exists(b));
        QCOMPARE(model().files(), (std::vector<Location>{a, xb}));
        QCOMPARE(part<QLabel>(history, "historyOutcome")->text(), QStringLiteral("Put 1 file back."));
        QTreeWidget* left = history->leftAlone();
        QVERIFY(left->isVisible());
        QCOMPARE(left->topLevelItemCount(), 1);
        QCOMPARE(left->topLevelItem(0)->text(0), QString::fromStdString(xb.string()));
        QCOMPARE(left->topLevelItem(0)->text(1), QStringLiteral("another file is there now"));

        QCOMPARE(rowTexts(history, 0).front(), QStringLiteral("undone"));
        QVERIFY(!undoButton(history)->isEnabled());
        QTest::keyClick(history->batches(), Qt::Key_Return);
        QVERIFY(fs::exists(xb));

        QTest::keyClick(history->batches(), Qt::Key_Escape);
        QTRY_VERIFY(window_->findChild<HistoryDialog*>() == nullptr);
        // The window's focus: no window may be active again offscreen.
        QTRY_COMPARE(window_->focusWidget(), static_cast<QWidget*>(window_->content()->table()));
    }

    // The real terminal program renames; the window lists the new names, and
    // its History undoes the terminal's batch by a click on "Undo".
    void aBatchOfTheTerminalIsUndoneFromTheWindow() {
#ifndef TAVIX_CLI
        QSKIP("built without tavix-cli");
#else
        const auto a = box_->write("files/IMG_1.jpg");
        const auto b = box_->write("files/IMG_2.jpg");
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"),
                           QString::fromStdString((box_->path() / "xdg").string()));
        cli.setProcessEnvironment(environment);
        cli.setStandardInputFile(QProcess::nullDevice());
        cli.start(QStringLiteral(TAVIX_CLI),
                  {QStringLiteral("rename"), QStringLiteral("--step"),
                   QStringLiteral("findReplace find=IMG_ replace=\"Lisbon \""),
                   QString::fromStdString(a.string()), QString::fromStdString(b.string())});
        QVERIFY(cli.waitForFinished(30'000));
        QCOMPARE(cli.exitCode(), 0);
        const auto la = box_->path() / "files/Lisbon 1.jpg";
        const auto lb = box_->path() / "files/Lisbon 2.jpg";
        QVERIFY(fs::exists(la) && fs::exists(lb));
        model().add({lb, la});

        HistoryDialog* history = open();
        QCOMPARE(history->batches()->topLevelItemCount(), 1);
        QVERIFY(history->batches()->topLevelItem(0)->toolTip(0).startsWith(QStringLiteral("By tavix-cli ")));
        QCOMPARE(rowTexts(history, 0).front(), QStringLiteral("done"));
        QTest::mouseClick(undoButton(history), Qt::LeftButton);

        QVERIFY(fs::exists(a) && fs::exists(b));
        QCOMPARE(model().files(), (std::vector<Location>{b, a}));
        QCOMPARE(part<QLabel>(history, "historyOutcome")->text(), QStringLiteral("Put 2 files back."));
        QVERIFY(!history->leftAlone()->isVisible());
        QCOMPARE(rowTexts(history, 0).front(), QStringLiteral("undone"));
        QVERIFY(!undoButton(history)->isEnabled());
#endif
    }

    // A batch stopped after its first move (its journal ends there, and the
    // second file never moved) is listed as interrupted, and its undo puts back
    // the one file that moved.
    void anInterruptedBatchIsShownAndUndone() {
        const auto a = box_->write("files/a.txt");
        const auto b = box_->write("files/b.txt");
        renameWithPrefix({a, b});
        fs::rename(box_->path() / "files/x-b.txt", b);
        const fs::path journal = model().history().batches.at(0).journal;
        const std::string text = tavix::test::contentsOf(journal);
        std::ofstream(journal, std::ios::trunc) << text.substr(0, text.find("{\"moved\":2"));

        HistoryDialog* history = open();
        QCOMPARE(history->batches()->topLevelItemCount(), 1);
        QCOMPARE(rowTexts(history, 0),
                 (QStringList{QStringLiteral("interrupted"),
                              QStringLiteral("Stopped before its end; 2 files were to be renamed."),
                              QString::fromStdString((box_->path() / "files").string())}));
        QVERIFY(undoButton(history)->isEnabled());
        QTest::keyClick(history->batches(), Qt::Key_Return);

        QVERIFY(fs::exists(a) && fs::exists(b));
        QVERIFY(!fs::exists(box_->path() / "files/x-a.txt"));
        QCOMPARE(part<QLabel>(history, "historyOutcome")->text(), QStringLiteral("Put 1 file back."));
        QCOMPARE(rowTexts(history, 0).front(), QStringLiteral("undone"));
        QVERIFY(!undoButton(history)->isEnabled());
    }

private:
    TavixModel& model() { return window_->model(); }

    // Renames `files` in the window: "a.txt" becomes "x-a.txt".
    void renameWithPrefix(const std::vector<Location>& files) {
        model().add(files);
        tavix::test::setFirstStep(model(), RenameRule{tavix::AddText{"x-", Position::prefix}});
        model().rename();
    }

    // Opens File ▸ History… as the menu does.
    HistoryDialog* open() {
        part<QAction>(window_.get(), "history")->trigger();
        auto* dialog = window_->findChild<HistoryDialog*>();
        if (dialog == nullptr || !QTest::qWaitForWindowExposed(dialog)) {
            qFatal("History\u2026 showed no dialog");
        }
        return dialog;
    }

    static QPushButton* undoButton(HistoryDialog* history) {
        return part<QPushButton>(history, "undoBatch");
    }

    // The state, message and folder shown in a row.
    static QStringList rowTexts(HistoryDialog* history, int row) {
        const QTreeWidgetItem* item = history->batches()->topLevelItem(row);
        if (item == nullptr) return {};
        return {item->text(1), item->text(2), item->text(3)};
    }

    std::unique_ptr<TemporaryFolder> box_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(HistoryDialogTest)
#include "HistoryDialogTest.moc"
