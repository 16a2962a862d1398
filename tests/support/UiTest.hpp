#pragma once

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <utility>

#include "model/TavixModel.hpp"
#include "support/TemporaryFolder.hpp"

// What the widget tests share: settings and style, finding controls and telling
// their states, counting drawn pixels, answering dialogs, and temporary folders.
namespace tavix::test {

// Settings in a folder of their own, and one style whatever the machine has,
// so that every widget test draws and measures alike.
inline void useTestSettingsAndStyle() {
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

// The child of `root` of type T with this object name; stops the test program
// when there is none, as every later step would fail for the same reason.
template <class T>
T* part(QObject* root, const char* name) {
    T* found = root->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// What a user tells of the named children of `root` at a glance, as one text:
// each name followed by "hidden", "off" (disabled), "checked" and "focus"
// where they apply, e.g. "undoButton hidden, undoRenames off".
inline QString states(const QObject& root, std::initializer_list<const char*> names) {
    QStringList shown;
    for (const char* name : names) {
        const QObject* found = root.findChild<QObject*>(QString::fromLatin1(name));
        if (found == nullptr) qFatal("nothing named %s", name);
        const auto* widget = qobject_cast<const QWidget*>(found);
        const auto* action = qobject_cast<const QAction*>(found);
        const auto* button = qobject_cast<const QAbstractButton*>(found);
        QString state = QString::fromLatin1(name);
        if (widget != nullptr && !widget->isVisible()) state += QLatin1String(" hidden");
        if (widget != nullptr ? !widget->isEnabled() : !action->isEnabled())
            state += QLatin1String(" off");
        if (button != nullptr ? button->isChecked() : action != nullptr && action->isChecked()) {
            state += QLatin1String(" checked");
        }
        if (widget != nullptr && widget->hasFocus()) state += QLatin1String(" focus");
        shown << state;
    }
    return shown.join(QLatin1String(", "));
}

// How many pixels of `image` satisfy `wanted`.
template <class Wanted>
int countPixels(const QImage& image, Wanted wanted) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += wanted(image.pixelColor(x, y)) ? 1 : 0;
    }
    return count;
}

// Runs `answer` on the next modal dialog of type T as soon as it shows.
template <class T>
void whenShown(std::function<void(T*)> answer) {
    auto* timer = new QTimer(qApp);  // gone with the application at the latest
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer)] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start(20);
}

// Makes `rule` the rule of the model's first step.
inline void setFirstStep(TavixModel& model, RenameRule rule) {
    model.setRule(model.rules().front().id, std::move(rule));
}

}  // namespace tavix::test
