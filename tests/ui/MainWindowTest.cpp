// The application's one window: its menu, its sizes, its launch signal and the
// files it is handed on the command line.
#include <QApplication>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include "UiTestFiles.hpp"
#include "ui/CommandLineFiles.hpp"
#include "ui/ContentView.hpp"
#include "ui/MainWindow.hpp"

using tavix::ui::MainWindow;
using tavix::uitest::Path;
using tavix::uitest::Sandbox;

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void launchFinishedComesOnceTheLoopRuns() {
        MainWindow window;
        QSignalSpy launched(&window, &MainWindow::launchFinished);
        QCOMPARE(launched.count(), 0);
        QTRY_COMPARE(launched.count(), 1);
    }

    void theFileMenuOffersNoSecondWindow() {
        MainWindow window;
        const QList<QAction*> menus = window.menuBar()->actions();
        QVERIFY(!menus.isEmpty());
        for (QAction* menu : menus) {
            QVERIFY(menu->menu() != nullptr);
            for (QAction* item : menu->menu()->actions()) {
                QVERIFY2(!item->text().contains(QLatin1String("New"), Qt::CaseInsensitive),
                         qPrintable(item->text()));
                QVERIFY(item->shortcut() != QKeySequence(Qt::CTRL | Qt::Key_N));
            }
        }
    }

    void theWindowStopsAtTheContentsMinimumSize() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(300, 200);
        QCOMPARE(window.content()->minimumSize(), QSize(820, 520));
        QVERIFY(window.content()->width() >= 820);
        QVERIFY(window.content()->height() >= 520);
    }

    void opensComfortablyWithinTheScreen_data() {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<QSize>("opening");
        const QSize minimum(820, 545);
        QTest::newRow("large screen") << QSize(2560, 1400) << QSize(1100, 700);
        QTest::newRow("laptop screen") << QSize(1366, 700) << QSize(1100, 700);
        QTest::newRow("short screen") << QSize(1280, 620) << QSize(1100, 620);
        QTest::newRow("below the minimum") << QSize(800, 500) << minimum;
    }

    void opensComfortablyWithinTheScreen() {
        QFETCH(QSize, available);
        QFETCH(QSize, opening);
        QCOMPARE(tavix::ui::openingSize(available, QSize(820, 545)), opening);
    }

    void filesOnTheCommandLineAreListedInOrder() {
        Sandbox box;
        const Path b = box.file("b_1.jpg");
        const Path a = box.file("a_2.jpg");
        box.folder("folder");
        // As the shell hands them over, after options the window knows.
        const char* argv[] = {"tavix", "--dark",   "b_1.jpg", "--scene", "empty", "./a_2.jpg",
                              "folder", "missing", "--",      "--b.jpg", b.c_str()};
        const std::vector<std::string> given =
            tavix::ui::operands(static_cast<int>(std::size(argv)), argv, {"--screenshot", "--scene"});
        QCOMPARE(given, (std::vector<std::string>{"b_1.jpg", "./a_2.jpg", "folder", "missing",
                                                  "--b.jpg", b.string()}));

        MainWindow window;
        window.content()->takeFiles(tavix::ui::commandLineFiles(given, box.root()));
        // The folder, the missing path and the repeated file are skipped, as a drop skips them.
        QCOMPARE(window.model().files(), (std::vector<Path>{b, a}));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
