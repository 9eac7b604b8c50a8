// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "graph/curveframe.h"
#include "graph/curveviewstate.h"
#include "graph/firingtrace.h"

#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// The geometry of laying the measured curves of several firings over each other on one time
// axis: their common ranges, the view's navigation, nice axis ticks, the legend column and each
// curve in pixels. Plain data in the drawing area's pixels, like CurveFrame; times in seconds on
// the aligned axis (a sample's Seconds less its curve's offset), temperatures in °C.

/// One firing's measured curve in a comparison.
struct CompareCurve {
    /// What the legend calls it, e.g. "07.12 14:32 Dentine / Dentine 1".
    QString label;
    /// The samples as a FiringTrace keeps them (Seconds never decreasing).
    QList<TraceSample> samples;
    /// Subtracted from every sample's Seconds: 0 aligns the curves at the program's start; the
    /// firing's start of heating (HeatingStartSeconds) aligns them there, so that earlier
    /// samples stand at negative times.
    double offsetSeconds = 0;
};

/// A comparison shows at most this many curves (each in its own colour).
inline constexpr int MaxCompareCurves = 8;

/// How far the overlaid curves reach on the aligned axis; empty when no curve has a sample.
/// Samples whose Seconds (or whose curve's offset) are not finite are left out everywhere.
struct CompareExtent {
    bool empty = true;
    double timeStart = 0; ///< s, the earliest aligned sample
    double timeEnd = 0;   ///< s, the latest
    int tempMin = 0;      ///< °C
    int tempMax = 0;      ///< °C
};
CompareExtent CompareExtentOf(const QList<CompareCurve> &curves);

/// The overlay's ranges, frame, scales, zoom and pan. `view` works as the main curve's view
/// (CurveViewState: wheelZoom, pan, setAreaSize), on a time axis that counts from `timeOrigin`:
/// view time v shows the aligned time v + timeOrigin. Its time range thus starts at 0 even where
/// aligned times are negative.
struct CompareViewState {
    /// The full view never spans less than this, s.
    static constexpr int MinTimeSpan = 60;
    /// Room left below the lowest and above the highest temperature, °C.
    static constexpr int TempSpare = 10;

    CurveViewState view;
    int timeOrigin = 0; ///< s, the aligned time at the view's time 0

    /// The full view of `extent`: from its first to its last aligned second (at least
    /// MinTimeSpan), from its lowest to its highest temperature with TempSpare around; zooming and
    /// panning stay within it. An empty extent shows 0..1200 s and 0..1200 °C. The frame (the area
    /// size) is kept.
    void fullView(const CompareExtent &extent);

    /// The pixel column of aligned time `seconds`, truncated as every point of the curve is.
    int xOf(double seconds) const;
    /// The pixel row of `temp` °C.
    int yOf(double temp) const;
};

/// Nice steps for the axes: the smallest step of 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min,
/// 1 h and doublings of it (time) or 1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500 °C and doublings
/// (temperature) whose ticks lie at least `minSpacing` px apart. Ticks stand at the multiples of
/// the step within the view's range, from the lowest: the aligned time 0 always gets one when
/// shown. Time labels are FormatMinSec of the aligned time ("-1:30" before the alignment point),
/// temperature labels the value. None when the scale is not positive.
QList<AxisTick> CompareTimeTicks(const CompareViewState &state, int minSpacing);
QList<AxisTick> CompareTempTicks(const CompareViewState &state, int minSpacing);

/// The light grid at the ticks: a vertical line at each time tick right of the temperature axis,
/// from PlotTop to the time axis; a horizontal line at each temperature tick above the time axis,
/// from the temperature axis to PlotRight.
QList<QLine> CompareGridLines(const QList<AxisTick> &timeTicks, const QList<AxisTick> &tempTicks,
                              const CurveViewState &view);

/// The curve `curve` in pixels, with the same rules as the main curve (MeasuredTracePoints): x
/// from the aligned time, y from the chamber temperature, a sample that lands on the pixel of the
/// one before adds no point. Only the part in the view's time range is given, with the sample on
/// either side of it so that the line runs to the edge (the caller clips).
QList<QPoint> ComparePoints(const CompareCurve &curve, const CompareViewState &state);

/// Where the legend column right of the plot puts each entry: a line sample and its text.
struct CompareLegendEntry {
    QRect symbol;
    QRect text;
};

/// The legend as a column at the right of an area of `area` px, one entry per text width, from
/// the top down, `textHeight` apart. `plotWidth` is the width left to the plot left of it (the
/// width to give CurveViewState::setAreaSize). The column never takes more than a third of the
/// area's width: the caller shortens (elides) texts to `maxTextWidth` before measuring them. No
/// entries (and the whole width to the plot) without texts.
struct CompareLegend {
    int plotWidth = 0;
    int maxTextWidth = 0;
    QList<CompareLegendEntry> entries;
};
/// The widest a legend text may be in an area `areaWidth` px wide.
int CompareLegendTextWidth(int areaWidth);
CompareLegend LayoutCompareLegend(const QList<int> &textWidths, int textHeight, QSize area);

/// Texts the comparison writes or tells a screen reader.
namespace CompareTexts
{
/// The accessible name: "%1" the number of curves.
inline constexpr TextPair GraphName{"Сравнение обжигов: %1", "Firing comparison: %1"};
/// The accessible description: "%1" the labels, separated by "; ".
inline constexpr TextPair Description{
    "Температура камеры (°C) по времени (мин:с) обжигов: %1. Колесо мыши масштабирует, "
    "перетаскивание сдвигает, Home показывает всё.",
    "Chamber temperature (°C) over time (min:s) of the firings: %1. The mouse wheel zooms, a "
    "drag pans, Home shows everything."};
inline constexpr TextPair NoCurves{"Нет обжигов для сравнения.", "No firings to compare."};
} // namespace CompareTexts

/// The accessible description of a comparison of `curves` in `language` (0 Russian, 1 English):
/// every label, or that there is nothing to compare.
QString CompareDescription(const QList<CompareCurve> &curves, quint8 language);
