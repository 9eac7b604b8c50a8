// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/firingrecord.h"

void FiringRecord::start(const FiringFacts &facts, const QDateTime &when)
{
    m_facts = facts;
    m_trace.start(when);
    m_events.clear();
    m_droppedEvents = 0;
    m_linkLost = false;
    append(RecordEventKind::Start, when, {});
}

void FiringRecord::addEvent(RecordEventKind kind, const QDateTime &when, const QString &detail)
{
    if (!m_trace.running())
        return;
    switch (kind) {
    case RecordEventKind::Start:
        return;
    case RecordEventKind::LinkLost:
        if (m_linkLost)
            return;
        m_linkLost = true;
        append(kind, when, {});
        return;
    case RecordEventKind::LinkBack:
        if (!m_linkLost)
            return;
        m_linkLost = false;
        append(kind, when, {});
        return;
    case RecordEventKind::Fault:
        m_trace.finish(RunOutcome::Fault, when, detail);
        break;
    case RecordEventKind::Abort:
        m_trace.finish(RunOutcome::Aborted, when);
        break;
    case RecordEventKind::Finished:
        m_trace.finish(RunOutcome::Finished, when);
        break;
    case RecordEventKind::Interrupted:
        m_trace.finish(RunOutcome::Interrupted, when, detail);
        break;
    }
    // The end is always kept, even past MaxEvents: it says how the firing ended.
    const bool explained = kind == RecordEventKind::Fault || kind == RecordEventKind::Interrupted;
    m_events.append({kind, when, explained ? detail : QString()});
}

void FiringRecord::noteFurnace(const QString &model, quint8 major, quint8 minor)
{
    if (!exists() || !m_facts.furnaceModel.isEmpty() || model.isEmpty())
        return;
    m_facts.furnaceModel = model;
    m_facts.versionMajor = major;
    m_facts.versionMinor = minor;
}

void FiringRecord::append(RecordEventKind kind, const QDateTime &when, const QString &detail)
{
    if (m_events.size() >= MaxEvents) {
        ++m_droppedEvents;
        return;
    }
    m_events.append({kind, when, detail});
}
