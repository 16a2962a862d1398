// The update notice against a real HTTP server on the loopback interface: one
// alert per version, its texts and buttons, and silence on every failure.
#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <memory>

#include "update/UpdatePrompter.hpp"

using namespace std::chrono_literals;
using tavix::UpdatePrompter;
using tavix::UpdatePrompterOptions;

namespace {

// What the server does for one path.
struct Route {
    enum class Kind { reply, silent, endless } kind = Kind::reply;
    QByteArray response;  // for reply: the whole response, headers and body
};

QByteArray httpResponse(int status, const QByteArray& body,
                        const QByteArray& type = "application/json") {
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// A compact JSON object of string values.
QByteArray json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

Route feed(const QByteArray& json, int status = 200) {
    return {Route::Kind::reply, httpResponse(status, json)};
}

// A minimal HTTP/1.1 server: reads one request per connection and answers it
// from the route table.
class FeedServer : public QObject {
public:
    FeedServer() {
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) serve(socket);
        });
    }

    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

    std::map<QByteArray, Route> routes;
    int requests = 0;

private:
    void serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n")) return;
            ++requests;
            const QByteArray path = request->split(' ').value(1);
            const auto found = routes.find(path);
            const Route route = found != routes.end()
                                    ? found->second
                                    : Route{Route::Kind::reply,
                                            httpResponse(404, "<h1>Not Found</h1>", "text/html")};
            if (route.kind == Route::Kind::reply) {
                socket->write(route.response);
                socket->disconnectFromHost();
            } else if (route.kind == Route::Kind::endless) {
                // A JSON string that never closes, with no length announced.
                socket->write(
                    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                    "Connection: close\r\n\r\n"
                    "{\"version\":\"9.0\",\"url\":\"http://x/\",\"pad\":\"");
                sendMore(socket);
                connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket] {
                    if (socket->bytesToWrite() < 65536) sendMore(socket);
                });
            }
            // silent: the connection stays open and nothing is ever sent.
        });
    }

    void sendMore(QTcpSocket* socket) {
        if (socket->state() != QAbstractSocket::ConnectedState) return;
        const QByteArray chunk(64 * 1024, 'a');
        socket->write(chunk);
    }

    QTcpServer server_;
};

// One alert as the user saw it, and the answer given.
struct Alert {
    QString text;
    QString informativeText;
    QStringList buttons;
    QString defaultButton;
    QString escapeButton;
};

class Harness {
public:
    explicit Harness(FeedServer& server) : server_(server) {}

    // A prompter running 1.0 that shares this harness's settings file, alert log
    // and opened URLs with every other prompter it made; `adjust` changes the
    // rest of its options.
    std::unique_ptr<UpdatePrompter> prompter(
        const std::function<void(UpdatePrompterOptions&)>& adjust = {}) {
        UpdatePrompterOptions options;
        options.feed = server_.url(QStringLiteral("/feed.json"));
        options.currentVersion = QStringLiteral("1.0");
        options.appName = QStringLiteral("Tavix");
        options.firstCheckDelay = 10ms;
        options.fetchTimeout = 2s;
        options.settingsFile = settingsFile();
        options.runAlert = [this](QMessageBox& box) {
            Alert alert{box.text(), box.informativeText(), {}, {}, {}};
            for (QAbstractButton* button : box.buttons()) alert.buttons << button->text();
            if (box.defaultButton() != nullptr) alert.defaultButton = box.defaultButton()->text();
            if (box.escapeButton() != nullptr) alert.escapeButton = box.escapeButton()->text();
            alerts.push_back(alert);
            for (QAbstractButton* button : box.buttons()) {
                if (button->text() == answer) button->click();
            }
        };
        options.openURL = [this](const QUrl& url) { opened.push_back(url); };
        if (adjust) adjust(options);
        return std::make_unique<UpdatePrompter>(std::move(options));
    }

    QString settingsFile() const { return folder_.filePath(QStringLiteral("settings.ini")); }

    QString seenVersion() const {
        return QSettings(settingsFile(), QSettings::IniFormat)
            .value(QLatin1String(UpdatePrompter::seenKey))
            .toString();
    }

    QString answer = QStringLiteral("Later");
    std::vector<Alert> alerts;
    std::vector<QUrl> opened;

private:
    FeedServer& server_;
    QTemporaryDir folder_;
};

// Runs one check to its end.
bool check(UpdatePrompter& prompter) {
    QSignalSpy finished(&prompter, &UpdatePrompter::checkFinished);
    prompter.checkNow();
    return finished.count() > 0 || finished.wait(10000);
}

const QByteArray feedWithNotes = json(
    {{"version", "2.0"}, {"notes", "Faster previews."}, {"url", "https://example.org/download"}});

}  // namespace

Q_DECLARE_METATYPE(Route)

class UpdatePrompterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void oneAlertPerVersionAcrossLaunches() {
        FeedServer server;
        server.routes["/feed.json"] = feed(feedWithNotes);
        Harness harness(server);

        auto first = harness.prompter();
        QVERIFY(check(*first));
        QCOMPARE(harness.alerts.size(), 1u);
        const Alert& alert = harness.alerts.front();
        QCOMPARE(alert.text, QStringLiteral("Tavix 2.0 is available"));
        QCOMPARE(alert.informativeText, QStringLiteral("Faster previews.\n\nYou’re running 1.0."));
        QCOMPARE(alert.buttons, (QStringList{QStringLiteral("Download"), QStringLiteral("Later")}));
        QCOMPARE(alert.defaultButton, QStringLiteral("Download"));
        QCOMPARE(alert.escapeButton, QStringLiteral("Later"));
        QCOMPARE(harness.seenVersion(), QStringLiteral("2.0"));
        QVERIFY(harness.opened.empty());  // "Later" opens nothing

        // The next daily check, and a later launch with the same settings: silent.
        QVERIFY(check(*first));
        auto second = harness.prompter();
        QVERIFY(check(*second));
        QCOMPARE(harness.alerts.size(), 1u);
        QCOMPARE(server.requests, 3);

        // A newer version gets its own alert; "Download" opens its page.
        server.routes["/feed.json"] =
            feed(json({{"version", "2.1"}, {"url", "https://example.org/2.1"}}));
        harness.answer = QStringLiteral("Download");
        QVERIFY(check(*second));
        QCOMPARE(harness.alerts.size(), 2u);
        QCOMPARE(harness.alerts.back().text, QStringLiteral("Tavix 2.1 is available"));
        QCOMPARE(harness.alerts.back().informativeText, QStringLiteral("You’re running 1.0."));
        QCOMPARE(harness.opened,
                 (std::vector<QUrl>{QUrl(QStringLiteral("https://example.org/2.1"))}));
        QCOMPARE(harness.seenVersion(), QStringLiteral("2.1"));

        // The stored version is compared for equality only: an older but still
        // newer-than-running version is announced too.
        server.routes["/feed.json"] = feed(feedWithNotes);
        QVERIFY(check(*first));
        QCOMPARE(harness.alerts.size(), 3u);
    }

    void theFeedIsDecodedWhateverTheStatus() {
        FeedServer server;
        server.routes["/feed.json"] = feed(feedWithNotes, 500);
        Harness harness(server);
        QVERIFY(check(*harness.prompter()));
        QCOMPARE(harness.alerts.size(), 1u);
    }

    void failuresPassSilently_data() {
        QTest::addColumn<Route>("route");
        QTest::newRow("404 page") << Route{Route::Kind::reply,
                                           httpResponse(404, "<h1>Not Found</h1>", "text/html")};
        QTest::newRow("no answer within the time-out") << Route{Route::Kind::silent, {}};
        QTest::newRow("invalid JSON") << feed(QByteArray("{\"version\":\"2.0\",\"url\":"));
        QTest::newRow("required key missing") << feed(json({{"version", "2.0"}}));
        QTest::newRow("not newer")
            << feed(json({{"version", "1.0.0"}, {"url", "https://example.org/"}}));
        QTest::newRow("malformed URL")
            << feed(json({{"version", "2.0"}, {"url", "http://[::1/x"}}));
        QTest::newRow("URL with a space")
            << feed(json({{"version", "2.0"}, {"url", "https://exa mple.org"}}));
        QTest::newRow("file URL") << feed(
            json({{"version", "2.0"}, {"url", "file:///usr/bin/sh"}}));
        QTest::newRow("script URL")
            << feed("{\"version\":\"2.0\",\"url\":\"javascript:alert(1)\"}");
        QTest::newRow("bare path") << feed(json({{"version", "2.0"}, {"url", "/downloads/tavix"}}));
        QTest::newRow("announced length over 1 MiB")
            << feed(QByteArray("{\"version\":\"2.0\",\"url\":\"https://example.org/\",\"pad\":\"") +
                    QByteArray(1 << 20, 'a') + "\"}");
        QTest::newRow("endless body") << Route{Route::Kind::endless, {}};
    }

    void failuresPassSilently() {
        QFETCH(Route, route);
        FeedServer server;
        server.routes["/feed.json"] = route;
        Harness harness(server);
        // The silent server is given a short time-out, so the check ends soon.
        const auto timeout = route.kind == Route::Kind::silent ? 300ms : 4000ms;
        QVERIFY(check(*harness.prompter([&](auto& options) { options.fetchTimeout = timeout; })));
        QCOMPARE(harness.alerts.size(), 0u);
        QCOMPARE(harness.seenVersion(), QString());
        QCOMPARE(server.requests, 1);
    }

    void noServerPassesSilently() {
        FeedServer server;
        Harness harness(server);
        QUrl closed;
        {
            FeedServer gone;
            closed = gone.url(QStringLiteral("/feed.json"));
        }
        QVERIFY(check(*harness.prompter([&](auto& options) { options.feed = closed; })));
        QCOMPARE(harness.alerts.size(), 0u);
    }

    void withoutAFeedNothingIsFetched() {
        UpdatePrompterOptions options;
        options.feed = QUrl();
        int alerts = 0;
        options.runAlert = [&alerts](QMessageBox&) { ++alerts; };
        UpdatePrompter prompter(options);
        QSignalSpy finished(&prompter, &UpdatePrompter::checkFinished);
        prompter.checkNow();
        QCOMPARE(finished.count(), 1);  // at once, without touching the network
        QCOMPARE(alerts, 0);
    }
};

QTEST_MAIN(UpdatePrompterTest)
#include "UpdatePrompterTest.moc"
