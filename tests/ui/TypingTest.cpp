// The step form's number fields driven by the keyboard in a whole window: what
// is typed counts at once, whatever command comes next.
#include <QLineEdit>

#include "support/Files.hpp"
#include "support/UiTest.hpp"
#include "ui/MainWindow.hpp"
#include "ui/Stepper.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;
using Names = std::vector<std::string>;

namespace {

// The number field a label names, or the one with this object name.
QLineEdit* field(const QWidget& root, const QString& label) {
    if (auto* named = root.findChild<QLineEdit*>(label)) return named;
    return tavix::test::labelled<QLineEdit>(root, "formLabel", label);
}

}  // namespace

class TypingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        tavix::test::useTestSettingsAndStyle();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Typed over, never committed with Return: Ctrl+Return renames with what
    // the field shows. A text that isn't a number yet keeps the last one.
    void ctrlReturnRenamesWithWhatIsTyped_data() {
        QTest::addColumn<RenameRule>("rule");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Names>("renamed");
        const RenameRule sequence = RenameRule{tavix::Sequence{1, 1, 2, Position::suffix, "-"}};
        QTest::newRow("start with") << sequence << "Start with:" << "50"
                                    << Names{"IMG_0041-50.jpg", "IMG_0042-51.jpg"};
        QTest::newRow("a lone minus keeps the start")
            << sequence << "Start with:" << "-" << Names{"IMG_0041-01.jpg", "IMG_0042-02.jpg"};
        QTest::newRow("step value") << sequence << "stepField" << "5"
                                    << Names{"IMG_0041-01.jpg", "IMG_0042-06.jpg"};
        QTest::newRow("padding") << sequence << "Padding:" << "3"
                                 << Names{"IMG_0041-001.jpg", "IMG_0042-002.jpg"};
        QTest::newRow("characters")
            << RenameRule{tavix::Crop{CropMode::removeFirst, 1}} << "Characters:"
            << "4" << Names{"0041.jpg", "0042.jpg"};
        QTest::newRow("at position") << RenameRule{tavix::InsertAt{"x", 0}} << "At position:"
                                     << "3" << Names{"IMGx_0041.jpg", "IMGx_0042.jpg"};
        QTest::newRow("maximum") << RenameRule{tavix::Truncate{20, Position::prefix}} << "Maximum:"
                                 << "2" << Names{"41.jpg", "42.jpg"};
        QTest::newRow("roman start")
            << RenameRule{tavix::RomanNumeral{1, Position::suffix, "-"}} << "Start with:"
            << "14" << Names{"IMG_0041-XIV.jpg", "IMG_0042-XV.jpg"};
    }

    void ctrlReturnRenamesWithWhatIsTyped() {
        QFETCH(RenameRule, rule);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(Names, renamed);
        TemporaryFolder box;
        MainWindow window;
        window.model().add({box.write("IMG_0041.jpg"), box.write("IMG_0042.jpg")});
        tavix::test::setFirstStep(window.model(), rule);
        QVERIFY(tavix::test::showActive(window));

        QLineEdit* edit = ::field(window, field);
        QVERIFY(edit != nullptr);
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, typed);
        QTest::keyClick(window.windowHandle(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(tavix::test::namesIn(box.path()), renamed);
        QCOMPARE(edit->text(), typed);
    }

    // Up and Down step a field; Tab goes on to its stepper, whose keys step too;
    // neither goes below the floor.
    void arrowKeysStepTheFieldAndItsStepper() {
        MainWindow window;
        tavix::test::setFirstStep(window.model(),
                                  RenameRule{tavix::Sequence{1, 1, 2, Position::suffix, "-"}});
        QVERIFY(tavix::test::showActive(window));
        const auto padding = [&] {
            return std::get<tavix::Sequence>(window.model().rules().front().rule.kind).padding;
        };
        QLineEdit* edit = field(window, QStringLiteral("Padding:"));
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(edit, Qt::Key_Up);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(padding(), 4);
        QCOMPARE(edit->text(), QStringLiteral("4"));
        QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
        auto* stepper = tavix::test::part<tavix::ui::Stepper>(&window, "paddingStepper");
        QVERIFY(stepper->hasFocus());
        for (int i = 0; i < 5; ++i) QTest::keyClick(stepper, Qt::Key_Down);
        QCOMPARE(padding(), 1);
        QCOMPARE(edit->text(), QStringLiteral("1"));
    }
};

QTEST_MAIN(TypingTest)
#include "TypingTest.moc"
