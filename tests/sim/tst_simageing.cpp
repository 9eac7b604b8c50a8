// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/progparam.h"
#include "link/programencoding.h"
#include "logbook/firingfigures.h"
#include "sim/furnacecontroller.h"
#include "tests/sim/simwire.h"
#include "tests/support/samplefiring.h"

#include <QTest>

// An aged simulated furnace, fired as the console fires it and measured with the figures the
// logbook keeps: a weak heating element slows the ramp at high temperatures and nothing else, a
// leak slows the pump-down and lowers the vacuum and nothing else, a thermocouple out of
// calibration shows in the reference sensor's runs only.

namespace
{

ProgParam standardRecord()
{
    // Drying with the table open, then 600 -> 930 °C at 55 °C/min, a minute's hold, vacuum from
    // 650 °C on the ramp to the end of the firing.
    ProgParam p = RecordOf(
        {450, 2, 50, 1, 500, 1, 100, 1, 600, 1, 930, 55, 60, 800, 2, 1, 600, 1, 650, 0}, 0);
    p.ProgNumber = 1;
    return p;
}

struct Firing {
    QList<TraceSample> samples;
    FiringFigures figures;
};

/// Fires the standard program on a furnace aged by `ageing`, sampled once a simulated second.
Firing fire(const SimAgeing &ageing)
{
    FurnaceController c;
    freezeClock(c);
    c.setAgeing(ageing);
    const ProgParam record = standardRecord();
    QByteArray program(ProgramPayloadSize, '\0');
    BuildProgramPayload(record, reinterpret_cast<quint8 *>(program.data()));
    Firing out;
    if (ask(c, 62, program).byte(0) != 0)
        return out;
    for (int t = 0; t <= 4 * 3600; ++t) {
        const WireReply status = ask(c, 3);
        const WireReply zone = ask(c, 56);
        TraceSample s;
        s.Seconds = t;
        s.ChamberTemp = status.u16(0);
        s.Vacuum = status.byte(2);
        s.ChamberStatus = status.byte(3);
        s.CurrentZone = status.byte(4) & 0x1F;
        s.ZoneTime = zone.u16(0);
        s.ControllerMode = ask(c, 99).byte(0);
        out.samples.append(s);
        if (s.CurrentZone == 19 || s.ControllerMode != 32)
            break;
        c.advance(1);
    }
    const bool finished = out.samples.last().CurrentZone == 19;
    out.figures = ComputeFiringFigures(out.samples, record,
                                       finished ? RunOutcome::Finished : RunOutcome::Interrupted);
    return out;
}

double rampSeconds(const FiringFigures &f)
{
    return f.firingTempReachedSeconds.value_or(0) - f.heatingStartSeconds.value_or(0);
}

/// Seconds of the first sample at or above `temp` °C.
double secondsTo(const QList<TraceSample> &samples, int temp)
{
    for (const TraceSample &s : samples) {
        if (s.ChamberTemp >= temp)
            return s.Seconds;
    }
    return -1;
}

void print(const char *what, const FiringFigures &f)
{
    qInfo("%-22s ramp 600->930 %4.0f s, %5.1f °C/min (700-900: %5.1f), 930 °C at %5.0f s, hold "
          "deviation %.2f °C; vacuum %d %% after %.0f s",
          what, rampSeconds(f), f.heatingRate.value_or(0), f.bandRate.value_or(0),
          f.firingTempReachedSeconds.value_or(0), f.holdMeanAbsDeviation.value_or(-1),
          f.vacuumMaxLevel.value_or(-1), f.vacuumToMaxSeconds.value_or(-1));
}

} // namespace

class TestSimAgeing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void weakElementFallsBehindOnlyWhenHot_data();
    void weakElementFallsBehindOnlyWhenHot();
    void leakSlowsThePumpDownNotTheHeating();
    void elementTooWeakToHoldSettlesWhereItsPowerEnds();
    void thermocoupleOffsetShowsInTheReperRun_data();
    void thermocoupleOffsetShowsInTheReperRun();

private:
    Firing m_new;
};

void TestSimAgeing::initTestCase()
{
    m_new = fire({});
    QVERIFY(m_new.figures.endedNormally);
    print("new", m_new.figures);
}

void TestSimAgeing::weakElementFallsBehindOnlyWhenHot_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<double>("minRampRatio");
    QTest::addColumn<double>("maxRampRatio");
    QTest::newRow("90 %") << 90.0 << 1.0 << 1.10;
    QTest::newRow("85 %") << 85.0 << 1.10 << 2.0;
}

void TestSimAgeing::weakElementFallsBehindOnlyWhenHot()
{
    QFETCH(double, percent);
    QFETCH(double, minRampRatio);
    QFETCH(double, maxRampRatio);
    const Firing aged = fire({percent, 0, 0});
    const FiringFigures &f = aged.figures;
    print(QTest::currentDataTag(), f);
    QVERIFY(f.endedNormally);

    // Up to 700 °C the programmed pace is kept: the drying, the pre-heating and the start of
    // the ramp go exactly as on a new furnace.
    const double to700 = secondsTo(m_new.samples, 700);
    QVERIFY(to700 > 0);
    for (int i = 0; i <= int(to700); ++i)
        QCOMPARE(aged.samples[i].ChamberTemp, m_new.samples[i].ChamberTemp);

    const double ratio = rampSeconds(f) / rampSeconds(m_new.figures);
    QVERIFY2(ratio > minRampRatio && ratio < maxRampRatio, qPrintable(QString::number(ratio)));
    QVERIFY(*f.heatingRateRatio < *m_new.figures.heatingRateRatio);
    QVERIFY(*f.bandRate < *m_new.figures.bandRate);

    // The hold is still held, and the vacuum builds as before.
    QCOMPARE(*f.holdMaxTemp, 930);
    QVERIFY(*f.holdMeanAbsDeviation <= 0.5);
    QCOMPARE(*f.vacuumMaxLevel, *m_new.figures.vacuumMaxLevel);
    QVERIFY(qAbs(*f.vacuumToMaxSeconds - *m_new.figures.vacuumToMaxSeconds) <= 1);
}

void TestSimAgeing::leakSlowsThePumpDownNotTheHeating()
{
    const Firing leaking = fire({100, 0.5, 0});
    const FiringFigures &f = leaking.figures;
    print("leak 0.5", f);
    QVERIFY(f.endedNormally);
    QCOMPARE(leaking.samples.size(), m_new.samples.size());
    for (qsizetype i = 0; i < leaking.samples.size(); ++i)
        QCOMPARE(leaking.samples[i].ChamberTemp, m_new.samples[i].ChamberTemp);
    QCOMPARE(*f.vacuumOnSeconds, *m_new.figures.vacuumOnSeconds);
    QVERIFY(*f.vacuumMaxLevel <= *m_new.figures.vacuumMaxLevel - 4);
    QVERIFY2(*f.vacuumToMaxSeconds >= 1.5 * *m_new.figures.vacuumToMaxSeconds,
             qPrintable(QString::number(*f.vacuumToMaxSeconds)));
}

void TestSimAgeing::elementTooWeakToHoldSettlesWhereItsPowerEnds()
{
    FurnaceController c;
    freezeClock(c);
    ask(c, 5, le16(600));
    QCOMPARE(ask(c, 11, bytes({1})).byte(0), quint8(0));
    c.advance(3600);
    QCOMPARE(ask(c, 3).u16(0), quint16(600));

    // At 40 % what it can hold with the chamber closed lies below 600 °C. The chamber sinks
    // there with the heater working, more slowly than it cools by itself (some 23 °C/min).
    c.setAgeing({40, 0, 0});
    const double top = 24 + (SimFurnace::ElementTopTemp - 24) * 0.4;
    c.advance(60);
    const int afterMinute = ask(c, 3).u16(0);
    QVERIFY2(afterMinute < 600 && afterMinute > 585, qPrintable(QString::number(afterMinute)));
    c.advance(6 * 3600);
    const WireReply settled = ask(c, 3);
    QVERIFY2(qAbs(settled.u16(0) - top) <= 2, qPrintable(QString::number(settled.u16(0))));
    QCOMPARE(settled.byte(3) & 0x60, 0x60); // regulating, and drawing power

    // Renewed, it heats back to the support temperature.
    c.setAgeing({});
    c.advance(1800);
    QCOMPARE(ask(c, 3).u16(0), quint16(600));
}

void TestSimAgeing::thermocoupleOffsetShowsInTheReperRun_data()
{
    QTest::addColumn<int>("offset");
    QTest::newRow("reads 12 °C high") << 12;
    QTest::newRow("reads 8 °C low") << -8;
}

void TestSimAgeing::thermocoupleOffsetShowsInTheReperRun()
{
    QFETCH(int, offset);
    FurnaceController c;
    freezeClock(c);
    c.furnace().setReperOperationTemp(671);
    c.setAgeing({100, 0, double(offset)});
    // The cold chamber reads off the room by the offset (the room sensor does not).
    QCOMPARE(int(ask(c, 3).u16(0)), 24 + offset);
    QVERIFY(qAbs(int(ask(c, 57).u16(0)) - 24) <= 1);

    // The controller regulates its reading: the chamber really stands the offset lower.
    ask(c, 5, le16(600));
    ask(c, 11, bytes({1}));
    c.advance(3600);
    QCOMPARE(ask(c, 3).u16(0), quint16(600));
    QCOMPARE(c.furnace().trueTemp(), 600.0 - offset);
    ask(c, 11, bytes({0}));

    // The reference sensor operates at its true temperature; the run reports the reading.
    ask(c, 40);
    for (int i = 0; i < 7200 && ask(c, 99).byte(0) == 28; ++i)
        c.advance(1);
    const WireReply r = ask(c, 48);
    QCOMPARE(r.byte(0), quint8(8));
    QCOMPARE(int(r.u16(9)), 671 + offset);
    QCOMPARE(int(c.furnace().serviceBlock().Trep), 671 + offset);
}

QTEST_GUILESS_MAIN(TestSimAgeing)
#include "tst_simageing.moc"
