#include "update/UpdatePrompter.hpp"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <memory>

#include "update/FeedFetch.hpp"

namespace tavix {

namespace {

std::unique_ptr<QSettings> openSettings(const QString& file) {
    if (!file.isEmpty()) return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("tavix"),
                                       QStringLiteral("tavix"));
}

}  // namespace

UpdatePrompter::UpdatePrompter(UpdatePrompterOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

UpdatePrompter::~UpdatePrompter() = default;

UpdatePrompter& UpdatePrompter::shared() {
    // Parented to the application so that it goes before the application does.
    static UpdatePrompter* instance = new UpdatePrompter({}, QCoreApplication::instance());
    return *instance;
}

void UpdatePrompter::start() {
    QTimer::singleShot(options_.firstCheckDelay, this, &UpdatePrompter::checkNow);
    if (timer_ == nullptr) {
        timer_ = new QTimer(this);
        timer_->setInterval(options_.checkInterval);
        connect(timer_, &QTimer::timeout, this, &UpdatePrompter::checkNow);
        timer_->start();
    }
}

void UpdatePrompter::checkNow() {
    // While an alert waits for its answer, a check (the daily timer's) would
    // only stack a second alert on it; the next one comes a day later.
    if (alertOpen_ || options_.feed.isEmpty() || !options_.feed.isValid()) {
        Q_EMIT checkFinished();
        return;
    }
    if (network_ == nullptr) network_ = new QNetworkAccessManager(this);
    QPointer<UpdatePrompter> self(this);
    fetchUpdate(*network_, options_.feed, options_.currentVersion.toStdString(),
                options_.fetchTimeout, [self](std::optional<AppUpdate> update) {
                    if (!self) return;
                    if (update) self->prompt(*update);
                    if (self) Q_EMIT self->checkFinished();
                });
}

void UpdatePrompter::prompt(const AppUpdate& update) {
    const QString version = QString::fromStdString(update.version);
    {
        auto settings = openSettings(options_.settingsFile);
        settings->sync();  // another prompter or launch may have written since
        if (settings->value(QLatin1String(seenKey)).toString() == version) return;
        // Stored before the alert, so a version is announced once whatever the
        // answer, even if the program ends while the alert is open.
        settings->setValue(QLatin1String(seenKey), version);
        settings->sync();
    }

    const QString running = QStringLiteral("You're running %1.").arg(options_.currentVersion);
    const QString notes = QString::fromStdString(update.notes);
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    // The feed's texts are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QStringLiteral("%1 %2 is available").arg(options_.appName, version));
    box.setInformativeText(notes.isEmpty() ? running : notes + QStringLiteral("\n\n") + running);
    QPushButton* download = box.addButton(QStringLiteral("Download"), QMessageBox::AcceptRole);
    QPushButton* later = box.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(download);
    box.setEscapeButton(later);

    QPointer<UpdatePrompter> self(this);
    alertOpen_ = true;
    if (options_.runAlert) {
        options_.runAlert(box);
    } else {
        box.show();
        box.raise();
        box.activateWindow();
        box.exec();
    }
    if (!self) return;
    alertOpen_ = false;
    if (box.clickedButton() != download) return;
    const QUrl url = downloadURL(update);
    if (!url.isValid()) return;
    if (options_.openURL) {
        options_.openURL(url);
    } else {
        QDesktopServices::openUrl(url);
    }
}

}  // namespace tavix
