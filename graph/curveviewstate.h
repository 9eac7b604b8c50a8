// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/progparam.h"

// View state of the firing-curve graph: the plotted ranges, the plot frame and the scales, kept
// between paints. Pixel values are in the drawing area's coordinates (origin top left, y down);
// temperatures in °C; times in seconds from the start of the program. Integer divisions are
// signed and truncate toward zero; every floating-point value that becomes a pixel or an integer
// is truncated toward zero.

/// Which zoom button is down.
enum class ZoomMode { None, In, Out };

/// How far a measured curve reaches on the plan's axes (see PlaceMeasuredSamples).
struct MeasuredExtent {
    bool empty = true;
    double end = 0;  ///< s, the last sample's place
    int tempMin = 0; ///< °C
    int tempMax = 0; ///< °C
};

/// Truncates toward zero; NaN gives 0 and values beyond ±1e9 are clamped, so that absurd
/// records or scales never overflow an int.
int TruncToInt(double value);

/// The range, frame and scale state of the firing-curve graph.
struct CurveViewState {
    static constexpr int PlotLeft = 35;      ///< x of the temperature axis
    static constexpr int PlotTop = 20;       ///< y of the top temperature tick
    static constexpr int PlotMargin = 20;    ///< right and bottom margins
    static constexpr int MaxZoomTemp = 1150; ///< zooming never shows more than this, °C
    static constexpr int DesignWidth = 705;
    static constexpr int DesignHeight = 189;

    int PlotRight = DesignWidth - PlotMargin;   ///< drawing-area width - 20
    int PlotBottom = DesignHeight - PlotMargin; ///< drawing-area height - 20; y of the time axis
    int ViewTempMin = 0;
    int ViewTempMax = 1200;
    int ViewTimeStart = 0;
    int ViewTimeEnd = 1200;
    int FullTempMin = 0;    ///< ViewTempMin of the last full view (zoom clamp)
    int FullTempMax = 1200; ///< ViewTempMax of the last full view
    int FullTimeEnd = 1200; ///< ViewTimeEnd of the last full view (zoom clamp)
    /// Zooming never shows more than this, °C: MaxZoomTemp, or more where a measured curve
    /// rose above it.
    int ZoomTempCeiling = MaxZoomTemp;
    double PxPerSecond = double(DesignWidth - PlotMargin - PlotLeft) / 1200;
    double PxPerDegree = double(DesignHeight - PlotMargin - PlotTop) / 1200;
    int VacOnStage = 0;  ///< stage carrying the vacuum-on marker; 0 = none
    int VacOffStage = 0; ///< stage carrying the vacuum-off marker; 0 = none

    /// Full view of `record`: temperature and time ranges with their zoom clamps, then the scales.
    /// The time range is the plan's length plus the drop to the opening temperature at a second
    /// per degree; never negative.
    void TotalScale(const ProgParam &record);

    /// Widens the full view so that it holds the measured curve `measured` as well: its end on
    /// the time axis, its lowest and highest temperature (with 10 °C to spare) on the other. An
    /// axis that shows its whole full range follows the widened range; a zoomed axis keeps its
    /// range and only its zoom clamps widen. Nothing changes while the curve fits.
    void widenFullView(const MeasuredExtent &measured);

    /// Sets VacOnStage and VacOffStage for `record`.
    void CheckZoneVacuum(const ProgParam &record);

    /// Takes the plot frame from a drawing area of `width` × `height` px and recomputes the scales.
    void setAreaSize(int width, int height);

    /// PxPerSecond and PxPerDegree from the present frame and ranges. A range whose span is not
    /// positive gives a scale of 0 instead of dividing by zero, and so does an area too small to
    /// leave room for the plot (never a negative scale, which would run the curve backwards).
    void updateScales();

    /// One zoom step centred on the click at (x, y): In halves both spans, Out doubles them, None
    /// does nothing. Each axis is decided on its own and left unchanged when the new window would
    /// be narrower than 2 units before the clamps, not positive after them, or when its scale is
    /// not positive. Returns whether any range changed; the scales follow the new ranges.
    bool zoomStep(ZoomMode mode, int x, int y);

    /// Mouse-wheel zoom by `notches` (positive: in, each notch a fifth narrower; negative: out)
    /// around the point under the pointer at (x, y), which stays under it to within half a
    /// unit (s, °C). The ranges stay within the full view's clamps, as zoomStep's do, and do
    /// not narrow below MinWheelSpan. Returns whether any range changed.
    bool wheelZoom(double notches, int x, int y);
    /// Shifts both ranges by a drag of (dx, dy) px from the ranges `from`, so that the point
    /// grabbed stays under the pointer, within the zoom clamps; spans do not change (an axis
    /// that already shows its whole range does not move). Returns whether any range changed.
    bool pan(const CurveViewState &from, int dx, int dy);
    static constexpr int MinWheelSpan = 10; ///< s and °C

    /// Whether the cursor at (x, y) is the zoom cross-hair.
    bool crossCursorAt(ZoomMode mode, int x, int y) const;
};
