#pragma once

#include <QUrl>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "update/UpdateChecker.hpp"

class QNetworkAccessManager;

namespace tavix {

// One fetch of the update feed at `feed`, asking the server afresh (no cached
// copy is used). `done` runs once, on the thread that owns `network` (never if
// `network` is destroyed first), with the update the feed announces to a
// program running `currentVersion`, or with nothing on any failure: no
// connection, no data for `timeout`, a body over UpdateChecker::maxFeedSize
// (reading stops there), a body that is not a feed, a version that is not
// newer, a download address that is not a valid web URL. The HTTP status is not
// looked at: whatever body arrived is decoded.
void fetchUpdate(QNetworkAccessManager& network, const QUrl& feed, std::string currentVersion,
                 std::chrono::milliseconds timeout,
                 std::function<void(std::optional<AppUpdate>)> done);

// The download address of `update` as a URL; invalid unless it is a well-formed
// http or https address.
QUrl downloadURL(const AppUpdate& update);

}  // namespace tavix
