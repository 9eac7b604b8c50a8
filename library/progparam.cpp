// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/progparam.h"

#include "common/le.h"

namespace
{

using Member = quint16 ProgParam::*;

constexpr std::array<Member, ProgParam::FieldCount> kFields = {
    &ProgParam::PreDryTemp,    &ProgParam::PreDryHold,       &ProgParam::DryLevel,
    &ProgParam::DryCloseTime,  &ProgParam::DryTemp,          &ProgParam::DryHold,
    &ProgParam::PreHeatLevel,  &ProgParam::PreHeatCloseTime, &ProgParam::PreHeatTemp,
    &ProgParam::PreHeatHold,   &ProgParam::HeatTemp,         &ProgParam::HeatRate,
    &ProgParam::FiringTime,    &ProgParam::CoolTemp,         &ProgParam::CoolTime,
    &ProgParam::TemperingTime, &ProgParam::OpenTemp,         &ProgParam::OpenTime,
    &ProgParam::VacOnTemp,     &ProgParam::VacOff,
};

} // namespace

quint16 ProgParam::field(int k) const
{
    Q_ASSERT(k >= 0 && k < FieldCount);
    return this->*kFields[size_t(k)];
}

void ProgParam::setField(int k, quint16 value)
{
    Q_ASSERT(k >= 0 && k < FieldCount);
    this->*kFields[size_t(k)] = value;
}

ProgParam::Payload ProgParam::toPayload() const
{
    Payload bytes{};
    for (int k = 0; k < FieldCount; ++k)
        putU16(bytes.data() + 2 * k, field(k));
    bytes[40] = VacOffByTime;
    bytes[41] = ProgNumber;
    return bytes;
}

ProgParam ProgParam::fromPayload(const Payload &bytes)
{
    ProgParam p;
    for (int k = 0; k < FieldCount; ++k)
        p.setField(k, getU16(bytes.data() + 2 * k));
    p.VacOffByTime = bytes[40];
    p.ProgNumber = bytes[41];
    return p;
}
