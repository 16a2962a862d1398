#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QStyleFactory>
#include <QTest>
#include <QToolButton>

#include <cstdint>
#include <limits>

#include "rules/Catalogue.hpp"
#include "rules/RenameRule.hpp"
#include "ui/ActionForm.hpp"
#include "ui/Appearance.hpp"
#include "ui/WindowStyle.hpp"

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
    QStringList labels;
    const auto* grid = form.findChild<QWidget*>(QStringLiteral("parameterGrid"));
    for (const QLabel* label : grid->findChildren<QLabel*>(QStringLiteral("formLabel"))) {
        if (label->isVisibleTo(&form)) labels.append(label->text());
    }
    return labels;
}

template <class T = QWidget>
T* control(const ActionForm& form, const QString& label) {
    for (const QLabel* item : form.findChildren<QLabel*>(QStringLiteral("formLabel"))) {
        if (item->isVisibleTo(&form) && item->text() == label) {
            return qobject_cast<T*>(item->buddy());
        }
    }
    return nullptr;
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

    // On the dark palette an unchecked box stands out from the window: Fusion
    // alone draws its edge a shade darker than the background.
    void uncheckedChoicesShowOnADarkPalette() {
        tavix::ui::WindowStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
        const QPalette dark = tavix::ui::darkPalette();
        const QColor window = dark.color(QPalette::Window);
        QCheckBox box(QStringLiteral("Match case"));
        box.setStyle(&style);
        box.setPalette(dark);
        box.setAutoFillBackground(true);
        box.resize(box.sizeHint());
        const QImage image = box.grab().toImage();
        QStyleOptionButton option;
        option.initFrom(&box);
        const QRect indicator = style.subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
        int edge = 0;
        for (int x = indicator.left(); x <= indicator.right(); ++x) {
            if (image.pixelColor(x, indicator.top()).lightness() - window.lightness() > 40) ++edge;
        }
        QVERIFY(edge >= indicator.width() / 2);
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
        row("remove characters", "Characters", "", RuleAction::removeCharacters, {"Remove:"});
        row("insert", "Character Positions & Ranges", "Insert text at position",
            RuleAction::insertAt, {"Text:", "At position:"});
        row("truncate", "Truncation", "", RuleAction::truncate, {"Maximum:", "Keep the:"});
        row("date", "Date & Time", "", RuleAction::dateStamp,
            {"Format:", "Separator:", "Position:"});
        row("roman", "Roman Numerals", "", RuleAction::romanNumeral,
            {"Start with:", "Separator:", "Position:"});
        row("letters", "Alphabetical Sequences", "", RuleAction::letterSequence,
            {"Style:", "Separator:", "Position:"});
        row("remove text", "Text", "Remove text", RuleAction::removeText, {"Remove:"});
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

        auto* categories = form.findChild<QComboBox*>(QStringLiteral("categoryMenu"));
        auto* actions = form.findChild<QComboBox*>(QStringLiteral("actionMenu"));
        int choices = 0;
        if (category != categories->currentText()) {
            choose(categories, category);
            ++choices;
        }
        if (!action.isEmpty()) {
            choose(actions, action);
            ++choices;
        }

        const RenameRule wanted = tavix::blank(static_cast<RuleAction>(expected));
        QCOMPARE(form.rule(), wanted);
        QCOMPARE(edited.count(), choices);
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
        choose(form.findChild<QComboBox*>(QStringLiteral("categoryMenu")), QStringLiteral("Text"));
        choose(form.findChild<QComboBox*>(QStringLiteral("actionMenu")),
               QStringLiteral("Add text"));
        QCOMPARE(form.rule(), rule);
        QCOMPARE(edited.count(), 0);
    }

    void numberFieldsClampAndIgnoreWhatDoesNotParse_data() {
        QTest::addColumn<RenameRule>("rule");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<RenameRule>("stored");
        QTest::addColumn<QString>("shown");
        const RenameRule truncate = RenameRule::truncate(20, Position::suffix);
        const RenameRule sequence = RenameRule::sequence(1, 1, 2, Position::suffix, "-");
        QTest::newRow("maximum 0 stores 1")
            << truncate << "limitField"
            << "0" << RenameRule::truncate(1, Position::suffix) << "1";
        QTest::newRow("negative maximum stores 1")
            << truncate << "limitField"
            << "-7" << RenameRule::truncate(1, Position::suffix) << "1";
        QTest::newRow("grouped thousands parse")
            << truncate << "limitField"
            << "1,234" << RenameRule::truncate(1234, Position::suffix) << "1,234";
        QTest::newRow("thousands show grouped")
            << truncate << "limitField"
            << "5000" << RenameRule::truncate(5000, Position::suffix) << "5,000";
        QTest::newRow("the same number is no edit") << truncate << "limitField"
                                                    << "20" << truncate << "20";
        QTest::newRow("letters are not written") << truncate << "limitField"
                                                 << "12x" << truncate << "20";
        QTest::newRow("an empty field is not written") << truncate << "limitField"
                                                       << "" << truncate << "20";
        QTest::newRow("beyond 64 bits is not written")
            << truncate << "limitField"
            << "99999999999999999999" << truncate << "20";
        QTest::newRow("negative position stores 0") << RenameRule::insertAt("x", 3) << "offsetField"
                                                    << "-1" << RenameRule::insertAt("x", 0) << "0";
        QTest::newRow("negative start is kept")
            << sequence << "startField"
            << "-5" << RenameRule::sequence(-5, 1, 2, Position::suffix, "-") << "-5";
        QTest::newRow("padding 0 stores 1")
            << sequence << "paddingField"
            << "0" << RenameRule::sequence(1, 1, 1, Position::suffix, "-") << "1";
        QTest::newRow("step 0 stores 1")
            << RenameRule::sequence(1, 5, 2, Position::suffix, "-") << "stepField"
            << "0" << sequence << "1";
        QTest::newRow("negative crop stores 0")
            << RenameRule::crop(tavix::CropMode::keepLast, 4) << "countField"
            << "-3" << RenameRule::crop(tavix::CropMode::keepLast, 0) << "0";
        QTest::newRow("roman start 0 stores 1")
            << RenameRule::romanNumeral(5, Position::suffix, "-") << "startField"
            << "0" << RenameRule::romanNumeral(1, Position::suffix, "-") << "1";
    }

    void numberFieldsClampAndIgnoreWhatDoesNotParse() {
        QFETCH(RenameRule, rule);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(RenameRule, stored);
        QFETCH(QString, shown);
        ActionForm form;
        form.setRule(rule);
        QSignalSpy edited(&form, &ActionForm::ruleEdited);
        auto* edit = form.findChild<QLineEdit*>(field);
        QVERIFY(edit);
        typeAndCommit(edit, typed);
        QCOMPARE(form.rule(), stored);
        QCOMPARE(edited.count(), stored == rule ? 0 : 1);
        QCOMPARE(edit->text(), shown);
    }

    void steppersStopAtTheirFloor_data() {
        QTest::addColumn<RenameRule>("rule");
        QTest::addColumn<QString>("stepper");
        QTest::addColumn<QString>("arrow");
        QTest::addColumn<RenameRule>("stored");
        const auto sequence = [](std::int64_t start, std::int64_t padding) {
            return RenameRule::sequence(start, 1, padding, Position::suffix, "-");
        };
        QTest::newRow("padding 1 down keeps 1") << sequence(1, 1) << "paddingStepper"
                                                << "down" << sequence(1, 1);
        QTest::newRow("padding 1 up") << sequence(1, 1) << "paddingStepper"
                                      << "up" << sequence(1, 2);
        QTest::newRow("padding 0 up lifts to the floor") << sequence(1, 0) << "paddingStepper"
                                                         << "up" << sequence(1, 1);
        QTest::newRow("crop 0 down keeps 0")
            << RenameRule::crop(tavix::CropMode::removeFirst, 0) << "countStepper"
            << "down" << RenameRule::crop(tavix::CropMode::removeFirst, 0);
        QTest::newRow("maximum 1 down keeps 1")
            << RenameRule::truncate(1, Position::suffix) << "limitStepper"
            << "down" << RenameRule::truncate(1, Position::suffix);
        QTest::newRow("start goes negative") << sequence(0, 2) << "startStepper"
                                             << "down" << sequence(-1, 2);
        QTest::newRow("start at the largest number stays")
            << sequence(int64Max, 2) << "startStepper"
            << "up" << sequence(int64Max, 2);
    }

    void steppersStopAtTheirFloor() {
        QFETCH(RenameRule, rule);
        QFETCH(QString, stepper);
        QFETCH(QString, arrow);
        QFETCH(RenameRule, stored);
        ActionForm form;
        form.setRule(rule);
        QSignalSpy edited(&form, &ActionForm::ruleEdited);
        QToolButton* button = ::arrow(form, qPrintable(stepper), qPrintable(arrow));
        QVERIFY(button);
        // A switched-off arrow is clicked anyway, so a floor kept only by the
        // button's state would be caught.
        if (button->isEnabled()) {
            button->click();
        } else {
            Q_EMIT button->clicked();
        }
        const bool moved = !(stored == rule);
        QCOMPARE(form.rule(), stored);
        QCOMPARE(edited.count(), moved ? 1 : 0);
    }

    void romanStartShowsItsNumeral() {
        ActionForm form;
        form.setRule(RenameRule::romanNumeral(14, Position::suffix, "-"));
        const auto* numeral = form.findChild<QLabel*>(QStringLiteral("romanPreview"));
        QCOMPARE(numeral->text(), QStringLiteral("XIV"));
        typeAndCommit(control<QLineEdit>(form, QStringLiteral("Start with:")),
                      QStringLiteral("1,999"));
        QCOMPARE(numeral->text(), QStringLiteral("MCMXCIX"));
        form.setRule(RenameRule::romanNumeral(4, Position::suffix, "-"));
        QCOMPARE(numeral->text(), QStringLiteral("IV"));
    }

    // `from` names the end that is cut away.
    void keepingTheStartOfANameCutsItsEnd() {
        ActionForm form;
        form.setRule(RenameRule::truncate(8, Position::prefix));
        QVERIFY(button(form, QStringLiteral("End of the name"))->isChecked());
        QSignalSpy edited(&form, &ActionForm::ruleEdited);
        button(form, QStringLiteral("Start of the name"))->click();
        QCOMPARE(form.rule(), RenameRule::truncate(8, Position::suffix));
        button(form, QStringLiteral("End of the name"))->click();
        QCOMPARE(form.rule(), RenameRule::truncate(8, Position::prefix));
        QCOMPARE(edited.count(), 2);
        // A click on the option already chosen is no edit.
        button(form, QStringLiteral("End of the name"))->click();
        QCOMPARE(edited.count(), 2);
    }

    void customCharactersSurviveAnotherClass() {
        ActionForm form;
        form.setRule(tavix::blank(RuleAction::removeCharacters));
        QCOMPARE(shownLabels(form), QStringList{QStringLiteral("Remove:")});
        button(form, QStringLiteral("These characters\u2026"))->click();
        auto* custom = control<QLineEdit>(form, QStringLiteral("Characters:"));
        QVERIFY(custom);
        QCOMPARE(custom->placeholderText(), QStringLiteral("e.g. ()!#"));
        QTest::keyClicks(custom, QStringLiteral("()!"));
        QCOMPARE(form.rule(), RenameRule::removeCharacters(CharacterClass::custom, "()!"));

        button(form, QStringLiteral("Spaces"))->click();
        QCOMPARE(shownLabels(form), QStringList{QStringLiteral("Remove:")});
        // Even a rule handed back without the characters doesn't lose them.
        form.setRule(RenameRule::removeCharacters(CharacterClass::whitespace, ""));
        button(form, QStringLiteral("These characters\u2026"))->click();
        QCOMPARE(form.rule(), RenameRule::removeCharacters(CharacterClass::custom, "()!"));
        QCOMPARE(control<QLineEdit>(form, QStringLiteral("Characters:"))->text(),
                 QStringLiteral("()!"));
    }

    // Each keystroke and click is one whole rule, announced once.
    void everyEditIsOneSignalWithTheWholeRule() {
        ActionForm form;
        form.setRule(RenameRule::findReplace("a", "", false, false, tavix::Occurrences::all));
        QSignalSpy edited(&form, &ActionForm::ruleEdited);
        auto* find = control<QLineEdit>(form, QStringLiteral("Find:"));
        find->end(false);
        QTest::keyClick(find, Qt::Key_B);
        QCOMPARE(edited.count(), 1);
        QCOMPARE(edited.at(0).at(0).value<RenameRule>(),
                 RenameRule::findReplace("ab", "", false, false, tavix::Occurrences::all));
        button(form, QStringLiteral("Match case"))->click();
        QCOMPARE(edited.count(), 2);
        choose(control<QComboBox>(form, QStringLiteral("Replace:")), QStringLiteral("Last only"));
        QCOMPARE(edited.count(), 3);
        QCOMPARE(form.rule(),
                 RenameRule::findReplace("ab", "", false, true, tavix::Occurrences::last));
    }

    // The owner hands each edit straight back; the field being typed in must
    // not notice, and a number typed but not yet committed stays as typed.
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
