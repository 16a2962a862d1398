// The update notice against a real HTTP server on the loopback interface: one
// alert per version, its texts and buttons, and silence when the fetch fails.
// What a feed body means is the update checker's, tested with it.
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
#include <memory>

#include "update/UpdatePrompter.hpp"

using namespace std::chrono_literals;
using tavix::UpdatePrompter;
using tavix::UpdatePrompterOptions;

namespace {

// How the server answers every request.
struct Route {
    enum class Kind { reply, silent, endless } kind = Kind::reply;
    QByteArray response;  // for reply: the whole response, headers and body
};

Route feed(const QJsonObject& object, int status = 200) {
    const QByteArray body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return {Route::Kind::reply, "HTTP/1.1 " + QByteArray::number(status) +
                                    " X\r\nContent-Type: application/json\r\nContent-Length: " +
                                    QByteArray::number(body.size()) +
                                    "\r\nConnection: close\r\n\r\n" + body};
}

// A minimal HTTP/1.1 server: reads one request per connection and answers it.
class FeedServer : public QObject {
public:
    FeedServer() {
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) serve(socket);
        });
    }

    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(server_.serverPort()));
    }

    Route route;
    int requests = 0;

private:
    void serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n")) return;
            ++requests;
            if (route.kind == Route::Kind::reply) {
                socket->write(route.response);
                socket->disconnectFromHost();
            } else if (route.kind == Route::Kind::endless) {
                // A JSON string that never closes, with no length announced.
                socket->write(
                    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                    "Connection: close\r\n\r\n{\"version\":\"9.0\",\"url\":\"http://x/\",\"pad\":\"");
                connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
                    if (socket->state() == QAbstractSocket::ConnectedState &&
                        socket->bytesToWrite() < 65536) {
                        socket->write(QByteArray(64 * 1024, 'a'));
                    }
                });
                socket->write(QByteArray(64 * 1024, 'a'));
            }
            // silent: the connection stays open and nothing is ever sent.
        });
    }

    QTcpServer server_;
};

// Prompters running 1.0 against one server, sharing one settings file; records
// each alert as the user saw it and answers it with `answer`.
class Harness {
public:
    std::unique_ptr<UpdatePrompter> prompter(const QUrl& feed,
                                             std::chrono::milliseconds timeout = 4s) {
        UpdatePrompterOptions options;
        options.feed = feed;
        options.currentVersion = QStringLiteral("1.0");
        options.appName = QStringLiteral("Tavix");
        options.fetchTimeout = timeout;
        options.settingsFile = folder_.filePath(QStringLiteral("settings.ini"));
        options.runAlert = [this](QMessageBox& box) {
            QStringList shown{box.text(), box.informativeText()};
            for (QAbstractButton* button : box.buttons()) shown << button->text();
            shown << box.defaultButton()->text() << box.escapeButton()->text();
            alerts.push_back(shown);
            for (QAbstractButton* button : box.buttons()) {
                if (button->text() == answer) button->click();
            }
        };
        options.openURL = [this](const QUrl& url) { opened.push_back(url); };
        return std::make_unique<UpdatePrompter>(std::move(options));
    }

    QString seenVersion() const {
        return QSettings(folder_.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat)
            .value(QLatin1String(UpdatePrompter::seenKey))
            .toString();
    }

    QString answer = QStringLiteral("Later");
    std::vector<QStringList> alerts;
    std::vector<QUrl> opened;

private:
    QTemporaryDir folder_;
};

// Runs one check to its end.
bool check(UpdatePrompter& prompter) {
    QSignalSpy finished(&prompter, &UpdatePrompter::checkFinished);
    prompter.checkNow();
    return finished.count() > 0 || finished.wait(10000);
}

}  // namespace

Q_DECLARE_METATYPE(Route)

class UpdatePrompterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void oneAlertPerVersionAcrossLaunches() {
        FeedServer server;
        // The HTTP status is not looked at: whatever body arrives is decoded.
        const QJsonObject withNotes{
            {"version", "2.0"}, {"notes", "Faster previews."}, {"url", "https://example.org/d"}};
        server.route = feed(withNotes, 500);
        Harness harness;

        auto first = harness.prompter(server.url());
        QVERIFY(check(*first));
        QCOMPARE(harness.alerts,
                 (std::vector<QStringList>{{"Tavix 2.0 is available",
                                            "Faster previews.\n\nYou’re running 1.0.", "Download",
                                            "Later", "Download", "Later"}}));
        QCOMPARE(harness.seenVersion(), QStringLiteral("2.0"));
        QVERIFY(harness.opened.empty());  // "Later" opens nothing

        // The next daily check, and a later launch with the same settings: silent.
        QVERIFY(check(*first));
        auto second = harness.prompter(server.url());
        QVERIFY(check(*second));
        QCOMPARE(harness.alerts.size(), 1u);
        QCOMPARE(server.requests, 3);

        // A newer version gets its own alert; "Download" opens its page.
        server.route = feed({{"version", "2.1"}, {"url", "https://example.org/2.1"}});
        harness.answer = QStringLiteral("Download");
        QVERIFY(check(*second));
        QCOMPARE(harness.alerts.size(), 2u);
        QCOMPARE(harness.alerts.back().mid(0, 2),
                 (QStringList{"Tavix 2.1 is available", "You’re running 1.0."}));
        QCOMPARE(harness.opened,
                 (std::vector<QUrl>{QUrl(QStringLiteral("https://example.org/2.1"))}));
        QCOMPARE(harness.seenVersion(), QStringLiteral("2.1"));

        // The stored version is compared for equality only: an older but still
        // newer-than-running version is announced too.
        server.route = feed(withNotes);
        QVERIFY(check(*first));
        QCOMPARE(harness.alerts.size(), 3u);
    }

    void failuresPassSilently_data() {
        QTest::addColumn<Route>("route");
        QTest::newRow("a body that is no feed") << feed({{"version", "2.0"}});
        QTest::newRow("no answer within the time-out") << Route{Route::Kind::silent, {}};
        QTest::newRow("announced length over 1 MiB")
            << feed({{"version", "2.0"}, {"url", "https://x.org/"}, {"pad", QString(1 << 20, 'a')}});
        QTest::newRow("endless body") << Route{Route::Kind::endless, {}};
    }

    void failuresPassSilently() {
        QFETCH(Route, route);
        FeedServer server;
        server.route = route;
        Harness harness;
        // The silent server is given a short time-out, so the check ends soon.
        const auto timeout = route.kind == Route::Kind::silent ? 300ms : 4000ms;
        QVERIFY(check(*harness.prompter(server.url(), timeout)));
        QVERIFY(harness.alerts.empty());
        QCOMPARE(harness.seenVersion(), QString());
        QCOMPARE(server.requests, 1);
    }

    // No server listening, and no feed at all: the check ends without a word.
    void noServerOrNoFeedPassesSilently() {
        QUrl closed = FeedServer().url();
        Harness harness;
        QVERIFY(check(*harness.prompter(closed)));
        QVERIFY(check(*harness.prompter(QUrl())));
        QVERIFY(harness.alerts.empty());
    }
};

QTEST_MAIN(UpdatePrompterTest)
#include "UpdatePrompterTest.moc"
