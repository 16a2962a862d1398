// The table model over the plan, checked by Qt's model tester on every change.
#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QSignalSpy>

#include "support/UiTest.hpp"
#include "ui/Appearance.hpp"
#include "ui/PlanTableModel.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;

namespace {

void replace(TavixModel& model, const std::string& find, const std::string& with) {
    model.setRule(
        model.rules().front().id,
        RenameRule{tavix::FindReplace{find, with, false, false, tavix::Occurrences::all}});
}

// The table over a model, checked by Qt's model tester on every change.
struct Fixture {
    TavixModel model;
    PlanTableModel table{model};
    QAbstractItemModelTester tester{&table, QAbstractItemModelTester::FailureReportingMode::QtTest};
};

}  // namespace

class PlanTableModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void oneRowPerItemInPlanOrder() {
        TemporaryFolder box;
        Fixture f;
        QSignalSpy resets(&f.table, &QAbstractItemModel::modelReset);
        f.model.add({box.write("b.txt"), box.write("sub/a.txt")});
        QCOMPARE(resets.count(), 1);
        QCOMPARE(f.table.index(1, PlanTableModel::currentName).data().toString(),
                 QStringLiteral("a.txt"));
        QCOMPARE(f.table.rowOf(f.model.plan().items[1].id), 1);

        replace(f.model, "b", "c");
        QCOMPARE(resets.count(), 2);
        QCOMPARE(f.table.index(0, PlanTableModel::changeTo).data().toString(),
                 QStringLiteral("c.txt"));
        // A changed name in the text colour, an unchanged one in the secondary colour.
        const auto colour = [&f](int row) {
            return f.table.index(row, PlanTableModel::changeTo).data(Qt::ForegroundRole);
        };
        QCOMPARE(colour(0).value<QColor>(), QGuiApplication::palette().color(QPalette::Text));
        QCOMPARE(colour(1).value<QColor>(),
                 QGuiApplication::palette().color(QPalette::PlaceholderText));
    }

    void problemRowsAreMarkedInOrange() {
        TemporaryFolder box;
        Fixture f;
        f.model.add({box.write("one/photo.jpg"), box.write("two/photo.jpg")});
        const QModelIndex clash = f.table.index(1, PlanTableModel::changeTo);
        QVERIFY(clash.data(PlanTableModel::ProblemRole).toBool());
        QCOMPARE(clash.data(Qt::ForegroundRole).value<QColor>(),
                 tavix::ui::color(tavix::ui::Tone::orange, QGuiApplication::palette()));
        QVERIFY(!clash.data(PlanTableModel::MarkedSegmentsRole).isValid());
    }

    void aReplacedPlanIsNotReadBeforeItIsAnnounced() {
        TemporaryFolder box;
        Fixture f;
        f.model.add({box.write("a.txt"), box.write("b.txt"), box.write("c.txt")});
        // The files are told of before the plan: a view asking then still sees the
        // old row count, and rows the new plan lacks answer nothing.
        int seenRows = -1;
        QVariant lastRow{QStringLiteral("unset")};
        const auto subscription = f.model.observe([&](TavixModel::Field field) {
            if (field != TavixModel::Field::files) return;
            seenRows = f.table.rowCount();
            lastRow = f.table.index(2, PlanTableModel::currentName).data();
        });
        f.model.remove({1, 2});
        QCOMPARE(seenRows, 3);
        QVERIFY(!lastRow.isValid());
        QCOMPARE(f.table.rowCount(), 1);
    }
};

QTEST_MAIN(PlanTableModelTest)
#include "PlanTableModelTest.moc"
