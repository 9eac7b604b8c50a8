// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/progparam.h"
#include "link/programencoding.h"
#include "sim/furnacecontroller.h"
#include "tests/sim/simwire.h"
#include "tests/support/samplefiring.h"

#include <QMap>
#include <QSet>
#include <QTest>

#include <memory>

// Firing programs on the simulated controller, sent exactly as the console encodes them: steps
// in order, temperatures and table following the steps, vacuum at the encoded steps, program
// replacement, the end of the program and faults in the middle of a run.

namespace
{

ProgParam sampleRecord()
{
    ProgParam p = RecordOf(
        {450, 2, 50, 1, 500, 1, 100, 1, 600, 1, 930, 55, 60, 800, 2, 1, 600, 1, 650, 900}, 0);
    p.ProgNumber = 1;
    return p;
}

QByteArray programBytes(const ProgParam &record)
{
    QByteArray out(ProgramPayloadSize, '\0');
    BuildProgramPayload(record, reinterpret_cast<quint8 *>(out.data()));
    return out;
}

/// What the console sees once a second.
struct Sample {
    int second = 0;
    int stage = 0;
    int temp = 0;
    int vacuum = 0;
    quint8 status = 0;
    int mode = 0;
    int zoneTime = 0;
    int remaining = 0;
};

Sample sample(FurnaceController &c, int second)
{
    const WireReply s = ask(c, 3);
    Sample out;
    out.second = second;
    out.temp = s.u16(0);
    out.vacuum = s.byte(2);
    out.status = s.byte(3);
    out.stage = s.byte(4) & 0x1F;
    out.mode = ask(c, 99).byte(0);
    out.zoneTime = ask(c, 56).u16(0);
    out.remaining = ask(c, 70).u16(0);
    return out;
}

/// Samples once a simulated second while the program runs, until step 19 or a mode change.
QList<Sample> run(FurnaceController &c, int maxSeconds = 4 * 3600)
{
    QList<Sample> out{sample(c, 0)};
    for (int t = 1; t <= maxSeconds; ++t) {
        c.advance(1);
        out.append(sample(c, t));
        if (out.last().stage == 19 || out.last().mode != 32)
            break;
    }
    return out;
}

QList<Sample> inStage(const QList<Sample> &samples, int stage)
{
    QList<Sample> out;
    for (const Sample &s : samples) {
        if (s.stage == stage)
            out.append(s);
    }
    return out;
}

std::unique_ptr<FurnaceController> frozenController()
{
    auto c = std::make_unique<FurnaceController>();
    freezeClock(*c);
    return c;
}

} // namespace

class TestSimFiring : public QObject
{
    Q_OBJECT

private slots:
    void wholeProgramRunsInOrder();
    void vacuumSwitchesAtEncodedSteps_data();
    void vacuumSwitchesAtEncodedSteps();
    void coolingStep_data();
    void coolingStep();
    void replaceKeepsStepAndTakesNewValues();
    void replaceWithoutProgramRefused();
    void endOfProgramHoldsUntilStopOrNewProgram();
    void faultAfterProgramSeconds();
    void programOfWrongLengthRefused();
    void programStartEndsServiceProcedure();
    void restartForgetsTheProgramKeepsTheHeat();
};

void TestSimFiring::wholeProgramRunsInOrder()
{
    const ProgParam p = sampleRecord();
    auto c = frozenController();
    QCOMPARE(ask(*c, 62, programBytes(p)).payload, bytes({0}));
    const QList<Sample> samples = run(*c);

    QCOMPARE(samples.last().stage, 19);
    QSet<int> seen;
    for (int i = 0; i < samples.size(); ++i) {
        QCOMPARE(samples[i].mode, 32);
        if (i > 0)
            QVERIFY2(samples[i].stage >= samples[i - 1].stage, "steps run in order");
        seen.insert(samples[i].stage);
    }
    for (int stage : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 14, 15, 16, 18, 19})
        QVERIFY2(seen.contains(stage), qPrintable(QStringLiteral("stage %1").arg(stage)));

    // Ramps before the heating: one second per degree.
    QVERIFY(qAbs(inStage(samples, 2).size() - (p.PreDryTemp - 24)) <= 2);
    QVERIFY(qAbs(inStage(samples, 5).size() - (p.DryTemp - p.PreDryTemp)) <= 2);
    QVERIFY(qAbs(inStage(samples, 8).size() - (p.PreHeatTemp - p.DryTemp)) <= 2);
    // Heating at the record's rate.
    const QList<Sample> heating = inStage(samples, 11);
    QVERIFY(qAbs(heating.size() - (p.HeatTemp - p.PreHeatTemp) * 60 / p.HeatRate) <= 2);
    for (int i = 1; i < heating.size(); ++i)
        QVERIFY(heating[i].temp >= heating[i - 1].temp);

    // Holds keep their temperature for their time.
    const QMap<int, int> holds{
        {3, p.PreDryTemp}, {6, p.DryTemp}, {9, p.PreHeatTemp}, {12, p.HeatTemp}, {15, p.CoolTemp}};
    const QMap<int, int> holdSeconds{{3, p.PreDryHold * 60},
                                     {6, p.DryHold * 60},
                                     {9, p.PreHeatHold * 60},
                                     {12, p.FiringTime},
                                     {15, p.TemperingTime * 60}};
    for (auto it = holds.cbegin(); it != holds.cend(); ++it) {
        const QList<Sample> hold = inStage(samples, it.key());
        QVERIFY(qAbs(hold.size() - holdSeconds[it.key()]) <= 1);
        for (const Sample &s : hold)
            QVERIFY2(qAbs(s.temp - it.value()) <= 1, qPrintable(QString::number(it.key())));
        QVERIFY(hold.last().zoneTime >= holdSeconds[it.key()] - 2);
    }

    // The table: lowered at the start, raised to the drying level, closed, lowered at the end.
    QCOMPARE(inStage(samples, 1).first().status & 7, int(SimFurnace::Opening));
    QCOMPARE(inStage(samples, 3).first().status & 7, int(SimFurnace::Opened));
    QCOMPARE(inStage(samples, 4).first().status & 7, int(SimFurnace::Closing));
    QCOMPARE(inStage(samples, 5).first().status & 7, int(SimFurnace::HalfOpen));
    QCOMPARE(inStage(samples, 12).first().status & 7, int(SimFurnace::Closed));
    QVERIFY(qAbs(inStage(samples, 18).size() - p.OpenTime * 60) <= 1);
    QCOMPARE(samples.last().status & 7, int(SimFurnace::Opened));
    QVERIFY(samples.last().temp <= p.OpenTemp + 1);

    // The remaining time counts down to the real end.
    const int total = samples.last().second;
    QVERIFY2(
        qAbs(samples.first().remaining * 60 - total) <= 120,
        qPrintable(QStringLiteral("%1 min for %2 s").arg(samples.first().remaining).arg(total)));
    for (int i = 1; i < samples.size() - 1; ++i)
        QVERIFY(samples[i].remaining <= samples[i - 1].remaining + 1);
    QCOMPARE(samples.last().remaining, 0);

    // The end is held.
    c->advance(600);
    const Sample after = sample(*c, 0);
    QCOMPARE(after.stage, 19);
    QCOMPARE(after.mode, 32);
    QCOMPARE(after.status & 0x68, 0); // heater and pump off
}

void TestSimFiring::vacuumSwitchesAtEncodedSteps_data()
{
    QTest::addColumn<int>("vacOnTemp");
    QTest::addColumn<int>("vacOff");
    QTest::addColumn<int>("byTime");
    QTest::addColumn<int>("onStage");
    QTest::addColumn<int>("offStage");

    // Word 0 = 11, word 1 = 11: on and off on the heating ramp, by temperature.
    QTest::newRow("on and off while heating") << 650 << 900 << 0 << 11 << 11;
    // Word 0 = 9 (pre-heating hold, table closed), word 1 = 12 (30 s into the firing hold).
    QTest::newRow("pre-heating hold to firing hold") << 600 << 30 << 1 << 9 << 12;
    // Word 0 = 0: as soon as 480 °C is reached (drying ramp); word 1 = 13: end of firing.
    QTest::newRow("from 480 °C to the end of firing") << 480 << 0 << 0 << 5 << 14;
    // Word 0 = 12: at the firing hold, the temperature never reaching VacOnTemp.
    QTest::newRow("above the firing temperature") << 1000 << 0 << 0 << 12 << 14;
}

void TestSimFiring::vacuumSwitchesAtEncodedSteps()
{
    QFETCH(int, vacOnTemp);
    QFETCH(int, vacOff);
    QFETCH(int, byTime);
    QFETCH(int, onStage);
    QFETCH(int, offStage);

    ProgParam p = sampleRecord();
    p.VacOnTemp = quint16(vacOnTemp);
    p.VacOff = quint16(vacOff);
    p.VacOffByTime = quint8(byTime);
    auto c = frozenController();
    ask(*c, 62, programBytes(p));
    const QList<Sample> samples = run(*c);
    QCOMPARE(samples.last().stage, 19);

    int on = -1;
    int off = -1;
    int maxVacuum = 0;
    for (const Sample &s : samples) {
        const bool pumping = s.status & 0x08;
        if (pumping && on < 0)
            on = s.second;
        if (!pumping && on >= 0 && off < 0)
            off = s.second;
        if (pumping)
            maxVacuum = qMax(maxVacuum, s.vacuum);
    }
    QVERIFY(on >= 0 && off > on);
    const Sample &first = samples[on];
    const Sample &last = samples[off];
    QCOMPARE(first.stage, onStage);
    QCOMPARE(last.stage, offStage);
    if (onStage == 11 || onStage == 5)
        QVERIFY(first.temp >= vacOnTemp && first.temp <= vacOnTemp + 2);
    if (offStage == 11)
        QVERIFY(last.temp >= vacOff && last.temp <= vacOff + 2);
    if (offStage == 12)
        QVERIFY(last.zoneTime >= vacOff && last.zoneTime <= vacOff + 2);
    QVERIFY2(maxVacuum > 80, "vacuum builds in the closed chamber");
    for (int i = off; i < samples.size(); ++i)
        QCOMPARE(samples[i].status & 0x08, 0);
}

void TestSimFiring::coolingStep_data()
{
    QTest::addColumn<int>("coolTime");
    QTest::addColumn<int>("minSeconds");
    QTest::addColumn<int>("maxSeconds");
    // 930 -> 800 °C. Within 5 min: slower than the chamber cools by itself, so on time.
    QTest::newRow("within 5 min") << 5 << 298 << 302;
    // Natural cooling: some tens of °C per minute.
    QTest::newRow("natural") << 0 << 130 * 60 / 100 << 130 * 60 / 10;
}

void TestSimFiring::coolingStep()
{
    QFETCH(int, coolTime);
    QFETCH(int, minSeconds);
    QFETCH(int, maxSeconds);

    ProgParam p = sampleRecord();
    p.CoolTime = quint16(coolTime);
    auto c = frozenController();
    ask(*c, 62, programBytes(p));
    const QList<Sample> cooling = inStage(run(*c), 14);
    QVERIFY(cooling.size() >= minSeconds && cooling.size() <= maxSeconds);
    for (int i = 1; i < cooling.size(); ++i)
        QVERIFY(cooling[i].temp <= cooling[i - 1].temp);
}

void TestSimFiring::replaceKeepsStepAndTakesNewValues()
{
    ProgParam p = sampleRecord();
    auto c = frozenController();
    ask(*c, 62, programBytes(p));
    for (int i = 0; i < 3600 && sample(*c, 0).stage < 11; ++i)
        c->advance(1);
    c->advance(30);
    const Sample before = sample(*c, 0);
    QCOMPARE(before.stage, 11);

    p.HeatTemp = 850;
    p.FiringTime = 30;
    QCOMPARE(ask(*c, 63, programBytes(p)).payload, bytes({0}));
    const Sample after = sample(*c, 0);
    QCOMPARE(after.stage, 11);
    QCOMPARE(after.mode, 32);
    QVERIFY(after.zoneTime >= before.zoneTime);

    const QList<Sample> samples = run(*c);
    const QList<Sample> firing = inStage(samples, 12);
    QVERIFY(qAbs(firing.size() - 30) <= 1);
    for (const Sample &s : firing)
        QVERIFY(qAbs(s.temp - 850) <= 1);
    QCOMPARE(samples.last().stage, 19);
}

void TestSimFiring::replaceWithoutProgramRefused()
{
    auto c = frozenController();
    QCOMPARE(ask(*c, 63, programBytes(sampleRecord())).payload, bytes({1}));
    QCOMPARE(ask(*c, 99).byte(0), quint8(0));
    c->advance(60);
    QCOMPARE(ask(*c, 3).byte(3) & 0x60, 0);
}

void TestSimFiring::endOfProgramHoldsUntilStopOrNewProgram()
{
    auto c = frozenController();
    ask(*c, 62, programBytes(sampleRecord()));
    QCOMPARE(run(*c).last().stage, 19);

    ask(*c, 63, programBytes(sampleRecord()));
    c->advance(60);
    QCOMPARE(sample(*c, 0).stage, 19);

    ask(*c, 62, programBytes(sampleRecord()));
    Sample s = sample(*c, 0);
    QCOMPARE(s.stage, 0);
    QCOMPARE(s.mode, 32);
    QVERIFY(s.remaining > 0);

    ask(*c, 2);
    s = sample(*c, 0);
    QCOMPARE(s.mode, 0);
    QCOMPARE(s.stage, 0);
    QCOMPARE(s.remaining, 0);
    QCOMPARE(s.zoneTime, 0);
}

void TestSimFiring::faultAfterProgramSeconds()
{
    auto c = frozenController();
    c->furnace().raiseFaultAfter(12, 300);
    ask(*c, 62, programBytes(sampleRecord()));
    const QList<Sample> samples = run(*c);
    QCOMPARE(samples.last().mode, 26);
    QVERIFY(qAbs(samples.last().second - 300) <= 1);
    QCOMPARE(ask(*c, 99).payload, bytes({26, 12, 0}));
    QCOMPARE(samples.last().status & 0x68, 0);
    QCOMPARE(samples.last().stage, 0);

    // No program starts until the error is cleared.
    QCOMPARE(ask(*c, 62, programBytes(sampleRecord())).payload, bytes({1}));
    QCOMPARE(ask(*c, 99).byte(0), quint8(26));
    ask(*c, 2);
    QCOMPARE(ask(*c, 99).payload, bytes({0, 0, 0}));

    // The fault came once: the next program runs on.
    ask(*c, 62, programBytes(sampleRecord()));
    c->advance(600);
    QCOMPARE(ask(*c, 99).byte(0), quint8(32));
}

void TestSimFiring::programOfWrongLengthRefused()
{
    auto c = frozenController();
    QCOMPARE(ask(*c, 62, programBytes(sampleRecord()).left(87)).payload, bytes({1}));
    QCOMPARE(ask(*c, 99).byte(0), quint8(0));
}

void TestSimFiring::programStartEndsServiceProcedure()
{
    auto c = frozenController();
    ask(*c, 74);
    c->advance(30);
    QCOMPARE(ask(*c, 99).byte(0), quint8(22));
    ask(*c, 62, programBytes(sampleRecord()));
    QCOMPARE(ask(*c, 99).byte(0), quint8(32));
    QCOMPARE(ask(*c, 75).byte(0), quint8(0));
}

void TestSimFiring::restartForgetsTheProgramKeepsTheHeat()
{
    auto c = frozenController();
    ask(*c, 62, programBytes(sampleRecord()));
    c->advance(900);
    const Sample before = sample(*c, 0);
    QCOMPARE(before.mode, 32);
    QVERIFY(before.stage >= 3);
    c->restart();
    // What the console takes for "no program runs": mode 0 with stage 0, and no time left.
    const Sample after = sample(*c, 0);
    QCOMPARE(after.mode, 0);
    QCOMPARE(after.stage, 0);
    QCOMPARE(after.remaining, 0);
    QCOMPARE(after.temp, before.temp);
    QCOMPARE(after.status & 0x60, 0); // the heater is off
    // The restarted controller takes a new program.
    ask(*c, 62, programBytes(sampleRecord()));
    QCOMPARE(ask(*c, 99).byte(0), quint8(32));
}

QTEST_GUILESS_MAIN(TestSimFiring)
#include "tst_simfiring.moc"
