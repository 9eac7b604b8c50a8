// SPDX-License-Identifier: GPL-3.0-or-later
// Moving about the curve with the mouse: the wheel zooms around the pointer, a drag pans, both
// within the full view's clamps.

#include "graph/curveviewstate.h"
#include "tests/support/samplefiring.h"

#include <QTest>

#include <cmath>

namespace
{

const QSize kDesignSize(705, 189); // plot frame: x 35..685, y 20..169

} // namespace

class TestCurveNavigation : public QObject
{
    Q_OBJECT
private slots:
    void wheelZoomKeepsThePointUnderThePointer_data();
    void wheelZoomKeepsThePointUnderThePointer();
    void wheelZoomOutStopsAtTheFullView();
    void dragPans_data();
    void dragPans();
};

void TestCurveNavigation::wheelZoomKeepsThePointUnderThePointer_data()
{
    QTest::addColumn<double>("notches");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<bool>("zoomedFirst"); // zoomed in around (360, 94) before
    QTest::newRow("in at the middle") << 1.0 << QPoint(360, 94) << false;
    QTest::newRow("in near the left and the top") << 2.0 << QPoint(60, 30) << false;
    QTest::newRow("in, a touchpad's fraction of a notch") << 0.25 << QPoint(500, 150) << false;
    QTest::newRow("out, room on both sides") << -1.0 << QPoint(400, 120) << true;
    QTest::newRow("deep in, down to the smallest span") << 20.0 << QPoint(480, 40) << false;
}

void TestCurveNavigation::wheelZoomKeepsThePointUnderThePointer()
{
    QFETCH(double, notches);
    QFETCH(QPoint, pointer);
    QFETCH(bool, zoomedFirst);
    CurveViewState view;
    view.TotalScale(SampleFiring());
    view.setAreaSize(kDesignSize.width(), kDesignSize.height());
    if (zoomedFirst)
        QVERIFY(view.zoomStep(ZoomMode::In, 360, 94));
    auto timeAt = [&view](int x) { return (x - 35) / view.PxPerSecond + view.ViewTimeStart; };
    auto tempAt = [&view](int y) { return (169 - y) / view.PxPerDegree + view.ViewTempMin; };
    const double time = timeAt(pointer.x());
    const double temp = tempAt(pointer.y());
    const double timeSpan = view.ViewTimeEnd - view.ViewTimeStart;
    const double tempSpan = view.ViewTempMax - view.ViewTempMin;

    QVERIFY(view.wheelZoom(notches, pointer.x(), pointer.y()));
    QVERIFY(qAbs(timeAt(pointer.x()) - time) <= 0.5);
    QVERIFY(qAbs(tempAt(pointer.y()) - temp) <= 0.5);
    const double factor = std::pow(0.8, notches);
    const int minSpan = CurveViewState::MinWheelSpan;
    QCOMPARE(view.ViewTimeEnd - view.ViewTimeStart,
             std::max<int>(minSpan, int(std::llround(timeSpan * factor))));
    QCOMPARE(view.ViewTempMax - view.ViewTempMin,
             std::max<int>(minSpan, int(std::llround(tempSpan * factor))));
    QCOMPARE(view.PxPerSecond, 650.0 / (view.ViewTimeEnd - view.ViewTimeStart));
}

void TestCurveNavigation::wheelZoomOutStopsAtTheFullView()
{
    CurveViewState view;
    view.TotalScale(SampleFiring());
    view.setAreaSize(kDesignSize.width(), kDesignSize.height());
    QVERIFY(view.wheelZoom(3, 100, 150));
    for (int i = 0; i < 10; ++i)
        view.wheelZoom(-1, 100, 150);
    // Back to the whole time range; upwards as far as zooming goes (1150 °C).
    QCOMPARE((QList<int>{view.ViewTimeStart, view.ViewTimeEnd, view.ViewTempMin, view.ViewTempMax}),
             (QList<int>{0, 1675, 300, 1150}));
    QVERIFY(!view.wheelZoom(-1, 100, 150));
    QVERIFY(!view.wheelZoom(0, 100, 150));
}

void TestCurveNavigation::dragPans_data()
{
    QTest::addColumn<QPoint>("drag");
    QTest::addColumn<QList<int>>("ranges"); // time start, time end, temp min, temp max
    // Zoomed in around (360, 94): 419..1255 s (1.2862 s/px), 485..849 °C (2.443 °C/px).
    QTest::newRow("right and down: earlier and hotter")
        << QPoint(65, 30) << QList<int>{335, 1171, 558, 922};
    QTest::newRow("left and up: later and colder")
        << QPoint(-100, -40) << QList<int>{548, 1384, 387, 751};
    // Not before 0 s nor below the full view's 300 °C: the range stops at the bound.
    QTest::newRow("held at the bounds") << QPoint(2000, -2000) << QList<int>{0, 836, 300, 664};
}

void TestCurveNavigation::dragPans()
{
    QFETCH(QPoint, drag);
    QFETCH(QList<int>, ranges);
    CurveViewState view;
    view.TotalScale(SampleFiring());
    view.setAreaSize(kDesignSize.width(), kDesignSize.height());
    QVERIFY(view.zoomStep(ZoomMode::In, 360, 94));
    const CurveViewState pressed = view;
    // The drag is judged from where it began, whatever moves came in between.
    view.pan(pressed, 5, -3);
    QVERIFY(view.pan(pressed, drag.x(), drag.y()));
    QCOMPARE((QList<int>{view.ViewTimeStart, view.ViewTimeEnd, view.ViewTempMin, view.ViewTempMax}),
             ranges);
    QCOMPARE(view.PxPerSecond, pressed.PxPerSecond);
    QCOMPARE(view.PxPerDegree, pressed.PxPerDegree);

    // The full view does not move on the time axis: it shows all of it.
    CurveViewState full;
    full.TotalScale(SampleFiring());
    full.setAreaSize(kDesignSize.width(), kDesignSize.height());
    const CurveViewState before = full;
    full.pan(before, 200, 0);
    QCOMPARE(full.ViewTimeStart, 0);
    QCOMPARE(full.ViewTimeEnd, 1675);
}

QTEST_APPLESS_MAIN(TestCurveNavigation)
#include "tst_curvenavigation.moc"
