// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/furnaceimage.h"

#include <QString>

// The texts the main window shows for the furnace image, as the replies arrive.

/// Status-bar panel 0 for the identified model: text and panel width.
struct ModelPanel {
    QString text;
    int width = 70;
};
ModelPanel ModelPanelText(const FurnaceImage &image);

/// Text of the unknown-model box.
QString UnknownModelText(quint8 modelId, quint8 language);

/// Status-bar panel 1: the controller mode.
QString ControllerModeText(quint8 mode, quint8 language);

/// lblChamberState: the chamber position state (ChamberStatus bits 0-2).
QString ChamberStateText(quint8 chamberStatus, quint8 language);

/// "T=800°C" on sbTemperature.
QString TemperatureCaption(const FurnaceImage &image);
/// "*P=80%" on sbPressure: "*" while an economy mode (90..95) is set.
QString PressureCaption(const FurnaceImage &image);
/// lblVacEconMode: "93%", "---" (economy off) or "MAX".
QString EconomyLabel(const FurnaceImage &image);
/// Glyph indexes of the two display buttons (0/1 heater off/on, 2/3 vacuum off/on).
int TemperatureGlyph(const FurnaceImage &image);
int PressureGlyph(const FurnaceImage &image);

/// lblTime "9:05:07" and lblDate "7/03/2026".
QString ClockTimeText(const FurnaceImage &image);
QString ClockDateText(const FurnaceImage &image);
/// Status-bar panel 3: "12:07".
QString ZoneTimeText(quint16 seconds);
/// lblTsupport: "Тподдер = 400°C" (one form in both languages).
QString SupportTempText(quint16 celsius);
