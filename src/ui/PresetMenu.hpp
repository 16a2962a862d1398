#pragma once

#include <QObject>
#include <QString>

#include "model/TavixModel.hpp"

class QMenu;
class QWidget;

namespace tavix::ui {

// The Steps menu's items for whole stacks, in the preset store the terminal
// program shares:
//   Save Steps as Preset…  asks for a name; a name in use is replaced only after
//                          the user agrees, and a name the store refuses is
//                          refused with the store's reason.
//   Load Preset ▸          the saved presets, listed afresh each time the submenu
//                          opens; choosing one replaces the stack.
// Failures are shown in an alert over `window`; nothing is changed then.
class PresetMenu : public QObject {
    Q_OBJECT
public:
    PresetMenu(QMenu& steps, QWidget& window, TavixModel& model);

    // Asks for a name and saves the stack under it.
    void saveAs();
    // Replaces the stack with the preset `name`.
    void load(const QString& name);

private:
    void fillLoadMenu();
    void alert(const QString& title, const std::string& reason);

    QWidget& window_;
    TavixModel& model_;
    QMenu* load_ = nullptr;
};

}  // namespace tavix::ui
