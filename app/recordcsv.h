// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/firingrecord.h"

#include <QByteArray>
#include <QString>

/// The firing record as a CSV file: UTF-8 with a byte-order mark (so that spreadsheets read the
/// Cyrillic names), comma-separated, lines ended by CR LF, fields quoted where they hold a
/// comma, a quote or a line break. First "# " lines with the run's facts, the twenty
/// parameters with their units and the events, each line a key then its values; then one
/// header row and one row per sample.
namespace RecordCsv
{

/// The header row of the samples (without its line end).
inline constexpr const char *Header = "Seconds [s],Time,CurrentZone,ZoneTime [s],Stage,"
                                      "ChamberTemp [°C],Vacuum [%],ChamberStatus,ControllerMode";

/// The whole file for `record`; facts and stage texts in `language`. `console` names the
/// program that writes it ("ZKV4.6 CONSOLE 1.0.0"); the record's own console gets a row of its
/// own where it is another. The operator, the case reference and the note get a row each when
/// they are not empty; `logbookHash` (the 32 bytes of the record's entry in the firing logbook),
/// when given, a row in 64 lower-case hexadecimal digits.
QByteArray Encode(const FiringRecord &record, quint8 language, const QString &console,
                  const QByteArray &logbookHash = {});

/// One CSV field, quoted when it has to be.
QString Field(const QString &text);
/// A name as a CSV field's text: one that a spreadsheet would take for a formula (it begins
/// with "=", "+", "-", "@", a tab or a line break) gets a leading "'", so that opening the file
/// never runs what a masses file brought in. So that a reader can tell the guard from the name,
/// a name that begins with "'" before such a character gets one more.
QString Name(const QString &text);
/// The name that Name() made `field` from.
QString Unguarded(const QString &field);

} // namespace RecordCsv

/// Writes `bytes` to `path` in place of what was there, never leaving a half-written file.
/// Returns the reason when it failed, empty on success.
QString SaveRecordFile(const QString &path, const QByteArray &bytes);
