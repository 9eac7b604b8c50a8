// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/firingtrace.h"

#include <algorithm>
#include <cmath>

void FiringTrace::start(const QDateTime &wallClock)
{
    m_samples.clear();
    m_startedAt = wallClock;
    m_endedAt = QDateTime();
    m_endDetail.clear();
    m_outcome = RunOutcome::Running;
    m_dropped = 0;
    m_plannedStart = -1;
    m_hasRun = true;
}

void FiringTrace::add(const TraceSample &sample)
{
    if (!running() || !std::isfinite(sample.Seconds) || sample.Seconds < 0)
        return;
    if (!m_samples.isEmpty() && sample.Seconds < m_samples.constLast().Seconds)
        return;
    if (m_samples.size() >= MaxSamples) {
        ++m_dropped;
        return;
    }
    m_samples.append(sample);
    // The stage text mostly repeats: share the previous sample's copy.
    if (m_samples.size() > 1) {
        TraceSample &added = m_samples.last();
        const TraceSample &before = m_samples[m_samples.size() - 2];
        if (added.StageText == before.StageText)
            added.StageText = before.StageText;
    }
    if (m_plannedStart < 0 && sample.CurrentZone >= FirstPlannedZone)
        m_plannedStart = m_samples.size() - 1;
}

void FiringTrace::finish(RunOutcome outcome, const QDateTime &when, const QString &detail)
{
    if (!running() || outcome == RunOutcome::Running)
        return;
    m_outcome = outcome;
    m_endedAt = when;
    m_endDetail =
        outcome == RunOutcome::Fault || outcome == RunOutcome::Interrupted ? detail : QString();
}

FiringTrace FiringTrace::restored(const QDateTime &startedAt, const QList<TraceSample> &samples,
                                  qsizetype dropped, RunOutcome outcome, const QDateTime &endedAt,
                                  const QString &detail)
{
    FiringTrace trace;
    trace.start(startedAt);
    trace.m_samples.reserve(samples.size());
    for (const TraceSample &s : samples)
        trace.add(s);
    trace.m_dropped += std::max<qsizetype>(0, dropped);
    trace.finish(outcome, endedAt, detail);
    return trace;
}
