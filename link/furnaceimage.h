// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/serviceblock.h"

#include <QString>
#include <QtGlobal>

#include <array>

/// What the controller reports it is doing (FurnaceImage::ControllerMode, reply 99).
namespace ControllerMode
{
inline constexpr quint8 Holding = 0;
inline constexpr quint8 DriveCalibration = 16;
inline constexpr quint8 VacuumCalibration = 21;
inline constexpr quint8 OverheatAdjust = 22;
inline constexpr quint8 Error = 26;
inline constexpr quint8 Program = 32;
} // namespace ControllerMode

/// The furnace as the console last heard it: every value decoded from the controller's replies,
/// plus the few values the console sends. User-interface thread only.
struct FurnaceImage {
    quint16 ChamberTemp = 0; ///< °C (reply 3)
    quint8 Vacuum = 0;       ///< % rarefaction (reply 3)
    /// Bits 0-2 chamber position (0 half-open, 1 closing, 2 opening, 3 closed, 4 opened),
    /// bit 3 vacuum, bits 5-6 heating (reply 3).
    quint8 ChamberStatus = 0;
    quint8 StageByte = 0;         ///< fifth status byte as received
    quint8 CurrentZone = 0;       ///< program step being executed (while ControllerMode is 32)
    quint16 ZoneTime = 0;         ///< s in the current step (replies 56, 75)
    quint16 RemainingMinutes = 0; ///< reply 70
    quint8 ControllerMode = 0;    ///< one of the ControllerMode values (reply 99)
    quint8 FaultCode = 0;         ///< meaningful while ControllerMode is 26
    quint8 FurnaceModelId = 0;
    QString FurnaceModelName;
    quint8 VersionMajor = 0;
    quint8 VersionMinor = 0;
    /// 90 economy off, 91..95 economy level %, anything else maximum vacuum.
    quint8 VacEconomyMode = 0;
    quint16 SupportTempRead = 0; ///< °C (reply 4)
    quint16 SupportTempSet = 0;  ///< °C to send with request 5
    quint8 ServiceStep = 0;      ///< replies 43, 45, 48, 75
    quint16 ReperValue1 = 0;     ///< reference-sensor voltage, mV (reply 48)
    quint16 ReperValue2 = 0;     ///< temperature at which the sensor operated, °C (reply 48)
    quint16 AmbientTemp = 0;     ///< reply 57
    std::array<quint16, 9> AdcMeasures{}; ///< mV (reply 55)
    quint8 ClockSecond = 0;
    quint8 ClockMinute = 0;
    quint8 ClockHour = 0;
    quint8 ClockDay = 0;
    quint8 ClockMonth = 0;
    quint8 ClockYear = 0; ///< years since 2000
    /// Clock to send with request 16.
    struct {
        quint8 hour = 0;
        quint8 minute = 0;
        quint8 day = 1;
        quint8 month = 1;
        quint8 year = 0; ///< years since 2000
    } ClockSet;
    ServiceBlock Block;
    /// Block holds what the controller sent (reply 51); until then it is zeros, which must
    /// never be written back.
    bool BlockRead = false;
    bool UnknownModelReported = false;

    /// Chamber position state: ChamberStatus bits 0-2.
    quint8 chamberPosition() const { return ChamberStatus & 0x07; }
    bool chamberMoving() const { return chamberPosition() == 1 || chamberPosition() == 2; }
};
