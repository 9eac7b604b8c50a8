// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/le.h"

#include <QtGlobal>

#include <array>

/// The controller's 38-byte settings block, kept as received (read by request 51, written back
/// whole by request 52). Fields are little-endian at fixed offsets; the bytes the console does
/// not interpret (4-5, 33, 36-37) are carried unchanged.
struct ServiceBlock {
    static constexpr int Size = 38;

    /// Byte offsets of the fields.
    enum Offset : int {
        oHeaterWorkTime = 0, ///< u32
        oReperCount = 6,
        oTcoupleOffset = 8,
        oVacOffset = 10,
        oKT1 = 12,
        oKT2 = 14,
        oUrep1 = 16,
        oUrep2 = 18,
        oUrep3 = 20,
        oClosingPulses = 22,
        oOpeningPulses = 24,
        oTrep = 26,
        oClosingSeconds = 28, ///< u8
        oOpeningSeconds = 29, ///< u8
        oAmbientOffset = 30,  ///< u8
        oKoverheat = 31,      ///< u8
        oKvac = 32,           ///< u8
        oHeaterResource = 34,
    };

    std::array<quint8, Size> bytes{};

    quint8 u8(int offset) const { return bytes[size_t(offset)]; }
    quint16 u16(int offset) const { return getU16(&bytes[size_t(offset)]); }
    void setU8(int offset, quint8 v) { bytes[size_t(offset)] = v; }
    void setU16(int offset, quint16 v) { putU16(&bytes[size_t(offset)], v); }

    /// Heater work time in 1/100 s.
    quint32 HeaterWorkTime() const { return getU32(&bytes[oHeaterWorkTime]); }
    void setHeaterWorkTime(quint32 v) { putU32(&bytes[oHeaterWorkTime], v); }
    quint16 ReperCount() const { return u16(oReperCount); } ///< times the sensor operated
    quint16 TcoupleOffset() const { return u16(oTcoupleOffset); }
    void setTcoupleOffset(quint16 v) { setU16(oTcoupleOffset, v); }
    quint16 VacOffset() const { return u16(oVacOffset); }
    quint16 KT1() const { return u16(oKT1); }
    void setKT1(quint16 v) { setU16(oKT1, v); }
    quint16 KT2() const { return u16(oKT2); }
    quint16 Urep1() const { return u16(oUrep1); } ///< mV
    quint16 Urep2() const { return u16(oUrep2); } ///< mV
    quint16 Urep3() const { return u16(oUrep3); } ///< mV
    quint16 ClosingPulses() const { return u16(oClosingPulses); }
    quint16 OpeningPulses() const { return u16(oOpeningPulses); }
    quint16 Trep() const { return u16(oTrep); } ///< reference-sensor operation temperature, °C
    quint8 ClosingSeconds() const { return u8(oClosingSeconds); }
    quint8 OpeningSeconds() const { return u8(oOpeningSeconds); }
    quint8 AmbientOffset() const { return u8(oAmbientOffset); }
    void setAmbientOffset(quint8 v) { setU8(oAmbientOffset, v); }
    quint8 Koverheat() const { return u8(oKoverheat); }
    quint8 Kvac() const { return u8(oKvac); }
    void setKvac(quint8 v) { setU8(oKvac, v); }
    /// Heater resource in seconds.
    quint16 HeaterResource() const { return u16(oHeaterResource); }
    /// Zeroes the resource counter together with the two bytes after it (34-37).
    void resetHeaterResource()
    {
        for (int i = oHeaterResource; i < Size; ++i)
            bytes[size_t(i)] = 0;
    }
};
