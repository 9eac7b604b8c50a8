// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simserviceblock.h"

#include "common/le.h"

SimServiceBlock SimServiceBlock::factoryDefaults()
{
    SimServiceBlock b;
    b.HeaterWorkTime = 36000000; // 100 h
    b.ReperCount = 12;
    b.TcoupleOffset = 100;
    b.VacOffset = 20;
    b.KT1 = 1030;
    b.KT2 = 1050;
    b.Urep1 = 845;
    b.Urep2 = 852;
    b.Urep3 = 860;
    b.ClosingPulses = 1500;
    b.OpeningPulses = 1500;
    b.Trep = 660;
    b.ClosingSeconds = 12;
    b.OpeningSeconds = 12;
    b.AmbientOffset = 50;
    b.Koverheat = 115;
    b.Kvac = 100;
    b.HeaterResource = 3600;
    return b;
}

SimServiceBlock::Bytes SimServiceBlock::toBytes() const
{
    Bytes out{};
    quint8 *p = out.data();
    putU32(p, HeaterWorkTime);
    putU16(p + 4, Reserved4);
    putU16(p + 6, ReperCount);
    putU16(p + 8, TcoupleOffset);
    putU16(p + 10, VacOffset);
    putU16(p + 12, KT1);
    putU16(p + 14, KT2);
    putU16(p + 16, Urep1);
    putU16(p + 18, Urep2);
    putU16(p + 20, Urep3);
    putU16(p + 22, ClosingPulses);
    putU16(p + 24, OpeningPulses);
    putU16(p + 26, Trep);
    p[28] = ClosingSeconds;
    p[29] = OpeningSeconds;
    p[30] = AmbientOffset;
    p[31] = Koverheat;
    p[32] = Kvac;
    p[33] = Reserved33;
    putU16(p + 34, HeaterResource);
    putU16(p + 36, Reserved36);
    return out;
}

SimServiceBlock SimServiceBlock::fromBytes(const quint8 *p)
{
    SimServiceBlock b;
    b.HeaterWorkTime = getU32(p);
    b.Reserved4 = getU16(p + 4);
    b.ReperCount = getU16(p + 6);
    b.TcoupleOffset = getU16(p + 8);
    b.VacOffset = getU16(p + 10);
    b.KT1 = getU16(p + 12);
    b.KT2 = getU16(p + 14);
    b.Urep1 = getU16(p + 16);
    b.Urep2 = getU16(p + 18);
    b.Urep3 = getU16(p + 20);
    b.ClosingPulses = getU16(p + 22);
    b.OpeningPulses = getU16(p + 24);
    b.Trep = getU16(p + 26);
    b.ClosingSeconds = p[28];
    b.OpeningSeconds = p[29];
    b.AmbientOffset = p[30];
    b.Koverheat = p[31];
    b.Kvac = p[32];
    b.Reserved33 = p[33];
    b.HeaterResource = getU16(p + 34);
    b.Reserved36 = getU16(p + 36);
    return b;
}
