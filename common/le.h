// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Little-endian access to byte buffers: the byte order of the serial line and of layer records.

inline quint16 getU16(const quint8 *p)
{
    return quint16(p[0] | (p[1] << 8));
}

inline quint32 getU32(const quint8 *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

inline void putU16(quint8 *p, quint16 v)
{
    p[0] = quint8(v & 0xFF);
    p[1] = quint8(v >> 8);
}

inline void putU32(quint8 *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = quint8((v >> (8 * i)) & 0xFF);
}
