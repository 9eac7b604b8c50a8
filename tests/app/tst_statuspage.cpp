// SPDX-License-Identifier: GPL-3.0-or-later
// The console's status page: served from the furnace windows on built-in simulators during a
// firing and a fault, read by curl and drawn by headless Chromium at a phone's width; gone with
// the console; and the console program itself, which goes on when the page's port is taken.

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "app/furnacewindows.h"
#include "app/statuspage.h"
#include "sim/furnacecontroller.h"
#include "sim/simulatorline.h"
#include "tests/support/curlclient.h"
#include "tests/support/scripteddialogs.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace
{

/// The console's windows on built-in simulators at `speed`, the demo library in each.
struct Console {
    ScriptedDialogs dialogs;
    QHash<QString, SimulatorLine *> sims;
    std::unique_ptr<FurnaceWindows> windows;

    explicit Console(double speed)
    {
        ConsoleOptions options;
        options.lineFactory = [this, speed](const QString &name) {
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(speed);
            line->controller().furnace().advance(600);
            sims.insert(name, line.get());
            return line;
        };
        options.portLister = [] { return QStringList{SimulatorPortName}; };
        options.endAlert = [](const QString &) {};
        windows = std::make_unique<FurnaceWindows>(std::move(options), dialogs);
    }
    TForm1 *open(const QString &port)
    {
        TForm1 *w = windows->open(port, QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv"));
        w->findChild<QListWidget *>(QStringLiteral("lbNames"))->setCurrentRow(1);
        w->lbNamesClick();
        w->findChild<QListWidget *>(QStringLiteral("lbLayers"))->setCurrentRow(0);
        w->lbLayersClick();
        return w;
    }
};

const char Token[] = "phone-7Hq2xW9k";

/// The furnaces of the status document at `url`; empty when it cannot be read.
QJsonArray furnacesAt(const QString &url)
{
    const CurlReply reply =
        Curl(url, {QStringLiteral("-H"), QStringLiteral("Authorization: Bearer ") + Token});
    const QJsonObject doc = QJsonDocument::fromJson(reply.body).object();
    if (reply.status != 200 || doc[QStringLiteral("version")].toInt() != 1)
        return {};
    return doc[QStringLiteral("furnaces")].toArray();
}

/// Whether `furnaces` holds what the test waits for: the first firing with its minutes left,
/// the second stopped by a fault.
bool firingAndFault(const QJsonArray &furnaces)
{
    if (furnaces.size() != 2)
        return false;
    const QJsonObject first = furnaces[0].toObject();
    const QJsonObject second = furnaces[1].toObject();
    return first[QStringLiteral("running")].toBool() &&
           first[QStringLiteral("minutesLeft")].isDouble() &&
           !second[QStringLiteral("fault")].toString().isEmpty();
}

} // namespace

class TestStatusPage : public QObject
{
    Q_OBJECT
private slots:
    void servesTheWindowsToAPhone();
    void theConsoleGoesOnWhenThePortIsTaken();
};

void TestStatusPage::servesTheWindowsToAPhone()
{
    if (!StatusPage::available())
        QSKIP("This build has no status page (cpp-httplib was missing).");
    if (!HaveCurl())
        QSKIP("No curl program to ask the page with (Debian package curl).");
    Console c(30);
    StatusServerOptions options;
    options.token = QString::fromLatin1(Token);
    auto page = std::make_unique<StatusPage>(*c.windows, options);
    QVERIFY(page->start());
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(page->port());
    // Served before any window is open.
    QCOMPARE(Curl(base + "/status.json?token=" + Token).status, 200);

    TForm1 *first = c.open(SimulatorPortName);
    TForm1 *second = c.open(QStringLiteral("Simulator 2"));
    first->sbStartPrgClick();
    second->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(second->furnaceStatus().step > 0, 20000);
    c.sims.value(QStringLiteral("Simulator 2"))->controller().furnace().raiseFault(12);
    QTRY_VERIFY_WITH_TIMEOUT(firingAndFault(furnacesAt(base + "/status.json")), 20000);

    const QJsonArray furnaces = furnacesAt(base + "/status.json");
    QCOMPARE(furnaces.size(), 2);
    const QJsonObject running = furnaces[0].toObject();
    QCOMPARE(running[QStringLiteral("port")].toString(), SimulatorPortName);
    QVERIFY2(running[QStringLiteral("furnace")].toString().startsWith(QStringLiteral("ZKV")),
             qPrintable(running[QStringLiteral("furnace")].toString()));
    QCOMPARE(running[QStringLiteral("mass")].toString(), QStringLiteral("Dentine"));
    QVERIFY(running[QStringLiteral("temperature")].isDouble());
    QVERIFY(running[QStringLiteral("step")].toInt() >= 1);
    QVERIFY(!running[QStringLiteral("expectedEnd")].toString().isEmpty());
    const QJsonObject faulted = furnaces[1].toObject();
    QCOMPARE(faulted[QStringLiteral("port")].toString(), QStringLiteral("Simulator 2"));
    QCOMPARE(faulted[QStringLiteral("fault")].toString(), second->furnaceStatus().fault);
    QVERIFY(!faulted[QStringLiteral("running")].toBool());
    // The page, as the phone asks for it (the token in its address, which the page's reload
    // keeps), names both.
    const CurlReply html = Curl(base + "/?token=" + Token);
    QCOMPARE(html.status, 200);
    QVERIFY(html.body.contains("Simulator 2"));
    QVERIFY(html.body.contains("class=\"fault\""));

    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty()) {
        c.dialogs.questionAnswers << true;
        first->sbStopPrgClick();
        QSKIP("No chromium to draw the page with (Debian package chromium).");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString png = dir.filePath(QStringLiteral("phone.png"));
    QProcess browser;
    browser.setProcessChannelMode(QProcess::MergedChannels);
    // No sandbox: it cannot start as root, nor in many containers; it draws only this page.
    browser.start(chromium, {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                             QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                             QStringLiteral("--no-proxy-server"),
                             QStringLiteral("--user-data-dir=") + dir.filePath("profile"),
                             QStringLiteral("--window-size=400,900"),
                             QStringLiteral("--screenshot=") + png, base + "/?token=" + Token});
    // The firing goes on meanwhile: the page is served from the server's own threads.
    QTRY_VERIFY_WITH_TIMEOUT(browser.state() == QProcess::NotRunning, 120000);
    QVERIFY2(QFile::exists(png), browser.readAll().constData());
    QVERIFY(first->console().ProgramRunning);

    const QImage shot(png);
    QCOMPARE(shot.size(), QSize(400, 900));
    QSet<QRgb> colours;
    int red = 0;
    bool rightMarginClear = true;
    const QRgb background = shot.pixel(shot.width() - 1, 0);
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb p = shot.pixel(x, y);
            colours.insert(p);
            if (qRed(p) > 150 && qGreen(p) < 40 && qBlue(p) < 40)
                ++red;
            // Nothing reaches into the page's right margin: no card is wider than the phone.
            if (x >= shot.width() - 4 && p != background)
                rightMarginClear = false;
        }
    qInfo("screenshot: %lld colours, %d red pixels", qlonglong(colours.size()), red);
    QVERIFY(colours.size() > 50);
    // The fault's banner.
    QVERIFY(red > 2000);
    QVERIFY(rightMarginClear);
    const QString keep = qEnvironmentVariable("ZKV_STATUS_SCREENSHOT");
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QVERIFY(QFile::copy(png, keep));
    }

    c.dialogs.questionAnswers << true;
    first->sbStopPrgClick();
    // Gone with the console, though a client holds a connection and says nothing.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(page->port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(silent, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    page.reset();
    char byte;
    QCOMPARE(::recv(silent, &byte, 1, 0) <= 0, true);
    ::close(silent);
    QCOMPARE(Curl(base + "/").exitCode, 7);
}

void TestStatusPage::theConsoleGoesOnWhenThePortIsTaken()
{
    if (!StatusPage::available())
        QSKIP("This build has no status page (cpp-httplib was missing).");
    if (!HaveCurl())
        QSKIP("No curl program to ask the page with (Debian package curl).");
    auto holder = std::make_unique<StatusServer>(StatusServerOptions{});
    QVERIFY(holder->start());
    const QString port = QString::number(holder->port());
    const QStringList arguments{QStringLiteral("--simulator"), QStringLiteral("--no-logbook"),
                                QStringLiteral("--status-port"), port};

    QProcess refused;
    refused.start(QStringLiteral(ZKV_CONSOLE_PATH), arguments);
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += refused.readAllStandardError()).contains("status page"),
                             20000);
    const QByteArray line =
        "zkv-console: The status page cannot listen on 127.0.0.1:" + port.toLatin1() +
        ": Address already in use.\n";
    QVERIFY2(said.contains(line), said.constData());
    QTest::qWait(500);
    said += refused.readAllStandardError();
    QCOMPARE(said.count("status page"), 1);
    QCOMPARE(refused.state(), QProcess::Running);

    // Once the port is free, a console serves its page from the start, while its first window
    // still waits in its start-up dialogs.
    holder.reset();
    QProcess serving;
    serving.start(QStringLiteral(ZKV_CONSOLE_PATH), arguments);
    const QString url = QStringLiteral("http://127.0.0.1:%1/status.json").arg(port);
    QTRY_COMPARE_WITH_TIMEOUT(Curl(url).status, 200, 20000);
    const QJsonObject doc = QJsonDocument::fromJson(Curl(url).body).object();
    QCOMPARE(doc[QStringLiteral("format")].toString(), QStringLiteral("zkv-console-status"));
    QCOMPARE(serving.state(), QProcess::Running);
    for (QProcess *console : {&refused, &serving}) {
        console->kill();
        console->waitForFinished(10000);
    }
}

QTEST_MAIN(TestStatusPage)
#include "tst_statuspage.moc"
