// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/curveplan.h"
#include "graph/curveviewstate.h"
#include "graph/firingtrace.h"

#include <QList>
#include <QPoint>

// The measured temperature of a run on the plan's time axis. The furnace's stages do not last
// what the plan says (the chamber cools more slowly than a short cooling time asks, the drop to
// the opening temperature takes minutes where the plan draws a vertical line, the table may
// need its travel time where the plan has none), so the samples are placed stage by stage: each
// stage the controller reports begins where the plan begins it, unless the stages before ran
// longer, in which case it follows on where they ended.

/// One sample of the run where it stands on the plan's axes.
struct PlacedSample {
    double seconds = 0; ///< s from the plan's t = 0
    int temp = 0;       ///< °C
    int zone = 0;       ///< the controller's step
};

/// The samples of `trace` from its planned start on (the preparation steps before step 3 are
/// not placed), in order. Consecutive samples of one step form a stage; the controller entered
/// it at the first of them that carries a zone time, less that time (never before the sample
/// before the stage, never after its own first sample). A stage is anchored at
/// PlanStageStart(plan, step), or where the stage before ended on the plan's axis when that is
/// later or the step has no place on the plan; each of its samples then stands at the anchor
/// plus its time since the entry. Times are finite, never negative and never decrease.
QList<PlacedSample> PlaceMeasuredSamples(const FiringTrace &trace, const PlanTimeline &plan);

/// How far `placed` reaches: its last time and its temperature range; empty for no samples.
MeasuredExtent ExtentOf(const QList<PlacedSample> &placed);

/// The measured curve in pixels with the view's scales: x = trunc((seconds - ViewTimeStart) ×
/// PxPerSecond + PlotLeft), y = trunc(PlotBottom - (temp - ViewTempMin) × PxPerDegree); a
/// sample that lands on the pixel of the one before adds no point.
QList<QPoint> MeasuredTracePoints(const QList<PlacedSample> &placed, const CurveViewState &view);
