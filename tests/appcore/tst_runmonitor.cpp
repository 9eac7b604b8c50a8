// SPDX-License-Identifier: GPL-3.0-or-later
// The run monitor's idle chamber cycle.

#include "app/runmonitor.h"

#include <QTest>

class TestRunMonitor : public QObject
{
    Q_OBJECT
private slots:
    void waitsThreeHundredTicks();
    void closesOpensAndStopsPartWay();
    void shortOpeningStopsOnFirstOpeningTick();
    void anyProcedureRestartsTheWait();
    void strayStepReturnsToStart();
};

namespace
{
constexpr quint8 Opening = 2;
constexpr quint8 Closed = 3;
constexpr quint8 Opened = 4;
} // namespace

void TestRunMonitor::waitsThreeHundredTicks()
{
    IdleCycle cycle;
    for (int i = 1; i < IdleCycleTicks; ++i) {
        const IdleCycleAction a = IdleCycleTick(cycle, 0, Opened, 12);
        QVERIFY2(!a.closeChamber && !a.openChamber, qPrintable(QString::number(i)));
    }
    QVERIFY(IdleCycleTick(cycle, 0, Opened, 12).closeChamber);
}

void TestRunMonitor::closesOpensAndStopsPartWay()
{
    IdleCycle cycle;
    cycle.IdleTicks = IdleCycleTicks;
    // 0: close.
    IdleCycleAction a = IdleCycleTick(cycle, 0, Opened, 24);
    QVERIFY(a.closeChamber && !a.openChamber);
    // 1: waits for the chamber to be closed, then opens it.
    a = IdleCycleTick(cycle, 0, 1, 24);
    QVERIFY(!a.closeChamber && !a.openChamber);
    a = IdleCycleTick(cycle, 0, Closed, 24);
    QVERIFY(a.openChamber);
    // 2: counts opening ticks; stops after OpeningSeconds div 8 = 3 of them.
    QVERIFY(!IdleCycleTick(cycle, 0, Closed, 24).openChamber); // not moving yet: no count
    QVERIFY(!IdleCycleTick(cycle, 0, Opening, 24).openChamber);
    QVERIFY(!IdleCycleTick(cycle, 0, Opening, 24).openChamber);
    QVERIFY(IdleCycleTick(cycle, 0, Opening, 24).openChamber);
    QCOMPARE(cycle.IdleCycleStep, quint8(3));
    // 3: the wait starts again.
    a = IdleCycleTick(cycle, 0, 0, 24);
    QVERIFY(!a.closeChamber && !a.openChamber);
    QCOMPARE(cycle.IdleTicks, quint16(0));
    QCOMPARE(cycle.IdleCycleStep, quint8(0));
}

void TestRunMonitor::shortOpeningStopsOnFirstOpeningTick()
{
    IdleCycle cycle;
    cycle.IdleTicks = IdleCycleTicks;
    IdleCycleTick(cycle, 0, Opened, 7);
    IdleCycleTick(cycle, 0, Closed, 7);
    QVERIFY(IdleCycleTick(cycle, 0, Opening, 7).openChamber);
}

void TestRunMonitor::anyProcedureRestartsTheWait()
{
    IdleCycle cycle;
    for (int i = 0; i < 250; ++i)
        IdleCycleTick(cycle, 0, Opened, 12);
    for (quint8 mode : {16, 21, 22, 26, 27, 28, 32}) {
        IdleCycleTick(cycle, mode, Opened, 12);
        QCOMPARE(cycle.IdleTicks, quint16(0));
        QCOMPARE(cycle.IdleCycleStep, quint8(0));
    }
    for (int i = 1; i < IdleCycleTicks; ++i)
        QVERIFY(!IdleCycleTick(cycle, 0, Opened, 12).closeChamber);
}

void TestRunMonitor::strayStepReturnsToStart()
{
    IdleCycle cycle;
    cycle.IdleTicks = IdleCycleTicks;
    cycle.IdleCycleStep = 9;
    QVERIFY(!IdleCycleTick(cycle, 0, Opened, 12).closeChamber);
    QVERIFY(IdleCycleTick(cycle, 0, Opened, 12).closeChamber);
}

QTEST_GUILESS_MAIN(TestRunMonitor)
#include "tst_runmonitor.moc"
