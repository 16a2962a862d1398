// Presets in the window, in the store the terminal program reads and writes: a
// preset saved there is offered here, one saved here is listed there, and the
// store's refusals reach the user.
#include <QAction>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

#include "model/Presets.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/UiTest.hpp"
#include "ui/MainWindow.hpp"

using tavix::RenameRule;
using tavix::TavixModel;
using tavix::test::part;
using tavix::test::TemporaryFolder;
using tavix::test::whenShown;
using tavix::ui::MainWindow;
namespace Presets = tavix::Presets;

namespace {

// Types `name` into the name dialog and presses Return, as a user would.
void typeName(const QString& name) {
    whenShown<QInputDialog>([name](QInputDialog* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
    });
}

std::vector<RenameRule> stored(const std::string& name) {
    std::vector<RenameRule> rules;
    if (Presets::load(name, rules)) return {};
    return rules;
}

}  // namespace

class PresetMenuTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { tavix::test::useTestSettingsAndStyle(); }

    void init() {
        config_ = std::make_unique<TemporaryFolder>();
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config_->path().string()));
        window_ = std::make_unique<MainWindow>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        window_.reset();
        config_.reset();
    }

    // Saved by the other program after the window opened, chosen with the mouse.
    void aPresetSavedElsewhereIsOfferedAndReplacesTheStack() {
        auto* menu = part<QMenu>(window_.get(), "loadPresetMenu");
        menu->popup(window_->mapToGlobal(QPoint(10, 10)));
        QVERIFY(menu->findChild<QAction*>(QStringLiteral("noPresets")));
        menu->close();

        const std::vector<RenameRule> steps{RenameRule{tavix::CollapseSpaces{}},
                                            RenameRule{tavix::ChangeCase{{}}}};
        QVERIFY(!Presets::save("Tidy & Lower", steps, false));
        model().addStep();

        menu->popup(window_->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        auto* item = part<QAction>(menu, "preset:Tidy & Lower");
        QCOMPARE(item->text(), QStringLiteral("Tidy && Lower"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QCOMPARE(model().rules().size(), 2u);
        QCOMPARE(model().rules()[0].rule, steps[0]);
        QCOMPARE(model().rules()[1].rule, steps[1]);
        QCOMPARE(model().selection(), model().rules().front().id);
    }

    // Saved here, read by the store as the terminal's "presets list" reads it;
    // a name in use is replaced only once the user agrees.
    void savingAsksBeforeReplacing() {
        const auto first = RenameRule{tavix::CollapseSpaces{}};
        model().setRules({TavixModel::IdentifiedRule::make(first)});
        typeName(QStringLiteral("Holiday"));
        item("savePreset")->trigger();
        std::vector<std::string> names;
        QVERIFY(!Presets::list(names));
        QCOMPARE(names, std::vector<std::string>{"Holiday"});
        QCOMPARE(stored("Holiday"), std::vector<RenameRule>{first});

        const auto second = RenameRule{tavix::ChangeCase{{}}};
        model().setRules({TavixModel::IdentifiedRule::make(second)});
        for (const bool agree : {false, true}) {
            typeName(QStringLiteral("Holiday"));
            whenShown<QMessageBox>([agree](QMessageBox* box) {
                QCOMPARE(box->objectName(), QStringLiteral("replacePresetBox"));
                if (agree) {
                    for (QAbstractButton* button : box->buttons()) {
                        if (button->text() == QStringLiteral("Replace")) button->click();
                    }
                } else {
                    QTest::keyClick(box, Qt::Key_Escape);
                }
            });
            item("savePreset")->trigger();
            QCOMPARE(stored("Holiday"), std::vector<RenameRule>{agree ? second : first});
        }
    }

    // The store's rules, told in the store's words; nothing is written.
    void aRefusedNameSaysWhy() {
        QString said;
        typeName(QStringLiteral("Trips/2024"));
        whenShown<QMessageBox>([&said](QMessageBox* box) {
            said = box->informativeText();
            box->accept();
        });
        item("savePreset")->trigger();
        QVERIFY2(said.contains(QStringLiteral("can't name a preset")), qPrintable(said));
        std::vector<std::string> names;
        QVERIFY(!Presets::list(names));
        QVERIFY(names.empty());
    }

private:
    TavixModel& model() { return window_->model(); }
    QAction* item(const char* name) { return part<QAction>(window_.get(), name); }

    std::unique_ptr<TemporaryFolder> config_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(PresetMenuTest)
#include "PresetMenuTest.moc"
