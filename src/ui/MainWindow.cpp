#include "ui/MainWindow.hpp"

#include <QApplication>
#include <QMenuBar>
#include <QTimer>

#include "ui/ContentView.hpp"

namespace tavix::ui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainWindow"));
    content_ = new ContentView(this);
    setCentralWidget(content_);
    buildMenus();
    // A zero timer fires only once the event loop is running.
    QTimer::singleShot(0, this, [this] { Q_EMIT launchFinished(); });
}

void MainWindow::buildMenus() {
    // The standard menu, less any way to open a second window: no New Window and
    // nothing bound to Ctrl+N.
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    QAction* close = file->addAction(QStringLiteral("&Close Window"), this, &QWidget::close);
    close->setObjectName(QStringLiteral("closeWindow"));
    close->setShortcut(QKeySequence::Close);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Quit"), qApp, &QApplication::closeAllWindows);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
}

}  // namespace tavix::ui
