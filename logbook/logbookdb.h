// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/furnacehealth.h"
#include "logbook/historyquery.h"
#include "logbook/logbookschema.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

class QSqlQuery;

/// Who writes into a logbook: one console process. Firings it leaves running when it dies are
/// found by the next console that opens the logbook and sealed as interrupted.
struct LogbookSession {
    QString uid;  ///< made when the console opens the logbook
    QString host; ///< the computer's name
    qint64 pid = 0;
};

/// How far a running firing's entry has been written.
struct EntryProgress {
    qint64 id = 0; ///< the entry's row; 0 before it exists
    qsizetype samplesStored = 0;
    qsizetype eventsStored = 0;
    QString caseReference;
    QString note;
    bool sealed = false;
    QByteArray hash; ///< once sealed
    /// The figures that left the furnace's baseline at the seal.
    QList<DriftFlag> flags;
};

/// One connection to a firing logbook: a SQLite file through Qt SQL. Opens (creating the file
/// and its folder when allowed), brings the schema to the current version, writes entries and
/// amendments, reads the history and checks the hash chain. Not thread-safe: use it on the
/// thread that opened it (Qt SQL's rule); give every thread its own.
class LogbookDb
{
public:
    enum class Access { ReadWrite, ReadOnly };

    LogbookDb();
    ~LogbookDb();
    LogbookDb(const LogbookDb &) = delete;
    LogbookDb &operator=(const LogbookDb &) = delete;

    /// Opens the logbook at `location`: a SQLite file, or a PostgreSQL database
    /// ("postgresql://user@host:port/dbname", the password from PGPASSFILE or ~/.pgpass, never
    /// in the address). ReadWrite creates a missing file (and its folder), turns on SQLite's
    /// write-ahead log and brings an older schema up to date; ReadOnly opens only a logbook that
    /// is there and does not change it. False with error() when it cannot.
    bool open(const QString &location, Access access);
    SqlDialect dialect() const { return m_dialect; }
    void close();
    bool isOpen() const;
    /// The reason of the last failure, in plain words, naming nothing but the cause; the reading
    /// calls clear it, so that an empty answer with no error is an empty answer.
    QString error() const { return m_error; }
    QString file() const { return m_file; }
    /// The schema version of the open logbook (PRAGMA user_version); a logbook with a newer one
    /// than LogbookSchema::CurrentVersion is refused.
    int schemaVersion() const;

    /// Test hook: SQLite may grow the file to this many pages only (a full disk); 0 for no limit.
    void setMaxPageCount(qint64 pages) { m_maxPageCount = pages; }

    // --- writing (ReadWrite) -------------------------------------------------------------
    /// Registers this console; its heartbeat keeps its running firings its own.
    bool beginSession(const LogbookSession &session);
    bool heartbeat();
    /// The console closes the logbook: its session ends.
    bool endSession();
    /// Seals as interrupted every running entry whose console is gone (a process of this host
    /// that no longer runs, or no heartbeat for `staleSeconds`), with the samples and events it
    /// had stored. The number sealed; -1 on failure.
    int recoverInterrupted(qint64 staleSeconds, const QString &reason);

    /// Writes what the stored entry of `record` lacks: its row at first, then the samples and
    /// events added since `progress`, the case reference and note; when the record has ended,
    /// seals it (one transaction: the whole samples in one blob, the hash appended to the
    /// chain). `progress` is updated; a fresh one is completed from the database.
    bool sync(const FiringRecord &record, EntryProgress &progress);
    /// Appends an amendment of `field` ("case" or "note") to the sealed entry `uid`; its hash
    /// in `hash`.
    bool amend(const QString &uid, const QString &field, const QString &value,
               const QString &operatorName, const QDateTime &at, QByteArray *hash = nullptr);
    /// Appends an entry made from a firing-record file of an earlier console (marked imported;
    /// its hash starts here). False when an entry with its uid is there already.
    bool importRecord(const FiringRecord &record, QByteArray *hash = nullptr);

    // --- reading ---------------------------------------------------------------------------
    /// Number of entries the filter lets through; -1 on failure.
    qint64 count(const HistoryFilter &filter);
    /// `limit` rows from `offset` in the order of `sort` (ties: newest first).
    QList<EntrySummary> page(const HistoryFilter &filter, const HistorySort &sort, qint64 offset,
                             int limit);
    /// The entry `id` whole; nothing when it is not there or cannot be read (error() says).
    std::optional<StoredEntry> load(qint64 id);
    std::optional<StoredEntry> loadByUid(const QString &uid);
    /// The ports entries were fired on, sorted.
    QStringList ports();
    /// The furnaces entries were fired on (FurnaceKey: computer, port, model), sorted.
    QStringList furnaces();
    /// The sealed entries, in the order they were sealed, at most `limit`.
    QList<qint64> sealedIds(int limit);
    /// Removes entry `id` with everything it holds. Only for a spool, whose entries are moved on
    /// into the logbook they wait for: in a logbook the chain's check names the gap.
    bool discardEntry(qint64 id);

    // --- the furnace's health (logbookhealth.cpp) --------------------------------------------
    /// The furnaces the logbook holds figures of.
    QStringList healthFurnaces();
    /// The figures of `furnaceKey`'s firings started in [fromMs, toMs), oldest first.
    QList<HealthPoint> healthPoints(const QString &furnaceKey, qint64 fromMs, qint64 toMs);
    /// The normal firings of `furnaceKey` (of `programKey`, or of any program when it is empty)
    /// started before `beforeMs`, newest first, at most `limit`: what a baseline is made of.
    QList<HealthPoint> healthHistory(const QString &furnaceKey, const QString &programKey,
                                     qint64 beforeMs, int limit = BaselineFirings);
    /// Sealed entries without figures (written before the logbook kept them) get them, `batch`
    /// at a time; how many got them, -1 on failure.
    int measureMissingFigures(int batch);
    HealthTolerances tolerances();
    bool setTolerances(const HealthTolerances &tolerances);
    /// What drifted in entry `id` as it was flagged at its seal, with the figures measured
    /// again against the firings before it; empty when nothing was.
    QList<DriftFlag> driftOf(qint64 id);
    /// The checks set for `furnaceKey` (all furnaces' when empty).
    QList<CheckSetting> checks(const QString &furnaceKey = {});
    /// Sets up a check, or changes its intervals (`setting.id` 0: a new one; its id is set).
    bool saveCheck(CheckSetting &setting);
    bool removeCheck(qint64 id);
    /// What the furnace did since the check was last done, up to `nowMs`.
    std::optional<CheckUsage> checkUsage(const CheckSetting &setting, qint64 nowMs);
    /// A check done: appended to the chain; its interval starts again.
    bool checkDone(qint64 checkId, const QString &result, const QString &note,
                   const QString &operatorName, const QDateTime &at, QByteArray *hash = nullptr);
    /// The checks done on `furnaceKey`, newest first.
    QList<CheckContent> checkLog(const QString &furnaceKey);

    /// Checks the whole chain from its first link. `progress(done, total)` is called now and
    /// then; returning false stops the check (the report then says so in `error`).
    VerifyReport verify(const std::function<bool(qint64 done, qint64 total)> &progress = {});

    /// The connection, for the code that shares this logbook's schema (tests, benchmarks).
    QSqlDatabase database() const;
    /// Stores the figures of a sealed entry (also what a benchmark's synthetic logbook is made
    /// with); inside a write transaction.
    bool storeHealthPoint(const HealthPoint &point);

private:
    QSqlDatabase db() const;
    bool fail(const QString &reason);
    bool failed(const QSqlQuery &query);
    bool exec(const QString &sql);
    bool begin();
    bool commit();
    void rollback();
    bool migrate();
    bool openSqlite(const QString &file, Access access);
    bool openPostgres(const QString &url, Access access);
    /// Inserts the row of a firing that runs (or of one imported whole); its id.
    qint64 insertEntry(const EntryContent &content, const QString &sessionUid);
    /// Seals entry `id` with `content` and appends its link; inside a write transaction.
    bool sealEntry(qint64 id, const EntryContent &content, QByteArray *hash);
    /// Measures and stores the figures of the sealed entry `id` holding `record`, and, unless
    /// `judge` is false, flags what drifted against the firings before it; inside a write
    /// transaction.
    bool storeFigures(qint64 id, const FiringRecord &record, bool judge, QList<DriftFlag> *flags);
    /// What entry `id` holds as stored (for a running one: its chunks and events so far).
    std::optional<EntryContent> storedContent(qint64 id, qint64 *chainSeq = nullptr);
    /// Reads the chain's head inside a write transaction.
    bool chainHead(qint64 &seq, QByteArray &hash);
    bool moveChainHead(qint64 seq, const QByteArray &hash);

    SqlDialect m_dialect = SqlDialect::SQLite;
    int m_schema = 0;
    QString m_connection;
    QString m_file;
    QString m_error;
    QString m_sessionUid;
    Access m_access = Access::ReadOnly;
    qint64 m_maxPageCount = 0;
};
