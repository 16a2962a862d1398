// Long work as the window shows it: a busy pointer and a progress bar with the
// counts, drawn while the work runs, and gone when it ends.
#include <QAction>
#include <QProgressBar>

#include <memory>
#include <string>

#include "support/UiTest.hpp"
#include "ui/MainWindow.hpp"
#include "ui/WorkProgress.hpp"

using namespace tavix::test;
using namespace tavix::ui;

class WorkProgressTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { tavix::test::useTestSettingsAndStyle(); }

    void init() {
        window_ = std::make_unique<MainWindow>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() { window_.reset(); }

    // Work shorter than the delay shows nothing; longer work shows the bar, drawn
    // with its counts as they grow, and the busy pointer, until it ends.
    void aSortShowsItsProgressWhileItRuns() {
        TemporaryFolder box;
        std::vector<tavix::Location> files;
        for (int i = 0; i < 300; ++i) files.push_back(box.write("f" + std::to_string(i)));
        window_->model().add(files);

        auto* bar = part<QProgressBar>(window_.get(), "progressBar");
        auto* text = part<QLabel>(window_.get(), "progressText");
        int seen = 0;
        int lastValue = -1;
        bool busy = true;
        connect(window_->progress(), &WorkProgress::progressed, this,
                [&](std::size_t done, std::size_t total) {
                    ++seen;
                    QVERIFY(bar->isVisible());
                    QVERIFY(!part<QWidget>(window_.get(), "performButton")->isVisible());
                    QCOMPARE(bar->maximum(), static_cast<int>(total));
                    QVERIFY(bar->value() > lastValue);
                    lastValue = bar->value();
                    QCOMPARE(text->text(), QStringLiteral("%1 of 300 files").arg(done));
                    const QCursor* cursor = QApplication::overrideCursor();
                    busy = busy && cursor != nullptr && cursor->shape() == Qt::WaitCursor;
                });
        // Work shorter than the delay.
        window_->progress()->setDelay(std::chrono::minutes(10));
        part<QAction>(window_.get(), "sortBySize")->trigger();
        QCOMPARE(seen, 0);
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        window_->progress()->setDelay(std::chrono::milliseconds(0));
        part<QAction>(window_.get(), "sortBySize")->trigger();
        QVERIFY(seen > 10);
        QVERIFY(busy);
        QVERIFY(!bar->isVisible());
        QVERIFY(part<QWidget>(window_.get(), "performButton")->isVisible());
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // Many files show from the start, however soon the first report comes.
        seen = 0;
        lastValue = -1;
        window_->progress()->setDelay(std::chrono::minutes(10));
        window_->progress()->setManyFiles(300);
        part<QAction>(window_.get(), "sortBySize")->trigger();
        QVERIFY(seen > 10);
        QVERIFY(lastValue > 250);
    }

private:
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(WorkProgressTest)
#include "WorkProgressTest.moc"
