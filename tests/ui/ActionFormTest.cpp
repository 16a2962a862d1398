#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTest>
#include <QToolButton>

#include <cstdint>
#include <limits>

#include "UiTestFiles.hpp"
#include "rules/Catalogue.hpp"
#include "rules/RenameRule.hpp"
#include "ui/ActionForm.hpp"

using tavix::CharacterClass;
using tavix::Position;
using tavix::RenameRule;
using tavix::RuleAction;
using tavix::ui::ActionForm;

namespace tavix {
// Lets QCOMPARE print the rules it compares.
char* toString(const RenameRule& rule) {
    return qstrdup(rule.id().c_str());
}
}  // namespace tavix

namespace {

// The visible labels of the parameter grid, top to bottom.
QStringList shownLabels(const ActionForm& form) {
    const auto* grid = form.findChild<QWidget*>(QStringLiteral("parameterGrid"));
    QStringList labels;
    for (const QLabel* label : tavix::uitest::shownLabels(*grid, "formLabel")) {
        labels.append(label->text());
    }
    return labels;
}

template <class T>
T* control(const ActionForm& form, const QString& label) {
    return tavix::uitest::labelled<T>(form, "formLabel", label);
}

QAbstractButton* button(const ActionForm& form, const QString& title) {
    for (QAbstractButton* item : form.findChildren<QAbstractButton*>()) {
        if (item->isVisibleTo(&form) && item->text() == title) return item;
    }
    return nullptr;
}

// Picks an item by its title, as a click in the pop-up's list does.
void choose(QComboBox* menu, const QString& title) {
    const int index = menu->findText(title);
    QVERIFY2(index >= 0, qPrintable(title));
    menu->setCurrentIndex(index);
    Q_EMIT menu->activated(index);
}

// Replaces the field's text by typing, then commits it with Return.
void typeAndCommit(QLineEdit* field, const QString& text) {
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

QToolButton* arrow(const ActionForm& form, const char* stepper, const char* which) {
    const auto* box = form.findChild<QWidget*>(QString::fromLatin1(stepper));
    return box ? box->findChild<QToolButton*>(QString::fromLatin1(which)) : nullptr;
}

constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();

}  // namespace

class ActionFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        // A locale with a grouping separator, whatever the machine's is.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void choosingAKindStartsFromItsBlankRule_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("labels");
        const auto row = [](const char* name, const char* category, const char* action,
                            RuleAction expected, QStringList labels) {
            QTest::newRow(name) << QString::fromUtf8(category) << QString::fromUtf8(action)
                                << static_cast<int>(expected) << labels;
        };
        row("numbering", "Sequence Numbers", "", RuleAction::sequence,
            {"Start with:", "Padding:", "Separator:", "Position:"});
        row("collapse spaces", "Characters", "Collapse repeated spaces", RuleAction::collapseSpaces,
            {});
        row("insert", "Character Positions & Ranges", "Insert text at position",
            RuleAction::insertAt, {"Text:", "At position:"});
    }

    // Nothing of the old step is carried over, not even its texts.
    void choosingAKindStartsFromItsBlankRule() {
        QFETCH(QString, category);
        QFETCH(QString, action);
        QFETCH(int, expected);
        QFETCH(QStringList, labels);
        ActionForm form;
        form.setRule(RenameRule::parentFolder(Position::suffix, "_"));
        form.setRule(RenameRule::findReplace("a", "b", true, true, tavix::Occurrences::last));
        QSignalSpy edited(&form, &ActionForm::ruleEdited);

        auto* actions = form.findChild<QComboBox*>(QStringLiteral("actionMenu"));
        choose(form.findChild<QComboBox*>(QStringLiteral("categoryMenu")), category);
        if (!action.isEmpty()) choose(actions, action);
        const RenameRule wanted = tavix::blank(static_cast<RuleAction>(expected));
        QCOMPARE(form.rule(), wanted);
        QCOMPARE(edited.last().at(0).value<RenameRule>(), wanted);
        QCOMPARE(shownLabels(form), labels);
        QCOMPARE(actions->currentText(), QString::fromUtf8(rawValue(wanted.action())));
    }

    // Choosing the kind already shown is no edit: the step keeps its texts.
    void choosingTheShownKindAgainKeepsTheStep() {
        ActionForm form;
        const RenameRule rule = RenameRule::addText("keep", Position::suffix);
        form.setRule(rule);
        QSignalSpy edited(&form, &ActionForm::ruleEdited);
        auto* actions = form.findChild<QComboBox*>(QStringLiteral("actionMenu"));
        choose(actions, QStringLiteral("Add text"));
        QCOMPARE(form.rule(), rule);
        QCOMPARE(edited.count(), 0);
    }

    // Each row types into a field and commits it, or clicks a stepper's arrow;
    // a switched-off arrow is clicked anyway, so a floor kept only by the
    // button's state would be caught.
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
        const auto truncate = [](std::int64_t n) { return RenameRule::truncate(n, Position::suffix); };
        const auto sequence = [](std::int64_t start, std::int64_t padding) {
            return RenameRule::sequence(start, 1, padding, Position::suffix, "-");
        };
        const RenameRule crop = RenameRule::crop(tavix::CropMode::removeFirst, 0);
        row("maximum 0 stores 1", truncate(20), "limitField", "0", truncate(1), "1");
        row("grouped thousands parse", truncate(20), "limitField", "1,234", truncate(1234), "1,234");
        row("thousands show grouped", truncate(20), "limitField", "5000", truncate(5000), "5,000");
        row("the same number is no edit", truncate(20), "limitField", "20", truncate(20), "20");
        row("letters are not written", truncate(20), "limitField", "12x", truncate(20), "20");
        row("beyond 64 bits is not written", truncate(20), "limitField", "99999999999999999999",
            truncate(20), "20");
        row("negative position stores 0", RenameRule::insertAt("x", 3), "offsetField", "-1",
            RenameRule::insertAt("x", 0), "0");
        row("negative start is kept", sequence(1, 2), "startField", "-5", sequence(-5, 2), "-5");
        row("padding 1 down keeps 1", sequence(1, 1), "paddingStepper", "down", sequence(1, 1));
        row("padding 1 up", sequence(1, 1), "paddingStepper", "up", sequence(1, 2));
        row("crop 0 down keeps 0", crop, "countStepper", "down", crop);
        row("start at the largest number stays", sequence(int64Max, 2), "startStepper", "up",
            sequence(int64Max, 2));
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
        if (control.endsWith(QLatin1String("Stepper"))) {
            QToolButton* button = arrow(form, qPrintable(control), qPrintable(input));
            QVERIFY(button);
            if (button->isEnabled()) {
                button->click();
            } else {
                Q_EMIT button->clicked();
            }
        } else {
            auto* edit = form.findChild<QLineEdit*>(control);
            QVERIFY(edit);
            typeAndCommit(edit, input);
            QCOMPARE(edit->text(), shown);
        }
        QCOMPARE(form.rule(), stored);
        QCOMPARE(edited.count(), stored == rule ? 0 : 1);
    }

    // `from` names the end that is cut away; the option already chosen is no edit.
    void keepingTheStartOfANameCutsItsEnd() {
        ActionForm form;
        form.setRule(RenameRule::truncate(8, Position::prefix));
        QSignalSpy edited(&form, &ActionForm::ruleEdited);
        for (int click = 0; click < 2; ++click) {
            button(form, QStringLiteral("Start of the name"))->click();
        }
        QCOMPARE(form.rule(), RenameRule::truncate(8, Position::suffix));
        QCOMPARE(edited.count(), 1);
    }

    void customCharactersSurviveAnotherClass() {
        ActionForm form;
        form.setRule(tavix::blank(RuleAction::removeCharacters));
        button(form, QStringLiteral("These characters\u2026"))->click();
        auto* custom = control<QLineEdit>(form, QStringLiteral("Characters:"));
        QVERIFY(custom);
        QTest::keyClicks(custom, QStringLiteral("()!"));
        QCOMPARE(form.rule(), RenameRule::removeCharacters(CharacterClass::custom, "()!"));

        button(form, QStringLiteral("Spaces"))->click();
        // Even a rule handed back without the characters doesn't lose them.
        form.setRule(RenameRule::removeCharacters(CharacterClass::whitespace, ""));
        button(form, QStringLiteral("These characters\u2026"))->click();
        QCOMPARE(form.rule(), RenameRule::removeCharacters(CharacterClass::custom, "()!"));
        QCOMPARE(control<QLineEdit>(form, QStringLiteral("Characters:"))->text(),
                 QStringLiteral("()!"));
    }

    // Each keystroke is one whole rule, announced once. The owner hands each
    // edit straight back; the field being typed in must not notice, and a
    // number typed but not yet committed stays as typed.
    void handingBackTheSameRuleChangesNothing() {
        ActionForm form;
        form.setRule(RenameRule::insertAt("abcd", 3));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy edited(&form, &ActionForm::ruleEdited);
        connect(&form, &ActionForm::ruleEdited, &form, &ActionForm::setRule);

        auto* text = control<QLineEdit>(form, QStringLiteral("Text:"));
        text->setFocus();
        text->setCursorPosition(2);
        QTest::keyClick(text, Qt::Key_X);
        QCOMPARE(edited.count(), 1);
        QCOMPARE(edited.at(0).at(0).value<RenameRule>(), RenameRule::insertAt("abxcd", 3));
        QCOMPARE(text->text(), QStringLiteral("abxcd"));
        QCOMPARE(text->cursorPosition(), 3);
        QVERIFY(text->hasFocus());

        auto* offset = control<QLineEdit>(form, QStringLiteral("At position:"));
        QTest::keyClicks(offset, QStringLiteral("9"));
        form.setRule(form.rule());
        QCOMPARE(offset->text(), QStringLiteral("39"));
        QCOMPARE(edited.count(), 1);

        // Another rule of the same kind updates the fields that differ.
        form.setRule(RenameRule::insertAt("abxcd", 5));
        QCOMPARE(offset->text(), QStringLiteral("5"));
        QCOMPARE(text->cursorPosition(), 3);
        QCOMPARE(edited.count(), 1);
    }
};

QTEST_MAIN(ActionFormTest)
#include "ActionFormTest.moc"
