// SPDX-License-Identifier: GPL-3.0-or-later
// The status page without windows: its JSON document and HTML page from furnace statuses (every
// text escaped, the document's shape and version, the firing's minutes and end), and its server
// asked by the real curl (statuses, token, methods, paths, oversize requests), held by clients
// that say nothing, stopped under them, and refused a port in use.

#include "app/statusrender.h"
#include "app/statusserver.h"
#include "tests/support/curlclient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

Q_DECLARE_METATYPE(FurnaceStatus)

namespace
{

const QDateTime Generated(QDate(2026, 12, 10), QTime(13, 46, 5), Qt::OffsetFromUTC, 3600);

/// A furnace 17 minutes before the end of a firing.
FurnaceStatus firing()
{
    FurnaceStatus s;
    s.port = QStringLiteral("/dev/ttyUSB0");
    s.furnace = QStringLiteral("ZKV 4.6 v:1.05");
    s.link = FurnaceStatus::Link::Answering;
    s.chamber = QStringLiteral("Closed");
    s.temperature = 712;
    s.vacuum = 93;
    s.running = true;
    s.mass = QStringLiteral("Dentine");
    s.layer = QStringLiteral("Dentine 1");
    s.stage = QStringLiteral("Heating to 930 °C");
    s.step = 5;
    s.minutesLeft = 17;
    s.expectedEnd = Generated.addSecs(17 * 60);
    s.progress = 420;
    s.checksDue = QStringLiteral("Vacuum check");
    return s;
}

/// A furnace window whose port is closed: nothing known.
FurnaceStatus closed()
{
    return FurnaceStatus{};
}

QJsonObject parsed(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    return error.error == QJsonParseError::NoError ? doc.object() : QJsonObject();
}

const char Markup[] = "<script>alert(\"x&y\")</script>'";
const char MarkupEscaped[] = "&lt;script&gt;alert(&quot;x&amp;y&quot;)&lt;/script&gt;&#39;";
const char Token[] = "s3cret-Token_9.x~";

/// A socket connected to 127.0.0.1:`port` that says nothing; -1 when it cannot connect.
int connectIdle(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

/// Whether the server has closed `fd` (end of stream or reset), without waiting.
bool closedByServer(int fd)
{
    char byte;
    const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

} // namespace

class TestStatusServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyTextIsEscaped_data();
    void everyTextIsEscaped();
    void documentShape();
    void pageFigures_data();
    void pageFigures();
    void answers_data();
    void answers();
    void answersFromTheLastSnapshot();
    void connectionsAreBoundedAndStopCutsThem();
    void aPortInUseIsSaid();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<StatusServer> m_server;
};

void TestStatusServer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A header of 60 KiB, beyond what the server reads of a request.
    QFile big(m_dir.filePath(QStringLiteral("big-header")));
    QVERIFY(big.open(QIODevice::WriteOnly));
    big.write("X-Padding: " + QByteArray(60 * 1024, 'a') + '\n');
}

void TestStatusServer::everyTextIsEscaped_data()
{
    QTest::addColumn<QString>("key");
    for (const char *key :
         {"port", "furnace", "chamber", "mass", "layer", "stage", "fault", "checksDue"})
        QTest::newRow(key) << QString::fromLatin1(key);
}

void TestStatusServer::everyTextIsEscaped()
{
    QFETCH(QString, key);
    FurnaceStatus s = firing();
    const QString markup = QString::fromUtf8(Markup);
    QString *field = key == QLatin1String("port")      ? &s.port
                     : key == QLatin1String("furnace") ? &s.furnace
                     : key == QLatin1String("chamber") ? &s.chamber
                     : key == QLatin1String("mass")    ? &s.mass
                     : key == QLatin1String("layer")   ? &s.layer
                     : key == QLatin1String("stage")   ? &s.stage
                     : key == QLatin1String("fault")   ? &s.fault
                                                       : &s.checksDue;
    *field = markup;
    for (quint8 language : {quint8(0), quint8(1)}) {
        const QString html = QString::fromUtf8(StatusRender::html({s}, Generated, language, 2));
        QVERIFY2(!html.contains(QLatin1String("<script"), Qt::CaseInsensitive), qPrintable(html));
        QVERIFY2(html.contains(QLatin1String(MarkupEscaped)), qPrintable(html));
    }
    // The document carries the text as it is, in JSON's own quoting.
    const QJsonObject doc = parsed(StatusRender::json({s}, Generated, 1));
    QCOMPARE(doc[QStringLiteral("furnaces")].toArray().at(0).toObject()[key].toString(), markup);
}

void TestStatusServer::documentShape()
{
    FurnaceStatus faulted = closed();
    faulted.port = QStringLiteral("Simulator 2");
    faulted.link = FurnaceStatus::Link::Silent;
    faulted.fault = QStringLiteral("12: heater circuit open");
    const QJsonObject doc = parsed(StatusRender::json({firing(), faulted}, Generated, 0));
    QCOMPARE(doc.keys(), (QStringList{"format", "furnaces", "generated", "language", "version"}));
    QCOMPARE(doc[QStringLiteral("format")].toString(), QStringLiteral("zkv-console-status"));
    QCOMPARE(doc[QStringLiteral("version")].toInt(), 1);
    QCOMPARE(doc[QStringLiteral("generated")].toString(),
             QStringLiteral("2026-12-10T13:46:05+01:00"));
    QCOMPARE(doc[QStringLiteral("language")].toString(), QStringLiteral("ru"));

    const QJsonArray furnaces = doc[QStringLiteral("furnaces")].toArray();
    QCOMPARE(furnaces.size(), 2);
    const QStringList keys{"chamber", "checksDue", "expectedEnd", "fault",  "furnace",  "layer",
                           "link",    "mass",      "minutesLeft", "port",   "progress", "running",
                           "stage",   "step",      "temperature", "vacuum", "window"};
    const QJsonObject run = furnaces[0].toObject();
    QCOMPARE(run.keys(), keys);
    QCOMPARE(run[QStringLiteral("window")].toInt(), 1);
    QCOMPARE(run[QStringLiteral("link")].toString(), QStringLiteral("answering"));
    QCOMPARE(run[QStringLiteral("temperature")].toInt(), 712);
    QCOMPARE(run[QStringLiteral("running")].toBool(), true);
    QCOMPARE(run[QStringLiteral("step")].toInt(), 5);
    QCOMPARE(run[QStringLiteral("minutesLeft")].toInt(), 17);
    QCOMPARE(run[QStringLiteral("expectedEnd")].toString(),
             QStringLiteral("2026-12-10T14:03:05+01:00"));
    QCOMPARE(run[QStringLiteral("progress")].toInt(), 420);

    // What is not known is null, not zero.
    const QJsonObject idle = furnaces[1].toObject();
    QCOMPARE(idle.keys(), keys);
    QCOMPARE(idle[QStringLiteral("window")].toInt(), 2);
    QCOMPARE(idle[QStringLiteral("link")].toString(), QStringLiteral("silent"));
    for (const char *key : {"temperature", "vacuum", "minutesLeft", "expectedEnd", "progress"})
        QVERIFY2(idle[QLatin1String(key)].isNull(), key);
    QCOMPARE(idle[QStringLiteral("running")].toBool(), false);
    QCOMPARE(idle[QStringLiteral("fault")].toString(), QStringLiteral("12: heater circuit open"));

    // A local time keeps its offset: the instant reads back the same.
    const QDateTime local = QDateTime::currentDateTime();
    QCOMPARE(QDateTime::fromString(StatusRender::isoTime(local), Qt::ISODate).toSecsSinceEpoch(),
             local.toSecsSinceEpoch());
}

void TestStatusServer::pageFigures_data()
{
    QTest::addColumn<FurnaceStatus>("status");
    QTest::addColumn<quint8>("language");
    QTest::addColumn<QStringList>("shows");
    QTest::addColumn<QStringList>("hides");
    const QString temperature = QStringLiteral("<span class=\"temp\">712 °C</span>");
    const QString left = QStringLiteral("<span class=\"left\">17</span>");
    QTest::newRow("firing") << firing() << quint8(1)
                            << QStringList{temperature,
                                           left,
                                           "min left",
                                           "step 5 of 20",
                                           "ends ≈ 14:03",
                                           "aria-valuenow=\"42\"",
                                           "Dentine / Dentine 1",
                                           "Heating to 930 °C",
                                           "/dev/ttyUSB0 · ZKV 4.6 v:1.05",
                                           "Vacuum check"}
                            << QStringList{"no program running", "class=\"fault\""};
    QTest::newRow("firing, Russian")
        << firing() << quint8(0)
        << QStringList{temperature, left, "мин осталось", "шаг 5 из 20", "окончание ≈ 14:03"}
        << QStringList{"min left"};
    FurnaceStatus late = firing();
    late.minutesLeft = 634;
    late.expectedEnd = Generated.addSecs(634 * 60);
    QTest::newRow("ends tomorrow")
        << late << quint8(1)
        << QStringList{"<span class=\"left\">634</span>", "ends ≈ 11.12. 00:20"}
        << QStringList{"ends ≈ 00:20"};
    FurnaceStatus faulted = closed();
    faulted.fault = QStringLiteral("12: heater circuit open");
    QTest::newRow("faulted, port closed")
        << faulted << quint8(1)
        << QStringList{"no port chosen",
                       "no port open",
                       "<span class=\"temp\">— °C</span>",
                       "no program running",
                       "class=\"faulted\"",
                       "<p class=\"fault\" role=\"alert\">Fault: 12: heater circuit open</p>"}
        << QStringList{"min left", "class=\"left\"", "ends ≈"};
}

void TestStatusServer::pageFigures()
{
    QFETCH(FurnaceStatus, status);
    QFETCH(quint8, language);
    QFETCH(QStringList, shows);
    QFETCH(QStringList, hides);
    const QString html = QString::fromUtf8(StatusRender::html({status}, Generated, language, 2));
    QVERIFY(html.contains(QLatin1String("<meta http-equiv=\"refresh\" content=\"2\">")));
    QVERIFY(html.contains(QLatin1String("width=device-width")));
    for (const QString &text : shows)
        QVERIFY2(html.contains(text), qPrintable(text));
    for (const QString &text : hides)
        QVERIFY2(!html.contains(text), qPrintable(text));
}

void TestStatusServer::answers_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("says");
    const QString bearer = QStringLiteral("Authorization: Bearer %1").arg(QLatin1String(Token));
    const QString token = QStringLiteral("token=") + QLatin1String(Token);
    QTest::newRow("page, token in the query")
        << "/?" + token << QStringList{} << 200 << QByteArray("content-type: text/html")
        << QByteArray("<!DOCTYPE html>");
    QTest::newRow("document, bearer token")
        << "/status.json" << QStringList{"-H", bearer} << 200
        << QByteArray("content-type: application/json") << QByteArray("\"zkv-console-status\"");
    QTest::newRow("bearer in lower case")
        << "/index.html" << QStringList{"-H", "authorization: bearer " + QLatin1String(Token)}
        << 200 << QByteArray("content-type: text/html") << QByteArray("<!DOCTYPE html>");
    QTest::newRow("HEAD") << "/status.json?" + token << QStringList{"-I"} << 200
                          << QByteArray("content-type: application/json") << QByteArray();
    QTest::newRow("no token") << "/status.json" << QStringList{} << 401
                              << QByteArray("www-authenticate: Bearer") << QByteArray();
    QTest::newRow("wrong token") << "/?token=s3cret-Token_9.y~" << QStringList{} << 401
                                 << QByteArray("www-authenticate: Bearer") << QByteArray();
    QTest::newRow("token and more") << "/?" + token + "0" << QStringList{} << 401
                                    << QByteArray("www-authenticate: Bearer") << QByteArray();
    QTest::newRow("wrong bearer") << "/status.json" << QStringList{"-H", bearer + "0"} << 401
                                  << QByteArray("www-authenticate: Bearer") << QByteArray();
    QTest::newRow("POST") << "/?" + token << QStringList{"-X", "POST", "-d", "stop=1"} << 405
                          << QByteArray("allow: GET, HEAD") << QByteArray();
    QTest::newRow("DELETE") << "/status.json" << QStringList{"-X", "DELETE", "-H", bearer} << 405
                            << QByteArray("allow: GET, HEAD") << QByteArray();
    QTest::newRow("unknown path") << "/status.json/x?" + token << QStringList{} << 404
                                  << QByteArray("content-type: text/plain") << QByteArray();
    QTest::newRow("markup in the path")
        << "/%3Cscript%3Ealert(1)%3C/script%3E?" + token << QStringList{} << 404
        << QByteArray("content-type: text/plain") << QByteArray();
    QTest::newRow("oversize headers")
        << "/?" + token << QStringList{"-H", "@BIG"} << 400 << QByteArray() << QByteArray();
    QTest::newRow("oversize address") << "/?" + token + "&pad=" + QString(20000, QLatin1Char('a'))
                                      << QStringList{} << 414 << QByteArray() << QByteArray();
}

void TestStatusServer::answers()
{
    QFETCH(QString, target);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, says);
    if (!HaveCurl())
        QSKIP("No curl program to ask the server with (Debian package curl).");
    if (!StatusServer::available())
        QSKIP("This build has no status page (cpp-httplib was missing).");
    if (!m_server) {
        StatusServerOptions options;
        options.token = QString::fromLatin1(Token);
        m_server = std::make_unique<StatusServer>(options);
        QVERIFY(m_server->start());
        StatusSnapshot snapshot;
        snapshot.furnaces = {firing()};
        snapshot.taken = Generated;
        m_server->publish(snapshot);
    }
    arguments.replaceInStrings(QStringLiteral("@BIG"),
                               "@" + m_dir.filePath(QStringLiteral("big-header")));
    const CurlReply reply =
        Curl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server->port()).arg(target), arguments);
    QVERIFY2(reply.exitCode == 0, reply.errors.constData());
    QCOMPARE(reply.status, status);
    if (!header.isEmpty()) {
        const qsizetype colon = header.indexOf(':');
        QVERIFY2(reply.headers.value(header.left(colon)).startsWith(header.mid(colon + 2)),
                 reply.headers.value(header.left(colon)).constData());
    }
    QVERIFY(reply.body.contains(says));
    // Nothing of the request comes back as markup, and a page is never framed or sniffed.
    QVERIFY(!reply.body.contains("<script"));
    QCOMPARE(reply.headers.value("x-content-type-options"), QByteArray("nosniff"));
    if (status == 200) {
        QVERIFY(reply.headers.value("content-length").toInt() > 0);
        QCOMPARE(reply.body.isEmpty(), arguments.contains(QStringLiteral("-I")));
    }
}

void TestStatusServer::answersFromTheLastSnapshot()
{
    if (!HaveCurl())
        QSKIP("No curl program to ask the server with (Debian package curl).");
    if (!StatusServer::available())
        QSKIP("This build has no status page (cpp-httplib was missing).");
    StatusServer server(StatusServerOptions{});
    QVERIFY(server.start());
    const QString url = QStringLiteral("http://127.0.0.1:%1/status.json").arg(server.port());
    QCOMPARE(parsed(Curl(url).body)[QStringLiteral("furnaces")].toArray().size(), 0);
    for (const char *port : {"/dev/ttyUSB0", "/dev/ttyUSB1"}) {
        FurnaceStatus s = firing();
        s.port = QString::fromLatin1(port);
        StatusSnapshot snapshot;
        snapshot.furnaces = {s, closed()};
        snapshot.taken = Generated;
        server.publish(snapshot);
        const QJsonArray furnaces = parsed(Curl(url).body)[QStringLiteral("furnaces")].toArray();
        QCOMPARE(furnaces.size(), 2);
        QCOMPARE(furnaces[0].toObject()[QStringLiteral("port")].toString(), s.port);
    }
}

void TestStatusServer::connectionsAreBoundedAndStopCutsThem()
{
    if (!StatusServer::available())
        QSKIP("This build has no status page (cpp-httplib was missing).");
    StatusServer server(StatusServerOptions{});
    QVERIFY(server.start());
    const quint16 port = server.port();
    // More clients than the server takes, each connected and silent.
    std::vector<int> clients;
    for (int i = 0; i < StatusServer::MaxConnections + 8; ++i) {
        clients.push_back(connectIdle(port));
        QVERIFY(clients.back() >= 0);
    }
    // Those beyond the limit are closed unanswered at once, while those the server took wait
    // their turn: the last it took is served only after every worker has given up on one.
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(clients.begin() + StatusServer::MaxConnections, clients.end(), closedByServer),
        20000);
    QVERIFY(!closedByServer(clients[StatusServer::MaxConnections - 1]));
    // Publishing does not wait for them.
    server.publish(StatusSnapshot{});

    QElapsedTimer clock;
    clock.start();
    server.stop();
    const qint64 ms = clock.elapsed();
    qInfo("stopped with %d silent clients connected in %lld ms (%.2f of a second)",
          StatusServer::MaxConnections, ms, ms / 1000.0);
    QVERIFY(std::all_of(clients.begin(), clients.end(), closedByServer));
    QCOMPARE(connectIdle(port), -1);
    for (int fd : clients)
        ::close(fd);
}

void TestStatusServer::aPortInUseIsSaid()
{
    if (!StatusServer::available())
        QSKIP("This build has no status page (cpp-httplib was missing).");
    StatusServer first(StatusServerOptions{});
    QVERIFY(first.start());
    QVERIFY(first.error().isEmpty());
    StatusServerOptions same;
    same.port = first.port();
    StatusServer second(same);
    QVERIFY(!second.start());
    QCOMPARE(second.port(), quint16(0));
    QCOMPARE(second.error(), QStringLiteral("The status page cannot listen on 127.0.0.1:%1: %2.")
                                 .arg(first.port())
                                 .arg(QString::fromLocal8Bit(std::strerror(EADDRINUSE))));
    QVERIFY(second.error(0).startsWith(QStringLiteral("Страница состояния не может")));
    // The first goes on serving.
    if (HaveCurl())
        QCOMPARE(Curl(QStringLiteral("http://127.0.0.1:%1/").arg(first.port())).status, 200);
}

QTEST_GUILESS_MAIN(TestStatusServer)
#include "tst_statusserver.moc"
