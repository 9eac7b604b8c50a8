// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

/// The database systems a logbook is kept in.
enum class SqlDialect { SQLite, PostgreSQL };

/// The logbook's schema, one definition for every dialect: the migrations from an empty database
/// up to the current version, and the few statements that differ between the dialects.
namespace LogbookSchema
{

/// The schema this code writes.
inline constexpr int CurrentVersion = 2;

/// The statements that bring a logbook of version `to - 1` to version `to` (1 .. CurrentVersion),
/// in `dialect`. Version 1 makes the whole logbook.
QStringList Migration(int to, SqlDialect dialect);

/// Begins a transaction that writes (SQLite takes the write lock at once, so that two consoles
/// never read the same chain head).
QString BeginWrite(SqlDialect dialect);
/// Reads the chain's head (seq, hash) and, where the dialect needs it, locks it until commit.
QString ReadChainHead(SqlDialect dialect);

} // namespace LogbookSchema
