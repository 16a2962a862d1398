#include "ui/PresetMenu.hpp"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "model/Presets.hpp"

namespace tavix::ui {

PresetMenu::PresetMenu(QMenu& steps, QWidget& window, TavixModel& model)
    : QObject(&steps), window_(window), model_(model) {
    setObjectName(QStringLiteral("presetMenu"));
    QAction* save =
        steps.addAction(QStringLiteral("&Save Steps as Preset\u2026"), this, &PresetMenu::saveAs);
    save->setObjectName(QStringLiteral("savePreset"));
    load_ = steps.addMenu(QStringLiteral("&Load Preset"));
    load_->setObjectName(QStringLiteral("loadPresetMenu"));
    load_->menuAction()->setObjectName(QStringLiteral("loadPreset"));
    // Another program may have saved or deleted presets since it was last opened.
    connect(load_, &QMenu::aboutToShow, this, &PresetMenu::fillLoadMenu);
    fillLoadMenu();
}

void PresetMenu::fillLoadMenu() {
    load_->clear();
    const std::vector<std::string> names = model_.presetNames();
    if (names.empty()) {
        QAction* none = load_->addAction(QStringLiteral("No Saved Presets"));
        none->setObjectName(QStringLiteral("noPresets"));
        none->setEnabled(false);
        return;
    }
    for (const std::string& name : names) {
        const QString shown = QString::fromStdString(name);
        // The name as a menu shows it: "&" would otherwise mark a mnemonic.
        QString text = shown;
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = load_->addAction(text, this, [this, shown] { load(shown); });
        item->setObjectName(QStringLiteral("preset:") + shown);
    }
}

void PresetMenu::saveAs() {
    QInputDialog dialog(&window_);
    dialog.setObjectName(QStringLiteral("presetNameDialog"));
    dialog.setWindowTitle(QStringLiteral("Save Steps as Preset"));
    dialog.setLabelText(QStringLiteral("Preset name:"));
    dialog.setOkButtonText(QStringLiteral("Save"));
    if (dialog.exec() != QDialog::Accepted) return;
    const std::string name = dialog.textValue().toStdString();

    auto error = model_.savePreset(name, false);
    if (error && error->kind == Presets::Error::Kind::exists) {
        QMessageBox ask(QMessageBox::Question, QStringLiteral("Replace Preset"),
                        QStringLiteral("A preset named \u201C%1\u201D exists already. Replace it?")
                            .arg(dialog.textValue()),
                        QMessageBox::Cancel, &window_);
        ask.setObjectName(QStringLiteral("replacePresetBox"));
        QPushButton* replace = ask.addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
        ask.setDefaultButton(QMessageBox::Cancel);
        ask.exec();
        if (ask.clickedButton() != static_cast<QAbstractButton*>(replace)) return;
        error = model_.savePreset(name, true);
    }
    if (error) alert(QStringLiteral("The preset couldn\u2019t be saved."), Presets::message(*error, name));
}

void PresetMenu::load(const QString& name) {
    const std::string stored = name.toStdString();
    if (auto error = model_.loadPreset(stored)) {
        alert(QStringLiteral("The preset couldn\u2019t be loaded."), Presets::message(*error, stored));
    }
}

void PresetMenu::alert(const QString& title, const std::string& reason) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tavix"), title, QMessageBox::Ok, &window_);
    box.setObjectName(QStringLiteral("presetAlert"));
    QString text = QString::fromStdString(reason);
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    box.setInformativeText(text);
    box.exec();
}

}  // namespace tavix::ui
