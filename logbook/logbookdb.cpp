// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's connection: opening, the schema's migrations, the consoles' sessions and
// everything that writes. Reading is in logbookread.cpp, the chain's check in logbookverify.cpp.

#include "logbook/logbookdb.h"

#include "logbook/logbookdbtools.h"
#include "logbook/samplecodec.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUuid>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/types.h>

#include <cerrno>
#include <csignal>
#endif

namespace
{

/// Whether process `pid` of this computer still runs.
bool processAlive(qint64 pid)
{
#ifdef Q_OS_UNIX
    if (pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true; // the heartbeat decides
#endif
}

} // namespace

LogbookDb::LogbookDb()
    : m_connection(QStringLiteral("zkv-logbook-") + QUuid::createUuid().toString(QUuid::Id128))
{
}

LogbookDb::~LogbookDb()
{
    close();
}

QSqlDatabase LogbookDb::db() const
{
    return QSqlDatabase::database(m_connection, false);
}

QSqlDatabase LogbookDb::database() const
{
    return db();
}

bool LogbookDb::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && db().isOpen();
}

bool LogbookDb::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool LogbookDb::failed(const QSqlQuery &query)
{
    return fail(LogbookSql::Reason(query.lastError()));
}

bool LogbookDb::exec(const QString &sql)
{
    QSqlQuery q(db());
    return q.exec(sql) || failed(q);
}

bool LogbookDb::begin()
{
    return exec(LogbookSchema::BeginWrite(m_dialect));
}

bool LogbookDb::commit()
{
    if (exec(QStringLiteral("COMMIT")))
        return true;
    const QString reason = m_error;
    rollback();
    return fail(reason);
}

void LogbookDb::rollback()
{
    QSqlQuery q(db());
    q.exec(QStringLiteral("ROLLBACK"));
}

bool LogbookDb::open(const QString &location, Access access)
{
    close();
    m_file = location;
    m_access = access;
    m_error.clear();
    m_dialect = LogbookSchema::DialectOf(location);
    if (!(m_dialect == SqlDialect::SQLite ? openSqlite(location, access)
                                          : openPostgres(location, access)))
        return false;

    const int version = schemaVersion();
    if (version < 0)
        return false;
    if (version > LogbookSchema::CurrentVersion)
        return fail(QStringLiteral("it was written by a newer console (logbook version %1; this "
                                   "console reads up to %2)")
                        .arg(version)
                        .arg(LogbookSchema::CurrentVersion));
    if (version < LogbookSchema::CurrentVersion) {
        if (access == Access::ReadOnly) {
            // An older logbook is read as it is: what it does not hold yet reads as empty.
            if (version == 0)
                return fail(QStringLiteral("this is not a logbook of the console"));
            m_schema = version;
            return true;
        }
        if (version == 0) {
            // Only an empty database becomes a logbook, never some other program's database.
            QSqlQuery tables(db());
            if (!tables.exec(LogbookSchema::CountTables(m_dialect)) || !tables.next())
                return failed(tables);
            const qint64 count = tables.value(0).toLongLong();
            tables.finish();
            if (count > 0)
                return fail(QStringLiteral("this is not a logbook of the console"));
        }
        if (!migrate())
            return false;
    }
    m_schema = LogbookSchema::CurrentVersion;
    return true;
}

bool LogbookDb::openSqlite(const QString &file, Access access)
{
    const QFileInfo info(file);
    if (access == Access::ReadOnly && !info.exists())
        return fail(QStringLiteral("there is no logbook at this place"));
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("this is not a file"));
    if (access == Access::ReadWrite && !QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("its folder cannot be created"));

    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!database.isValid())
        return fail(QStringLiteral("Qt's SQLite driver is missing (package libqt6sql6-sqlite)"));
    database.setDatabaseName(file);
    // A logbook locked by another console: wait a little, never long (this may be the thread
    // a firing is written from).
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=1500");
    if (access == Access::ReadOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    database.setConnectOptions(options);
    if (!database.open())
        return fail(LogbookSql::Reason(database.lastError()));

    // SQLite opens lazily: a file that is no database says so at the first read.
    {
        QSqlQuery probe(database);
        if (!probe.exec(LogbookSchema::CountTables(m_dialect)))
            return failed(probe);
    }
    if (access == Access::ReadWrite) {
        // The write-ahead log lets the history read while a firing is written; FULL makes
        // every commit survive a power loss.
        QSqlQuery wal(database);
        if (!wal.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !wal.next())
            return failed(wal);
        const QString mode = wal.value(0).toString();
        wal.finish();
        if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            return fail(QStringLiteral("the write-ahead log cannot be turned on"));
        if (!exec(QStringLiteral("PRAGMA synchronous=FULL")))
            return false;
        if (m_maxPageCount > 0 &&
            !exec(QStringLiteral("PRAGMA max_page_count=%1").arg(m_maxPageCount)))
            return false;
    }
    return exec(QStringLiteral("PRAGMA foreign_keys=ON"));
}

bool LogbookDb::openPostgres(const QString &url, Access access)
{
    const std::optional<LogbookSchema::ServerAddress> address =
        LogbookSchema::ServerAddressOf(url, &m_error);
    if (!address)
        return false;
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    if (!database.isValid())
        return fail(QStringLiteral("Qt's PostgreSQL driver is missing (package libqt6sql6-psql)"));
    database.setHostName(address->host);
    if (address->port > 0)
        database.setPort(address->port);
    database.setUserName(address->user);
    database.setDatabaseName(address->database);
    // The password comes from PGPASSFILE or ~/.pgpass, as libpq finds it; a server that does
    // not answer is given up after a few seconds, never waited for.
    database.setConnectOptions(QStringLiteral("connect_timeout=5"));
    if (!database.open())
        return fail(LogbookSql::Reason(database.lastError()));
    // A chain head another console holds is waited for a little, never for ever.
    if (!exec(QStringLiteral("SET lock_timeout = '5s'")) ||
        !exec(QStringLiteral("SET statement_timeout = '60s'")))
        return false;
    if (access == Access::ReadOnly &&
        !exec(QStringLiteral("SET default_transaction_read_only = on")))
        return false;
    return true;
}

void LogbookDb::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase database = QSqlDatabase::database(m_connection, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

int LogbookDb::schemaVersion() const
{
    auto *self = const_cast<LogbookDb *>(this);
    QSqlQuery q(db());
    if (m_dialect == SqlDialect::PostgreSQL) {
        // No version table yet: a database that holds no logbook.
        if (!q.exec(LogbookSchema::VersionTableExists()) || !q.next()) {
            self->failed(q);
            return -1;
        }
        if (q.value(0).toLongLong() == 0)
            return 0;
    }
    if (!q.exec(LogbookSchema::ReadVersion(m_dialect)) || !q.next()) {
        self->failed(q);
        return -1;
    }
    return q.value(0).toInt();
}

bool LogbookDb::migrate()
{
    if (!begin())
        return false;
    // Two consoles that open a new logbook at once: one migrates, the other waits for it and
    // then finds it done (read again inside the lock).
    for (const QString &lock : LogbookSchema::MigrationLock(m_dialect)) {
        if (!exec(lock)) {
            rollback();
            return false;
        }
    }
    const int from = schemaVersion();
    if (from < 0) {
        rollback();
        return false;
    }
    for (int to = from + 1; to <= LogbookSchema::CurrentVersion; ++to) {
        QStringList statements = LogbookSchema::Migration(to, m_dialect);
        statements << LogbookSchema::WriteVersion(m_dialect, to);
        for (const QString &statement : std::as_const(statements)) {
            if (!exec(statement)) {
                const QString reason = m_error;
                rollback();
                return fail(
                    QStringLiteral("its layout cannot be brought up to date (%1)").arg(reason));
            }
        }
    }
    return commit();
}

// --- sessions ------------------------------------------------------------------------------

bool LogbookDb::beginSession(const LogbookSession &session)
{
    QSqlQuery q(db());
    // Opened again after a failure, the session is there already: it lives on.
    q.prepare(QStringLiteral("INSERT INTO sessions (uid, host, pid, started_at, heartbeat_at) "
                             "VALUES (?, ?, ?, ?, ?) ON CONFLICT (uid) DO UPDATE SET "
                             "heartbeat_at = excluded.heartbeat_at"));
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    q.addBindValue(session.uid);
    q.addBindValue(LogbookSql::Text(session.host));
    q.addBindValue(session.pid);
    q.addBindValue(now);
    q.addBindValue(now);
    if (!q.exec())
        return failed(q);
    m_sessionUid = session.uid;
    return true;
}

bool LogbookDb::heartbeat()
{
    if (m_sessionUid.isEmpty())
        return true;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("UPDATE sessions SET heartbeat_at = ? WHERE uid = ?"));
    q.addBindValue(QDateTime::currentMSecsSinceEpoch());
    q.addBindValue(m_sessionUid);
    return q.exec() || failed(q);
}

bool LogbookDb::endSession()
{
    if (m_sessionUid.isEmpty())
        return true;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("DELETE FROM sessions WHERE uid = ?"));
    q.addBindValue(m_sessionUid);
    m_sessionUid.clear();
    return q.exec() || failed(q);
}

int LogbookDb::recoverInterrupted(qint64 staleSeconds, const QString &reason)
{
    const QString host = QSysInfo::machineHostName();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QList<qint64> orphans;
    {
        QSqlQuery q(db());
        if (!q.exec(QStringLiteral(
                "SELECT e.id, e.session_uid, s.host, s.pid, s.heartbeat_at FROM entries e "
                "LEFT JOIN sessions s ON s.uid = e.session_uid WHERE e.chain_seq IS NULL"))) {
            failed(q);
            return -1;
        }
        while (q.next()) {
            const QString session = q.value(1).toString();
            if (!session.isEmpty() && session == m_sessionUid)
                continue;
            const bool known = !q.value(2).isNull();
            const bool here = known && q.value(2).toString() == host;
            const bool dead = !known || (here && !processAlive(q.value(3).toLongLong())) ||
                              now - q.value(4).toLongLong() > staleSeconds * 1000;
            if (dead)
                orphans.append(q.value(0).toLongLong());
        }
    }
    int sealed = 0;
    for (const qint64 id : orphans) {
        if (!begin())
            return -1;
        qint64 seq = 0;
        std::optional<EntryContent> content = storedContent(id, &seq);
        if (!content || seq != 0) {
            // Sealed meanwhile by another console, or unreadable: left as it is.
            rollback();
            continue;
        }
        // It ended when the last thing written about it happened.
        qint64 end = content->startedMs;
        const std::optional<QList<TraceSample>> samples = SampleCodec::Decode(
            content->samples, QDateTime::fromMSecsSinceEpoch(content->startedMs));
        if (samples && !samples->isEmpty())
            end = std::max(end, samples->constLast().WallClock.toMSecsSinceEpoch());
        for (const StoredEvent &e : content->events)
            end = std::max(end, e.atMs);
        content->endedMs = end;
        content->outcome = OutcomeName(RunOutcome::Interrupted);
        content->outcomeDetail = reason;
        content->events.append({end, EventKindName(RecordEventKind::Interrupted), reason});
        const std::optional<FiringRecord> record = RecordOf(*content);
        if (!sealEntry(id, *content, nullptr) ||
            (record && !storeFigures(id, *record, false, nullptr)) || !commit()) {
            rollback();
            return -1;
        }
        ++sealed;
    }
    // Sessions that are gone leave nothing behind.
    QSqlQuery cleanup(db());
    cleanup.prepare(QStringLiteral("DELETE FROM sessions WHERE heartbeat_at < ? AND uid <> ?"));
    cleanup.addBindValue(now - staleSeconds * 1000);
    cleanup.addBindValue(m_sessionUid);
    cleanup.exec();
    return sealed;
}

// --- entries -------------------------------------------------------------------------------

qint64 LogbookDb::insertEntry(const EntryContent &c, const QString &sessionUid)
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral(
        "INSERT INTO entries (uid, session_uid, started_at, outcome, mass, layer, params, port, "
        "host, "
        "furnace_model, furnace_version, console, operator, case_ref, note, current_case, "
        "current_note, search_text, imported) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?) RETURNING id"));
    q.addBindValue(c.uid);
    q.addBindValue(sessionUid.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : sessionUid);
    q.addBindValue(c.startedMs);
    q.addBindValue(OutcomeName(RunOutcome::Running));
    for (const QString &text : {c.mass, c.layer})
        q.addBindValue(LogbookSql::Text(text));
    q.addBindValue(c.params);
    for (const QString &text : {c.port, c.host, c.furnaceModel, c.furnaceVersion, c.console,
                                c.operatorName, c.caseReference, c.note, c.caseReference, c.note})
        q.addBindValue(LogbookSql::Text(text));
    q.addBindValue(LogbookSql::SearchText(c.mass, c.layer, c.caseReference, c.note));
    q.addBindValue(c.imported ? 1 : 0);
    if (!q.exec() || !q.next()) {
        failed(q);
        return 0;
    }
    return q.value(0).toLongLong();
}

bool LogbookDb::chainHead(qint64 &seq, QByteArray &hash)
{
    QSqlQuery q(db());
    if (!q.exec(LogbookSchema::ReadChainHead(m_dialect)))
        return failed(q);
    if (!q.next())
        return fail(QStringLiteral("the chain's head is missing"));
    seq = q.value(0).toLongLong();
    hash = q.value(1).toByteArray();
    return true;
}

bool LogbookDb::moveChainHead(qint64 seq, const QByteArray &hash)
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("UPDATE chain_head SET seq = ?, hash = ? WHERE id = 1"));
    q.addBindValue(seq);
    q.addBindValue(hash);
    return q.exec() || failed(q);
}

bool LogbookDb::sealEntry(qint64 id, const EntryContent &c, QByteArray *hashOut)
{
    qint64 seq = 0;
    QByteArray previous;
    if (!chainHead(seq, previous))
        return false;
    ++seq;
    const QByteArray hash = LogbookChain::Hash(c, seq, previous);

    QSqlQuery q(db());
    q.prepare(QStringLiteral(
        "UPDATE entries SET session_uid = NULL, started_at = ?, ended_at = ?, outcome = ?, "
        "outcome_detail = ?, mass = ?, layer = ?, params = ?, port = ?, host = ?, furnace_model = "
        "?, "
        "furnace_version = ?, console = ?, operator = ?, case_ref = ?, note = ?, imported = ?, "
        "sample_count = ?, dropped_samples = ?, dropped_events = ?, current_case = ?, "
        "current_note = ?, search_text = ?, chain_seq = ?, hash = ? WHERE id = ?"));
    q.addBindValue(c.startedMs);
    q.addBindValue(c.endedMs);
    q.addBindValue(c.outcome);
    for (const QString &text : {c.outcomeDetail, c.mass, c.layer})
        q.addBindValue(LogbookSql::Text(text));
    q.addBindValue(c.params);
    for (const QString &text : {c.port, c.host, c.furnaceModel, c.furnaceVersion, c.console,
                                c.operatorName, c.caseReference, c.note})
        q.addBindValue(LogbookSql::Text(text));
    q.addBindValue(c.imported ? 1 : 0);
    q.addBindValue(c.sampleCount);
    q.addBindValue(c.droppedSamples);
    q.addBindValue(c.droppedEvents);
    q.addBindValue(LogbookSql::Text(c.caseReference));
    q.addBindValue(LogbookSql::Text(c.note));
    q.addBindValue(LogbookSql::SearchText(c.mass, c.layer, c.caseReference, c.note));
    q.addBindValue(seq);
    q.addBindValue(hash);
    q.addBindValue(id);
    if (!q.exec())
        return failed(q);

    // The samples in one blob, the events exactly as hashed.
    for (const QString &sql : {QStringLiteral("DELETE FROM sample_chunks WHERE entry_id = ?"),
                               QStringLiteral("DELETE FROM entry_samples WHERE entry_id = ?"),
                               QStringLiteral("DELETE FROM events WHERE entry_id = ?")}) {
        QSqlQuery d(db());
        d.prepare(sql);
        d.addBindValue(id);
        if (!d.exec())
            return failed(d);
    }
    QSqlQuery s(db());
    s.prepare(QStringLiteral("INSERT INTO entry_samples (entry_id, data) VALUES (?, ?)"));
    s.addBindValue(id);
    s.addBindValue(c.samples);
    if (!s.exec())
        return failed(s);
    QSqlQuery e(db());
    e.prepare(QStringLiteral(
        "INSERT INTO events (entry_id, seq, at, kind, detail) VALUES (?, ?, ?, ?, ?)"));
    for (qsizetype i = 0; i < c.events.size(); ++i) {
        e.addBindValue(id);
        e.addBindValue(qint64(i));
        e.addBindValue(c.events[i].atMs);
        e.addBindValue(c.events[i].kind);
        e.addBindValue(LogbookSql::Text(c.events[i].detail));
        if (!e.exec())
            return failed(e);
    }
    if (!moveChainHead(seq, hash))
        return false;
    if (hashOut)
        *hashOut = hash;
    return true;
}

bool LogbookDb::sync(const FiringRecord &record, EntryProgress &progress)
{
    if (progress.sealed)
        return true;
    const FiringTrace &trace = record.trace();
    if (progress.id == 0) {
        // A fresh start, or a logbook that failed and is back: what is there already?
        QSqlQuery q(db());
        q.prepare(QStringLiteral("SELECT id, chain_seq, hash, case_ref, note FROM entries "
                                 "WHERE uid = ?"));
        q.addBindValue(record.uid());
        if (!q.exec())
            return failed(q);
        if (q.next()) {
            progress.id = q.value(0).toLongLong();
            progress.sealed = !q.value(1).isNull();
            progress.hash = q.value(2).toByteArray();
            progress.caseReference = q.value(3).toString();
            progress.note = q.value(4).toString();
            if (progress.sealed)
                return true;
            QSqlQuery stored(db());
            stored.prepare(QStringLiteral(
                "SELECT (SELECT coalesce(sum(sample_count), 0) FROM sample_chunks WHERE "
                "entry_id = ?), (SELECT count(*) FROM events WHERE entry_id = ?)"));
            stored.addBindValue(progress.id);
            stored.addBindValue(progress.id);
            if (!stored.exec() || !stored.next())
                return failed(stored);
            progress.samplesStored = qsizetype(stored.value(0).toLongLong());
            progress.eventsStored = qsizetype(stored.value(1).toLongLong());
        }
    }

    if (!begin())
        return false;
    auto abandon = [this] {
        const QString reason = m_error;
        rollback();
        return fail(reason);
    };
    EntryProgress next = progress;
    if (next.id == 0) {
        EntryContent head = ContentOf(record);
        head.samples.clear();
        next.id = insertEntry(head, m_sessionUid);
        if (next.id == 0)
            return abandon();
        next.caseReference = record.caseReference();
        next.note = record.note();
    }
    if (trace.running()) {
        const QList<TraceSample> &samples = trace.samples();
        if (samples.size() > next.samplesStored) {
            const QList<TraceSample> fresh = samples.mid(next.samplesStored);
            QSqlQuery c(db());
            c.prepare(QStringLiteral("INSERT INTO sample_chunks (entry_id, first_index, "
                                     "sample_count, data) VALUES (?, ?, ?, ?)"));
            c.addBindValue(next.id);
            c.addBindValue(qint64(next.samplesStored));
            c.addBindValue(qint64(fresh.size()));
            c.addBindValue(SampleCodec::Encode(fresh, trace.startedAt()));
            if (!c.exec()) {
                failed(c);
                return abandon();
            }
            next.samplesStored = samples.size();
        }
        const QList<RecordEvent> &events = record.events();
        QSqlQuery e(db());
        e.prepare(QStringLiteral(
            "INSERT INTO events (entry_id, seq, at, kind, detail) VALUES (?, ?, ?, ?, ?)"));
        for (qsizetype i = next.eventsStored; i < events.size(); ++i) {
            e.addBindValue(next.id);
            e.addBindValue(qint64(i));
            e.addBindValue(events[i].when.toMSecsSinceEpoch());
            e.addBindValue(EventKindName(events[i].kind));
            e.addBindValue(LogbookSql::Text(events[i].detail));
            if (!e.exec()) {
                failed(e);
                return abandon();
            }
        }
        next.eventsStored = events.size();
        if (record.caseReference() != next.caseReference || record.note() != next.note) {
            QSqlQuery u(db());
            u.prepare(QStringLiteral("UPDATE entries SET case_ref = ?, note = ?, current_case = "
                                     "?, current_note = ?, search_text = ?, furnace_model = ?, "
                                     "furnace_version = ? WHERE id = ?"));
            const EntryContent now = ContentOf(record);
            for (const QString &text : {now.caseReference, now.note, now.caseReference, now.note})
                u.addBindValue(LogbookSql::Text(text));
            u.addBindValue(
                LogbookSql::SearchText(now.mass, now.layer, now.caseReference, now.note));
            u.addBindValue(LogbookSql::Text(now.furnaceModel));
            u.addBindValue(LogbookSql::Text(now.furnaceVersion));
            u.addBindValue(next.id);
            if (!u.exec()) {
                failed(u);
                return abandon();
            }
            next.caseReference = record.caseReference();
            next.note = record.note();
        }
    } else {
        // The end: the whole record, sealed, with its figures and what drifted.
        if (!sealEntry(next.id, ContentOf(record), &next.hash) ||
            !storeFigures(next.id, record, true, &next.flags))
            return abandon();
        next.sealed = true;
        next.samplesStored = trace.samples().size();
        next.eventsStored = record.events().size();
    }
    if (!heartbeat() || !commit())
        return false;
    progress = next;
    return true;
}

bool LogbookDb::amend(const QString &uid, const QString &field, const QString &value,
                      const QString &operatorName, const QDateTime &at, QByteArray *hashOut)
{
    if (field != QLatin1String("case") && field != QLatin1String("note"))
        return fail(QStringLiteral("only the case reference and the note can be amended"));
    if (!begin())
        return false;
    auto abandon = [this] {
        const QString reason = m_error;
        rollback();
        return fail(reason);
    };
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT id, chain_seq, mass, layer, current_case, current_note "
                             "FROM entries WHERE uid = ?"));
    q.addBindValue(uid);
    if (!q.exec()) {
        failed(q);
        return abandon();
    }
    if (!q.next()) {
        fail(QStringLiteral("the firing is not in the logbook"));
        return abandon();
    }
    if (q.value(1).isNull()) {
        fail(QStringLiteral("the firing has not ended yet"));
        return abandon();
    }
    const qint64 id = q.value(0).toLongLong();
    const QString mass = q.value(2).toString();
    const QString layer = q.value(3).toString();
    QString caseReference = q.value(4).toString();
    QString note = q.value(5).toString();

    qint64 seq = 0;
    QByteArray previous;
    if (!chainHead(seq, previous))
        return abandon();
    ++seq;
    const AmendmentContent a{uid, at.toMSecsSinceEpoch(), field, value, operatorName};
    const QByteArray hash = LogbookChain::Hash(a, seq, previous);
    QSqlQuery i(db());
    i.prepare(QStringLiteral("INSERT INTO amendments (entry_id, at, field, value, operator, "
                             "chain_seq, hash) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    i.addBindValue(id);
    i.addBindValue(a.atMs);
    i.addBindValue(field);
    i.addBindValue(LogbookSql::Text(value));
    i.addBindValue(LogbookSql::Text(operatorName));
    i.addBindValue(seq);
    i.addBindValue(hash);
    if (!i.exec()) {
        failed(i);
        return abandon();
    }
    (field == QLatin1String("case") ? caseReference : note) = value;
    QSqlQuery u(db());
    u.prepare(QStringLiteral(
        "UPDATE entries SET current_case = ?, current_note = ?, search_text = ? WHERE id = ?"));
    u.addBindValue(LogbookSql::Text(caseReference));
    u.addBindValue(LogbookSql::Text(note));
    u.addBindValue(LogbookSql::SearchText(mass, layer, caseReference, note));
    u.addBindValue(id);
    if (!u.exec()) {
        failed(u);
        return abandon();
    }
    if (!moveChainHead(seq, hash) || !commit())
        return abandon();
    if (hashOut)
        *hashOut = hash;
    return true;
}

bool LogbookDb::importRecord(const FiringRecord &record, QByteArray *hashOut)
{
    if (record.trace().running())
        return fail(QStringLiteral("the record is of a firing that had not ended"));
    if (!begin())
        return false;
    auto abandon = [this] {
        const QString reason = m_error;
        rollback();
        return fail(reason);
    };
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT count(*) FROM entries WHERE uid = ?"));
    q.addBindValue(record.uid());
    if (!q.exec() || !q.next()) {
        failed(q);
        return abandon();
    }
    if (q.value(0).toLongLong() > 0) {
        fail(QStringLiteral("this firing is in the logbook already"));
        return abandon();
    }
    const EntryContent content = ContentOf(record, true);
    const qint64 id = insertEntry(content, QString());
    if (id == 0 || !sealEntry(id, content, hashOut) || !storeFigures(id, record, false, nullptr) ||
        !commit())
        return abandon();
    return true;
}
