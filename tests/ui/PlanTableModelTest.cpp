// The table model over the plan, checked by Qt's model tester on every change.
#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include "UiTestFiles.hpp"
#include "model/FileInfo.hpp"
#include "model/TavixModel.hpp"
#include "ui/Appearance.hpp"
#include "ui/PlanTableModel.hpp"

using tavix::RenameRule;
using tavix::TavixModel;
using tavix::ui::PlanTableModel;
using tavix::uitest::Path;
using tavix::uitest::Sandbox;

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

    void columnTitles() {
        QCOMPARE(table_->columnCount(), 5);
        const QStringList expected{"Current Name", "Change to", "Size", "Date Modified", "Path"};
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(table_->headerData(column, Qt::Horizontal).toString(), expected[column]);
        }
    }

    void oneRowPerItemInPlanOrder() {
        Sandbox box;
        QSignalSpy resets(table_.get(), &QAbstractItemModel::modelReset);
        model_->add({box.file("b.txt"), box.file("sub/a.txt")});
        QCOMPARE(resets.count(), 1);
        QCOMPARE(table_->rowCount(), 2);
        QCOMPARE(table_->index(0, PlanTableModel::currentName).data().toString(),
                 QStringLiteral("b.txt"));
        QCOMPARE(table_->index(1, PlanTableModel::currentName).data().toString(),
                 QStringLiteral("a.txt"));
        QCOMPARE(table_->index(1, PlanTableModel::path).data().toString(),
                 QString::fromStdString((box.root() / "sub").string()));
        QCOMPARE(table_->item(1)->id, model_->plan().items[1].id);
        QCOMPARE(table_->rowOf(model_->plan().items[1].id), 1);

        replace(*model_, "b", "c");
        QCOMPARE(resets.count(), 2);
        QCOMPARE(table_->index(0, PlanTableModel::changeTo).data().toString(),
                 QStringLiteral("c.txt"));
        QVERIFY(
            table_->index(0, PlanTableModel::changeTo).data(PlanTableModel::ChangedRole).toBool());
        QVERIFY(
            !table_->index(1, PlanTableModel::changeTo).data(PlanTableModel::ChangedRole).toBool());

        model_->clear();
        QCOMPARE(table_->rowCount(), 0);
    }

    void togglesOtherThanHighlightLeaveTheRowsAlone() {
        Sandbox box;
        model_->add({box.file("a.txt")});
        QSignalSpy resets(table_.get(), &QAbstractItemModel::modelReset);
        QSignalSpy changes(table_.get(), &QAbstractItemModel::dataChanged);
        model_->setShowPathColumn(true);
        model_->setShowInspector(false);
        model_->setMessage("Renamed 1 file.");
        QCOMPARE(resets.count(), 0);
        QCOMPARE(changes.count(), 0);
    }

    void sizeAndDateAreReadAtEachAsk() {
        Sandbox box;
        const Path file = box.file("a.txt", "12345");
        model_->add({file});
        const QModelIndex size = table_->index(0, PlanTableModel::size);
        QCOMPARE(size.data().toString(), QStringLiteral("5 bytes"));
        QCOMPARE(table_->index(0, PlanTableModel::dateModified).data().toString(),
                 QString::fromStdString(tavix::FileInfo::read(file).modified));
        box.file("a.txt", QByteArray(2000, 'x'));
        QCOMPARE(size.data().toString(), QStringLiteral("2 kB"));
        std::filesystem::remove(file);
        QCOMPARE(size.data().toString(), QStringLiteral("\u2014"));
    }

    void problemRowsCarryTheMessage() {
        Sandbox box;
        model_->add({box.file("one/photo.jpg"), box.file("two/photo.jpg"), box.file("other.jpg")});
        const QModelIndex clash = table_->index(1, PlanTableModel::changeTo);
        QVERIFY(clash.data(PlanTableModel::ProblemRole).toBool());
        QCOMPARE(clash.data().toString(), QStringLiteral("Two files would share this name"));
        QCOMPARE(clash.data(Qt::ForegroundRole).value<QColor>(),
                 tavix::ui::color(tavix::ui::Tone::orange, QGuiApplication::palette()));
        QVERIFY(!clash.data(PlanTableModel::MarkedSegmentsRole).isValid());
        QVERIFY(
            !table_->index(2, PlanTableModel::changeTo).data(PlanTableModel::ProblemRole).toBool());
        QCOMPARE(table_->index(2, PlanTableModel::changeTo).data().toString(),
                 QStringLiteral("other.jpg"));
    }

    void markedSegmentsAreInTheViewsUnits() {
        Sandbox box;
        // Characters outside the basic plane take two UTF-16 units and four bytes.
        model_->add({box.file("\U0001F600-1 caf\u00E9.txt")});
        replace(*model_, "-", "-\u2713\U0001F680");
        QCOMPARE(table_->index(0, PlanTableModel::changeTo)
                     .data(PlanTableModel::MarkedSegmentsRole)
                     .toStringList(),
                 (QStringList{QStringLiteral("\U0001F600-"), QStringLiteral("\u2713\U0001F680"),
                              QStringLiteral("1 caf\u00E9.txt")}));
    }

    void highlightToggleChangesTheChangeToColumn() {
        Sandbox box;
        model_->add({box.file("IMG_1.jpg"), box.file("IMG_2.jpg")});
        replace(*model_, "IMG_", "IMG_000");
        QSignalSpy changes(table_.get(), &QAbstractItemModel::dataChanged);
        model_->setHighlightChanges(false);
        QCOMPARE(changes.count(), 1);
        const auto from = changes[0][0].value<QModelIndex>();
        const auto to = changes[0][1].value<QModelIndex>();
        QCOMPARE(from, table_->index(0, PlanTableModel::changeTo));
        QCOMPARE(to, table_->index(1, PlanTableModel::changeTo));
        QVERIFY(!table_->index(0, PlanTableModel::changeTo)
                     .data(PlanTableModel::MarkedSegmentsRole)
                     .isValid());
        QCOMPARE(table_->index(0, PlanTableModel::changeTo).data().toString(),
                 QStringLiteral("IMG_0001.jpg"));
    }

    void unchangedNamesAreSecondary() {
        Sandbox box;
        model_->add({box.file("a.txt"), box.file("b.txt")});
        replace(*model_, "a", "z");
        const QPalette palette = QGuiApplication::palette();
        QCOMPARE(
            table_->index(1, PlanTableModel::changeTo).data(Qt::ForegroundRole).value<QColor>(),
            palette.color(QPalette::PlaceholderText));
        QCOMPARE(
            table_->index(0, PlanTableModel::changeTo).data(Qt::ForegroundRole).value<QColor>(),
            palette.color(QPalette::Text));
        QCOMPARE(
            table_->index(0, PlanTableModel::currentName).data(Qt::ForegroundRole).value<QColor>(),
            palette.color(QPalette::PlaceholderText));
    }

    void aReplacedPlanIsNotReadBeforeItIsAnnounced() {
        Sandbox box;
        model_->add({box.file("a.txt"), box.file("b.txt"), box.file("c.txt")});
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

    void aHundredThousandRows() {
        // Paths that don't exist: planning never touches the disk for unchanged names.
        std::vector<tavix::Location> files;
        files.reserve(100000);
        for (int i = 0; i < 100000; ++i) files.emplace_back("/nonexistent/f" + std::to_string(i));
        tester_.reset();
        model_->setFiles(std::move(files));
        QCOMPARE(table_->rowCount(), 100000);
        QCOMPARE(table_->index(99999, 0).data().toString(), QStringLiteral("f99999"));
        QCOMPARE(table_->rowOf(model_->plan().items[99999].id), 99999);
    }

private:
    std::unique_ptr<TavixModel> model_;
    std::unique_ptr<PlanTableModel> table_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

QTEST_MAIN(PlanTableModelTest)
#include "PlanTableModelTest.moc"
