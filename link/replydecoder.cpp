// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/replydecoder.h"

#include "common/le.h"

QString FurnaceModelName(quint8 modelId)
{
    switch (modelId) {
    case 11:
        return QStringLiteral("ZKV 4.4");
    case 12:
        return QStringLiteral("ZKV 4.4M");
    case 13:
    case 14:
        return QStringLiteral("ZKV 4.6");
    default:
        return {};
    }
}

DecodeResult DecodeReply(quint8 type, const quint8 *payload, int length, FurnaceImage &image,
                         RequestState &requests)
{
    DecodeResult r;
    r.type = type;
    auto is = [&](int expected) { return length == expected; };

    switch (Msg(type)) {
    case Msg::Identify:
        if (!is(3) && !is(6))
            break;
        image.FurnaceModelId = payload[0];
        image.VersionMajor = payload[1];
        image.VersionMinor = payload[2];
        image.FurnaceModelName = FurnaceModelName(image.FurnaceModelId);
        if (!image.FurnaceModelName.isEmpty())
            image.UnknownModelReported = false;
        else
            r.unknownModel = !image.UnknownModelReported;
        r.applied = true;
        break;
    case Msg::Stop:
        if (!is(1))
            break;
        r.pause = payload[0] == 1;
        r.applied = true;
        break;
    case Msg::Status:
        if (!is(5))
            break;
        image.ChamberTemp = getU16(payload);
        image.Vacuum = payload[2];
        image.ChamberStatus = payload[3];
        image.StageByte = payload[4];
        if (image.ControllerMode == ControllerMode::Program)
            image.CurrentZone = payload[4] & 0x1F;
        r.applied = true;
        break;
    case Msg::ReadSupportTemp:
        if (!is(2))
            break;
        image.SupportTempRead = getU16(payload);
        r.applied = true;
        break;
    case Msg::SendLayerRecord:
    case Msg::SendLayerNames:
    case Msg::SendMassNames:
        r.applied = is(1);
        r.accepted = r.applied && payload[0] == TransferAccepted;
        break;
    case Msg::ReadClock:
        if (!is(7))
            break;
        image.ClockSecond = payload[0];
        image.ClockMinute = payload[1];
        image.ClockHour = payload[2];
        image.ClockDay = payload[4];
        image.ClockMonth = payload[5];
        image.ClockYear = payload[6];
        r.applied = true;
        break;
    case Msg::VacuumCalibrationProgress:
    case Msg::DriveCalibrationProgress:
        if (!is(3))
            break;
        image.ServiceStep = payload[0];
        r.applied = true;
        break;
    case Msg::ReperValues:
        if (!is(11))
            break;
        image.ServiceStep = payload[0];
        image.ReperValue1 = getU16(payload + 3);
        image.ReperValue2 = getU16(payload + 9);
        r.applied = true;
        break;
    case Msg::ReadServiceBlock:
        if (is(ServiceBlock::Size)) {
            std::copy(payload, payload + ServiceBlock::Size, image.Block.bytes.begin());
            image.BlockRead = true;
            requests.ServiceBlockRetries = 0;
            r.applied = true;
        } else if (requests.ServiceBlockRetries < RequestState::ServiceBlockRetryLimit) {
            ++requests.ServiceBlockRetries;
            requests.Pending.set(RequestKind::ReadServiceBlock);
        }
        break;
    case Msg::ReadMeasurements:
        if (!is(18))
            break;
        for (int i = 0; i < 9; ++i)
            image.AdcMeasures[size_t(i)] = getU16(payload + 2 * i);
        r.applied = true;
        break;
    case Msg::ZoneTime:
        if (!is(4) && !is(6))
            break;
        image.ZoneTime = getU16(payload);
        r.applied = true;
        break;
    case Msg::ReadAmbient:
        if (!is(2))
            break;
        image.AmbientTemp = getU16(payload);
        r.applied = true;
        break;
    case Msg::ReadRemainingTime:
        if (!is(2))
            break;
        image.RemainingMinutes = getU16(payload);
        r.applied = true;
        break;
    case Msg::EconomyMode:
        if (!is(1))
            break;
        image.VacEconomyMode = payload[0];
        r.applied = true;
        break;
    case Msg::OverheatAdjustProgress:
        if (!is(3))
            break;
        image.ServiceStep = payload[0];
        image.ZoneTime = getU16(payload + 1);
        r.applied = true;
        break;
    case Msg::ReadControllerMode:
        if (!is(3))
            break;
        image.ControllerMode = payload[0];
        image.FaultCode = payload[1];
        r.applied = true;
        break;
    default:
        break;
    }
    return r;
}
