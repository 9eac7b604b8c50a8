// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/firingrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

/// One event of an entry in its stored form.
struct StoredEvent {
    qint64 atMs = 0; ///< milliseconds since 1970-01-01 UTC
    QString
        kind; ///< "start", "link-lost", "link-back", "fault", "abort", "finished", "interrupted"
    QString detail;
    bool operator==(const StoredEvent &) const = default;
};

/// Everything a sealed logbook entry holds, in the form it is stored in: what its hash covers.
/// Times are milliseconds since 1970-01-01 UTC.
struct EntryContent {
    QString uid;
    qint64 startedMs = 0;
    qint64 endedMs = 0;
    QString outcome; ///< "finished", "aborted", "fault", "interrupted" (see OutcomeName)
    QString outcomeDetail;
    QString mass;
    QString layer;
    QByteArray params; ///< the layer's 42-byte record as it was started
    QString port;
    QString host;           ///< the computer of the port; empty for an imported record
    QString furnaceModel;   ///< empty when the furnace never identified itself
    QString furnaceVersion; ///< "1.05", empty likewise
    QString console;
    QString operatorName;
    QString caseReference;
    QString note;
    bool imported = false;
    qint64 sampleCount = 0;
    qint64 droppedSamples = 0;
    qint64 droppedEvents = 0;
    QByteArray samples; ///< SampleCodec blob
    QList<StoredEvent> events;
    bool operator==(const EntryContent &) const = default;
};

/// A case reference or note given to an entry after its end; appended, never edited.
struct AmendmentContent {
    QString entryUid;
    qint64 atMs = 0;
    QString field; ///< "case" or "note"
    QString value;
    QString operatorName;
    bool operator==(const AmendmentContent &) const = default;
};

/// A check of the furnace the laboratory made (a calibration, a pump service): appended to the
/// chain like an entry.
struct CheckContent {
    QString furnaceKey;
    QString kind; ///< CheckKindName
    qint64 atMs = 0;
    QString result;
    QString note;
    QString operatorName;
    bool operator==(const CheckContent &) const = default;
};

/// The names outcomes and event kinds are stored under.
QString OutcomeName(RunOutcome outcome);
std::optional<RunOutcome> OutcomeFromName(const QString &name);
QString EventKindName(RecordEventKind kind);
std::optional<RecordEventKind> EventKindFromName(const QString &name);

/// The stored form of `record` (its samples encoded). The record's furnace version is "M.mm".
EntryContent ContentOf(const FiringRecord &record, bool imported = false);
/// The record an entry holds; nothing when its samples or parameters cannot be read.
std::optional<FiringRecord> RecordOf(const EntryContent &content);

/// The hash chain: each link's hash is SHA-256 over a canonical encoding of its content, its
/// position in the chain and the previous link's hash (empty for the first). The encoding: a
/// tag naming the kind of link and the encoding's version, then every field in a fixed order —
/// integers as 8 bytes little-endian, texts and byte strings as their length (8 bytes) then
/// their bytes (texts in UTF-8), lists as their count then their items.
namespace LogbookChain
{
QByteArray Canonical(const EntryContent &entry, qint64 seq, const QByteArray &previousHash);
QByteArray Canonical(const AmendmentContent &amendment, qint64 seq, const QByteArray &previousHash);
/// SHA-256 of the canonical encoding (32 bytes).
QByteArray Hash(const EntryContent &entry, qint64 seq, const QByteArray &previousHash);
QByteArray Hash(const AmendmentContent &amendment, qint64 seq, const QByteArray &previousHash);
QByteArray Canonical(const CheckContent &check, qint64 seq, const QByteArray &previousHash);
QByteArray Hash(const CheckContent &check, qint64 seq, const QByteArray &previousHash);
} // namespace LogbookChain
