// The steps pane driven through its widgets: the form of the selected step
// (its kinds, numbers and texts), the placeholder, the list with plus and
// minus, drag reordering and the extension checkbox.
#include <cstdint>
#include <limits>
#include <memory>

#include "rules/Catalogue.hpp"
#include "rules/RuleCoding.hpp"
#include "support/UiTest.hpp"
#include "ui/ActionForm.hpp"
#include "ui/EditorPane.hpp"
#include "ui/StepListModel.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;

namespace {

// Picks an item by its title, as a click in the pop-up's list does.
void choose(QComboBox* menu, const QString& title) {
    const int index = menu->findText(title);
    QVERIFY2(index >= 0, qPrintable(title));
    menu->setCurrentIndex(index);
    Q_EMIT menu->activated(index);
}

// The list's rows as the user reads them, "1. summary", the selected one
// marked with "*".
QStringList rowsOf(QListView* list) {
    QStringList rows;
    QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        rows << index.data(StepListModel::NumberRole).toString() + QLatin1Char(' ') +
                    index.data().toString() +
                    (list->selectionModel()->isRowSelected(row) ? "*" : "");
    }
    return rows;
}

// The kind the form's menus show, and the kind of `rule`: "category > action".
QString shownKind(ActionForm& form) {
    return part<QComboBox>(&form, "categoryMenu")->currentText() + " > " +
           part<QComboBox>(&form, "actionMenu")->currentText();
}
QString kindOf(const RenameRule& rule) {
    return QString::fromUtf8(rawValue(rule.category())) + " > " +
           QString::fromUtf8(rawValue(rule.action()));
}

RenameRule prefix(const char* text) {
    return RenameRule{AddText{text, Position::prefix}};
}
QString summary(const char* text) {
    return QString::fromStdString(prefix(text).summary());
}

}  // namespace

class StepsPaneTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        useTestSettingsAndStyle();
        // A locale with a grouping separator, whatever the machine's is.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Every kind can be picked from the two menus, and starts from its blank
    // rule: nothing of the step shown is carried over, not even its texts. Its
    // form has a control for each parameter; picking the kind shown is no edit.
    void everyKindIsPickedWithAFormOfItsOwn() {
        for (const RuleAction action : allCases<RuleAction>()) {
            const RenameRule rule = blank(action);
            const QString title = QString::fromUtf8(rawValue(action));
            ActionForm form;
            form.setRule(action == RuleAction::findReplace
                             ? RenameRule{ParentFolder{Position::suffix, "_"}}
                             : RenameRule{FindReplace{"a", "b", true, true, Occurrences::last}});
            QCOMPARE(shownKind(form), kindOf(form.rule()));
            QSignalSpy edited(&form, &ActionForm::ruleEdited);
            auto* actions = part<QComboBox>(&form, "actionMenu");
            choose(part<QComboBox>(&form, "categoryMenu"), kindOf(rule).section(" > ", 0, 0));
            choose(actions, title);
            const qsizetype edits = edited.count();
            choose(actions, title);
            QCOMPARE(edited.count(), edits);
            QCOMPARE(edited.last().at(0).value<RenameRule>(), rule);
            QCOMPARE(form.rule(), rule);
            QCOMPARE(shownKind(form), kindOf(rule));
            const auto* grid = part<QWidget>(&form, "parameterGrid");
            const qsizetype controls = grid->findChildren<QLineEdit*>().size() +
                                       grid->findChildren<QCheckBox*>().size() +
                                       grid->findChildren<QRadioButton*>().size() +
                                       grid->findChildren<QComboBox*>().size();
            QVERIFY2(controls >= static_cast<qsizetype>(encodeRule(rule).front().size()),
                     qPrintable(title));
        }
    }

    // Each row types over a field and commits it, presses Up or Down in a
    // field or a stepper, or clicks a stepper's arrow, switched off or not, so
    // a floor kept only by the button's state is caught.
    // Each keystroke that leaves a number stores it; one that doesn't keeps the
    // last, and committing shows what is stored.
    void numbersAreClampedAndWhatDoesNotParseIsIgnored_data() {
        QTest::addColumn<RenameRule>("rule");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("input");
        QTest::addColumn<RenameRule>("stored");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const RenameRule& rule, const char* control,
                            const char* input, const RenameRule& stored, const char* shown = "") {
            QTest::newRow(name) << rule << QString::fromLatin1(control)
                                << QString::fromLatin1(input) << stored
                                << QString::fromLatin1(shown);
        };
        const auto truncate = [](std::int64_t n) {
            return RenameRule{Truncate{n, Position::suffix}};
        };
        const auto sequence = [](std::int64_t start, std::int64_t padding) {
            return RenameRule{Sequence{start, 1, padding, Position::suffix, "-"}};
        };
        row("maximum 0 stores 1", truncate(20), "limitField", "0", truncate(1), "1");
        row("grouped thousands parse", truncate(20), "limitField", "1,234", truncate(1234),
            "1,234");
        row("committing unchanged is no edit", truncate(20), "limitField", "", truncate(20), "20");
        row("beyond 64 bits keeps the last number", truncate(20), "limitField",
            "99999999999999999999", truncate(999999999999999999), "999,999,999,999,999,999");
        row("negative start is kept", sequence(1, 2), "startField", "-5", sequence(-5, 2), "-5");
        row("padding 1 down keeps 1", sequence(1, 1), "paddingStepper", "down", sequence(1, 1));
        row("Up in a field steps it", sequence(1, 2), "paddingField", "Up Up", sequence(1, 4), "4");
        row("Down on a stepper stops at 1", sequence(1, 2), "paddingStepper", "Down Down",
            sequence(1, 1));
        const RenameRule largest = sequence(std::numeric_limits<std::int64_t>::max(), 2);
        row("start at the largest number stays", largest, "startStepper", "up", largest);
    }

    void numbersAreClampedAndWhatDoesNotParseIsIgnored() {
        QFETCH(RenameRule, rule);
        QFETCH(QString, control);
        QFETCH(QString, input);
        QFETCH(RenameRule, stored);
        QFETCH(QString, shown);
        ActionForm form;
        form.setRule(rule);
        QSignalSpy edited(&form, &ActionForm::ruleEdited);
        auto* target = form.findChild<QWidget*>(control);
        auto* edit = qobject_cast<QLineEdit*>(target);
        if (input == "up" || input == "down") {
            Q_EMIT target->findChild<QToolButton*>(input)->clicked();
        } else if (input.startsWith("Up") || input.startsWith("Down")) {
            for (const QString& key : input.split(' ')) {
                QTest::keyClick(target, key == "Up" ? Qt::Key_Up : Qt::Key_Down);
            }
        } else {
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);  // typed over, then committed
            QTest::keyClicks(edit, input);
            QTest::keyClick(edit, Qt::Key_Return);
        }
        if (edit != nullptr) QCOMPARE(edit->text(), shown);
        QCOMPARE(form.rule(), stored);
        QCOMPARE(edited.isEmpty(), stored == rule);
    }

    // Dragging a step renumbers the list and keeps the selection; plus appends
    // a step and selects it, a click selects a step, an edit in the form
    // reaches the list, the checkbox follows the model both ways, and with no
    // step selected the placeholder stands in for the form.
    void theControlsDriveTheSteps() {
        TavixModel model;
        EditorPane pane(model);
        pane.resize(380, 520);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        model.setRules({TavixModel::IdentifiedRule::make(prefix("a-")),
                        TavixModel::IdentifiedRule::make(prefix("b-")),
                        TavixModel::IdentifiedRule::make(prefix("c-"))});
        model.setSelection(model.rules()[1].id);
        QListView* list = pane.list();
        QAbstractItemModel* rows = list->model();
        std::unique_ptr<QMimeData> last(rows->mimeData({rows->index(2, 0)}));
        // Dropped above the first row; the view must not delete the dragged row itself.
        QVERIFY(!rows->dropMimeData(last.get(), Qt::MoveAction, 0, 0, {}));
        QCOMPARE(rowsOf(list), (QStringList{"1. " + summary("c-"), "2. " + summary("a-"),
                                            "3. " + summary("b-") + "*"}));
        // Dropped below the rows: to the end.
        std::unique_ptr<QMimeData> first(rows->mimeData({rows->index(0, 0)}));
        rows->dropMimeData(first.get(), Qt::MoveAction, -1, -1, {});
        part<QToolButton>(&pane, "addStepButton")->click();
        const QString added = QString::fromStdString(model.rules().back().rule.summary());
        QCOMPARE(rowsOf(list), (QStringList{"1. " + summary("a-"), "2. " + summary("b-"),
                                            "3. " + summary("c-"), "4. " + added + "*"}));
        QCOMPARE(pane.form()->rule(), model.rules()[3].rule);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(rows->index(2, 0)).center());
        QCOMPARE(model.selection(), std::optional(model.rules()[2].id));
        QCOMPARE(pane.form()->rule(), prefix("c-"));
        Q_EMIT pane.form()->ruleEdited(prefix("new "));
        QCOMPARE(rowsOf(list)[2], "3. " + summary("new ") + "*");

        part<QCheckBox>(&pane, "keepExtension")->click();
        QVERIFY(!model.keepExtension());
        model.setKeepExtension(true);
        QCOMPARE(states(pane, {"keepExtension"}), QStringLiteral("keepExtension checked"));

        part<QToolButton>(&pane, "removeStepButton")->click();
        model.setSelection(Uuid::random());
        QCOMPARE(rowsOf(list),
                 (QStringList{"1. " + summary("a-"), "2. " + summary("b-"), "3. " + added}));
        QVERIFY(!pane.form()->isVisible());
        QCOMPARE(states(pane, {"stepsPlaceholder"}), QStringLiteral("stepsPlaceholder"));
    }
};

QTEST_MAIN(StepsPaneTest)
#include "StepsPaneTest.moc"
