// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// The steps of a firing program as the controller reports the one it runs
/// (FurnaceImage::CurrentZone), in the order it runs them.
namespace ProgramStep
{
inline constexpr int Preparing = 0;     ///< 0 to 2: getting ready, before the first hold
inline constexpr int LastPreparing = 2; ///< the last of the preparing steps
inline constexpr int PreDryHold = 3;    ///< holding at the pre-drying temperature
inline constexpr int DryClosing = 4;    ///< closing the chamber to the drying level
inline constexpr int DryHeating = 5;
inline constexpr int DryHold = 6;
inline constexpr int PreHeatClosing = 7; ///< closing the chamber to the preheating level
inline constexpr int PreHeatHeating = 8;
inline constexpr int PreHeatHold = 9;
inline constexpr int ChamberClosing = 10;
inline constexpr int FiringRamp = 11; ///< heating to the firing temperature at the firing rate
inline constexpr int Firing = 12;
inline constexpr int Cooling = 13; ///< 13 and 14: cooling to the cooling temperature
inline constexpr int LastCooling = 14;
inline constexpr int Tempering = 15;
inline constexpr int CoolingToOpen = 16; ///< cooling to the opening temperature
inline constexpr int Opening = 17;       ///< 17 and 18: opening the chamber
inline constexpr int LastOpening = 18;
inline constexpr int Finished = 19; ///< the program's last step: reaching it ends the run
/// Steps a program has, 0 to Finished.
inline constexpr int Count = Finished + 1;
} // namespace ProgramStep
