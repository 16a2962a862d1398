#include "ui/WorkProgress.hpp"

#include <QApplication>

#include "ui/StatusBar.hpp"

namespace tavix::ui {

WorkProgress::WorkProgress(TavixModel& model, StatusBar& bar, QObject* parent)
    : QObject(parent), model_(model), bar_(bar) {
    setObjectName(QStringLiteral("workProgress"));
    model_.setProgress([this](std::size_t done, std::size_t total) { report(done, total); });
}

WorkProgress::~WorkProgress() {
    model_.setProgress({});
    end();
}

void WorkProgress::report(std::size_t done, std::size_t total) {
    if (done >= total) {
        end();
        return;
    }
    if (!running_) {
        running_ = true;
        clock_.start();
    }
    if (!showing_) {
        if (total < manyFiles_ && clock_.elapsed() < delay_.count()) return;
        showing_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    bar_.showProgress(done, total);
    Q_EMIT progressed(done, total);
}

void WorkProgress::end() {
    running_ = false;
    if (!showing_) return;
    showing_ = false;
    QApplication::restoreOverrideCursor();
    bar_.endProgress();
}

}  // namespace tavix::ui
