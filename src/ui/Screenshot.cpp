// Touches the disk itself, outside the system layer, on purpose: the
// scenes are drawn from sample files made in a throwaway folder, and both the
// sample photos and the picture itself are written by Qt's image writers
// (QImage::save), which take a file name. None of it is the user's files, and
// none of it needs the system layer's guarantees (durable, exclusive, never
// replacing): the folder is removed once the picture is written.
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
#include <QToolButton>

#include "ui/ContentView.hpp"
#include "ui/HistoryDialog.hpp"
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

// A few batches for the history: another folder's files renamed, the sample
// files renamed and put back, then the other folder's files renamed once more.
// The list keeps the sample files under their first names.
void makeHistory(TavixModel& model, const QString& folder) {
    const std::vector<Location> listed = model.files();
    const QString other = QDir::cleanPath(folder + QStringLiteral("/../Porto 2023"));
    QDir().mkpath(other);
    std::vector<Location> porto;
    for (const char* name : {"DSC01877.JPG", "DSC01878.JPG", "DSC01893.JPG"}) {
        const QString path = other + QLatin1Char('/') + QLatin1String(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write("x");
        porto.emplace_back(QFile::encodeName(path).toStdString());
    }
    const Uuid step = model.rules().front().id;
    const auto list = [&](std::vector<Location> files) {
        model.clear();
        model.add(std::move(files));
    };
    const auto renameAll = [&](std::vector<Location> files, const char* find, const char* replace) {
        list(std::move(files));
        model.setRule(step, RenameRule{FindReplace{find, replace, false, false, Occurrences::all}});
        model.rename();
        return model.files();
    };
    porto = renameAll(porto, "DSC0", "Porto ");
    renameAll(listed, "IMG_", "Lisbon ");
    model.undo();
    renameAll(porto, "Porto ", "Porto-");
    list(listed);
    model.setRule(step, RenameRule{FindReplace{"IMG_", "Lisbon ", false, false, Occurrences::all}});
    model.setMessage(std::nullopt);
}

void stage(ContentView& content, const QString& folder, Scene scene) {
    TavixModel& model = content.model();
    if (scene == Scene::empty) return;

    std::vector<Location> files;
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
        model.setRule(step, RenameRule{FindReplace{"\\d+", "", true, false, Occurrences::all}});
        model.setShowPathColumn(true);
        inspect(0);
        return;
    }
    model.setRule(step, RenameRule{FindReplace{"IMG_", "Lisbon ", false, false, Occurrences::all}});
    model.setShowSizeColumn(true);
    model.setShowDateColumn(true);
    if (scene == Scene::presets) {
        // Saved in the temporary folder's own settings, not the user's.
        const auto saved = model.rules();
        const std::pair<const char*, RenameRule> presets[] = {
            {"Camera files to trip names",
             RenameRule{FindReplace{"IMG_", "Lisbon ", false, false, Occurrences::all}}},
            {"Tidy spaces", RenameRule{CollapseSpaces{}}},
            {"Change case", RenameRule{ChangeCase{{}}}},
        };
        for (const auto& [name, rule] : presets) {
            model.setRules({TavixModel::IdentifiedRule::make(rule)});
            model.savePreset(name, true);
        }
        model.setRules(saved);
    }
    if (scene == Scene::history) makeHistory(model, folder);
    if (scene == Scene::preview || scene == Scene::menus || scene == Scene::presets ||
        scene == Scene::sorting || scene == Scene::history) {
        model.setShowInspector(false);
        return;
    }
    inspect(1);
}

// Opens `menu` at `at` (global) and draws it into `image`: a menu is a window
// of its own, outside the window's grab. Returns where it was drawn.
QRect drawMenu(MainWindow& window, QImage& image, QMenu& menu, QPoint at) {
    menu.popup(at);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QImage drawn = menu.grab().toImage();
    // Where it was asked to be: a small virtual screen may have moved the menu.
    const QPoint where = window.mapFromGlobal(at);
    QPainter painter(&image);
    painter.drawImage(where, drawn);
    return {where, drawn.size() / drawn.devicePixelRatio()};
}

// The menu of the menu bar's `menu` opened under its title.
QRect drawBarMenu(MainWindow& window, QImage& image, QMenu& menu) {
    window.menus()->refresh();
    const QRect title = window.menuBar()->actionGeometry(menu.menuAction());
    return drawMenu(window, image, menu, window.menuBar()->mapToGlobal(title.bottomLeft()));
}

// Opens the Edit menu over the window, as with the Find field's text selected.
void drawEditMenu(MainWindow& window, QImage& image) {
    if (auto* find = window.findChild<QLineEdit*>(QStringLiteral("findField"))) {
        find->setFocus();
        find->selectAll();
    }
    drawBarMenu(window, image, *window.menus()->editMenu());
    window.menus()->editMenu()->close();
}

// The Steps menu with Load Preset open beside it, listing a few saved presets.
void drawPresetMenus(MainWindow& window, QImage& image) {
    QMenu& steps = *window.menus()->stepsMenu();
    const QRect drawn = drawBarMenu(window, image, steps);
    auto* load = steps.findChild<QMenu*>(QStringLiteral("loadPresetMenu"));
    const QRect item = steps.actionGeometry(load->menuAction());
    const QPoint at = window.mapToGlobal(drawn.topLeft() + QPoint(drawn.width() - 4, item.top()));
    drawMenu(window, image, *load, at);
    load->close();
    steps.close();
}

// The Sort menu opened from its button under the table.
void drawSortMenu(MainWindow& window, QImage& image) {
    auto* button = window.findChild<QToolButton*>(QStringLiteral("sortButton"));
    QMenu& menu = *button->menu();
    // Opened upwards and ending at the button's right edge, as the button sits in
    // the window's lower right corner.
    const QSize hint = menu.sizeHint();
    drawMenu(window, image, menu,
             button->mapToGlobal(QPoint(button->width() - hint.width(), -hint.height())));
    menu.close();
}

// Opens File ▸ History… over the window and draws it, centred, into `image`.
void drawHistory(MainWindow& window, QImage& image) {
    HistoryDialog* dialog = window.menus()->showHistory();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QImage drawn = dialog->grab().toImage();
    const QSize size = drawn.size() / drawn.devicePixelRatio();
    const QRect where(QPoint((window.width() - size.width()) / 2,
                             (window.height() - size.height()) / 2),
                      size);
    QPainter painter(&image);
    // Offscreen, a dialog has no frame of its own: a shadow and an edge set it off.
    painter.fillRect(where.translated(3, 3), QColor(0, 0, 0, 60));
    painter.drawImage(where.topLeft(), drawn);
    painter.setPen(dialog->palette().color(QPalette::Shadow));
    painter.drawRect(where.adjusted(-1, -1, 0, 0));
    dialog->close();
}

// Makes 100,000 camera files, lists them under a find-and-replace step, and
// renames them, drawing the window once a third of them have moved (or, when
// the rename tells only its start, as soon as its progress shows).
bool grabMidRename(MainWindow& window, const QString& folder, QImage& image, QString& error) {
    constexpr int count = 100'000;
    std::vector<Location> files;
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
                  RenameRule{FindReplace{"IMG_", "Lisbon ", false, false, Occurrences::all}});
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
    if (name == QLatin1String("presets")) return Scene::presets;
    if (name == QLatin1String("sorting")) return Scene::sorting;
    if (name == QLatin1String("history")) return Scene::history;
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

    // Presets go into the temporary folder, never the user's settings.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(temporary.path() + QStringLiteral("/config")));
    MainWindow window;
    // The journals of the scenes' renames go there too, never into the user's history.
    window.model().setStateFolder(QFile::encodeName(temporary.path() + QStringLiteral("/state")).toStdString());
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
    if (scene == Scene::menus) drawEditMenu(window, image);
    if (scene == Scene::presets) drawPresetMenus(window, image);
    if (scene == Scene::sorting) drawSortMenu(window, image);
    if (scene == Scene::history) drawHistory(window, image);
    if (!image.save(file, "PNG")) {
        if (error) *error = QStringLiteral("can't write ") + file;
        return false;
    }
    return true;
}

}  // namespace tavix::ui
