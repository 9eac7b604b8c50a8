// SPDX-License-Identifier: GPL-3.0-or-later
// Running a firing from the main window against the built-in simulator: start, refusals,
// abort, the run monitor's display and fault report, a whole firing to its end, a furnace that
// restarts in the middle of one.

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "app/runpanel.h"
#include "link/framing.h"
#include "link/link.h"
#include "link/programencoding.h"
#include "sim/furnacecontroller.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testpty.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace
{

const QString DemoFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");

/// A console on the built-in simulator with the demo library open and a layer selected.
struct RunConsole {
    ScriptedDialogs dialogs;
    SimulatorLine *sim = nullptr;
    std::unique_ptr<TForm1> form;

    explicit RunConsole(double speed = 0, std::optional<QString> port = SimulatorPortName)
    {
        ConsoleOptions options;
        options.port = port;
        options.lineFactory = [this, speed](const QString &name) -> std::unique_ptr<SerialLine> {
            if (name != SimulatorPortName)
                return MakeConsoleLine(name);
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(speed);
            sim = line.get();
            return line;
        };
        // The demo library is opened in the start-up file dialog.
        dialogs.openAnswers << DemoFile;
        form = std::make_unique<TForm1>(std::move(options), dialogs);
        selectLayer(0, 0);
    }
    void selectLayer(int mass, int layer)
    {
        get<QListWidget>("lbNames")->setCurrentRow(mass);
        form->lbNamesClick();
        get<QListWidget>("lbLayers")->setCurrentRow(layer);
        form->lbLayersClick();
    }
    ProgParam &record() { return *form->selection().CurrentParams; }
    template<typename T>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QString log() const { return get<QPlainTextEdit>("mMessage")->toPlainText(); }
    FurnaceController &controller() { return sim->controller(); }
};

} // namespace

class TestRun : public QObject
{
    Q_OBJECT
private slots:
    void startRefusedNamesFieldAndRange_data();
    void startRefusedNamesFieldAndRange();
    void startLocksTheWindowAndSendsTheProgram();
    void buttonsIgnoredWhileRunning();
    void abortAskedFirst();
    void closingRefusedWhileRunning();
    void stageTitleAndLanguage();
    void faultShownOnceThenRunAborted();
    void unknownFaultCodeHasItsOwnText();
    void wholeFiringToTheEnd();
    void furnaceRestartEndsTheRun();
    void programBytesOnThePseudoTerminal();
};

void TestRun::startRefusedNamesFieldAndRange_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("firing time") << int(ProgParam::fFiringTime) << 3601
                                 << "t(min:sec) firing\n\n00:00 <t< 60:00";
    QTest::newRow("heating rate") << int(ProgParam::fHeatRate) << 0
                                  << "V(°C/minute) heating\n\n1 <V< 140";
}

void TestRun::startRefusedNamesFieldAndRange()
{
    QFETCH(int, field);
    QFETCH(int, value);
    QFETCH(QString, text);
    RunConsole c;
    c.form->show();
    QApplication::setActiveWindow(c.form.get());
    QVERIFY(QTest::qWaitForWindowActive(c.form.get()));
    c.record().setField(field, quint16(value));
    const QString logBefore = c.log();
    c.form->sbStartPrgClick();
    const auto boxes = c.dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].caption, QStringLiteral("Parameter error"));
    QCOMPARE(boxes[0].icon, Dialogs::Icon::Error);
    QCOMPARE(boxes[0].text, text);
    QTRY_COMPARE(QApplication::focusWidget(),
                 c.get<QLineEdit>(qPrintable(QStringLiteral("Edit%1").arg(field + 1))));
    QVERIFY(!c.form->console().ProgramRunning);
    QCOMPARE(c.form->console().ConsoleMode, quint8(0));
    QCOMPARE(c.log(), logBefore);
    QVERIFY(!c.form->link().requests().Pending.isSet(RequestKind::ProgramStart));
}

void TestRun::startLocksTheWindowAndSendsTheProgram()
{
    RunConsole c;
    c.form->link().image().CurrentZone = 7;
    c.form->sbStartPrgClick();
    QVERIFY(c.form->console().ProgramRunning);
    QCOMPARE(c.form->console().ConsoleMode, quint8(32));
    QCOMPARE(c.form->link().image().CurrentZone, quint8(0));
    for (const char *n :
         {"sbStartPrg", "lbNames", "lbLayers", "btnAddMass", "btnDelMass", "btnAddLayer",
          "btnDelLayer", "sbUpMass", "sbDnMass", "sbChamberOpen", "sbChamberClose", "sbRst",
          "sbOpenFile", "sbAddFile", "sbSaveFile", "btnSend"})
        QVERIFY2(!c.get<QWidget>(n)->isEnabled(), n);
    for (const char *n : {"mmFile", "mmEdit", "mmAddition"})
        QVERIFY2(!c.get<QMenu>(n)->menuAction()->isEnabled(), n);
    QVERIFY(c.get<QToolButton>("sbTemperature")->autoRaise());
    QVERIFY(c.get<QToolButton>("sbStopPrg")->isEnabled());
    QVERIFY(c.log().endsWith(QStringLiteral(" Launch the program")));
    // The simulator receives the program and starts it.
    QTRY_COMPARE_WITH_TIMEOUT(c.controller().furnace().ControllerMode(), quint8(32), 2000);
    // A second click changes nothing.
    c.form->sbStartPrgClick();
    QCOMPARE(c.log().count(QStringLiteral("Launch the program")), 1);
}

void TestRun::buttonsIgnoredWhileRunning()
{
    RunConsole c;
    c.form->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(!c.form->link().requests().Pending.any(), 2000);
    c.form->sbTemperatureClick();
    c.form->sbPressureClick();
    c.form->sbRstClick();
    const PendingRequests &p = c.form->link().requests().Pending;
    QVERIFY(!p.isSet(RequestKind::TemperatureButton));
    QVERIFY(!p.isSet(RequestKind::VacuumButton));
    QVERIFY(!p.isSet(RequestKind::Stop));
    QCOMPARE(c.form->console().ConsoleMode, quint8(32));
}

void TestRun::abortAskedFirst()
{
    RunConsole c;
    // Idle: no question at all.
    c.form->sbStopPrgClick();
    QCOMPARE(c.dialogs.boxCount(), 0);

    c.form->sbStartPrgClick();
    c.dialogs.questionAnswers << false;
    c.form->sbStopPrgClick();
    QCOMPARE(c.dialogs.callsOf(QStringLiteral("question")).size(), 1);
    QCOMPARE(c.dialogs.calls.last().text, QStringLiteral("Abort the program?"));
    QCOMPARE(c.dialogs.calls.last().caption, QStringLiteral("Attention"));
    QVERIFY(c.form->console().ProgramRunning);
    QVERIFY(!c.log().contains(QStringLiteral("Abort the program")));

    c.dialogs.questionAnswers << true;
    c.form->sbStopPrgClick();
    QVERIFY(!c.form->console().ProgramRunning);
    QCOMPARE(c.form->console().ConsoleMode, quint8(0));
    QVERIFY(c.log().endsWith(QStringLiteral(" Abort the program")));
    QVERIFY(c.get<QWidget>("sbStartPrg")->isEnabled());
    QVERIFY(c.get<QWidget>("lbLayers")->isEnabled());
    QVERIFY(!c.get<QToolButton>("sbTemperature")->autoRaise());
    QVERIFY(c.get<QMenu>("mmFile")->menuAction()->isEnabled());
    // The furnace is told to stop.
    QTRY_COMPARE_WITH_TIMEOUT(c.controller().furnace().ControllerMode(), quint8(0), 2000);
    QVERIFY(c.dialogs.unexpected.isEmpty());
}

void TestRun::closingRefusedWhileRunning()
{
    RunConsole c;
    c.form->show();
    c.form->sbStartPrgClick();
    QVERIFY(!c.form->close());
    QVERIFY(c.form->isVisible());
    QCOMPARE(c.dialogs.calls.last().text, QStringLiteral("Program in progress!"));
    QCOMPARE(c.dialogs.calls.last().icon, Dialogs::Icon::Error);
    QVERIFY(c.form->link().isRunning());
}

void TestRun::stageTitleAndLanguage()
{
    RunConsole c;
    c.form->sbStartPrgClick();
    // The run hears the controller once the start went out.
    QTRY_COMPARE_WITH_TIMEOUT(c.controller().furnace().ControllerMode(), quint8(32), 3000);
    FurnaceImage &image = c.form->link().image();
    const ProgParam &r = c.record();
    c.form->link().requests().ReplyAwaited = false;
    image.CurrentZone = 11;
    image.RemainingMinutes = 17;
    c.form->Timer1Timer();
    QCOMPARE(c.form->panel(4)->text(),
             QStringLiteral("Heating chamber for T firing, %1°C at speed %2°C/min")
                 .arg(r.HeatTemp)
                 .arg(r.HeatRate));
    QCOMPARE(c.form->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE - Duration: 17 min"));
    QVERIFY(c.form->link().requests().Pending.isSet(RequestKind::ReadRemainingTime));
    // The language switch reaches the stage text and the title at the next tick.
    c.get<QAction>("mmRussian")->trigger();
    c.form->link().requests().ReplyAwaited = false;
    c.form->Timer1Timer();
    QCOMPARE(c.form->panel(4)->text(),
             QStringLiteral("Нагрев камеры до Т обжига, %1°C со скоростью %2°C/мин")
                 .arg(r.HeatTemp)
                 .arg(r.HeatRate));
    QCOMPARE(c.form->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE - Осталось: 17 мин"));
    // A silent tick still shows the running program.
    c.form->link().requests().ReplyAwaited = true;
    image.CurrentZone = 12;
    c.form->Timer1Timer();
    QVERIFY(c.form->panel(4)->text().startsWith(QStringLiteral("Обжиг ")));
    // Zone 19 ends the run; the next title is plain again and panel 4 keeps the last text.
    image.CurrentZone = 19;
    c.form->link().requests().ReplyAwaited = false;
    c.form->Timer1Timer();
    QCOMPARE(c.form->panel(4)->text(), QStringLiteral("Программа завершена"));
    QVERIFY(!c.form->console().ProgramRunning);
    c.form->link().requests().ReplyAwaited = false;
    c.form->Timer1Timer();
    QCOMPARE(c.form->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE - Simulator"));
    QCOMPARE(c.form->panel(4)->text(), QStringLiteral("Программа завершена"));
}

void TestRun::faultShownOnceThenRunAborted()
{
    RunConsole c(1);
    c.form->sbStartPrgClick();
    QTRY_COMPARE_WITH_TIMEOUT(c.controller().furnace().ControllerMode(), quint8(32), 2000);
    c.controller().furnace().raiseFault(12);
    QTRY_COMPARE_WITH_TIMEOUT(c.dialogs.callsOf(QStringLiteral("later")).size(), 1, 3000);
    QCOMPARE(c.form->console().ConsoleMode, quint8(26));
    // The ticks go on while the box is up, and none opens a second box.
    QSignalSpy ticks(c.get<QTimer>("Timer1"), &QTimer::timeout);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 3, 4000);
    const auto boxes = c.dialogs.callsOf(QStringLiteral("later"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("Overheating!"));
    QCOMPARE(boxes[0].caption, QStringLiteral("Error"));
    QVERIFY(c.form->console().ProgramRunning);
    QVERIFY(c.dialogs.closeOldestBox());
    QVERIFY(!c.form->console().ProgramRunning);
    QCOMPARE(c.form->console().ConsoleMode, quint8(0));
    QCOMPARE(c.form->link().image().ControllerMode, quint8(0));
    // The stop clears the fault in the furnace.
    QTRY_COMPARE_WITH_TIMEOUT(c.controller().furnace().ControllerMode(), quint8(0), 2000);
}

void TestRun::unknownFaultCodeHasItsOwnText()
{
    RunConsole c;
    c.form->link().requests().ReplyAwaited = false;
    c.form->link().image().ControllerMode = 26;
    c.form->link().image().FaultCode = 37;
    c.form->Timer1Timer();
    const auto boxes = c.dialogs.callsOf(QStringLiteral("later"));
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].text.contains(QStringLiteral("37")), qPrintable(boxes[0].text));
}

void TestRun::wholeFiringToTheEnd()
{
    RunConsole c(400);
    c.controller().furnace().advance(600); // up to the support temperature
    c.form->sbStartPrgClick();
    QList<int> zones;
    QSignalSpy ticks(c.get<QTimer>("Timer1"), &QTimer::timeout);
    QElapsedTimer t;
    t.start();
    bool sawDuration = false;
    while (c.form->console().ProgramRunning && t.elapsed() < 60000) {
        if (ticks.wait(2000)) {
            zones << c.form->link().image().CurrentZone;
            sawDuration = sawDuration || c.form->windowTitle().contains(" - Duration: ");
        }
    }
    QVERIFY2(!c.form->console().ProgramRunning, "the run did not end");
    QCOMPARE(zones.last(), 19);
    QVERIFY(std::is_sorted(zones.begin(), zones.end()));
    QVERIFY2(zones.count(19) == 1 && zones.size() > 3, qPrintable(QString::number(zones.size())));
    QVERIFY(sawDuration);
    QCOMPARE(c.form->panel(4)->text(), QStringLiteral("Program finished"));
    QVERIFY(c.log().endsWith(QStringLiteral(" Program finished")));
    QVERIFY(c.get<QWidget>("sbStartPrg")->isEnabled());
    // The console aborted the run: the furnace was told to stop.
    QTRY_COMPARE_WITH_TIMEOUT(c.controller().furnace().ControllerMode(), quint8(0), 2000);
    QVERIFY(c.dialogs.unexpected.isEmpty());
}

void TestRun::furnaceRestartEndsTheRun()
{
    RunConsole c(50);
    c.controller().furnace().advance(600); // up to the support temperature
    c.form->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(c.form->link().image().CurrentZone >= 3, 10000);
    QSignalSpy ticks(c.get<QTimer>("Timer1"), &QTimer::timeout);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 2, 4000);

    // A power cut: silent, then back as a controller that runs nothing.
    c.controller().faults().noReply = true;
    QTRY_COMPARE_WITH_TIMEOUT(c.form->panel(0)->text(), QStringLiteral("No furnace"), 3000);
    QVERIFY(c.form->console().ProgramRunning);
    QSignalSpy sent(&c.form->link(), &Link::requestSent);
    c.controller().restart();
    c.controller().faults().noReply = false;
    QTRY_VERIFY_WITH_TIMEOUT(!c.form->console().ProgramRunning, 5000);

    const QString reason = QStringLiteral("the furnace is no longer running the program");
    QVERIFY2(c.log().endsWith(QStringLiteral(" Program interrupted: ") + reason + '.'),
             qPrintable(c.log()));
    const FiringRecord &record = c.form->firingRecord();
    QCOMPARE(record.trace().outcome(), RunOutcome::Interrupted);
    QCOMPARE(record.events().constLast().kind, RecordEventKind::Interrupted);
    QCOMPARE(record.events().constLast().detail, reason);
    // Idle as after an abort.
    QCOMPARE(c.form->console().ConsoleMode, quint8(0));
    for (const char *n : {"sbStartPrg", "lbLayers", "sbRst", "btnSend", "sbOpenFile"})
        QVERIFY2(c.get<QWidget>(n)->isEnabled(), n);
    QVERIFY(c.get<QMenu>("mmFile")->menuAction()->isEnabled());
    QVERIFY(!c.get<QToolButton>("sbTemperature")->autoRaise());
    // The panel keeps the step the furnace was in; the restarted controller's 0 minutes left
    // do not make it complete.
    auto *panel = c.get<RunPanel>("pnlRun");
    QVERIFY2(panel->headline().startsWith(QStringLiteral("Program interrupted at ")) &&
                 panel->headline().endsWith(reason),
             qPrintable(panel->headline()));
    const QString step = c.get<QLabel>("lblRunStep")->text();
    QVERIFY2(step.startsWith(QStringLiteral("step ")) &&
                 step.section(QLatin1Char(' '), 1, 1).toInt() >= 4,
             qPrintable(step));
    QVERIFY(c.get<QProgressBar>("pbRunProgress")->value() < 1000);
    // The title is plain again at the next tick, and the furnace was not told to stop.
    ticks.clear();
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 1, 3000);
    QCOMPARE(c.form->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE - Simulator"));
    for (const QList<QVariant> &request : sent)
        QVERIFY(request.at(0).toUInt() != 2);
    QVERIFY(c.dialogs.unexpected.isEmpty());
}

void TestRun::programBytesOnThePseudoTerminal()
{
    // The test plays the furnace on the pseudo-terminal with the simulator's controller and
    // keeps every request frame the console puts on the wire.
    TestPty pty;
    QVERIFY(pty.ok());
    FurnaceController furnace;
    furnace.setSpeed(0);
    FrameReceiver rx;
    QList<QByteArray> programFrames;
    QSocketNotifier notifier(pty.master, QSocketNotifier::Read);
    connect(&notifier, &QSocketNotifier::activated, this, [&] {
        const QByteArray bytes = pty.readAll();
        for (char ch : bytes) {
            rx.feed(quint8(ch));
            if (rx.FrameReady) {
                if (rx.type() == 62)
                    programFrames << QByteArray(reinterpret_cast<const char *>(rx.payload()),
                                                rx.length());
                pty.write(furnace.handleFrame(rx.type(), rx.payload(), rx.length()));
                rx.reset();
            }
        }
    });
    RunConsole c(0, pty.slavePath);
    QVERIFY(c.form->link().isRunning());
    c.form->sbStartPrgClick();
    QTRY_COMPARE_WITH_TIMEOUT(programFrames.size(), 1, 3000);
    quint8 expected[88];
    QCOMPARE(BuildProgramPayload(c.record(), expected), 88);
    QCOMPARE(programFrames[0], QByteArray(reinterpret_cast<const char *>(expected), 88));
    // The furnace took it as a program.
    QCOMPARE(furnace.furnace().ControllerMode(), quint8(32));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestRun test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_run.moc"
