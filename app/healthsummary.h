// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/healthplot.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSizeF>
#include <QString>

class QPainter;
class QPrinter;

/// What the furnace health summary shows, as the window had it in view.
struct HealthSummaryContent {
    quint8 language = 1;
    QString console; ///< the program that made it
    QString furnace; ///< FurnaceLabel
    QString period;  ///< "last 6 months (10.06.2026 – 10.12.2026)"
    QDateTime made;
    /// The three plots and the time range they show.
    QList<HealthPlotData> plots;
    qint64 fromMs = 0;
    qint64 toMs = 0;
    struct Flag {
        QString when;
        QString firing;
        QString message;
    };
    QList<Flag> flags;
    struct Check {
        QString status; ///< CheckStatusText
        QString last;   ///< when it was last done and with what result; may be empty
        bool due = false;
        bool overdue = false;
    };
    QList<Check> checks;
};

/// The furnace health summary: one A4 page with the furnace, the period, the three plots, the
/// flagged firings with what was found and the checks with their status.
namespace HealthSummary
{

/// The page in its own units (A4 at 96 units per inch); painting scales it to the device.
inline constexpr QSizeF PageSize(794, 1123);

/// Paints the page on `painter`, whose device has `deviceSize` px, scaled to fit.
void Paint(QPainter &painter, const QSizeF &deviceSize, const HealthSummaryContent &content);
/// The page as a one-page A4 PDF document; empty when it could not be made.
QByteArray Pdf(const HealthSummaryContent &content);
/// Prints the page on `printer`; false when the printer could not be started.
bool Print(QPrinter &printer, const HealthSummaryContent &content);

} // namespace HealthSummary
