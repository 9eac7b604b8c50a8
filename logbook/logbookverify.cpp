// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's connection: the check of the hash chain, link by link from the first.

#include "logbook/logbookdb.h"

#include "logbook/logbookdbtools.h"

#include <QHash>

#include <QSqlQuery>
#include <algorithm>

namespace
{

/// A link of the chain that is no entry: an amendment (with what names its entry) or a check
/// done.
struct SideLink {
    qint64 seq = 0;
    bool isCheck = false;
    qint64 entryId = 0;
    AmendmentContent content;
    CheckContent check;
    QByteArray hash;
    qint64 entryStartedMs = 0;
    QString mass;
    QString layer;
    bool entryMissing = false;
};

/// What an entry's case reference and note must read after all its amendments.
struct Amended {
    std::optional<QString> caseReference;
    std::optional<QString> note;
};

constexpr qint64 ProgressEvery = 256;
/// Entries read at a time.
constexpr int VerifyBatch = 256;

} // namespace

VerifyReport LogbookDb::verify(const std::function<bool(qint64 done, qint64 total)> &progress)
{
    VerifyReport report;
    auto unreadable = [this, &report](const QSqlQuery &q) {
        failed(q);
        report.readable = false;
        report.error = m_error;
        return report;
    };

    QSqlQuery head(db());
    if (!head.exec(QStringLiteral("SELECT seq, hash FROM chain_head WHERE id = 1")))
        return unreadable(head);
    qint64 headSeq = 0;
    QByteArray headHash;
    if (head.next()) {
        headSeq = head.value(0).toLongLong();
        headHash = head.value(1).toByteArray();
    }

    QSqlQuery totals(db());
    if (!totals.exec(QStringLiteral("SELECT (SELECT count(*) FROM entries WHERE chain_seq IS NOT "
                                    "NULL), (SELECT count(*) "
                                    "FROM amendments), (SELECT count(*) FROM entries WHERE "
                                    "chain_seq IS NULL AND outcome "
                                    "= 'running')%1")
                         .arg(m_schema >= 2 ? QStringLiteral(", (SELECT count(*) FROM check_log)")
                                            : QString())) ||
        !totals.next())
        return unreadable(totals);
    const qint64 total = totals.value(0).toLongLong() + totals.value(1).toLongLong() +
                         (m_schema >= 2 ? totals.value(3).toLongLong() : 0);
    report.running = totals.value(2).toLongLong();

    // Amendments are few: all of them first, merged into the entries' order below.
    QList<SideLink> amendments;
    QHash<qint64, Amended> amended;
    QSqlQuery a(db());
    a.setForwardOnly(true);
    if (!a.exec(QStringLiteral(
            "SELECT a.chain_seq, a.entry_id, e.uid, a.at, a.field, a.value, a.operator, a.hash, "
            "e.started_at, e.mass, e.layer FROM amendments a LEFT JOIN entries e ON e.id = "
            "a.entry_id ORDER BY a.chain_seq")))
        return unreadable(a);
    while (a.next()) {
        SideLink link;
        link.seq = a.value(0).toLongLong();
        link.entryMissing = a.value(8).isNull();
        link.entryId = a.value(1).toLongLong();
        link.content = {a.value(2).toString(), a.value(3).toLongLong(), a.value(4).toString(),
                        a.value(5).toString(), a.value(6).toString()};
        link.hash = a.value(7).toByteArray();
        link.entryStartedMs = a.value(8).toLongLong();
        link.mass = a.value(9).toString();
        link.layer = a.value(10).toString();
        Amended &after = amended[link.entryId];
        if (link.content.field == QLatin1String("case"))
            after.caseReference = link.content.value;
        else if (link.content.field == QLatin1String("note"))
            after.note = link.content.value;
        amendments.append(link);
    }
    if (m_schema >= 2) {
        QSqlQuery c(db());
        c.setForwardOnly(true);
        if (!c.exec(QStringLiteral("SELECT chain_seq, furnace_key, kind, at, result, note, "
                                   "operator, hash FROM check_log ORDER BY chain_seq")))
            return unreadable(c);
        while (c.next()) {
            SideLink link;
            link.seq = c.value(0).toLongLong();
            link.isCheck = true;
            link.check = {c.value(1).toString(), c.value(2).toString(), c.value(3).toLongLong(),
                          c.value(4).toString(), c.value(5).toString(), c.value(6).toString()};
            link.hash = c.value(7).toByteArray();
            link.entryStartedMs = link.check.atMs;
            link.mass = link.check.kind;
            amendments.append(link);
        }
        std::sort(amendments.begin(), amendments.end(),
                  [](const SideLink &x, const SideLink &y) { return x.seq < y.seq; });
    }

    auto failAt = [&report](qint64 seq, bool isAmendment, qint64 startedMs, const QString &mass,
                            const QString &layer, const QString &reason) {
        report.failure = VerifyReport::Failure{
            seq, isAmendment, QDateTime::fromMSecsSinceEpoch(startedMs), mass, layer, reason};
        return report;
    };

    // The entries in batches, each read whole before its events are: a connection answers one
    // query at a time (PostgreSQL's streamed rows end when another query is sent).
    struct Row {
        EntryContent content;
        qint64 seq = 0;
        qint64 id = 0;
        QString currentCase;
        QString currentNote;
        QByteArray hash;
    };
    QSqlQuery e(db());
    e.prepare(QStringLiteral("SELECT e.%1, e.id, e.current_case, e.current_note, e.hash, s.data "
                             "FROM entries e LEFT JOIN entry_samples s ON s.entry_id = e.id "
                             "WHERE e.chain_seq > ? ORDER BY e.chain_seq LIMIT %2")
                  .arg(QString::fromLatin1(LogbookSql::ContentColumns)
                           .replace(QStringLiteral(", "), QStringLiteral(", e.")))
                  .arg(VerifyBatch));
    QSqlQuery events(db());
    events.prepare(
        QStringLiteral("SELECT at, kind, detail FROM events WHERE entry_id = ? ORDER BY seq"));
    constexpr int Base = LogbookSql::ChainSeqColumn;
    QList<Row> batch;
    qsizetype inBatch = 0;
    bool lastBatch = false;
    qint64 readUpTo = 0;
    // The next entry of the chain into `row`; false at the end, or (with `readFailed`) when
    // the logbook could not be read.
    const QSqlQuery *readFailed = nullptr;
    auto nextEntry = [&](Row &row) {
        if (inBatch == batch.size()) {
            if (lastBatch)
                return false;
            batch.clear();
            inBatch = 0;
            e.addBindValue(readUpTo);
            if (!e.exec()) {
                readFailed = &e;
                return false;
            }
            while (e.next()) {
                Row r;
                r.content = LogbookSql::ContentOfRow(e);
                r.seq = e.value(Base).toLongLong();
                r.id = e.value(Base + 1).toLongLong();
                r.currentCase = e.value(Base + 2).toString();
                r.currentNote = e.value(Base + 3).toString();
                r.hash = e.value(Base + 4).toByteArray();
                r.content.samples = e.value(Base + 5).toByteArray();
                batch.append(std::move(r));
            }
            e.finish();
            lastBatch = batch.size() < VerifyBatch;
            if (batch.isEmpty())
                return false;
            readUpTo = batch.constLast().seq;
            for (Row &r : batch) {
                events.addBindValue(r.id);
                if (!events.exec()) {
                    readFailed = &events;
                    return false;
                }
                while (events.next())
                    r.content.events.append({events.value(0).toLongLong(),
                                             events.value(1).toString(),
                                             events.value(2).toString()});
            }
        }
        row = std::move(batch[inBatch++]);
        return true;
    };

    qint64 expected = 1;
    QByteArray previous;
    qsizetype nextAmendment = 0;
    Row row;
    bool entryPending = nextEntry(row);
    if (readFailed)
        return unreadable(*readFailed);
    while (entryPending || nextAmendment < amendments.size()) {
        const qint64 entrySeq = entryPending ? row.seq : 0;
        const bool takeAmendment = nextAmendment < amendments.size() &&
                                   (!entryPending || amendments[nextAmendment].seq <= entrySeq);
        if (takeAmendment) {
            const SideLink &link = amendments[nextAmendment++];
            auto failHere = [&](const QString &reason) {
                return failAt(link.seq, true, link.entryStartedMs, link.mass, link.layer, reason);
            };
            if (!link.isCheck && link.entryMissing)
                return failHere(QStringLiteral("the entry it amends was removed"));
            if (link.seq > expected)
                return failHere(QStringLiteral("the link before it is missing"));
            if (link.seq < expected)
                return failHere(QStringLiteral("it was added outside the logbook"));
            const QByteArray hash = link.isCheck
                                        ? LogbookChain::Hash(link.check, link.seq, previous)
                                        : LogbookChain::Hash(link.content, link.seq, previous);
            if (hash != link.hash)
                return failHere(QStringLiteral("its content was changed"));
            previous = link.hash;
            ++(link.isCheck ? report.checksChecked : report.amendmentsChecked);
        } else {
            const EntryContent &content = row.content;
            auto failHere = [&](const QString &reason) {
                return failAt(entrySeq, false, content.startedMs, content.mass, content.layer,
                              reason);
            };
            if (entrySeq > expected)
                return failHere(QStringLiteral("the entry before it is missing"));
            if (entrySeq < expected)
                return failHere(QStringLiteral("it was added outside the logbook"));
            if (LogbookChain::Hash(content, entrySeq, previous) != row.hash)
                return failHere(QStringLiteral("its content was changed"));
            const Amended after = amended.value(row.id);
            if (row.currentCase != after.caseReference.value_or(content.caseReference) ||
                row.currentNote != after.note.value_or(content.note))
                return failHere(QStringLiteral("its case reference or note was changed"));
            previous = row.hash;
            ++report.entriesChecked;
            entryPending = nextEntry(row);
            if (readFailed)
                return unreadable(*readFailed);
        }
        ++expected;
        const qint64 done = expected - 1;
        if (progress && done % ProgressEvery == 0 && !progress(done, total)) {
            report.readable = false;
            report.error = QStringLiteral("the check was stopped");
            return report;
        }
    }
    if (expected - 1 != headSeq || previous != headHash) {
        report.failure = VerifyReport::Failure{
            expected - 1,
            false,
            {},
            {},
            {},
            expected - 1 < headSeq ? QStringLiteral("the last entries of the chain are missing")
                                   : QStringLiteral("the chain's last link does not match")};
        return report;
    }

    // Entries outside the chain are firings under way, nothing else.
    QSqlQuery strays(db());
    if (!strays.exec(QStringLiteral("SELECT started_at, mass, layer FROM entries WHERE chain_seq "
                                    "IS NULL AND outcome <> 'running' ORDER BY started_at")))
        return unreadable(strays);
    if (strays.next())
        return failAt(0, false, strays.value(0).toLongLong(), strays.value(1).toString(),
                      strays.value(2).toString(),
                      QStringLiteral("it was added outside the logbook"));
    if (progress)
        progress(total, total);
    return report;
}
