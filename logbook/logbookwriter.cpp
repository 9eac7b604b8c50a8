// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbookwriter.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace
{

/// A failed logbook is tried again at the next write, but not more often than this.
constexpr qint64 RetryMs = 5000;

} // namespace

LogbookWriter::LogbookWriter(const LogbookSettings &settings, const LogbookSession &session)
    : m_settings(settings)
    , m_session(session)
{
}

LogbookWriter::~LogbookWriter() = default;

void LogbookWriter::start()
{
    m_heartbeat = new QTimer(this);
    m_heartbeat->setInterval(std::max(1, m_settings.staleSeconds / 4) * 1000);
    connect(m_heartbeat, &QTimer::timeout, this, &LogbookWriter::housekeeping);
    m_heartbeat->start();
    m_retry = new QTimer(this);
    m_retry->setSingleShot(true);
    m_retry->setInterval(int(RetryMs));
    connect(m_retry, &QTimer::timeout, this, &LogbookWriter::flush);
    emit stateChanged(Logbook::State::Opening, {});
    // Firings left waiting by an earlier run are counted (and moved on once the server answers).
    if (spooling())
        spoolReady(false);
    ready();
}

bool LogbookWriter::ready()
{
    if (m_open)
        return true;
    if (m_stopped)
        return false;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_lastAttemptMs != 0 && now - m_lastAttemptMs < RetryMs)
        return false;
    if (m_lastAttemptMs != 0 && closing)
        return false;
    m_lastAttemptMs = now;
    m_db.setMaxPageCount(m_settings.maxPageCount);
    if (!m_db.open(m_settings.file, LogbookDb::Access::ReadWrite) ||
        !m_db.beginSession(m_session)) {
        failed(m_db.error());
        m_db.close();
        return false;
    }
    m_open = true;
    m_problem.clear();
    // What a console that died left running is interrupted; it is sealed before anything new.
    const int recovered = m_db.recoverInterrupted(
        m_settings.staleSeconds, QStringLiteral("the console ended during the firing"));
    emit stateChanged(Logbook::State::On, {});
    if (recovered > 0)
        emit this->recovered(recovered);
    // Firings a console left in the spool (this one before, or one that ended while the server
    // was away) go on now.
    if (spooling() && spoolReady(false) && !drainSpool())
        return false;
    measureMissing(2000);
    return true;
}

void LogbookWriter::measureMissing(qint64 budgetMs)
{
    QElapsedTimer spent;
    spent.start();
    while (m_open && spent.elapsed() < budgetMs && !closing) {
        const int measured = m_db.measureMissingFigures(50);
        if (measured <= 0)
            return;
    }
}

void LogbookWriter::failed(const QString &problem)
{
    if (m_open) {
        m_db.close();
        m_open = false;
        m_lastAttemptMs = QDateTime::currentMSecsSinceEpoch();
        // A failed write leaves what is known of each firing unsure: read it again next time.
        for (EntryProgress &p : m_progress)
            if (!p.sealed)
                p = EntryProgress{};
    }
    if (problem != m_problem) {
        m_problem = problem;
        emit stateChanged(Logbook::State::Failed, problem);
    }
}

void LogbookWriter::sync(const FiringRecord &record)
{
    // The latest record of a firing holds all earlier ones.
    const auto same = [&record](const FiringRecord &r) { return r.uid() == record.uid(); };
    const auto it = std::find_if(m_pending.begin(), m_pending.end(), same);
    if (it != m_pending.end())
        *it = record;
    else
        m_pending.append(record);
    flush();
}

void LogbookWriter::amend(const QString &uid, const QString &field, const QString &value,
                          const QString &operatorName, const QDateTime &at)
{
    m_pendingAmendments.append({uid, field, value, operatorName, at});
    flush();
}

void LogbookWriter::flush()
{
    if (m_pending.isEmpty() && m_pendingAmendments.isEmpty() && m_waiting <= 0)
        return;
    if (!ready() || !drainSpool()) {
        spoolPending();
        // What waits is written as soon as the logbook can be tried again, not only at the
        // next firing's write.
        if (m_retry && !closing)
            m_retry->start();
        return;
    }
    while (!m_pending.isEmpty()) {
        const FiringRecord &record = m_pending.constFirst();
        const QString uid = record.uid();
        if (m_spooled.contains(uid)) {
            if (!spoolRecord(record))
                return;
            m_pending.removeFirst();
            continue;
        }
        const bool ended = !record.trace().running();
        EntryProgress &progress = m_progress[uid];
        if (!m_db.sync(record, progress)) {
            failed(m_db.error());
            spoolPending();
            if (m_retry && !closing)
                m_retry->start();
            return;
        }
        const QByteArray hash = progress.hash;
        const QList<DriftFlag> flags = progress.flags;
        if (ended)
            m_progress.remove(uid);
        m_pending.removeFirst();
        if (ended) {
            emit entrySealed(uid, hash);
            if (!flags.isEmpty())
                emit driftFound(uid, flags);
        }
    }
    while (!m_pendingAmendments.isEmpty()) {
        const PendingAmendment &a = m_pendingAmendments.constFirst();
        QByteArray hash;
        if (m_db.amend(a.uid, a.field, a.value, a.operatorName, a.at, &hash)) {
            emit amended(a.uid, a.field, hash);
        } else if (!m_db.heartbeat()) {
            // The logbook itself failed (a server gone): the amendment waits for it.
            failed(m_db.error());
            if (m_retry && !closing)
                m_retry->start();
            return;
        } else {
            // Refused for what it is (the firing is not in the logbook, or not yet: still in
            // the spool): not tried again.
            emit entryFailed(a.uid, m_db.error());
        }
        m_pendingAmendments.removeFirst();
    }
}

void LogbookWriter::importRecord(const FiringRecord &record)
{
    flush();
    if (!ready()) {
        emit entryFailed(record.uid(), m_problem);
        return;
    }
    QByteArray hash;
    if (m_db.importRecord(record, &hash))
        emit imported(record.uid(), hash);
    else
        emit entryFailed(record.uid(), m_db.error());
}

void LogbookWriter::evaluateChecks(const QString &furnaceKey)
{
    flush();
    if (!ready())
        return;
    QList<CheckStatus> statuses;
    QList<CheckUsage> usages;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const CheckSetting &setting : m_db.checks(furnaceKey)) {
        const std::optional<CheckUsage> usage = m_db.checkUsage(setting, now);
        if (!usage)
            continue;
        statuses << EvaluateCheck(setting, *usage);
        usages << *usage;
    }
    emit checksEvaluated(furnaceKey, statuses, usages);
}

void LogbookWriter::mark(quint64 ticket)
{
    emit marked(ticket);
}

void LogbookWriter::housekeeping()
{
    flush();
    if (m_spoolOpen)
        m_spool.heartbeat();
    if (!m_open)
        return;
    if (!m_db.heartbeat()) {
        failed(m_db.error());
        return;
    }
    const int recovered = m_db.recoverInterrupted(
        m_settings.staleSeconds, QStringLiteral("the console ended during the firing"));
    if (recovered > 0)
        emit this->recovered(recovered);
    measureMissing(1000);
}

void LogbookWriter::stop()
{
    if (m_heartbeat)
        m_heartbeat->stop();
    if (m_retry)
        m_retry->stop();
    flush();
    // Firings still running stay in the logbook as they were last written; the next console
    // seals them as interrupted. Ended ones that could not be written are lost: say so.
    for (const FiringRecord &record : std::as_const(m_pending))
        if (!record.trace().running())
            emit entryFailed(record.uid(), m_problem);
    m_pending.clear();
    if (m_open)
        m_db.endSession();
    m_db.close();
    if (m_spoolOpen)
        m_spool.endSession();
    m_spool.close();
    m_spoolOpen = false;
    m_open = false;
    m_stopped = true;
}
