// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/requests.h"

#include "common/le.h"

#include <QDate>

#include <array>

namespace
{

struct KindType {
    RequestKind kind;
    Msg type;
};

/// The message type of every request kind, in priority order.
constexpr std::array<KindType, RequestKindCount> kTypes = {{
    {RequestKind::ChamberOpen, Msg::Chamber},
    {RequestKind::ChamberClose, Msg::Chamber},
    {RequestKind::TemperatureButton, Msg::TemperatureButton},
    {RequestKind::VacuumButton, Msg::VacuumButton},
    {RequestKind::ProgramStart, Msg::ProgramStart},
    {RequestKind::ProgramUpdate, Msg::ProgramUpdate},
    {RequestKind::SendLayerRecord, Msg::SendLayerRecord},
    {RequestKind::SendLayerNames, Msg::SendLayerNames},
    {RequestKind::SendMassNames, Msg::SendMassNames},
    {RequestKind::ReadClock, Msg::ReadClock},
    {RequestKind::SetClock, Msg::SetClock},
    {RequestKind::DriveCalibrationProgress, Msg::DriveCalibrationProgress},
    {RequestKind::StartDriveCalibration, Msg::StartDriveCalibration},
    {RequestKind::StartReperTuning, Msg::StartReperTuning},
    {RequestKind::StartReperRun, Msg::StartReperRun},
    {RequestKind::ReperValues, Msg::ReperValues},
    {RequestKind::ReadServiceBlock, Msg::ReadServiceBlock},
    {RequestKind::WriteServiceBlock, Msg::WriteServiceBlock},
    {RequestKind::ReadMeasurements, Msg::ReadMeasurements},
    {RequestKind::ReadAmbient, Msg::ReadAmbient},
    {RequestKind::Identify, Msg::Identify},
    {RequestKind::ZoneTime, Msg::ZoneTime},
    {RequestKind::ReadRemainingTime, Msg::ReadRemainingTime},
    {RequestKind::WriteEconomyMode, Msg::EconomyMode},
    {RequestKind::ReadEconomyMode, Msg::EconomyMode},
    {RequestKind::StartOverheatAdjust, Msg::StartOverheatAdjust},
    {RequestKind::OverheatAdjustProgress, Msg::OverheatAdjustProgress},
    {RequestKind::ReadSupportTemp, Msg::ReadSupportTemp},
    {RequestKind::WriteSupportTemp, Msg::WriteSupportTemp},
    {RequestKind::StartVacuumCalibration, Msg::StartVacuumCalibration},
    {RequestKind::VacuumCalibrationProgress, Msg::VacuumCalibrationProgress},
    {RequestKind::ReadControllerMode, Msg::ReadControllerMode},
    {RequestKind::Status, Msg::Status},
    {RequestKind::Stop, Msg::Stop},
}};

constexpr bool InKindOrder()
{
    for (size_t i = 0; i < kTypes.size(); ++i) {
        if (size_t(kTypes[i].kind) != i)
            return false;
    }
    return true;
}
static_assert(InKindOrder(), "kTypes lists every request kind once, in RequestKind order");
static_assert(size_t(RequestKind::Stop) + 1 == RequestKindCount);

} // namespace

quint8 RequestType(RequestKind kind)
{
    return quint8(kTypes[size_t(kind)].type);
}

std::optional<RequestKind> PendingRequests::first() const
{
    for (int i = 0; i < RequestKindCount; ++i) {
        if (m_bits.test(size_t(i)))
            return RequestKind(i);
    }
    return std::nullopt;
}

std::optional<Request> TakeNextRequest(RequestState &state, const FurnaceImage &image)
{
    if (state.ReplyAwaited)
        return std::nullopt;
    const std::optional<RequestKind> next = state.Pending.first();
    if (!next)
        return std::nullopt;
    const RequestKind kind = *next;
    state.Pending.clear(kind);

    quint8 arg = 0;
    switch (kind) {
    case RequestKind::ChamberOpen:
    case RequestKind::ChamberClose:
        // A moving chamber is stopped first; the status follows at once.
        arg = image.chamberMoving() ? 0 : (kind == RequestKind::ChamberOpen ? 2 : 1);
        state.Pending.set(RequestKind::Status);
        break;
    case RequestKind::TemperatureButton:
        state.TempButtonState = state.TempButtonState ? 0 : 1;
        arg = state.TempButtonState;
        break;
    case RequestKind::VacuumButton:
        arg = 2;
        break;
    case RequestKind::WriteEconomyMode:
        arg = 0;
        break;
    case RequestKind::ReadEconomyMode:
        arg = 0x80;
        break;
    default:
        break;
    }
    const Request request{kind, RequestType(kind), arg};
    state.LastRequestType = request.type;
    state.LastRequestArg = request.arg;
    return request;
}

int BuildRequestPayload(const Request &request, const FurnaceImage &image, quint8 *payload)
{
    switch (Msg(request.type)) {
    case Msg::WriteSupportTemp:
        putU16(payload, image.SupportTempSet);
        return 2;
    case Msg::Chamber:
    case Msg::TemperatureButton:
    case Msg::VacuumButton:
        payload[0] = request.arg;
        return 1;
    case Msg::SetClock: {
        const auto &c = image.ClockSet;
        const QDate date(2000 + c.year, c.month, c.day);
        payload[0] = 0;
        payload[1] = c.minute;
        payload[2] = c.hour;
        // Not given by the clock fields: the day of the week (1 Monday .. 7 Sunday), 0 when the
        // date is not a real one.
        payload[3] = date.isValid() ? quint8(date.dayOfWeek()) : 0;
        payload[4] = c.day;
        payload[5] = c.month;
        payload[6] = c.year;
        return 7;
    }
    case Msg::WriteServiceBlock:
        std::copy(image.Block.bytes.begin(), image.Block.bytes.end(), payload);
        return ServiceBlock::Size;
    case Msg::EconomyMode:
        payload[0] = quint8(image.VacEconomyMode | request.arg);
        return 1;
    default:
        return 0;
    }
}

WatchdogResult WatchdogTick(RequestState &state, bool officesWindowOpen)
{
    WatchdogResult result;
    if (state.ReplyAwaited) {
        result.timedOut = true;
        const quint8 t = state.LastRequestType;
        if (t == Msg::SendLayerRecord || t == Msg::SendLayerNames || t == Msg::SendMassNames) {
            state.Pending.clear(RequestKind::SendLayerRecord);
            state.Pending.clear(RequestKind::SendLayerNames);
            state.Pending.clear(RequestKind::SendMassNames);
            result.transferCancelled = true;
        }
        ++state.NoReplyCount;
        state.ReplyAwaited = false;
        return result;
    }
    state.NoReplyCount = 0;
    RaisePollSet(state, officesWindowOpen);
    return result;
}

void RaisePollSet(RequestState &state, bool officesWindowOpen)
{
    for (RequestKind kind : {RequestKind::ReadClock, RequestKind::Identify, RequestKind::Status,
                             RequestKind::ReadControllerMode, RequestKind::ReadEconomyMode,
                             RequestKind::ZoneTime, RequestKind::ReadSupportTemp})
        state.Pending.set(kind);
    if (officesWindowOpen) {
        state.Pending.set(RequestKind::ReadAmbient);
        state.Pending.set(RequestKind::ReadMeasurements);
    }
}
