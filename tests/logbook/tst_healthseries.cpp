// SPDX-License-Identifier: GPL-3.0-or-later
// The furnace's figures over time as the health window plots them: rolling baselines worked out
// by hand, programs kept apart, none before five firings, the same baselines as a scan back
// over a mixed logbook (with a period's lead-in), and flagged firings with their numbers.

#include "logbook/healthseries.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

namespace
{

constexpr qint64 Hour = 3600 * 1000;

HealthPoint point(int hour, const QString &program, std::optional<double> band,
                  std::optional<double> rate, bool normal = true)
{
    HealthPoint p;
    p.entryId = hour + 1;
    p.startedMs = hour * Hour;
    p.normal = normal;
    p.furnaceKey = QStringLiteral("lab|/dev/ttyUSB0|ZKV4.6");
    p.programKey = program;
    p.heatTemp = 930;
    p.bandRate = band;
    p.heatingRate = rate;
    return p;
}

bool same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

/// What the seal judged a firing by: the normal firings started before it, newest first.
QList<HealthPoint> before(const QList<HealthPoint> &points, int i, bool sameProgram)
{
    QList<HealthPoint> out;
    for (int j = int(points.size()) - 1; j >= 0 && out.size() < BaselineFirings; --j)
        if (points[j].startedMs < points[i].startedMs && points[j].normal &&
            (!sameProgram || points[j].programKey == points[i].programKey))
            out << points[j];
    return out;
}

} // namespace

class TestHealthSeries : public QObject
{
    Q_OBJECT
private slots:
    void rollingBaselineByHand_data();
    void rollingBaselineByHand();
    void sameAsScanningBack();
    void flaggedFiringsKeepTheirNumbers();
};

void TestHealthSeries::rollingBaselineByHand_data()
{
    QTest::addColumn<int>("figure");
    QTest::addColumn<int>("at"); // index in the series
    QTest::addColumn<double>("median");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    const double none = std::numeric_limits<double>::quiet_NaN();
    // Program A's ramp rates 50, 52, 48, 51, 49, 47, 53, 30, 54, 55, 56, 57 with program B's
    // firings (90 °C/min) and an aborted one (10) between; band rates equal the ramp rates.
    const int rate = int(HealthSeriesFigure::HeatingRate);
    const int band = int(HealthSeriesFigure::BandRate);
    QTest::newRow("four before: none") << rate << 4 << none << none << none;
    QTest::newRow("five before") << rate << 5 << 50.0 << 48.0 << 52.0;
    QTest::newRow("six before: even count") << rate << 6 << 49.5 << 47.0 << 52.0;
    // Eleven of A before the last: only the newest ten count (the first 50 drops out).
    QTest::newRow("ten newest only") << rate << 11 << 51.5 << 30.0 << 56.0;
    // The band across programs: B's firings count, the aborted one never.
    QTest::newRow("band: four of A, one of B") << band << 5 << 51.0 << 48.0 << 90.0;
    QTest::newRow("band: ten newest of any") << band << 14 << 54.5 << 30.0 << 90.0;
}

void TestHealthSeries::rollingBaselineByHand()
{
    QFETCH(int, figure);
    QFETCH(int, at);
    QFETCH(double, median);
    QFETCH(double, low);
    QFETCH(double, high);
    const double a[] = {50, 52, 48, 51, 49, 47, 53, 30, 54, 55, 56, 57};
    QList<HealthPoint> points;
    int hour = 0;
    for (int i = 0; i < 12; ++i) {
        points << point(hour++, QStringLiteral("A"), a[i], a[i]);
        if (i == 3 || i == 9 || i == 10)
            points << point(hour++, QStringLiteral("B"), 90, 90);
        if (i == 2)
            points << point(hour++, QStringLiteral("A"), 10, 10, false);
    }
    const HealthSeries s = HealthSeriesOf(points, HealthSeriesFigure(figure));
    // Every normal firing with the figure, never the aborted one.
    QCOMPARE(s.values.size(), 15);
    QVERIFY(!s.values.contains(10.0));
    if (HealthSeriesFigure(figure) == HealthSeriesFigure::HeatingRate) {
        // Program A's series position `at` is its `at`th firing: count only A's.
        QList<int> ofA;
        for (qsizetype i = 0; i < s.values.size(); ++i)
            if (points[s.pointIndex[i]].programKey == QLatin1String("A"))
                ofA << int(i);
        at = ofA[at];
    }
    QVERIFY2(same(s.median[at], median), qPrintable(QString::number(s.median[at])));
    QVERIFY(same(s.low[at], low));
    QVERIFY(same(s.high[at], high));
}

void TestHealthSeries::sameAsScanningBack()
{
    // A mixed logbook: three programs, aborted firings, figures missing now and then, firings
    // started in the same millisecond. Its second half is a period read with its lead-in.
    QRandomGenerator random(7);
    QList<HealthPoint> points;
    qint64 at = 0;
    for (int i = 0; i < 400; ++i) {
        at += random.bounded(4) == 0 ? 0 : random.bounded(1, 50) * Hour;
        const QString program = QStringLiteral("P%1").arg(random.bounded(3));
        HealthPoint p =
            point(0, program,
                  random.bounded(8) ? std::optional<double>(random.bounded(40, 60)) : std::nullopt,
                  random.bounded(6) ? std::optional<double>(random.bounded(30, 90)) : std::nullopt,
                  random.bounded(10) != 0);
        p.entryId = i + 1;
        p.startedMs = at;
        points << p;
    }
    const qint64 periodFrom = points[200].startedMs;
    QList<HealthPoint> period;
    for (const HealthPoint &p : std::as_const(points))
        if (p.startedMs >= periodFrom)
            period << p;
    // What the window asks the logbook for: the furnace's ten before the period, and ten of
    // each of the period's programs (overlapping).
    QList<HealthPoint> leadIn;
    for (const QString &program : ProgramsOf(period))
        for (int j = int(points.size()) - 1, n = 0; j >= 0 && n < BaselineFirings; --j)
            if (points[j].startedMs < periodFrom && points[j].normal &&
                points[j].programKey == program) {
                leadIn << points[j];
                ++n;
            }
    for (int j = int(points.size()) - 1, n = 0; j >= 0 && n < BaselineFirings; --j)
        if (points[j].startedMs < periodFrom && points[j].normal) {
            leadIn << points[j];
            ++n;
        }
    const QList<HealthPoint> read = WithLeadIn(leadIn, period);

    for (HealthSeriesFigure figure :
         {HealthSeriesFigure::BandRate, HealthSeriesFigure::HeatingRate}) {
        const HealthSeries whole = HealthSeriesOf(points, figure);
        const HealthSeries shown = HealthSeriesOf(read, figure, periodFrom);
        int checked = 0;
        for (qsizetype k = 0; k < whole.values.size(); ++k) {
            const int i = whole.pointIndex[k];
            const bool rate = figure == HealthSeriesFigure::HeatingRate;
            QList<double> values;
            for (const HealthPoint &p : before(points, i, rate))
                if (const auto v = rate ? p.heatingRate : p.bandRate)
                    values << *v;
            const Baseline b = BaselineOf(values);
            const bool known = b.count >= MinimumFirings;
            QVERIFY(same(whole.median[k], known ? b.median : qQNaN()));
            QVERIFY(same(whole.low[k], known ? b.low : qQNaN()));
            QVERIFY(same(whole.high[k], known ? b.high : qQNaN()));
            checked += known;
        }
        QVERIFY(checked > 100);
        // The period with its lead-in shows the same as the whole logbook from there on.
        const qsizetype first = whole.timesMs.indexOf(
            *std::lower_bound(whole.timesMs.cbegin(), whole.timesMs.cend(), periodFrom));
        QCOMPARE(shown.timesMs, whole.timesMs.mid(first));
        QCOMPARE(shown.values, whole.values.mid(first));
        for (qsizetype k = 0; k < shown.values.size(); ++k) {
            QVERIFY(same(shown.median[k], whole.median[first + k]));
            QVERIFY(same(shown.low[k], whole.low[first + k]));
            QVERIFY(same(shown.high[k], whole.high[first + k]));
        }
    }
}

void TestHealthSeries::flaggedFiringsKeepTheirNumbers()
{
    // Program A at 50 ± 1 °C/min, then a firing at 40, flagged at its seal for its band rate
    // and its vacuum (which did not reach its level).
    QList<HealthPoint> points;
    for (int i = 0; i < 8; ++i) {
        HealthPoint p = point(i, QStringLiteral("A"), 50 + i % 3 - 1, std::nullopt);
        p.vacuumSeconds = 40 + i % 2;
        p.vacuumLevel = 95;
        points << p;
    }
    HealthPoint slow = point(8, QStringLiteral("A"), 40, std::nullopt);
    slow.vacuumLevel = 80;
    slow.flags = QStringList{QStringLiteral("band"), QStringLiteral("vacuum")};
    points << slow;
    points << point(9, QStringLiteral("B"), 49, std::nullopt);

    const HealthSeries band = HealthSeriesOf(points, HealthSeriesFigure::BandRate);
    QCOMPARE(band.flagged.count(true), 1);
    QCOMPARE(band.values[band.flagged.indexOf(true)], 40.0);
    // Flagged without the figure: in the vacuum series at NaN; never in the hold's.
    const HealthSeries vacuum = HealthSeriesOf(points, HealthSeriesFigure::VacuumTime);
    QCOMPARE(vacuum.values.size(), 9);
    QVERIFY(vacuum.flagged.last() && std::isnan(vacuum.values.last()));
    QVERIFY(!HealthSeriesOf(points, HealthSeriesFigure::HoldDeviation).flagged.contains(true));

    // The numbers as at the seal; with tolerances raised since, the same numbers still.
    for (const HealthTolerances &t : {HealthTolerances{}, HealthTolerances{50, 500, 50, 50}}) {
        const QList<FlaggedFiring> flagged = FlaggedFiringsOf(points, t);
        QCOMPARE(flagged.size(), 1);
        QCOMPARE(flagged[0].pointIndex, 8);
        QVERIFY(flagged[0].unexplained.isEmpty());
        QCOMPARE(flagged[0].flags.size(), 2);
        const DriftFlag &b = flagged[0].flags[0];
        QCOMPARE(b.figure, HealthFigure::BandRate);
        QCOMPARE(b.comparedWith, 8);
        QCOMPARE(b.baseline, 50.0);
        QCOMPARE(b.change, 0.2);
        QVERIFY(flagged[0].flags[1].levelMissed);
        QCOMPARE(flagged[0].flags[1].levelReached, 80);
    }
    // Shown from after it: not listed.
    QVERIFY(FlaggedFiringsOf(points, {}, points[9].startedMs).isEmpty());
}

QTEST_GUILESS_MAIN(TestHealthSeries)
#include "tst_healthseries.moc"
