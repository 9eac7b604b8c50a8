// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"

/// Texts the firing-curve graph writes itself: the units of its axes and its legend.
namespace CurveTexts
{
inline constexpr TextPair TemperatureUnit{"°C", "°C"};
inline constexpr TextPair TimeUnit{"мин:с", "min:s"};
inline constexpr TextPair LegendPlan{"План", "Plan"};
inline constexpr TextPair LegendExecuted{"Выполнено", "Executed"};
inline constexpr TextPair LegendMeasured{"Измерено", "Measured"};
inline constexpr TextPair LegendVacuumOn{"Вакуум вкл.", "Vacuum on"};
inline constexpr TextPair LegendVacuumOff{"Вакуум выкл.", "Vacuum off"};
/// Written instead of the curve while a field of the record lies outside its range: the
/// value and the range.
inline constexpr TextPair NoCurveOutOfRange{"Кривая не построена: значение %1 вне пределов %2.",
                                            "No curve: the value %1 is outside %2."};
/// The accessible name of the graph.
inline constexpr TextPair GraphName{"Кривая обжига", "Firing curve"};
} // namespace CurveTexts
