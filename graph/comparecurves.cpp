// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/comparecurves.h"

#include "graph/curveoverlay.h"
#include "graph/measuredcurve.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

constexpr std::array<qint64, 13> kTimeSteps = {1,   2,   5,   10,  15,   30,  60,
                                               120, 300, 600, 900, 1800, 3600};
constexpr std::array<qint64, 11> kTempSteps = {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500};
/// Right of the legend texts, px.
constexpr int kLegendRightGap = 4;

double offsetOf(const CompareCurve &curve)
{
    return std::isfinite(curve.offsetSeconds) ? curve.offsetSeconds : 0.0;
}

/// The smallest step of `steps` (then doublings of the last) at least `minSpacing` px wide at
/// `pxPerUnit`; 0 when the scale is not positive.
template<size_t N>
qint64 niceStep(const std::array<qint64, N> &steps, double pxPerUnit, int minSpacing)
{
    if (!(pxPerUnit > 0) || !std::isfinite(pxPerUnit))
        return 0;
    const double wanted = std::max(1, minSpacing) / pxPerUnit;
    for (qint64 step : steps)
        if (double(step) >= wanted)
            return step;
    qint64 step = steps.back();
    while (double(step) < wanted && step < (qint64(1) << 40))
        step *= 2;
    return step;
}

/// The multiples of `step` in [low, high], lowest first.
QList<qint64> multiples(qint64 step, qint64 low, qint64 high)
{
    QList<qint64> out;
    if (step <= 0 || high < low)
        return out;
    // The first multiple at or above `low`, also for negative values.
    qint64 first = low / step * step;
    if (first < low)
        first += step;
    for (qint64 v = first; v <= high; v += step)
        out << v;
    return out;
}

} // namespace

CompareExtent CompareExtentOf(const QList<CompareCurve> &curves)
{
    CompareExtent extent;
    for (const CompareCurve &curve : curves) {
        const double offset = offsetOf(curve);
        for (const TraceSample &s : curve.samples) {
            if (!std::isfinite(s.Seconds))
                continue;
            const double t = s.Seconds - offset;
            const int temp = s.ChamberTemp;
            if (extent.empty) {
                extent = {false, t, t, temp, temp};
                continue;
            }
            extent.timeStart = std::min(extent.timeStart, t);
            extent.timeEnd = std::max(extent.timeEnd, t);
            extent.tempMin = std::min(extent.tempMin, temp);
            extent.tempMax = std::max(extent.tempMax, temp);
        }
    }
    return extent;
}

void CompareViewState::fullView(const CompareExtent &extent)
{
    if (extent.empty) {
        timeOrigin = 0;
        view.ViewTimeEnd = 1200;
        view.ViewTempMin = 0;
        view.ViewTempMax = 1200;
    } else {
        timeOrigin = TruncToInt(std::floor(extent.timeStart));
        const qint64 end = TruncToInt(std::ceil(extent.timeEnd));
        view.ViewTimeEnd = int(std::clamp<qint64>(end - timeOrigin, MinTimeSpan, 2'000'000'000));
        view.ViewTempMin = extent.tempMin - TempSpare;
        view.ViewTempMax = extent.tempMax + TempSpare;
    }
    view.ViewTimeStart = 0;
    view.FullTimeEnd = view.ViewTimeEnd;
    view.FullTempMin = view.ViewTempMin;
    view.FullTempMax = view.ViewTempMax;
    view.ZoomTempCeiling = view.ViewTempMax;
    view.VacOnStage = 0;
    view.VacOffStage = 0;
    view.updateScales();
}

int CompareViewState::xOf(double seconds) const
{
    return TruncToInt((seconds - timeOrigin - view.ViewTimeStart) * view.PxPerSecond +
                      CurveViewState::PlotLeft);
}

int CompareViewState::yOf(double temp) const
{
    return TruncToInt(view.PlotBottom - (temp - view.ViewTempMin) * view.PxPerDegree);
}

QList<AxisTick> CompareTimeTicks(const CompareViewState &state, int minSpacing)
{
    const CurveViewState &v = state.view;
    QList<AxisTick> ticks;
    const qint64 step = niceStep(kTimeSteps, v.PxPerSecond, minSpacing);
    const qint64 low = qint64(state.timeOrigin) + v.ViewTimeStart;
    const qint64 high = qint64(state.timeOrigin) + v.ViewTimeEnd;
    for (qint64 t : multiples(step, low, high))
        ticks << AxisTick{QPoint(state.xOf(double(t)), v.PlotBottom), FormatMinSec(int(t))};
    return ticks;
}

QList<AxisTick> CompareTempTicks(const CompareViewState &state, int minSpacing)
{
    const CurveViewState &v = state.view;
    QList<AxisTick> ticks;
    const qint64 step = niceStep(kTempSteps, v.PxPerDegree, minSpacing);
    for (qint64 t : multiples(step, v.ViewTempMin, v.ViewTempMax))
        ticks << AxisTick{QPoint(CurveViewState::PlotLeft, state.yOf(double(t))),
                          QString::number(t)};
    return ticks;
}

QList<QLine> CompareGridLines(const QList<AxisTick> &timeTicks, const QList<AxisTick> &tempTicks,
                              const CurveViewState &view)
{
    QList<QLine> lines;
    for (const AxisTick &tick : timeTicks) {
        const int x = tick.at.x();
        if (x > CurveViewState::PlotLeft)
            lines << QLine(x, CurveViewState::PlotTop, x, view.PlotBottom - 1);
    }
    for (const AxisTick &tick : tempTicks) {
        const int y = tick.at.y();
        if (y < view.PlotBottom)
            lines << QLine(CurveViewState::PlotLeft + 1, y, view.PlotRight, y);
    }
    return lines;
}

QList<QPoint> ComparePoints(const CompareCurve &curve, const CompareViewState &state)
{
    const QList<TraceSample> &samples = curve.samples;
    const double shift = offsetOf(curve) + state.timeOrigin;
    const double start = state.view.ViewTimeStart;
    const double end = state.view.ViewTimeEnd;
    auto timeOf = [&](qsizetype i) { return samples[i].Seconds - shift; };
    // A sample is drawn when it lies in the range or the line to a neighbour crosses it.
    auto drawn = [&](qsizetype i) {
        const double t = timeOf(i);
        if (!std::isfinite(t))
            return false;
        if (t >= start && t <= end)
            return true;
        for (qsizetype j : {i - 1, i + 1}) {
            if (j < 0 || j >= samples.size())
                continue;
            const double u = timeOf(j);
            if (std::isfinite(u) && std::min(t, u) <= end && std::max(t, u) >= start)
                return true;
        }
        return false;
    };
    qsizetype first = 0;
    while (first < samples.size() && !drawn(first))
        ++first;
    qsizetype last = samples.size() - 1;
    while (last > first && !drawn(last))
        --last;

    QList<PlacedSample> placed;
    placed.reserve(std::max<qsizetype>(0, last - first + 1));
    for (qsizetype i = first; i <= last; ++i) {
        const double t = timeOf(i);
        if (std::isfinite(t))
            placed.append({t, samples[i].ChamberTemp, samples[i].CurrentZone});
    }
    return MeasuredTracePoints(placed, state.view);
}

int CompareLegendTextWidth(int areaWidth)
{
    return std::max(0, areaWidth / 3 - LegendSpacing - LegendSymbolWidth - LegendGap -
                           kLegendRightGap);
}

CompareLegend LayoutCompareLegend(const QList<int> &textWidths, int textHeight, QSize area)
{
    CompareLegend legend;
    legend.maxTextWidth = CompareLegendTextWidth(area.width());
    legend.plotWidth = area.width();
    if (textWidths.isEmpty())
        return legend;
    int widest = 0;
    for (int w : textWidths)
        widest = std::max(widest, std::clamp(w, 0, legend.maxTextWidth));
    const int column = LegendSpacing + LegendSymbolWidth + LegendGap + widest + kLegendRightGap;
    legend.plotWidth = std::max(0, area.width() - column);
    const int x = legend.plotWidth + LegendSpacing;
    const int rowHeight = textHeight + 2;
    for (qsizetype i = 0; i < textWidths.size(); ++i) {
        const int y = CurveViewState::PlotTop + int(i) * rowHeight;
        const int w = std::clamp(textWidths[i], 0, legend.maxTextWidth);
        legend.entries << CompareLegendEntry{
            QRect(x, y, LegendSymbolWidth, textHeight),
            QRect(x + LegendSymbolWidth + LegendGap, y, w, textHeight)};
    }
    return legend;
}

QString CompareDescription(const QList<CompareCurve> &curves, quint8 language)
{
    if (curves.isEmpty())
        return CompareTexts::NoCurves.text(language);
    QStringList labels;
    for (const CompareCurve &c : curves)
        labels << c.label;
    return CompareTexts::Description.text(language).arg(labels.join(QStringLiteral("; ")));
}
