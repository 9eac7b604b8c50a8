// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/curveframe.h"
#include "graph/curveviewstate.h"

#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>

#include <functional>

// What the firing-curve graph draws besides the plan and its axes: the light grid, the units of
// the axes, the legend, and which axis labels are left out so that none covers another. Plain
// geometry in the drawing area's pixels, like CurveFrame.

/// The grid at the tick positions: a vertical line at each time tick after the first, from
/// PlotTop to the time axis, then a horizontal line at each temperature tick above the lowest,
/// from the temperature axis to PlotRight. The axes themselves are not repeated.
QList<QLine> GridLines(const CurveFrame &frame, const CurveViewState &view);

/// Where the ink of a label's digits lies within its line box, px from the box's top: from the
/// top of the digits (ascent - cap height) to the baseline (ascent).
struct LabelInk {
    int top = 0;
    int bottom = 0;
};

/// Marks the axis labels of `frame` to leave out: the temperature labels from the lowest up,
/// then the time labels from the left, each left out when its digits would overlap those of a
/// label kept before it. `textWidth` measures a label; `textHeight` is the font's line height.
void SkipOverlappingLabels(CurveFrame &frame, const std::function<int(const QString &)> &textWidth,
                           int textHeight, LabelInk ink);

/// The boxes of the two unit labels: "°C" right of the top of the temperature axis, the time
/// unit right-aligned at the right end of the time axis, just above it.
struct AxisUnitBoxes {
    QRect temperature;
    QRect time;
};
AxisUnitBoxes UnitLabelBoxes(const CurveViewState &view, QSize tempText, QSize timeText);

/// One entry of the legend: a symbol (a short line or a marker triangle) and its text.
struct LegendEntry {
    enum Kind { Plan, Executed, Measured, VacuumOn, VacuumOff };
    Kind kind = Plan;
    QRect symbol; ///< where the line sample or the triangle goes
    QRect text;   ///< where the text goes
};

/// Width of a legend symbol and the gaps around it, px.
inline constexpr int LegendSymbolWidth = 16;
inline constexpr int LegendGap = 4;
inline constexpr int LegendSpacing = 12;

/// The legend in one row in the band above the plot, starting at x = `left`: `kinds` in order,
/// each with its text width. Entries are dropped from the end until the row ends left of
/// `right`; none when not even the first fits.
QList<LegendEntry> LayoutLegend(const QList<LegendEntry::Kind> &kinds, const QList<int> &textWidths,
                                int textHeight, int left, int right);
