// What the firing-curve graph draws besides the plan, by value: the run's samples, the measured
// curve, the grid, the axis labels left out so that none overlaps, the legend.

#include "curveoverlay.h"
#include "samplefiring.h"

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
    FiringTrace trace;
    trace.start(QDateTime::currentDateTime());
    // Samples of the preparation steps are not drawn.
    QVERIFY(MeasuredTracePoints(trace, s.view).isEmpty());
    trace.add(sampleAt(5, 2, 380));
    QVERIFY(MeasuredTracePoints(trace, s.view).isEmpty());
    trace.add(sampleAt(9, 3, 400, zoneTime));
    trace.add(sampleAt(9.5, 3, 400, zoneTime));
    trace.add(sampleAt(127, 3, 400));
    trace.add(sampleAt(400, 5, 500));
    QCOMPARE(MeasuredTracePoints(trace, s.view), points);
    // Kept after the run.
    trace.finish(RunOutcome::Finished, QDateTime::currentDateTime());
    QCOMPARE(MeasuredTracePoints(trace, s.view), points);
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
