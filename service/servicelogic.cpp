// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/servicelogic.h"

#include "common/logtime.h"
#include "service/servicetexts.h"

#include <algorithm>

namespace Service
{

namespace
{

/// Digits only, at least one; the value saturates far above every limit.
std::optional<quint32> parseDigits(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    quint32 value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = std::min<quint32>(value * 10 + quint32(c.unicode() - '0'), 1000000);
    }
    return value;
}

} // namespace

bool IsAccessCode(const QString &text)
{
    return text == QLatin1String(AccessCode);
}

QString DurationText(quint32 seconds)
{
    return HoursMinutesSeconds(seconds);
}

quint16 WorkTimeSeconds(const ServiceBlock &block)
{
    return quint16(block.HeaterWorkTime() / 100);
}

std::optional<quint16> SupportTempToSend(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const std::optional<quint32> value = parseDigits(text);
    if (!value || *value > MaxSupportTemp)
        return std::nullopt;
    return quint16(*value);
}

int EconomyIndex(quint8 mode)
{
    return mode >= 90 && mode <= 95 ? mode - 90 : 6;
}

quint8 EconomyModeOf(int index)
{
    return quint8(std::clamp(index, 0, 6) + 90);
}

int CorrectionDt(const ServiceBlock &block)
{
    return (int(block.KT2()) - int(block.KT1())) / 2;
}

quint16 KT1ForCorrection(quint16 kt2, int dT)
{
    return quint16(int(kt2) - 2 * dT);
}

int ArrowStep(int value, bool up, int lowest, int highest)
{
    return std::clamp(up ? value + 1 : value - 1, lowest, highest);
}

quint8 KvacArrow(ServiceBlock &block, int shown, bool up)
{
    const auto kvac = quint8(ArrowStep(shown, up, KvacLowest, KvacHighest));
    block.setKvac(kvac);
    return kvac;
}

int CorrectionArrow(ServiceBlock &block, int shown, bool up)
{
    // KT1 = KT2 - 2 dT within 0..65535.
    const int kt2 = block.KT2();
    const int lowest = std::max(CorrectionLowest, -((0xFFFF - kt2) / 2));
    const int highest = std::min(CorrectionHighest, kt2 / 2);
    const int dT = ArrowStep(shown, up, lowest, highest);
    block.setKT1(KT1ForCorrection(quint16(kt2), dT));
    return dT;
}

void AmbientArrow(ServiceBlock &block, quint16 fineReading, bool up)
{
    block.setAmbientOffset(AmbientArrowStep(block.AmbientOffset(), up));
    block.setTcoupleOffset(fineReading);
}

quint8 AmbientArrowStep(quint8 offset, bool up)
{
    // An offset outside the limits (as a blank memory holds) comes in at the end it passes.
    if (up) {
        if (offset <= AmbientOffsetLowest || offset > AmbientOffsetHighest)
            return AmbientOffsetHighest;
        return quint8(offset - 1);
    }
    if (offset >= AmbientOffsetHighest || offset < AmbientOffsetLowest)
        return AmbientOffsetLowest;
    return quint8(offset + 1);
}

std::optional<TextPair> ReperRunPhase(quint8 step)
{
    switch (step) {
    case 0:
    case 1:
        return ServiceTexts::ChamberOpening;
    case 2:
        return ServiceTexts::ChamberClosing;
    case 3:
        return ServiceTexts::Heating60;
    case 4:
    case 6:
    case 7:
        return ServiceTexts::Cooling;
    case 5:
        return ServiceTexts::Heating5;
    default:
        return std::nullopt;
    }
}

std::optional<TextPair> ReperTuningPhase(quint8 step)
{
    if (step > ReperTuningLastStep)
        return std::nullopt;
    return ReperRunPhase(step);
}

FieldEntry ParseFieldText(const ParameterField &field, const QString &text)
{
    const std::optional<quint32> value = parseDigits(text);
    if (!value)
        return {};
    if (field.lowest >= 0 && *value < quint32(field.lowest))
        return {FieldEntry::Ignored, 0};
    if (*value > quint32(field.highest))
        return {FieldEntry::Clamped, quint16(field.highest)};
    return {FieldEntry::Stored, quint16(*value)};
}

quint16 FieldValue(const ServiceBlock &block, const ParameterField &field)
{
    return field.wide ? block.u16(field.offset) : block.u8(field.offset);
}

void StoreField(ServiceBlock &block, const ParameterField &field, quint16 value)
{
    if (field.wide)
        block.setU16(field.offset, value);
    else
        block.setU8(field.offset, quint8(value));
}

FieldEntry EnterField(ServiceBlock &block, const ParameterField &field, const QString &text)
{
    const FieldEntry entry = ParseFieldText(field, text);
    if (entry.outcome == FieldEntry::Stored || entry.outcome == FieldEntry::Clamped)
        StoreField(block, field, entry.value);
    return entry;
}

QString OpeningText(const ServiceBlock &block, quint8 language)
{
    return ServiceTexts::Opening.text(language) + QString::number(block.OpeningSeconds()) +
           ServiceTexts::Seconds.text(language) + QStringLiteral(", ") +
           QString::number(block.OpeningPulses());
}

QString ClosingText(const ServiceBlock &block, quint8 language)
{
    return ServiceTexts::Closing.text(language) + QString::number(block.ClosingSeconds()) +
           ServiceTexts::Seconds.text(language) + QStringLiteral(", ") +
           QString::number(block.ClosingPulses());
}

QString WorkTimeText(const ServiceBlock &block)
{
    return DurationText(WorkTimeSeconds(block));
}

QString ResourceText(const ServiceBlock &block)
{
    return DurationText(block.HeaterResource());
}

QString FieldText(const ServiceBlock &block, const ParameterField &field)
{
    return QString::number(FieldValue(block, field));
}

QString ReperCountText(const ServiceBlock &block, quint8 language)
{
    return ServiceTexts::ReperWorkedOut.text(language) + QString::number(block.ReperCount()) +
           ServiceTexts::Times.text(language);
}

QString TuneCountText(const ServiceBlock &block, quint8 language)
{
    return ServiceTexts::RsWorkedOut.text(language) + QString::number(block.ReperCount()) +
           ServiceTexts::Times.text(language);
}

QString TOperationText(const ServiceBlock &block, quint8 language)
{
    return ServiceTexts::TOperation.text(language) + QString::number(block.Trep()) +
           QStringLiteral("°C");
}

QString UOperationText(const ServiceBlock &block, int i, quint8 language)
{
    const quint16 voltages[] = {block.Urep1(), block.Urep2(), block.Urep3()};
    const size_t at = size_t(std::clamp(i, 0, 2));
    return ServiceTexts::UOperation[at].text(language) + QString::number(voltages[at]) +
           ServiceTexts::Millivolt.text(language);
}

QString TuningResultText(const ServiceBlock &block, quint16 operatedAt)
{
    return QStringLiteral("dT= %1°C").arg(int(operatedAt) - int(block.Trep()));
}

} // namespace Service
