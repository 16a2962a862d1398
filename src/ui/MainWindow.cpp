#include "ui/MainWindow.hpp"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace tavix::ui {

QSize openingSize(QSize available, QSize minimum) {
    return QSize(1100, 700).boundedTo(available).expandedTo(minimum);
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), content_(model_) {
    setObjectName(QStringLiteral("mainWindow"));
    model_.setFileChooser(
        [this](const TavixModel::FileChooserRequest& request) { return chooseFiles(request); });
    setCentralWidget(&content_);
    buildMenus();
    if (const QScreen* screen = this->screen()) {
        resize(openingSize(screen->availableSize(), minimumSizeHint()));
    }
    // A zero timer fires only once the event loop is running.
    QTimer::singleShot(0, this, [this] { Q_EMIT launchFinished(); });
}

std::vector<TavixModel::Path> MainWindow::chooseFiles(
    const TavixModel::FileChooserRequest& request) {
    raise();
    activateWindow();
    QFileDialog dialog(this, QString::fromStdString(request.message));
    // Either mode lets the user pick files only, never a folder.
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    std::vector<TavixModel::Path> chosen;
    if (dialog.exec() != QDialog::Accepted) return chosen;
    for (const QString& name : dialog.selectedFiles()) {
        chosen.emplace_back(QFile::encodeName(name).toStdString());
    }
    return chosen;
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
