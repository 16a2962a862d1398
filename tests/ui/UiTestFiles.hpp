#pragma once

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

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

// A fresh folder, removed with everything in it at the end of the test.
class Sandbox {
public:
    Sandbox() : root_(QFile::encodeName(dir_.path()).toStdString()) {}

    const Path& root() const { return root_; }

    // Creates a file (and its folders) holding `contents`.
    Path file(const std::string& relative, const QByteArray& contents = {}) const {
        const Path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        QFile out(QString::fromStdString(path.string()));
        if (out.open(QIODevice::WriteOnly)) out.write(contents);
        return path;
    }

    Path folder(const std::string& relative) const {
        const Path path = root_ / relative;
        std::filesystem::create_directories(path);
        return path;
    }

    // The names of the entries of a folder under the root.
    std::set<std::string> names(const std::string& relative = {}) const {
        std::set<std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(root_ / relative)) {
            out.insert(entry.path().filename().string());
        }
        return out;
    }

private:
    QTemporaryDir dir_;
    Path root_;
};

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
