// SPDX-License-Identifier: GPL-3.0-or-later
// What the firing-curve graph draws besides the plan, by value: the run's samples, the measured
// curve placed stage by stage on the plan's axis, the full view that holds it, the grid, the
// axis labels left out so that none overlaps, the legend.

#include "graph/curveoverlay.h"
#include "graph/measuredcurve.h"
#include "tests/support/samplefiring.h"

#include <QTest>

namespace
{

const QSize kDesignSize(705, 189);

TraceSample sampleAt(double seconds, int zone, int temp, int zoneTime = 0)
{
    TraceSample s;
    s.Seconds = seconds;
    s.CurrentZone = quint8(zone);
    s.ChamberTemp = quint16(temp);
    s.ZoneTime = quint16(zoneTime);
    return s;
}

/// The sample firing in full view at the design size, with the frame of one paint.
struct SampleView {
    CurveViewState view;
    CurveFrame frame;
    explicit SampleView(QSize size = kDesignSize)
    {
        view.TotalScale(SampleFiring());
        frame = BuildCurveFrame(SampleFiring(), view, size, {});
    }
};

} // namespace

class TestCurveOverlay : public QObject
{
    Q_OBJECT
private slots:
    void traceKeepsOneRun();
    void measuredCurve_data();
    void measuredCurve();
    void placementByStage_data();
    void placementByStage();
    void fullViewHoldsTheMeasuredCurve_data();
    void fullViewHoldsTheMeasuredCurve();
    void gridAtTheTicks();
    void labelsNeverOverlap_data();
    void labelsNeverOverlap();
    void legendDropsWhatDoesNotFit_data();
    void legendDropsWhatDoesNotFit();
};

void TestCurveOverlay::traceKeepsOneRun()
{
    FiringTrace trace;
    trace.add(sampleAt(1, 3, 400)); // before any start
    QVERIFY(trace.samples().isEmpty());

    const QDateTime start(QDate(2026, 3, 7), QTime(14, 0));
    trace.start(start);
    trace.add(sampleAt(1, 1, 380));
    trace.add(sampleAt(5, 3, 400));
    trace.add(sampleAt(4, 3, 401)); // a clock that went backwards
    QCOMPARE(trace.samples().size(), 2);
    QCOMPARE(trace.plannedStart(), 1);

    trace.finish(RunOutcome::Fault, start.addSecs(60), QStringLiteral("Overheating!"));
    trace.finish(RunOutcome::Finished, start.addSecs(90)); // only the first end counts
    trace.add(sampleAt(9, 5, 450));
    QCOMPARE(trace.samples().size(), 2);
    QCOMPARE(trace.outcome(), RunOutcome::Fault);
    QCOMPARE(trace.endedAt(), start.addSecs(60));

    // The next start forgets the run; a run outgrowing its limit keeps its first samples.
    trace.start(start);
    QCOMPARE(trace.plannedStart(), -1);
    for (qsizetype i = 0; i < FiringTrace::MaxSamples + 5; ++i)
        trace.add(sampleAt(double(i), 3, 400));
    QCOMPARE(trace.samples().size(), FiringTrace::MaxSamples);
    QCOMPARE(trace.dropped(), qsizetype(5));
}

void TestCurveOverlay::measuredCurve_data()
{
    QTest::addColumn<int>("zoneTime"); // of the first sample in step 3
    QTest::addColumn<int>("viewTimeStart");
    QTest::addColumn<QList<QPoint>>("points");
    // Step 3 was entered at 7 s (9 s less its 2 s): the samples of 9, 9.5, 127 and 400 s are at
    // 2, 2.5, 120 and 393 s of the plan, the second on the pixel of the first.
    QTest::newRow("entered between two samples")
        << 2 << 0 << QList<QPoint>{{35, 148}, {81, 148}, {187, 128}};
    // A zone time still counting a step before never puts t = 0 before the sample before it:
    // t = 0 at 5 s, so the samples are at 4, 4.5, 122 and 395 s.
    QTest::newRow("zone time of the step before")
        << 50 << 0 << QList<QPoint>{{36, 148}, {82, 148}, {188, 128}};
    // Zoomed to start at 100 s: the curve moves left with the plan (and truncates toward 0).
    QTest::newRow("zoomed") << 2 << 100
                            << QList<QPoint>{{-3, 148}, {-2, 148}, {42, 148}, {148, 128}};
}

void TestCurveOverlay::measuredCurve()
{
    QFETCH(int, zoneTime);
    QFETCH(int, viewTimeStart);
    QFETCH(QList<QPoint>, points);
    SampleView s;
    s.view.ViewTimeStart = viewTimeStart;
    s.view.ViewTimeEnd += viewTimeStart;
    s.view.updateScales();
    const PlanTimeline plan = PlanOf(SampleFiring());
    auto pointsOf = [&](const FiringTrace &trace) {
        return MeasuredTracePoints(PlaceMeasuredSamples(trace, plan), s.view);
    };
    FiringTrace trace;
    trace.start(QDateTime::currentDateTime());
    // Samples of the preparation steps are not drawn.
    QVERIFY(pointsOf(trace).isEmpty());
    trace.add(sampleAt(5, 2, 380));
    QVERIFY(pointsOf(trace).isEmpty());
    trace.add(sampleAt(9, 3, 400, zoneTime));
    trace.add(sampleAt(9.5, 3, 400, zoneTime));
    trace.add(sampleAt(127, 3, 400));
    // Step 5 entered long after the plan begins it (step 4 is missing): it follows on.
    trace.add(sampleAt(400, 5, 500));
    QCOMPARE(pointsOf(trace), points);
    // Kept after the run.
    trace.finish(RunOutcome::Finished, QDateTime::currentDateTime());
    QCOMPARE(pointsOf(trace), points);
}

void TestCurveOverlay::placementByStage_data()
{
    // Each sample as {Seconds, CurrentZone, ZoneTime}; the sample firing's plan begins step 4 at
    // 120 s, 10 and 11 at 850 s, 14 at 1215 s, 15 at 1335 s, 18 at 1395 s and ends at 1575 s.
    QTest::addColumn<QList<QList<double>>>("samples");
    QTest::addColumn<QList<double>>("placed");
    // Step 3 entered at 7 s: its first sample carries no zone time, the next one tells.
    QTest::newRow("first sample of a step without its time")
        << QList<QList<double>>{{5, 2, 0}, {9, 3, 0}, {20, 3, 13}, {131, 4, 4}}
        << QList<double>{2, 13, 124};
    // Step 4 entered at 100 s, 20 s before the plan: it starts where the plan starts it.
    QTest::newRow("a step that came early")
        << QList<QList<double>>{{1, 2, 0}, {10, 3, 9}, {105, 4, 5}} << QList<double>{9, 125};
    // Cooling entered on time and left at 1695 s where the plan leaves it at 1335 s: tempering
    // follows on where the cooling really ended.
    QTest::newRow("a step that overran pushes the next")
        << QList<QList<double>>{{10, 3, 10}, {1300, 14, 85}, {1700, 15, 5}}
        << QList<double>{10, 1300, 1700};
    // Step 10 (the table closing) has no time on the plan; its 13 s delay the heating.
    QTest::newRow("a step without a segment")
        << QList<QList<double>>{{10, 3, 10}, {840, 9, 110}, {848, 10, 3}, {870, 11, 12}}
        << QList<double>{10, 840, 853, 875};
    // A zone time longer than the time since the sample before counts from that sample.
    QTest::newRow("zone time of the step before")
        << QList<QList<double>>{{100, 2, 0}, {110, 3, 50}} << QList<double>{10};
    // Observed from the heating on; then a program begun again: never back in time.
    QTest::newRow("a step back") << QList<QList<double>>{{900, 11, 50}, {910, 3, 2}}
                                 << QList<double>{900, 910};
    QTest::newRow("the end after the plan's end")
        << QList<QList<double>>{{1570, 18, 175}, {1580, 19, 0}} << QList<double>{1570, 1580};
}

void TestCurveOverlay::placementByStage()
{
    QFETCH(QList<QList<double>>, samples);
    QFETCH(QList<double>, placed);
    FiringTrace trace;
    trace.start(QDateTime::currentDateTime());
    for (const QList<double> &s : samples)
        trace.add(sampleAt(s[0], int(s[1]), 500, int(s[2])));
    QList<double> seconds;
    for (const PlacedSample &p : PlaceMeasuredSamples(trace, PlanOf(SampleFiring())))
        seconds << p.seconds;
    QCOMPARE(seconds, placed);
}

void TestCurveOverlay::fullViewHoldsTheMeasuredCurve_data()
{
    QTest::addColumn<bool>("zoomed"); // zoomed in around the middle before the curve came
    QTest::addColumn<QList<QList<double>>>("samples"); // {Seconds, zone, zoneTime, °C}
    QTest::addColumn<QList<int>>("full");  // time end, lowest and highest °C of the full view
    QTest::addColumn<QList<int>>("shown"); // time start and end, °C range shown
    // The sample firing: 0..1675 s, 300..1030 °C.
    const QList<QList<double>> past = {{2, 3, 2, 400}, {1800, 18, 400, 610}, {2100.4, 19, 0, 590}};
    QTest::newRow("within the plan")
        << false << QList<QList<double>>{{2, 3, 2, 400}, {1500, 18, 100, 610}}
        << QList<int>{1675, 300, 1030} << QList<int>{0, 1675, 300, 1030};
    QTest::newRow("past the plan's end")
        << false << past << QList<int>{2101, 300, 1030} << QList<int>{0, 2101, 300, 1030};
    QTest::newRow("colder and hotter than the plan")
        << false << QList<QList<double>>{{2, 3, 2, 250}, {1000, 11, 150, 1180}}
        << QList<int>{1675, 240, 1190} << QList<int>{0, 1675, 240, 1190};
    QTest::newRow("zoomed: the clamps widen, the range stays")
        << true << past << QList<int>{2101, 300, 1030} << QList<int>{419, 1255, 480, 844};
}

void TestCurveOverlay::fullViewHoldsTheMeasuredCurve()
{
    QFETCH(bool, zoomed);
    QFETCH(QList<QList<double>>, samples);
    QFETCH(QList<int>, full);
    QFETCH(QList<int>, shown);
    SampleView s;
    if (zoomed)
        QVERIFY(s.view.zoomStep(ZoomMode::In, 360, 95));
    FiringTrace trace;
    trace.start(QDateTime::currentDateTime());
    for (const QList<double> &v : samples)
        trace.add(sampleAt(v[0], int(v[1]), int(v[3]), int(v[2])));
    const QList<PlacedSample> placed = PlaceMeasuredSamples(trace, PlanOf(SampleFiring()));
    s.view.widenFullView(ExtentOf(placed));
    s.view.widenFullView(ExtentOf(placed)); // every paint widens: only the first changes it
    QCOMPARE((QList<int>{s.view.FullTimeEnd, s.view.FullTempMin, s.view.FullTempMax}), full);
    QCOMPARE((QList<int>{s.view.ViewTimeStart, s.view.ViewTimeEnd, s.view.ViewTempMin,
                         s.view.ViewTempMax}),
             shown);
    // Zooming out reaches all of it, and the whole curve lies inside the plot.
    for (int i = 0; i < 4; ++i)
        s.view.zoomStep(ZoomMode::Out, 360, 95);
    s.view.setAreaSize(kDesignSize.width(), kDesignSize.height());
    for (const QPoint &p : MeasuredTracePoints(placed, s.view)) {
        QVERIFY2(p.x() >= CurveViewState::PlotLeft && p.x() <= s.view.PlotRight,
                 qPrintable(QString::number(p.x())));
        QVERIFY(p.y() >= CurveViewState::PlotTop && p.y() <= s.view.PlotBottom);
    }
}

void TestCurveOverlay::gridAtTheTicks()
{
    SampleView s;
    const QList<QLine> grid = GridLines(s.frame, s.view);
    QCOMPARE(grid.size(), 10 + 6);
    QCOMPARE(grid.first(), QLine(100, 20, 100, 168)); // the first time tick after the axis
    QCOMPARE(grid[9], QLine(685, 20, 685, 168));      // the last
    QCOMPARE(grid[10], QLine(36, 145, 685, 145));     // the first temperature tick above it
    QCOMPARE(grid.last(), QLine(36, 20, 685, 20));    // the top one
}

void TestCurveOverlay::labelsNeverOverlap_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("allShown");
    QTest::newRow("design size") << kDesignSize << true;
    QTest::newRow("wide") << QSize(1375, 389) << true;
    QTest::newRow("narrow and low") << QSize(300, 90) << false;
    QTest::newRow("smallest") << QSize(70, 60) << false;
}

void TestCurveOverlay::labelsNeverOverlap()
{
    QFETCH(QSize, size);
    QFETCH(bool, allShown);
    SampleView s(size);
    // Digits 7 px wide on a 13 px line, their ink from 3 to 11 px below its top.
    const LabelInk ink{3, 11};
    auto width = [](const QString &text) { return 7 * int(text.size()); };
    SkipOverlappingLabels(s.frame, width, 13, ink);

    QList<QRect> shown;
    int hidden = 0;
    auto collect = [&](const AxisTick &tick, bool visible, QPoint topLeft) {
        if (!visible) {
            ++hidden;
            return;
        }
        const QRect digits(topLeft + QPoint(0, ink.top), QSize(width(tick.label), 8));
        for (const QRect &other : shown)
            QVERIFY2(!other.intersects(digits), qPrintable(tick.label));
        shown << digits;
    };
    for (size_t i = 0; i < s.frame.tempTicks.size(); ++i) {
        const AxisTick &t = s.frame.tempTicks[i];
        collect(t, s.frame.tempLabelShown[i], TempLabelPos(t, width(t.label), 13));
    }
    for (size_t i = 0; i < s.frame.timeTicks.size(); ++i) {
        const AxisTick &t = s.frame.timeTicks[i];
        collect(t, s.frame.timeLabelShown[i], TimeLabelPos(t, width(t.label)));
    }
    QCOMPARE(hidden == 0, allShown);
    // The lowest temperature and the start of the time axis are always written.
    QVERIFY(s.frame.tempLabelShown[0]);
    QVERIFY(s.frame.timeLabelShown[0]);
}

void TestCurveOverlay::legendDropsWhatDoesNotFit_data()
{
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("entries");
    // From x = 60: 16 px symbols, 4 px gaps, texts of 30, 40 and 60 px, 12 px apart: 60..274.
    QTest::newRow("the last just fits") << 274 << 3;
    QTest::newRow("one px short") << 273 << 2;
    QTest::newRow("not even the first") << 100 << 0;
}

void TestCurveOverlay::legendDropsWhatDoesNotFit()
{
    QFETCH(int, right);
    QFETCH(int, entries);
    const QList<LegendEntry> legend =
        LayoutLegend({LegendEntry::Plan, LegendEntry::Measured, LegendEntry::VacuumOn},
                     {30, 40, 60}, 13, 60, right);
    QCOMPARE(legend.size(), entries);
    if (entries > 1) {
        QCOMPARE(legend[0].text, QRect(80, 1, 30, 13));
        QCOMPARE(legend[1].symbol, QRect(122, 1, 16, 13));
    }
}

QTEST_APPLESS_MAIN(TestCurveOverlay)
#include "tst_curveoverlay.moc"
