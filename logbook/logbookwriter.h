// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/logbook.h"
#include "logbook/logbookdb.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

#include <atomic>

class QTimer;

/// The logbook's writer: lives on the logbook's own thread and does every database write there,
/// so that a slow disk or a logbook locked by another console never holds up a window. It opens
/// the logbook on first use and again after a failure (at most every few seconds), so that a
/// firing written while the logbook was off is written whole once it is back.
class LogbookWriter : public QObject
{
    Q_OBJECT
public:
    LogbookWriter(const LogbookSettings &settings, const LogbookSession &session);
    ~LogbookWriter() override;

    /// Calls from the owning Logbook, queued onto the writer's thread.
    void start();
    void sync(const FiringRecord &record);
    void amend(const QString &uid, const QString &field, const QString &value,
               const QString &operatorName, const QDateTime &at);
    void importRecord(const FiringRecord &record);
    void evaluateChecks(const QString &furnaceKey);
    void mark(quint64 ticket);
    /// Ends the session and closes the connection; nothing is retried after it.
    void stop();
    /// Set from any thread while the owner closes: failed writes are not retried.
    std::atomic<bool> closing{false};

signals:
    void stateChanged(Logbook::State state, const QString &problem);
    void entrySealed(const QString &uid, const QByteArray &hash);
    void driftFound(const QString &uid, const QList<DriftFlag> &flags);
    void checksEvaluated(const QString &furnaceKey, const QList<CheckStatus> &statuses,
                         const QList<CheckUsage> &usages);
    void entryFailed(const QString &uid, const QString &problem);
    void amended(const QString &uid, const QString &field, const QByteArray &hash);
    void recovered(int count);
    void imported(const QString &uid, const QByteArray &hash);
    void marked(quint64 ticket);
    void waitingChanged(int count);

private:
    struct PendingAmendment {
        QString uid;
        QString field;
        QString value;
        QString operatorName;
        QDateTime at;
    };

    /// The logbook is open, or could be opened now.
    bool ready();
    void failed(const QString &problem);
    /// Firings sealed before the logbook kept figures get them, for at most `budgetMs`.
    void measureMissing(qint64 budgetMs);
    /// Writes what waits, in the order it came; stops at the first failure.
    void flush();
    void housekeeping();

    // The spool of a shared logbook (logbookspool.cpp): while the server cannot be reached,
    // firings are written into a SQLite file on this computer; once it answers again they are
    // moved on in the order they were sealed, each exactly once (the server knows a firing by
    // its uid), and a firing that went into the spool stays there until it is sealed.
    bool spooling() const { return !m_settings.spoolFile.isEmpty(); }
    /// The spool is open (opened now if needed); `create`: made when missing.
    bool spoolReady(bool create);
    /// Writes the pending firings into the spool; false when the spool cannot take them either.
    bool spoolPending();
    /// Writes `record` into the spool; false with the reason sent on when it cannot.
    bool spoolRecord(const FiringRecord &record);
    /// Moves the spool's sealed firings into the open logbook; false when that failed.
    bool drainSpool();
    void countWaiting();

    LogbookSettings m_settings;
    LogbookSession m_session;
    LogbookDb m_db;
    bool m_open = false;
    bool m_stopped = false;
    QString m_problem;
    qint64 m_lastAttemptMs = 0;
    QHash<QString, EntryProgress> m_progress;
    /// Firings not written as they stand yet (the latest record of each), in the order they came.
    QList<FiringRecord> m_pending;
    QList<PendingAmendment> m_pendingAmendments;
    QTimer *m_heartbeat = nullptr;
    /// Tries again what waits for a failed logbook, RetryMs after the failure.
    QTimer *m_retry = nullptr;

    LogbookDb m_spool;
    bool m_spoolOpen = false;
    QHash<QString, EntryProgress> m_spoolProgress;
    /// Firings written into the spool that are still running: they go on into it.
    QSet<QString> m_spooled;
    int m_waiting = -1;
};
