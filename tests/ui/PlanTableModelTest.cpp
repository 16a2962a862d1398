// The table model over the plan, checked by Qt's model tester on every change.
#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include "UiTestFiles.hpp"
#include "support/TemporaryFolder.hpp"
#include "model/TavixModel.hpp"
#include "ui/Appearance.hpp"
#include "ui/PlanTableModel.hpp"

using tavix::RenameRule;
using tavix::TavixModel;
using tavix::ui::PlanTableModel;
using tavix::uitest::Path;
using tavix::testing::TemporaryFolder;

namespace {

void replace(TavixModel& model, const std::string& find, const std::string& with) {
    model.setRule(model.rules().front().id,
                  RenameRule::findReplace(find, with, false, false, tavix::Occurrences::all));
}

}  // namespace

class PlanTableModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        model_ = std::make_unique<TavixModel>();
        table_ = std::make_unique<PlanTableModel>(*model_);
        tester_ = std::make_unique<QAbstractItemModelTester>(
            table_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void cleanup() {
        tester_.reset();
        table_.reset();
        model_.reset();
    }

    void oneRowPerItemInPlanOrder() {
        TemporaryFolder box;
        QSignalSpy resets(table_.get(), &QAbstractItemModel::modelReset);
        model_->add({box.write("b.txt"), box.write("sub/a.txt")});
        QCOMPARE(resets.count(), 1);
        QCOMPARE(table_->rowCount(), 2);
        QCOMPARE(table_->index(0, PlanTableModel::currentName).data().toString(),
                 QStringLiteral("b.txt"));
        QCOMPARE(table_->index(1, PlanTableModel::currentName).data().toString(),
                 QStringLiteral("a.txt"));
        QCOMPARE(table_->rowOf(model_->plan().items[1].id), 1);

        replace(*model_, "b", "c");
        QCOMPARE(resets.count(), 2);
        QCOMPARE(table_->index(0, PlanTableModel::changeTo).data().toString(),
                 QStringLiteral("c.txt"));
        // A changed name in the text colour; an unchanged one, and the current
        // names, in the secondary colour.
        const auto colour = [this](int row, int column) {
            return table_->index(row, column).data(Qt::ForegroundRole).value<QColor>();
        };
        const QPalette palette = QGuiApplication::palette();
        QCOMPARE(colour(0, PlanTableModel::changeTo), palette.color(QPalette::Text));
        QCOMPARE(colour(1, PlanTableModel::changeTo), palette.color(QPalette::PlaceholderText));
        QCOMPARE(colour(0, PlanTableModel::currentName), palette.color(QPalette::PlaceholderText));

        // Toggles other than the highlight leave the rows alone.
        QSignalSpy changes(table_.get(), &QAbstractItemModel::dataChanged);
        model_->setShowPathColumn(true);
        model_->setMessage("Renamed 1 file.");
        QCOMPARE(resets.count(), 2);
        QCOMPARE(changes.count(), 0);
    }

    void sizeAndDateAreReadAtEachAsk() {
        TemporaryFolder box;
        const Path file = box.write("a.txt", "12345");
        model_->add({file});
        const QModelIndex size = table_->index(0, PlanTableModel::size);
        QCOMPARE(size.data().toString(), QStringLiteral("5 bytes"));
        box.write("a.txt", std::string(2000, 'x'));
        QCOMPARE(size.data().toString(), QStringLiteral("2 kB"));
        std::filesystem::remove(file);
        QCOMPARE(size.data().toString(), QStringLiteral("\u2014"));
    }

    void problemRowsCarryTheMessage() {
        TemporaryFolder box;
        model_->add({box.write("one/photo.jpg"), box.write("two/photo.jpg")});
        const QModelIndex clash = table_->index(1, PlanTableModel::changeTo);
        QVERIFY(clash.data(PlanTableModel::ProblemRole).toBool());
        QCOMPARE(clash.data().toString(), QStringLiteral("Two files would share this name"));
        QCOMPARE(clash.data(Qt::ForegroundRole).value<QColor>(),
                 tavix::ui::color(tavix::ui::Tone::orange, QGuiApplication::palette()));
        QVERIFY(!clash.data(PlanTableModel::MarkedSegmentsRole).isValid());
    }

    void markedSegmentsAreInTheViewsUnits() {
        TemporaryFolder box;
        // Characters outside the basic plane take two UTF-16 units and four bytes.
        model_->add({box.write("\U0001F600-1 caf\u00E9.txt")});
        replace(*model_, "-", "-\u2713\U0001F680");
        QCOMPARE(table_->index(0, PlanTableModel::changeTo)
                     .data(PlanTableModel::MarkedSegmentsRole)
                     .toStringList(),
                 (QStringList{QStringLiteral("\U0001F600-"), QStringLiteral("\u2713\U0001F680"),
                              QStringLiteral("1 caf\u00E9.txt")}));
    }

    void aReplacedPlanIsNotReadBeforeItIsAnnounced() {
        TemporaryFolder box;
        model_->add({box.write("a.txt"), box.write("b.txt"), box.write("c.txt")});
        // The files are told of before the plan: a view asking then still sees the
        // old row count, and rows the new plan lacks answer nothing.
        int seenRows = -1;
        QVariant lastRow{QStringLiteral("unset")};
        const auto subscription = model_->observe([&](TavixModel::Field field) {
            if (field != TavixModel::Field::files) return;
            seenRows = table_->rowCount();
            lastRow = table_->index(2, PlanTableModel::currentName).data();
        });
        model_->remove({1, 2});
        QCOMPARE(seenRows, 3);
        QVERIFY(!lastRow.isValid());
        QCOMPARE(table_->rowCount(), 1);
    }

private:
    std::unique_ptr<TavixModel> model_;
    std::unique_ptr<PlanTableModel> table_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

QTEST_MAIN(PlanTableModelTest)
#include "PlanTableModelTest.moc"
