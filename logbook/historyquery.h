// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/firingtrace.h"
#include "logbook/entrycontent.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

/// Which entries the history shows.
struct HistoryFilter {
    /// Part of the mass, layer, case reference or note, in any letter case; empty for all.
    QString text;
    /// First and last day of the start (local dates, both included); invalid for no bound.
    QDate from;
    QDate to;
    /// Only entries that ended so; nothing for all.
    std::optional<RunOutcome> outcome;
    /// Only imported entries (true), only the console's own (false), or both.
    std::optional<bool> imported;
    /// Only the entries fired on this port; empty for all.
    QString port;
    /// Only the entries of this furnace (a FurnaceKey: computer, port and model); empty for all.
    QString furnace;
};

/// The history's columns, in the order the table shows them.
enum class HistoryColumn { Started, Furnace, Mass, Layer, Duration, Outcome, Case, Operator };
inline constexpr int HistoryColumnCount = 8;

struct HistorySort {
    HistoryColumn column = HistoryColumn::Started;
    bool descending = true;
};

/// One row of the history.
struct EntrySummary {
    qint64 id = 0;
    QString uid;
    QDateTime startedAt; ///< local time
    QDateTime endedAt;   ///< invalid while the firing runs
    QString port;
    QString host;
    QString furnaceModel;
    QString furnaceVersion;
    QString mass;
    QString layer;
    RunOutcome outcome = RunOutcome::Running;
    QString outcomeDetail;
    QString caseReference; ///< as amended last
    QString note;          ///< as amended last
    QString operatorName;
    bool imported = false;
    qint64 sampleCount = 0;
    QByteArray hash; ///< 32 bytes once sealed; empty while running
    /// What drifted in the firing, as flagged at its seal (HealthFigureName); empty when nothing.
    QStringList healthFlags;
};

/// One amendment as the history shows it.
struct StoredAmendment {
    QDateTime at; ///< local time
    QString field;
    QString value;
    QString operatorName;
    QByteArray hash;
};

/// An entry opened whole: its record as the firing left it (samples, events, parameters), how
/// it was amended since, and where it stands in the chain.
struct StoredEntry {
    EntrySummary summary;
    FiringRecord record; ///< case reference and note as amended last
    QString caseAtEnd;   ///< as they were when the entry was sealed
    QString noteAtEnd;
    QList<StoredAmendment> amendments;
    qint64 chainSeq = 0; ///< 0 while running
};

/// What a check of the hash chain found.
struct VerifyReport {
    /// The chain could be read; false with `error` when the logbook could not be opened or read.
    bool readable = true;
    QString error;
    qint64 entriesChecked = 0;    ///< sealed entries whose link held
    qint64 amendmentsChecked = 0; ///< amendments whose link held
    qint64 checksChecked = 0;     ///< checks of the furnace done, whose link held
    qint64 running = 0;           ///< entries not sealed yet (firings under way)
    /// The first link that fails, when one does.
    struct Failure {
        qint64 seq = 0;
        /// An amendment of the entry named, or (with no layer) a check done of the kind named
        /// by `mass` at `startedAt`.
        bool amendment = false;
        QDateTime startedAt; ///< of the entry (amended), local time
        QString mass;
        QString layer;
        /// Why, in a few words: "its content was changed", "the entry before it is missing",
        /// "it was not written by the logbook", "the chain's last link is missing".
        QString reason;
    };
    std::optional<Failure> failure;
    bool holds() const { return readable && !failure; }
};
