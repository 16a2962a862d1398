// The application's one window: its menu, its minimum size, its launch signal
// and quitting when it closes.
#include <QApplication>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "ui/ContentView.hpp"
#include "ui/MainWindow.hpp"

using tavix::ui::MainWindow;

namespace {

int visibleWindows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->isWindow()) ++count;
    }
    return count;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void launchFinishedComesOnceTheLoopRuns() {
        MainWindow window;
        QSignalSpy launched(&window, &MainWindow::launchFinished);
        QCOMPARE(launched.count(), 0);
        QTRY_COMPARE(launched.count(), 1);
        QTest::qWait(50);
        QCOMPARE(launched.count(), 1);
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

    void ctrlNOpensNothing() {
        MainWindow window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const int before = visibleWindows();
        QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
        QTest::qWait(20);
        QCOMPARE(visibleWindows(), before);
    }

    void theWindowStopsAtTheContentsMinimumSize() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(300, 200);
        QCOMPARE(window.content()->minimumSize(), QSize(820, 520));
        QVERIFY(window.content()->width() >= 820);
        QVERIFY(window.content()->height() >= 520);
        QVERIFY(window.minimumSizeHint().width() >= 820);
    }

    void closingTheWindowQuits() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The loop ends by itself once the window closes; the second timer only
        // stops a loop that would otherwise run on.
        QTimer::singleShot(0, &window, [&window] { window.close(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
