// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/firingrecord.h"

#include <QUuid>

#include <algorithm>

void FiringRecord::start(const FiringFacts &facts, const QDateTime &when)
{
    m_uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_facts = facts;
    m_caseReference.clear();
    m_note.clear();
    m_heaterWorkTime.reset();
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

FiringRecord FiringRecord::restored(const QString &uid, const FiringFacts &facts,
                                    const FiringTrace &trace, const QList<RecordEvent> &events,
                                    qsizetype droppedEvents, const QString &caseReference,
                                    const QString &note)
{
    FiringRecord record;
    record.m_uid = uid;
    record.m_facts = facts;
    record.m_trace = trace;
    // As a running record keeps them: MaxEvents at most, and always the one that ended it.
    record.m_events = events.mid(0, MaxEvents);
    const auto ends = [](RecordEventKind k) {
        return k == RecordEventKind::Fault || k == RecordEventKind::Abort ||
               k == RecordEventKind::Finished || k == RecordEventKind::Interrupted;
    };
    if (events.size() > MaxEvents && ends(events.constLast().kind))
        record.m_events.append(events.constLast());
    record.m_droppedEvents =
        std::max<qsizetype>(0, droppedEvents) + events.size() - record.m_events.size();
    record.m_caseReference = caseReference;
    record.m_note = note;
    if (!trace.running()) {
        // An ended firing is not silent any more; a running one is as its last event says.
        record.m_linkLost = false;
    } else {
        for (const RecordEvent &e : record.m_events)
            if (e.kind == RecordEventKind::LinkLost || e.kind == RecordEventKind::LinkBack)
                record.m_linkLost = e.kind == RecordEventKind::LinkLost;
    }
    return record;
}
