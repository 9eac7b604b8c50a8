#include "curveviewstate.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

constexpr double kTruncLimit = 1e9;

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

    const int heatRate = p.HeatRate == 0 ? 1 : p.HeatRate;
    ViewTimeStart = 0;
    ViewTimeEnd = p.FiringTime +
                  60 * (p.PreDryHold + p.DryCloseTime + p.DryHold + p.PreHeatCloseTime +
                        p.PreHeatHold + p.CoolTime + p.TemperingTime + p.OpenTime) +
                  (p.DryTemp - p.PreDryTemp) + (p.PreHeatTemp - p.DryTemp) +
                  (p.HeatTemp - p.PreHeatTemp) * 60 / heatRate + (p.CoolTemp - p.OpenTemp);
    if (p.OpenTime == 0)
        ViewTimeEnd += 15;
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
    PxPerSecond = timeSpan > 0 ? double(PlotRight - PlotLeft) / double(timeSpan) : 0.0;
    PxPerDegree = tempSpan > 0 ? double(PlotBottom - PlotTop) / double(tempSpan) : 0.0;
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
            const int newMax = std::min(high, MaxZoomTemp);
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

bool CurveViewState::crossCursorAt(ZoomMode mode, int x, int y) const
{
    return mode != ZoomMode::None && x > PlotLeft && y < PlotBottom;
}
