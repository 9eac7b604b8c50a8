// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "logbook/firingrecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

/// A firing record read back from its CSV file, with what the file says about it besides.
struct ImportedRecord {
    /// The firing: ended (see ReadRecordCsv), its uid made from its content.
    FiringRecord record;
    /// The language the file was written in (0 Russian, 1 English).
    quint8 language = 1;
    /// The 32 bytes of the "Logbook hash" row: the entry the file was exported from; empty when
    /// the file has none. Not part of the record: a logbook seals the record with its own.
    QByteArray logbookHash;
};

/// The message for a file that ReadRecordCsv refused: %1 the file's name, %2 the reason.
inline constexpr TextPair NotAFiringRecord{"«%1» — не протокол обжига программы: %2",
                                           "\"%1\" is not a firing record of the console: %2"};

/// Reads a file written by RecordCsv::Encode, in either language and by any earlier version of
/// the console: with or without its byte-order mark, lines ended by CR LF or LF. Returns the
/// record, or nothing with the reason in `why` (in `language`) when the bytes are not a whole
/// firing record: not UTF-8 text, no title row, a row of facts or a parameter missing or not
/// readable, an event or outcome the console does not write, no header row, a damaged sample,
/// samples going back in time, a file cut short. Never half a record.
///
/// The samples' times of day are dated from the start, a day later each time the clock goes
/// back by more than three hours (midnight; a clock put back for the winter goes back by one).
/// A record saved while its firing still ran ends, as read, interrupted at its last event or
/// sample with the reason FiringTexts::SavedWhileRunning (an Interrupted event is added), so
/// that a logbook never holds a firing as running that no console runs.
///
/// The uid is a name-based UUID (version 5) of the record's content, the case reference and
/// the note left out: the same firing read twice, from the same file or from its copy in the
/// other language, gets the same uid, whatever was noted about it since.
std::optional<ImportedRecord> ReadRecordCsv(const QByteArray &bytes, quint8 language,
                                            QString *why = nullptr);
