// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>

/// One layer's firing program: twenty unsigned 16-bit fields, then `VacOffByTime` and
/// `ProgNumber`. Its 42-byte payload (fields in order, words little-endian) is the form stored in
/// masses files and sent to the controller. A new record is all zero.
struct ProgParam {
    static constexpr int PayloadSize = 42;
    static constexpr int FieldCount = 20;
    using Payload = std::array<quint8, PayloadSize>;

    /// Field indexes 0..19, in payload order (field k is shown in Edit k+1).
    enum Field : int {
        fPreDryTemp,
        fPreDryHold,
        fDryLevel,
        fDryCloseTime,
        fDryTemp,
        fDryHold,
        fPreHeatLevel,
        fPreHeatCloseTime,
        fPreHeatTemp,
        fPreHeatHold,
        fHeatTemp,
        fHeatRate,
        fFiringTime,
        fCoolTemp,
        fCoolTime,
        fTemperingTime,
        fOpenTemp,
        fOpenTime,
        fVacOnTemp,
        fVacOff,
    };

    quint16 PreDryTemp = 0;       ///< °C
    quint16 PreDryHold = 0;       ///< min
    quint16 DryLevel = 0;         ///< % table position
    quint16 DryCloseTime = 0;     ///< min
    quint16 DryTemp = 0;          ///< °C
    quint16 DryHold = 0;          ///< min
    quint16 PreHeatLevel = 0;     ///< % table position
    quint16 PreHeatCloseTime = 0; ///< min
    quint16 PreHeatTemp = 0;      ///< °C
    quint16 PreHeatHold = 0;      ///< min
    quint16 HeatTemp = 0;         ///< °C
    quint16 HeatRate = 0;         ///< °C per minute
    quint16 FiringTime = 0;       ///< s
    quint16 CoolTemp = 0;         ///< °C
    quint16 CoolTime = 0;         ///< min
    quint16 TemperingTime = 0;    ///< min
    quint16 OpenTemp = 0;         ///< °C
    quint16 OpenTime = 0;         ///< min
    quint16 VacOnTemp = 0;        ///< °C
    quint16 VacOff = 0;           ///< °C when VacOffByTime is 0, s into the firing hold when 1
    quint8 VacOffByTime = 0;
    quint8 ProgNumber = 0;

    /// Field k (0..19).
    quint16 field(int k) const;
    void setField(int k, quint16 value);

    Payload toPayload() const;
    static ProgParam fromPayload(const Payload &bytes);

    bool operator==(const ProgParam &) const = default;
};
