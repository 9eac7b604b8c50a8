// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

/// The message types of the furnace protocol: the type byte of a request and of its reply (a
/// reply carries the type of the request it answers). The numbers are the protocol's.
enum class Msg : quint8 {
    Identify = 1,                   ///< reply: model id, firmware version
    Stop = 2,                       ///< request: everything stops; reply: 1 asks for a 500 ms pause
    Status = 3,                     ///< reply: temperature, vacuum, chamber status, stage
    ReadSupportTemp = 4,            ///< reply: support temperature
    WriteSupportTemp = 5,           ///< request: the support temperature to set
    SendLayerRecord = 6,            ///< upload: one layer record; reply: acknowledgement
    SendLayerNames = 8,             ///< upload: a chunk of the layer names; reply: acknowledgement
    SendMassNames = 9,              ///< upload: a chunk of the mass names; reply: acknowledgement
    Chamber = 10,                   ///< request: 0 stop, 1 close, 2 open
    TemperatureButton = 11,         ///< request: heater holding off (0) or on (1)
    VacuumButton = 12,              ///< request: 2, the pump toggles
    ReadClock = 15,                 ///< reply: the controller clock
    SetClock = 16,                  ///< request: the clock to set
    StartReperTuning = 39,          ///< request: the reference-sensor tuning starts
    StartReperRun = 40,             ///< request: the reference-sensor run starts
    StartVacuumCalibration = 42,    ///< request: the vacuum calibration starts
    VacuumCalibrationProgress = 43, ///< reply: service step
    StartDriveCalibration = 44,     ///< request: the drive calibration starts
    DriveCalibrationProgress = 45,  ///< reply: service step
    ReperValues = 48,               ///< reply: service step, two reference values
    ReadServiceBlock = 51,          ///< reply: the service block
    WriteServiceBlock = 52,         ///< request: the service block
    ReadMeasurements = 55,          ///< reply: nine converter readings
    ZoneTime = 56,                  ///< reply: seconds in the current step
    ReadAmbient = 57,               ///< reply: ambient temperature
    ProgramStart = 62,              ///< request: the 88-byte program, started from step 0
    ProgramUpdate = 63,             ///< request: the 88-byte program, replacing the running one
    ReadRemainingTime = 70,         ///< reply: remaining minutes of the running program
    EconomyMode = 72,               ///< request: write (0) or read (0x80) ORed into the mode
    StartOverheatAdjust = 74,       ///< request: the overheat adjustment starts
    OverheatAdjustProgress = 75,    ///< reply: service step and zone time
    ReadControllerMode = 99,        ///< reply: controller mode, fault code
};

/// A type byte from the line compared with a named type (the byte may name no type at all).
constexpr bool operator==(int type, Msg msg)
{
    return type == int(msg);
}

/// The name of a message type for traces ("Status"), or nullptr for a byte that names none.
const char *MsgName(quint8 type);
