// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>

/// The controller's 38-byte settings block (read by request 51, written whole by request 52),
/// as typed fields. Little-endian on the wire; the bytes the controller does not interpret
/// (4-5, 33, 36-37) are kept as received.
struct SimServiceBlock {
    static constexpr int Size = 38;
    using Bytes = std::array<quint8, Size>;

    quint32 HeaterWorkTime = 0; ///< heater work time, 1/100 s
    quint16 Reserved4 = 0;      ///< bytes 4-5
    quint16 ReperCount = 0;     ///< times the reference sensor operated
    quint16 TcoupleOffset = 0;  ///< thermocouple offset
    quint16 VacOffset = 0;      ///< vacuum sensor offset
    quint16 KT1 = 0;            ///< thermocouple coefficient 1 (per mille)
    quint16 KT2 = 0;            ///< thermocouple coefficient 2 (per mille)
    quint16 Urep1 = 0;          ///< reference-sensor operation voltage 1, mV
    quint16 Urep2 = 0;          ///< operation voltage 2, mV
    quint16 Urep3 = 0;          ///< operation voltage 3, mV
    quint16 ClosingPulses = 0;  ///< drive pulses for a full close
    quint16 OpeningPulses = 0;  ///< drive pulses for a full open
    quint16 Trep = 0;           ///< reference-sensor operation temperature, °C
    quint8 ClosingSeconds = 0;  ///< measured closing time, s
    quint8 OpeningSeconds = 0;  ///< measured opening time, s
    quint8 AmbientOffset = 0;   ///< ambient temperature offset
    quint8 Koverheat = 0;       ///< overheat-protection coefficient
    quint8 Kvac = 0;            ///< vacuum channel coefficient
    quint8 Reserved33 = 0;      ///< byte 33
    quint16 HeaterResource = 0; ///< heater resource, s
    quint16 Reserved36 = 0;     ///< bytes 36-37

    /// The values a furnace leaves the factory with.
    static SimServiceBlock factoryDefaults();

    Bytes toBytes() const;
    static SimServiceBlock fromBytes(const quint8 *bytes);

    bool operator==(const SimServiceBlock &) const = default;
};
