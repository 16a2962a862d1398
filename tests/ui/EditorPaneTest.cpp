// The steps pane driven through its widgets: the form or the placeholder, the
// list with plus and minus, drag reordering and the extension checkbox.
#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QMimeData>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "UiTestFiles.hpp"
#include "ui/ActionForm.hpp"
#include "ui/EditorPane.hpp"
#include "ui/StepListModel.hpp"

using tavix::Position;
using tavix::RenameRule;
using tavix::TavixModel;
using tavix::ui::EditorPane;
using tavix::ui::StepListModel;
using tavix::uitest::part;

namespace {

// The list's rows as the user reads them: "1. summary".
QStringList rowsOf(QListView* list) {
    QStringList rows;
    QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        rows << index.data(StepListModel::NumberRole).toString() + QLatin1Char(' ') +
                    index.data().toString();
    }
    return rows;
}

int selectedRow(QListView* list) {
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

// Three steps whose order shows in the new names.
void threeSteps(TavixModel& model) {
    std::vector<TavixModel::IdentifiedRule> rules;
    for (const char* text : {"a-", "b-", "c-"}) {
        rules.push_back(
            TavixModel::IdentifiedRule::make(RenameRule::addText(text, Position::prefix)));
    }
    model.setRules(std::move(rules));
    model.setSelection(model.rules()[1].id);
}

}  // namespace

class EditorPaneTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void init() {
        model_ = std::make_unique<TavixModel>();
        pane_ = std::make_unique<EditorPane>(*model_);
        pane_->resize(380, 520);
        pane_->show();
        QVERIFY(QTest::qWaitForWindowExposed(pane_.get()));
    }

    void cleanup() {
        pane_.reset();
        model_.reset();
    }

    // The selected step's form, or the placeholder when no step is selected.
    void theFormOfTheSelectedStepOrThePlaceholder() {
        QListView* list = pane_->list();
        auto* minus = part<QToolButton>(pane_.get(), "removeStepButton");
        QCOMPARE(selectedRow(list), 0);
        QVERIFY(pane_->form()->isVisible());

        model_->setSelection(tavix::Uuid::random());
        QVERIFY(part<QWidget>(pane_.get(), "stepsPlaceholder")->isVisible());
        QCOMPARE(selectedRow(list), -1);

        model_->setSelection(model_->rules().front().id);
        minus->click();
        QVERIFY(model_->rules().empty());
        QCOMPARE(list->model()->rowCount(), 0);
        QVERIFY(!pane_->form()->isVisible());
        QVERIFY(part<QWidget>(pane_.get(), "stepsPlaceholder")->isVisible());
        QVERIFY(!minus->isEnabled());
    }

    // Plus appends a step and selects it, a click selects a step, an edit in
    // the form reaches the list, and the checkbox follows the model both ways.
    void theControlsDriveTheSteps() {
        threeSteps(*model_);
        QListView* list = pane_->list();
        part<QToolButton>(pane_.get(), "addStepButton")->click();
        QCOMPARE(model_->rules().size(), std::size_t{4});
        QCOMPARE(selectedRow(list), 3);
        QCOMPARE(pane_->form()->rule(), model_->rules()[3].rule);

        const QRect third = list->visualRect(list->model()->index(2, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
        QCOMPARE(model_->selection(), std::optional(model_->rules()[2].id));
        QCOMPARE(pane_->form()->rule(), RenameRule::addText("c-", Position::prefix));

        const RenameRule edited = RenameRule::addText("new ", Position::prefix);
        Q_EMIT pane_->form()->ruleEdited(edited);
        QCOMPARE(model_->rules()[2].rule, edited);
        QCOMPARE(rowsOf(list)[2], QString::fromStdString("3. " + edited.summary()));
        QCOMPARE(selectedRow(list), 2);

        auto* keep = part<QCheckBox>(pane_.get(), "keepExtension");
        keep->click();
        QVERIFY(!model_->keepExtension());
        model_->setKeepExtension(true);
        QVERIFY(keep->isChecked());
    }

    void draggingAStepRenumbersAndKeepsTheSelection() {
        threeSteps(*model_);
        QListView* list = pane_->list();
        const auto selected = model_->selection();
        const auto summary = [](const char* text) {
            return QString::fromStdString(RenameRule::addText(text, Position::prefix).summary());
        };

        QAbstractItemModel* rows = list->model();
        std::unique_ptr<QMimeData> last(rows->mimeData({rows->index(2, 0)}));
        // Dropped above the first row; the view must not delete the dragged row itself.
        QVERIFY(!rows->dropMimeData(last.get(), Qt::MoveAction, 0, 0, {}));
        QCOMPARE(rowsOf(list), (QStringList{"1. " + summary("c-"), "2. " + summary("a-"),
                                            "3. " + summary("b-")}));
        QCOMPARE(model_->selection(), selected);
        QCOMPARE(selectedRow(list), 2);

        // Dropped below the rows: to the end.
        std::unique_ptr<QMimeData> first(rows->mimeData({rows->index(0, 0)}));
        rows->dropMimeData(first.get(), Qt::MoveAction, -1, -1, {});
        QCOMPARE(model_->rules().back().rule, RenameRule::addText("c-", Position::prefix));
    }

private:
    std::unique_ptr<TavixModel> model_;
    std::unique_ptr<EditorPane> pane_;
};

QTEST_MAIN(EditorPaneTest)
#include "EditorPaneTest.moc"
