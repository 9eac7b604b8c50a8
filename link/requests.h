// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/furnaceimage.h"
#include "link/messagetypes.h"

#include <QtGlobal>

#include <bitset>
#include <optional>

/// The kinds of request the console can ask of the controller, in the order the scheduler
/// serves them (the first pending kind from the top goes out next).
enum class RequestKind : quint8 {
    ChamberOpen,
    ChamberClose,
    TemperatureButton,
    VacuumButton,
    ProgramStart,
    ProgramUpdate,
    SendLayerRecord,
    SendLayerNames,
    SendMassNames,
    ReadClock,
    SetClock,
    DriveCalibrationProgress,
    StartDriveCalibration,
    StartReperTuning,
    StartReperRun,
    ReperValues,
    ReadServiceBlock,
    WriteServiceBlock,
    ReadMeasurements,
    ReadAmbient,
    Identify,
    ZoneTime,
    ReadRemainingTime,
    WriteEconomyMode,
    ReadEconomyMode,
    StartOverheatAdjust,
    OverheatAdjustProgress,
    ReadSupportTemp,
    WriteSupportTemp,
    StartVacuumCalibration,
    VacuumCalibrationProgress,
    ReadControllerMode,
    Status,
    Stop,
};
inline constexpr int RequestKindCount = 34;

/// Message type of a request kind (several kinds may share one type), as the type byte.
quint8 RequestType(RequestKind kind);

/// One pending flag per kind. Setting a set flag changes nothing: requests are not queued.
class PendingRequests
{
public:
    void set(RequestKind kind) { m_bits.set(size_t(kind)); }
    void clear(RequestKind kind) { m_bits.reset(size_t(kind)); }
    bool isSet(RequestKind kind) const { return m_bits.test(size_t(kind)); }
    bool any() const { return m_bits.any(); }
    /// The first pending kind in priority order.
    std::optional<RequestKind> first() const;

private:
    std::bitset<RequestKindCount> m_bits;
};

/// A request picked for sending.
struct Request {
    RequestKind kind;
    quint8 type; ///< a Msg, as the type byte
    quint8 arg;
};

/// The request side of the link: pending flags, what was sent last, the reply wait.
struct RequestState {
    PendingRequests Pending;
    quint8 LastRequestType = 0;
    quint8 LastRequestArg = 0;
    bool ReplyAwaited = false;
    quint32 NoReplyCount = 0;
    quint8 TempButtonState = 0; ///< toggled each time Msg::TemperatureButton goes out
    /// Consecutive wrong-length replies to Msg::ReadServiceBlock; the automatic re-requests stop
    /// after ServiceBlockRetryLimit of them, so a faulty controller cannot starve the other polls.
    int ServiceBlockRetries = 0;
    static constexpr int ServiceBlockRetryLimit = 3;
};

/// Scheduler: takes the first pending kind, clears it and works out its argument (chamber
/// commands stop a moving chamber and set Status pending; the temperature button toggles).
/// Records LastRequestType and LastRequestArg. Nothing while a reply is awaited.
std::optional<Request> TakeNextRequest(RequestState &state, const FurnaceImage &image);

/// Builds the payload of a request of the catalogue into `payload` (room for 99 bytes) and
/// returns its length. Types with no listed payload have length 0. The program and transfer
/// requests are not built here: their payloads come from the parts that send them (see
/// Link::setPayloadSource).
int BuildRequestPayload(const Request &request, const FurnaceImage &image, quint8 *payload);

/// Raises the poll set: clock, identify, status, controller mode, economy mode, zone time,
/// support temperature, and the ambient temperature and measurements while the factory window
/// is open.
void RaisePollSet(RequestState &state, bool officesWindowOpen);

/// Outcome of a watchdog tick.
struct WatchdogResult {
    bool timedOut = false;          ///< the reply did not come within the tick
    bool transferCancelled = false; ///< it was a library transfer request
};

/// The watchdog that opens every tick of the 800 ms timer. On a time-out: cancels a transfer
/// (the three transfer kinds no longer pending), counts NoReplyCount and clears the wait (the
/// caller resets the receiver). Otherwise: NoReplyCount back to 0 and the poll set raised (with the
/// measurements while the factory window is open).
WatchdogResult WatchdogTick(RequestState &state, bool officesWindowOpen);
