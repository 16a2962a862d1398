#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QTest>
#include <filesystem>
#include <functional>

namespace tavix::uitest {

// The child of `root` of type T with this object name; stops the test program
// when there is none, as every later step would fail for the same reason.
template <class T>
T* part(QObject* root, const char* name) {
    T* found = root->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

using Path = std::filesystem::path;

// How many pixels of `image` inside `area` satisfy `wanted`.
inline int countPixels(const QImage& image, const QRect& area,
                       const std::function<bool(const QColor&)>& wanted) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (wanted(image.pixelColor(x, y))) ++count;
        }
    }
    return count;
}

inline bool isOrange(const QColor& c) {
    return c.red() > 180 && c.green() > 80 && c.green() < 175 && c.blue() < 80;
}

// The light yellow of the change highlight laid over a light row.
inline bool isHighlightYellow(const QColor& c) {
    return c.red() > 230 && c.green() > 215 && c.blue() < 200 && c.red() - c.blue() > 50;
}

}  // namespace tavix::uitest
