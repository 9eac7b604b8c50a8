// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/furnacedisplay.h"

#include "link/linktexts.h"

namespace
{

QString twoDigits(int v)
{
    return v < 10 ? QStringLiteral("0") + QString::number(v) : QString::number(v);
}

} // namespace

ModelPanel ModelPanelText(const FurnaceImage &image)
{
    if (image.FurnaceModelName.isEmpty())
        return {QStringLiteral("Unknown"), 60};
    return {image.FurnaceModelName + QStringLiteral(" v:") + QString::number(image.VersionMajor) +
                QStringLiteral(".") + twoDigits(image.VersionMinor),
            100};
}

QString UnknownModelText(quint8 modelId, quint8 language)
{
    return LinkTexts::UnknownModel.text(language) + QString::number(modelId) + QStringLiteral(").");
}

QString ControllerModeText(quint8 mode, quint8 language)
{
    for (const auto &m : LinkTexts::ControllerModes) {
        if (m.mode == mode)
            return m.text.text(language);
    }
    return QString::number(mode);
}

QString ChamberStateText(quint8 chamberStatus, quint8 language)
{
    const int position = chamberStatus & 0x07;
    if (position < int(LinkTexts::ChamberStates.size()))
        return LinkTexts::ChamberStates[size_t(position)].text(language);
    return LinkTexts::ChamberUnknown.text(language).arg(position);
}

QString TemperatureCaption(const FurnaceImage &image)
{
    return QStringLiteral("T=") + QString::number(image.ChamberTemp) + QStringLiteral("°C");
}

static bool economySet(quint8 mode)
{
    return mode >= 90 && mode <= 95;
}

QString PressureCaption(const FurnaceImage &image)
{
    return (economySet(image.VacEconomyMode) ? QStringLiteral("*") : QString()) +
           QStringLiteral("P=") + QString::number(image.Vacuum) + QStringLiteral("%");
}

QString EconomyLabel(const FurnaceImage &image)
{
    if (image.VacEconomyMode >= 91 && image.VacEconomyMode <= 95)
        return QString::number(image.VacEconomyMode) + QStringLiteral("%");
    if (image.VacEconomyMode == 90)
        return QStringLiteral("---");
    return QStringLiteral("MAX");
}

int TemperatureGlyph(const FurnaceImage &image)
{
    return (image.ChamberStatus & 0x60) ? 1 : 0;
}

int PressureGlyph(const FurnaceImage &image)
{
    return (image.ChamberStatus & 0x08) ? 3 : 2;
}

QString ClockTimeText(const FurnaceImage &image)
{
    return QString::number(image.ClockHour) + QStringLiteral(":") + twoDigits(image.ClockMinute) +
           QStringLiteral(":") + twoDigits(image.ClockSecond);
}

QString ClockDateText(const FurnaceImage &image)
{
    return QString::number(image.ClockDay) + QStringLiteral("/") + twoDigits(image.ClockMonth) +
           QStringLiteral("/") + QString::number(2000 + image.ClockYear);
}

QString ZoneTimeText(quint16 seconds)
{
    return QString::number(seconds / 60) + QStringLiteral(":") + twoDigits(seconds % 60);
}

QString SupportTempText(quint16 celsius)
{
    return QStringLiteral("Тподдер = ") + QString::number(celsius) + QStringLiteral("°C");
}
