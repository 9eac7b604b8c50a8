// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/firingrecord.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

class QPainter;
class QPrinter;

/// The firing report: one A4 page with the run's facts (the operator, the case reference and
/// the note among them when given), the mass and layer, the twenty parameters in their groups,
/// the firing curve (drawn by the graph's own painter: plan, executed path, measured
/// temperature, vacuum markers) and the events; in the footer the samples and, when given, the
/// record's hash in the firing logbook in full, so that a printed page can be matched to its
/// entry.
namespace FiringReport
{

/// The page in its own units (A4 at 96 units per inch); painting scales it to the device.
inline constexpr QSizeF PageSize(794, 1123);

/// Paints the report on `painter`, whose device has `deviceSize` px, scaled to fit and
/// centred across. `console` names the program that makes the report ("ZKV4.6 CONSOLE
/// 1.0.0"); the page names the record's own console where it has one. `logbookHash`: the 32
/// bytes of the record's logbook entry, or empty.
void Paint(QPainter &painter, const QSizeF &deviceSize, const FiringRecord &record, quint8 language,
           const QString &console, const QByteArray &logbookHash = {});

/// The report as a one-page A4 PDF document; empty when it could not be made.
QByteArray Pdf(const FiringRecord &record, quint8 language, const QString &console,
               const QByteArray &logbookHash = {});

/// Prints the report on `printer` (set up by the print dialog); false when the printer could
/// not be started.
bool Print(QPrinter &printer, const FiringRecord &record, quint8 language, const QString &console,
           const QByteArray &logbookHash = {});

} // namespace FiringReport
