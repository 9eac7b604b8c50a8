// The console against a misbehaving furnace: one table of faults, injected into the built-in
// simulator or served on a pseudo-terminal through the real serial-port code. In every case the
// window keeps answering, the furnace image takes values from good frames only, and the display
// recovers once the furnace behaves again. Each case's CPU share and longest stall of the
// user-interface thread are measured and printed as a table at the end.

#include "Unit1.h"
#include "consolelines.h"
#include "cputime.h"
#include "framing.h"
#include "furnacecontroller.h"
#include "link.h"
#include "ptyserver.h"
#include "scripteddialogs.h"
#include "simulatorline.h"
#include "transfersequence.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace
{

const QString DemoFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
const QString Answered = QStringLiteral("PacketERR=0");
const QString Model = QStringLiteral("ZKV 4.6 v:1.05");
const QString NoResponse = QStringLiteral(" Error: CC haven't response");

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

/// A status reply (type 3) as the furnace would send it, showing `temperature`.
QByteArray statusFrame(quint16 temperature)
{
    const quint8 payload[5] = {quint8(temperature & 0xFF), quint8(temperature >> 8), 0, 3, 0};
    return EncodeFrame(1, 3, payload, 5);
}

enum class Via { Simulator, Pty };
enum class Expect { Either, TimeOuts, NoTimeOuts };

struct Bench;

/// One row of the campaign.
struct FaultCase {
    using Faults = std::function<void(SimFaults &)>;
    using Step = std::function<bool(Bench &)>;
    using Lines = QList<std::pair<QString, int>>;
    FaultCase(const char *name, Via via, Expect expect, Faults faults = {}, Step during = {},
              Lines logLines = {}, Step after = {})
        : name(name)
        , via(via)
        , expect(expect)
        , faults(std::move(faults))
        , during(std::move(during))
        , logLines(std::move(logLines))
        , after(std::move(after))
    {
    }

    const char *name;
    Via via = Via::Simulator;
    Expect expect = Expect::Either;
    /// Injected when the fault phase starts, cleared when it ends.
    std::function<void(SimFaults &)> faults;
    /// Runs after the faults are injected: starts an upload, hangs the line up and brings it
    /// back... May wait; false fails the case.
    std::function<bool(Bench &)> during;
    /// Log lines (without their time of day) the case must have written, each this often.
    QList<std::pair<QString, int>> logLines;
    /// Checks once the console has recovered; false fails the case.
    std::function<bool(Bench &)> after;
};

/// A console with the demo library, and the furnace it talks to.
struct Bench {
    ScriptedDialogs dialogs;
    FurnaceController ptyController; ///< the furnace behind the pseudo-terminal
    std::unique_ptr<PtyServer> server;
    QTemporaryDir dir;
    QString linkPath;
    SimulatorLine *sim = nullptr;
    FurnaceController *controller = nullptr;
    QSet<QByteArray> goodFrames; ///< type and payload of every well-formed frame sent
    QStringList strayFrames;     ///< frames the console took that the furnace never sent
    int ticks = 0;
    bool sawTimeout = false;
    std::unique_ptr<TForm1> form; ///< last: it goes before what it talks to

    explicit Bench(Via via)
    {
        const auto observe = [this](FurnaceController &c) {
            c.setSpeed(0); // the furnace moves only when the case says so
            c.setFrameObserver([this](quint8 type, const QByteArray &payload) {
                goodFrames.insert(char(type) + payload);
            });
            controller = &c;
        };
        ConsoleOptions options;
        options.massesFile = DemoFile;
        if (via == Via::Simulator) {
            options.port = SimulatorPortName;
            options.lineFactory = [this, observe](const QString &) {
                auto line = std::make_unique<SimulatorLine>();
                observe(line->controller());
                sim = line.get();
                return line;
            };
        } else {
            observe(ptyController);
            linkPath = dir.filePath(QStringLiteral("furnace"));
            if (!plugInPty())
                return;
            options.port = linkPath;
        }
        form = std::make_unique<TForm1>(std::move(options), dialogs);
        QObject::connect(&form->link(), &Link::frameReceived, [this] {
            const FrameReceiver &rx = form->link().receiver();
            const QByteArray frame =
                char(rx.type()) +
                QByteArray(reinterpret_cast<const char *>(rx.payload()), rx.length());
            if (!goodFrames.contains(frame))
                strayFrames << QString::fromLatin1(frame.toHex(' '));
        });
        QObject::connect(form->findChild<QTimer *>(QStringLiteral("Timer1")), &QTimer::timeout,
                         [this] { ++ticks; });
    }

    /// A new pseudo-terminal served by ptyController, at linkPath.
    bool plugInPty()
    {
        server = std::make_unique<PtyServer>(ptyController);
        QString error;
        if (!server->open(&error))
            return false;
        QFile::remove(linkPath);
        return QFile::link(server->slavePath(), linkPath);
    }
    void unplugPty() { server.reset(); }

    template<typename T>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QString log() const { return get<QPlainTextEdit>("mMessage")->toPlainText(); }
    QString packetErr() const { return get<QLabel>("lblPacketErr")->text(); }
    QString temperature() const { return get<QToolButton>("sbTemperature")->text(); }

    void sample() { sawTimeout = sawTimeout || packetErr() != Answered; }
    /// Serves the event loop until `done` holds or `timeoutMs` passed; samples the display.
    bool runUntil(const std::function<bool()> &done, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > timeoutMs)
                return false;
            QTest::qWait(10);
            sample();
        }
        return true;
    }
    void wait(int ms)
    {
        runUntil([] { return false; }, ms);
    }
    /// The display shows the furnace as it is, and the last tick was answered.
    bool healthy() const
    {
        if (!controller)
            return false;
        const FurnaceImage &image = form->link().image();
        return packetErr() == Answered && form->panel(0)->text() == Model &&
               image.ChamberTemp == controller->furnace().ChamberTemp() &&
               temperature() == QStringLiteral("T=%1°C").arg(image.ChamberTemp);
    }
    void selectFirstLayer()
    {
        get<QListWidget>("lbNames")->setCurrentRow(0);
        form->lbNamesClick();
        get<QListWidget>("lbLayers")->setCurrentRow(0);
        form->lbLayersClick();
    }
    bool startFiring()
    {
        selectFirstLayer();
        form->sbStartPrgClick();
        return runUntil([this] { return controller->furnace().programRunning(); }, 3000);
    }
    bool startUpload()
    {
        dialogs.nameAnswers << QStringLiteral("1");
        form->btnSendClick();
        return form->transfer().running();
    }
    bool uploadEnded() const { return !form->transfer().running(); }
    /// The built-in line goes as an unplugged adapter does and comes back `downMs` later.
    bool hangUpSimulator(int downMs)
    {
        sim->simulateFailure(QStringLiteral("Input/output error"));
        if (!runUntil([this] { return form->panel(0)->text() == QStringLiteral("No furnace"); },
                      2000))
            return false;
        wait(downMs);
        sim->simulateReplug();
        return true;
    }
};

/// Hangs the line up from inside the furnace once it has answered `n` transfer requests (an
/// upload under way), deferred so that the console is not inside its own write.
void hangUpAfterTransferReplies(Bench &b, int n)
{
    auto count = std::make_shared<int>(0);
    b.controller->setFrameObserver([&b, count, n](quint8 type, const QByteArray &payload) {
        b.goodFrames.insert(char(type) + payload);
        if ((type == 6 || type == 8 || type == 9) && ++*count == n)
            QTimer::singleShot(
                0, b.sim, [&b] { b.sim->simulateFailure(QStringLiteral("Input/output error")); });
    });
}

const QString FailedDisconnected = QStringLiteral(" failed (the device was disconnected)");

QList<FaultCase> campaign()
{
    const auto sim = Via::Simulator;
    const auto pty = Via::Pty;
    const auto timeOuts = Expect::TimeOuts;
    const auto answered = Expect::NoTimeOuts;
    const auto either = Expect::Either;
    // The two replies that once showed 1337 and 1338 °C.
    const QByteArray badThenStray =
        bytes({0xFF, 0x01, 0x03, 0x05, 0x39, 0x05, 0x00, 0x03, 0x00, 0x4B}) + QByteArray(9, 0) +
        bytes({0x95});
    const QByteArray noStartMark =
        bytes({0x00, 0x01, 0x03, 0x05, 0x3A, 0x05, 0x00, 0x03, 0x00, 0x4B});
    const auto upload = [](Bench &b) {
        return b.startUpload() && b.runUntil([&b] { return b.uploadEnded(); }, 15000);
    };
    const auto opened = [](int times) {
        return std::pair{QStringLiteral(" successfully opened."), times};
    };

    QList<FaultCase> cases = {
        // Replies that do not come, or come late.
        {"silence", sim, timeOuts, [](SimFaults &f) { f.noReply = true; }},
        {"every third request unanswered", sim, timeOuts, [](SimFaults &f) { f.noReplyEvery = 3; }},
        {"replies after 400 ms", sim, answered, [](SimFaults &f) { f.replyDelayMs = 400; }},
        {"replies after 799 ms", sim, either, [](SimFaults &f) { f.replyDelayMs = 799; }},
        {"replies after 801 ms", sim, either, [](SimFaults &f) { f.replyDelayMs = 801; }},
        // Checksums.
        {"bad checksum on every reply", sim, timeOuts, [](SimFaults &f) { f.badChecksum = true; }},
        {"bad checksum on every second reply", sim, timeOuts,
         [](SimFaults &f) { f.badChecksumEvery = 2; }},
        {"bad checksum, then stray bytes", sim, timeOuts,
         [badThenStray](SimFaults &f) { f.rawReplies.insert(3, badThenStray); }},
        {"status reply without start mark", sim, timeOuts,
         [noStartMark](SimFaults &f) { f.rawReplies.insert(3, noStartMark); }},
        // Well-formed frames that answer something else.
        {"every reply of type 3", sim, answered, [](SimFaults &f) { f.wrongType = 3; }},
        {"every reply of type 200", sim, answered, [](SimFaults &f) { f.wrongType = 200; }},
        {"every reply one byte too long", sim, answered,
         [](SimFaults &f) { f.wrongLength = true; }},
        // Bytes around the replies.
        {"garbage before every reply", sim, answered,
         [](SimFaults &f) {
             f.replyPrefix = bytes({0x12, 0x34, 0x00, 0x56, 0x78});
         }},
        {"garbage with a start mark before every reply", sim, answered,
         [](SimFaults &f) {
             f.replyPrefix = bytes({0xFF, 0x05, 0x03});
         }},
        {"a partial frame after every reply", sim, answered,
         [](SimFaults &f) {
             f.replySuffix = bytes({0xFF, 0x01, 0x03, 0x05, 0x20});
         }},
        {"length byte 255 in the status reply", sim, timeOuts,
         [](SimFaults &f) {
             f.rawReplies.insert(
                 3, bytes({0xFF, 0x01, 0x03, 0xFF, 0xFF, 0x39, 0x05, 0x00, 0x03, 0x00, 0x4B}));
         }},
        {"64 x 0xFF before every reply", sim, answered,
         [](SimFaults &f) { f.replyPrefix = QByteArray(64, char(0xFF)); }},
        {"63 x 0xFF before every reply", sim, timeOuts,
         [](SimFaults &f) { f.replyPrefix = QByteArray(63, char(0xFF)); }},
        {"a lone 0xFF before every reply", sim, timeOuts,
         [](SimFaults &f) { f.replyPrefix = bytes({0xFF}); }},
        {"a lone 0xFF before a status reply of 1337", sim, timeOuts,
         [](SimFaults &f) { f.rawReplies.insert(3, bytes({0xFF}) + statusFrame(1337)); }},
        {"replies cut after the header", sim, timeOuts, [](SimFaults &f) { f.truncateReply = 4; }},
        {"replies cut to nine bytes", sim, timeOuts, [](SimFaults &f) { f.truncateReply = 9; }},
        // The upload of masses.
        {"mass names refused",
         sim,
         either,
         [](SimFaults &f) { f.refuseChunk = 1; },
         upload,
         {{QStringLiteral(" Error at the Mass tranfer."), 1}}},
        // The demo library's six mass names take six chunks.
        {"layer names refused",
         sim,
         either,
         [](SimFaults &f) { f.refuseChunk = 7; },
         upload,
         {{QStringLiteral(" Masses are successfully transmitted."), 1},
          {QStringLiteral(" Error at the Layer tranfer."), 1}}},
        {"a record refused once",
         sim,
         either,
         [](SimFaults &f) { f.refuseRecord = 1; },
         upload,
         {{QStringLiteral(" Error. Retransfering program #1"), 1},
          {QStringLiteral(" All the programs are successfully transmitted."), 1}}},
        {"every record refused",
         sim,
         either,
         [](SimFaults &f) {
             f.refuseRecord = 1;
             f.refuseAlways = true;
         },
         upload,
         {{QStringLiteral("; the transfer is stopped."), 1}}},
        {"silent after two transfer requests",
         sim,
         timeOuts,
         [](SimFaults &f) { f.silentAfterTransfers = 2; },
         upload,
         {{NoResponse, 1}}},
        {"duplicate acknowledgements", sim, either,
         [](SimFaults &f) { f.duplicateReplyAfterMs = 5; }, upload},
        // The line goes and comes back.
        {"hang-up while polling",
         sim,
         timeOuts,
         nullptr,
         [](Bench &b) { return b.hangUpSimulator(1000); },
         {{FailedDisconnected, 1}, opened(2)}},
        {"hang-up during an upload",
         sim,
         timeOuts,
         nullptr,
         [](Bench &b) {
             hangUpAfterTransferReplies(b, 10);
             // The upload ends at the failure, as a time-out ends it.
             if (!b.startUpload() || !b.runUntil([&b] { return b.uploadEnded(); }, 5000) ||
                 !b.get<QPushButton>("btnSend")->isEnabled())
                 return false;
             b.wait(500);
             b.sim->simulateReplug();
             return true;
         },
         {{FailedDisconnected, 1}, {NoResponse, 1}, opened(2)}},
        {"hang-up during a firing",
         sim,
         timeOuts,
         nullptr,
         [](Bench &b) {
             if (!b.startFiring())
                 return false;
             const quint8 zone = b.controller->furnace().stageByte();
             b.sim->simulateFailure(QStringLiteral("Input/output error"));
             if (!b.runUntil([&b] { return b.packetErr() != Answered; }, 2000))
                 return false;
             // The furnace fires on by itself meanwhile.
             for (int i = 0; i < 60 && b.controller->furnace().stageByte() == zone; ++i)
                 b.controller->advance(30);
             b.wait(500);
             if (!b.form->console().ProgramRunning)
                 return false;
             b.sim->simulateReplug();
             return b.controller->furnace().stageByte() != zone;
         },
         {{FailedDisconnected, 1}, opened(2)},
         [](Bench &b) {
             const FurnaceImage &image = b.form->link().image();
             return b.form->console().ProgramRunning &&
                    b.runUntil(
                        [&] {
                            return image.CurrentZone ==
                                       (b.controller->furnace().stageByte() & 0x1F) &&
                                   !b.form->panel(4)->text().isEmpty();
                        },
                        3000);
         }},
        {"abort while the line is down",
         sim,
         timeOuts,
         nullptr,
         [](Bench &b) {
             if (!b.startFiring())
                 return false;
             b.sim->simulateFailure(QStringLiteral("Input/output error"));
             if (!b.runUntil([&b] { return b.packetErr() != Answered; }, 2000))
                 return false;
             b.dialogs.questionAnswers << true;
             b.get<QToolButton>("sbStopPrg")->click();
             b.wait(300);
             if (b.form->console().ProgramRunning || !b.controller->furnace().programRunning())
                 return false;
             b.sim->simulateReplug();
             return true;
         },
         {{FailedDisconnected, 1}, opened(2)},
         [](Bench &b) {
             // The stop asked for while the line was down went out once it was back.
             return b.runUntil([&b] { return !b.controller->furnace().programRunning(); }, 3000);
         }},
        // Through the serial-port code on a pseudo-terminal.
        {"pty: bad checksum, then stray bytes", pty, timeOuts,
         [badThenStray](SimFaults &f) { f.rawReplies.insert(3, badThenStray); }},
        {"pty: garbage before every reply", pty, answered,
         [](SimFaults &f) {
             f.replyPrefix = bytes({0x12, 0x34, 0x00, 0x56, 0x78});
         }},
        {"pty: hang-up, then a new terminal at the same path",
         pty,
         timeOuts,
         nullptr,
         [](Bench &b) {
             b.unplugPty();
             if (!b.runUntil([&b] { return b.log().contains(FailedDisconnected); }, 3000) ||
                 !b.runUntil([&b] { return b.log().contains("can't be opened yet"); }, 3000))
                 return false;
             return b.plugInPty();
         },
         {{FailedDisconnected, 1},
          {QStringLiteral(" can't be opened yet (the device is not there)."), 1},
          opened(2)}},
        {"pty: the device stops taking data",
         pty,
         timeOuts,
         nullptr,
         [](Bench &b) {
             b.server->setTakingData(false);
             const bool failed = b.runUntil(
                 [&b] { return b.log().contains(" failed (the device stopped taking data)"); },
                 6000);
             b.server->setTakingData(true);
             if (!failed)
                 qWarning("%s", qPrintable(b.log()));
             return failed;
         },
         {opened(2)}},
    };
    return cases;
}

struct CaseFigures {
    QString name;
    bool timeOuts = false;
    qint64 longestStallMs = 0;
    double cpuShare = 0;
    qint64 recoveryMs = 0;
};

} // namespace

class TestFaultCampaign : public QObject
{
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
    void cleanupTestCase();

private:
    QList<CaseFigures> m_figures;
};

void TestFaultCampaign::faults_data()
{
    QTest::addColumn<int>("index");
    const QList<FaultCase> cases = campaign();
    for (int i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].name) << i;
}

void TestFaultCampaign::faults()
{
    QFETCH(int, index);
    const FaultCase fault = campaign()[index];
    Bench b(fault.via);
    QVERIFY(b.form);
    QVERIFY(b.controller);
    // Polled at once, and healthy before anything goes wrong.
    b.form->Timer1Timer();
    QVERIFY(b.runUntil([&b] { return b.healthy(); }, 3000));

    // The user-interface thread's stalls: the longest gap between two 10 ms ticks.
    qint64 longestStall = 0;
    QElapsedTimer sinceProbe;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    connect(&probe, &QTimer::timeout,
            [&] { longestStall = qMax(longestStall, sinceProbe.restart()); });
    sinceProbe.start();
    probe.start();
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();

    b.sawTimeout = false;
    const int ticksBefore = b.ticks;
    if (fault.faults)
        fault.faults(b.controller->faults());
    if (fault.during)
        QVERIFY2(fault.during(b), "the case's own steps did not go as planned");
    if (fault.expect == Expect::TimeOuts)
        b.runUntil([&b] { return b.sawTimeout; }, 4000);
    // At least one whole poll cycle under the fault.
    b.runUntil([&] { return b.ticks >= ticksBefore + 2; }, 4000);
    b.controller->clearFaults();
    const bool sawTimeout = b.sawTimeout;

    // Recovers once the furnace behaves: the display shows it as it is.
    QElapsedTimer recovery;
    recovery.start();
    const bool recovered = b.runUntil([&b] { return b.healthy(); }, 5000);
    const qint64 recoveryMs = recovery.elapsed();
    if (fault.after)
        QVERIFY2(fault.after(b), "the console did not pick up where it was");
    const double cpu = (processCpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000.0);
    probe.stop();
    m_figures.append({QString::fromLatin1(fault.name), sawTimeout, longestStall, cpu, recoveryMs});
    qInfo("%s: time-outs %s, longest stall %lld ms, CPU %.1f %% of a core, recovered after "
          "%lld ms",
          fault.name, sawTimeout ? "yes" : "no", longestStall, 100 * cpu, recoveryMs);

    QVERIFY2(recovered,
             qPrintable(QStringLiteral("still showing %1, %2, %3")
                            .arg(b.packetErr(), b.form->panel(0)->text(), b.temperature())));
    QVERIFY2(b.strayFrames.isEmpty(), qPrintable(b.strayFrames.join(QStringLiteral("; "))));
    if (fault.expect == Expect::TimeOuts)
        QVERIFY(sawTimeout);
    if (fault.expect == Expect::NoTimeOuts)
        QVERIFY(!sawTimeout);
    for (const auto &[line, times] : fault.logLines)
        QVERIFY2(b.log().count(line) == times, qPrintable(line + QStringLiteral("\n") + b.log()));
    QVERIFY2(b.dialogs.unexpected.isEmpty(), qPrintable(b.dialogs.unexpected.join(u'\n')));
    QVERIFY(b.form->isEnabled());
    // Loose bounds: the figures above are what to look at.
    QVERIFY2(longestStall < 250, qPrintable(QString::number(longestStall)));
    QVERIFY2(cpu < 0.5, qPrintable(QString::number(cpu)));
}

void TestFaultCampaign::cleanupTestCase()
{
    qInfo("| case | time-outs | longest stall (ms) | CPU (%% of a core) | recovered after (ms) |");
    qInfo("|---|---|---|---|---|");
    for (const CaseFigures &f : m_figures)
        qInfo("| %s | %s | %lld | %.1f | %lld |", qPrintable(f.name), f.timeOuts ? "yes" : "no",
              f.longestStallMs, 100 * f.cpuShare, f.recoveryMs);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestFaultCampaign test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faultcampaign.moc"
