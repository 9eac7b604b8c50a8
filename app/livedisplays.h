// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

/// The main window's displays of live furnace values, as bits: which of them show a value that
/// the link has not confirmed since it was lost (or since start). Such a display is greyed.
namespace LiveDisplay
{
inline constexpr quint32 Temperature = 1u << 0;   ///< sbTemperature
inline constexpr quint32 Pressure = 1u << 1;      ///< sbPressure
inline constexpr quint32 ChamberState = 1u << 2;  ///< lblChamberState
inline constexpr quint32 Time = 1u << 3;          ///< lblTime
inline constexpr quint32 Date = 1u << 4;          ///< lblDate
inline constexpr quint32 Tsupport = 1u << 5;      ///< lblTsupport
inline constexpr quint32 VacEconMode = 1u << 6;   ///< lblVacEconMode
inline constexpr quint32 Panel1 = 1u << 7;        ///< status panel 1, the controller mode
inline constexpr quint32 Panel2 = 1u << 8;        ///< status panel 2, the zone
inline constexpr quint32 Panel3 = 1u << 9;        ///< status panel 3, the zone time
inline constexpr quint32 RunStage = 1u << 10;     ///< the run panel's stage and step
inline constexpr quint32 RunRemaining = 1u << 11; ///< the run panel's remaining and end time
inline constexpr quint32 All = (1u << 12) - 1;

/// The displays that a decoded reply of `type` writes afresh.
quint32 RefreshedBy(quint8 replyType);
} // namespace LiveDisplay
