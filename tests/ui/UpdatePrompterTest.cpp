// The update notice against a real HTTP server on the loopback interface: one
// alert per version, its texts and buttons, and silence when the fetch fails.
// What a feed body means is the update checker's, tested with it.
#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>
#include <tuple>

#include "update/UpdatePrompter.hpp"

using namespace std::chrono_literals;
using namespace tavix;

namespace {

// A response with this status whose body is a feed of `version`, its page at
// https://example.org/ followed by the version, and `notes` when given.
QByteArray feed(const QString& version, const QString& notes = {}, int status = 200) {
    QJsonObject object{{"version", version}, {"url", "https://example.org/" + version}};
    if (!notes.isEmpty()) object.insert("notes", notes);
    const QByteArray body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// A loopback HTTP server: reads one request per connection and answers it with
// `response`, then closes it; or, when `endless`, follows it with more and more
// bytes; with no response, it never answers.
struct FeedServer : QObject {
    QTcpServer server;
    QByteArray response;
    bool endless = false;
    int requests = 0;

    FeedServer() {
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) serve(socket);
        });
    }

    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(server.serverPort()));
    }

    void serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n")) return;
            ++requests;
            socket->write(response);
            if (!endless && !response.isEmpty()) socket->disconnectFromHost();
            if (!endless) return;
            const auto more = [socket] {
                if (socket->state() == QAbstractSocket::ConnectedState &&
                    socket->bytesToWrite() < 65536) {
                    socket->write(QByteArray(65536, 'a'));
                }
            };
            connect(socket, &QTcpSocket::bytesWritten, socket, more);
            more();
        });
    }
};

// Prompters running 1.0, sharing one settings file; each alert is recorded as
// the user saw it and answered with `answer`.
struct Harness {
    QTemporaryDir folder;
    QString answer = QStringLiteral("Later");
    std::vector<QStringList> alerts;
    std::vector<QUrl> opened;
    // Runs while an alert is open, as a timer firing then would.
    std::function<void()> whileOpen;

    std::unique_ptr<UpdatePrompter> prompter(const QUrl& feed,
                                             std::chrono::milliseconds timeout = 4s) {
        UpdatePrompterOptions options;
        options.feed = feed;
        options.currentVersion = QStringLiteral("1.0");
        options.appName = QStringLiteral("Tavix");
        options.fetchTimeout = timeout;
        options.settingsFile = folder.filePath(QStringLiteral("settings.ini"));
        options.runAlert = [this](QMessageBox& box) {
            QStringList shown{box.text(), box.informativeText()};
            for (QAbstractButton* button : box.buttons()) shown << button->text();
            alerts.push_back(shown << box.defaultButton()->text() << box.escapeButton()->text());
            if (whileOpen) whileOpen();
            for (QAbstractButton* button : box.buttons()) {
                if (button->text() == answer) button->click();
            }
        };
        options.openURL = [this](const QUrl& url) { opened.push_back(url); };
        return std::make_unique<UpdatePrompter>(std::move(options));
    }

    // Runs one check to its end; how many alerts were shown by then, or -1 when
    // the check didn't end.
    int checked(UpdatePrompter& prompter) {
        QSignalSpy finished(&prompter, &UpdatePrompter::checkFinished);
        prompter.checkNow();
        return finished.count() > 0 || finished.wait(10000) ? int(alerts.size()) : -1;
    }
};

}  // namespace

class UpdatePrompterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void oneAlertPerVersionAcrossLaunches() {
        FeedServer server;
        // The HTTP status is not looked at: whatever body arrives is decoded.
        server.response = feed("2.0", "Faster previews.", 500);
        Harness harness;
        auto first = harness.prompter(server.url());
        QCOMPARE(harness.checked(*first), 1);
        QCOMPARE(harness.alerts[0], (QStringList{"Tavix 2.0 is available",
                                                 "Faster previews.\n\nYou're running 1.0.",
                                                 "Download", "Later", "Download", "Later"}));
        // The next daily check, and a later launch with the same settings: silent.
        QCOMPARE(harness.checked(*first), 1);
        auto second = harness.prompter(server.url());
        QCOMPARE(harness.checked(*second), 1);
        QCOMPARE(server.requests, 3);

        // A newer version gets its own alert; "Download" opens its page and
        // only it ("Later" opened nothing).
        server.response = feed("2.1");
        harness.answer = QStringLiteral("Download");
        QCOMPARE(harness.checked(*second), 2);
        QCOMPARE(harness.opened, (std::vector<QUrl>{QUrl("https://example.org/2.1")}));

        // The stored version is compared for equality only: an older but still
        // newer-than-running version is announced too.
        server.response = feed("2.0");
        QCOMPARE(harness.checked(*first), 3);

        // A check while the alert is open doesn't even fetch.
        server.response = feed("3.0");
        harness.whileOpen = [&] {
            server.response = feed("3.1");
            QCOMPARE(harness.checked(*first), 4);
        };
        QCOMPARE(harness.checked(*first), 4);
        QCOMPARE(server.requests, 6);
    }

    // A server that never answers (given a short time-out, so the check ends
    // soon), an announced length over 1 MiB, a body that never ends (a JSON
    // string that never closes), and no feed at all.
    void failuresPassSilently() {
        const std::tuple<QByteArray, bool, std::chrono::milliseconds> cases[] = {
            {{}, false, 300ms},
            {feed("2.0", QString(1 << 20, 'a')), false, 4s},
            {"HTTP/1.1 200 OK\r\n\r\n{\"version\":\"9.0\",\"url\":\"http://x/\",\"pad\":\"", true,
             4s}};
        Harness harness;
        for (const auto& [response, endless, timeout] : cases) {
            FeedServer server;
            server.response = response;
            server.endless = endless;
            QCOMPARE(harness.checked(*harness.prompter(server.url(), timeout)), 0);
            QCOMPARE(server.requests, 1);
        }
        QCOMPARE(harness.checked(*harness.prompter(QUrl())), 0);
    }
};

QTEST_MAIN(UpdatePrompterTest)
#include "UpdatePrompterTest.moc"
