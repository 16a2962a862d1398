// The steps pane driven through its widgets: the form or the placeholder, the
// list with plus and minus, drag reordering and the extension checkbox.
#include <QCheckBox>
#include <QListView>
#include <QMimeData>
#include <QToolButton>
#include <memory>

#include "support/UiTest.hpp"
#include "ui/ActionForm.hpp"
#include "ui/EditorPane.hpp"
#include "ui/StepListModel.hpp"

using namespace tavix;
using namespace tavix::test;
using namespace tavix::ui;

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

}  // namespace

class EditorPaneTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        tavix::test::useTestSettingsAndStyle();
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
        std::vector<TavixModel::IdentifiedRule> rules;  // three steps whose order shows
        for (const char* text : {"a-", "b-", "c-"}) {
            rules.push_back(TavixModel::IdentifiedRule::make(
                RenameRule{tavix::AddText{text, Position::prefix}}));
        }
        model.setRules(std::move(rules));
        model.setSelection(model.rules()[1].id);
        QListView* list = pane.list();
        const auto summary = [](const char* text) {
            return QString::fromStdString(
                RenameRule{tavix::AddText{text, Position::prefix}}.summary());
        };
        QAbstractItemModel* rows = list->model();
        std::unique_ptr<QMimeData> last(rows->mimeData({rows->index(2, 0)}));
        // Dropped above the first row; the view must not delete the dragged row itself.
        QVERIFY(!rows->dropMimeData(last.get(), Qt::MoveAction, 0, 0, {}));
        QCOMPARE(rowsOf(list), (QStringList{"1. " + summary("c-"), "2. " + summary("a-"),
                                            "3. " + summary("b-")}));
        QCOMPARE(selectedRow(list), 2);
        // Dropped below the rows: to the end.
        std::unique_ptr<QMimeData> first(rows->mimeData({rows->index(0, 0)}));
        rows->dropMimeData(first.get(), Qt::MoveAction, -1, -1, {});
        QCOMPARE(model.rules().back().rule, (RenameRule{tavix::AddText{"c-", Position::prefix}}));

        part<QToolButton>(&pane, "addStepButton")->click();
        QCOMPARE(model.rules().size(), std::size_t{4});
        QCOMPARE(selectedRow(list), 3);
        QCOMPARE(pane.form()->rule(), model.rules()[3].rule);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(rows->index(2, 0)).center());
        QCOMPARE(model.selection(), std::optional(model.rules()[2].id));
        QCOMPARE(pane.form()->rule(), (RenameRule{tavix::AddText{"c-", Position::prefix}}));
        const RenameRule edited = RenameRule{tavix::AddText{"new ", Position::prefix}};
        Q_EMIT pane.form()->ruleEdited(edited);
        QCOMPARE(model.rules()[2].rule, edited);
        QCOMPARE(rowsOf(list)[2], QString::fromStdString("3. " + edited.summary()));
        QCOMPARE(selectedRow(list), 2);

        auto* keep = part<QCheckBox>(&pane, "keepExtension");
        keep->click();
        QVERIFY(!model.keepExtension());
        model.setKeepExtension(true);
        QVERIFY(keep->isChecked());

        part<QToolButton>(&pane, "removeStepButton")->click();
        QCOMPARE(model.rules().size(), std::size_t{3});
        model.setSelection(tavix::Uuid::random());
        QCOMPARE(selectedRow(list), -1);
        QVERIFY(!pane.form()->isVisible());
        QVERIFY(part<QWidget>(&pane, "stepsPlaceholder")->isVisible());
    }
};

QTEST_MAIN(EditorPaneTest)
#include "EditorPaneTest.moc"
