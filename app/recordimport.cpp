// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/recordimport.h"

#include "app/recordcsv.h"
#include "app/recordformat.h"

#include <QSet>
#include <QStringDecoder>
#include <QStringList>
#include <QUuid>

#include <algorithm>
#include <cmath>

namespace
{

constexpr TextPair Empty{"файл пуст", "the file is empty"};
constexpr TextPair TooLarge{"файл больше %1 МБ", "the file is larger than %1 MB"};
constexpr TextPair NotText{"это не текст в кодировке UTF-8", "it is not UTF-8 text"};
constexpr TextPair NoTitle{"первая строка — не заголовок протокола обжига",
                           "its first line is not the title of a firing record"};
constexpr TextPair Unclosed{"строка %1: кавычки поля не закрыты до конца файла",
                            "line %1: a quoted field is not closed before the end of the file"};
constexpr TextPair Stray{"строка %1: текст после закрывающей кавычки поля",
                         "line %1: text after the closing quote of a field"};
constexpr TextPair CutShort{"файл обрывается посреди строки %1: он записан не полностью",
                            "the file ends in the middle of line %1: it was cut short"};
constexpr TextPair Missing{"нет строки «%1»", "the row \"%1\" is missing"};
constexpr TextPair Twice{"строка %1: «%2» во второй раз", "line %1: \"%2\" a second time"};
constexpr TextPair BadValue{"строка %1: «%2» не читается как «%3»",
                            "line %1: \"%2\" cannot be read as \"%3\""};
constexpr TextPair UnknownEvent{"строка %1: «%2» — не событие, которое записывает программа",
                                "line %1: \"%2\" is not an event the console records"};
constexpr TextPair MissingParameter{"нет параметра %1", "the parameter %1 is missing"};
constexpr TextPair NotAFact{"строка %1: не строка сведений и не заголовок измерений",
                            "line %1: neither a row of facts nor the header of the samples"};
constexpr TextPair NoHeader{"нет строки заголовка измерений",
                            "the header row of the samples is missing"};
constexpr TextPair BadSample{"строка %1: измерение повреждено", "line %1: the sample is damaged"};
constexpr TextPair Backwards{"строка %1: время измерений идёт назад",
                             "line %1: the samples go back in time"};
constexpr TextPair TooMany{"больше %1 измерений", "more than %1 samples"};

/// A firing record is at most a day of samples (about 10 MB); this leaves room and keeps a
/// stray huge file from filling the memory.
constexpr qsizetype MaxFileMB = 64;
/// The samples' clock going back by more than this is the next day.
constexpr int DayRollSeconds = 3 * 3600;
const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
/// The namespace of the uids of imported records.
const QUuid ImportNamespace(QStringLiteral("{6f0c1d7e-2b4a-4c58-9e3d-8a51c7f0b2d4}"));

/// A refusal: the reason, in the user's language.
struct Refusal {
    QString why;
};

/// Up to 40 characters of a value a reason quotes.
QString shortened(const QString &value)
{
    return value.size() <= 40 ? value : value.left(39) + QChar(0x2026);
}

/// The rows of a CSV text one by one, with the line each begins on.
class CsvRows
{
public:
    explicit CsvRows(QStringView text)
        : m_text(text)
    {
    }

    /// The next row into `fields`; false at the end. Throws a Refusal for a quote left open,
    /// text after a closing quote, or a last row without its line end (a file cut short).
    bool next(QStringList &fields, quint8 language)
    {
        fields.clear();
        if (m_pos >= m_text.size())
            return false;
        m_rowLine = m_line;
        while (true) {
            QString field;
            const bool quotedField = m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('"');
            if (quotedField)
                quoted(field, language);
            const qsizetype from = m_pos;
            while (m_pos < m_text.size()) {
                const QChar c = m_text[m_pos];
                if (c == QLatin1Char(',') || c == QLatin1Char('\n') ||
                    (c == QLatin1Char('\r') && m_pos + 1 < m_text.size() &&
                     m_text[m_pos + 1] == QLatin1Char('\n')))
                    break;
                ++m_pos;
            }
            if (quotedField && m_pos > from)
                throw Refusal{Stray.text(language).arg(m_line)};
            if (!quotedField)
                field = m_text.mid(from, m_pos - from).toString();
            fields << field;
            if (m_pos >= m_text.size())
                throw Refusal{CutShort.text(language).arg(m_line)};
            const QChar end = m_text[m_pos++];
            if (end == QLatin1Char(','))
                continue;
            if (end == QLatin1Char('\r'))
                ++m_pos;
            ++m_line;
            return true;
        }
    }
    int rowLine() const { return m_rowLine; }

private:
    /// A quoted field from its opening quote to its closing one, quotes doubled inside.
    void quoted(QString &field, quint8 language)
    {
        const int opened = m_line;
        ++m_pos;
        while (true) {
            const qsizetype quote = m_text.indexOf(QLatin1Char('"'), m_pos);
            if (quote < 0)
                throw Refusal{Unclosed.text(language).arg(opened)};
            const QStringView piece = m_text.mid(m_pos, quote - m_pos);
            m_line += int(piece.count(QLatin1Char('\n')));
            field += piece;
            m_pos = quote + 1;
            if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('"')) {
                field += QLatin1Char('"');
                ++m_pos;
                continue;
            }
            return;
        }
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_rowLine = 1;
};

bool digitsOnly(QStringView text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

/// An unsigned number of at most `max`, digits only.
std::optional<quint64> unsignedValue(const QString &text, quint64 max)
{
    if (text.size() > 19 || !digitsOnly(text))
        return std::nullopt;
    const quint64 value = text.toULongLong();
    return value <= max ? std::optional<quint64>(value) : std::nullopt;
}

/// Seconds as the file writes them ("12.5"), kept to the tenth that the file holds.
std::optional<double> secondsValue(const QString &text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QStringView whole = QStringView(text).left(point < 0 ? text.size() : point);
    if (whole.size() > 10 || !digitsOnly(whole) ||
        (point >= 0 && !digitsOnly(QStringView(text).mid(point + 1))))
        return std::nullopt;
    return double(std::llround(text.toDouble() * 10)) / 10;
}

/// A time of day as "HH:mm:ss".
QTime timeValue(QStringView text)
{
    if (text.size() != 8 || text[2] != QLatin1Char(':') || text[5] != QLatin1Char(':') ||
        !digitsOnly(text.mid(0, 2)) || !digitsOnly(text.mid(3, 2)) || !digitsOnly(text.mid(6, 2)))
        return {};
    return QTime(text.mid(0, 2).toInt(), text.mid(3, 2).toInt(), text.mid(6, 2).toInt());
}

/// What a text of a pair with "%1" holds in place of the "%1"; nothing when it is not one.
std::optional<QString> detailOf(const QString &text, const TextPair &pair, quint8 language)
{
    const QString pattern = pair.text(language);
    const qsizetype at = pattern.indexOf(QStringLiteral("%1"));
    const QString before = pattern.left(at);
    const QString after = pattern.mid(at + 2);
    if (text.size() < before.size() + after.size() || !text.startsWith(before) ||
        !text.endsWith(after))
        return std::nullopt;
    return text.mid(before.size(), text.size() - before.size() - after.size());
}

/// Builds the record from the file's rows; throws a Refusal.
class RecordReader
{
public:
    RecordReader(QStringView text, quint8 language)
        : m_rows(text)
        , m_language(language)
    {
    }

    ImportedRecord read()
    {
        readTitle();
        readFacts();
        readSamples();
        return build();
    }

private:
    QString t(const TextPair &pair) const { return pair.text(m_file); }
    [[noreturn]] void refuse(const TextPair &pair) const
    {
        throw Refusal{pair.text(m_language).arg(m_rows.rowLine())};
    }
    [[noreturn]] void refuseValue(const QString &value, const QString &what) const
    {
        throw Refusal{BadValue.text(m_language).arg(m_rows.rowLine()).arg(shortened(value), what)};
    }

    /// The next row that is not blank; false at the end.
    bool nextRow()
    {
        while (m_rows.next(m_fields, m_language))
            if (m_fields.size() > 1 || !m_fields[0].isEmpty())
                return true;
        return false;
    }

    void readTitle()
    {
        QString first;
        try {
            if (nextRow())
                first = m_fields[0];
        } catch (const Refusal &) {
            // Not even one row: whatever it is, it has no title.
        }
        for (const quint8 language : {quint8(0), quint8(1)})
            if (first == QStringLiteral("# ") + FiringTexts::RecordTitle.text(language))
                m_file = language;
        if (m_file > 1)
            throw Refusal{NoTitle.text(m_language)};
        m_facts.console = RecordCsv::Unguarded(m_fields.value(1));
    }

    /// The rows of facts, parameters and events up to the header of the samples.
    void readFacts()
    {
        using namespace FiringTexts;
        const QStringList header = QString::fromUtf8(RecordCsv::Header).split(QLatin1Char(','));
        const std::pair<TextPair, QString *> names[] = {
            {Port, &m_facts.port},       {Mass, &m_facts.massName},
            {Layer, &m_facts.layerName}, {Operator, &m_facts.operatorName},
            {CaseReference, &m_caseRef}, {Note, &m_note},
            {Console, &m_facts.console},
        };
        QStringList known;
        for (const TextPair &pair :
             {Furnace, Start, End, Outcome, DroppedSamples, DroppedEvents, LogbookHash, Port, Mass,
              Layer, Operator, CaseReference, Note, Console})
            known << t(pair);
        while (nextRow()) {
            if (m_fields == header)
                return;
            const QString &first = m_fields[0];
            if (!first.startsWith(QStringLiteral("# ")))
                refuse(NotAFact);
            const QString key = first.mid(2);
            const QString value = m_fields.value(1);
            if (key == t(Parameters)) {
                readParameter();
                continue;
            }
            if (key == t(Events)) {
                readEvent();
                continue;
            }
            if (known.contains(key) && !firstTime(m_seen, key))
                throw Refusal{Twice.text(m_language).arg(m_rows.rowLine()).arg(key)};
            if (key == t(Furnace))
                readFurnace(RecordCsv::Unguarded(value));
            else if (key == t(Start))
                m_start = dateTime(value, key);
            else if (key == t(End))
                m_end = value.isEmpty() ? QDateTime() : dateTime(value, key);
            else if (key == t(Outcome))
                readOutcome(value);
            else if (key == t(DroppedSamples))
                m_droppedSamples = count(value, key);
            else if (key == t(DroppedEvents))
                m_droppedEvents = count(value, key);
            else if (key == t(LogbookHash))
                readHash(value);
            for (const auto &[pair, target] : names)
                if (key == t(pair))
                    *target = RecordCsv::Unguarded(value);
            // Other rows (the duration, the program number again, what a later console adds)
            // say nothing the record keeps.
        }
        throw Refusal{NoHeader.text(m_language)};
    }

    /// Adds `key` to `set`; false when it was there already.
    static bool firstTime(QSet<QString> &set, const QString &key)
    {
        const qsizetype before = set.size();
        set.insert(key);
        return set.size() > before;
    }

    QDateTime dateTime(const QString &value, const QString &what) const
    {
        const QDateTime when = QDateTime::fromString(value, DateTimeFormat);
        if (!when.isValid())
            refuseValue(value, what);
        return when;
    }

    qsizetype count(const QString &value, const QString &what) const
    {
        const std::optional<quint64> n = unsignedValue(value, quint64(1) << 40);
        if (!n)
            refuseValue(value, what);
        return qsizetype(*n);
    }

    void readFurnace(const QString &value)
    {
        if (value == t(FiringTexts::FurnaceUnknown))
            return;
        const qsizetype at = value.lastIndexOf(QStringLiteral(" v:"));
        const QStringList version = value.mid(at + 3).split(QLatin1Char('.'));
        const std::optional<quint64> major = unsignedValue(version.value(0), 255);
        const std::optional<quint64> minor = unsignedValue(version.value(1), 255);
        if (at <= 0 || version.size() != 2 || !major || !minor)
            refuseValue(value, t(FiringTexts::Furnace));
        m_facts.furnaceModel = value.left(at);
        m_facts.versionMajor = quint8(*major);
        m_facts.versionMinor = quint8(*minor);
    }

    void readOutcome(const QString &value)
    {
        using namespace FiringTexts;
        const std::pair<TextPair, RunOutcome> plain[] = {{Running, RunOutcome::Running},
                                                         {Finished, RunOutcome::Finished},
                                                         {Aborted, RunOutcome::Aborted}};
        for (const auto &[pair, outcome] : plain)
            if (value == t(pair)) {
                m_outcome = outcome;
                return;
            }
        const std::pair<TextPair, RunOutcome> explained[] = {
            {Fault, RunOutcome::Fault}, {Interrupted, RunOutcome::Interrupted}};
        for (const auto &[pair, outcome] : explained)
            if (const std::optional<QString> detail = detailOf(value, pair, m_file)) {
                m_outcome = outcome;
                m_endDetail = *detail;
                return;
            }
        refuseValue(value, t(Outcome));
    }

    void readHash(const QString &value)
    {
        const QByteArray hex = value.toLatin1();
        const QByteArray bytes = QByteArray::fromHex(hex);
        if (value.size() != 64 || bytes.size() != 32 || bytes.toHex() != hex.toLower())
            refuseValue(value, t(FiringTexts::LogbookHash));
        m_hash = bytes;
    }

    void readParameter()
    {
        const QString name = m_fields.value(1);
        const QString value = m_fields.value(2);
        int field = -1;
        for (int k = 0; k < ProgParam::FieldCount; ++k)
            if (name == QLatin1String(RecordFieldNames[size_t(k)]))
                field = k;
        const bool byte =
            name == QLatin1String("VacOffByTime") || name == QLatin1String("ProgNumber");
        if (field < 0 && !byte)
            return; // a parameter a later console may add
        if (!firstTime(m_parameters, name))
            throw Refusal{Twice.text(m_language).arg(m_rows.rowLine()).arg(name)};
        const std::optional<quint64> raw = unsignedValue(value, byte ? 255 : 65535);
        if (!raw)
            refuseValue(value, name);
        if (field >= 0)
            m_facts.record.setField(field, quint16(*raw));
        else if (name == QLatin1String("VacOffByTime"))
            m_facts.record.VacOffByTime = quint8(*raw);
        else
            m_facts.record.ProgNumber = quint8(*raw);
    }

    void readEvent()
    {
        using namespace FiringTexts;
        RecordEvent event;
        event.when = dateTime(m_fields.value(1), t(Events));
        const QString text = m_fields.value(2);
        const std::pair<TextPair, RecordEventKind> plain[] = {
            {EventStart, RecordEventKind::Start},       {EventLinkLost, RecordEventKind::LinkLost},
            {EventLinkBack, RecordEventKind::LinkBack}, {EventAbort, RecordEventKind::Abort},
            {EventFinished, RecordEventKind::Finished},
        };
        const std::pair<TextPair, RecordEventKind> explained[] = {
            {Fault, RecordEventKind::Fault}, {Interrupted, RecordEventKind::Interrupted}};
        const auto kindOf = [&]() -> bool {
            for (const auto &[pair, kind] : plain)
                if (text == t(pair)) {
                    event.kind = kind;
                    return true;
                }
            for (const auto &[pair, kind] : explained)
                if (const std::optional<QString> detail = detailOf(text, pair, m_file)) {
                    event.kind = kind;
                    event.detail = *detail;
                    return true;
                }
            return false;
        };
        if (!kindOf())
            throw Refusal{UnknownEvent.text(m_language).arg(m_rows.rowLine()).arg(shortened(text))};
        m_events.append(event);
    }

    void readSamples()
    {
        QDate day = m_start.date();
        QTime before = m_start.time();
        while (nextRow()) {
            if (m_samples.size() >= FiringTrace::MaxSamples)
                throw Refusal{TooMany.text(m_language).arg(FiringTrace::MaxSamples)};
            if (m_fields.size() != 9)
                refuse(BadSample);
            TraceSample s;
            const std::optional<double> seconds = secondsValue(m_fields[0]);
            const QTime time = timeValue(m_fields[1]);
            std::optional<quint64> numbers[6];
            const int columns[6] = {2, 3, 5, 6, 7, 8};
            const quint64 limits[6] = {255, 65535, 65535, 255, 255, 255};
            bool read = seconds && time.isValid();
            for (int i = 0; i < 6; ++i) {
                numbers[i] = unsignedValue(m_fields[columns[i]], limits[i]);
                read = read && numbers[i];
            }
            if (!read)
                refuse(BadSample);
            s.Seconds = *seconds;
            if (!m_samples.isEmpty() && s.Seconds < m_samples.constLast().Seconds)
                refuse(Backwards);
            if (before.secsTo(time) < -DayRollSeconds)
                day = day.addDays(1);
            before = time;
            s.WallClock = QDateTime(day, time);
            s.CurrentZone = quint8(*numbers[0]);
            s.ZoneTime = quint16(*numbers[1]);
            s.StageText = RecordCsv::Unguarded(m_fields[4]);
            s.ChamberTemp = quint16(*numbers[2]);
            s.Vacuum = quint8(*numbers[3]);
            s.ChamberStatus = quint8(*numbers[4]);
            s.ControllerMode = quint8(*numbers[5]);
            m_samples.append(s);
        }
    }

    ImportedRecord build()
    {
        using namespace FiringTexts;
        for (const TextPair &required : {Furnace, Port, Mass, Layer, Start, End, Outcome}) {
            if (!m_seen.contains(t(required)))
                throw Refusal{Missing.text(m_language).arg(t(required))};
        }
        for (const char *name : RecordFieldNames)
            if (!m_parameters.contains(QString::fromLatin1(name)))
                throw Refusal{MissingParameter.text(m_language).arg(QString::fromLatin1(name))};
        for (const char *name : {"VacOffByTime", "ProgNumber"})
            if (!m_parameters.contains(QString::fromLatin1(name)))
                throw Refusal{MissingParameter.text(m_language).arg(QString::fromLatin1(name))};
        if (m_outcome == RunOutcome::Running) {
            // Never ended in the file: it ends where the file ends.
            QDateTime last = m_start;
            if (!m_events.isEmpty())
                last = std::max(last, m_events.constLast().when);
            if (!m_samples.isEmpty())
                last = std::max(last, m_samples.constLast().WallClock);
            m_end = m_end.isValid() ? m_end : last;
            m_outcome = RunOutcome::Interrupted;
            m_endDetail = t(SavedWhileRunning);
            m_events.append({RecordEventKind::Interrupted, m_end, m_endDetail});
        } else if (!m_end.isValid()) {
            throw Refusal{Missing.text(m_language).arg(t(End))};
        }

        const FiringTrace trace = FiringTrace::restored(m_start, m_samples, m_droppedSamples,
                                                        m_outcome, m_end, m_endDetail);
        const FiringRecord unnamed =
            FiringRecord::restored({}, m_facts, trace, m_events, m_droppedEvents, {}, {});
        // The uid names the firing: its content in one language, without the notes about it.
        const QUuid uid =
            QUuid::createUuidV5(ImportNamespace, RecordCsv::Encode(unnamed, 1, m_facts.console));
        ImportedRecord imported;
        imported.record =
            FiringRecord::restored(uid.toString(QUuid::WithoutBraces), m_facts, trace,
                                   unnamed.events(), unnamed.droppedEvents(), m_caseRef, m_note);
        imported.language = m_file;
        imported.logbookHash = m_hash;
        return imported;
    }

    CsvRows m_rows;
    quint8 m_language;
    quint8 m_file = 2; ///< the file's language once the title is read
    QStringList m_fields;
    QSet<QString> m_seen;
    QSet<QString> m_parameters;
    FiringFacts m_facts;
    QString m_caseRef;
    QString m_note;
    QByteArray m_hash;
    QDateTime m_start;
    QDateTime m_end;
    RunOutcome m_outcome = RunOutcome::Running;
    QString m_endDetail;
    QList<RecordEvent> m_events;
    QList<TraceSample> m_samples;
    qsizetype m_droppedSamples = 0;
    qsizetype m_droppedEvents = 0;
};

} // namespace

std::optional<ImportedRecord> ReadRecordCsv(const QByteArray &bytes, quint8 language, QString *why)
{
    auto refused = [why](const QString &reason) {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return refused(Empty.text(language));
    if (bytes.size() > MaxFileMB * 1024 * 1024)
        return refused(TooLarge.text(language).arg(MaxFileMB));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return refused(NotText.text(language));
    try {
        ImportedRecord imported = RecordReader(text, language).read();
        if (why)
            why->clear();
        return imported;
    } catch (const Refusal &refusal) {
        return refused(refusal.why);
    }
}
