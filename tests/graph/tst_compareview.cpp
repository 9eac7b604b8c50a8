// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison widget: every curve drawn in its own colour inside the plot and listed in the
// legend, its label named to a screen reader, odd curves painted without harm, and the full
// view back after zooming.

#include "graph/compareview.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <cmath>

namespace
{

/// A firing-like curve of `count` samples every 0.8 s, rising to `top` °C and back.
CompareCurve firing(const QString &label, int count, int top, double offset)
{
    CompareCurve c{label, {}, offset};
    for (int i = 0; i < count; ++i) {
        TraceSample s;
        s.Seconds = i * 0.8;
        s.ChamberTemp = quint16(400 + (top - 400) * std::sin(M_PI * i / std::max(1, count - 1)));
        c.samples << s;
    }
    return c;
}

bool colourInRect(const QImage &image, const QColor &colour, const QRect &area)
{
    const QRgb wanted = colour.rgb();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == wanted)
                return true;
    return false;
}

} // namespace

Q_DECLARE_METATYPE(QList<CompareCurve>)

class TestCompareView : public QObject
{
    Q_OBJECT
private slots:
    void drawsAndNamesEveryCurve_data();
    void drawsAndNamesEveryCurve();
    void fullViewAfterZoomAndPan();
};

void TestCompareView::drawsAndNamesEveryCurve_data()
{
    QTest::addColumn<QList<CompareCurve>>("curves");
    QTest::addColumn<quint8>("language");
    QTest::addColumn<QString>("name");

    QTest::newRow("nothing to compare")
        << QList<CompareCurve>{} << quint8(1) << "Firing comparison: 0";
    QTest::newRow("one sample, and all at one second")
        << QList<CompareCurve>{firing("07.12 14:32 Dentine / Dentine 1", 1, 900, 0),
                               {"same second", {TraceSample{}, TraceSample{}}, 0}}
        << quint8(0) << "Сравнение обжигов: 2";
    QList<CompareCurve> eight;
    for (int i = 0; i < 8; ++i)
        eight << firing(
            QStringLiteral("firing %1 with a long label that has to be shortened").arg(i), 3000,
            880 + 10 * i, 30.0 * i);
    QTest::newRow("eight firings of 3000 samples") << eight << quint8(1) << "Firing comparison: 8";
    QList<CompareCurve> nine = eight;
    nine << firing("ninth", 100, 1000, 0);
    QTest::newRow("a ninth is left out") << nine << quint8(1) << "Firing comparison: 8";
}

void TestCompareView::drawsAndNamesEveryCurve()
{
    QFETCH(QList<CompareCurve>, curves);
    QFETCH(quint8, language);
    QFETCH(QString, name);
    CompareView view;
    view.resize(900, 360);
    view.setLanguage(language);
    view.setCurves(curves);
    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);

    QCOMPARE(view.objectName(), QStringLiteral("pbCompare"));
    QCOMPARE(view.accessibleName(), name);
    const CurveViewState &frame = view.viewState().view;
    const QRect plot(QPoint(CurveViewState::PlotLeft + 1, CurveViewState::PlotTop),
                     QPoint(frame.PlotRight, frame.PlotBottom - 1));
    const QRect legend(QPoint(frame.PlotRight + CurveViewState::PlotMargin, 0),
                       QPoint(view.width() - 1, view.height() - 1));
    for (qsizetype i = 0; i < curves.size(); ++i) {
        const bool shown = i < MaxCompareCurves;
        QCOMPARE(view.accessibleDescription().contains(curves[i].label), shown);
        if (shown)
            QVERIFY2(colourInRect(image, CompareView::curveColour(int(i)), legend),
                     qPrintable(curves[i].label));
        if (shown && curves[i].samples.size() > 2)
            QVERIFY2(colourInRect(image, CompareView::curveColour(int(i)), plot),
                     qPrintable(curves[i].label));
    }
    if (curves.isEmpty())
        QCOMPARE(view.accessibleDescription(), QStringLiteral("No firings to compare."));
    // The legend column takes no more than a third of the width.
    QVERIFY(frame.PlotRight + CurveViewState::PlotMargin >= view.width() * 2 / 3);
}

void TestCompareView::fullViewAfterZoomAndPan()
{
    CompareView view;
    view.resize(700, 300);
    view.setCurves({firing("a", 2000, 930, 0), firing("b", 1500, 900, 200)});
    const CurveViewState full = view.viewState().view;
    // Aligned times reach from -200 s (b aligned 200 s into its run) to the end of a at 1599.2 s.
    QCOMPARE(view.viewState().timeOrigin, -200);
    QCOMPARE(full.ViewTimeEnd, 1800);

    view.wheelZoomAt(3, 300, 120);
    view.panBy(40, -20);
    const CurveViewState moved = view.viewState().view;
    QVERIFY(moved.ViewTimeStart != full.ViewTimeStart || moved.ViewTimeEnd != full.ViewTimeEnd);
    QVERIFY(moved.ViewTempMax - moved.ViewTempMin < full.ViewTempMax - full.ViewTempMin);
    QTest::keyClick(&view, Qt::Key_Home);
    const CurveViewState back = view.viewState().view;
    QCOMPARE(
        (QList<int>{back.ViewTimeStart, back.ViewTimeEnd, back.ViewTempMin, back.ViewTempMax}),
        (QList<int>{full.ViewTimeStart, full.ViewTimeEnd, full.ViewTempMin, full.ViewTempMax}));
}

QTEST_MAIN(TestCompareView)
#include "tst_compareview.moc"
