#include "logtime.h"

QString LogTimeText(const QTime &time, const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    // Drop the time-zone designators and the separators left dangling around them.
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    if (!format.contains(QLatin1Char('s')))
        format = QStringLiteral("HH:mm:ss");
    return locale.toString(time, format);
}

QString LogLine(const QString &text)
{
    return LogTimeText(QTime::currentTime()) + text;
}
