// SPDX-License-Identifier: GPL-3.0-or-later
// The geometry of overlaid firing curves: common ranges on the aligned axis, nice ticks and the
// pixels of a curve, by value.

#include "graph/comparecurves.h"

#include <QTest>

#include <limits>

namespace
{

TraceSample at(double seconds, int temp)
{
    TraceSample s;
    s.Seconds = seconds;
    s.ChamberTemp = quint16(temp);
    return s;
}

CompareCurve curve(const QList<TraceSample> &samples, double offset = 0)
{
    return {QStringLiteral("curve"), samples, offset};
}

/// A view of the full range of `curves` on the graph's design size (plot x 35..685, y 20..169).
CompareViewState viewOf(const QList<CompareCurve> &curves)
{
    CompareViewState state;
    state.view.setAreaSize(CurveViewState::DesignWidth, CurveViewState::DesignHeight);
    state.fullView(CompareExtentOf(curves));
    return state;
}

QStringList labelsOf(const QList<AxisTick> &ticks)
{
    QStringList out;
    for (const AxisTick &t : ticks)
        out << t.label;
    return out;
}

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

Q_DECLARE_METATYPE(QList<CompareCurve>)
Q_DECLARE_METATYPE(QList<TraceSample>)

class TestCompareCurves : public QObject
{
    Q_OBJECT
private slots:
    void fullView_data();
    void fullView();
    void ticks();
    void points_data();
    void points();
};

void TestCompareCurves::fullView_data()
{
    QTest::addColumn<QList<CompareCurve>>("curves");
    QTest::addColumn<QList<int>>("expected"); // origin, time end, temp min, temp max

    QTest::newRow("aligned at the program start")
        << QList<CompareCurve>{curve({at(0, 300), at(600, 900)}), curve({at(0, 320), at(900, 700)})}
        << QList<int>{0, 900, 290, 910};
    // Aligned at the start of heating: earlier samples at negative times.
    QTest::newRow("aligned at the start of heating")
        << QList<CompareCurve>{curve({at(0, 340), at(455, 600), at(1296, 560)}, 455),
                               curve({at(0, 400), at(300, 620), at(1000, 930)}, 300)}
        << QList<int>{-455, 1296, 330, 940};
    QTest::newRow("fractional offset")
        << QList<CompareCurve>{curve({at(0, 500), at(100.2, 510)}, 0.5)}
        << QList<int>{-1, 101, 490, 520};
    QTest::newRow("one sample: the shortest span")
        << QList<CompareCurve>{curve({at(42, 700)})} << QList<int>{42, 60, 690, 710};
    QTest::newRow("not finite: left out, an offset taken as 0")
        << QList<CompareCurve>{curve({at(NaN, 1100), at(10, 500), at(200, 600)}, NaN)}
        << QList<int>{10, 190, 490, 610};
    QTest::newRow("no samples") << QList<CompareCurve>{curve({})} << QList<int>{0, 1200, 0, 1200};
}

void TestCompareCurves::fullView()
{
    QFETCH(QList<CompareCurve>, curves);
    QFETCH(QList<int>, expected);
    CompareViewState state = viewOf(curves);
    const CurveViewState &v = state.view;
    QCOMPARE((QList<int>{state.timeOrigin, v.ViewTimeEnd, v.ViewTempMin, v.ViewTempMax}), expected);
    // Zooming and panning stay within the full view.
    QCOMPARE((QList<int>{v.ViewTimeStart, v.FullTimeEnd, v.FullTempMin, v.ZoomTempCeiling}),
             (QList<int>{0, expected[1], expected[2], expected[3]}));
    QVERIFY(state.view.wheelZoom(-3, 300, 100) == false);
}

void TestCompareCurves::ticks()
{
    // -455..841 s over 650 px, 330..940 °C over 149 px.
    CompareViewState state = viewOf({curve({at(0, 340), at(1296, 930)}, 455)});
    const QList<AxisTick> time = CompareTimeTicks(state, 50); // 50 px: at least 99.7 s
    QCOMPARE(labelsOf(time), (QStringList{"-6:00", "-4:00", "-2:00", "0:00", "2:00", "4:00", "6:00",
                                          "8:00", "10:00", "12:00", "14:00"}));
    QCOMPARE(time[3].at, QPoint(35 + int(455 * 650.0 / 1296), 169)); // the alignment point
    const QList<AxisTick> temp = CompareTempTicks(state, 20);        // 20 px: at least 81.9 °C
    QCOMPARE(labelsOf(temp), (QStringList{"400", "500", "600", "700", "800", "900"}));
    QCOMPARE(temp[0].at, QPoint(35, int(169 - 70 * 149.0 / 610)));

    // Zoomed in at the origin to 10 s and 10 °C: ticks every 2 s (130 px) and 2 °C (29.8 px).
    for (int i = 0; i < 2; ++i)
        state.view.wheelZoom(20, 35, 169);
    QCOMPARE(state.view.ViewTimeEnd - state.view.ViewTimeStart, 10);
    const QList<AxisTick> close = CompareTimeTicks(state, 100);
    QCOMPARE(labelsOf(close), (QStringList{"-7:34", "-7:32", "-7:30", "-7:28", "-7:26"}));
    const QList<AxisTick> closeTemp = CompareTempTicks(state, 20);
    QCOMPARE(labelsOf(closeTemp), (QStringList{"330", "332", "334", "336", "338", "340"}));
    // The grid leaves out the 330 °C line, which is the time axis.
    QCOMPARE(CompareGridLines(close, closeTemp, state.view).size(), 5 + 5);

    state.view.setAreaSize(30, 30); // no room for a plot: no scale, no ticks
    QVERIFY(CompareTimeTicks(state, 50).isEmpty() && CompareTempTicks(state, 20).isEmpty());
}

void TestCompareCurves::points_data()
{
    QTest::addColumn<QList<TraceSample>>("samples");
    QTest::addColumn<double>("offset");
    QTest::addColumn<QList<int>>("view"); // time start, time end, temp min, temp max (full view)
    QTest::addColumn<QList<QPoint>>("expected");

    // 0..1300 s over 650 px (0.5 px/s), 0..1490 °C over 149 px (0.1 px/°C).
    const QList<int> full{0, 1300, 0, 1490};
    QTest::newRow("a sample on the pixel before adds nothing")
        << QList<TraceSample>{at(0, 0), at(1, 0), at(2, 10), at(400, 600)} << 0.0 << full
        << QList<QPoint>{{35, 169}, {36, 168}, {235, 109}};
    // The same samples 100 s later on their own clock, aligned back by the offset.
    QTest::newRow("shifted by its offset")
        << QList<TraceSample>{at(100, 0), at(102, 10), at(500, 600)} << 100.0 << full
        << QList<QPoint>{{35, 169}, {36, 168}, {235, 109}};
    // Zoomed to 500..700 s (3.25 px/s): the samples beside the range come along, the rest not.
    QTest::newRow("only the part in view")
        << QList<TraceSample>{at(0, 0),     at(300, 300), at(450, 450),
                              at(550, 550), at(800, 800), at(1000, 1000)}
        << 0.0 << QList<int>{500, 700, 0, 1490}
        << QList<QPoint>{{-127, 124}, {197, 114}, {1010, 89}};
    QTest::newRow("one line across the whole range")
        << QList<TraceSample>{at(0, 0), at(1300, 1300)} << 0.0 << QList<int>{500, 700, 0, 1490}
        << QList<QPoint>{{-1590, 169}, {2635, 39}};
    QTest::newRow("no sample near the range") << QList<TraceSample>{at(0, 0), at(100, 100)} << 0.0
                                              << QList<int>{500, 700, 0, 1490} << QList<QPoint>{};
}

void TestCompareCurves::points()
{
    QFETCH(QList<TraceSample>, samples);
    QFETCH(double, offset);
    QFETCH(QList<int>, view);
    QFETCH(QList<QPoint>, expected);
    CompareViewState state;
    state.view.setAreaSize(CurveViewState::DesignWidth, CurveViewState::DesignHeight);
    state.fullView({false, 0, 1300, 10, 1480});
    state.view.ViewTimeStart = view[0];
    state.view.ViewTimeEnd = view[1];
    state.view.updateScales();
    QCOMPARE(ComparePoints(curve(samples, offset), state), expected);
}

QTEST_APPLESS_MAIN(TestCompareCurves)
#include "tst_comparecurves.moc"
