#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>

#include "update/UpdateChecker.hpp"

class QMessageBox;
class QNetworkAccessManager;
class QTimer;

namespace tavix {

// What a prompter checks and how; the defaults are the application's own. Tests
// shorten the times and replace the alert and the opening of the URL.
struct UpdatePrompterOptions {
    QUrl feed = QUrl(QString::fromStdString(UpdateChecker::feedURL().value_or("")));
    QString currentVersion = QString::fromStdString(UpdateChecker::currentVersion());
    QString appName = QString::fromStdString(UpdateChecker::appName());
    std::chrono::milliseconds firstCheckDelay{4000};
    std::chrono::milliseconds checkInterval = std::chrono::hours(24);
    std::chrono::milliseconds fetchTimeout = std::chrono::seconds(15);
    // The settings file that remembers the last announced version; empty: the
    // user's own settings.
    QString settingsFile;
    // Runs the fully built alert and returns once the user has answered; empty:
    // the alert is shown modally.
    std::function<void(QMessageBox&)> runAlert;
    // Opens the download page; empty: the desktop's default handler.
    std::function<void(const QUrl&)> openURL;
};

// Tells the user, at most once per version, that a newer version can be
// downloaded: checks the feed some seconds after launch and then daily, and
// alerts when the feed names a newer version than the running one that was not
// announced before. Nothing is downloaded or installed; "Download" only opens the
// feed's page in the browser. Failures of any kind pass silently.
class UpdatePrompter : public QObject {
    Q_OBJECT
public:
    static constexpr const char* seenKey = "lastNotifiedVersion";

    explicit UpdatePrompter(UpdatePrompterOptions options = {}, QObject* parent = nullptr);
    ~UpdatePrompter() override;

    // The application's prompter, made on first use and owned by the application.
    static UpdatePrompter& shared();

    // Schedules the first check after firstCheckDelay and a check every
    // checkInterval after that. Called once, when launch has finished.
    void start();
    // Runs one check now and alerts if the update is due; does nothing (but
    // report the end) while an alert is open.
    void checkNow();

Q_SIGNALS:
    // Emitted when a check has ended, after any alert was answered.
    void checkFinished();

private:
    void prompt(const AppUpdate& update);

    UpdatePrompterOptions options_;
    QNetworkAccessManager* network_ = nullptr;
    QTimer* timer_ = nullptr;
    bool alertOpen_ = false;
};

}  // namespace tavix
