// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/curveviewstate.h"

#include "graph/curveplan.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

constexpr double kTruncLimit = 1e9;
/// Room left around a measured temperature that widens the full view, °C.
constexpr int kMeasuredSpare = 10;
/// Each wheel notch narrows the spans to this fraction.
constexpr double kWheelNotch = 0.8;

/// A range of `span` units placed so that the value `at` falls at `fraction` of it, kept within
/// [lowest, highest]; false when the range does not fit there.
bool placeRange(double at, double fraction, qint64 span, qint64 lowest, qint64 highest, int &start)
{
    if (span <= 0 || highest - lowest < span)
        return false;
    const double wanted = std::round(at - fraction * double(span));
    start = int(std::clamp<double>(wanted, double(lowest), double(highest - span)));
    return true;
}

} // namespace

int TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, -kTruncLimit, kTruncLimit));
}

void CurveViewState::TotalScale(const ProgParam &p)
{
    const std::array<int, 6> temps = {p.PreDryTemp, p.DryTemp,  p.PreHeatTemp,
                                      p.HeatTemp,   p.CoolTemp, p.OpenTemp};
    ViewTempMin = ViewTempMax = p.PreDryTemp;
    for (int t : temps) {
        ViewTempMax = std::max(ViewTempMax, t);
        ViewTempMin = std::min(ViewTempMin, t);
    }
    if (ViewTempMax < 1050)
        ViewTempMax += 100;
    if (ViewTempMin > 100)
        ViewTempMin -= 100;
    else
        ViewTempMin -= 10;
    FullTempMin = ViewTempMin;
    FullTempMax = ViewTempMax;
    ZoomTempCeiling = MaxZoomTemp;

    ViewTimeStart = 0;
    ViewTimeEnd = PlanEnd(PlanOf(p)) + std::abs(p.CoolTemp - p.OpenTemp);
    FullTimeEnd = ViewTimeEnd;
    updateScales();
}

void CurveViewState::CheckZoneVacuum(const ProgParam &p)
{
    if (p.VacOnTemp < p.PreHeatTemp)
        VacOnStage = 0;
    else if (p.VacOnTemp == p.PreHeatTemp && p.PreHeatLevel >= 100)
        VacOnStage = 5;
    else
        VacOnStage = p.VacOnTemp <= p.HeatTemp ? 11 : 0;

    if (p.VacOffByTime != 0)
        VacOffStage = p.VacOff <= p.FiringTime ? 12 : 0;
    else if (p.VacOnTemp > p.VacOff)
        VacOffStage = 0;
    else
        VacOffStage = p.VacOff <= p.HeatTemp ? 11 : 0;
}

void CurveViewState::setAreaSize(int width, int height)
{
    PlotRight = width - PlotMargin;
    PlotBottom = height - PlotMargin;
    updateScales();
}

void CurveViewState::updateScales()
{
    const qint64 timeSpan = qint64(ViewTimeEnd) - ViewTimeStart;
    const qint64 tempSpan = qint64(ViewTempMax) - ViewTempMin;
    const int width = std::max(0, PlotRight - PlotLeft);
    const int height = std::max(0, PlotBottom - PlotTop);
    PxPerSecond = timeSpan > 0 ? double(width) / double(timeSpan) : 0.0;
    PxPerDegree = tempSpan > 0 ? double(height) / double(tempSpan) : 0.0;
}

bool CurveViewState::zoomStep(ZoomMode mode, int x, int y)
{
    if (mode == ZoomMode::None)
        return false;
    const bool in = mode == ZoomMode::In;
    bool changed = false;

    if (PxPerDegree > 0) {
        const qint64 span = qint64(ViewTempMax) - ViewTempMin;
        const double half = double(in ? span / 4 : span);
        const double centre = (PlotBottom - y) / PxPerDegree + ViewTempMin;
        const int low = TruncToInt(centre - half);
        const int high = TruncToInt(centre + half);
        if (qint64(low) + 1 < high) {
            const int newMin = std::max(low, FullTempMin);
            const int newMax = std::min(high, ZoomTempCeiling);
            if (newMax > newMin && (newMin != ViewTempMin || newMax != ViewTempMax)) {
                ViewTempMin = newMin;
                ViewTempMax = newMax;
                changed = true;
            }
        }
    }

    if (PxPerSecond > 0) {
        const qint64 span = qint64(ViewTimeEnd) - ViewTimeStart;
        const double half = double(in ? span / 4 : span);
        const double centre = (x - PlotLeft) / PxPerSecond + ViewTimeStart;
        const int start = TruncToInt(centre - half);
        const int end = TruncToInt(centre + half);
        if (qint64(start) + 1 < end) {
            const int newStart = std::max(start, 0);
            const int newEnd = std::min(end, FullTimeEnd);
            if (newEnd > newStart && (newStart != ViewTimeStart || newEnd != ViewTimeEnd)) {
                ViewTimeStart = newStart;
                ViewTimeEnd = newEnd;
                changed = true;
            }
        }
    }

    if (changed)
        updateScales();
    return changed;
}

void CurveViewState::widenFullView(const MeasuredExtent &measured)
{
    if (measured.empty)
        return;
    bool changed = false;
    const int end = TruncToInt(std::ceil(measured.end));
    if (end > FullTimeEnd) {
        if (ViewTimeEnd == FullTimeEnd)
            ViewTimeEnd = end;
        FullTimeEnd = end;
        changed = true;
    }
    if (measured.tempMin < FullTempMin) {
        const int low = measured.tempMin - kMeasuredSpare;
        if (ViewTempMin == FullTempMin)
            ViewTempMin = low;
        FullTempMin = low;
        changed = true;
    }
    if (measured.tempMax > FullTempMax) {
        const int high = measured.tempMax + kMeasuredSpare;
        if (ViewTempMax == FullTempMax)
            ViewTempMax = high;
        FullTempMax = high;
        ZoomTempCeiling = std::max(ZoomTempCeiling, high);
        changed = true;
    }
    if (changed)
        updateScales();
}

bool CurveViewState::wheelZoom(double notches, int x, int y)
{
    if (!std::isfinite(notches) || notches == 0)
        return false;
    const double factor = std::pow(kWheelNotch, std::clamp(notches, -20.0, 20.0));
    bool changed = false;

    const int plotWidth = PlotRight - PlotLeft;
    if (PxPerSecond > 0 && plotWidth > 0) {
        const qint64 span = qint64(ViewTimeEnd) - ViewTimeStart;
        const double fraction = std::clamp(double(x - PlotLeft) / plotWidth, 0.0, 1.0);
        const double at = ViewTimeStart + fraction * double(span);
        const qint64 full = FullTimeEnd;
        const qint64 wanted = std::llround(double(span) * factor);
        const qint64 newSpan = std::min(full, std::max<qint64>(wanted, MinWheelSpan));
        int start = 0;
        if (newSpan != span && placeRange(at, fraction, newSpan, 0, full, start)) {
            changed = start != ViewTimeStart || start + newSpan != ViewTimeEnd;
            ViewTimeStart = start;
            ViewTimeEnd = int(start + newSpan);
        }
    }

    const int plotHeight = PlotBottom - PlotTop;
    if (PxPerDegree > 0 && plotHeight > 0) {
        const qint64 span = qint64(ViewTempMax) - ViewTempMin;
        const double fraction = std::clamp(double(PlotBottom - y) / plotHeight, 0.0, 1.0);
        const double at = ViewTempMin + fraction * double(span);
        const qint64 room = qint64(ZoomTempCeiling) - FullTempMin;
        const qint64 wanted = std::llround(double(span) * factor);
        const qint64 newSpan = std::min(room, std::max<qint64>(wanted, MinWheelSpan));
        int low = 0;
        if (newSpan != span &&
            placeRange(at, fraction, newSpan, FullTempMin, ZoomTempCeiling, low)) {
            changed = changed || low != ViewTempMin || low + newSpan != ViewTempMax;
            ViewTempMin = low;
            ViewTempMax = int(low + newSpan);
        }
    }

    if (changed)
        updateScales();
    return changed;
}

bool CurveViewState::pan(const CurveViewState &from, int dx, int dy)
{
    bool changed = false;
    if (from.PxPerSecond > 0) {
        const qint64 span = qint64(from.ViewTimeEnd) - from.ViewTimeStart;
        int start = 0;
        if (placeRange(from.ViewTimeStart - dx / from.PxPerSecond, 0, span, 0, FullTimeEnd,
                       start) &&
            start != ViewTimeStart) {
            ViewTimeStart = start;
            ViewTimeEnd = int(start + span);
            changed = true;
        }
    }
    if (from.PxPerDegree > 0) {
        const qint64 span = qint64(from.ViewTempMax) - from.ViewTempMin;
        int low = 0;
        if (placeRange(from.ViewTempMin + dy / from.PxPerDegree, 0, span, FullTempMin,
                       ZoomTempCeiling, low) &&
            low != ViewTempMin) {
            ViewTempMin = low;
            ViewTempMax = int(low + span);
            changed = true;
        }
    }
    if (changed)
        updateScales();
    return changed;
}

bool CurveViewState::crossCursorAt(ZoomMode mode, int x, int y) const
{
    return mode != ZoomMode::None && x > PlotLeft && y < PlotBottom;
}
