// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/recordcsv.h"

#include "app/recordformat.h"
#include "library/filesync.h"

#include <QStringList>

namespace
{

const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString row(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &f : fields)
        quoted << RecordCsv::Field(f);
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QString commentRow(const QStringList &fields)
{
    return QStringLiteral("# ") + row(fields);
}

/// `text` begins with a formula character, maybe after some "'".
bool needsGuard(QStringView text)
{
    static const QString formulaStart = QStringLiteral("=+-@\t\r\n");
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char('\''))
        ++i;
    return i < text.size() && formulaStart.contains(text[i]);
}

} // namespace

namespace RecordCsv
{

QString Field(const QString &text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                       text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
    if (!quote)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString Name(const QString &text)
{
    return needsGuard(text) ? QLatin1Char('\'') + text : text;
}

QString Unguarded(const QString &field)
{
    return field.startsWith(QLatin1Char('\'')) && needsGuard(field) ? field.mid(1) : field;
}

QByteArray Encode(const FiringRecord &record, quint8 language, const QString &console,
                  const QByteArray &logbookHash)
{
    using namespace FiringTexts;
    const FiringFacts &facts = record.facts();
    const FiringTrace &trace = record.trace();
    auto t = [language](const TextPair &pair) { return pair.text(language); };

    QString out;
    out += commentRow({t(RecordTitle), Name(console)});
    if (!facts.console.isEmpty() && facts.console != console)
        out += commentRow({t(Console), Name(facts.console)});
    out += commentRow({t(Furnace), Name(FurnaceText(facts, language))});
    out += commentRow({t(Port), Name(facts.port)});
    out += commentRow({t(Mass), Name(facts.massName)});
    out += commentRow({t(Layer), Name(facts.layerName)});
    out += commentRow({t(ProgramNumber), QString::number(facts.record.ProgNumber)});
    out += commentRow({t(Start), trace.startedAt().toString(DateTimeFormat)});
    out += commentRow({t(End), trace.endedAt().toString(DateTimeFormat)});
    out += commentRow({t(Duration), DurationText(trace, QDateTime::currentDateTime())});
    out += commentRow({t(Outcome), OutcomeText(trace, language)});
    const std::pair<TextPair, QString> added[] = {{Operator, facts.operatorName},
                                                  {CaseReference, record.caseReference()},
                                                  {Note, record.note()}};
    for (const auto &[key, text] : added)
        if (!text.isEmpty())
            out += commentRow({t(key), Name(text)});
    if (!logbookHash.isEmpty())
        out += commentRow({t(LogbookHash), QString::fromLatin1(logbookHash.toHex())});
    if (trace.dropped() > 0)
        out += commentRow({t(DroppedSamples), QString::number(trace.dropped())});

    const QString parameter = t(Parameters);
    for (const ParameterGroup &group : RecordParameterGroups(facts.record, language))
        for (const ParameterLine &line : group.lines)
            out += commentRow({parameter, QString::fromLatin1(RecordFieldNames[size_t(line.field)]),
                               QString::number(line.raw), line.rawUnit,
                               group.title + QStringLiteral(": ") + line.label});
    out += commentRow({parameter, QStringLiteral("VacOffByTime"),
                       QString::number(facts.record.VacOffByTime), QString(), t(VacOffByTime)});
    out += commentRow({parameter, QStringLiteral("ProgNumber"),
                       QString::number(facts.record.ProgNumber), QString(), t(ProgramNumber)});

    const QString event = t(Events);
    for (const RecordEvent &e : record.events())
        out += commentRow({event, e.when.toString(DateTimeFormat), EventText(e, language)});
    if (record.droppedEvents() > 0)
        out += commentRow({t(DroppedEvents), QString::number(record.droppedEvents())});

    out += QString::fromUtf8(Header) + QStringLiteral("\r\n");
    // Up to a day of samples: built piece by piece, only the stage text may need quotes.
    out.reserve(out.size() + trace.samples().size() * 96);
    const QChar comma(QLatin1Char(','));
    for (const TraceSample &s : trace.samples()) {
        out += QString::number(s.Seconds, 'f', 1);
        out += comma;
        out += s.WallClock.toString(QStringLiteral("HH:mm:ss"));
        for (const int value : {int(s.CurrentZone), int(s.ZoneTime)}) {
            out += comma;
            out += QString::number(value);
        }
        out += comma;
        out += Field(Name(s.StageText));
        for (const int value :
             {int(s.ChamberTemp), int(s.Vacuum), int(s.ChamberStatus), int(s.ControllerMode)}) {
            out += comma;
            out += QString::number(value);
        }
        out += QStringLiteral("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace RecordCsv

QString SaveRecordFile(const QString &path, const QByteArray &bytes)
{
    return FileSync::SaveFile(path, bytes);
}
