// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/texts.h"

#include "common/programstep.h"

namespace Texts
{

namespace
{

bool isField(int field)
{
    return field >= 0 && field < static_cast<int>(FieldTexts.size());
}

/// Joins the pieces of a built text, each either a text pair (taken in `language`) or a number
/// (decimal, no leading zeros).
class TextBuilder
{
public:
    explicit TextBuilder(quint8 language)
        : m_language(language)
    {
    }

    TextBuilder &operator<<(const TextPair &piece)
    {
        m_text += piece.text(m_language);
        return *this;
    }
    TextBuilder &operator<<(quint16 number)
    {
        m_text += QString::number(number);
        return *this;
    }
    TextBuilder &operator<<(const QString &piece)
    {
        m_text += piece;
        return *this;
    }

    QString text() const { return m_text; }

private:
    quint8 m_language;
    QString m_text;
};

} // namespace

QString FieldHint(int field, quint8 language)
{
    if (!isField(field))
        return {};
    const FieldText &f = FieldTexts[static_cast<std::size_t>(field)];
    return f.description.text(language) + f.range.text(language);
}

QString ParameterErrorText(int field, quint8 language)
{
    if (!isField(field))
        return {};
    const FieldText &f = FieldTexts[static_cast<std::size_t>(field)];
    return f.description.text(language) + QStringLiteral("\n\n") + f.range.text(language);
}

QString FaultText(int code, quint8 language)
{
    if (code >= 0 && code < static_cast<int>(FaultTexts.size()))
        return FaultTexts[static_cast<std::size_t>(code)].text(language);
    return UnknownFaultPrefix.text(language) + QString::number(code) + QLatin1Char(')');
}

std::optional<QString> StageText(int zone, const ProgParam &r, quint8 language)
{
    TextBuilder t(language);
    if (zone >= ProgramStep::Preparing && zone <= ProgramStep::LastPreparing) {
        t << StagePrepare;
        return t.text();
    }
    switch (zone) {
    case ProgramStep::PreDryHold:
        t << StageHolding << r.PreDryHold << StageMinAtPreDry << r.PreDryTemp << DegC;
        break;
    case ProgramStep::DryClosing:
        t << StageClosingToLevel << r.DryLevel << StagePercentFor << r.DryCloseTime << StageMinutes;
        break;
    case ProgramStep::DryHeating:
        t << StageHeatToDry << r.DryTemp << DegC;
        break;
    case ProgramStep::DryHold:
        t << StageHolding << r.DryHold << StageMinAtDry << r.DryTemp << DegC;
        break;
    case ProgramStep::PreHeatClosing:
        t << StageClosingToLevel << r.PreHeatLevel << StagePercentFor << r.PreHeatCloseTime
          << StageMinutes;
        break;
    case ProgramStep::PreHeatHeating:
        t << StageHeatToPreHeat << r.PreHeatTemp << DegC;
        break;
    case ProgramStep::PreHeatHold:
        t << StageHolding << r.PreHeatHold << StageMinAtPreHeat << r.PreHeatTemp << DegC;
        break;
    case ProgramStep::ChamberClosing:
        t << StageChamberClosing;
        break;
    case ProgramStep::FiringRamp:
        t << StageHeatToFiring << r.HeatTemp << StageDegAtSpeed << r.HeatRate << StageDegPerMin;
        break;
    case ProgramStep::Firing:
        t << StageFiring << r.FiringTime << StageSecAtHeat << r.HeatTemp << DegC;
        break;
    case ProgramStep::Cooling:
    case ProgramStep::LastCooling:
        t << StageCoolToCool << r.CoolTemp << StageDegFor << r.CoolTime << StageMinutes;
        break;
    case ProgramStep::Tempering:
        t << StageTempering << r.TemperingTime << StageMinAtCool << r.CoolTemp << DegC;
        break;
    case ProgramStep::CoolingToOpen:
        t << StageCoolToOpen << r.OpenTemp << DegC;
        break;
    case ProgramStep::Opening:
    case ProgramStep::LastOpening:
        t << StageOpeningFor << r.OpenTime << StageMinutes;
        break;
    case ProgramStep::Finished:
        t << ProgramFinished;
        break;
    default:
        return std::nullopt;
    }
    return t.text();
}

QString AboutText(quint8 language, const QString &appVersion, const QString &qtVersion)
{
    TextBuilder t(language);
    t << QString::fromLatin1(ProgramTitle) << QStringLiteral("\n") << AboutDescription
      << QStringLiteral("\n\n") << AboutVersion << appVersion << QStringLiteral("\n")
      << AboutQtVersion << qtVersion;
    return t.text();
}

QString RemainingTitle(quint16 minutes, quint8 language)
{
    TextBuilder t(language);
    t << RemainingPrefix << minutes << StageMinutes;
    return t.text();
}

} // namespace Texts
