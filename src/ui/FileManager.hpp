#pragma once

#include <QList>
#include <QUrl>

class QDBusMessage;

namespace tavix::ui {

// The desktop's file manager, reached through the freedesktop.org interface that
// Dolphin, Nautilus, Nemo and others serve on the session bus.

// The call that asks the file manager to open the folders of `files` with the
// files selected: org.freedesktop.FileManager1.ShowItems(uris, startup id).
QDBusMessage showItemsMessage(const QList<QUrl>& files);

// Sends that call without waiting. When no file manager answers it (no session
// bus, none serving the interface), the folder of the first file is opened
// with the desktop's handler for folders instead, unselected.
void showInFileManager(const QList<QUrl>& files);

}  // namespace tavix::ui
