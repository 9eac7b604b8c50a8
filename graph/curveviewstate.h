#pragma once

#include "progparam.h"

// View state of the firing-curve graph: the plotted ranges, the plot frame and the scales, kept
// between paints. Pixel values are in the drawing area's coordinates (origin top left, y down);
// temperatures in °C; times in seconds from the start of the program. Integer divisions are
// signed and truncate toward zero; every floating-point value that becomes a pixel or an integer
// is truncated toward zero.

/// Which zoom button is down.
enum class ZoomMode { None, In, Out };

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
    int FullTimeEnd = 1200; ///< ViewTimeEnd of the last full view (zoom clamp)
    double PxPerSecond = double(DesignWidth - PlotMargin - PlotLeft) / 1200;
    double PxPerDegree = double(DesignHeight - PlotMargin - PlotTop) / 1200;
    int VacOnStage = 0;  ///< stage carrying the vacuum-on marker; 0 = none
    int VacOffStage = 0; ///< stage carrying the vacuum-off marker; 0 = none

    /// Full view of `record`: temperature and time ranges with their zoom clamps, then the scales.
    void TotalScale(const ProgParam &record);

    /// Sets VacOnStage and VacOffStage for `record`.
    void CheckZoneVacuum(const ProgParam &record);

    /// Takes the plot frame from a drawing area of `width` × `height` px and recomputes the scales.
    void setAreaSize(int width, int height);

    /// PxPerSecond and PxPerDegree from the present frame and ranges. A range whose span is not
    /// positive gives a scale of 0 instead of dividing by zero.
    void updateScales();

    /// One zoom step centred on the click at (x, y): In halves both spans, Out doubles them, None
    /// does nothing. Each axis is decided on its own and left unchanged when the new window would
    /// be narrower than 2 units before the clamps, not positive after them, or when its scale is
    /// not positive. Returns whether any range changed; the scales follow the new ranges.
    bool zoomStep(ZoomMode mode, int x, int y);

    /// Whether the cursor at (x, y) is the zoom cross-hair.
    bool crossCursorAt(ZoomMode mode, int x, int y) const;
};
