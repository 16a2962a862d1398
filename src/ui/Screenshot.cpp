#include "ui/Screenshot.hpp"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>

#include "ui/ContentView.hpp"
#include "ui/Inspector.hpp"
#include "ui/MainWindow.hpp"
#include "ui/WindowMenus.hpp"
#include "ui/WorkProgress.hpp"

namespace tavix::ui {
namespace {

struct Sample {
    const char* name;
    QSize pixels;  // an image of this size, or an empty size for a text file
    const char* modified;
};

const Sample samples[] = {
    {"IMG_0041.jpg", {1920, 1080}, "2024-05-03T09:12:00"},
    {"IMG_0042.jpg", {1080, 1350}, "2024-05-03T09:14:00"},
    {"IMG_0043.jpg", {1920, 1080}, "2024-05-03T10:02:00"},
    {"IMG_0047.JPG", {1600, 1200}, "2024-05-04T18:40:00"},
    {"beach-sunset.png", {1200, 800}, "2024-05-04T20:31:00"},
    {"Tram 28 at dusk.png", {900, 600}, "2024-05-05T19:55:00"},
    {"Itinerary (final version, printed).pdf", {}, "2024-04-28T16:20:00"},
    {"notes.txt", {}, "2024-05-06T08:05:00"},
};

void makeSample(const QString& folder, const Sample& sample) {
    const QString path = folder + QLatin1Char('/') + QString::fromUtf8(sample.name);
    if (sample.pixels.isEmpty()) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(QByteArray(2400, 'x'));
    } else {
        QImage image(sample.pixels, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, sample.pixels.height());
        sky.setColorAt(0, QColor(70, 130, 200));
        sky.setColorAt(1, QColor(250, 190, 120));
        painter.fillRect(image.rect(), sky);
        painter.end();
        image.save(path, path.endsWith(QLatin1String(".png")) ? "PNG" : "JPEG", 80);
    }
    QFile file(path);
    if (file.open(QIODevice::ReadWrite)) {
        file.setFileTime(QDateTime::fromString(QString::fromLatin1(sample.modified), Qt::ISODate),
                         QFileDevice::FileModificationTime);
    }
}

void stage(ContentView& content, const QString& folder, Scene scene) {
    TavixModel& model = content.model();
    if (scene == Scene::empty) return;

    std::vector<TavixModel::Path> files;
    for (const Sample& sample : samples) {
        files.emplace_back(QFile::encodeName(folder).toStdString() + "/" + sample.name);
    }
    model.add(files);

    const Uuid step = model.rules().front().id;
    // The inspector shows the tokens of a camera file: names with underscores.
    const auto inspect = [&](std::size_t row) {
        model.setShowInspector(true);
        model.setPreviewSelection(model.plan().items[row].id);
        if (auto* inspector = content.findChild<Inspector*>()) {
            inspector->setTab(Inspector::Tab::tokens);
        }
    };
    if (scene == Scene::problems) {
        // Dropping the digits leaves the camera files sharing one name.
        model.setRule(step, RenameRule::findReplace("\\d+", "", true, false, Occurrences::all));
        model.setShowPathColumn(true);
        inspect(0);
        return;
    }
    model.setRule(step, RenameRule::findReplace("IMG_", "Lisbon ", false, false, Occurrences::all));
    model.setShowSizeColumn(true);
    model.setShowDateColumn(true);
    if (scene == Scene::preview || scene == Scene::menus) {
        model.setShowInspector(false);
        return;
    }
    inspect(1);
}

// Opens the Edit menu over the window, as with the Find field's text selected,
// and draws it into `image`: a menu is a window of its own, outside the grab.
void drawOpenMenu(MainWindow& window, QImage& image) {
    if (auto* find = window.findChild<QLineEdit*>(QStringLiteral("findField"))) {
        find->setFocus();
        find->selectAll();
    }
    QMenu* menu = window.menus()->editMenu();
    window.menus()->refresh();
    const QRect title = window.menuBar()->actionGeometry(menu->menuAction());
    menu->popup(window.menuBar()->mapToGlobal(title.bottomLeft()));
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QImage drawn = menu->grab().toImage();
    QPainter painter(&image);
    painter.drawImage(window.mapFromGlobal(menu->pos()), drawn);
    menu->close();
}

// Makes 100,000 camera files, lists them under a find-and-replace step, and
// renames them, drawing the window once a third of them have moved (or, when
// the rename tells only its start, as soon as its progress shows).
bool grabMidRename(MainWindow& window, const QString& folder, QImage& image, QString& error) {
    constexpr int count = 100'000;
    std::vector<TavixModel::Path> files;
    files.reserve(count);
    const std::string base = QFile::encodeName(folder).toStdString() + "/";
    for (int i = 1; i <= count; ++i) {
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0'));
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly)) {
            error = QStringLiteral("can't make the sample files in ") + folder;
            return false;
        }
        files.push_back(base + name.toStdString());
    }
    TavixModel& model = window.model();
    model.add(std::move(files));
    model.setRule(model.rules().front().id,
                  RenameRule::findReplace("IMG_", "Lisbon ", false, false, Occurrences::all));
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    // The first shown report is kept in case no later one comes; a third of the
    // way through wins.
    bool third = false;
    const auto grab = [&](std::size_t done, std::size_t total) {
        if (third || (!image.isNull() && done < total / 3)) return;
        image = window.grab().toImage();
        third = done >= total / 3;
    };
    const auto connection = QObject::connect(window.progress(), &WorkProgress::progressed, grab);
    model.rename();
    QObject::disconnect(connection);
    if (image.isNull()) error = QStringLiteral("the rename showed no progress");
    return !image.isNull();
}

}  // namespace

std::optional<Scene> sceneNamed(const QString& name) {
    if (name == QLatin1String("empty")) return Scene::empty;
    if (name == QLatin1String("preview")) return Scene::preview;
    if (name == QLatin1String("problems")) return Scene::problems;
    if (name == QLatin1String("inspector")) return Scene::inspector;
    if (name == QLatin1String("menus")) return Scene::menus;
    if (name == QLatin1String("renaming")) return Scene::renaming;
    return std::nullopt;
}

bool writeScreenshot(const QString& file, Scene scene, QSize size, QString* error) {
    QTemporaryDir temporary;
    if (!temporary.isValid()) {
        if (error) *error = QStringLiteral("can't make a temporary folder");
        return false;
    }
    const QString folder = temporary.path() + QStringLiteral("/Pictures/Lisbon 2024");
    QDir().mkpath(folder);
    for (const Sample& sample : samples) makeSample(folder, sample);

    MainWindow window;
    window.resize(size);
    window.show();
    if (scene == Scene::renaming) {
        QImage image;
        const QString many = temporary.path() + QStringLiteral("/Pictures/Camera");
        QDir().mkpath(many);
        QString failure;
        if (!grabMidRename(window, many, image, failure)) {
            if (error) *error = failure;
            return false;
        }
        if (!image.save(file, "PNG")) {
            if (error) *error = QStringLiteral("can't write ") + file;
            return false;
        }
        return true;
    }
    stage(*window.content(), folder, scene);
    // Lets the layouts settle and the table fetch its rows before the grab.
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    QImage image = window.grab().toImage();
    if (scene == Scene::menus) drawOpenMenu(window, image);
    if (!image.save(file, "PNG")) {
        if (error) *error = QStringLiteral("can't write ") + file;
        return false;
    }
    return true;
}

}  // namespace tavix::ui
