// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/messagetypes.h"

const char *MsgName(quint8 type)
{
    // No default: the compiler reports a type added to Msg and missing here.
    switch (Msg(type)) {
    case Msg::Identify:
        return "Identify";
    case Msg::Stop:
        return "Stop";
    case Msg::Status:
        return "Status";
    case Msg::ReadSupportTemp:
        return "ReadSupportTemp";
    case Msg::WriteSupportTemp:
        return "WriteSupportTemp";
    case Msg::SendLayerRecord:
        return "SendLayerRecord";
    case Msg::SendLayerNames:
        return "SendLayerNames";
    case Msg::SendMassNames:
        return "SendMassNames";
    case Msg::Chamber:
        return "Chamber";
    case Msg::TemperatureButton:
        return "TemperatureButton";
    case Msg::VacuumButton:
        return "VacuumButton";
    case Msg::ReadClock:
        return "ReadClock";
    case Msg::SetClock:
        return "SetClock";
    case Msg::StartReperTuning:
        return "StartReperTuning";
    case Msg::StartReperRun:
        return "StartReperRun";
    case Msg::StartVacuumCalibration:
        return "StartVacuumCalibration";
    case Msg::VacuumCalibrationProgress:
        return "VacuumCalibrationProgress";
    case Msg::StartDriveCalibration:
        return "StartDriveCalibration";
    case Msg::DriveCalibrationProgress:
        return "DriveCalibrationProgress";
    case Msg::ReperValues:
        return "ReperValues";
    case Msg::ReadServiceBlock:
        return "ReadServiceBlock";
    case Msg::WriteServiceBlock:
        return "WriteServiceBlock";
    case Msg::ReadMeasurements:
        return "ReadMeasurements";
    case Msg::ZoneTime:
        return "ZoneTime";
    case Msg::ReadAmbient:
        return "ReadAmbient";
    case Msg::ProgramStart:
        return "ProgramStart";
    case Msg::ProgramUpdate:
        return "ProgramUpdate";
    case Msg::ReadRemainingTime:
        return "ReadRemainingTime";
    case Msg::EconomyMode:
        return "EconomyMode";
    case Msg::StartOverheatAdjust:
        return "StartOverheatAdjust";
    case Msg::OverheatAdjustProgress:
        return "OverheatAdjustProgress";
    case Msg::ReadControllerMode:
        return "ReadControllerMode";
    }
    return nullptr;
}
