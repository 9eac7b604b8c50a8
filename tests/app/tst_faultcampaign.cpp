// SPDX-License-Identifier: GPL-3.0-or-later
// The console against a misbehaving furnace: one table of faults, injected into the built-in
// simulator or served on a pseudo-terminal through the real serial-port code. In every case the
// window keeps answering, the furnace image takes values from good frames only, and the display
// recovers once the furnace behaves again. Each case's CPU share and longest stall of the
// user-interface thread are measured and printed as a table at the end.

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "link/framing.h"
#include "link/link.h"
#include "link/transfersequence.h"
#include "sim/furnacecontroller.h"
#include "sim/ptyserver.h"
#include "sim/simulatorline.h"
#include "tests/support/cputime.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/stallwatch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace
{

const QString Answered = QStringLiteral("PacketERR=0");
const QString IoError = QStringLiteral("Input/output error");
const QString NoResponse = QStringLiteral(" Error: CC haven't response");
const QString Disconnected = QStringLiteral(" failed (the device was disconnected)");
const QString StoppedTaking = QStringLiteral(" failed (the device stopped taking data)");
const QString NotAnswering = QStringLiteral(" The furnace does not answer on port Simulator.");

/// A status reply (type 3) as the furnace would send it, showing `temperature`.
QByteArray statusFrame(quint16 temperature)
{
    const quint8 payload[5] = {quint8(temperature & 0xFF), quint8(temperature >> 8), 0, 3, 0};
    return EncodeFrame(1, 3, payload, 5);
}

enum class Via { Sim, Pty };
enum class Expect { Either, TimeOuts, NoTimeOuts };
/// What a case does once its faults are in. From HangUp on, the line fails and comes back.
enum class Act { None, Upload, HangUp, HangUpUpload, HangUpFiring, AbortWhileDown, NewPty, Stall };

/// One row of the campaign.
struct FaultCase {
    const char *name;
    Via via;
    Expect expect;
    SimFaults faults = {}; ///< injected when the fault phase starts, cleared when it ends
    Act act = Act::None;
    /// Log lines (without their time of day) the case must have written, each this often.
    QList<std::pair<QString, int>> logLines = {};
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
    StallWatch stalls; ///< started when the faults go in
    int transferReplies = 0;
    int hangUpAtTransferReply = 0; ///< the built-in line fails once this many went out
    std::unique_ptr<TForm1> form;  ///< last: it goes before what it talks to

    explicit Bench(Via via)
    {
        const auto observe = [this](FurnaceController &c) {
            c.setSpeed(0); // the furnace moves only when the case says so
            c.setFrameObserver([this](quint8 type, const QByteArray &payload) {
                goodFrames.insert(char(type) + payload);
                // Deferred, so that the console is not inside its own write.
                if ((type == 6 || type == 8 || type == 9) &&
                    ++transferReplies == hangUpAtTransferReply)
                    QTimer::singleShot(0, sim, [this] { sim->simulateFailure(IoError); });
            });
            controller = &c;
        };
        ConsoleOptions options;
        options.massesFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
        if (via == Via::Sim) {
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
        QFile::remove(linkPath);
        return server->open(nullptr) && QFile::link(server->slavePath(), linkPath);
    }
    /// The built-in line goes as an unplugged adapter does; true once the display shows it.
    bool hangUp()
    {
        sim->simulateFailure(IoError);
        return runUntil([this] { return form->panel(0)->text() == "No furnace"; }, 6000);
    }

    template<typename T>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QString log() const { return get<QPlainTextEdit>("mMessage")->toPlainText(); }
    QString packetErr() const { return get<QLabel>("lblPacketErr")->text(); }
    QString temperature() const { return get<QToolButton>("sbTemperature")->text(); }

    /// Serves the event loop until `done` holds or `timeoutMs` passed; samples the display.
    bool runUntil(const std::function<bool()> &done, int timeoutMs)
    {
        return stalls.runUntil(done, timeoutMs,
                               [this] { sawTimeout = sawTimeout || packetErr() != Answered; });
    }
    void wait(int ms)
    {
        runUntil([] { return false; }, ms);
    }
    /// The display shows the furnace as it is, and the last tick was answered.
    bool healthy() const
    {
        const FurnaceImage &image = form->link().image();
        return packetErr() == Answered && form->panel(0)->text() == "ZKV 4.6 v:1.05" &&
               image.ChamberTemp == controller->furnace().ChamberTemp() &&
               temperature() == QStringLiteral("T=%1°C").arg(image.ChamberTemp);
    }
    bool startFiring()
    {
        get<QListWidget>("lbNames")->setCurrentRow(0);
        form->lbNamesClick();
        get<QListWidget>("lbLayers")->setCurrentRow(0);
        form->lbLayersClick();
        form->sbStartPrgClick();
        return runUntil([this] { return controller->furnace().programRunning(); }, 3000);
    }
    bool upload(int timeoutMs)
    {
        dialogs.nameAnswers << QStringLiteral("1");
        form->btnSendClick();
        return form->transfer().running() &&
               runUntil([this] { return !form->transfer().running(); }, timeoutMs);
    }
};

/// The case's own steps once its faults are in; false when they did not go as planned.
bool act(Bench &b, Act act)
{
    SimFurnace &furnace = b.controller->furnace();
    switch (act) {
    case Act::None:
        return true;
    case Act::Upload:
        return b.upload(15000);
    case Act::HangUp:
        if (!b.hangUp())
            return false;
        b.wait(1000);
        break;
    case Act::HangUpUpload:
        // The upload ends at the failure, as a time-out ends it.
        b.hangUpAtTransferReply = 10;
        if (!b.upload(5000) || !b.get<QPushButton>("btnSend")->isEnabled())
            return false;
        b.wait(500);
        break;
    case Act::HangUpFiring:
    case Act::AbortWhileDown: {
        if (!b.startFiring())
            return false;
        const quint8 zone = furnace.stageByte();
        if (!b.hangUp())
            return false;
        if (act == Act::HangUpFiring) {
            // The furnace fires on by itself meanwhile; the console's run goes on.
            for (int i = 0; i < 60 && furnace.stageByte() == zone; ++i)
                b.controller->advance(30);
            b.wait(500);
            if (!b.form->console().ProgramRunning || furnace.stageByte() == zone)
                return false;
        } else {
            // The run ends here; the furnace hears of it once the line is back.
            b.dialogs.questionAnswers << true;
            b.get<QToolButton>("sbStopPrg")->click();
            b.wait(300);
            if (b.form->console().ProgramRunning || !furnace.programRunning())
                return false;
        }
        break;
    }
    case Act::NewPty:
        // The reopening runs every 2 s; the bounds leave room for a loaded machine.
        b.server.reset();
        return b.runUntil([&b] { return b.log().contains(Disconnected); }, 10000) &&
               b.runUntil([&b] { return b.log().contains("can't be opened yet"); }, 10000) &&
               b.plugInPty();
    case Act::Stall: {
        b.server->setTakingData(false);
        const bool failed = b.runUntil([&b] { return b.log().contains(StoppedTaking); }, 6000);
        b.server->setTakingData(true);
        return failed;
    }
    }
    b.sim->simulateReplug();
    return true;
}

// Each row names only the faults it injects.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
QList<FaultCase> campaign()
{
    using enum Via;
    using enum Expect;
    using enum Act;
    // The two replies that once showed 1337 and 1338 °C.
    const QByteArray badThenStray =
        QByteArray::fromHex("ff 01 03 05 39 05 00 03 00 4b 00 00 00 00 00 00 00 00 00 95");
    const QByteArray noStartMark = QByteArray::fromHex("00 01 03 05 3a 05 00 03 00 4b");
    const QByteArray garbage = QByteArray::fromHex("12 34 00 56 78");
    const QString massesDone = QStringLiteral(" Masses are successfully transmitted.");
    const QString layersDone = QStringLiteral(" Layers are successfully transmitted.");
    const QString repeat1 = QStringLiteral(" Error. Retransfering program #1");

    // clang-format off
    return {
        // Replies that do not come, or come late.
        // Said once in the log, not once per tick or per lost reply.
        {"silence", Sim, TimeOuts, {.noReply = true}, None, {{NotAnswering, 1}}},
        {"every third request unanswered", Sim, TimeOuts, {.noReplyEvery = 3}, None,
         {{NotAnswering, 1}}},
        {"replies after 400 ms", Sim, NoTimeOuts, {.replyDelayMs = 400}},
        {"replies after 799 ms", Sim, Either, {.replyDelayMs = 799}},
        {"replies after 801 ms", Sim, Either, {.replyDelayMs = 801}},
        // Checksums.
        {"bad checksum on every reply", Sim, TimeOuts, {.badChecksum = true}},
        {"bad checksum on every second reply", Sim, TimeOuts, {.badChecksumEvery = 2}},
        {"bad checksum, then stray bytes", Sim, TimeOuts, {.rawReplies = {{3, badThenStray}}}},
        {"status reply without start mark", Sim, TimeOuts, {.rawReplies = {{3, noStartMark}}}},
        // Well-formed frames that answer something else.
        {"every reply of type 3", Sim, NoTimeOuts, {.wrongType = 3}},
        {"every reply of type 200", Sim, NoTimeOuts, {.wrongType = 200}},
        {"every reply one byte too long", Sim, NoTimeOuts, {.wrongLength = true}},
        // Bytes around the replies.
        {"garbage before every reply", Sim, NoTimeOuts, {.replyPrefix = garbage}},
        {"garbage with a start mark before every reply", Sim, NoTimeOuts,
         {.replyPrefix = QByteArray::fromHex("ff 05 03")}},
        {"a partial frame after every reply", Sim, NoTimeOuts,
         {.replySuffix = QByteArray::fromHex("ff 01 03 05 20")}},
        {"length byte 255 in the status reply", Sim, TimeOuts,
         {.rawReplies = {{3, QByteArray::fromHex("ff 01 03 ff ff 39 05 00 03 00 4b")}}}},
        {"64 x 0xFF before every reply", Sim, NoTimeOuts, {.replyPrefix = QByteArray(64, '\xFF')}},
        {"63 x 0xFF before every reply", Sim, TimeOuts, {.replyPrefix = QByteArray(63, '\xFF')}},
        {"a lone 0xFF before every reply", Sim, TimeOuts, {.replyPrefix = "\xFF"}},
        {"a lone 0xFF before a status reply of 1337", Sim, TimeOuts,
         {.rawReplies = {{3, '\xFF' + statusFrame(1337)}}}},
        {"replies cut after the header", Sim, TimeOuts, {.truncateReply = 4}},
        {"replies cut to nine bytes", Sim, TimeOuts, {.truncateReply = 9}},
        // The upload of masses: the demo library goes as 6 mass-name chunks, 56 layer-name
        // chunks and 13 records. A refused record goes again, up to ten times in a row.
        {"mass names refused", Sim, Either, {.refuseChunk = 1}, Upload,
         {{" Error at the Mass tranfer.", 1}, {massesDone, 0}}},
        {"layer names refused", Sim, Either, {.refuseChunk = 7}, Upload,
         {{massesDone, 1}, {" Error at the Layer tranfer.", 1}, {layersDone, 0}}},
        {"a record refused once", Sim, Either, {.refuseRecord = 1}, Upload,
         {{repeat1, 1}, {" Error: the CC", 0},
          {" All the programs are successfully transmitted.", 1}}},
        {"every record refused", Sim, Either, {.refuseRecord = 1, .refuseAlways = true}, Upload,
         {{repeat1, 9}, {" Error: the CC did not store program #1; the transfer is stopped.", 1}}},
        {"silent during the mass names", Sim, TimeOuts, {.silentAfterTransfers = 2}, Upload,
         {{NoResponse, 1}, {massesDone, 0}}},
        {"silent during the layer names", Sim, TimeOuts, {.silentAfterTransfers = 6}, Upload,
         {{NoResponse, 1}, {massesDone, 1}, {layersDone, 0}}},
        {"silent during the records", Sim, TimeOuts, {.silentAfterTransfers = 64}, Upload,
         {{NoResponse, 1}, {" Program #2 successfully transmitted.", 1},
          {" Program #3 successfully transmitted.", 0}}},
        {"duplicate acknowledgements", Sim, Either, {.duplicateReplyAfterMs = 5}, Upload},
        // The line goes and comes back.
        // A line that failed says so; it is not taken for a silent furnace.
        {"hang-up while polling", Sim, TimeOuts, {}, HangUp, {{NotAnswering, 0}}},
        {"hang-up during an upload", Sim, TimeOuts, {}, HangUpUpload, {{NoResponse, 1}}},
        {"hang-up during a firing", Sim, TimeOuts, {}, HangUpFiring},
        {"abort while the line is down", Sim, TimeOuts, {}, AbortWhileDown},
        // Through the serial-port code on a pseudo-terminal.
        {"pty: bad checksum, then stray bytes", Pty, TimeOuts, {.rawReplies = {{3, badThenStray}}}},
        {"pty: garbage before every reply", Pty, NoTimeOuts, {.replyPrefix = garbage}},
        {"pty: hang-up, then a new terminal at the same path", Pty, TimeOuts, {}, NewPty,
         {{" can't be opened yet (the device is not there).", 1}}},
        {"pty: the device stops taking data", Pty, TimeOuts, {}, Stall},
    };
    // clang-format on
}
#pragma GCC diagnostic pop

} // namespace

class TestFaultCampaign : public QObject
{
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
    void cleanupTestCase();

private:
    QStringList m_figures;
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
    QVERIFY(b.form && b.controller);
    // Polled at once, and healthy before anything goes wrong.
    b.form->Timer1Timer();
    QVERIFY(b.runUntil([&b] { return b.healthy(); }, 3000));

    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    b.stalls.start();
    b.sawTimeout = false;
    const int ticksBefore = b.ticks;
    b.controller->faults() = fault.faults;
    QVERIFY2(act(b, fault.act), "the case's own steps did not go as planned");
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
    const double cpu = (processCpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000.0);
    const qint64 longestStall = b.stalls.longestMs();
    m_figures << QString::asprintf("| %s | %s | %lld | %.1f | %lld |", fault.name,
                                   sawTimeout ? "yes" : "no", longestStall, 100 * cpu, recoveryMs);

    QVERIFY2(recovered,
             qPrintable(QStringLiteral("still showing %1, %2, %3")
                            .arg(b.packetErr(), b.form->panel(0)->text(), b.temperature())));
    // A firing goes on where the furnace is; a stop asked for while the line was down went out.
    const SimFurnace &furnace = b.controller->furnace();
    if (fault.act == Act::HangUpFiring)
        QVERIFY(b.form->console().ProgramRunning &&
                b.runUntil(
                    [&] {
                        return b.form->link().image().CurrentZone == (furnace.stageByte() & 0x1F) &&
                               !b.form->panel(4)->text().isEmpty();
                    },
                    3000));
    if (fault.act == Act::AbortWhileDown)
        QVERIFY(b.runUntil([&] { return !furnace.programRunning(); }, 3000));
    QVERIFY2(b.strayFrames.isEmpty(), qPrintable(b.strayFrames.join(QStringLiteral("; "))));
    if (fault.expect != Expect::Either)
        QCOMPARE(sawTimeout, fault.expect == Expect::TimeOuts);
    // A line that failed names the cause once and is opened a second time.
    QList<std::pair<QString, int>> logLines = fault.logLines;
    if (fault.act >= Act::HangUp)
        logLines << std::pair{fault.act == Act::Stall ? StoppedTaking : Disconnected, 1}
                 << std::pair{QStringLiteral(" successfully opened."), 2};
    for (const auto &[line, times] : logLines)
        QVERIFY2(b.log().count(line) == times, qPrintable(line + QStringLiteral("\n") + b.log()));
    QVERIFY2(b.dialogs.unexpected.isEmpty(), qPrintable(b.dialogs.unexpected.join(u'\n')));
    // Nothing is left half done: no upload runs or holds the library, the run locks are as the
    // run leaves them, the window takes input.
    const TransferSequence &transfer = b.form->transfer();
    QVERIFY(!transfer.running() && !transfer.holds(TransferSequence::Block::MassNames) &&
            !transfer.holds(TransferSequence::Block::LayerNames));
    QCOMPARE(b.get<QPushButton>("btnSend")->isEnabled(), !b.form->console().ProgramRunning);
    QVERIFY(!b.get<QProgressBar>("pbTransfer")->isVisibleTo(b.form.get()));
    QVERIFY(b.form->isEnabled());
    // Loose bounds: the figures above are what to look at.
    QVERIFY2(longestStall < 250, qPrintable(QString::number(longestStall)));
    QVERIFY2(cpu < 0.5, qPrintable(QString::number(cpu)));
}

void TestFaultCampaign::cleanupTestCase()
{
    qInfo("| case | time-outs | longest stall (ms) | CPU (%% of a core) | recovered after (ms) |");
    qInfo("|---|---|---|---|---|");
    for (const QString &row : m_figures)
        qInfo("%s", qPrintable(row));
}

QTEST_MAIN(TestFaultCampaign)
#include "tst_faultcampaign.moc"
