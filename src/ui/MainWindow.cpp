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

QStringList pickWithDialog(QWidget& parent, const QString& title, bool multiple) {
    QFileDialog dialog(&parent, title);
    // Either mode lets the user pick files only, never a folder.
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

MainWindow::MainWindow(FilePicker picker, QWidget* parent)
    : QMainWindow(parent), picker_(std::move(picker)), content_(model_) {
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

std::vector<Location> MainWindow::chooseFiles(const TavixModel::FileChooserRequest& request) {
    raise();
    activateWindow();
    const QStringList names =
        picker_ ? picker_(*this, QString::fromStdString(request.message), request.multiple)
                : QStringList();
    // Once the files have joined the list, the table takes the focus rather than
    // whichever control opened the dialog.
    QTimer::singleShot(0, &content_, [this] { content_.focusTable(); });
    std::vector<Location> chosen;
    for (const QString& name : names) chosen.emplace_back(QFile::encodeName(name).toStdString());
    return chosen;
}

}  // namespace tavix::ui
