// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbookschema.h"

#include <QUrl>
#include <QUrlQuery>

namespace
{

/// Version 1, with the dialect's words in place of %ID% (a row number the database assigns),
/// %BLOB% and %EMPTYBLOB%. Times are milliseconds since 1970 (UTC). An entry is written while
/// its firing runs (chain_seq and hash empty, the samples in chunks) and sealed at its end: the
/// samples in one blob, its link in the hash chain.
const char *const Version1[] = {
    "CREATE TABLE sessions ("
    " uid TEXT PRIMARY KEY, host TEXT NOT NULL, pid BIGINT NOT NULL,"
    " started_at BIGINT NOT NULL, heartbeat_at BIGINT NOT NULL)",

    "CREATE TABLE entries ("
    " id %ID%,"
    " uid TEXT NOT NULL UNIQUE,"
    " session_uid TEXT,"
    " started_at BIGINT NOT NULL,"
    " ended_at BIGINT NOT NULL DEFAULT 0,"
    " outcome TEXT NOT NULL,"
    " outcome_detail TEXT NOT NULL DEFAULT '',"
    " mass TEXT NOT NULL,"
    " layer TEXT NOT NULL,"
    " params %BLOB% NOT NULL,"
    " port TEXT NOT NULL,"
    " host TEXT NOT NULL DEFAULT '',"
    " furnace_model TEXT NOT NULL,"
    " furnace_version TEXT NOT NULL,"
    " console TEXT NOT NULL,"
    " operator TEXT NOT NULL,"
    " case_ref TEXT NOT NULL DEFAULT '',"
    " note TEXT NOT NULL DEFAULT '',"
    " imported INTEGER NOT NULL DEFAULT 0,"
    " sample_count BIGINT NOT NULL DEFAULT 0,"
    " dropped_samples BIGINT NOT NULL DEFAULT 0,"
    " dropped_events BIGINT NOT NULL DEFAULT 0,"
    // What the history shows and searches after amendments; not part of the hash.
    " current_case TEXT NOT NULL DEFAULT '',"
    " current_note TEXT NOT NULL DEFAULT '',"
    " search_text TEXT NOT NULL DEFAULT '',"
    " chain_seq BIGINT UNIQUE,"
    " hash %BLOB%)",

    // The history's order, and its text search without reading the rows: the covering index
    // holds what both need.
    "CREATE INDEX entries_started ON entries (started_at, id, search_text)",
    "CREATE INDEX entries_open ON entries (session_uid)",

    "CREATE TABLE entry_samples ("
    " entry_id BIGINT PRIMARY KEY REFERENCES entries (id) ON DELETE CASCADE,"
    " data %BLOB% NOT NULL)",

    "CREATE TABLE sample_chunks ("
    " entry_id BIGINT NOT NULL REFERENCES entries (id) ON DELETE CASCADE,"
    " first_index BIGINT NOT NULL,"
    " sample_count BIGINT NOT NULL,"
    " data %BLOB% NOT NULL,"
    " PRIMARY KEY (entry_id, first_index))",

    "CREATE TABLE events ("
    " entry_id BIGINT NOT NULL REFERENCES entries (id) ON DELETE CASCADE,"
    " seq BIGINT NOT NULL,"
    " at BIGINT NOT NULL,"
    " kind TEXT NOT NULL,"
    " detail TEXT NOT NULL DEFAULT '',"
    " PRIMARY KEY (entry_id, seq))",

    "CREATE TABLE amendments ("
    " id %ID%,"
    " entry_id BIGINT NOT NULL REFERENCES entries (id),"
    " at BIGINT NOT NULL,"
    " field TEXT NOT NULL,"
    " value TEXT NOT NULL,"
    " operator TEXT NOT NULL,"
    " chain_seq BIGINT NOT NULL UNIQUE,"
    " hash %BLOB% NOT NULL)",

    "CREATE INDEX amendments_entry ON amendments (entry_id)",

    // The chain's last link: what every append reads and moves on, in one transaction.
    "CREATE TABLE chain_head ("
    " id INTEGER PRIMARY KEY CHECK (id = 1),"
    " seq BIGINT NOT NULL,"
    " hash %BLOB% NOT NULL)",
    "INSERT INTO chain_head (id, seq, hash) VALUES (1, 0, %EMPTYBLOB%)",
};

/// Version 2: the furnace's health. The figures of each sealed firing (derived from its samples,
/// so outside the hash chain: they can always be measured again), the tolerances the laboratory
/// set, the checks it makes at intervals, and the log of checks done, which is part of the chain.
const char *const Version2[] = {
    "CREATE TABLE entry_figures ("
    " entry_id BIGINT PRIMARY KEY REFERENCES entries (id) ON DELETE CASCADE,"
    " furnace_key TEXT NOT NULL,"
    " program_key TEXT NOT NULL,"
    " started_at BIGINT NOT NULL,"
    " normal INTEGER NOT NULL,"
    " heat_temp INTEGER NOT NULL,"
    " band_low INTEGER NOT NULL,"
    " band_high INTEGER NOT NULL,"
    " heating_rate DOUBLE PRECISION,"
    " heating_rate_planned DOUBLE PRECISION,"
    " reach_seconds DOUBLE PRECISION,"
    " band_rate DOUBLE PRECISION,"
    " hold_deviation DOUBLE PRECISION,"
    " hold_overshoot INTEGER,"
    " vacuum_seconds DOUBLE PRECISION,"
    " vacuum_level INTEGER,"
    " vacuum_to_max_seconds DOUBLE PRECISION,"
    " cooling_seconds DOUBLE PRECISION,"
    " vacuum_on_seconds DOUBLE PRECISION NOT NULL,"
    " heater_on_seconds DOUBLE PRECISION NOT NULL,"
    " heater_work_time BIGINT,"
    " flags TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX entry_figures_furnace ON entry_figures (furnace_key, started_at)",
    "CREATE INDEX entry_figures_program ON entry_figures (furnace_key, program_key, started_at)",

    "CREATE TABLE health_settings (name TEXT PRIMARY KEY, value TEXT NOT NULL)",

    "CREATE TABLE checks ("
    " id %ID%,"
    " furnace_key TEXT NOT NULL,"
    " kind TEXT NOT NULL,"
    " interval_days INTEGER NOT NULL DEFAULT 0,"
    " interval_firings INTEGER NOT NULL DEFAULT 0,"
    " interval_hours DOUBLE PRECISION NOT NULL DEFAULT 0,"
    " since_at BIGINT NOT NULL,"
    " UNIQUE (furnace_key, kind))",

    "CREATE TABLE check_log ("
    " id %ID%,"
    " furnace_key TEXT NOT NULL,"
    " kind TEXT NOT NULL,"
    " at BIGINT NOT NULL,"
    " result TEXT NOT NULL,"
    " note TEXT NOT NULL,"
    " operator TEXT NOT NULL,"
    " chain_seq BIGINT NOT NULL UNIQUE,"
    " hash %BLOB% NOT NULL)",
};

/// Version 3: the history's furnace filter lists the logbook's furnaces from an index, not from
/// every row (a shared logbook holds the laboratory's).
const char *const Version3[] = {
    "CREATE INDEX entries_furnace ON entries (host, port, furnace_model)",
};

QString inDialect(const char *statement, SqlDialect dialect)
{
    QString s = QString::fromLatin1(statement);
    const bool pg = dialect == SqlDialect::PostgreSQL;
    s.replace(QStringLiteral("%ID%"), pg ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY "
                                                          "PRIMARY KEY")
                                         : QStringLiteral("INTEGER PRIMARY KEY"));
    s.replace(QStringLiteral("%BLOB%"), pg ? QStringLiteral("BYTEA") : QStringLiteral("BLOB"));
    s.replace(QStringLiteral("%EMPTYBLOB%"),
              pg ? QStringLiteral("'\\x'::bytea") : QStringLiteral("x''"));
    return s;
}

} // namespace

namespace LogbookSchema
{

QStringList Migration(int to, SqlDialect dialect)
{
    QStringList statements;
    if (to == 1) {
        for (const char *s : Version1)
            statements << inDialect(s, dialect);
        // Where SQLite keeps the version in the file's header, PostgreSQL keeps it in a table.
        if (dialect == SqlDialect::PostgreSQL)
            statements << QStringLiteral("CREATE TABLE logbook_version (version INTEGER NOT NULL)");
    }
    if (to == 2)
        for (const char *s : Version2)
            statements << inDialect(s, dialect);
    if (to == 3)
        for (const char *s : Version3)
            statements << inDialect(s, dialect);
    return statements;
}

QString BeginWrite(SqlDialect dialect)
{
    return dialect == SqlDialect::SQLite ? QStringLiteral("BEGIN IMMEDIATE")
                                         : QStringLiteral("BEGIN");
}

QString ReadChainHead(SqlDialect dialect)
{
    return dialect == SqlDialect::SQLite
               ? QStringLiteral("SELECT seq, hash FROM chain_head WHERE id = 1")
               : QStringLiteral("SELECT seq, hash FROM chain_head WHERE id = 1 FOR UPDATE");
}

} // namespace LogbookSchema

namespace LogbookSchema
{

SqlDialect DialectOf(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://")) ||
                   location.startsWith(QLatin1String("postgres://"))
               ? SqlDialect::PostgreSQL
               : SqlDialect::SQLite;
}

std::optional<ServerAddress> ServerAddressOf(const QString &url, QString *error)
{
    const QUrl u(url, QUrl::StrictMode);
    auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!u.isValid() ||
        (u.scheme() != QLatin1String("postgresql") && u.scheme() != QLatin1String("postgres")))
        return refuse(QStringLiteral("this is no PostgreSQL address "
                                     "(postgresql://user@host:port/database)"));
    if (!u.password().isEmpty())
        return refuse(QStringLiteral("the address holds a password: give it in PGPASSFILE or "
                                     "~/.pgpass instead, where others cannot read it"));
    ServerAddress a;
    a.user = u.userName();
    a.host = u.host();
    a.port = u.port(0);
    a.database = u.path().mid(1);
    const QUrlQuery query(u);
    if (query.hasQueryItem(QStringLiteral("host")))
        a.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("port")))
        a.port = query.queryItemValue(QStringLiteral("port")).toInt();
    if (a.database.isEmpty() || a.database.contains(QLatin1Char('/')))
        return refuse(QStringLiteral("the address names no database"));
    return a;
}

QString ReadVersion(SqlDialect dialect)
{
    return dialect == SqlDialect::SQLite ? QStringLiteral("PRAGMA user_version")
                                         : QStringLiteral("SELECT version FROM logbook_version");
}

QString VersionTableExists()
{
    return QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = "
                          "current_schema() AND table_name = 'logbook_version'");
}

QStringList WriteVersion(SqlDialect dialect, int version)
{
    if (dialect == SqlDialect::SQLite)
        return {QStringLiteral("PRAGMA user_version=%1").arg(version)};
    return {QStringLiteral("DELETE FROM logbook_version"),
            QStringLiteral("INSERT INTO logbook_version (version) VALUES (%1)").arg(version)};
}

QString CountTables(SqlDialect dialect)
{
    return dialect == SqlDialect::SQLite
               ? QStringLiteral("SELECT count(*) FROM sqlite_master")
               : QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE "
                                "table_schema = current_schema()");
}

QStringList MigrationLock(SqlDialect dialect)
{
    // SQLite's BEGIN IMMEDIATE holds the lock already.
    if (dialect == SqlDialect::SQLite)
        return {};
    return {QStringLiteral("SELECT pg_advisory_xact_lock(7746001)")};
}

} // namespace LogbookSchema
