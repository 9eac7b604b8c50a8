// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"

/// The contexts in which a screen reader reads the main window's live values.
namespace AccessTexts
{
inline constexpr TextPair ChamberState{"Положение камеры", "Chamber position"};
inline constexpr TextPair ClockTime{"Время печи", "Furnace clock"};
inline constexpr TextPair ClockDate{"Дата печи", "Furnace date"};
inline constexpr TextPair Economy{"Экономия вакуума", "Vacuum economy"};
inline constexpr TextPair Model{"Печь", "Furnace"};
inline constexpr TextPair Mode{"Режим ПУ", "Controller mode"};
inline constexpr TextPair Zone{"Шаг программы", "Program step"};
inline constexpr TextPair ZoneTime{"Время шага", "Step time"};
inline constexpr TextPair Hint{"Подсказка", "Hint"};
} // namespace AccessTexts
