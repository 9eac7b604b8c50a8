// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/curveplan.h"
#include "graph/curveviewstate.h"
#include "library/progparam.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>

// Everything the firing-curve graph draws, as plain data computed from a layer record, the view
// state, the drawing area's size and the furnace's run position. Coordinates are pixels of the
// drawing area.

/// Where the furnace is in the running program (values of the furnace image).
struct RunPosition {
    int CurrentZone = 0; ///< controller step being executed; the executed path shows when > 2
    int ZoneTime = 0;    ///< seconds spent in that step
    int ChamberTemp = 0; ///< °C
};

/// A vacuum marker: a small filled triangle, pointing up at `at` for vacuum on and down at it for
/// vacuum off.
struct CurveMarker {
    enum Kind { VacuumOn, VacuumOff };
    Kind kind = VacuumOn;
    int stage = 0;                   ///< stage whose segment carries the marker
    QPoint at;                       ///< the marked point of the curve
    std::array<QPoint, 3> corners{}; ///< the triangle
    int curveIndex = 0;              ///< drawn once the curve polyline has reached this point
};

/// One axis tick: where it meets the axis and its label.
struct AxisTick {
    QPoint at;
    QString label;
};

/// The drawing of one paint.
struct CurveFrame {
    QList<QPoint> curve;          ///< blue polyline: start, then the end of each CurveStages entry
    QList<CurveMarker> markers;   ///< in drawing order
    QList<QPoint> executed;       ///< red polyline; empty unless CurrentZone > 2
    QList<int> executedStages;    ///< the stage of each executed segment (executed[i + 1])
    QList<QPoint> measured;       ///< measured curve of the run (MeasuredTracePoints), if drawn
    std::array<QRect, 2> margins; ///< left and bottom margins, erased after the curve
    std::array<QPoint, 3> axes{}; ///< top of the temperature axis, origin, right end of time axis
    std::array<AxisTick, 7> tempTicks;
    std::array<AxisTick, 11> timeTicks;
    /// Which labels are written (SkipOverlappingLabels leaves out those that would overlap).
    std::array<bool, 7> tempLabelShown{true, true, true, true, true, true, true};
    std::array<bool, 11> timeLabelShown{true, true, true, true, true, true,
                                        true, true, true, true, true};
};

/// Takes the plot frame from `size`, sets the marker stages of `view` (as a paint does), then
/// returns everything to draw for `record`.
CurveFrame BuildCurveFrame(const ProgParam &record, CurveViewState &view, QSize size,
                           const RunPosition &run);

/// A time as minutes (no leading zeros) ":" seconds (two digits): 725 → "12:05". A negative time
/// gets a leading minus: -5 → "-0:05".
QString FormatMinSec(int seconds);

/// Length of a temperature tick and the gap between a tick and its label, px.
inline constexpr int TickLength = 3;
/// Top-left corner of a temperature label of the given text size: its right edge 3 px left of
/// the axis, vertically centred on the tick.
QPoint TempLabelPos(const AxisTick &tick, int textWidth, int textHeight);
/// Top-left corner of a time label: centred on the tick, its top 5 px below the axis.
QPoint TimeLabelPos(const AxisTick &tick, int textWidth);
