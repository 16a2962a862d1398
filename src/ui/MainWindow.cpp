#include "ui/MainWindow.hpp"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QScreen>
#include <QTimer>

#include "ui/StatusBar.hpp"
#include "ui/WindowMenus.hpp"
#include "ui/WorkProgress.hpp"

namespace tavix::ui {

QSize openingSize(QSize available, QSize minimum) {
    return QSize(1100, 700).boundedTo(available).expandedTo(minimum);
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), content_(model_) {
    setObjectName(QStringLiteral("mainWindow"));
    model_.setFileChooser(
        [this](const TavixModel::FileChooserRequest& request) { return chooseFiles(request); });
    setCentralWidget(&content_);
    menus_ = std::make_unique<WindowMenus>(*this, model_, content_);
    progress_ = std::make_unique<WorkProgress>(model_, *content_.statusBar());
    if (const QScreen* screen = this->screen()) {
        resize(openingSize(screen->availableSize(), minimumSizeHint()));
    }
    // A zero timer fires only once the event loop is running.
    QTimer::singleShot(0, this, [this] { Q_EMIT launchFinished(); });
}

MainWindow::~MainWindow() = default;

std::vector<TavixModel::Path> MainWindow::chooseFiles(
    const TavixModel::FileChooserRequest& request) {
    raise();
    activateWindow();
    QFileDialog dialog(this, QString::fromStdString(request.message));
    // Either mode lets the user pick files only, never a folder.
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    std::vector<TavixModel::Path> chosen;
    const int answer = dialog.exec();
    // Once the files have joined the list, the table takes the focus rather than
    // whichever control opened the dialog.
    QTimer::singleShot(0, &content_, [this] { content_.focusTable(); });
    if (answer != QDialog::Accepted) return chosen;
    for (const QString& name : dialog.selectedFiles()) {
        chosen.emplace_back(QFile::encodeName(name).toStdString());
    }
    return chosen;
}

}  // namespace tavix::ui
