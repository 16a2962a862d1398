#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <chrono>
#include <cstddef>

#include "model/TavixModel.hpp"

namespace tavix::ui {

class StatusBar;

// Shows that long work is under way. It listens to the model's progress: once a
// piece of work (adding, sorting, renaming, undoing) has run for `delay` (0.3 s)
// and is not done, or from its start when it takes on `manyFiles` (10,000) files
// or more, which no command handles in under 0.3 s, the pointer turns busy and
// the status bar shows a progress bar with the counts, repainted at each report
// while the work runs; both go when it ends. Work that can only tell its start
// and end still gets the busy pointer that way. Nothing processes events meanwhile, so input stays blocked as for any
// command, and nothing can change the model under the work. The model and the
// bar must outlive it.
class WorkProgress : public QObject {
    Q_OBJECT
public:
    WorkProgress(TavixModel& model, StatusBar& bar, QObject* parent = nullptr);
    ~WorkProgress() override;

    // How long work runs before it is shown; tests shorten it.
    void setDelay(std::chrono::milliseconds delay) { delay_ = delay; }
    void setManyFiles(std::size_t count) { manyFiles_ = count; }
    bool isShowing() const { return showing_; }

Q_SIGNALS:
    // After the shown progress was repainted at `done` of `total` files.
    void progressed(std::size_t done, std::size_t total);

private:
    void report(std::size_t done, std::size_t total);
    void end();

    TavixModel& model_;
    StatusBar& bar_;
    std::chrono::milliseconds delay_{300};
    std::size_t manyFiles_ = 10'000;
    QElapsedTimer clock_;
    bool running_ = false;
    bool showing_ = false;
};

}  // namespace tavix::ui
