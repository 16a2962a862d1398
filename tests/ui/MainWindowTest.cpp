// The application's one window: the size it opens at, the files it is handed
// on the command line, and the signal that starts the work after launch.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "support/UiTest.hpp"
#include "support/TemporaryFolder.hpp"
#include "ui/CommandLineFiles.hpp"
#include "ui/ContentView.hpp"
#include "ui/MainWindow.hpp"

using tavix::ui::MainWindow;
namespace fs = std::filesystem;
using tavix::test::TemporaryFolder;

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The default size on a large screen, the screen's height on a short one,
    // never below the minimum.
    void opensComfortablyWithinTheScreen() {
        const QSize minimum(820, 545);
        QCOMPARE(tavix::ui::openingSize(QSize(2560, 1400), minimum), QSize(1100, 700));
        QCOMPARE(tavix::ui::openingSize(QSize(1280, 620), minimum), QSize(1100, 620));
        QCOMPARE(tavix::ui::openingSize(QSize(800, 500), minimum), minimum);
    }

    void filesOnTheCommandLineAreListedInOrderAfterLaunch() {
        TemporaryFolder box;
        const fs::path b = box.write("b_1.jpg");
        const fs::path a = box.write("a_2.jpg");
        box.folder("folder");
        // As the shell hands them over, after options the window knows.
        const char* argv[] = {"tavix", "--dark",   "b_1.jpg", "--scene", "empty", "./a_2.jpg",
                              "folder", "missing", "--",      "--b.jpg", b.c_str()};
        const std::vector<std::string> given =
            tavix::ui::operands(static_cast<int>(std::size(argv)), argv, {"--screenshot", "--scene"});
        QCOMPARE(given, (std::vector<std::string>{"b_1.jpg", "./a_2.jpg", "folder", "missing",
                                                  "--b.jpg", b.string()}));

        MainWindow window;
        // The update checks start on this signal: once, after the loop runs.
        QSignalSpy launched(&window, &MainWindow::launchFinished);
        QCOMPARE(launched.count(), 0);
        QTRY_COMPARE(launched.count(), 1);
        window.content()->takeFiles(tavix::ui::commandLineFiles(given, box.path()));
        // The folder, the missing path and the repeated file are skipped, as a drop skips them.
        QCOMPARE(window.model().files(), (std::vector<tavix::Location>{b, a}));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
