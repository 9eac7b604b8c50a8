// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simprogram.h"

#include "common/le.h"

std::optional<SimProgram> SimProgram::fromPayload(const quint8 *payload, int length)
{
    if (payload == nullptr || length != PayloadSize)
        return std::nullopt;
    SimProgram p;
    p.VacOnStep = getU16(payload);
    p.VacOffStep = getU16(payload + 2);
    p.VacOnTemp = getU16(payload + 4);
    p.VacOff = getU16(payload + 6);
    for (int k = 0; k < StepCount; ++k) {
        const quint16 command = getU16(payload + 8 + 4 * k);
        Step &s = p.steps[size_t(k)];
        s.code = quint8(command >> 12);
        s.argument = quint16(command & 0x0FFF);
        s.value = getU16(payload + 10 + 4 * k);
    }
    return p;
}

std::array<quint8, SimProgram::PayloadSize> SimProgram::toPayload() const
{
    std::array<quint8, PayloadSize> bytes{};
    putU16(bytes.data(), VacOnStep);
    putU16(bytes.data() + 2, VacOffStep);
    putU16(bytes.data() + 4, VacOnTemp);
    putU16(bytes.data() + 6, VacOff);
    for (int k = 0; k < StepCount; ++k) {
        const Step &s = steps[size_t(k)];
        putU16(bytes.data() + 8 + 4 * k, quint16((s.code << 12) | (s.argument & 0x0FFF)));
        putU16(bytes.data() + 10 + 4 * k, s.value);
    }
    return bytes;
}
