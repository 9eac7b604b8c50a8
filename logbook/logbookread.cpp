// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's connection: what the history reads.

#include "logbook/logbookdb.h"

#include "logbook/logbookdbtools.h"
#include "logbook/samplecodec.h"

#include <QSqlQuery>

namespace
{

/// The columns of a history row, in the order summaryOf() reads them; a logbook of the first
/// version has no figures.
QString summaryColumns(int schema)
{
    return QStringLiteral(
               "id, uid, started_at, ended_at, port, furnace_model, furnace_version, mass, "
               "layer, outcome, outcome_detail, current_case, current_note, operator, imported, "
               "sample_count, hash, host, ") +
           (schema >= 2 ? QStringLiteral("(SELECT flags FROM entry_figures WHERE entry_id = "
                                         "entries.id)")
                        : QStringLiteral("''"));
}

EntrySummary summaryOf(const QSqlQuery &q, int first = 0)
{
    auto v = [&q, first](int i) { return q.value(first + i); };
    EntrySummary s;
    s.id = v(0).toLongLong();
    s.uid = v(1).toString();
    s.startedAt = QDateTime::fromMSecsSinceEpoch(v(2).toLongLong());
    if (v(3).toLongLong() > 0)
        s.endedAt = QDateTime::fromMSecsSinceEpoch(v(3).toLongLong());
    s.port = v(4).toString();
    s.furnaceModel = v(5).toString();
    s.furnaceVersion = v(6).toString();
    s.mass = v(7).toString();
    s.layer = v(8).toString();
    s.outcome = OutcomeFromName(v(9).toString()).value_or(RunOutcome::Interrupted);
    s.outcomeDetail = v(10).toString();
    s.caseReference = v(11).toString();
    s.note = v(12).toString();
    s.operatorName = v(13).toString();
    s.imported = v(14).toLongLong() != 0;
    s.sampleCount = v(15).toLongLong();
    s.hash = v(16).toByteArray();
    s.host = v(17).toString();
    const QString flags = v(18).toString();
    if (!flags.isEmpty())
        s.healthFlags = flags.split(QLatin1Char(','));
    return s;
}

/// A WHERE clause for `filter` with its values in order.
struct Where {
    QString sql;
    QVariantList values;
};

qint64 startOfDay(const QDate &day)
{
    return QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch();
}

Where whereOf(const HistoryFilter &f)
{
    QStringList terms;
    Where w;
    const QString text = f.text.trimmed().toLower();
    if (!text.isEmpty()) {
        QString pattern = text;
        pattern.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        pattern.replace(QLatin1Char('%'), QStringLiteral("\\%"));
        pattern.replace(QLatin1Char('_'), QStringLiteral("\\_"));
        terms << QStringLiteral("search_text LIKE ? ESCAPE '\\'");
        w.values << QStringLiteral("%") + pattern + QStringLiteral("%");
    }
    if (f.from.isValid()) {
        terms << QStringLiteral("started_at >= ?");
        w.values << startOfDay(f.from);
    }
    if (f.to.isValid()) {
        terms << QStringLiteral("started_at < ?");
        w.values << startOfDay(f.to.addDays(1));
    }
    if (f.outcome) {
        terms << QStringLiteral("outcome = ?");
        w.values << OutcomeName(*f.outcome);
    }
    if (f.imported) {
        terms << QStringLiteral("imported = ?");
        w.values << (*f.imported ? 1 : 0);
    }
    if (!f.port.isEmpty()) {
        terms << QStringLiteral("port = ?");
        w.values << f.port;
    }
    if (!f.furnace.isEmpty()) {
        // The key's parts: FurnaceKey() joins them with '|', which no port or model holds.
        const QStringList parts = f.furnace.split(QLatin1Char('|'));
        terms << QStringLiteral("host = ? AND port = ? AND furnace_model = ?");
        w.values << parts.value(0) << parts.value(1) << parts.value(2);
    }
    if (!terms.isEmpty())
        w.sql = QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
    return w;
}

QString orderOf(const HistorySort &sort)
{
    QStringList keys;
    switch (sort.column) {
    case HistoryColumn::Started:
        break;
    case HistoryColumn::Furnace:
        keys << QStringLiteral("furnace_model") << QStringLiteral("furnace_version")
             << QStringLiteral("port");
        break;
    case HistoryColumn::Mass:
        keys << QStringLiteral("mass");
        break;
    case HistoryColumn::Layer:
        keys << QStringLiteral("layer");
        break;
    case HistoryColumn::Duration:
        keys << QStringLiteral("CASE WHEN ended_at > 0 THEN ended_at - started_at END");
        break;
    case HistoryColumn::Outcome:
        keys << QStringLiteral("outcome");
        break;
    case HistoryColumn::Case:
        keys << QStringLiteral("current_case");
        break;
    case HistoryColumn::Operator:
        keys << QStringLiteral("operator");
        break;
    }
    const QString direction = sort.descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    QStringList order;
    for (const QString &k : keys)
        order << k + direction;
    // Ties, and the Started column itself: by the start, then by the row.
    order << QStringLiteral("started_at") +
                 (sort.column == HistoryColumn::Started ? direction : QStringLiteral(" DESC"));
    order << QStringLiteral("id") +
                 (sort.column == HistoryColumn::Started ? direction : QStringLiteral(" DESC"));
    return QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
}

void bindAll(QSqlQuery &q, const QVariantList &values)
{
    for (const QVariant &v : values)
        q.addBindValue(v);
}

} // namespace

qint64 LogbookDb::count(const HistoryFilter &filter)
{
    m_error.clear();
    const Where w = whereOf(filter);
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT count(*) FROM entries") + w.sql);
    bindAll(q, w.values);
    if (!q.exec() || !q.next()) {
        failed(q);
        return -1;
    }
    return q.value(0).toLongLong();
}

QList<EntrySummary> LogbookDb::page(const HistoryFilter &filter, const HistorySort &sort,
                                    qint64 offset, int limit)
{
    m_error.clear();
    const Where w = whereOf(filter);
    QSqlQuery q(db());
    q.setForwardOnly(true);
    // The page's rows are picked by their ids first: sorting the whole table then carries only
    // the sort keys, not every column of every row (a deep page in an unindexed order).
    const QString order = orderOf(sort);
    q.prepare(QStringLiteral("SELECT %1 FROM entries WHERE id IN (SELECT id FROM entries")
                  .arg(summaryColumns(m_schema)) +
              w.sql + order + QStringLiteral(" LIMIT ? OFFSET ?)") + order);
    bindAll(q, w.values);
    q.addBindValue(limit);
    q.addBindValue(offset);
    QList<EntrySummary> rows;
    if (!q.exec()) {
        failed(q);
        return rows;
    }
    while (q.next())
        rows.append(summaryOf(q));
    return rows;
}

QStringList LogbookDb::ports()
{
    m_error.clear();
    QSqlQuery q(db());
    QStringList ports;
    if (!q.exec(QStringLiteral("SELECT DISTINCT port FROM entries ORDER BY port"))) {
        failed(q);
        return ports;
    }
    while (q.next())
        ports << q.value(0).toString();
    return ports;
}

std::optional<EntryContent> LogbookDb::storedContent(qint64 id, qint64 *chainSeq)
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT %1 FROM entries WHERE id = ?")
                  .arg(QLatin1String(LogbookSql::ContentColumns)));
    q.addBindValue(id);
    if (!q.exec()) {
        failed(q);
        return std::nullopt;
    }
    if (!q.next()) {
        fail(QStringLiteral("the entry is not in the logbook"));
        return std::nullopt;
    }
    EntryContent c = LogbookSql::ContentOfRow(q);
    const bool sealed = !q.value(LogbookSql::ChainSeqColumn).isNull();
    if (chainSeq)
        *chainSeq = sealed ? q.value(LogbookSql::ChainSeqColumn).toLongLong() : 0;

    if (sealed) {
        QSqlQuery s(db());
        s.prepare(QStringLiteral("SELECT data FROM entry_samples WHERE entry_id = ?"));
        s.addBindValue(id);
        if (!s.exec()) {
            failed(s);
            return std::nullopt;
        }
        if (s.next())
            c.samples = s.value(0).toByteArray();
    } else {
        // A firing under way, or one its console left: its chunks in order, as one blob.
        const QDateTime started = QDateTime::fromMSecsSinceEpoch(c.startedMs);
        QSqlQuery s(db());
        s.setForwardOnly(true);
        s.prepare(QStringLiteral(
            "SELECT data FROM sample_chunks WHERE entry_id = ? ORDER BY first_index"));
        s.addBindValue(id);
        if (!s.exec()) {
            failed(s);
            return std::nullopt;
        }
        QList<TraceSample> samples;
        while (s.next()) {
            const std::optional<QList<TraceSample>> chunk =
                SampleCodec::Decode(s.value(0).toByteArray(), started);
            if (!chunk) {
                fail(QStringLiteral("the samples of the firing are damaged"));
                return std::nullopt;
            }
            samples += *chunk;
        }
        c.samples = SampleCodec::Encode(samples, started);
        c.sampleCount = samples.size();
    }

    QSqlQuery e(db());
    e.setForwardOnly(true);
    e.prepare(
        QStringLiteral("SELECT at, kind, detail FROM events WHERE entry_id = ? ORDER BY seq"));
    e.addBindValue(id);
    if (!e.exec()) {
        failed(e);
        return std::nullopt;
    }
    while (e.next())
        c.events.append({e.value(0).toLongLong(), e.value(1).toString(), e.value(2).toString()});
    return c;
}

std::optional<StoredEntry> LogbookDb::load(qint64 id)
{
    m_error.clear();
    qint64 seq = 0;
    const std::optional<EntryContent> content = storedContent(id, &seq);
    if (!content)
        return std::nullopt;
    std::optional<FiringRecord> record = RecordOf(*content);
    if (!record) {
        fail(QStringLiteral("the entry cannot be read: its samples or parameters are damaged"));
        return std::nullopt;
    }
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT %1 FROM entries WHERE id = ?").arg(summaryColumns(m_schema)));
    q.addBindValue(id);
    if (!q.exec() || !q.next()) {
        failed(q);
        return std::nullopt;
    }
    StoredEntry entry;
    entry.summary = summaryOf(q);
    entry.chainSeq = seq;
    entry.caseAtEnd = content->caseReference;
    entry.noteAtEnd = content->note;
    record->setCaseReference(entry.summary.caseReference);
    record->setNote(entry.summary.note);
    entry.record = *record;

    QSqlQuery a(db());
    a.prepare(QStringLiteral("SELECT at, field, value, operator, hash FROM amendments WHERE "
                             "entry_id = ? ORDER BY chain_seq"));
    a.addBindValue(id);
    if (!a.exec()) {
        failed(a);
        return std::nullopt;
    }
    while (a.next())
        entry.amendments.append({QDateTime::fromMSecsSinceEpoch(a.value(0).toLongLong()),
                                 a.value(1).toString(), a.value(2).toString(),
                                 a.value(3).toString(), a.value(4).toByteArray()});
    return entry;
}

std::optional<StoredEntry> LogbookDb::loadByUid(const QString &uid)
{
    m_error.clear();
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT id FROM entries WHERE uid = ?"));
    q.addBindValue(uid);
    if (!q.exec()) {
        failed(q);
        return std::nullopt;
    }
    if (!q.next()) {
        fail(QStringLiteral("the entry is not in the logbook"));
        return std::nullopt;
    }
    return load(q.value(0).toLongLong());
}

QStringList LogbookDb::furnaces()
{
    m_error.clear();
    QSqlQuery q(db());
    QStringList keys;
    if (!q.exec(QStringLiteral("SELECT DISTINCT host, port, furnace_model FROM entries ORDER BY "
                               "host, port, furnace_model"))) {
        failed(q);
        return keys;
    }
    while (q.next())
        keys << FurnaceKey(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
    return keys;
}

QList<qint64> LogbookDb::sealedIds(int limit)
{
    m_error.clear();
    QList<qint64> ids;
    QSqlQuery q(db());
    q.prepare(QStringLiteral(
        "SELECT id FROM entries WHERE chain_seq IS NOT NULL ORDER BY chain_seq LIMIT ?"));
    q.addBindValue(limit);
    if (!q.exec()) {
        failed(q);
        return ids;
    }
    while (q.next())
        ids << q.value(0).toLongLong();
    return ids;
}

bool LogbookDb::discardEntry(qint64 id)
{
    if (!begin())
        return false;
    for (const char *sql :
         {"DELETE FROM amendments WHERE entry_id = ?", "DELETE FROM entries WHERE id = ?"}) {
        QSqlQuery q(db());
        q.prepare(QString::fromLatin1(sql));
        q.addBindValue(id);
        if (!q.exec()) {
            const bool result = failed(q);
            rollback();
            return result;
        }
    }
    return commit();
}
