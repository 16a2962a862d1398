#include "update/FeedFetch.hpp"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <memory>

namespace tavix {

namespace {

constexpr qint64 maxBody = static_cast<qint64>(UpdateChecker::maxFeedSize);

// Whether the reply ended with the server's whole body. An HTTP error status
// still carries one (the status is not consulted); a transport failure, a
// time-out or an abort does not.
bool bodyArrived(const QNetworkReply& reply) {
    const auto error = reply.error();
    if (error == QNetworkReply::NoError) return true;
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) return false;
    return (error >= QNetworkReply::ContentAccessDenied &&
            error <= QNetworkReply::UnknownContentError) ||
           error == QNetworkReply::ProtocolInvalidOperationError ||
           (error >= QNetworkReply::InternalServerError &&
            error <= QNetworkReply::UnknownServerError);
}

struct Fetch {
    QByteArray body;
    bool tooLarge = false;
    bool finished = false;
    std::function<void(std::optional<AppUpdate>)> done;
};

}  // namespace

QUrl downloadURL(const AppUpdate& update) {
    if (!UpdateChecker::isWebURL(update.url)) return {};
    const QUrl url(QString::fromStdString(update.url), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return {};
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) return {};
    return url;
}

void fetchUpdate(QNetworkAccessManager& network, const QUrl& feed, std::string currentVersion,
                 std::chrono::milliseconds timeout,
                 std::function<void(std::optional<AppUpdate>)> done) {
    if (!feed.isValid()) {
        done(std::nullopt);
        return;
    }
    QNetworkRequest request(feed);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(static_cast<int>(timeout.count()));
    QNetworkReply* reply = network.get(request);
    // Small reads keep memory bounded however much the server sends.
    reply->setReadBufferSize(64 * 1024);

    auto fetch = std::make_shared<Fetch>();
    fetch->done = std::move(done);
    const auto stop = [reply, fetch] {
        fetch->tooLarge = true;
        reply->abort();
    };
    const auto readAvailable = [reply, fetch, stop] {
        // A reply closed by an error or an abort has nothing more to read.
        if (fetch->tooLarge || !reply->isOpen()) return;
        fetch->body.append(reply->read(maxBody + 1 - fetch->body.size()));
        if (fetch->body.size() > maxBody) stop();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, fetch, stop] {
        const auto length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!fetch->tooLarge && length.isValid() && length.toLongLong() > maxBody) stop();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, readAvailable);
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [reply, fetch, readAvailable, version = std::move(currentVersion)] {
                         if (fetch->finished) return;
                         fetch->finished = true;
                         readAvailable();
                         reply->deleteLater();
                         std::optional<AppUpdate> update;
                         if (!fetch->tooLarge && bodyArrived(*reply)) {
                             update = UpdateChecker::updateFrom(
                                 std::string_view(fetch->body.constData(), fetch->body.size()),
                                 version);
                             if (update && !downloadURL(*update).isValid()) update.reset();
                         }
                         // Moved out first: the completion may start the next fetch.
                         auto done = std::move(fetch->done);
                         done(std::move(update));
                     });
}

}  // namespace tavix
