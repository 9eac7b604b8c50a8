// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

/// The procedures the console runs (the value kept in ConsoleState::ConsoleMode).
namespace ConsoleMode
{
inline constexpr quint8 Idle = 0;
inline constexpr quint8 DriveCalibration = 16;
inline constexpr quint8 VacuumCalibration = 21;
inline constexpr quint8 OverheatAdjust = 22;
inline constexpr quint8 Fault = 26; ///< a fault box is up
inline constexpr quint8 ReperTuning = 27;
inline constexpr quint8 ReperRun = 28;
inline constexpr quint8 Program = 32;
} // namespace ConsoleMode

/// Console-side state of the main window that the link, the run monitor and the service
/// windows read: the language, the procedure the console runs, and which windows are open.
struct ConsoleState {
    quint8 Language = 1; ///< 0 Russian, 1 English
    bool ProgramRunning = false;
    /// One of the ConsoleMode values.
    quint8 ConsoleMode = ConsoleMode::Idle;
    bool ServicesWindowOpen = false;
    bool OfficesWindowOpen = false;
};
