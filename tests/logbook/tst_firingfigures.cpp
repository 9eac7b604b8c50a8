// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of a firing measured from scripted sample series: a clean firing worked out by
// hand, the same firing with noisy readings, a link loss, doubled samples, and runs that lack a
// stage in the program or in the samples.

#include "logbook/firingfigures.h"
#include "tests/support/samplefiring.h"

#include <QTest>

#include <cmath>
#include <utility>

namespace
{

/// A stretch of a scripted run: the step, how long it lasts, and the temperature and vacuum it
/// ends at (both change linearly over it).
struct Leg {
    int zone;
    double seconds;
    int toTemp;
    int toVacuum;
};

/// Samples every `every` s over `legs`, starting at `startTemp`; ZoneTime counts from the start
/// of the run of legs with the same step.
QList<TraceSample> script(int startTemp, const QList<Leg> &legs, double every = 1)
{
    double total = 0;
    for (const Leg &l : legs)
        total += l.seconds;
    QList<TraceSample> out;
    for (int k = 0; k * every <= total + 1e-9; ++k) {
        const double t = k * every;
        double legStart = 0;
        double zoneStart = 0;
        int fromTemp = startTemp;
        int fromVac = 0;
        qsizetype j = 0;
        for (; j + 1 < legs.size() && t >= legStart + legs[j].seconds; ++j) {
            legStart += legs[j].seconds;
            if (legs[j + 1].zone != legs[j].zone)
                zoneStart = legStart;
            fromTemp = legs[j].toTemp;
            fromVac = legs[j].toVacuum;
        }
        const Leg &leg = legs[j];
        const double f = leg.seconds > 0 ? std::min(1.0, (t - legStart) / leg.seconds) : 1.0;
        TraceSample s;
        s.Seconds = t;
        s.CurrentZone = quint8(leg.zone);
        s.ZoneTime = quint16(t - zoneStart);
        s.ChamberTemp = quint16(std::lround(fromTemp + f * (leg.toTemp - fromTemp)));
        s.Vacuum = quint8(std::lround(fromVac + f * (leg.toVacuum - fromVac)));
        out << s;
    }
    return out;
}

ProgParam firingRecord()
{
    // Holds of a minute, no table time; the ramp from 600 to 930 °C at 60 °C/min; vacuum from
    // 650 to 900 °C.
    return RecordOf(
        {400, 1, 30, 0, 500, 1, 100, 0, 600, 1, 930, 60, 60, 800, 2, 1, 600, 1, 650, 900});
}

/// The firing as the furnace ran it: as planned, except 15 s of table travel in step 10 and a
/// hold that overshoots by 6 °C, then settles a degree low.
QList<TraceSample> cleanFiring()
{
    return script(340,
                  {
                      {2, 60, 400, 0},   {3, 60, 400, 0},    {5, 100, 500, 0},  {6, 60, 500, 0},
                      {8, 100, 600, 0},  {9, 60, 600, 0},    {10, 15, 600, 0},  {11, 50, 650, 0},
                      {11, 24, 674, 96}, {11, 226, 900, 96}, {11, 4, 904, 0},   {11, 26, 930, 0},
                      {12, 6, 936, 0},   {12, 4, 936, 0},    {12, 7, 929, 0},   {12, 43, 929, 0},
                      {14, 120, 800, 0}, {15, 60, 800, 0},   {16, 200, 600, 0}, {17, 10, 590, 0},
                      {18, 60, 560, 0},  {19, 1, 560, 0},
                  });
}

/// The clean firing's figures, worked out from its legs (step 11 begins at 455 s, step 12 at
/// 785 s, step 14 at 845 s).
FiringFigures cleanFigures()
{
    FiringFigures f;
    f.heatingStartSeconds = 455;
    f.heatingRate = 60;
    f.heatingRatePlanned = 60;
    f.heatingRateRatio = 1;
    f.firingTempReachedSeconds = 455 + 328; // 928 °C
    // Reached 723 s after entering step 3 (at 60 s); the plan reaches 928 °C at 380 + 328 s.
    f.firingTempLagSeconds = 15;
    f.bandRate = 60;
    f.holdMaxTemp = 936;
    f.holdOvershoot = 6;
    // The hold's samples span 59 s: +18 +24 +18 °C·s above 930, then -0.5 and -42 below.
    f.holdMeanDeviation = 17.5 / 59;
    f.holdMeanAbsDeviation = 102.5 / 59;
    f.runMaxTemp = 936;
    f.vacuumOnSeconds = 506; // 4 % one second after the pump starts at 505 s
    f.vacuumMaxLevel = 96;
    f.vacuumToMaxSeconds = 529 - 506;
    f.vacuumToTargetSeconds = 527.5 - 506; // 90 % between 88 % and 92 %
    f.firingEndSeconds = 845;
    f.coolingToOpenSeconds = 1223 - 845; // 602 °C on the drop to the opening temperature
    f.durationSeconds = 1296;
    f.endedNormally = true;
    return f;
}

QList<TraceSample> withReading(QList<TraceSample> samples, double at, int temp, int vacuum = -1)
{
    for (TraceSample &s : samples) {
        if (s.Seconds == at) {
            if (temp >= 0)
                s.ChamberTemp = quint16(temp);
            if (vacuum >= 0)
                s.Vacuum = quint8(vacuum);
        }
    }
    return samples;
}

struct Case {
    QList<TraceSample> samples;
    ProgParam record = firingRecord();
    RunOutcome outcome = RunOutcome::Finished;
    FigureSettings settings;
    FiringFigures expected = cleanFigures();
};

const std::pair<const char *, std::optional<double> FiringFigures::*> RealFigures[] = {
    {"heatingStartSeconds", &FiringFigures::heatingStartSeconds},
    {"heatingRate", &FiringFigures::heatingRate},
    {"heatingRatePlanned", &FiringFigures::heatingRatePlanned},
    {"heatingRateRatio", &FiringFigures::heatingRateRatio},
    {"firingTempReachedSeconds", &FiringFigures::firingTempReachedSeconds},
    {"firingTempLagSeconds", &FiringFigures::firingTempLagSeconds},
    {"bandRate", &FiringFigures::bandRate},
    {"holdMeanAbsDeviation", &FiringFigures::holdMeanAbsDeviation},
    {"holdMeanDeviation", &FiringFigures::holdMeanDeviation},
    {"vacuumOnSeconds", &FiringFigures::vacuumOnSeconds},
    {"vacuumToMaxSeconds", &FiringFigures::vacuumToMaxSeconds},
    {"vacuumToTargetSeconds", &FiringFigures::vacuumToTargetSeconds},
    {"firingEndSeconds", &FiringFigures::firingEndSeconds},
    {"coolingToOpenSeconds", &FiringFigures::coolingToOpenSeconds},
    {"durationSeconds", &FiringFigures::durationSeconds},
};

const std::pair<const char *, std::optional<int> FiringFigures::*> WholeFigures[] = {
    {"holdMaxTemp", &FiringFigures::holdMaxTemp},
    {"holdOvershoot", &FiringFigures::holdOvershoot},
    {"runMaxTemp", &FiringFigures::runMaxTemp},
    {"vacuumMaxLevel", &FiringFigures::vacuumMaxLevel},
};

template<typename T>
QString shown(const std::optional<T> &v)
{
    return v ? QString::number(*v, 'g', 10) : QStringLiteral("absent");
}

/// The first figure that differs, as "name: actual, expected"; empty when all agree.
QString firstDifference(const FiringFigures &actual, const FiringFigures &expected)
{
    for (const auto &[name, member] : RealFigures) {
        const auto &a = actual.*member;
        const auto &e = expected.*member;
        if (a.has_value() != e.has_value() || (a && std::abs(*a - *e) > 1e-9))
            return QStringLiteral("%1: %2, expected %3").arg(name, shown(a), shown(e));
    }
    for (const auto &[name, member] : WholeFigures) {
        if (actual.*member != expected.*member)
            return QStringLiteral("%1: %2, expected %3")
                .arg(name, shown(actual.*member), shown(expected.*member));
    }
    if (actual.endedNormally != expected.endedNormally)
        return QStringLiteral("endedNormally");
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Case)

class TestFiringFigures : public QObject
{
    Q_OBJECT
private slots:
    void figures_data();
    void figures();
};

void TestFiringFigures::figures_data()
{
    QTest::addColumn<Case>("c");
    Case clean;
    clean.samples = cleanFiring();
    clean.settings.vacuumTarget = 90;
    QTest::newRow("clean firing") << clean;

    // Single wild readings: one would cross 900 and reach the firing temperature on the ramp,
    // one would ruin the hold's mean, one would reach the opening temperature early, one would
    // start the vacuum in the drying, the last one would be the run's highest.
    Case noisy = clean;
    noisy.samples = withReading(noisy.samples, 605, 1200);
    noisy.samples = withReading(noisy.samples, 815, 0);
    noisy.samples = withReading(noisy.samples, 1150, 0);
    noisy.samples = withReading(noisy.samples, 200, -1, 99);
    noisy.samples = withReading(noisy.samples, 1296, 1500);
    QTest::newRow("single wild readings") << noisy;

    // No samples for three minutes across the 700 °C crossing.
    Case gap = clean;
    gap.samples.removeIf([](const TraceSample &s) { return s.Seconds >= 540 && s.Seconds <= 700; });
    QTest::newRow("link down on the ramp") << gap;

    Case doubled = clean;
    doubled.samples.clear();
    for (const TraceSample &s : clean.samples)
        doubled.samples << s << s;
    QTest::newRow("every sample twice, equal Seconds") << doubled;

    Case noVacuum = clean;
    noVacuum.record.VacOnTemp = 0;
    noVacuum.expected.vacuumOnSeconds.reset();
    noVacuum.expected.vacuumMaxLevel.reset();
    noVacuum.expected.vacuumToMaxSeconds.reset();
    noVacuum.expected.vacuumToTargetSeconds.reset();
    QTest::newRow("program without vacuum") << noVacuum;

    Case noHold = clean;
    noHold.record.FiringTime = 0;
    noHold.expected.holdMaxTemp.reset();
    noHold.expected.holdOvershoot.reset();
    noHold.expected.holdMeanAbsDeviation.reset();
    noHold.expected.holdMeanDeviation.reset();
    QTest::newRow("program without firing hold") << noHold;

    Case outOfReach = clean;
    outOfReach.settings.bandLow = 650;
    outOfReach.settings.bandHigh = 950;
    outOfReach.settings.vacuumTarget = 97;
    outOfReach.expected.bandRate.reset();
    outOfReach.expected.vacuumToTargetSeconds.reset();
    QTest::newRow("band and vacuum target out of reach") << outOfReach;

    // A band that includes the pre-heating hold measures the program, not the heater.
    Case acrossHold = clean;
    acrossHold.settings.bandLow = 550;
    acrossHold.expected.bandRate.reset();
    QTest::newRow("band across a hold") << acrossHold;

    // Aborted at 800 °C on the ramp: the last reading is not confirmed by a next one.
    Case aborted = clean;
    aborted.samples.removeIf([](const TraceSample &s) { return s.Seconds > 655; });
    aborted.outcome = RunOutcome::Aborted;
    FiringFigures &a = aborted.expected;
    a = FiringFigures();
    a.heatingStartSeconds = 455;
    a.runMaxTemp = 799;
    a.vacuumOnSeconds = 506;
    a.vacuumMaxLevel = 96;
    a.vacuumToMaxSeconds = 23;
    a.vacuumToTargetSeconds = 21.5;
    a.durationSeconds = 655;
    QTest::newRow("aborted before the firing temperature") << aborted;

    Case empty;
    empty.outcome = RunOutcome::Interrupted;
    empty.expected = FiringFigures();
    QTest::newRow("no samples") << empty;
}

void TestFiringFigures::figures()
{
    QFETCH(Case, c);
    const FiringFigures f = ComputeFiringFigures(c.samples, c.record, c.outcome, c.settings);
    const QString difference = firstDifference(f, c.expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(HeatingStartSeconds(c.samples), f.heatingStartSeconds);
}

QTEST_APPLESS_MAIN(TestFiringFigures)
#include "tst_firingfigures.moc"
