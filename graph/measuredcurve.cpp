// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/measuredcurve.h"

#include <algorithm>

QList<PlacedSample> PlaceMeasuredSamples(const FiringTrace &trace, const PlanTimeline &plan)
{
    QList<PlacedSample> placed;
    const qsizetype first = trace.plannedStart();
    if (first < 0)
        return placed;
    const QList<TraceSample> &samples = trace.samples();
    const qsizetype count = samples.size();
    placed.reserve(count - first);
    for (qsizetype i = first; i < count;) {
        const int zone = samples[i].CurrentZone;
        qsizetype end = i;
        while (end < count && samples[end].CurrentZone == zone)
            ++end;

        double entry = samples[i].Seconds;
        for (qsizetype k = i; k < end; ++k) {
            if (samples[k].ZoneTime > 0) {
                entry = samples[k].Seconds - samples[k].ZoneTime;
                break;
            }
        }
        entry = std::min(entry, samples[i].Seconds);
        if (i > 0)
            entry = std::max(entry, samples[i - 1].Seconds);

        // Where the stage before really ended, on the plan's axis.
        const double before =
            i > first ? placed.constLast().seconds + (entry - samples[i - 1].Seconds) : 0.0;
        const double anchor = std::max(double(PlanStageStart(plan, zone)), before);
        for (qsizetype k = i; k < end; ++k)
            placed.append({anchor + (samples[k].Seconds - entry), samples[k].ChamberTemp, zone});
        i = end;
    }
    return placed;
}

MeasuredExtent ExtentOf(const QList<PlacedSample> &placed)
{
    MeasuredExtent extent;
    if (placed.isEmpty())
        return extent;
    extent.empty = false;
    extent.end = placed.constLast().seconds;
    extent.tempMin = extent.tempMax = placed.constFirst().temp;
    for (const PlacedSample &s : placed) {
        extent.tempMin = std::min(extent.tempMin, s.temp);
        extent.tempMax = std::max(extent.tempMax, s.temp);
    }
    return extent;
}

QList<QPoint> MeasuredTracePoints(const QList<PlacedSample> &placed, const CurveViewState &view)
{
    QList<QPoint> points;
    for (const PlacedSample &s : placed) {
        const QPoint p(
            TruncToInt((s.seconds - view.ViewTimeStart) * view.PxPerSecond +
                       CurveViewState::PlotLeft),
            TruncToInt(view.PlotBottom - (s.temp - view.ViewTempMin) * view.PxPerDegree));
        if (points.isEmpty() || points.constLast() != p)
            points << p;
    }
    return points;
}
