// "Show in File Manager": the call the desktop's file manager is sent, and the
// table's context menu that sends it for the row under the pointer.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDBusMessage>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include "support/UiTest.hpp"
#include "model/TavixModel.hpp"
#include "support/TemporaryFolder.hpp"
#include "ui/ContentView.hpp"
#include "ui/FileManager.hpp"

using tavix::TavixModel;
using tavix::ui::ContentView;
using tavix::test::TemporaryFolder;

class FileManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // File URIs encoded as the interface wants them, spaces and all.
    void theCallNamesTheFilesByUri() {
        const QDBusMessage call = tavix::ui::showItemsMessage(
            {QUrl::fromLocalFile(QStringLiteral("/tmp/a b/été.jpg"))});
        QCOMPARE(call.service(), QStringLiteral("org.freedesktop.FileManager1"));
        QCOMPARE(call.path(), QStringLiteral("/org/freedesktop/FileManager1"));
        QCOMPARE(call.interface(), QStringLiteral("org.freedesktop.FileManager1"));
        QCOMPARE(call.member(), QStringLiteral("ShowItems"));
        QCOMPARE(call.arguments().at(0).toStringList(),
                 QStringList{QStringLiteral("file:///tmp/a%20b/%C3%A9t%C3%A9.jpg")});
        QCOMPARE(call.arguments().at(1).toString(), QString());
    }

    void theRowMenuShowsTheFileUnderThePointer() {
        TemporaryFolder box;
        TavixModel model;
        model.add({box.write("a.txt"), box.write("b c.txt")});
        ContentView view(model);
        QList<QUrl> shown;
        view.setFileShower([&](const QList<QUrl>& files) { shown = files; });
        view.resize(1100, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QTableView* table = view.table();
        const QPoint at = table->visualRect(table->model()->index(1, 0)).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table->viewport(), &click);
        auto* menu = tavix::test::part<QMenu>(table, "rowMenu");
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 1);
        auto* show = tavix::test::part<QAction>(menu, "showInFileManager");
        QCOMPARE(show->text(), QStringLiteral("Show in File Manager"));
        show->trigger();
        QCOMPARE(shown, QList<QUrl>{QUrl::fromLocalFile(
                            QString::fromStdString((box.path() / "b c.txt").string()))});
        menu->close();
    }
};

QTEST_MAIN(FileManagerTest)
#include "FileManagerTest.moc"
