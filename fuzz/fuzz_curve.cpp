// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the firing curve's geometry on values read from a file. The first 42 bytes
// are a layer record as a masses file stores it (missing bytes are zero); then the drawing
// area's size, a run position, a few zoom, wheel and drag steps, and the rest measured samples.
//
// Whatever the values: the full view holds the whole measured curve; every scale is finite and
// never negative; the plan, the executed path and the measured curve never run back in time and,
// in the full view, stay inside the plot; no time label is negative; nothing overflows (the
// sanitizers watch that).

#include "fuzz/fuzzcheck.h"
#include "graph/curveframe.h"
#include "graph/curveviewstate.h"
#include "graph/firingtrace.h"
#include "graph/measuredcurve.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{

bool nonDecreasing(const QList<QPoint> &line)
{
    for (qsizetype i = 1; i < line.size(); ++i)
        if (line[i].x() < line[i - 1].x())
            return false;
    return true;
}

void checkScales(const CurveViewState &view)
{
    Require(std::isfinite(view.PxPerSecond) && view.PxPerSecond >= 0, "time scale finite, >= 0");
    Require(std::isfinite(view.PxPerDegree) && view.PxPerDegree >= 0, "temp scale finite, >= 0");
    Require(view.ViewTimeStart >= 0 && view.ViewTimeEnd > view.ViewTimeStart,
            "a time range from 0 on, not empty");
    Require(view.ViewTempMax > view.ViewTempMin || view.PxPerDegree == 0,
            "a temperature range not empty");
}

void checkFrame(const CurveFrame &frame, bool running)
{
    Require(nonDecreasing(frame.curve), "the plan never runs back in time");
    Require(nonDecreasing(frame.executed), "the executed path never runs back in time");
    Require(nonDecreasing(frame.measured), "the measured curve never runs back in time");
    Require(frame.curve.size() == qsizetype(CurveStages.size()) + 1, "a point per segment");
    if (running && !frame.executed.isEmpty())
        Require(frame.executed.last().x() <= frame.curve.last().x(),
                "the executed path ends within the plan");
    for (const AxisTick &tick : frame.timeTicks)
        Require(!tick.label.startsWith(QLatin1Char('-')), "no negative time on the axis");
}

/// Inside the plot; a point on its top edge may truncate to the pixel above it.
bool inside(const QPoint &p, const CurveViewState &view)
{
    return p.x() >= CurveViewState::PlotLeft && p.x() <= view.PlotRight &&
           p.y() >= CurveViewState::PlotTop - 1 && p.y() <= view.PlotBottom;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ProgParam::Payload payload{};
    std::memcpy(payload.data(), data, std::min(size, payload.size()));
    const ProgParam record = ProgParam::fromPayload(payload);
    Recipe in(data + std::min(size, payload.size()), size - std::min(size, payload.size()));

    const QSize area(1 + in.word() % 4000, 1 + in.word() % 2000);
    RunPosition run;
    run.CurrentZone = in.next() % 32;
    run.ZoneTime = in.word();
    run.ChamberTemp = in.word();
    const quint8 steps = in.next() % 8;
    std::array<quint8, 7> step{};
    std::array<QPoint, 7> at{};
    for (int i = 0; i < steps; ++i) {
        step[size_t(i)] = in.next();
        at[size_t(i)] = QPoint(qint16(in.word()) % 5000, qint16(in.word()) % 3000);
    }

    // Samples: seconds on (a signed step, so that a clock going back is offered too), the step,
    // its zone time, the chamber temperature.
    FiringTrace trace;
    trace.start(QDateTime());
    double seconds = 0;
    while (!in.done()) {
        TraceSample s;
        seconds += double(qint16(in.word())) / 4;
        s.Seconds = seconds;
        s.CurrentZone = in.next() % 32;
        s.ZoneTime = in.word();
        s.ChamberTemp = in.word();
        trace.add(s);
    }

    const QList<PlacedSample> placed = PlaceMeasuredSamples(trace, PlanOf(record));
    for (qsizetype i = 0; i < placed.size(); ++i) {
        Require(std::isfinite(placed[i].seconds) && placed[i].seconds >= 0,
                "a sample's time finite, never negative");
        Require(i == 0 || placed[i].seconds >= placed[i - 1].seconds,
                "samples never go back in time");
    }

    // The full view, widened by the measured curve, holds all of it.
    CurveViewState view;
    view.TotalScale(record);
    Require(view.ViewTimeEnd >= 15, "the full view lasts at least 15 s");
    const MeasuredExtent extent = ExtentOf(placed);
    view.widenFullView(extent);
    if (!extent.empty)
        Require(view.FullTimeEnd >= extent.end && view.ViewTimeEnd == view.FullTimeEnd,
                "the full view reaches the last sample");
    CurveFrame frame = BuildCurveFrame(record, view, area, run);
    frame.measured = MeasuredTracePoints(placed, view);
    checkScales(view);
    checkFrame(frame, true);
    if (view.PxPerSecond > 0 && view.PxPerDegree > 0) {
        for (const QPoint &p : frame.measured)
            Require(inside(p, view), "in the full view the measured curve lies in the plot");
        for (const QPoint &p : frame.curve)
            Require(p.x() >= CurveViewState::PlotLeft && p.x() <= view.PlotRight,
                    "in the full view the plan lies within the time axis");
    }

    // Zoom, wheel and drag steps keep all of that but the plot's bounds.
    const CurveViewState full = view;
    for (int i = 0; i < steps; ++i) {
        const QPoint p = at[size_t(i)];
        switch (step[size_t(i)] % 4) {
        case 0:
            view.zoomStep(step[size_t(i)] & 4 ? ZoomMode::Out : ZoomMode::In, p.x(), p.y());
            break;
        case 1:
            view.wheelZoom((qint8(step[size_t(i)]) >> 2) / 2.0, p.x(), p.y());
            break;
        default:
            view.pan(full, p.x(), p.y());
            break;
        }
        view.widenFullView(extent);
        CurveFrame zoomed = BuildCurveFrame(record, view, area, run);
        zoomed.measured = MeasuredTracePoints(placed, view);
        checkScales(view);
        checkFrame(zoomed, true);
        Require(view.ViewTimeEnd <= view.FullTimeEnd, "never beyond the full view's time");
    }
    return 0;
}
