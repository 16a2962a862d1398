#pragma once

#include <QSize>
#include <QString>
#include <optional>

namespace tavix::ui {

// The window states the screenshots for review show.
enum class Scene {
    empty,      // a fresh window: the drop box
    preview,    // sample files under a find-and-replace step, size and date columns on
    problems,   // a step that makes names clash, path column on, a row's tokens inspected
    inspector,  // the preview with a row selected and its tokens in the inspector
    menus,      // the preview with the Edit menu open over it
    presets,    // the preview with the Steps menu open and Load Preset beside it
    sorting,    // the preview with the Sort menu open
    renaming,   // 100,000 files a third of the way through their rename, its progress shown
    history,    // the preview with File ▸ History… open: batches done and undone
};

std::optional<Scene> sceneNamed(const QString& name);

// Renders the main window showing `scene` at `size` and writes it to `file` as a
// PNG. The sample files, and the journals of the renames a scene makes, are made
// in a temporary folder, removed afterwards. The
// application's style and palette are used as they are. Returns false, with the
// reason in `error`, when the image can't be written.
bool writeScreenshot(const QString& file, Scene scene, QSize size, QString* error);

}  // namespace tavix::ui
