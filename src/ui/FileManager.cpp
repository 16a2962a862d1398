#include "ui/FileManager.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QStringList>

namespace tavix::ui {
namespace {

QUrl folderOf(const QUrl& file) {
    return file.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash);
}

}  // namespace

QDBusMessage showItemsMessage(const QList<QUrl>& files) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    QStringList uris;
    for (const QUrl& file : files) uris << QString::fromUtf8(file.toEncoded());
    call << uris << QString();
    return call;
}

void showInFileManager(const QList<QUrl>& files) {
    if (files.isEmpty()) return;
    const QUrl fallback = folderOf(files.first());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(fallback);
        return;
    }
    // The reply is awaited in the event loop, so a slow file manager never
    // holds up the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(showItemsMessage(files)));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [fallback](QDBusPendingCallWatcher* call) {
                         if (QDBusPendingReply<>(*call).isError()) {
                             QDesktopServices::openUrl(fallback);
                         }
                         call->deleteLater();
                     });
}

}  // namespace tavix::ui
