#include "ui/HistoryDialog.hpp"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavix::ui {
namespace {

constexpr int journalRole = Qt::UserRole;
constexpr int stateRole = Qt::UserRole + 1;

enum Column { dateColumn, stateColumn, messageColumn, folderColumn };

QString decoded(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The journal's time of creation (UTC in the journal) in the local time zone.
QString localTime(const std::string& created) {
    const QString text = QString::fromStdString(created);
    const QDateTime when = QDateTime::fromString(text, Qt::ISODate);
    if (!when.isValid()) return text;
    return QLocale().toString(when.toLocalTime(), QLocale::ShortFormat);
}

// The batch's own message; a batch that never finished has none, so its plan
// stands in for it, before its undo and after.
QString messageText(const journal::HistoryEntry& entry) {
    if (entry.message) return QString::fromStdString(*entry.message);
    if (entry.state == journal::JournalState::complete || !entry.planned) return {};
    const std::size_t planned = *entry.planned;
    return planned == 1 ? QStringLiteral("Stopped before its end; 1 file was to be renamed.")
                        : QStringLiteral("Stopped before its end; %1 files were to be renamed.")
                              .arg(QLocale().toString(static_cast<qulonglong>(planned)));
}

QTreeWidget* makeTree(QWidget* parent, const char* name, const QStringList& headers) {
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QString::fromLatin1(name));
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setAllColumnsShowFocus(true);
    tree->setTextElideMode(Qt::ElideMiddle);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    return tree;
}

}  // namespace

QString stateText(journal::JournalState state) {
    switch (state) {
        case journal::JournalState::pending:
            return QStringLiteral("interrupted");
        case journal::JournalState::complete:
            return QStringLiteral("done");
        case journal::JournalState::undone:
            return QStringLiteral("undone");
    }
    return {};
}

HistoryDialog::HistoryDialog(TavixModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("historyDialog"));
    setWindowTitle(QStringLiteral("History"));

    auto* heading = new QLabel(
        QStringLiteral("Batches renamed here or with tavix-cli, newest first:"), this);
    batches_ = makeTree(this, "historyBatches",
                        {QStringLiteral("Date"), QStringLiteral("State"),
                         QStringLiteral("Message"), QStringLiteral("Folder")});
    heading->setBuddy(batches_);
    QHeaderView* header = batches_->header();
    header->setStretchLastSection(true);
    header->setSectionResizeMode(dateColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(stateColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(messageColumn, QHeaderView::Interactive);
    header->resizeSection(messageColumn, 300);

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("historyNote"));
    note_->setWordWrap(true);
    note_->setForegroundRole(QPalette::PlaceholderText);
    outcome_ = new QLabel(this);
    outcome_->setObjectName(QStringLiteral("historyOutcome"));
    outcome_->setWordWrap(true);
    outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    leftAlone_ = makeTree(this, "notPutBackList", {QStringLiteral("File"), QStringLiteral("Why")});
    leftAlone_->header()->setStretchLastSection(true);
    leftAlone_->header()->resizeSection(0, 420);
    leftAlone_->setMaximumHeight(140);

    auto* buttons = new QDialogButtonBox(this);
    undo_ = buttons->addButton(QStringLiteral("&Undo"), QDialogButtonBox::ActionRole);
    undo_->setObjectName(QStringLiteral("undoBatch"));
    // Return undoes the selected batch wherever the focus is in the dialog.
    undo_->setDefault(true);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("closeHistory"));
    close->setAutoDefault(false);
    connect(undo_, &QPushButton::clicked, this, &HistoryDialog::undoSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(batches_, &QTreeWidget::itemSelectionChanged, this, &HistoryDialog::selectionChanged);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(batches_, 1);
    layout->addWidget(note_);
    layout->addWidget(outcome_);
    layout->addWidget(leftAlone_);
    layout->addWidget(buttons);

    setMinimumSize(560, 320);
    resize(900, 460);
    // What an undo from here did shows only once there was one.
    outcome_->hide();
    leftAlone_->hide();
    reload();
    batches_->setFocus(Qt::OtherFocusReason);
}

void HistoryDialog::reload() {
    const QTreeWidgetItem* current = batches_->currentItem();
    const QByteArray selected = current ? current->data(0, journalRole).toByteArray() : QByteArray();
    const TavixModel::History history = model_.history();

    batches_->clear();
    QTreeWidgetItem* keep = nullptr;
    for (const journal::HistoryEntry& entry : history.batches) {
        const QByteArray journal = QByteArray::fromStdString(entry.journal.native());
        auto* item = new QTreeWidgetItem(batches_);
        item->setText(dateColumn, localTime(entry.created));
        item->setText(stateColumn, stateText(entry.state));
        item->setText(messageColumn, messageText(entry));
        item->setText(folderColumn, decoded(entry.folder));
        item->setData(0, journalRole, journal);
        item->setData(0, stateRole, static_cast<int>(entry.state));
        const QString by = QStringLiteral("By %1; journal %2")
                               .arg(QString::fromStdString(entry.by), decoded(entry.journal.native()));
        item->setToolTip(dateColumn, by);
        item->setToolTip(stateColumn, by);
        item->setToolTip(messageColumn, item->text(messageColumn));
        item->setToolTip(folderColumn, item->text(folderColumn));
        if (journal == selected) keep = item;
    }
    if (keep == nullptr) keep = batches_->topLevelItem(0);
    if (keep != nullptr) batches_->setCurrentItem(keep);

    QStringList notes;
    if (history.error) {
        notes << QStringLiteral("The journals can\u2019t be listed: %1")
                     .arg(QString::fromStdString(*history.error));
    } else if (history.batches.empty()) {
        notes << QStringLiteral("No batches yet: every rename made here or with tavix-cli "
                                "is listed here, and can be undone.");
    }
    QStringList skipped;
    for (const journal::Skipped& journal : history.skipped) {
        skipped << QStringLiteral("%1 \u2014 %2").arg(decoded(journal.path.native()),
                                                    QString::fromStdString(journal.reason));
    }
    if (!skipped.isEmpty()) {
        notes << (skipped.size() == 1
                      ? QStringLiteral("1 journal was left alone: %1").arg(skipped.front())
                      : QStringLiteral("%1 journals were left alone.").arg(skipped.size()));
    }
    note_->setText(notes.join(QLatin1Char('\n')));
    note_->setToolTip(skipped.join(QLatin1Char('\n')));
    note_->setVisible(!notes.isEmpty());
    selectionChanged();
}

void HistoryDialog::selectionChanged() {
    const QTreeWidgetItem* item = batches_->currentItem();
    const bool undoable =
        item != nullptr && item->isSelected() &&
        item->data(0, stateRole).toInt() != static_cast<int>(journal::JournalState::undone);
    undo_->setEnabled(undoable);
}

void HistoryDialog::undoSelected() {
    const QTreeWidgetItem* item = batches_->currentItem();
    if (item == nullptr || !undo_->isEnabled()) return;
    const QByteArray journal = item->data(0, journalRole).toByteArray();
    model_.undoBatch(std::filesystem::path(journal.toStdString()));
    reload();
    showOutcome();
    batches_->setFocus(Qt::OtherFocusReason);
}

void HistoryDialog::showOutcome() {
    const auto& message = model_.message();
    outcome_->setText(message ? QString::fromStdString(*message) : QString());
    outcome_->setVisible(message.has_value());
    leftAlone_->clear();
    for (const journal::NotPutBack& file : model_.notPutBack()) {
        auto* item = new QTreeWidgetItem(leftAlone_);
        item->setText(0, decoded(file.path.native()));
        item->setText(1, QString::fromStdString(file.reason));
        item->setToolTip(0, item->text(0));
    }
    leftAlone_->setVisible(leftAlone_->topLevelItemCount() > 0);
}

}  // namespace tavix::ui
