#include "namerules.h"

#include "cp1251.h"

NameFault CheckName(const QString &name, bool limitLength)
{
    if (name.trimmed().isEmpty())
        return NameFault::Empty;
    for (QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return NameFault::ControlChar;
    }
    if (!Cp1251::canEncode(name))
        return NameFault::NotInCodePage;
    if (name.contains(QLatin1Char('=')))
        return NameFault::ContainsEquals;
    qsizetype first = 0;
    while (first < name.size() && name.at(first) == QLatin1Char(' '))
        ++first;
    if (first < name.size() &&
        (name.at(first) == QLatin1Char('[') || name.at(first) == QLatin1Char(';')))
        return NameFault::BadStart;
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
    return CheckName(name);
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
    }
    return {"", ""};
}

QList<NameProblem> CheckLibraryNames(const MassLibrary &library)
{
    QList<NameProblem> problems;
    for (int i = 0; i < library.massCount(); ++i) {
        const QString &name = library.massName(i);
        NameFault fault = CheckName(name, false);
        for (int j = 0; fault == NameFault::None && j < i; ++j) {
            if (library.massName(j).compare(name, Qt::CaseInsensitive) == 0)
                fault = NameFault::DuplicateMass;
        }
        if (fault != NameFault::None)
            problems.append({true, i, name, fault});
    }
    const LStorage &rows = library.storage();
    for (int r = 0; r < rows.Count(); ++r) {
        const NameFault fault = CheckName(rows.Row(r).name, false);
        if (fault != NameFault::None)
            problems.append({false, r, rows.Row(r).name, fault});
    }
    return problems;
}

QString NameProblemText(const NameProblem &problem, quint8 language)
{
    const TextPair which = problem.isMass ? TextPair{"Масса «%1»: %2", "Mass \"%1\": %2"}
                                          : TextPair{"Слой «%1»: %2", "Layer \"%1\": %2"};
    return which.text(language).arg(problem.name, NameFaultText(problem.fault).text(language));
}
