// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/curveframe.h"

#include <algorithm>

namespace
{

// One segment of the curve as the pen draws it: its controller stage, how long it lasts and
// how far it climbs.
struct Segment {
    int stage;
    int duration; ///< s, never negative
    int rise;     ///< °C, positive upward
};

int heatRateOf(const ProgParam &p)
{
    return p.HeatRate == 0 ? 1 : p.HeatRate;
}

std::array<Segment, CurveStages.size()> segmentsOf(const ProgParam &p)
{
    const PlanTimeline plan = PlanOf(p);
    std::array<Segment, CurveStages.size()> segments{};
    for (size_t i = 0; i < plan.size(); ++i)
        segments[i] = {plan[i].stage, plan[i].duration, plan[i].rise()};
    return segments;
}

// Steps the pen along the curve. Every point is found from the previous, truncated one, except
// the end of the first segment, which is placed from the start of the time range.
class Plotter
{
public:
    explicit Plotter(const CurveViewState &view)
        : m_view(view)
    {
    }

    /// The pen's start on the temperature axis at the pre-drying height, or level with the end
    /// of the first segment when a zoomed range puts that left of the axis (the line then never
    /// runs back in time).
    QPoint start(const ProgParam &p, int firstDuration) const
    {
        const int y = TruncToInt(m_view.PlotBottom -
                                 (p.PreDryTemp - m_view.ViewTempMin) * m_view.PxPerDegree);
        return {std::min(CurveViewState::PlotLeft, firstBreakpoint({0, y}, firstDuration).x()), y};
    }

    QPoint advance(QPoint from, int duration, int rise) const
    {
        return {TruncToInt(from.x() + duration * m_view.PxPerSecond),
                TruncToInt(from.y() - rise * m_view.PxPerDegree)};
    }

    QPoint firstBreakpoint(QPoint from, int duration) const
    {
        return {TruncToInt((double(duration) - m_view.ViewTimeStart) * m_view.PxPerSecond +
                           CurveViewState::PlotLeft),
                from.y()};
    }

    QPoint step(QPoint from, const Segment &s) const
    {
        return s.stage == 3 ? firstBreakpoint(from, s.duration) : advance(from, s.duration, s.rise);
    }

private:
    const CurveViewState &m_view;
};

CurveMarker makeMarker(CurveMarker::Kind kind, int stage, QPoint at, int curveIndex)
{
    CurveMarker m;
    m.kind = kind;
    m.stage = stage;
    m.at = at;
    m.curveIndex = curveIndex;
    const int tip = kind == CurveMarker::VacuumOn ? 1 : -1;
    const int base = kind == CurveMarker::VacuumOn ? 6 : -6;
    m.corners = {QPoint(at.x() - 3, at.y() + base), QPoint(at.x() + 3, at.y() + base),
                 QPoint(at.x(), at.y() + tip)};
    return m;
}

/// The point of the heating ramp (from `pen`, its start) at `temp`, kept on the ramp.
QPoint onHeatingRamp(const Plotter &plot, QPoint pen, const ProgParam &p, int temp)
{
    const int full = p.HeatTemp - p.PreHeatTemp;
    const int rise = std::clamp(temp - p.PreHeatTemp, std::min(0, full), std::max(0, full));
    return plot.advance(pen, std::abs(rise) * 60 / heatRateOf(p), rise);
}

void addCurve(CurveFrame &frame, const ProgParam &p, const CurveViewState &view)
{
    const Plotter plot(view);
    const auto segments = segmentsOf(p);
    QPoint pen = plot.start(p, segments.front().duration);
    frame.curve << pen;
    for (size_t i = 0; i < segments.size(); ++i) {
        const Segment &s = segments[i];
        pen = plot.step(pen, s);
        frame.curve << pen;
        const int reached = int(frame.curve.size()) - 1;
        if (s.stage == 4 && view.VacOnStage == 5) {
            const Segment &ramp = segments[i + 1];
            frame.markers << makeMarker(CurveMarker::VacuumOn, 5,
                                        plot.advance(pen, ramp.duration, ramp.rise), reached);
        } else if (s.stage == 9) {
            if (view.VacOnStage == 11)
                frame.markers << makeMarker(CurveMarker::VacuumOn, 11,
                                            onHeatingRamp(plot, pen, p, p.VacOnTemp), reached);
            if (view.VacOffStage == 11)
                frame.markers << makeMarker(CurveMarker::VacuumOff, 11,
                                            onHeatingRamp(plot, pen, p, p.VacOff), reached);
        } else if (s.stage == 11 && view.VacOffStage == 12) {
            frame.markers << makeMarker(CurveMarker::VacuumOff, 12, plot.advance(pen, p.VacOff, 0),
                                        reached);
        }
    }
}

bool isFlatStage(int stage)
{
    switch (stage) {
    case 3:
    case 4:
    case 6:
    case 7:
    case 9:
    case 12:
    case 15:
    case 18:
        return true;
    default:
        return false;
    }
}

// The segment `s` as far as the furnace has executed it; false when it is not drawn at all.
// The part drawn never reaches back before the segment's start nor beyond its end, whatever the
// zone time and the chamber temperature (after a fault the chamber cools below the ramp).
bool executedPart(const ProgParam &p, const RunPosition &run, Segment &s)
{
    const bool current = run.CurrentZone == s.stage;
    const int chamber = run.ChamberTemp;
    if (isFlatStage(s.stage)) {
        if (current && run.ZoneTime < s.duration)
            s.duration = std::max(0, run.ZoneTime);
        return true;
    }
    switch (s.stage) {
    case 5:
    case 8:
    case 11: {
        const int from = s.stage == 5 ? p.PreDryTemp : s.stage == 8 ? p.DryTemp : p.PreHeatTemp;
        const int to = s.stage == 5 ? p.DryTemp : s.stage == 8 ? p.PreHeatTemp : p.HeatTemp;
        const bool partial = to >= from ? chamber < to : chamber > to;
        if (current && partial) {
            s.rise = std::clamp(chamber - from, std::min(0, to - from), std::max(0, to - from));
            s.duration = s.stage == 11 ? std::abs(s.rise) * 60 / heatRateOf(p) : std::abs(s.rise);
        }
        return true;
    }
    case 14: {
        if (!(chamber < p.HeatTemp))
            return false;
        const int coolRate = p.CoolTime == 0 ? 0 : (p.CoolTemp - p.HeatTemp) / p.CoolTime;
        if (current && chamber > p.CoolTemp) {
            s.rise = chamber - p.HeatTemp;
            s.duration = coolRate == 0 ? 0 : std::clamp(s.rise * 60 / coolRate, 0, s.duration);
        }
        return true;
    }
    case 16:
        if (!(chamber < p.CoolTemp))
            return false;
        if (current && chamber > p.OpenTemp)
            s.rise = chamber - p.CoolTemp;
        return true;
    default:
        return true;
    }
}

void addExecuted(CurveFrame &frame, const ProgParam &p, const CurveViewState &view,
                 const RunPosition &run)
{
    if (run.CurrentZone <= 2)
        return;
    const Plotter plot(view);
    const auto segments = segmentsOf(p);
    Segment first = segments.front();
    executedPart(p, run, first);
    QPoint pen = plot.start(p, first.duration);
    frame.executed << pen;
    for (Segment s : segments) {
        if (run.CurrentZone < s.stage)
            break;
        if (!executedPart(p, run, s))
            continue;
        pen = plot.step(pen, s);
        frame.executed << pen;
        frame.executedStages << s.stage;
    }
}

void addAxes(CurveFrame &frame, const CurveViewState &view, QSize size)
{
    constexpr int left = CurveViewState::PlotLeft;
    frame.margins = {
        QRect(0, 0, left, size.height()),
        QRect(left, view.PlotBottom, size.width() - left, size.height() - view.PlotBottom)};
    frame.axes = {QPoint(left, 0), QPoint(left, view.PlotBottom),
                  QPoint(view.PlotRight + CurveViewState::PlotMargin, view.PlotBottom)};

    const qint64 tempSpan = qint64(view.ViewTempMax) - view.ViewTempMin;
    const int tempCount = int(frame.tempTicks.size()) - 1;
    for (int i = 0; i <= tempCount; ++i) {
        const qint64 value = view.ViewTempMin + tempSpan * i / tempCount;
        const int y = view.PlotBottom - (view.PlotBottom - CurveViewState::PlotTop) * i / tempCount;
        frame.tempTicks[size_t(i)] = {QPoint(left, y), QString::number(value)};
    }

    const qint64 timeSpan = qint64(view.ViewTimeEnd) - view.ViewTimeStart;
    const int timeCount = int(frame.timeTicks.size()) - 1;
    for (int i = 0; i <= timeCount; ++i) {
        const int x = left + (view.PlotRight - left) * i / timeCount;
        const qint64 t = view.ViewTimeStart + timeSpan * i / timeCount;
        frame.timeTicks[size_t(i)] = {QPoint(x, view.PlotBottom), FormatMinSec(int(t))};
    }
}

} // namespace

CurveFrame BuildCurveFrame(const ProgParam &record, CurveViewState &view, QSize size,
                           const RunPosition &run)
{
    view.setAreaSize(size.width(), size.height());
    view.CheckZoneVacuum(record);

    CurveFrame frame;
    addCurve(frame, record, view);
    addExecuted(frame, record, view, run);
    addAxes(frame, view, size);
    return frame;
}

QString FormatMinSec(int seconds)
{
    const qint64 t = seconds;
    const qint64 magnitude = t < 0 ? -t : t;
    return (t < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 60) +
           QLatin1Char(':') + QString::number(magnitude % 60).rightJustified(2, QLatin1Char('0'));
}

QPoint TempLabelPos(const AxisTick &tick, int textWidth, int textHeight)
{
    return {tick.at.x() - textWidth - TickLength, tick.at.y() - textHeight / 2};
}

QPoint TimeLabelPos(const AxisTick &tick, int textWidth)
{
    return {tick.at.x() - textWidth / 2, tick.at.y() + 5};
}
