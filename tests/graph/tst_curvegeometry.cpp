// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/curveframe.h"
#include "graph/curveviewstate.h"
#include "tests/support/samplefiring.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(ProgParam)

namespace
{

const QSize kDesignSize(705, 189); // plot frame: x 35..685, y 20..169

// All hold and movement times 0, OpenTime 0, six equal temperatures.
ProgParam flatRecord(int temp)
{
    ProgParam p;
    for (int k : {ProgParam::fPreDryTemp, ProgParam::fDryTemp, ProgParam::fPreHeatTemp,
                  ProgParam::fHeatTemp, ProgParam::fCoolTemp, ProgParam::fOpenTemp})
        p.setField(k, quint16(temp));
    p.HeatRate = 1;
    return p;
}

CurveFrame frameOf(const ProgParam &p, const RunPosition &run = {}, QSize size = kDesignSize)
{
    CurveViewState view;
    view.TotalScale(p);
    return BuildCurveFrame(p, view, size, run);
}

// Index of the end point of `stage` in CurveFrame::curve.
qsizetype curveIndexOf(int stage)
{
    for (size_t i = 0; i < CurveStages.size(); ++i)
        if (CurveStages[i] == stage)
            return qsizetype(i) + 1;
    return -1;
}

} // namespace

class TestCurveGeometry : public QObject
{
    Q_OBJECT
private slots:
    void totalScale_data();
    void totalScale();
    void fullRangeOf15Seconds();
    void breakpointsOfRealisticRecord();
    void scalesFollowTheAreaSize();
    void checkZoneVacuum_data();
    void checkZoneVacuum();
    void markerPositions_data();
    void markerPositions();
    void markerTriangles();
    void executedPath_data();
    void executedPath();
    void executedPathWhenFinished();
    void noExecutedPathBeforeStage3();
    void heatRateZeroCountsAsOne();
    void zoomedCurveStartsFromViewStart();
    void ticksAndMargins();
    void formatMinSec_data();
    void formatMinSec();
    void zoomStep_data();
    void zoomStep();
    void zoomChangesOnlyOneAxis();
    void zoomWindowNarrowerThanTwoUnits();
    void zoomRefusedWhenSpanWouldVanish();
    void zoomRefusedWithoutScale();
    void invertedRecordNeverDividesByZero();
    void zoomSequencesKeepPositiveSpans();
    void anyRecordDrawsFinitely();
    void truncation_data();
    void truncation();
    void crossCursor_data();
    void crossCursor();
};

void TestCurveGeometry::totalScale_data()
{
    QTest::addColumn<ProgParam>("record");
    QTest::addColumn<int>("tempMin");
    QTest::addColumn<int>("tempMax");
    QTest::addColumn<int>("timeEnd");

    // 60 + 60 × 16 + 100 + 150 + 280 × 60 div 55 (= 305) + 100
    QTest::newRow("realistic") << SampleFiring() << 300 << 1030 << 1675;

    ProgParam p = flatRecord(500);
    QTest::newRow("flat, open time 0 adds 15 s") << p << 400 << 600 << 15;

    // Up to the drying temperature and down again, a second per degree each way.
    p = flatRecord(500);
    p.DryTemp = 1049;
    QTest::newRow("highest 1049 shows up to 1149") << p << 400 << 1149 << 2 * 549 + 15;
    p.DryTemp = 1050;
    QTest::newRow("highest 1050 shows up to 1050") << p << 400 << 1050 << 2 * 550 + 15;

    p = flatRecord(500);
    p.OpenTemp = 100;
    // Time also counts CoolTemp - OpenTemp = 400 s for the drop.
    QTest::newRow("lowest 100 shows from 90") << p << 90 << 600 << 415;
    p.OpenTemp = 101;
    QTest::newRow("lowest 101 shows from 1") << p << 1 << 600 << 414;

    p = flatRecord(500);
    p.OpenTime = 2;
    QTest::newRow("open time 2 min, no 15 s") << p << 400 << 600 << 120;

    p = flatRecord(500);
    p.HeatTemp = 510;
    p.HeatRate = 0;
    QTest::newRow("heat rate 0 counts as 1") << p << 400 << 610 << 15 + 600;

    p = flatRecord(500);
    p.PreHeatTemp = 510;
    p.HeatRate = 7;
    p.FiringTime = 100;
    // Heating down from 510 to 500 °C lasts as long as heating up would: 10 × 60 div 7 = 85 s
    // (never back in time), plus the 10 s ramp from drying.
    QTest::newRow("a falling ramp takes the time of a rise")
        << p << 400 << 610 << 100 + 10 + 85 + 15;
}

void TestCurveGeometry::totalScale()
{
    QFETCH(ProgParam, record);
    QFETCH(int, tempMin);
    QFETCH(int, tempMax);
    QFETCH(int, timeEnd);

    CurveViewState view;
    view.ViewTimeStart = 77;
    view.TotalScale(record);
    QCOMPARE(view.ViewTempMin, tempMin);
    QCOMPARE(view.ViewTempMax, tempMax);
    QCOMPARE(view.FullTempMin, tempMin);
    QCOMPARE(view.ViewTimeStart, 0);
    QCOMPARE(view.ViewTimeEnd, timeEnd);
    QCOMPARE(view.FullTimeEnd, timeEnd);
}

void TestCurveGeometry::fullRangeOf15Seconds()
{
    const CurveFrame frame = frameOf(flatRecord(800));
    const QStringList expected = {"0:00", "0:01", "0:03", "0:04", "0:06", "0:07",
                                  "0:09", "0:10", "0:12", "0:13", "0:15"};
    QStringList labels;
    for (const AxisTick &tick : frame.timeTicks)
        labels << tick.label;
    QCOMPARE(labels, expected);
}

void TestCurveGeometry::breakpointsOfRealisticRecord()
{
    CurveViewState view;
    const ProgParam p = SampleFiring();
    view.TotalScale(p);
    const CurveFrame frame = BuildCurveFrame(p, view, kDesignSize, {});

    QCOMPARE(view.PlotRight, 685);
    QCOMPARE(view.PlotBottom, 169);
    QCOMPARE(view.PxPerSecond, 650.0 / 1675);
    QCOMPARE(view.PxPerDegree, 149.0 / 730);

    // sx = 0.38806 px/s, sy = 0.20411 px/°C; each point from the previous, truncated.
    const QList<QPoint> expected = {
        {35, 148},  // 169 - 100 × sy = 148.59
        {81, 148},  // stage 3: 120 × sx + 35 = 81.57
        {127, 148}, // 4: 81 + 120 × sx = 127.57
        {165, 127}, // 5: 127 + 100 × sx = 165.8; 148 - 100 × sy = 127.59
        {234, 127}, // 6: 165 + 180 × sx = 234.85
        {257, 127}, // 7: 234 + 60 × sx = 257.28
        {315, 96},  // 8: 257 + 150 × sx = 315.2; 127 - 150 × sy = 96.38
        {361, 96},  // 9: 315 + 120 × sx = 361.57
        {479, 38},  // 11: 361 + 305 × sx = 479.36; 96 - 280 × sy = 38.85
        {502, 38},  // 12: 479 + 60 × sx = 502.28
        {548, 84},  // 14: 502 + 120 × sx = 548.57; 38 + 230 × sy = 84.95
        {571, 84},  // 15: 548 + 60 × sx = 571.28
        {571, 104}, // 16: 84 + 100 × sy = 104.41
        {640, 104}, // 18: 571 + 180 × sx = 640.85
    };
    QCOMPARE(frame.curve, expected);
    QVERIFY(frame.executed.isEmpty());
}

void TestCurveGeometry::scalesFollowTheAreaSize()
{
    CurveViewState view;
    const ProgParam p = SampleFiring();
    view.TotalScale(p);
    const CurveFrame frame = BuildCurveFrame(p, view, QSize(1375, 389), {});
    QCOMPARE(view.PlotRight, 1355);
    QCOMPARE(view.PlotBottom, 369);
    // The ranges stay; only the scales change.
    QCOMPARE(view.ViewTimeEnd, 1675);
    QCOMPARE(view.PxPerSecond, 1320.0 / 1675);
    // 100 s (the uncounted drop) short of 1355 would be 1276.2; truncating at every breakpoint
    // loses the rest.
    QCOMPARE(frame.curve.last().x(), 1270);
}

void TestCurveGeometry::checkZoneVacuum_data()
{
    QTest::addColumn<int>("vacOnTemp");
    QTest::addColumn<int>("preHeatLevel");
    QTest::addColumn<int>("vacOff");
    QTest::addColumn<int>("byTime");
    QTest::addColumn<int>("onStage");
    QTest::addColumn<int>("offStage");

    // Pre-heating 650 °C, heating 930 °C, firing 60 s.
    QTest::newRow("on below pre-heating") << 649 << 100 << 920 << 0 << 0 << 11;
    QTest::newRow("on at pre-heating, level 100") << 650 << 100 << 920 << 0 << 5 << 11;
    QTest::newRow("on at pre-heating, level 99") << 650 << 99 << 920 << 0 << 11 << 11;
    QTest::newRow("on at heating") << 930 << 50 << 930 << 0 << 11 << 11;
    QTest::newRow("on above heating") << 931 << 50 << 931 << 0 << 0 << 0;
    QTest::newRow("off below on") << 700 << 50 << 699 << 0 << 11 << 0;
    QTest::newRow("off above heating") << 700 << 50 << 931 << 0 << 11 << 0;
    QTest::newRow("off by time within firing") << 700 << 50 << 60 << 1 << 11 << 12;
    QTest::newRow("off by time past firing") << 700 << 50 << 61 << 1 << 11 << 0;
}

void TestCurveGeometry::checkZoneVacuum()
{
    QFETCH(int, vacOnTemp);
    QFETCH(int, preHeatLevel);
    QFETCH(int, vacOff);
    QFETCH(int, byTime);
    QFETCH(int, onStage);
    QFETCH(int, offStage);

    ProgParam p = SampleFiring();
    p.VacOnTemp = quint16(vacOnTemp);
    p.PreHeatLevel = quint16(preHeatLevel);
    p.VacOff = quint16(vacOff);
    p.VacOffByTime = quint8(byTime);
    CurveViewState view;
    view.CheckZoneVacuum(p);
    QCOMPARE(view.VacOnStage, onStage);
    QCOMPARE(view.VacOffStage, offStage);
}

void TestCurveGeometry::markerPositions_data()
{
    QTest::addColumn<ProgParam>("record");
    QTest::addColumn<QList<int>>("stages");
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<QList<int>>("kinds");
    const int on = CurveMarker::VacuumOn;
    const int off = CurveMarker::VacuumOff;

    ProgParam p = SampleFiring();
    // On: the end of the drying ramp. Off at 920 °C: 361 + (270 × 60 div 55 = 294) × sx = 475.09,
    // 96 - 270 × sy = 40.89.
    QTest::newRow("on at stage 5, off on the ramp")
        << p << QList<int>{5, 11} << QList<QPoint>{{165, 127}, {475, 40}} << QList<int>{on, off};

    p.PreHeatLevel = 99;
    // On: the start of the heating ramp, the end of the pre-heating hold.
    QTest::newRow("on at stage 11 with level 99")
        << p << QList<int>{11, 11} << QList<QPoint>{{361, 96}, {475, 40}} << QList<int>{on, off};

    p = SampleFiring();
    p.VacOffByTime = 1;
    p.VacOff = 30;
    // 479 + 30 × sx = 490.64, on the firing hold.
    QTest::newRow("off 30 s into firing")
        << p << QList<int>{5, 12} << QList<QPoint>{{165, 127}, {490, 38}} << QList<int>{on, off};

    p.VacOff = 61;
    QTest::newRow("no off marker past the firing time")
        << p << QList<int>{5} << QList<QPoint>{{165, 127}} << QList<int>{on};

    p.VacOnTemp = 600;
    QTest::newRow("no markers") << p << QList<int>{} << QList<QPoint>{} << QList<int>{};
}

void TestCurveGeometry::markerPositions()
{
    QFETCH(ProgParam, record);
    QFETCH(QList<int>, stages);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<int>, kinds);

    const CurveFrame frame = frameOf(record);
    QCOMPARE(frame.markers.size(), stages.size());
    for (qsizetype i = 0; i < frame.markers.size(); ++i) {
        const CurveMarker &m = frame.markers[i];
        QCOMPARE(m.stage, stages[i]);
        QCOMPARE(m.at, points[i]);
        QCOMPARE(int(m.kind), kinds[i]);
        // A marker is drawn once the curve has reached the end of the segment before its own.
        const int before = m.stage == 5 ? 4 : m.stage == 11 ? 9 : 11;
        QCOMPARE(m.curveIndex, curveIndexOf(before));
    }
}

void TestCurveGeometry::markerTriangles()
{
    ProgParam p = SampleFiring();
    const CurveFrame frame = frameOf(p);
    QCOMPARE(frame.markers.size(), 2);
    const CurveMarker &on = frame.markers[0];
    QCOMPARE(on.kind, CurveMarker::VacuumOn);
    const std::array<QPoint, 3> onCorners = {QPoint(162, 133), QPoint(168, 133), QPoint(165, 128)};
    QCOMPARE(on.corners, onCorners);
    const CurveMarker &off = frame.markers[1];
    QCOMPARE(off.kind, CurveMarker::VacuumOff);
    const std::array<QPoint, 3> offCorners = {QPoint(472, 34), QPoint(478, 34), QPoint(475, 39)};
    QCOMPARE(off.corners, offCorners);
}

void TestCurveGeometry::executedPath_data()
{
    QTest::addColumn<int>("zone");
    QTest::addColumn<int>("zoneTime");
    QTest::addColumn<int>("chamberTemp");
    QTest::addColumn<int>("coolTime");
    QTest::addColumn<int>("lastStage");
    QTest::addColumn<QPoint>("end");

    // Realistic record; breakpoints as in breakpointsOfRealisticRecord.
    QTest::newRow("pre-drying hold after 60 s") << 3 << 60 << 400 << 2 << 3 << QPoint(58, 148);
    QTest::newRow("pre-drying hold overrun") << 3 << 500 << 400 << 2 << 3 << QPoint(81, 148);
    // 127 + 50 × sx = 146.4; 148 - 50 × sy = 137.8
    QTest::newRow("drying ramp at 450 °C") << 5 << 10 << 450 << 2 << 5 << QPoint(146, 137);
    QTest::newRow("drying ramp reached") << 5 << 10 << 520 << 2 << 5 << QPoint(165, 127);
    QTest::newRow("zone 10 ends at pre-heating hold")
        << 10 << 5 << 650 << 2 << 9 << QPoint(361, 96);
    // 150 × 60 div 55 = 163 s: 361 + 163 × sx = 424.25; 96 - 150 × sy = 65.38
    QTest::newRow("heating at 800 °C") << 11 << 99 << 800 << 2 << 11 << QPoint(424, 65);
    QTest::newRow("firing 30 s") << 12 << 30 << 930 << 2 << 12 << QPoint(490, 38);
    QTest::newRow("zone 13 ends at firing hold") << 13 << 0 << 930 << 2 << 12 << QPoint(502, 38);
    // Rate (700 - 930) div 2 = -115 °C/min; (850 - 930) × 60 div -115 = 41 s:
    // 502 + 41 × sx = 517.9; 38 + 80 × sy = 54.3
    QTest::newRow("cooling at 850 °C") << 14 << 20 << 850 << 2 << 14 << QPoint(517, 54);
    QTest::newRow("cooling without rate is vertical")
        << 14 << 20 << 850 << 0 << 14 << QPoint(502, 54);
    QTest::newRow("cooling not drawn while at firing temperature")
        << 14 << 1 << 930 << 2 << 12 << QPoint(502, 38);
    QTest::newRow("tempering just begun") << 15 << 0 << 700 << 2 << 15 << QPoint(548, 84);
    QTest::newRow("drop at 650 °C") << 16 << 0 << 650 << 2 << 16 << QPoint(571, 94);
    QTest::newRow("drop not drawn at cooling temperature")
        << 16 << 0 << 700 << 2 << 15 << QPoint(571, 84);
    QTest::newRow("zone 17 ends at the drop") << 17 << 0 << 590 << 2 << 16 << QPoint(571, 104);
    QTest::newRow("opening 90 s") << 18 << 90 << 500 << 2 << 18 << QPoint(605, 104);
}

void TestCurveGeometry::executedPath()
{
    QFETCH(int, zone);
    QFETCH(int, zoneTime);
    QFETCH(int, chamberTemp);
    QFETCH(int, coolTime);
    QFETCH(int, lastStage);
    QFETCH(QPoint, end);

    ProgParam p = SampleFiring();
    p.CoolTime = quint16(coolTime);
    CurveViewState view;
    view.TotalScale(SampleFiring()); // same ranges whatever CoolTime is
    const CurveFrame frame = BuildCurveFrame(p, view, kDesignSize, {zone, zoneTime, chamberTemp});

    QCOMPARE(frame.executed.first(), QPoint(35, 148));
    QCOMPARE(frame.executed.size(), frame.executedStages.size() + 1);
    QCOMPARE(frame.executedStages.last(), lastStage);
    QCOMPARE(frame.executed.last(), end);
    // Every stage before the current one is drawn whole, on the blue curve.
    for (qsizetype i = 0; i + 1 < frame.executedStages.size(); ++i) {
        const int stage = frame.executedStages[i];
        if (stage < zone && stage < 14)
            QCOMPARE(frame.executed[i + 1], frame.curve[curveIndexOf(stage)]);
    }
}

void TestCurveGeometry::executedPathWhenFinished()
{
    const ProgParam p = SampleFiring();
    const CurveFrame frame = frameOf(p, {19, 0, 200});
    QCOMPARE(frame.executed, frame.curve);
    QCOMPARE(frame.executedStages, QList<int>(CurveStages.begin(), CurveStages.end()));
}

void TestCurveGeometry::noExecutedPathBeforeStage3()
{
    const ProgParam p = SampleFiring();
    QVERIFY(frameOf(p, {2, 100, 400}).executed.isEmpty());
    QVERIFY(frameOf(p, {0, 0, 0}).executed.isEmpty());
    QCOMPARE(frameOf(p, {3, 0, 400}).executed, (QList<QPoint>{{35, 148}, {35, 148}}));
}

void TestCurveGeometry::heatRateZeroCountsAsOne()
{
    ProgParam p = flatRecord(500);
    p.HeatTemp = 510;
    p.HeatRate = 0;
    CurveViewState view;
    view.TotalScale(p); // 0..615 s over 650 px
    const CurveFrame frame = BuildCurveFrame(p, view, kDesignSize, {11, 0, 505});
    // The heating ramp lasts 600 s: 35 + 600 × 650 / 615 = 669.1
    QCOMPARE(frame.curve[curveIndexOf(11)].x(), 669);
    // At 505 °C: 300 s in, 35 + 300 × 650 / 615 = 352.07
    QCOMPARE(frame.executed.last().x(), 352);
}

void TestCurveGeometry::zoomedCurveStartsFromViewStart()
{
    const ProgParam p = SampleFiring();
    CurveViewState view;
    view.TotalScale(p);
    view.ViewTimeStart = 100;
    view.ViewTimeEnd = 400; // 650 / 300 px/s
    const CurveFrame frame = BuildCurveFrame(p, view, kDesignSize, {3, 50, 400});
    // The pen starts on the axis whatever the range; the pre-drying hold ends 20 s into it:
    // 20 × 650 / 300 + 35 = 78.3.
    QCOMPARE(frame.curve[0], QPoint(35, 148));
    QCOMPARE(frame.curve[1], QPoint(78, 148));
    // 50 s into the hold lies before the range: (50 - 100) × 650 / 300 + 35 = -73.3, truncated
    // toward zero; the path starts there too rather than run back from the axis.
    QCOMPARE(frame.executed, (QList<QPoint>{{-73, 148}, {-73, 148}}));
}

void TestCurveGeometry::ticksAndMargins()
{
    const CurveFrame frame = frameOf(SampleFiring());

    const QStringList tempLabels = {"300", "421", "543", "665", "786", "908", "1030"};
    const QList<int> tempYs = {169, 145, 120, 95, 70, 45, 20};
    for (size_t i = 0; i < frame.tempTicks.size(); ++i) {
        QCOMPARE(frame.tempTicks[i].label, tempLabels[qsizetype(i)]);
        QCOMPARE(frame.tempTicks[i].at, QPoint(35, tempYs[qsizetype(i)]));
    }

    const QStringList timeLabels = {"0:00",  "2:47",  "5:35",  "8:22",  "11:10", "13:57",
                                    "16:45", "19:32", "22:20", "25:07", "27:55"};
    for (size_t i = 0; i < frame.timeTicks.size(); ++i) {
        QCOMPARE(frame.timeTicks[i].label, timeLabels[qsizetype(i)]);
        QCOMPARE(frame.timeTicks[i].at, QPoint(35 + 65 * int(i), 169));
    }

    QCOMPARE(frame.margins[0], QRect(0, 0, 35, 189));
    QCOMPARE(frame.margins[1], QRect(35, 169, 670, 20));
    const std::array<QPoint, 3> axes = {QPoint(35, 0), QPoint(35, 169), QPoint(705, 169)};
    QCOMPARE(frame.axes, axes);
}

void TestCurveGeometry::formatMinSec_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0 << "0:00";
    QTest::newRow("leading zero") << 5 << "0:05";
    QTest::newRow("minute and a half") << 90 << "1:30";
    QTest::newRow("no leading zero on minutes") << 725 << "12:05";
    QTest::newRow("hour") << 3600 << "60:00";
    QTest::newRow("negative") << -65 << "-1:05";
}

void TestCurveGeometry::formatMinSec()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(FormatMinSec(seconds), text);
}

void TestCurveGeometry::zoomStep_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QList<int>>("ranges"); // temp min, temp max, time start, time end

    // From the realistic full view. The click (360, 94) is at 75 × 730 / 149 + 300 = 667.45 °C
    // and 325 × 1675 / 650 = 837.5 s.
    QTest::newRow("in halves around the click")
        << int(ZoomMode::In) << QPoint(360, 94) << true << QList<int>{485, 849, 419, 1255};
    QTest::newRow("out is clamped to the full view and 1150 °C")
        << int(ZoomMode::Out) << QPoint(360, 94) << true << QList<int>{300, 1150, 0, 1675};
    QTest::newRow("no zoom button down")
        << int(ZoomMode::None) << QPoint(360, 94) << false << QList<int>{300, 1030, 0, 1675};
}

void TestCurveGeometry::zoomStep()
{
    QFETCH(int, mode);
    QFETCH(QPoint, click);
    QFETCH(bool, changed);
    QFETCH(QList<int>, ranges);

    CurveViewState view;
    view.TotalScale(SampleFiring());
    view.setAreaSize(kDesignSize.width(), kDesignSize.height());
    QCOMPARE(view.zoomStep(ZoomMode(mode), click.x(), click.y()), changed);
    QCOMPARE((QList<int>{view.ViewTempMin, view.ViewTempMax, view.ViewTimeStart, view.ViewTimeEnd}),
             ranges);
    // The scales follow the new ranges at once.
    QCOMPARE(view.PxPerDegree, 149.0 / (ranges[1] - ranges[0]));
    QCOMPARE(view.PxPerSecond, 650.0 / (ranges[3] - ranges[2]));
}

void TestCurveGeometry::zoomChangesOnlyOneAxis()
{
    CurveViewState view;
    view.TotalScale(SampleFiring());
    view.ViewTempMin = 500;
    view.ViewTempMax = 503; // a quarter of 3 is 0: the new window would be empty
    view.setAreaSize(kDesignSize.width(), kDesignSize.height());

    QVERIFY(view.zoomStep(ZoomMode::In, 360, 94));
    QCOMPARE(view.ViewTempMin, 500);
    QCOMPARE(view.ViewTempMax, 503);
    QCOMPARE(view.ViewTimeStart, 419);
    QCOMPARE(view.ViewTimeEnd, 1255);
}

void TestCurveGeometry::zoomWindowNarrowerThanTwoUnits()
{
    // A zeroed record: full view -10..100 °C, 0..15 s.
    CurveViewState view;
    view.TotalScale(ProgParam());
    QCOMPARE(view.FullTempMin, -10);
    view.ViewTempMin = -2;
    view.ViewTempMax = 2;
    view.ViewTimeStart = 0;
    view.ViewTimeEnd = 4;
    view.setAreaSize(kDesignSize.width(), kDesignSize.height());
    // About 0.5 °C and 0.5 s: the windows -0.5..1.5 truncate to 0..1, one unit wide.
    QVERIFY(!view.zoomStep(ZoomMode::In, 116, 76));
    QCOMPARE(view.ViewTempMin, -2);
    QCOMPARE(view.ViewTempMax, 2);
    QCOMPARE(view.ViewTimeStart, 0);
    QCOMPARE(view.ViewTimeEnd, 4);
}

void TestCurveGeometry::zoomRefusedWhenSpanWouldVanish()
{
    // Zoomed in near the lowest temperature, a click in the bottom margin: the window
    // 298.66 ± 2 °C is raised to 300..300 by the clamp.
    CurveViewState view;
    view.TotalScale(SampleFiring());
    view.ViewTempMin = 300;
    view.ViewTempMax = 310;
    view.ViewTimeStart = 0;
    view.ViewTimeEnd = 10;
    view.setAreaSize(kDesignSize.width(), kDesignSize.height());
    QVERIFY(view.zoomStep(ZoomMode::In, 360, 189));
    QCOMPARE(view.ViewTempMin, 300);
    QCOMPARE(view.ViewTempMax, 310);
    // The time axis zooms as usual: 5 s ± 2 s.
    QCOMPARE(view.ViewTimeStart, 3);
    QCOMPARE(view.ViewTimeEnd, 7);

    // A record above the zoom ceiling: the full view starts at 1150, where zooming must stop.
    CurveViewState hot;
    hot.TotalScale(flatRecord(1250));
    hot.setAreaSize(kDesignSize.width(), kDesignSize.height());
    QCOMPARE(hot.FullTempMin, 1150);
    hot.zoomStep(ZoomMode::In, 360, 94);
    QCOMPARE(hot.ViewTempMin, 1150);
    QCOMPARE(hot.ViewTempMax, 1250);
    QVERIFY(hot.PxPerDegree > 0);
}

void TestCurveGeometry::zoomRefusedWithoutScale()
{
    CurveViewState view;
    view.TotalScale(SampleFiring());
    view.setAreaSize(40, 30); // narrower and lower than the margins: no usable scale
    QCOMPARE(view.PxPerSecond, 0.0);
    QCOMPARE(view.PxPerDegree, 0.0);
    QVERIFY(!view.zoomStep(ZoomMode::In, 10, 10));
    QCOMPARE(view.ViewTimeEnd, 1675);
    QCOMPARE(view.ViewTempMax, 1030);
}

void TestCurveGeometry::invertedRecordNeverDividesByZero()
{
    // Temperatures falling where they should rise: the drying ramp falls 680 °C in 680 s, and
    // time never runs backwards.
    ProgParam p = flatRecord(700);
    p.DryTemp = 20;
    p.PreHeatTemp = 20;
    p.HeatTemp = 20;
    p.CoolTemp = 20;
    p.OpenTemp = 20;
    CurveViewState view;
    view.TotalScale(p);
    QCOMPARE(view.ViewTimeEnd, 680 + 15);
    const CurveFrame frame = BuildCurveFrame(p, view, kDesignSize, {19, 0, 20});
    QCOMPARE(view.PxPerSecond, 650.0 / 695);
    // 35 + 680 × 650 / 695 = 670.97; 38 + 680 × 149 / 790 = 166.25
    QCOMPARE(frame.curve[curveIndexOf(5)], QPoint(670, 166));
    QCOMPARE(frame.timeTicks[10].label, QString("11:35"));
    view.zoomStep(ZoomMode::Out, 100, 100);
    QCOMPARE(view.ViewTimeStart, 0);
    QCOMPARE(view.ViewTimeEnd, 695);
    QVERIFY(std::isfinite(view.PxPerDegree));
}

void TestCurveGeometry::zoomSequencesKeepPositiveSpans()
{
    QRandomGenerator rng(4711);
    const QList<ProgParam> records = {SampleFiring(), flatRecord(20), flatRecord(1150),
                                      ProgParam()};
    for (const ProgParam &p : records) {
        CurveViewState view;
        view.TotalScale(p);
        view.setAreaSize(kDesignSize.width(), kDesignSize.height());
        for (int i = 0; i < 2000; ++i) {
            const ZoomMode mode = rng.bounded(3) == 0 ? ZoomMode::Out : ZoomMode::In;
            view.zoomStep(mode, rng.bounded(-50, 760), rng.bounded(-50, 240));
            QVERIFY2(view.ViewTempMax > view.ViewTempMin, qPrintable(QString::number(i)));
            QVERIFY2(view.ViewTimeEnd > view.ViewTimeStart, qPrintable(QString::number(i)));
            QVERIFY(view.ViewTempMin >= view.FullTempMin);
            QVERIFY(view.ViewTimeStart >= 0 && view.ViewTimeEnd <= view.FullTimeEnd);
            QVERIFY(view.PxPerSecond > 0 && view.PxPerDegree > 0);
        }
    }
}

void TestCurveGeometry::anyRecordDrawsFinitely()
{
    // Records read from a file are not range-checked: any 16-bit values must draw without
    // overflow and without a time before 0 or a line back in time, and a finished run must
    // retrace the whole curve.
    QRandomGenerator rng(1234);
    auto nonDecreasing = [](const QList<QPoint> &line, qsizetype from = 0) {
        for (qsizetype i = from + 1; i < line.size(); ++i)
            if (line[i].x() < line[i - 1].x())
                return false;
        return true;
    };
    for (int i = 0; i < 3000; ++i) {
        ProgParam p;
        for (int k = 0; k < ProgParam::FieldCount; ++k)
            p.setField(k, quint16(rng.bounded(i % 2 ? 65536 : 1200)));
        p.VacOffByTime = quint8(rng.bounded(2));
        // Cooling and drop are drawn once the chamber (0 °C below) is colder than they start.
        p.HeatTemp = std::max<quint16>(p.HeatTemp, 1);
        p.CoolTemp = std::max<quint16>(p.CoolTemp, 1);
        CurveViewState view;
        view.TotalScale(p);
        QVERIFY(view.ViewTimeEnd >= 15);
        const QSize size(rng.bounded(1, 3000), rng.bounded(1, 1500));
        if (i % 3)
            view.zoomStep(ZoomMode::In, rng.bounded(size.width()), rng.bounded(size.height()));
        if (i % 5 == 0)
            view.wheelZoom(rng.bounded(-40, 40) / 4.0, rng.bounded(size.width()),
                           rng.bounded(size.height()));
        const CurveFrame finished = BuildCurveFrame(p, view, size, {19, 0, 0});
        QCOMPARE(finished.curve.size(), qsizetype(CurveStages.size()) + 1);
        QCOMPARE(finished.executed, finished.curve);
        QVERIFY2(nonDecreasing(finished.curve), qPrintable(QString::number(i)));
        for (const AxisTick &tick : finished.timeTicks)
            QVERIFY2(!tick.label.startsWith('-'), qPrintable(tick.label));

        const RunPosition run{int(rng.bounded(32)), int(rng.bounded(-100, 65536)),
                              int(rng.bounded(65536))};
        const CurveFrame running = BuildCurveFrame(p, view, size, run);
        QVERIFY(running.executed.size() <= running.curve.size());
        QVERIFY(running.markers.size() <= 3);
        QVERIFY2(nonDecreasing(running.executed), qPrintable(QString::number(i)));
        // The executed path keeps within the plan's time, from t = 0 to the curve's end.
        const int timeZero = TruncToInt(35 - view.ViewTimeStart * view.PxPerSecond);
        if (!running.executed.isEmpty()) {
            QVERIFY(running.executed.first().x() >= timeZero);
            QVERIFY(running.executed.last().x() <= finished.curve.last().x());
        }
        for (const CurveMarker &m : running.markers)
            QVERIFY(m.at.x() >= finished.curve.first().x() &&
                    m.at.x() <= finished.curve.last().x());
    }
}

void TestCurveGeometry::truncation_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("positive") << 12.99 << 12;
    QTest::newRow("negative toward zero") << -12.99 << -12;
    QTest::newRow("huge") << 1e300 << 1000000000;
    QTest::newRow("huge negative") << -1e300 << -1000000000;
    QTest::newRow("infinite") << double(INFINITY) << 1000000000;
    QTest::newRow("not a number") << double(NAN) << 0;
}

void TestCurveGeometry::truncation()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(TruncToInt(value), expected);
}

void TestCurveGeometry::crossCursor_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("cross");
    QTest::newRow("no button") << int(ZoomMode::None) << 100 << 100 << false;
    QTest::newRow("zoom in, inside") << int(ZoomMode::In) << 100 << 100 << true;
    QTest::newRow("zoom out, inside") << int(ZoomMode::Out) << 100 << 100 << true;
    QTest::newRow("on the temperature axis") << int(ZoomMode::In) << 35 << 100 << false;
    QTest::newRow("just right of it") << int(ZoomMode::In) << 36 << 168 << true;
    QTest::newRow("on the time axis") << int(ZoomMode::In) << 100 << 169 << false;
}

void TestCurveGeometry::crossCursor()
{
    QFETCH(int, mode);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, cross);
    CurveViewState view;
    view.setAreaSize(kDesignSize.width(), kDesignSize.height());
    QCOMPARE(view.crossCursorAt(ZoomMode(mode), x, y), cross);
}

QTEST_GUILESS_MAIN(TestCurveGeometry)
#include "tst_curvegeometry.moc"
