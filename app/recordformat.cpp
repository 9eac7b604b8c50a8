// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/recordformat.h"

#include "app/runfigures.h"
#include "app/texts.h"
#include "library/paramentry.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <string_view>

namespace
{

constexpr TextPair UnitMinutes{"мин", "min"};
constexpr TextPair UnitPercent{"%", "%"};

/// Where each field stands in the window: its group (GroupCaptions index) and its name label.
struct FieldPlace {
    int group;
    const char *label;
    int field;
};
constexpr FieldPlace FieldPlaces[] = {
    {0, "Label1", ProgParam::fPreDryTemp},    {0, "Label3", ProgParam::fPreDryHold},
    {1, "Label9", ProgParam::fDryLevel},      {1, "Label11", ProgParam::fDryCloseTime},
    {1, "Label5", ProgParam::fDryTemp},       {1, "Label7", ProgParam::fDryHold},
    {2, "Label13", ProgParam::fPreHeatLevel}, {2, "Label15", ProgParam::fPreHeatCloseTime},
    {2, "Label17", ProgParam::fPreHeatTemp},  {2, "Label19", ProgParam::fPreHeatHold},
    {3, "Label21", ProgParam::fHeatTemp},     {3, "Label23", ProgParam::fHeatRate},
    {3, "Label27", ProgParam::fFiringTime},   {4, "Label29", ProgParam::fCoolTemp},
    {4, "Label31", ProgParam::fCoolTime},     {5, "Label33", ProgParam::fTemperingTime},
    {6, "Label35", ProgParam::fOpenTemp},     {6, "Label37", ProgParam::fOpenTime},
    {7, "Label39", ProgParam::fVacOnTemp},    {7, "Label41", ProgParam::fVacOff},
};
constexpr int GroupCount = 8;

QString labelCaption(const char *control, quint8 language)
{
    for (const Texts::ControlText &c : Texts::LabelCaptions)
        if (std::string_view(c.control) == control)
            return c.text.text(language);
    return {};
}

/// The unit of a field's stored value; `shownAsTime`: its edit field shows minutes:seconds.
TextPair unitOf(const ProgParam &record, int field, bool shownAsTime)
{
    switch (field) {
    case ProgParam::fPreDryHold:
    case ProgParam::fDryCloseTime:
    case ProgParam::fDryHold:
    case ProgParam::fPreHeatCloseTime:
    case ProgParam::fPreHeatHold:
    case ProgParam::fCoolTime:
    case ProgParam::fTemperingTime:
    case ProgParam::fOpenTime:
        return UnitMinutes;
    case ProgParam::fDryLevel:
    case ProgParam::fPreHeatLevel:
        return UnitPercent;
    case ProgParam::fHeatRate:
        return Texts::UnitDegPerMin;
    case ProgParam::fFiringTime:
        return shownAsTime ? Texts::UnitMmSs : Texts::UnitSec;
    case ProgParam::fVacOff:
        if (record.VacOffByTime)
            return shownAsTime ? Texts::UnitMmSs : Texts::UnitSec;
        return Texts::DegC;
    default:
        return Texts::DegC;
    }
}

/// A name as a piece of a file name: blanks and characters some file system refuses become
/// "_", runs of them one, none at either end; at most 40 characters.
QString fileNamePiece(const QString &name)
{
    QString piece;
    for (const QChar ch : name) {
        const bool bad = ch.isSpace() || ch.unicode() < 0x20 || ch == QLatin1Char('.') ||
                         QStringLiteral("/\\:*?\"<>|").contains(ch);
        if (!bad)
            piece += ch;
        else if (!piece.endsWith(QLatin1Char('_')))
            piece += QLatin1Char('_');
    }
    while (piece.startsWith(QLatin1Char('_')))
        piece.remove(0, 1);
    piece.truncate(40);
    while (piece.endsWith(QLatin1Char('_')))
        piece.chop(1);
    return piece;
}

} // namespace

QList<ParameterGroup> RecordParameterGroups(const ProgParam &record, quint8 language)
{
    QList<ParameterGroup> groups;
    for (int g = 0; g < GroupCount; ++g)
        groups.append({Texts::GroupCaptions[size_t(g)].text.text(language), {}});
    for (const FieldPlace &place : FieldPlaces) {
        ParameterLine line;
        line.field = place.field;
        line.label = labelCaption(place.label, language);
        line.shown = FieldText(record, place.field);
        line.unit = unitOf(record, place.field, true).text(language);
        line.raw = record.field(place.field);
        line.rawUnit = unitOf(record, place.field, false).text(language);
        groups[place.group].lines.append(line);
    }
    return groups;
}

QString FurnaceText(const FiringFacts &facts, quint8 language)
{
    if (facts.furnaceModel.isEmpty())
        return FiringTexts::FurnaceUnknown.text(language);
    return QStringLiteral("%1 v:%2.%3")
        .arg(facts.furnaceModel)
        .arg(facts.versionMajor)
        .arg(facts.versionMinor, 2, 10, QLatin1Char('0'));
}

QString OutcomeText(const FiringTrace &trace, quint8 language)
{
    switch (trace.outcome()) {
    case RunOutcome::Running:
        return FiringTexts::Running.text(language);
    case RunOutcome::Finished:
        return FiringTexts::Finished.text(language);
    case RunOutcome::Aborted:
        return FiringTexts::Aborted.text(language);
    case RunOutcome::Fault:
        return FiringTexts::Fault.text(language).arg(trace.endDetail());
    case RunOutcome::Interrupted:
        return FiringTexts::Interrupted.text(language).arg(trace.endDetail());
    }
    return {};
}

QString EventText(const RecordEvent &event, quint8 language)
{
    switch (event.kind) {
    case RecordEventKind::Start:
        return FiringTexts::EventStart.text(language);
    case RecordEventKind::LinkLost:
        return FiringTexts::EventLinkLost.text(language);
    case RecordEventKind::LinkBack:
        return FiringTexts::EventLinkBack.text(language);
    case RecordEventKind::Fault:
        return FiringTexts::Fault.text(language).arg(event.detail);
    case RecordEventKind::Abort:
        return FiringTexts::EventAbort.text(language);
    case RecordEventKind::Finished:
        return FiringTexts::EventFinished.text(language);
    case RecordEventKind::Interrupted:
        return FiringTexts::Interrupted.text(language).arg(event.detail);
    }
    return {};
}

QString DurationText(const FiringTrace &trace, const QDateTime &now)
{
    const QDateTime end = trace.running() ? now : trace.endedAt();
    return FormatDuration(double(trace.startedAt().msecsTo(end)) / 1000.0);
}

QString ProposedRecordName(const FiringRecord &record, const QString &suffix)
{
    QStringList pieces{record.trace().startedAt().toString(QStringLiteral("yyyy-MM-dd_HH-mm"))};
    for (const QString &name : {record.facts().massName, record.facts().layerName}) {
        const QString piece = fileNamePiece(name);
        if (!piece.isEmpty())
            pieces << piece;
    }
    return pieces.join(QLatin1Char('_')) + QLatin1Char('.') + suffix;
}

QString UniqueRecordPath(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    const QFileInfo info(name);
    QString path = dir.filePath(name);
    for (int n = 2; QFileInfo::exists(path) && n < 1000; ++n)
        path = dir.filePath(
            QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix()));
    return path;
}
