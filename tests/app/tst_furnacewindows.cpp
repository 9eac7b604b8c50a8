// SPDX-License-Identifier: GPL-3.0-or-later
// Several furnace windows in one console: each on its own simulator, a firing in one leaves the
// other untouched, a port one window holds is not offered to the next, the lab overview shows a
// tile per window with the figures of its furnace, and a window that closes is gone from both.

#include "app/furnacewindows.h"
#include "app/laboverview.h"
#include "link/link.h"
#include "tests/support/labconsole.h"

#include <QTest>

class TestFurnaceWindows : public QObject
{
    Q_OBJECT
private slots:
    void windowsShareNothing();
    void theOverviewFollowsEveryFurnace();
};

void TestFurnaceWindows::windowsShareNothing()
{
    LabConsole c(60);
    TForm1 *first = c.open(SimulatorPortName);
    // The next window is offered a simulator of its own, under a name of its own.
    QCOMPARE(c.windows->freePorts({SimulatorPortName}), QStringList{QStringLiteral("Simulator 2")});
    TForm1 *second = c.open(QStringLiteral("Simulator 2"));
    QCOMPARE(c.windows->portsInUse(),
             (QStringList{SimulatorPortName, QStringLiteral("Simulator 2")}));
    QVERIFY(c.sims.value(SimulatorPortName) != c.sims.value(QStringLiteral("Simulator 2")));
    QTRY_VERIFY(first->link().image().ChamberTemp > 0 && second->link().image().ChamberTemp > 0);

    first->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(first->firingTrace().samples().size() >= 3, 10000);
    QVERIFY(first->console().ProgramRunning);
    QVERIFY(!second->console().ProgramRunning);
    QCOMPARE(second->console().ConsoleMode, ConsoleMode::Idle);
    QVERIFY(!second->firingRecord().exists());
    QVERIFY(second->link().image().ControllerMode != ControllerMode::Program);
    QVERIFY(first->windowTitle().contains(QStringLiteral("Duration")));
    QCOMPARE(second->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE - Simulator 2"));
    QCOMPARE(c.sims.value(QStringLiteral("Simulator 2"))->controller().furnace().ControllerMode(),
             quint8(0));
    // Each its own firing record, logbook and library.
    QVERIFY(&first->library() != &second->library());
    QVERIFY(&first->logbook() != &second->logbook());
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
    c.dialogs.questionAnswers << true;
    first->sbStopPrgClick();
}

void TestFurnaceWindows::theOverviewFollowsEveryFurnace()
{
    LabConsole c(60);
    TForm1 *first = c.open(SimulatorPortName);
    TForm1 *second = c.open(QStringLiteral("Simulator 2"));
    c.windows->showOverview(1);
    LabOverview *overview = c.windows->overview();
    QVERIFY(overview);
    first->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(first->furnaceStatus().step > 0, 10000);
    // The running furnace's tile: its program, step and time; the other's: no program.
    QTRY_VERIFY(overview->tileOf(first)->summary().contains(QStringLiteral(" of 20")));
    const QString running = overview->tileOf(first)->summary();
    for (const QString &part : {QStringLiteral("Furnace Simulator"), QStringLiteral("answering"),
                                QStringLiteral("Dentine / Dentine 1"), QStringLiteral(" °C")})
        QVERIFY2(running.contains(part), qPrintable(running));
    QVERIFY2(overview->tileOf(second)->summary().contains(QStringLiteral("no program running")),
             qPrintable(overview->tileOf(second)->summary()));

    // A fault shows on its tile until it is acknowledged in its window.
    c.sims.value(SimulatorPortName)->controller().furnace().raiseFault(12);
    QTRY_VERIFY(overview->tileOf(first)->summary().contains(QStringLiteral("Fault: ")));
    QVERIFY(c.dialogs.closeOldestBox());
    QTRY_VERIFY(!overview->tileOf(first)->summary().contains(QStringLiteral("Fault: ")));

    // A window that closes is gone from the console and from the overview.
    QVERIFY(second->close());
    QTRY_COMPARE(c.windows->windows().size(), 1);
    QVERIFY(!overview->tileOf(second));
    QVERIFY(overview->tileOf(first));
}

QTEST_MAIN(TestFurnaceWindows)
#include "tst_furnacewindows.moc"
