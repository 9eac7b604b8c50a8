// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/entrycontent.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

/// Small pieces the logbook's SQL code shares.
namespace LogbookSql
{

/// A failure in plain words: the database's own message ("database is locked", "database or disk
/// is full", "file is not a database"), else Qt's.
inline QString Reason(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    // A server's reasons come on several lines, some with an empty detail "()": one line.
    text = text.simplified();
    if (text.endsWith(QLatin1String("()")))
        text = text.chopped(2).trimmed();
    if (text.isEmpty())
        text = QStringLiteral("the database did not say why");
    return text;
}

/// A text bound as a value, never as NULL (an empty text is still a text).
inline QVariant Text(const QString &text)
{
    return text.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(text);
}

/// What the history's text filter searches: mass, layer, case reference and note in lower case.
inline QString SearchText(const QString &mass, const QString &layer, const QString &caseReference,
                          const QString &note)
{
    return (mass + QLatin1Char('\n') + layer + QLatin1Char('\n') + caseReference +
            QLatin1Char('\n') + note)
        .toLower();
}

/// The columns of an entry's stored content (without its samples and events), in the order
/// ContentOfRow reads them; its chain position is column ChainSeqColumn.
inline constexpr const char *ContentColumns =
    "uid, started_at, ended_at, outcome, outcome_detail, mass, layer, params, port, "
    "furnace_model, furnace_version, console, operator, case_ref, note, imported, sample_count, "
    "dropped_samples, dropped_events, host, chain_seq";
inline constexpr int ChainSeqColumn = 20;

/// An entry's content from a row of ContentColumns starting at column `first`.
inline EntryContent ContentOfRow(const QSqlQuery &q, int first = 0)
{
    auto v = [&q, first](int i) { return q.value(first + i); };
    EntryContent c;
    c.uid = v(0).toString();
    c.startedMs = v(1).toLongLong();
    c.endedMs = v(2).toLongLong();
    c.outcome = v(3).toString();
    c.outcomeDetail = v(4).toString();
    c.mass = v(5).toString();
    c.layer = v(6).toString();
    c.params = v(7).toByteArray();
    c.port = v(8).toString();
    c.furnaceModel = v(9).toString();
    c.furnaceVersion = v(10).toString();
    c.console = v(11).toString();
    c.operatorName = v(12).toString();
    c.caseReference = v(13).toString();
    c.note = v(14).toString();
    c.imported = v(15).toLongLong() != 0;
    c.sampleCount = v(16).toLongLong();
    c.droppedSamples = v(17).toLongLong();
    c.droppedEvents = v(18).toLongLong();
    c.host = v(19).toString();
    return c;
}

} // namespace LogbookSql
