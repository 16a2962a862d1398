#pragma once

#include <QMainWindow>

namespace tavix::ui {

class ContentView;

// The application's one window. Its content is a ContentView, and it can't be
// made smaller than the content's minimum size. The File menu has no command
// that opens a second window; closing the window quits the application.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    ContentView* content() const { return content_; }

Q_SIGNALS:
    // Emitted once, as soon as the event loop runs after the window was made:
    // where work that belongs after launch (the update check) is started.
    void launchFinished();

private:
    void buildMenus();

    ContentView* content_ = nullptr;
};

}  // namespace tavix::ui
