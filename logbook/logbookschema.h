// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

/// The database systems a logbook is kept in.
enum class SqlDialect { SQLite, PostgreSQL };

/// The logbook's schema, one definition for every dialect: the migrations from an empty database
/// up to the current version, and the few statements that differ between the dialects.
namespace LogbookSchema
{

/// The schema this code writes.
inline constexpr int CurrentVersion = 3;

/// The statements that bring a logbook of version `to - 1` to version `to` (1 .. CurrentVersion),
/// in `dialect`. Version 1 makes the whole logbook.
QStringList Migration(int to, SqlDialect dialect);

/// The dialect of a logbook's location: PostgreSQL for "postgresql://..." (or "postgres://"),
/// SQLite for a file.
SqlDialect DialectOf(const QString &location);

/// Where a PostgreSQL logbook is: "postgresql://user@host:port/dbname", the host may instead be
/// given as "?host=/path/of/the/socket/folder".
struct ServerAddress {
    QString user;
    QString host;
    int port = 0; ///< 0: the default
    QString database;
};
/// The address in `url`; nothing (with the reason in `error`) when it is no such address, or
/// when it holds a password (passwords belong in PGPASSFILE or ~/.pgpass, not on a command line
/// others can read).
std::optional<ServerAddress> ServerAddressOf(const QString &url, QString *error);

/// The schema's version as the database keeps it: SQLite's user_version, a one-row table in
/// PostgreSQL (VersionTableExists() says whether it is there yet).
QString ReadVersion(SqlDialect dialect);
QString VersionTableExists();
QStringList WriteVersion(SqlDialect dialect, int version);
/// How many tables the database holds (an empty one becomes a logbook, no other).
QString CountTables(SqlDialect dialect);
/// Taken inside the migration's transaction, so that two consoles never migrate at once.
QStringList MigrationLock(SqlDialect dialect);

/// Begins a transaction that writes (SQLite takes the write lock at once, so that two consoles
/// never read the same chain head).
QString BeginWrite(SqlDialect dialect);
/// Reads the chain's head (seq, hash) and, where the dialect needs it, locks it until commit.
QString ReadChainHead(SqlDialect dialect);

} // namespace LogbookSchema
