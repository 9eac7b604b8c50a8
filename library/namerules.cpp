// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/namerules.h"

#include "library/cp1251.h"

#include <QSet>

#include <algorithm>

namespace
{

/// Names shown in a message about them are cut to this length.
constexpr int MessageNameLength = 60;

/// What no name may be: empty or blank, with control characters, outside code page 1251.
NameFault textFault(const QString &name)
{
    if (name.trimmed().isEmpty())
        return NameFault::Empty;
    for (QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return NameFault::ControlChar;
    }
    if (!Cp1251::canEncode(name))
        return NameFault::NotInCodePage;
    return NameFault::None;
}

bool hasEdgeBlank(const QString &name)
{
    return !name.isEmpty() && (IsNameBlank(name.front()) || IsNameBlank(name.back()));
}

/// Characters that break a layer name in the file: line breaks, the layer separator and the
/// zero byte that ends a value for the system's own reader.
bool breaksLayerName(QChar c)
{
    return c == QChar(0) || c == QChar(0x01) || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

/// A saved layer name: `first` and `last` in its mass's list of layers.
NameFault checkSavedLayerName(const QString &name, bool first, bool last)
{
    if (name.isEmpty())
        return last ? NameFault::LostEmpty : NameFault::None;
    if (std::any_of(name.begin(), name.end(), breaksLayerName))
        return NameFault::ControlChar;
    if (!Cp1251::canEncode(name))
        return NameFault::NotInCodePage;
    if ((first && IsNameBlank(name.front())) || (last && IsNameBlank(name.back())))
        return NameFault::EdgeBlank;
    return NameFault::None;
}

} // namespace

bool IsNameBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString ElideName(const QString &name, int maxLength)
{
    if (name.size() <= maxLength || maxLength < 1)
        return name;
    return name.left(maxLength - 1) + QChar(0x2026);
}

NameFault CheckName(const QString &name, bool limitLength)
{
    if (const NameFault fault = textFault(name); fault != NameFault::None)
        return fault;
    if (name.contains(QLatin1Char('=')))
        return NameFault::ContainsEquals;
    qsizetype first = 0;
    while (first < name.size() && name.at(first) == QLatin1Char(' '))
        ++first;
    if (first < name.size() &&
        (name.at(first) == QLatin1Char('[') || name.at(first) == QLatin1Char(';')))
        return NameFault::BadStart;
    if (hasEdgeBlank(name))
        return NameFault::EdgeBlank;
    if (limitLength && name.size() > MaxNameLength)
        return NameFault::TooLong;
    return NameFault::None;
}

NameFault CheckMassName(const MassLibrary &library, const QString &name, int renamedMass)
{
    const NameFault fault = CheckName(name);
    if (fault != NameFault::None)
        return fault;
    for (int i = 0; i < library.massCount(); ++i) {
        if (i != renamedMass && library.massName(i).compare(name, Qt::CaseInsensitive) == 0)
            return NameFault::DuplicateMass;
    }
    return NameFault::None;
}

NameFault CheckLayerName(const QString &name)
{
    if (const NameFault fault = textFault(name); fault != NameFault::None)
        return fault;
    if (hasEdgeBlank(name))
        return NameFault::EdgeBlank;
    if (name.size() > MaxNameLength)
        return NameFault::TooLong;
    return NameFault::None;
}

TextPair NameFaultText(NameFault fault)
{
    switch (fault) {
    case NameFault::None:
        break;
    case NameFault::Empty:
        return {"Название не может быть пустым.", "The name must not be empty."};
    case NameFault::TooLong:
        return {"Название не может быть длиннее 18 символов.",
                "The name must not be longer than 18 characters."};
    case NameFault::ControlChar:
        return {
            "Название не может содержать управляющие символы (перевод строки, табуляция и т. п.).",
            "The name must not contain control characters (line breaks, tabs and the like)."};
    case NameFault::NotInCodePage:
        return {"Название содержит символ, который нельзя сохранить в файле масс.",
                "The name contains a character that a masses file cannot hold."};
    case NameFault::ContainsEquals:
        return {"Название не может содержать знак \"=\".", "The name must not contain \"=\"."};
    case NameFault::BadStart:
        return {"Название не может начинаться с \"[\" или \";\".",
                "The name must not begin with \"[\" or \";\"."};
    case NameFault::DuplicateMass:
        return {"Масса с таким названием уже есть (заглавные и строчные буквы не различаются).",
                "A mass with this name already exists (capital and small letters count as the "
                "same)."};
    case NameFault::EdgeBlank:
        return {"Название не может начинаться или заканчиваться пробелом.",
                "The name must not begin or end with a blank."};
    case NameFault::LostEmpty:
        return {"Пустое название последнего слоя массы не сохраняется в файле масс.",
                "An empty name is lost in a masses file when the layer is its mass's last."};
    }
    return {"", ""};
}

QList<NameProblem> CheckLibraryNames(const MassLibrary &library)
{
    QList<NameProblem> problems;
    // Keys match without regard to letter case: one hash of the folded names finds them all.
    QSet<QString> keys;
    keys.reserve(library.massCount());
    for (int i = 0; i < library.massCount(); ++i) {
        const QString &name = library.massName(i);
        const QString key = name.toCaseFolded();
        NameFault fault = CheckName(name, false);
        if (fault == NameFault::None && keys.contains(key))
            fault = NameFault::DuplicateMass;
        keys.insert(key);
        if (fault != NameFault::None)
            problems.append({true, i, name, fault});
    }
    const LStorage &rows = library.storage();
    for (int r = 0; r < rows.Count(); ++r) {
        const LayerRow &row = rows.Row(r);
        const bool first = r == 0 || rows.Row(r - 1).mass != row.mass;
        const bool last = r + 1 == rows.Count() || rows.Row(r + 1).mass != row.mass;
        const NameFault fault = checkSavedLayerName(row.name, first, last);
        if (fault != NameFault::None)
            problems.append({false, r, row.name, fault});
    }
    return problems;
}

QString NameProblemText(const NameProblem &problem, quint8 language)
{
    const TextPair which = problem.isMass ? TextPair{"Масса «%1»: %2", "Mass \"%1\": %2"}
                                          : TextPair{"Слой «%1»: %2", "Layer \"%1\": %2"};
    return which.text(language).arg(ElideName(problem.name, MessageNameLength),
                                    NameFaultText(problem.fault).text(language));
}
