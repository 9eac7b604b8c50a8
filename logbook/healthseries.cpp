// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/healthseries.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace
{

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

/// The last BaselineFirings normal firings of one kind (a program, or the furnace), as indices
/// into the points.
class Ring
{
public:
    void push(int index)
    {
        m_items[size_t(m_head)] = index;
        m_head = (m_head + 1) % BaselineFirings;
        m_count = std::min(m_count + 1, BaselineFirings);
    }
    int count() const { return m_count; }
    /// The `k`th newest (0: the newest).
    int at(int k) const
    {
        return m_items[size_t((m_head - 1 - k + 2 * BaselineFirings) % BaselineFirings)];
    }

private:
    std::array<int, BaselineFirings> m_items{};
    int m_head = 0;
    int m_count = 0;
};

/// Walks the points oldest first, keeping for each the normal firings before it: of its
/// program and of the furnace. A firing joins the rings once the time has moved past its start,
/// so that firings of the same millisecond are not each other's history (as at their seals,
/// which asked for the firings started before).
class Rolling
{
public:
    explicit Rolling(const QList<HealthPoint> &points)
        : m_points(points)
        , m_programOf(size_t(points.size()))
    {
        QHash<QString, int> programs;
        for (qsizetype i = 0; i < points.size(); ++i) {
            const auto it = programs.constFind(points[i].programKey);
            if (it != programs.cend()) {
                m_programOf[size_t(i)] = it.value();
            } else {
                const int id = int(programs.size());
                programs.insert(points[i].programKey, id);
                m_programOf[size_t(i)] = id;
            }
        }
        m_byProgram.resize(size_t(programs.size()));
    }

    /// Moves to point `i` (each once, in order); its history is then what the rings hold.
    void moveTo(int i)
    {
        const qint64 at = m_points[i].startedMs;
        if (at != m_pendingAt) {
            for (int p : m_pending) {
                m_byProgram[size_t(m_programOf[size_t(p)])].push(p);
                m_furnace.push(p);
            }
            m_pending.clear();
            m_pendingAt = at;
        }
    }
    /// After moveTo(i): point `i` becomes history for the points after its millisecond.
    void done(int i)
    {
        if (m_points[i].normal)
            m_pending.push_back(i);
    }

    const Ring &programRing(int i) const { return m_byProgram[size_t(m_programOf[size_t(i)])]; }
    const Ring &furnaceRing() const { return m_furnace; }

    QList<HealthPoint> pointsOf(const Ring &ring) const
    {
        QList<HealthPoint> out;
        out.reserve(ring.count());
        for (int k = 0; k < ring.count(); ++k)
            out << m_points[ring.at(k)];
        return out;
    }

private:
    const QList<HealthPoint> &m_points;
    std::vector<int> m_programOf;
    std::vector<Ring> m_byProgram;
    Ring m_furnace;
    std::vector<int> m_pending;
    qint64 m_pendingAt = std::numeric_limits<qint64>::min();
};

std::optional<double> valueOf(const HealthPoint &p, HealthSeriesFigure figure)
{
    switch (figure) {
    case HealthSeriesFigure::BandRate:
        return p.bandRate;
    case HealthSeriesFigure::HeatingRate:
        return p.heatingRate;
    case HealthSeriesFigure::ReachTime:
        return p.reachSeconds;
    case HealthSeriesFigure::HoldDeviation:
        return p.holdDeviation;
    case HealthSeriesFigure::VacuumTime:
        return p.vacuumSeconds;
    case HealthSeriesFigure::CoolingTime:
        return p.coolingSeconds;
    }
    return std::nullopt;
}

/// BaselineOf the figure's values among the ring's firings, newest first, without a list.
Baseline baselineOf(const QList<HealthPoint> &points, const Ring &ring, HealthSeriesFigure figure)
{
    std::array<double, BaselineFirings> v{};
    int n = 0;
    for (int k = 0; k < ring.count(); ++k)
        if (const std::optional<double> value = valueOf(points[ring.at(k)], figure))
            v[size_t(n++)] = *value;
    Baseline b;
    b.count = n;
    if (n == 0)
        return b;
    std::sort(v.begin(), v.begin() + n);
    b.median = n % 2 ? v[size_t(n / 2)] : (v[size_t(n / 2 - 1)] + v[size_t(n / 2)]) / 2;
    b.low = v[0];
    b.high = v[size_t(n - 1)];
    return b;
}

bool marked(const HealthPoint &p, HealthSeriesFigure figure)
{
    return std::any_of(p.flags.cbegin(), p.flags.cend(),
                       [figure](const QString &flag) { return MarksFlag(figure, flag); });
}

} // namespace

bool ByProgram(HealthSeriesFigure figure)
{
    return figure != HealthSeriesFigure::BandRate;
}

bool MarksFlag(HealthSeriesFigure figure, const QString &flag)
{
    const std::optional<HealthFigure> f = HealthFigureFromName(flag);
    if (!f)
        return false;
    switch (figure) {
    case HealthSeriesFigure::BandRate:
    case HealthSeriesFigure::HeatingRate:
    case HealthSeriesFigure::ReachTime:
        return *f == HealthFigure::Heating || *f == HealthFigure::BandRate;
    case HealthSeriesFigure::HoldDeviation:
        return *f == HealthFigure::HoldDeviation;
    case HealthSeriesFigure::VacuumTime:
        return *f == HealthFigure::VacuumTime;
    case HealthSeriesFigure::CoolingTime:
        return false;
    }
    return false;
}

QList<HealthSeries> HealthSeriesOf(const QList<HealthPoint> &points,
                                   const QList<HealthSeriesFigure> &figures, qint64 shownFromMs)
{
    QList<HealthSeries> out(figures.size());
    for (qsizetype k = 0; k < figures.size(); ++k)
        out[k].figure = figures[k];
    // One walk for every figure: the rings are the same.
    Rolling rolling(points);
    for (int i = 0; i < int(points.size()); ++i) {
        rolling.moveTo(i);
        const HealthPoint &p = points[i];
        if (p.normal && p.startedMs >= shownFromMs) {
            for (HealthSeries &s : out) {
                const std::optional<double> value = valueOf(p, s.figure);
                const bool flagged = marked(p, s.figure);
                if (!value && !flagged)
                    continue;
                const Baseline b = baselineOf(
                    points, ByProgram(s.figure) ? rolling.programRing(i) : rolling.furnaceRing(),
                    s.figure);
                const bool known = b.count >= MinimumFirings;
                s.timesMs << p.startedMs;
                s.values << value.value_or(NaN);
                s.median << (known ? b.median : NaN);
                s.low << (known ? b.low : NaN);
                s.high << (known ? b.high : NaN);
                s.flagged << flagged;
                s.pointIndex << i;
            }
        }
        rolling.done(i);
    }
    return out;
}

HealthSeries HealthSeriesOf(const QList<HealthPoint> &points, HealthSeriesFigure figure,
                            qint64 shownFromMs)
{
    return HealthSeriesOf(points, QList<HealthSeriesFigure>{figure}, shownFromMs).constFirst();
}

QList<FlaggedFiring> FlaggedFiringsOf(const QList<HealthPoint> &points,
                                      const HealthTolerances &tolerances, qint64 shownFromMs)
{
    QList<FlaggedFiring> out;
    Rolling rolling(points);
    for (int i = 0; i < int(points.size()); ++i) {
        rolling.moveTo(i);
        const HealthPoint &p = points[i];
        if (p.normal && !p.flags.isEmpty() && p.startedMs >= shownFromMs) {
            const QList<HealthPoint> sameProgram = rolling.pointsOf(rolling.programRing(i));
            const QList<HealthPoint> sameFurnace = rolling.pointsOf(rolling.furnaceRing());
            const QList<DriftFlag> now = CheckDrift(p, sameProgram, sameFurnace, tolerances);
            // Without tolerances only the baseline's range decides; a heating flag there must
            // not hide the band flag the seal found (the band is judged only without one).
            HealthTolerances none{0, 0, 0, 0};
            if (!p.flags.contains(HealthFigureName(HealthFigure::Heating)))
                none.heatingRatePercent = 1e9;
            QList<DriftFlag> loose;
            bool looseDone = false;
            FlaggedFiring f;
            f.pointIndex = i;
            for (const QString &name : p.flags) {
                const std::optional<HealthFigure> figure = HealthFigureFromName(name);
                if (!figure)
                    continue;
                auto find = [figure](const QList<DriftFlag> &flags) {
                    return std::find_if(flags.cbegin(), flags.cend(), [figure](const DriftFlag &d) {
                        return d.figure == *figure;
                    });
                };
                if (const auto it = find(now); it != now.cend()) {
                    f.flags << *it;
                    continue;
                }
                if (!looseDone) {
                    loose = CheckDrift(p, sameProgram, sameFurnace, none);
                    looseDone = true;
                }
                if (const auto it = find(loose); it != loose.cend())
                    f.flags << *it;
                else
                    f.unexplained << *figure;
            }
            out << f;
        }
        rolling.done(i);
    }
    return out;
}

QStringList ProgramsOf(const QList<HealthPoint> &points)
{
    QStringList programs;
    QSet<QString> seen;
    for (const HealthPoint &p : points)
        if (!seen.contains(p.programKey)) {
            seen.insert(p.programKey);
            programs << p.programKey;
        }
    return programs;
}

QList<HealthPoint> WithLeadIn(QList<HealthPoint> leadIn, const QList<HealthPoint> &points)
{
    std::stable_sort(leadIn.begin(), leadIn.end(), [](const HealthPoint &a, const HealthPoint &b) {
        return a.startedMs != b.startedMs ? a.startedMs < b.startedMs : a.entryId < b.entryId;
    });
    QSet<qint64> seen;
    QList<HealthPoint> out;
    out.reserve(leadIn.size() + points.size());
    for (const HealthPoint &p : std::as_const(leadIn))
        if (!seen.contains(p.entryId)) {
            seen.insert(p.entryId);
            out << p;
        }
    out << points;
    return out;
}
