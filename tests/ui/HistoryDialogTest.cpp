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
using Names = std::vector<std::string>;

class HistoryDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useTestSettingsAndStyle(); }

    void init() {
        box_ = std::make_unique<TemporaryFolder>();
        window_ = std::make_unique<MainWindow>();
        // The terminal keeps its journals in $XDG_STATE_HOME/tavix.
        model().setStateFolder(box_->path() / "xdg" / "tavix");
        QVERIFY(showActive(*window_));
    }

    void cleanup() {
        window_.reset();
        box_.reset();
    }

    // Renamed here, then one file replaced by another: Return undoes the batch,
    // the list shows the old name of the file put back, the other is listed as
    // left alone, and the batch, now undone, can't be undone again.
    void aBatchRenamedHereIsUndoneByReturn() {
        const Location a = box_->write("files/a.txt", "a");
        const Location b = box_->write("files/b.txt", "b");
        renameWithPrefix({a, b});
        const Location xb = box_->path() / "files/x-b.txt";
        fs::remove(xb);
        box_->write("files/x-b.txt", "another b");

        HistoryDialog* history = open();
        QCOMPARE(shown(history), (QStringList{"done", "Renamed 2 files.", folder()}));
        QVERIFY(history->batches()->hasFocus());
        QTest::keyClick(history->batches(), Qt::Key_Return);
        QCOMPARE(namesIn(box_->path() / "files"), (Names{"a.txt", "x-b.txt"}));
        QCOMPARE(model().files(), (std::vector<Location>{a, xb}));
        QCOMPARE(
            shown(history),
            (QStringList{"undone", "Renamed 2 files.", folder(), "no undo", "Put 1 file back.",
                         QString::fromStdString(xb.string()) + ": another file is there now"}));
        QTest::keyClick(history->batches(), Qt::Key_Return);
        QCOMPARE(contentsOf(xb), "another b");

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
        const Location a = box_->write("files/IMG_1.jpg");
        const Location b = box_->write("files/IMG_2.jpg");
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"),
                           QString::fromStdString((box_->path() / "xdg").string()));
        cli.setProcessEnvironment(environment);
        cli.setStandardInputFile(QProcess::nullDevice());
        cli.start(QStringLiteral(TAVIX_CLI),
                  {"rename", "--step", "findReplace find=IMG_ replace=\"Lisbon \"",
                   QString::fromStdString(a.string()), QString::fromStdString(b.string())});
        QVERIFY(cli.waitForFinished(30'000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(namesIn(box_->path() / "files"), (Names{"Lisbon 1.jpg", "Lisbon 2.jpg"}));
        model().add({box_->path() / "files/Lisbon 2.jpg", box_->path() / "files/Lisbon 1.jpg"});

        HistoryDialog* history = open();
        QCOMPARE(history->batches()->topLevelItemCount(), 1);
        QVERIFY(history->batches()->topLevelItem(0)->toolTip(0).startsWith(
            QStringLiteral("By tavix-cli ")));
        QCOMPARE(shown(history).front(), QStringLiteral("done"));
        QTest::mouseClick(part<QPushButton>(history, "undoBatch"), Qt::LeftButton);
        QCOMPARE(namesIn(box_->path() / "files"), (Names{"IMG_1.jpg", "IMG_2.jpg"}));
        QCOMPARE(model().files(), (std::vector<Location>{b, a}));
        QCOMPARE(shown(history).mid(3), (QStringList{"no undo", "Put 2 files back."}));
        QCOMPARE(shown(history).front(), QStringLiteral("undone"));
#endif
    }

    // A batch stopped after its first move (its journal ends there, and the
    // second file never moved) is listed as interrupted, still says so once
    // undone, and its undo puts back the one file that moved.
    void anInterruptedBatchIsShownAndUndone() {
        const Location b = box_->write("files/b.txt");
        renameWithPrefix({box_->write("files/a.txt"), b});
        fs::rename(box_->path() / "files/x-b.txt", b);
        const fs::path journal = model().history().batches.at(0).journal;
        const std::string text = contentsOf(journal);
        std::ofstream(journal, std::ios::trunc) << text.substr(0, text.find("{\"moved\":2"));

        HistoryDialog* history = open();
        QCOMPARE(history->batches()->topLevelItemCount(), 1);
        QCOMPARE(shown(history),
                 (QStringList{"interrupted", "Stopped before its end; 2 files were to be renamed.",
                              folder()}));
        QTest::keyClick(history->batches(), Qt::Key_Return);
        QCOMPARE(namesIn(box_->path() / "files"), (Names{"a.txt", "b.txt"}));
        QCOMPARE(shown(history).mid(0, 2),
                 (QStringList{"undone", "Stopped before its end; 2 files were to be renamed."}));
        QCOMPARE(shown(history).mid(3), (QStringList{"no undo", "Put 1 file back."}));
    }

private:
    TavixModel& model() {
        return window_->model();
    }
    QString folder() const {
        return QString::fromStdString((box_->path() / "files").string());
    }

    // Renames `files` in the window: "a.txt" becomes "x-a.txt".
    void renameWithPrefix(const std::vector<Location>& files) {
        model().add(files);
        setFirstStep(model(), RenameRule{AddText{"x-", Position::prefix}});
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

    std::unique_ptr<TemporaryFolder> box_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(HistoryDialogTest)
#include "HistoryDialogTest.moc"
