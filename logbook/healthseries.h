// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/furnacehealth.h"

#include <QList>
#include <QString>

#include <limits>

// A furnace's figures over time as the health window plots them: each figure's values with the
// baseline every firing was judged against (rolling: made of the firings before it, as at its
// seal), the firings that were flagged, and the flags' numbers worked out again for their
// messages. Pure and linear in the number of points: the baselines come from a ring of the last
// BaselineFirings normal firings per program, not from a scan back.
//
// Input: the points of one furnace, oldest first (LogbookDb::healthPoints); points before
// `shownFromMs` only feed the baselines (the lead-in a period needs, see HealthLeadIn). Points
// started at the same millisecond never count in each other's baseline, as at their seals.

/// The figures the window can plot.
enum class HealthSeriesFigure {
    BandRate,      ///< °C/min between bandLow and bandHigh, against the furnace's firings
    HeatingRate,   ///< °C/min on the ramp, against the same program
    ReachTime,     ///< s from the start of heating to the firing temperature, same program
    HoldDeviation, ///< mean |T - HeatTemp| in the hold, °C, same program
    VacuumTime,    ///< s from vacuum on to VacuumTarget, same program
    CoolingTime,   ///< s from the end of the hold to the opening temperature, same program
};

/// Whether `figure`'s baseline is made of the same program's firings (all but the band rate).
bool ByProgram(HealthSeriesFigure figure);
/// Whether a firing flagged with `flag` (HealthFigureName) is marked on `figure`'s plot: the
/// heating figures show heating and band flags, the hold and the vacuum their own, cooling none.
bool MarksFlag(HealthSeriesFigure figure, const QString &flag);

/// One figure of the shown normal firings, oldest first; every list has one item per firing.
/// A firing is in it when it has the figure, or when it was flagged for it without having it
/// (a vacuum that never reached its level): its value is then NaN.
struct HealthSeries {
    HealthSeriesFigure figure = HealthSeriesFigure::BandRate;
    QList<qint64> timesMs;
    QList<double> values;
    /// The baseline before each firing: median, lowest and highest; NaN where fewer than
    /// MinimumFirings comparable firings had the figure.
    QList<double> median;
    QList<double> low;
    QList<double> high;
    QList<bool> flagged;
    /// Each firing's index in the points the series was made from.
    QList<int> pointIndex;
};

inline constexpr qint64 AllTime = std::numeric_limits<qint64>::min();

HealthSeries HealthSeriesOf(const QList<HealthPoint> &points, HealthSeriesFigure figure,
                            qint64 shownFromMs = AllTime);
/// The series of several figures in one walk over the points, in the order of `figures`.
QList<HealthSeries> HealthSeriesOf(const QList<HealthPoint> &points,
                                   const QList<HealthSeriesFigure> &figures,
                                   qint64 shownFromMs = AllTime);

/// A flagged firing with its flags' numbers (for DriftMessage). The numbers are worked out
/// again with `tolerances` against the firings before it; a stored flag the tolerances no
/// longer give is worked out with no tolerance at all (only the baseline's range), and one that
/// even so cannot be (its baseline changed since: firings measured later) is in `unexplained`.
struct FlaggedFiring {
    int pointIndex = 0;
    QList<DriftFlag> flags;
    QList<HealthFigure> unexplained;
};

/// The shown firings with stored flags, oldest first.
QList<FlaggedFiring> FlaggedFiringsOf(const QList<HealthPoint> &points,
                                      const HealthTolerances &tolerances,
                                      qint64 shownFromMs = AllTime);

/// The programs of the shown points (distinct, in order of first appearance): whose lead-in
/// (LogbookDb::healthHistory before the period) the baselines at the period's start need,
/// besides the furnace's own of any program.
QStringList ProgramsOf(const QList<HealthPoint> &points);
/// `leadIn` (firings started before the period, in any order, duplicates allowed) and the
/// period's `points` (oldest first) as one list oldest first, each firing once: what
/// HealthSeriesOf takes with shownFromMs at the period's start.
QList<HealthPoint> WithLeadIn(QList<HealthPoint> leadIn, const QList<HealthPoint> &points);
