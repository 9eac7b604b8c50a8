// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/firingfigures.h"

#include "common/programstep.h"
#include "graph/curveplan.h"
#include "logbook/firingrecord.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

using Readings = std::vector<int>;

/// The readings `get` takes from each sample through a running median of three (see the header).
template<typename Get>
Readings filtered(const QList<TraceSample> &samples, Get get)
{
    const qsizetype n = samples.size();
    Readings out(size_t(n), 0);
    auto median = [&](qsizetype i) {
        const int a = get(samples[i - 1]);
        const int b = get(samples[i]);
        const int c = get(samples[i + 1]);
        return std::max(std::min(a, b), std::min(std::max(a, b), c));
    };
    if (n < 3) {
        for (qsizetype i = 0; i < n; ++i)
            out[size_t(i)] = get(samples[i]);
        return out;
    }
    for (qsizetype i = 1; i + 1 < n; ++i)
        out[size_t(i)] = median(i);
    out.front() = median(1);
    out.back() = median(n - 2);
    return out;
}

bool isStep(int zone, int first, int last)
{
    return zone >= first && zone <= last;
}

/// The first sample at or after `from` whose step lies in [first, last]; -1 for none.
qsizetype firstInSteps(const QList<TraceSample> &s, qsizetype from, int first, int last)
{
    for (qsizetype i = std::max<qsizetype>(from, 0); i < s.size(); ++i)
        if (isStep(s[i].CurrentZone, first, last))
            return i;
    return -1;
}

/// When the controller entered the step of sample `i` (the first sample of that step): the
/// zone time it reported at the first sample of the step that carries one, never before the
/// sample before `i` nor after `i` (the same rule that places the measured curve).
double stepEntry(const QList<TraceSample> &s, qsizetype i)
{
    double entry = s[i].Seconds;
    for (qsizetype k = i; k < s.size() && s[k].CurrentZone == s[i].CurrentZone; ++k) {
        if (s[k].ZoneTime > 0) {
            entry = s[k].Seconds - s[k].ZoneTime;
            break;
        }
    }
    entry = std::min(entry, s[i].Seconds);
    if (i > 0)
        entry = std::max(entry, s[i - 1].Seconds);
    return entry;
}

/// Where `level` lies between samples i - 1 and i, s, by linear interpolation of the readings;
/// Seconds of sample i when it is the first or the reading before lies on the same side.
double crossingTime(const QList<TraceSample> &s, const Readings &v, qsizetype i, double level)
{
    if (i == 0)
        return s[i].Seconds;
    const double before = v[size_t(i - 1)];
    const double after = v[size_t(i)];
    const bool between = (before < level && level <= after) || (before > level && level >= after);
    if (!between)
        return s[i].Seconds;
    const double t0 = s[i - 1].Seconds;
    return t0 + (level - before) / (after - before) * (s[i].Seconds - t0);
}

/// The first sample at or after `from` whose reading is at least (rising) or at most
/// (falling) `level`; -1 for none.
qsizetype firstReaching(const Readings &v, qsizetype from, double level, bool rising)
{
    for (size_t i = size_t(std::max<qsizetype>(from, 0)); i < v.size(); ++i)
        if (rising ? v[i] >= level : v[i] <= level)
            return qsizetype(i);
    return -1;
}

/// The first upward crossing of `level` at or after `from`: the first sample at or above it
/// that follows one below it; -1 for none.
qsizetype firstUpwardCrossing(const Readings &v, qsizetype from, double level)
{
    for (size_t i = size_t(std::max<qsizetype>(from, 1)); i < v.size(); ++i)
        if (v[i - 1] < level && v[i] >= level)
            return qsizetype(i);
    return -1;
}

std::optional<double> ratePerMinute(double rise, double seconds)
{
    if (!(seconds > 0) || !(rise > 0))
        return std::nullopt;
    return rise * 60.0 / seconds;
}

/// Seconds on the plan's ramp to the firing temperature at which it reaches `level`.
double planTimeOnRamp(const ProgParam &p, double level)
{
    const PlanTimeline plan = PlanOf(p);
    const auto ramp = std::find_if(plan.begin(), plan.end(), [](const PlanSegment &seg) {
        return seg.stage == ProgramStep::FiringRamp;
    });
    const double rate = p.HeatRate == 0 ? 1.0 : double(p.HeatRate);
    const double rise = std::clamp(level - ramp->fromTemp, 0.0, double(std::max(0, ramp->rise())));
    return ramp->start + rise * 60.0 / rate;
}

bool isHeatingStep(int zone)
{
    return zone == ProgramStep::LastPreparing || zone == ProgramStep::DryHeating ||
           zone == ProgramStep::PreHeatHeating || zone == ProgramStep::FiringRamp;
}

void measureHeating(FiringFigures &f, const QList<TraceSample> &s, const Readings &temp,
                    const ProgParam &p, const FigureSettings &settings, qsizetype heatStart)
{
    if (heatStart < 0 || p.HeatTemp == 0)
        return;
    const double level = p.HeatTemp - settings.reachTolerance;
    const qsizetype reached = firstReaching(temp, heatStart, level, true);
    if (reached < 0)
        return;
    const double startSeconds = s[heatStart].Seconds;
    const double at = std::max(crossingTime(s, temp, reached, level), startSeconds);
    f.firingTempReachedSeconds = at;

    if (p.HeatTemp > p.PreHeatTemp) {
        f.heatingRate = ratePerMinute(level - temp[size_t(heatStart)], at - startSeconds);
        if (f.heatingRate && p.HeatRate > 0) {
            f.heatingRatePlanned = double(p.HeatRate);
            f.heatingRateRatio = *f.heatingRate / p.HeatRate;
        }
    }

    const qsizetype planned = firstInSteps(s, 0, ProgramStep::PreDryHold, ProgramStep::LastOpening);
    if (planned >= 0 && planned <= reached) {
        const int stepStart = PlanStageStart(PlanOf(p), s[planned].CurrentZone);
        const double planOrigin = stepEntry(s, planned) - stepStart;
        f.firingTempLagSeconds = (at - planOrigin) - planTimeOnRamp(p, level);
    }
}

void measureBand(FiringFigures &f, const QList<TraceSample> &s, const Readings &temp,
                 const FigureSettings &settings)
{
    if (settings.bandHigh <= settings.bandLow)
        return;
    const qsizetype low = firstUpwardCrossing(temp, 1, settings.bandLow);
    if (low < 0)
        return;
    const qsizetype high = firstUpwardCrossing(temp, low, settings.bandHigh);
    if (high < 0)
        return;
    for (qsizetype i = low; i < high; ++i)
        if (!isHeatingStep(s[i].CurrentZone))
            return;
    const double seconds = crossingTime(s, temp, high, settings.bandHigh) -
                           crossingTime(s, temp, low, settings.bandLow);
    f.bandRate = ratePerMinute(settings.bandHigh - settings.bandLow, seconds);
}

void measureHold(FiringFigures &f, const QList<TraceSample> &s, const Readings &temp,
                 const ProgParam &p)
{
    if (p.FiringTime == 0)
        return;
    const qsizetype first = firstInSteps(s, 0, ProgramStep::Firing, ProgramStep::Firing);
    if (first < 0)
        return;
    qsizetype last = first;
    while (last + 1 < s.size() && s[last + 1].CurrentZone == ProgramStep::Firing)
        ++last;

    // Each sample stands for half the time to its neighbours in the hold, so that a stretch
    // without samples (the link was down) weighs what it lasted.
    int highest = temp[size_t(first)];
    double weights = 0;
    double absSum = 0;
    double signedSum = 0;
    double plainAbs = 0;
    double plainSigned = 0;
    for (qsizetype k = first; k <= last; ++k) {
        const double w =
            (s[std::min(k + 1, last)].Seconds - s[std::max(k - 1, first)].Seconds) / 2.0;
        const double d = temp[size_t(k)] - double(p.HeatTemp);
        highest = std::max(highest, temp[size_t(k)]);
        weights += w;
        absSum += w * std::abs(d);
        signedSum += w * d;
        plainAbs += std::abs(d);
        plainSigned += d;
    }
    const double count = double(last - first + 1);
    f.holdMaxTemp = highest;
    f.holdOvershoot = std::max(0, highest - int(p.HeatTemp));
    f.holdMeanAbsDeviation = weights > 0 ? absSum / weights : plainAbs / count;
    f.holdMeanDeviation = weights > 0 ? signedSum / weights : plainSigned / count;
}

void measureVacuum(FiringFigures &f, const QList<TraceSample> &s, const ProgParam &p,
                   const FigureSettings &settings)
{
    if (p.VacOnTemp == 0 || s.size() < 2)
        return;
    const Readings vac = filtered(s, [](const TraceSample &x) { return int(x.Vacuum); });
    const int rise = std::max(1, settings.vacuumRise);
    int lowest = vac.front();
    qsizetype on = -1;
    for (size_t i = 1; i < vac.size(); ++i) {
        if (vac[i] >= lowest + rise) {
            on = qsizetype(i);
            break;
        }
        lowest = std::min(lowest, vac[i]);
    }
    if (on < 0)
        return;
    const double onSeconds = s[on].Seconds;
    f.vacuumOnSeconds = onSeconds;
    const auto top = std::max_element(vac.begin() + on, vac.end());
    f.vacuumMaxLevel = *top;
    f.vacuumToMaxSeconds = s[qsizetype(top - vac.begin())].Seconds - onSeconds;
    if (settings.vacuumTarget) {
        const qsizetype reached = firstReaching(vac, on, *settings.vacuumTarget, true);
        if (reached >= 0)
            f.vacuumToTargetSeconds =
                std::max(crossingTime(s, vac, reached, *settings.vacuumTarget), onSeconds) -
                onSeconds;
    }
}

void measureCooling(FiringFigures &f, const QList<TraceSample> &s, const Readings &temp,
                    const ProgParam &p, const FigureSettings &settings, qsizetype heatStart)
{
    if (heatStart < 0)
        return;
    const qsizetype after = firstInSteps(s, heatStart, ProgramStep::Cooling, ProgramStep::Finished);
    if (after < 0)
        return;
    const double end = stepEntry(s, after);
    f.firingEndSeconds = end;
    if (p.OpenTemp == 0)
        return;
    const double level = p.OpenTemp + settings.reachTolerance;
    const qsizetype cooled = firstReaching(temp, after, level, false);
    if (cooled >= 0)
        f.coolingToOpenSeconds = std::max(crossingTime(s, temp, cooled, level), end) - end;
}

qsizetype heatingStartIndex(const QList<TraceSample> &samples)
{
    return firstInSteps(samples, 0, ProgramStep::FiringRamp, ProgramStep::LastOpening);
}

} // namespace

FiringFigures ComputeFiringFigures(const QList<TraceSample> &samples, const ProgParam &record,
                                   RunOutcome outcome, const FigureSettings &settings)
{
    FiringFigures f;
    f.endedNormally = outcome == RunOutcome::Finished;
    if (samples.isEmpty())
        return f;
    f.durationSeconds = samples.constLast().Seconds;
    const Readings temp =
        filtered(samples, [](const TraceSample &x) { return int(x.ChamberTemp); });
    f.runMaxTemp = *std::max_element(temp.begin(), temp.end());

    const qsizetype heatStart = heatingStartIndex(samples);
    if (heatStart >= 0)
        f.heatingStartSeconds = samples[heatStart].Seconds;
    measureHeating(f, samples, temp, record, settings, heatStart);
    measureBand(f, samples, temp, settings);
    measureHold(f, samples, temp, record);
    measureVacuum(f, samples, record, settings);
    measureCooling(f, samples, temp, record, settings, heatStart);
    return f;
}

FiringFigures ComputeFiringFigures(const FiringRecord &firing, const FigureSettings &settings)
{
    return ComputeFiringFigures(firing.trace().samples(), firing.facts().record,
                                firing.trace().outcome(), settings);
}

std::optional<double> HeatingStartSeconds(const QList<TraceSample> &samples)
{
    const qsizetype i = heatingStartIndex(samples);
    if (i < 0)
        return std::nullopt;
    return samples[i].Seconds;
}
