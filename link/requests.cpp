#include "requests.h"

#include "le.h"

#include <QDate>

#include <array>

namespace
{

constexpr std::array<quint8, RequestKindCount> kTypes = {
    10, 10, 11, 12, 62, 63, 6,  8,  9,  15, 16, 45, 44, 39, 40, 48, 51,
    52, 55, 57, 1,  56, 70, 72, 72, 74, 75, 4,  5,  42, 43, 99, 3,  2,
};

} // namespace

quint8 RequestType(RequestKind kind)
{
    return kTypes[size_t(kind)];
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
    switch (request.type) {
    case 5:
        putU16(payload, image.SupportTempSet);
        return 2;
    case 10:
    case 11:
    case 12:
        payload[0] = request.arg;
        return 1;
    case 16: {
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
    case 52:
        std::copy(image.Block.bytes.begin(), image.Block.bytes.end(), payload);
        return ServiceBlock::Size;
    case 72:
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
        if (t == 6 || t == 8 || t == 9) {
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
