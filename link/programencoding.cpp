// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/programencoding.h"

#include "common/le.h"

namespace
{

// Step codes, already in the top four bits of a command word.
constexpr quint16 kStart1 = 0x1000;
constexpr quint16 kStart2 = 0x2000;
constexpr quint16 kMoveTable = 0x3000;
constexpr quint16 kHeatTo = 0x4000;
constexpr quint16 kHold = 0x5000;
constexpr quint16 kEndFiring = 0x6000;
constexpr quint16 kCoolTo = 0x7000;
constexpr quint16 kEndProgram = 0x8000;

constexpr quint16 kClosedLevel = 100;
// Value word of the three heating steps before the firing ramp.
constexpr quint16 kFixedRampValue = 240;

// Code OR argument, kept to 16 bits; the argument is deliberately not masked to 12 bits.
constexpr quint16 command(quint16 code, unsigned argument)
{
    return quint16(code | argument);
}

quint16 vacuumOnStep(const ProgParam &p)
{
    if (p.VacOnTemp < p.PreHeatTemp)
        return 0;
    if (p.VacOnTemp >= p.HeatTemp)
        return 12;
    if (p.PreHeatLevel > 99 && p.VacOnTemp == p.PreHeatTemp)
        return 9;
    return 11;
}

// VacOffByTime is 0 (VacOff is a temperature) or 1 (a time); any other value is taken as a time,
// as the curve display does.
quint16 vacuumOffStep(const ProgParam &p)
{
    if (p.VacOff == 0)
        return 13;
    return p.VacOffByTime != 0 ? 12 : 11;
}

} // namespace

std::array<quint16, ProgramWordCount> BuildProgramWords(const ProgParam &p)
{
    const std::array<std::array<quint16, 2>, ProgramStepCount> steps = {{
        {kStart1, 0},
        {kStart2, 0},
        {command(kHeatTo, p.PreDryTemp), kFixedRampValue},
        {command(kHold, p.PreDryHold * 60u), 0},
        {command(kMoveTable, p.DryLevel), p.DryCloseTime},
        {command(kHeatTo, p.DryTemp), kFixedRampValue},
        {command(kHold, p.DryHold * 60u), 0},
        {command(kMoveTable, p.PreHeatLevel), p.PreHeatCloseTime},
        {command(kHeatTo, p.PreHeatTemp), kFixedRampValue},
        {command(kHold, p.PreHeatHold * 60u), 0},
        {command(kMoveTable, kClosedLevel), 0},
        {command(kHeatTo, p.HeatTemp), p.HeatRate},
        {command(kHold, p.FiringTime), 0},
        {kEndFiring, 0},
        {command(kCoolTo, p.CoolTemp), p.CoolTime},
        {command(kHold, p.TemperingTime * 60u), 0},
        {command(kCoolTo, p.OpenTemp), 0},
        {kStart1, 0},
        {kStart2, p.OpenTime},
        {kEndProgram, 0},
    }};

    std::array<quint16, ProgramWordCount> words{};
    words[0] = vacuumOnStep(p);
    words[1] = vacuumOffStep(p);
    words[2] = p.VacOnTemp;
    words[3] = p.VacOff;
    for (int k = 0; k < ProgramStepCount; ++k) {
        words[size_t(4 + 2 * k)] = steps[size_t(k)][0];
        words[size_t(5 + 2 * k)] = steps[size_t(k)][1];
    }
    return words;
}

int BuildProgramPayload(const ProgParam &record, quint8 *payload)
{
    const auto words = BuildProgramWords(record);
    for (int i = 0; i < ProgramWordCount; ++i)
        putU16(payload + 2 * i, words[size_t(i)]);
    return ProgramPayloadSize;
}
