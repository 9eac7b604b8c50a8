// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

/// Time of day as log lines begin with it: the locale's long time format, seconds included,
/// without the time zone.
QString LogTimeText(const QTime &time, const QLocale &locale = QLocale::system());

/// A log line for now: LogTimeText(current time) followed directly by `text`
/// (which by convention begins with a blank).
QString LogLine(const QString &text);

/// A duration as hours (no leading zeros), minutes and seconds: 18429 → "5:07:09".
QString HoursMinutesSeconds(qint64 seconds);
