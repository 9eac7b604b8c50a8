// SPDX-License-Identifier: GPL-3.0-or-later
// One tick of the run monitor without a window: what it shows and what it asks of the furnace.

#include "app/runmonitor.h"

#include "common/programstep.h"

#include <QTest>

#include <algorithm>

namespace
{

TickInputs tickOf(quint8 consoleMode, bool timedOut)
{
    TickInputs in;
    in.console.ConsoleMode = consoleMode;
    in.watchdog.timedOut = timedOut;
    return in;
}

/// The layer that runs: the values its stage texts show.
const ProgParam Record = [] {
    ProgParam r;
    r.PreDryTemp = 500;
    r.PreDryHold = 10;
    r.HeatTemp = 930;
    r.HeatRate = 55;
    return r;
}();

/// A tick of a program the console started, a furnace minute after the last one; the
/// controller runs it in `zone` with 42 minutes left.
TickInputs programTick(int zone, bool timedOut)
{
    TickInputs in = tickOf(ConsoleMode::Program, timedOut);
    in.console.ProgramRunning = true;
    in.runRecorded = true;
    in.record = &Record;
    in.image.ControllerMode = ControllerMode::Program;
    in.image.CurrentZone = quint8(zone);
    in.image.StageByte = quint8(zone);
    in.image.RemainingMinutes = 42;
    in.secondsSinceTick = 60;
    return in;
}

bool asks(const TickPlan &plan, RequestKind kind)
{
    return std::find(plan.requests.begin(), plan.requests.end(), kind) != plan.requests.end();
}

} // namespace

class TestRunTick : public QObject
{
    Q_OBJECT
private slots:
    void programDisplay_data();
    void programDisplay();
    void runClockAndWatch();
    void answeredTick_data();
    void answeredTick();
    void idleChamberCycle();
    void factoryWindow_data();
    void factoryWindow();
};

void TestRunTick::programDisplay_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("timedOut");
    QTest::addColumn<int>("zone");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("stage"); // empty: panel 4 is left as it is
    QTest::addColumn<QString>("packetErrors");
    QTest::addColumn<bool>("finished");

    const QString running = QStringLiteral("ZKV4.6 CONSOLE - Duration: 42 min");
    const QString ramp = QStringLiteral("Heating chamber for T firing, 930°C at speed 55°C/min");
    const QString ok = QStringLiteral("PacketERR=0");
    QTest::newRow("firing ramp") << true << false << 11 << running << ramp << ok << false;
    QTest::newRow("silent: the last values")
        << true << true << 11 << running << ramp << "PacketERR=3,99" << false;
    QTest::newRow("last step ends it")
        << true << false << ProgramStep::Finished << running << "Program finished" << ok << true;
    QTest::newRow("step without a text")
        << true << false << 25 << running << QString() << ok << false;
    QTest::newRow("no program") << false << false << 11 << "ZKV4.6 CONSOLE" << QString() << ok
                                << false;
}

void TestRunTick::programDisplay()
{
    QFETCH(bool, running);
    QFETCH(bool, timedOut);
    QFETCH(int, zone);
    TickInputs in = programTick(zone, timedOut);
    in.console.ProgramRunning = running;
    in.noReplyCount = 3;
    in.lastRequestType = 99;
    RunMonitor monitor;
    monitor.startRun(3600);
    const TickPlan plan = monitor.tick(in);

    QTEST(plan.title, "title");
    QTEST(plan.stageText.value_or(QString()), "stage");
    QTEST(plan.packetErrors, "packetErrors");
    QTEST(plan.finished, "finished");
    QCOMPARE(plan.noFurnace, timedOut);
    QCOMPARE(plan.programShown, running);
    QCOMPARE(asks(plan, RequestKind::ReadRemainingTime), running);
}

void TestRunTick::runClockAndWatch()
{
    RunMonitor monitor;
    monitor.startRun(3600);

    // A whole poll round of the program running in step 3 with 50 minutes left.
    TickInputs in = programTick(ProgramStep::PreDryHold, false);
    in.image.RemainingMinutes = 50;
    in.modeReported = in.stageReported = in.remainingReported = true;
    QCOMPARE(monitor.tick(in).loss, RunLoss::None);
    QCOMPARE(monitor.runSeconds(), 60.0);

    // The clock counts furnace time over a silent tick too.
    QCOMPARE(monitor.tick(programTick(ProgramStep::PreDryHold, true)).loss, RunLoss::None);
    QCOMPARE(monitor.runSeconds(), 120.0);

    // A controller that restarted reports no program; half a poll round is not judged.
    in = programTick(0, false);
    in.image.ControllerMode = ControllerMode::Holding;
    in.image.StageByte = NoProgramStage;
    in.stageReported = true;
    QCOMPARE(monitor.tick(in).loss, RunLoss::None);
    in.modeReported = true;
    const TickPlan ended = monitor.tick(in);
    QCOMPARE(ended.loss, RunLoss::NoLongerRunning);
    // The run ends on this tick: no program display, no more remaining-time requests.
    QVERIFY(!ended.programShown);
    QVERIFY(!asks(ended, RequestKind::ReadRemainingTime));
    QCOMPARE(ended.title, QStringLiteral("ZKV4.6 CONSOLE"));
    // What the ended run shows is what the furnace said while it ran the program.
    QCOMPARE(monitor.watch().zone(), ProgramStep::PreDryHold);
    QCOMPARE(monitor.watch().remainingMinutes(), std::optional<quint16>(50));

    // Once the window has ended the run the clock stands still.
    in.console.ProgramRunning = false;
    in.runRecorded = false;
    monitor.tick(in);
    QCOMPARE(monitor.runSeconds(), 240.0);
}

void TestRunTick::answeredTick_data()
{
    QTest::addColumn<quint8>("consoleMode");
    QTest::addColumn<bool>("timedOut");
    QTest::addColumn<bool>("controllerError");
    QTest::addColumn<QString>("fault");   // empty: none reported
    QTest::addColumn<int>("serviceStep"); // -1: none

    const QString heating = QStringLiteral("Heating Defective!");
    QTest::newRow("fault in a run") << ConsoleMode::Program << false << true << heating << -1;
    QTest::newRow("fault stops a calibration")
        << ConsoleMode::DriveCalibration << false << true << heating << -1;
    QTest::newRow("fault box up") << ConsoleMode::Fault << false << true << QString() << -1;
    QTest::newRow("silent fault") << ConsoleMode::Program << true << true << QString() << -1;
    for (quint8 mode :
         {ConsoleMode::DriveCalibration, ConsoleMode::VacuumCalibration,
          ConsoleMode::OverheatAdjust, ConsoleMode::ReperTuning, ConsoleMode::ReperRun}) {
        QTest::addRow("procedure %d", mode) << mode << false << false << QString() << int(mode);
    }
    QTest::newRow("silent procedure")
        << ConsoleMode::DriveCalibration << true << false << QString() << -1;
    QTest::newRow("program") << ConsoleMode::Program << false << false << QString() << -1;
}

void TestRunTick::answeredTick()
{
    QFETCH(quint8, consoleMode);
    QFETCH(bool, timedOut);
    QFETCH(bool, controllerError);
    TickInputs in = programTick(ProgramStep::FiringRamp, timedOut);
    in.console.ConsoleMode = consoleMode;
    in.console.ProgramRunning = consoleMode == ConsoleMode::Program;
    if (controllerError)
        in.image.ControllerMode = ControllerMode::Error;
    in.image.FaultCode = 1;
    in.modeReported = in.stageReported = true;
    RunMonitor monitor;
    monitor.startRun(3600);
    const TickPlan plan = monitor.tick(in);

    QTEST(plan.fault.value_or(QString()), "fault");
    QTEST(plan.serviceStep ? int(*plan.serviceStep) : -1, "serviceStep");
    if (plan.fault) {
        // The fault ended the run: the clock stands, the run watch does not judge it, but the
        // program stays on show until the user has closed the box.
        QCOMPARE(monitor.runSeconds(), 0.0);
        QCOMPARE(plan.loss, RunLoss::None);
        QCOMPARE(plan.programShown, in.console.ProgramRunning);
    }
}

void TestRunTick::idleChamberCycle()
{
    RunMonitor monitor;
    TickInputs in = tickOf(ConsoleMode::Idle, false);
    in.image.ChamberStatus = 4; // opened
    // The wait counts answered ticks only.
    for (int i = 1; i < IdleCycleTicks; ++i) {
        QVERIFY(monitor.tick(in).requests.empty());
        QVERIFY(monitor.tick(tickOf(ConsoleMode::Idle, true)).requests.empty());
    }
    // A fault seen on this tick restarts the wait, as a procedure does.
    TickInputs fault = in;
    fault.image.ControllerMode = ControllerMode::Error;
    QVERIFY(monitor.tick(fault).requests.empty());
    for (int i = 1; i < IdleCycleTicks; ++i)
        QVERIFY(monitor.tick(in).requests.empty());
    QVERIFY(asks(monitor.tick(in), RequestKind::ChamberClose));
    in.image.ChamberStatus = 3; // closed
    QVERIFY(asks(monitor.tick(in), RequestKind::ChamberOpen));
}

void TestRunTick::factoryWindow_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("timedOut");
    QTest::addColumn<bool>("refreshed");

    QTest::newRow("open") << true << false << true;
    QTest::newRow("open, silent") << true << true << false;
    QTest::newRow("closed") << false << false << false;
}

void TestRunTick::factoryWindow()
{
    QFETCH(bool, open);
    QFETCH(bool, timedOut);
    QFETCH(bool, refreshed);
    // As the window runs a tick: the link's watchdog first, then the monitor.
    RequestState requests;
    requests.ReplyAwaited = timedOut;
    TickInputs in = tickOf(ConsoleMode::Idle, false);
    in.console.OfficesWindowOpen = open;
    in.watchdog = WatchdogTick(requests, open);
    QCOMPARE(RunMonitor().tick(in).refreshOffices, refreshed);
    // Its live values come with the two extra polls.
    QCOMPARE(requests.Pending.isSet(RequestKind::ReadAmbient), refreshed);
    QCOMPARE(requests.Pending.isSet(RequestKind::ReadMeasurements), refreshed);
}

QTEST_GUILESS_MAIN(TestRunTick)
#include "tst_runtick.moc"
