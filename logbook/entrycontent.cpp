// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/entrycontent.h"

#include "logbook/samplecodec.h"

#include <QCryptographicHash>
#include <QStringList>

#include <utility>

namespace
{

constexpr std::pair<RunOutcome, const char *> OutcomeNames[] = {
    {RunOutcome::Running, "running"},         {RunOutcome::Finished, "finished"},
    {RunOutcome::Aborted, "aborted"},         {RunOutcome::Fault, "fault"},
    {RunOutcome::Interrupted, "interrupted"},
};

constexpr std::pair<RecordEventKind, const char *> EventNames[] = {
    {RecordEventKind::Start, "start"},
    {RecordEventKind::LinkLost, "link-lost"},
    {RecordEventKind::LinkBack, "link-back"},
    {RecordEventKind::Fault, "fault"},
    {RecordEventKind::Abort, "abort"},
    {RecordEventKind::Finished, "finished"},
    {RecordEventKind::Interrupted, "interrupted"},
};

qint64 msOf(const QDateTime &t)
{
    return t.isValid() ? t.toMSecsSinceEpoch() : 0;
}

/// The canonical encoding's pieces.
class Canon
{
public:
    explicit Canon(const char *tag) { text(QString::fromLatin1(tag)); }
    void integer(qint64 v)
    {
        char b[8];
        for (int i = 0; i < 8; ++i)
            b[i] = char(quint64(v) >> (8 * i));
        m_out.append(b, 8);
    }
    void bytes(const QByteArray &b)
    {
        integer(b.size());
        m_out.append(b);
    }
    void text(const QString &t) { bytes(t.toUtf8()); }
    QByteArray result() const { return m_out; }

private:
    QByteArray m_out;
};

} // namespace

QString OutcomeName(RunOutcome outcome)
{
    for (const auto &[value, name] : OutcomeNames)
        if (value == outcome)
            return QString::fromLatin1(name);
    return {};
}

std::optional<RunOutcome> OutcomeFromName(const QString &name)
{
    for (const auto &[value, n] : OutcomeNames)
        if (name == QLatin1String(n))
            return value;
    return std::nullopt;
}

QString EventKindName(RecordEventKind kind)
{
    for (const auto &[value, name] : EventNames)
        if (value == kind)
            return QString::fromLatin1(name);
    return {};
}

std::optional<RecordEventKind> EventKindFromName(const QString &name)
{
    for (const auto &[value, n] : EventNames)
        if (name == QLatin1String(n))
            return value;
    return std::nullopt;
}

EntryContent ContentOf(const FiringRecord &record, bool imported)
{
    const FiringFacts &f = record.facts();
    const FiringTrace &trace = record.trace();
    EntryContent c;
    c.uid = record.uid();
    c.startedMs = msOf(trace.startedAt());
    c.endedMs = msOf(trace.endedAt());
    c.outcome = OutcomeName(trace.outcome());
    c.outcomeDetail = trace.endDetail();
    c.mass = f.massName;
    c.layer = f.layerName;
    const ProgParam::Payload payload = f.record.toPayload();
    c.params =
        QByteArray(reinterpret_cast<const char *>(payload.data()), qsizetype(payload.size()));
    c.port = f.port;
    c.host = f.host;
    c.furnaceModel = f.furnaceModel;
    if (!f.furnaceModel.isEmpty())
        c.furnaceVersion = QStringLiteral("%1.%2")
                               .arg(f.versionMajor)
                               .arg(f.versionMinor, 2, 10, QLatin1Char('0'));
    c.console = f.console;
    c.operatorName = f.operatorName;
    c.caseReference = record.caseReference();
    c.note = record.note();
    c.imported = imported;
    c.sampleCount = trace.samples().size();
    c.droppedSamples = trace.dropped();
    c.droppedEvents = record.droppedEvents();
    c.samples = SampleCodec::Encode(trace.samples(), trace.startedAt());
    for (const RecordEvent &e : record.events())
        c.events.append({msOf(e.when), EventKindName(e.kind), e.detail});
    return c;
}

std::optional<FiringRecord> RecordOf(const EntryContent &c)
{
    FiringFacts f;
    f.massName = c.mass;
    f.layerName = c.layer;
    if (c.params.size() != ProgParam::PayloadSize)
        return std::nullopt;
    ProgParam::Payload payload{};
    std::copy(c.params.cbegin(), c.params.cend(), payload.begin());
    f.record = ProgParam::fromPayload(payload);
    f.port = c.port;
    f.host = c.host;
    f.furnaceModel = c.furnaceModel;
    const QStringList version = c.furnaceVersion.split(QLatin1Char('.'));
    if (version.size() == 2) {
        f.versionMajor = quint8(version[0].toUInt());
        f.versionMinor = quint8(version[1].toUInt());
    }
    f.console = c.console;
    f.operatorName = c.operatorName;

    const QDateTime started = QDateTime::fromMSecsSinceEpoch(c.startedMs);
    const std::optional<QList<TraceSample>> samples = SampleCodec::Decode(c.samples, started);
    const std::optional<RunOutcome> outcome = OutcomeFromName(c.outcome);
    if (!samples || !outcome)
        return std::nullopt;
    const FiringTrace trace = FiringTrace::restored(
        started, *samples, qsizetype(c.droppedSamples), *outcome,
        c.endedMs ? QDateTime::fromMSecsSinceEpoch(c.endedMs) : QDateTime(), c.outcomeDetail);
    QList<RecordEvent> events;
    for (const StoredEvent &e : c.events) {
        const std::optional<RecordEventKind> kind = EventKindFromName(e.kind);
        if (!kind)
            return std::nullopt;
        events.append({*kind, QDateTime::fromMSecsSinceEpoch(e.atMs), e.detail});
    }
    return FiringRecord::restored(c.uid, f, trace, events, qsizetype(c.droppedEvents),
                                  c.caseReference, c.note);
}

namespace LogbookChain
{

QByteArray Canonical(const EntryContent &e, qint64 seq, const QByteArray &previousHash)
{
    Canon c("zkv-logbook/entry/1");
    c.integer(seq);
    c.bytes(previousHash);
    c.text(e.uid);
    c.integer(e.startedMs);
    c.integer(e.endedMs);
    c.text(e.outcome);
    c.text(e.outcomeDetail);
    c.text(e.mass);
    c.text(e.layer);
    c.bytes(e.params);
    c.text(e.port);
    c.text(e.host);
    c.text(e.furnaceModel);
    c.text(e.furnaceVersion);
    c.text(e.console);
    c.text(e.operatorName);
    c.text(e.caseReference);
    c.text(e.note);
    c.integer(e.imported ? 1 : 0);
    c.integer(e.sampleCount);
    c.integer(e.droppedSamples);
    c.integer(e.droppedEvents);
    c.bytes(e.samples);
    c.integer(e.events.size());
    for (const StoredEvent &ev : e.events) {
        c.integer(ev.atMs);
        c.text(ev.kind);
        c.text(ev.detail);
    }
    return c.result();
}

QByteArray Canonical(const AmendmentContent &a, qint64 seq, const QByteArray &previousHash)
{
    Canon c("zkv-logbook/amendment/1");
    c.integer(seq);
    c.bytes(previousHash);
    c.text(a.entryUid);
    c.integer(a.atMs);
    c.text(a.field);
    c.text(a.value);
    c.text(a.operatorName);
    return c.result();
}

QByteArray Canonical(const CheckContent &k, qint64 seq, const QByteArray &previousHash)
{
    Canon c("zkv-logbook/check/1");
    c.integer(seq);
    c.bytes(previousHash);
    c.text(k.furnaceKey);
    c.text(k.kind);
    c.integer(k.atMs);
    c.text(k.result);
    c.text(k.note);
    c.text(k.operatorName);
    return c.result();
}

QByteArray Hash(const CheckContent &check, qint64 seq, const QByteArray &previousHash)
{
    return QCryptographicHash::hash(Canonical(check, seq, previousHash),
                                    QCryptographicHash::Sha256);
}

QByteArray Hash(const EntryContent &entry, qint64 seq, const QByteArray &previousHash)
{
    return QCryptographicHash::hash(Canonical(entry, seq, previousHash),
                                    QCryptographicHash::Sha256);
}

QByteArray Hash(const AmendmentContent &amendment, qint64 seq, const QByteArray &previousHash)
{
    return QCryptographicHash::hash(Canonical(amendment, seq, previousHash),
                                    QCryptographicHash::Sha256);
}

} // namespace LogbookChain
