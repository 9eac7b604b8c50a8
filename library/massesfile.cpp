// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/massesfile.h"

#include "library/cp1251.h"
#include "library/filesync.h"

#include <QStringDecoder>

#include <algorithm>

namespace MassesFile
{

namespace
{

constexpr char kLayerSeparator = '\x01';
constexpr char kHexDigits[] = "0123456789ABCDEF";

/// Masses named one by one in a log line; the rest are counted.
constexpr qsizetype ListedRenames = 10;
/// Names in a log line are cut to this length.
constexpr int LogNameLength = 60;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimBlanks(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool sameName(QByteArrayView a, const char *b)
{
    return QByteArrayView(b).compare(a, Qt::CaseInsensitive) == 0;
}

/// Row key of a "Parameter" line: a decimal number without leading zeros below `limit`, the
/// only keys a reader asks for; -1 for any other key.
qint64 rowKey(QByteArrayView key, qint64 limit)
{
    if (key.isEmpty() || key.size() > 10 || (key.size() > 1 && key.front() == '0'))
        return -1;
    qint64 value = 0;
    for (char c : key) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value < limit ? value : -1;
}

/// The entries of the two sections that matter, as views into the file's bytes.
struct Sections {
    bool hasMass = false;
    QList<QByteArrayView> massLines;
    QList<QByteArrayView> parameterLines;
};

Sections splitSections(QByteArrayView bytes)
{
    enum class In { Other, Mass, Parameter } in = In::Other;
    bool massSeen = false;
    bool parameterSeen = false;
    Sections sections;
    qsizetype start = 0;
    while (start < bytes.size()) {
        // CR, LF and CR LF end a line (the LF of a CR LF ends an empty one).
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArrayView line = bytes.sliced(start, end - start);
        start = end + 1;

        qsizetype lead = 0;
        while (lead < line.size() && isBlank(line[lead]))
            ++lead;
        if (lead == line.size() || line[lead] == ';')
            continue;
        if (line[lead] == '[') {
            QByteArrayView name = line.sliced(lead + 1);
            const qsizetype close = name.indexOf(']');
            if (close >= 0)
                name.truncate(close);
            name = trimBlanks(name);
            in = In::Other;
            // Only the first section of each name counts.
            if (sameName(name, "Mass") && !massSeen) {
                massSeen = true;
                in = In::Mass;
            } else if (sameName(name, "Parameter") && !parameterSeen) {
                parameterSeen = true;
                in = In::Parameter;
            }
            continue;
        }
        if (in == In::Mass)
            sections.massLines.append(line);
        else if (in == In::Parameter)
            sections.parameterLines.append(line);
    }
    sections.hasMass = massSeen;
    return sections;
}

bool isLineSpace(char c)
{
    return isBlank(c) || c == '\r' || c == '\n';
}

/// The text of the file after its byte-order mark, as the section reader takes it: bytes in
/// Windows-1251 or UTF-8 (UTF-16 is converted into `storage`). False when the bytes are not
/// text in the encoding their mark names.
bool fileText(QByteArrayView bytes, QByteArray &storage, QByteArrayView &text,
              TextEncoding &encoding)
{
    encoding = TextEncoding::Cp1251;
    text = bytes;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = TextEncoding::Utf8;
        text = bytes.sliced(3);
        // Stateless: a character cut off at the end is an error too.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = decoder.decode(text);
        Q_UNUSED(decoded);
        return !decoder.hasError();
    }
    const bool little = bytes.startsWith("\xFF\xFE");
    if (!little && !bytes.startsWith("\xFE\xFF"))
        return true;
    encoding = little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
    const QByteArrayView units = bytes.sliced(2);
    if (units.size() % 2 != 0)
        return false;
    QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                           QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(units);
    if (decoder.hasError() || !decoded.isValidUtf16())
        return false;
    storage = decoded.toUtf8();
    text = storage;
    return true;
}

TextPair recordFaultText(RecordFault fault)
{
    switch (fault) {
    case RecordFault::MissingKey:
        return {"записи нет в файле", "the file holds no record for it"};
    case RecordFault::WrongLength:
        return {"запись неверной длины", "the record has the wrong length"};
    case RecordFault::NotHex:
        return {"запись содержит не шестнадцатеричные знаки",
                "the record holds characters that are not hexadecimal digits"};
    case RecordFault::BadChecksum:
        return {"неверная контрольная сумма записи", "the record's checksum does not match"};
    }
    return {"", ""};
}

/// Appends the file's masses; with `renameTaken`, a mass whose name is taken gets a free one.
LoadReport append(MassLibrary &library, const FileContents &contents, bool renameTaken)
{
    LoadReport report;
    report.firstMass = library.massCount();
    report.firstRow = library.layerTotal();
    QSet<QString> taken;
    if (renameTaken) {
        taken.reserve(library.massCount() + contents.masses.size());
        for (const QString &name : library.massNames())
            taken.insert(name.toCaseFolded());
    }
    size_t j = 0;
    for (const FileMass &mass : contents.masses) {
        QString name = mass.name;
        if (renameTaken) {
            if (taken.contains(name.toCaseFolded())) {
                name = FreeMassName(mass.name, taken);
                report.renamed.append({library.massCount(), mass.name, name});
            }
            taken.insert(name.toCaseFolded());
        }
        library.addMass(name);
        for (const QString &layer : mass.layers) {
            ProgParam record = j < contents.records.size() ? contents.records[j] : ProgParam{};
            record.ProgNumber = quint8((report.firstRow + int(j) + 1) & 0xFF);
            library.appendLayer(layer, record);
            ++j;
        }
    }
    report.massCount = library.massCount() - report.firstMass;
    report.layerCount = library.layerTotal() - report.firstRow;
    for (const auto &[layer, fault] : contents.unreadable) {
        const int row = report.firstRow + layer;
        const LayerRow &r = library.storage().Row(row);
        report.badRecords.append({row, library.massName(r.mass), r.name, fault});
    }
    return report;
}

} // namespace

QByteArray EncodeRecord(const ProgParam &record)
{
    const ProgParam::Payload payload = record.toPayload();
    QByteArray text;
    text.reserve(RecordTextLength);
    quint8 sum = 0;
    for (quint8 byte : payload) {
        text.append(kHexDigits[byte >> 4]);
        text.append(kHexDigits[byte & 0x0F]);
        sum = quint8(sum + byte);
    }
    text.append(kHexDigits[sum >> 4]);
    text.append(kHexDigits[sum & 0x0F]);
    return text;
}

std::optional<RecordFault> DecodeRecord(QByteArrayView value, ProgParam &record)
{
    if (value.size() != RecordTextLength)
        return RecordFault::WrongLength;
    std::array<quint8, ProgParam::PayloadSize + 1> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int high = hexValue(value[qsizetype(2 * i)]);
        const int low = hexValue(value[qsizetype(2 * i + 1)]);
        if (high < 0 || low < 0)
            return RecordFault::NotHex;
        bytes[i] = quint8(high * 16 + low);
    }
    ProgParam::Payload payload{};
    quint8 sum = 0;
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = bytes[i];
        sum = quint8(sum + bytes[i]);
    }
    if (sum != bytes.back())
        return RecordFault::BadChecksum;
    record = ProgParam::fromPayload(payload);
    return std::nullopt;
}

QByteArray Encode(const MassLibrary &library)
{
    QByteArray out;
    const LStorage &rows = library.storage();
    out.reserve(qsizetype(rows.Count()) * (RecordTextLength + 12));
    if (library.massCount() > 0) {
        out.append("[Mass]\r\n");
        // Rows are grouped by mass in mass order: one walk over them gives every list.
        int r = 0;
        for (int i = 0; i < library.massCount(); ++i) {
            out.append(Cp1251::fromUnicode(library.massName(i)));
            out.append('=');
            for (bool firstLayer = true; r < rows.Count() && rows.Row(r).mass == i; ++r) {
                if (!firstLayer)
                    out.append(kLayerSeparator);
                out.append(Cp1251::fromUnicode(rows.Row(r).name));
                firstLayer = false;
            }
            out.append("\r\n");
        }
    }
    if (library.layerTotal() > 0) {
        out.append("[Parameter]\r\n");
        for (int r = 0; r < library.layerTotal(); ++r) {
            out.append(QByteArray::number(r));
            out.append('=');
            out.append(EncodeRecord(*library.record(r)));
            out.append("\r\n");
        }
    }
    return out;
}

FileContents Decode(QByteArrayView bytes)
{
    FileContents contents;
    if (bytes.size() > MaxFileSize) {
        contents.error = ReadError::TooLarge;
        return contents;
    }
    QByteArray converted;
    QByteArrayView text;
    const bool isText = fileText(bytes, converted, text, contents.encoding);
    // A text file holds no zero byte; a program or an image does.
    if (!isText || text.contains('\0')) {
        contents.error = ReadError::NotText;
        return contents;
    }
    if (std::all_of(text.begin(), text.end(), isLineSpace)) {
        contents.empty = true;
        return contents;
    }
    const Sections sections = splitSections(text);
    contents.hasMassSection = sections.hasMass;
    if (!sections.hasMass) {
        contents.error = ReadError::NoMassSection;
        return contents;
    }
    const TextEncoding encoding = contents.encoding;
    const auto toUnicode = [encoding](QByteArrayView name) {
        return encoding == TextEncoding::Cp1251 ? Cp1251::toUnicode(name) : QString::fromUtf8(name);
    };
    const auto tooMany = [&contents, encoding] {
        contents = FileContents{};
        contents.hasMassSection = true;
        contents.encoding = encoding;
        contents.error = ReadError::TooManyEntries;
        return contents;
    };
    if (sections.massLines.size() > MaxEntries)
        return tooMany();

    qint64 layerTotal = 0;
    for (QByteArrayView line : sections.massLines) {
        FileMass mass;
        const qsizetype equals = line.indexOf('=');
        mass.name = toUnicode(trimBlanks(equals < 0 ? line : line.first(equals)));
        QByteArrayView value = equals < 0 ? QByteArrayView() : trimBlanks(line.sliced(equals + 1));
        // An empty value, or an empty piece after a final separator, is no layer.
        while (!value.isEmpty()) {
            if (++layerTotal > MaxEntries)
                return tooMany();
            const qsizetype separator = value.indexOf(kLayerSeparator);
            if (separator < 0) {
                mass.layers.append(toUnicode(value));
                break;
            }
            mass.layers.append(toUnicode(value.first(separator)));
            value = value.sliced(separator + 1);
        }
        contents.masses.append(std::move(mass));
    }

    std::vector<QByteArrayView> values(static_cast<size_t>(layerTotal));
    std::vector<bool> found(static_cast<size_t>(layerTotal), false);
    for (QByteArrayView line : sections.parameterLines) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const qint64 key = rowKey(trimBlanks(line.first(equals)), layerTotal);
        if (key < 0 || found[size_t(key)])
            continue;
        found[size_t(key)] = true;
        values[size_t(key)] = trimBlanks(line.sliced(equals + 1));
    }

    contents.records.resize(size_t(layerTotal));
    for (size_t j = 0; j < contents.records.size(); ++j) {
        const std::optional<RecordFault> fault =
            found[j] ? DecodeRecord(values[j], contents.records[j]) : RecordFault::MissingKey;
        if (fault)
            contents.unreadable.append({int(j), *fault});
    }
    return contents;
}

FileContents ReadFile(const QString &path)
{
    // One byte past the limit tells a file that is too large.
    const FileSync::FileBytes file = FileSync::ReadRegularFile(path, MaxFileSize + 1);
    FileContents contents;
    switch (file.outcome) {
    case FileSync::ReadOutcome::Read:
        return Decode(file.bytes);
    case FileSync::ReadOutcome::Folder:
        contents.error = ReadError::Folder;
        break;
    case FileSync::ReadOutcome::NotRegularFile:
        contents.error = ReadError::NotRegularFile;
        break;
    case FileSync::ReadOutcome::Failed:
        contents.error = ReadError::CannotOpen;
        contents.errorDetail = file.error;
        break;
    }
    return contents;
}

QString ReadErrorText(const FileContents &contents, quint8 language)
{
    switch (contents.error) {
    case ReadError::None:
        break;
    case ReadError::CannotOpen:
        return TextPair{"Не удалось открыть файл: %1", "The file could not be opened: %1"}
            .text(language)
            .arg(contents.errorDetail);
    case ReadError::TooLarge:
        return TextPair{"Файл слишком велик для файла масс (более %1 байт).",
                        "The file is too large for a masses file (more than %1 bytes)."}
            .text(language)
            .arg(MaxFileSize);
    case ReadError::TooManyEntries:
        return TextPair{"В файле более %1 масс или слоёв.",
                        "The file names more than %1 masses or layers."}
            .text(language)
            .arg(MaxEntries);
    case ReadError::Folder:
        return TextPair{"Это папка, а не файл.", "It is a folder, not a file."}.text(language);
    case ReadError::NotRegularFile:
        return TextPair{"Это не обычный файл (а устройство или канал); он не читается.",
                        "It is not a regular file (but a device or a pipe); it is not read."}
            .text(language);
    case ReadError::NotText:
        if (contents.encoding == TextEncoding::Cp1251)
            return TextPair{
                "Это не текстовый файл (в нём есть нулевые байты), поэтому и не файл масс.",
                "It is not a text file (it holds zero bytes), so it is no masses file."}
                .text(language);
        return TextPair{"Текст файла не в кодировке %1, которую называет его метка порядка "
                        "байтов.",
                        "The file's text is not in %1, the encoding its byte-order mark names."}
            .text(language)
            .arg(contents.encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                         : QStringLiteral("UTF-16"));
    case ReadError::NoMassSection:
        return TextPair{"В файле нет раздела [Mass]: это не файл масс.",
                        "The file holds no [Mass] section: it is no masses file."}
            .text(language);
    }
    return {};
}

LoadReport Open(MassLibrary &library, const FileContents &contents)
{
    library.clear();
    return append(library, contents, false);
}

LoadReport Add(MassLibrary &library, const FileContents &contents)
{
    return append(library, contents, true);
}

QString FreeMassName(const QString &name, const QSet<QString> &takenKeys)
{
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        QString base = name.left(std::max<qsizetype>(MaxNameLength - suffix.size(), 0));
        while (!base.isEmpty() && IsNameBlank(base.back()))
            base.chop(1);
        const QString candidate = base.isEmpty() ? suffix.mid(1) : base + suffix;
        if (!takenKeys.contains(candidate.toCaseFolded()))
            return candidate;
    }
}

QString RenamedMassesLogText(const QList<RenamedMass> &renamed, quint8 language)
{
    if (renamed.isEmpty())
        return {};
    QStringList pairs;
    for (qsizetype i = 0; i < renamed.size() && i < ListedRenames; ++i) {
        pairs << TextPair{"«%1» → «%2»", "\"%1\" → \"%2\""}.text(language).arg(
            ElideName(renamed[i].fileName, LogNameLength), renamed[i].newName);
    }
    if (renamed.size() > ListedRenames)
        pairs << TextPair{"и ещё %1", "and %1 more"}.text(language).arg(renamed.size() -
                                                                        ListedRenames);
    return TextPair{" Добавленные массы переименованы (такие названия уже есть): %1.",
                    " Added masses renamed (their names were taken): %1."}
        .text(language)
        .arg(pairs.join(QStringLiteral(", ")));
}

QString BadRecordLogText(const BadRecord &bad, quint8 language)
{
    return TextPair{" Параметры слоя «%1» массы «%2» не прочитаны (%3); параметры слоя нулевые.",
                    " The parameters of layer \"%1\" of mass \"%2\" could not be read (%3); the "
                    "layer's parameters are zero."}
        .text(language)
        .arg(ElideName(bad.layerName, LogNameLength), ElideName(bad.massName, LogNameLength),
             recordFaultText(bad.fault).text(language));
}

SaveResult Save(const MassLibrary &library, const QString &path)
{
    SaveResult result;
    result.nameProblems = CheckLibraryNames(library);
    if (!result.nameProblems.isEmpty())
        return result;
    result.error = FileSync::SaveFile(path, Encode(library));
    result.saved = result.error.isEmpty();
    return result;
}

} // namespace MassesFile
