// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/furnacecontroller.h"

#include "common/le.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace
{

constexpr quint8 Done = 0;
constexpr quint8 Refused = 1;
constexpr quint8 TransferRefused = 0;
constexpr quint16 MaxSupportTemp = 1200; // °C; anything above would be a broken request
constexpr quint8 EconomyReadFlag = 0x80;
constexpr int RecordSize = 42;
constexpr int RecordNumberOffset = 41; // ProgNumber, the record's last byte
constexpr quint8 HardwareRevision = 2; // extra bytes of the long identify form
constexpr quint16 SerialNumber = 4607;

QByteArray bytesOf(std::initializer_list<quint8> list)
{
    QByteArray out;
    out.reserve(int(list.size()));
    for (quint8 b : list)
        out.append(char(b));
    return out;
}

QByteArray u16Bytes(quint16 v)
{
    return bytesOf({quint8(v & 0xFF), quint8(v >> 8)});
}

} // namespace

FurnaceController::FurnaceController()
    : m_memory(MemorySize, char(0))
{
    m_realClock.start();
    m_lastSyncNs = m_realClock.nsecsElapsed();
}

// --- time -----------------------------------------------------------------------------------

void FurnaceController::setSpeed(double speed)
{
    sync();
    m_speed = std::isfinite(speed) ? std::max(0.0, speed) : 0.0;
}

void FurnaceController::advance(double seconds)
{
    sync();
    m_furnace.advance(seconds);
}

void FurnaceController::setAgeing(const SimAgeing &ageing)
{
    sync();
    m_furnace.setAgeing(ageing);
}

void FurnaceController::sync()
{
    const qint64 now = m_realClock.nsecsElapsed();
    const qint64 delta = now - m_lastSyncNs;
    m_lastSyncNs = now;
    if (m_speed > 0 && delta > 0)
        m_furnace.advance(double(delta) / 1e9 * m_speed);
}

QDateTime FurnaceController::clock() const
{
    return QDateTime::currentDateTime().addSecs(m_clockOffsetSecs);
}

// --- frames ---------------------------------------------------------------------------------

QByteArray FurnaceController::receive(const QByteArray &bytes)
{
    QByteArray out;
    for (char c : bytes) {
        m_rx.feed(quint8(c));
        if (!m_rx.FrameReady)
            continue;
        const quint8 type = m_rx.type();
        const int length = m_rx.length();
        const QByteArray payload(reinterpret_cast<const char *>(m_rx.payload()), length);
        m_rx.reset();
        out += handleFrame(type, reinterpret_cast<const quint8 *>(payload.constData()), length);
    }
    return out;
}

QByteArray FurnaceController::handleFrame(quint8 type, const quint8 *payload, int length)
{
    sync();
    ++m_requests;
    if (silencedByTransfer(type))
        return {};
    Reply reply = answer(type, payload, length);

    const auto everyNth = [this](int n) { return n > 0 && m_requests % quint64(n) == 0; };
    if (m_faults.noReply || everyNth(m_faults.noReplyEvery))
        return {};
    if (const auto raw = m_faults.rawReplies.constFind(type); raw != m_faults.rawReplies.cend())
        return *raw;
    if (m_faults.wrongLength)
        reply.payload.append('\0');
    if (m_faults.wrongType >= 0 && m_faults.wrongType < 0xFF)
        reply.type = quint8(m_faults.wrongType);

    const int replyLength = std::min<int>(int(reply.payload.size()), FrameMaxPayload);
    QByteArray wire =
        EncodeFrame(ReplyAddress, reply.type,
                    reinterpret_cast<const quint8 *>(reply.payload.constData()), replyLength);
    const bool corrupt = m_faults.badChecksum || everyNth(m_faults.badChecksumEvery);
    if (corrupt)
        wire[wire.size() - 1] = char(quint8(wire.back()) + 1);
    if (m_faults.truncateReply >= 0 && m_faults.truncateReply < wire.size())
        wire.truncate(m_faults.truncateReply);
    else if (!corrupt && m_frameObserver)
        m_frameObserver(reply.type, reply.payload.left(replyLength));
    return m_faults.replyPrefix + wire + m_faults.replySuffix;
}

void FurnaceController::restart()
{
    m_furnace.restart();
    m_rx.reset();
}

void FurnaceController::clearFaults()
{
    m_faults = SimFaults{};
    m_silent = false;
    m_transferRequests = 0;
    m_chunksSeen = 0;
    m_recordsSeen = 0;
}

FurnaceController::Reply FurnaceController::answer(quint8 type, const quint8 *p, int length)
{
    const auto one = [type](quint8 b) { return Reply{type, bytesOf({b})}; };
    const auto done = [&](bool ok) { return one(ok ? Done : Refused); };

    switch (Msg(type)) {
    case Msg::Identify:
        return identify();
    case Msg::Stop:
        m_furnace.stop();
        return one(Done);
    case Msg::Status:
        return status();
    case Msg::ReadSupportTemp:
        return {type, u16Bytes(m_furnace.SupportTemp())};
    case Msg::WriteSupportTemp:
        if (length != 2 || getU16(p) > MaxSupportTemp)
            return done(false);
        m_furnace.setSupportTemp(getU16(p));
        return done(true);
    case Msg::SendLayerRecord:
        return one(storeRecord(p, length));
    case Msg::SendLayerNames:
    case Msg::SendMassNames:
        return one(storeChunk(p, length));
    case Msg::Chamber:
        return done(length == 1 && m_furnace.chamberCommand(p[0]));
    case Msg::TemperatureButton:
        return done(length == 1 && p[0] <= 1 && m_furnace.setHeaterHolding(p[0] == 1));
    case Msg::VacuumButton:
        return done(length == 1 && p[0] == 2 && m_furnace.toggleVacuumPump());
    case Msg::ReadClock:
        return clockReply();
    case Msg::SetClock:
        return done(setClock(p, length));
    case Msg::StartReperTuning:
        return done(m_furnace.startProcedure(SimFurnace::Procedure::ReperTuning));
    case Msg::StartReperRun:
        return done(m_furnace.startProcedure(SimFurnace::Procedure::ReperRun));
    case Msg::StartVacuumCalibration:
        return done(m_furnace.startProcedure(SimFurnace::Procedure::VacuumCalibration));
    case Msg::StartDriveCalibration:
        return done(m_furnace.startProcedure(SimFurnace::Procedure::DriveCalibration));
    case Msg::StartOverheatAdjust:
        return done(m_furnace.startProcedure(SimFurnace::Procedure::OverheatAdjustment));
    case Msg::VacuumCalibrationProgress:
    case Msg::DriveCalibrationProgress:
    case Msg::ReperValues:
    case Msg::OverheatAdjustProgress:
        return serviceProgress(type);
    case Msg::ReadServiceBlock: {
        const SimServiceBlock::Bytes block = m_furnace.serviceBlock().toBytes();
        return {type, QByteArray(reinterpret_cast<const char *>(block.data()), int(block.size()))};
    }
    case Msg::WriteServiceBlock:
        if (length != SimServiceBlock::Size)
            return done(false);
        m_furnace.setServiceBlock(SimServiceBlock::fromBytes(p));
        return done(true);
    case Msg::ReadMeasurements: {
        QByteArray out;
        for (quint16 v : m_furnace.AdcMeasures())
            out += u16Bytes(v);
        return {type, out};
    }
    case Msg::ZoneTime:
        return {type, u16Bytes(m_furnace.ZoneTime()) + u16Bytes(m_furnace.programSeconds())};
    case Msg::ReadAmbient:
        return {type, u16Bytes(m_furnace.AmbientTemp())};
    case Msg::ProgramStart:
    case Msg::ProgramUpdate: {
        const std::optional<SimProgram> program = SimProgram::fromPayload(p, length);
        if (!program)
            return done(false);
        return done(type == Msg::ProgramStart ? m_furnace.startProgram(*program)
                                              : m_furnace.replaceProgram(*program));
    }
    case Msg::ReadRemainingTime:
        return {type, u16Bytes(m_furnace.RemainingMinutes())};
    case Msg::EconomyMode:
        if (length == 1 && !(p[0] & EconomyReadFlag))
            m_furnace.setVacEconomyMode(p[0]);
        return one(m_furnace.VacEconomyMode());
    case Msg::ReadControllerMode:
        return {type, bytesOf({m_furnace.ControllerMode(), m_furnace.FaultCode(), 0})};
    default:
        return one(Done);
    }
}

// --- replies --------------------------------------------------------------------------------

FurnaceController::Reply FurnaceController::identify() const
{
    QByteArray out =
        bytesOf({m_identity.modelId, m_identity.versionMajor, m_identity.versionMinor});
    if (m_identity.longForm)
        out += bytesOf({HardwareRevision}) + u16Bytes(SerialNumber);
    return {quint8(Msg::Identify), out};
}

FurnaceController::Reply FurnaceController::status() const
{
    const quint16 t = m_furnace.ChamberTemp();
    return {quint8(Msg::Status),
            u16Bytes(t) +
                bytesOf({m_furnace.Vacuum(), m_furnace.ChamberStatus(), m_furnace.stageByte()})};
}

// Wire form: second, minute, hour, day of week (1 Monday .. 7 Sunday), day, month, year - 2000.
FurnaceController::Reply FurnaceController::clockReply() const
{
    const QDateTime now = clock();
    const QDate d = now.date();
    const QTime t = now.time();
    const int year = std::clamp(d.year() - 2000, 0, 255);
    return {quint8(Msg::ReadClock),
            bytesOf({quint8(t.second()), quint8(t.minute()), quint8(t.hour()),
                     quint8(d.dayOfWeek()), quint8(d.day()), quint8(d.month()), quint8(year)})};
}

// Request form: second, minute, hour, (unused), day, month, year - 2000. A date or time that
// does not exist leaves the clock as it was.
bool FurnaceController::setClock(const quint8 *p, int length)
{
    if (length != 7)
        return false;
    const QDate date(2000 + p[6], p[5], p[4]);
    const QTime time(p[2], p[1], p[0]);
    if (!date.isValid() || !time.isValid())
        return false;
    const QDateTime target(date, time);
    if (!target.isValid())
        return false;
    m_clockOffsetSecs = QDateTime::currentDateTime().secsTo(target);
    return true;
}

// Chunk form: u16 address, then the bytes to store from that address on.
quint8 FurnaceController::storeChunk(const quint8 *p, int length)
{
    if (const quint8 ack = transferAck(false); ack != TransferAccepted)
        return ack;
    if (length < 2)
        return TransferRefused;
    const int address = getU16(p);
    const int n = length - 2;
    if (address + n > MemorySize)
        return TransferRefused;
    std::copy(p + 2, p + length, m_memory.begin() + address);
    return TransferAccepted;
}

quint8 FurnaceController::storeRecord(const quint8 *p, int length)
{
    if (const quint8 ack = transferAck(true); ack != TransferAccepted)
        return ack;
    if (length != RecordSize || p[RecordNumberOffset] < FirstProgram ||
        p[RecordNumberOffset] > LastProgram)
        return TransferRefused;
    m_records.insert(p[RecordNumberOffset], QByteArray(reinterpret_cast<const char *>(p), length));
    return TransferAccepted;
}

std::optional<QByteArray> FurnaceController::storedRecord(int number) const
{
    const auto it = m_records.constFind(number);
    if (it == m_records.constEnd())
        return std::nullopt;
    return *it;
}

// Calibration progress: step, 0, 0. Overheat adjustment: step, u16 seconds in the step.
// Reference values: step, u16 chamber temperature, u16 sensor voltage (mV), u16 Trep,
// u16 ReperCount, u16 temperature at operation (°C).
FurnaceController::Reply FurnaceController::serviceProgress(quint8 type) const
{
    const quint8 step = m_furnace.ServiceStep();
    switch (Msg(type)) {
    case Msg::OverheatAdjustProgress:
        return {type, bytesOf({step}) + u16Bytes(m_furnace.ZoneTime())};
    case Msg::ReperValues: {
        const SimServiceBlock &b = m_furnace.serviceBlock();
        return {type, bytesOf({step}) + u16Bytes(m_furnace.ChamberTemp()) +
                          u16Bytes(m_furnace.ReperValue1()) + u16Bytes(b.Trep) +
                          u16Bytes(b.ReperCount) + u16Bytes(m_furnace.ReperValue2())};
    }
    default:
        return {type, bytesOf({step, 0, 0})};
    }
}
