// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's writer: the spool of a shared logbook. A server that cannot be reached never
// costs a firing: it is written into a SQLite logbook on this computer, and moved on to the
// server once it answers again.

#include "logbook/logbookwriter.h"

#include <QFileInfo>

namespace
{

/// Spooled firings moved on in one go; the rest follow at the next write.
constexpr int DrainBatch = 50;

} // namespace

bool LogbookWriter::spoolReady(bool create)
{
    if (m_spoolOpen)
        return true;
    if (!spooling() || (!create && !QFileInfo::exists(m_settings.spoolFile)))
        return false;
    if (!m_spool.open(m_settings.spoolFile, LogbookDb::Access::ReadWrite) ||
        !m_spool.beginSession(m_session)) {
        qWarning("The firing logbook's spool cannot be written: %s (%s)",
                 qPrintable(m_spool.error()), qPrintable(m_settings.spoolFile));
        m_spool.close();
        return false;
    }
    m_spoolOpen = true;
    // What a console left running in the spool when it died is sealed there as interrupted,
    // and so goes on to the server like any other sealed firing.
    m_spool.recoverInterrupted(m_settings.staleSeconds,
                               QStringLiteral("the console ended during the firing"));
    countWaiting();
    return true;
}

bool LogbookWriter::spoolRecord(const FiringRecord &record)
{
    if (!spoolReady(true))
        return false;
    const QString uid = record.uid();
    EntryProgress &progress = m_spoolProgress[uid];
    if (!m_spool.sync(record, progress)) {
        qWarning("The firing logbook's spool cannot be written: %s (%s)",
                 qPrintable(m_spool.error()), qPrintable(m_settings.spoolFile));
        m_spoolProgress.remove(uid);
        return false;
    }
    if (record.trace().running()) {
        m_spooled.insert(uid);
    } else {
        m_spooled.remove(uid);
        m_spoolProgress.remove(uid);
    }
    countWaiting();
    return true;
}

bool LogbookWriter::spoolPending()
{
    if (!spooling())
        return false;
    while (!m_pending.isEmpty()) {
        if (!spoolRecord(m_pending.constFirst()))
            return false;
        // What the server may hold of it already is read again when it is moved on.
        m_progress.remove(m_pending.constFirst().uid());
        m_pending.removeFirst();
    }
    return true;
}

bool LogbookWriter::drainSpool()
{
    if (!m_spoolOpen || m_waiting == 0)
        return true;
    for (;;) {
        const QList<qint64> ids = m_spool.sealedIds(DrainBatch);
        if (ids.isEmpty())
            break;
        for (const qint64 id : ids) {
            const std::optional<StoredEntry> entry = m_spool.load(id);
            if (!entry) {
                qWarning("A firing in the logbook's spool cannot be read: %s (%s)",
                         qPrintable(m_spool.error()), qPrintable(m_settings.spoolFile));
                return true;
            }
            EntryProgress progress;
            if (!m_db.sync(entry->record, progress)) {
                failed(m_db.error());
                return false;
            }
            // Only once the server holds it is it taken out of the spool: a console that dies
            // in between finds it sealed there next time, and moves nothing twice.
            const bool discarded = m_spool.discardEntry(id);
            if (!discarded)
                qWarning("A firing moved on from the logbook's spool stays in it: %s (%s)",
                         qPrintable(m_spool.error()), qPrintable(m_settings.spoolFile));
            countWaiting();
            emit entrySealed(entry->record.uid(), progress.hash);
            if (!progress.flags.isEmpty())
                emit driftFound(entry->record.uid(), progress.flags);
            if (!discarded || closing)
                return true;
        }
        if (ids.size() < DrainBatch)
            break;
    }
    return true;
}

void LogbookWriter::countWaiting()
{
    const qint64 count = m_spoolOpen ? m_spool.count({}) : 0;
    const int waiting = int(std::max<qint64>(0, count));
    if (waiting == m_waiting)
        return;
    m_waiting = waiting;
    emit waitingChanged(waiting);
}
