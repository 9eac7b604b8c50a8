// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "link/serviceblock.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

/// The rules of the service windows that need no window: value conversions, limits, the
/// procedures' phases and the settings fields of the factory window.
namespace Service
{

/// The factory window's access code.
inline constexpr char AccessCode[] = "47";
/// Whether `text` is the access code (compared exactly).
bool IsAccessCode(const QString &text);

/// A duration of `seconds` as hours (no leading zeros) ":" minutes ":" seconds, e.g. 5:07:09.
QString DurationText(quint32 seconds);
/// The heater work time in seconds as shown: the counter (1/100 s) div 100, kept in 16 bits.
quint16 WorkTimeSeconds(const ServiceBlock &block);

/// Support temperature typed into its field: the value to send, or nothing when it is above
/// MaxSupportTemp or not a number. An empty field counts as 0.
inline constexpr quint16 MaxSupportTemp = 400;
std::optional<quint16> SupportTempToSend(const QString &text);

/// Entry of the economy-mode list for VacEconomyMode `mode` (90..95 own entries, else "MAX"),
/// and the mode an entry stands for.
int EconomyIndex(quint8 mode);
quint8 EconomyModeOf(int index);

/// Temperature correction dT = (KT2 - KT1) div 2, signed, truncated toward zero; and the KT1
/// that gives correction `dT` with `kt2` (16 bits).
int CorrectionDt(const ServiceBlock &block);
quint16 KT1ForCorrection(quint16 kt2, int dT);

/// One click of an up/down arrow that stops at its limits: `value` + 1 or - 1, kept in
/// [lowest, highest].
int ArrowStep(int value, bool up, int lowest, int highest);
inline constexpr int KvacLowest = 50;
inline constexpr int KvacHighest = 150;
inline constexpr int CorrectionLowest = -299;
inline constexpr int CorrectionHighest = 300;

/// One click of the Kvac arrows from the value `shown`: the new Kvac, stored in `block`.
quint8 KvacArrow(ServiceBlock &block, int shown, bool up);
/// One click of the correction arrows from the dT `shown`: the new dT, kept in
/// CorrectionLowest..CorrectionHighest and where KT1 = KT2 - 2 dT still fits 16 bits (so that
/// the block gives back the dT set); KT1 is stored in `block`.
int CorrectionArrow(ServiceBlock &block, int shown, bool up);

/// Channels of the controller's converter readings (FurnaceImage::AdcMeasures, reply 55) that
/// the factory window uses; 2, 3 and 7 carry nothing.
namespace AdcChannel
{
inline constexpr int ColdJunction = 0;
inline constexpr int VacuumSensor = 1;
inline constexpr int ThermocoupleCoarse = 4;
inline constexpr int ReperSensor = 5;
inline constexpr int NegativeSupply = 6; ///< the -5 V supply
inline constexpr int ThermocoupleFine = 8;
} // namespace AdcChannel

/// One click of the ambient-offset arrows, which wrap: up lowers the offset (35 goes to 65),
/// down raises it (65 goes to 35). An offset above 65 goes to 65 by up, one below 35 to 35 by
/// down: the result is always within the limits.
quint8 AmbientArrowStep(quint8 offset, bool up);
inline constexpr quint8 AmbientOffsetLowest = 35;
inline constexpr quint8 AmbientOffsetHighest = 65;
/// One click of the ambient arrows on `block`: the offset stepped, and the precise thermocouple
/// reading `fineReading` taken as the thermocouple offset. No other byte changes.
void AmbientArrow(ServiceBlock &block, quint16 fineReading, bool up);

/// The last ServiceStep of each procedure: a higher step means it is over.
inline constexpr quint8 DriveCalibrationLastStep = 3;
inline constexpr quint8 VacuumCalibrationLastStep = 4;
/// From this step on the user may correct Kvac during the vacuum calibration.
inline constexpr quint8 KvacAdjustableStep = 3;
inline constexpr quint8 OverheatAdjustLastStep = 6;
inline constexpr quint8 ReperRunLastStep = 7;
inline constexpr quint8 ReperTuningLastStep = 5;

/// The phase text of the reference-temperature run (factory window) and of the reference-sensor
/// tuning for `step`; nothing once the run is over.
std::optional<TextPair> ReperRunPhase(quint8 step);
std::optional<TextPair> ReperTuningPhase(quint8 step);

/// One of the thirteen settings fields of the factory window.
struct ParameterField {
    const char *name; ///< the edit field's objectName
    int offset;       ///< in the settings block
    bool wide;        ///< u16 (else u8)
    int lowest;       ///< below: ignored (-1: no lower limit)
    int highest;      ///< above: clamped
};
inline constexpr std::array<ParameterField, 13> ParameterFields = {{
    {"edtTcouple_offset", ServiceBlock::oTcoupleOffset, true, 30, 200},
    {"edtVacOffset", ServiceBlock::oVacOffset, true, -1, 250},
    {"edtKT1", ServiceBlock::oKT1, true, 750, 1400},
    {"edtKT2", ServiceBlock::oKT2, true, 750, 1400},
    {"edtClosing", ServiceBlock::oClosingPulses, true, 400, 2700},
    {"edtOpening", ServiceBlock::oOpeningPulses, true, 400, 2700},
    {"edtTamb_offset", ServiceBlock::oAmbientOffset, false, 35, 65},
    {"edtKvac", ServiceBlock::oKvac, false, 50, 150},
    {"edtKoverheat", ServiceBlock::oKoverheat, false, -1, 254},
    {"edtUrep1", ServiceBlock::oUrep1, true, -1, 999},
    {"edtUrep2", ServiceBlock::oUrep2, true, -1, 999},
    {"edtUrep3", ServiceBlock::oUrep3, true, -1, 999},
    {"edtTrep", ServiceBlock::oTrep, true, -1, 999},
}};

/// What a settings field's text comes to.
struct FieldEntry {
    enum Outcome {
        NotANumber, ///< empty or not digits: nothing stored
        Ignored,    ///< below the lower limit: nothing stored
        Stored,     ///< within the limits
        Clamped,    ///< above the upper limit: the limit is stored and shown
    };
    Outcome outcome = NotANumber;
    quint16 value = 0; ///< what to store (Stored, Clamped)
};
FieldEntry ParseFieldText(const ParameterField &field, const QString &text);
quint16 FieldValue(const ServiceBlock &block, const ParameterField &field);
void StoreField(ServiceBlock &block, const ParameterField &field, quint16 value);
/// Text typed into a settings field: parsed, and stored in `block` when Stored or Clamped.
FieldEntry EnterField(ServiceBlock &block, const ParameterField &field, const QString &text);
/// Indexes into ParameterFields of the fields other controls also set or show.
inline constexpr int TcoupleOffsetField = 0;
inline constexpr int AmbientOffsetField = 6;
inline constexpr int KoverheatField = 8;
inline constexpr int TrepField = 12;

/// What the windows show of the settings block, in `language` where there are words.
/// "Opening: 13sec, 1500" and "Closing: ..." (basic services window).
QString OpeningText(const ServiceBlock &block, quint8 language);
QString ClosingText(const ServiceBlock &block, quint8 language);
QString WorkTimeText(const ServiceBlock &block);
QString ResourceText(const ServiceBlock &block);
/// A settings field: its value in decimal.
QString FieldText(const ServiceBlock &block, const ParameterField &field);
/// "Reper sensor: work out 3 times" (factory window), "RS:work out 3 times" (tuning window).
QString ReperCountText(const ServiceBlock &block, quint8 language);
QString TuneCountText(const ServiceBlock &block, quint8 language);
/// "T operation= 660°C".
QString TOperationText(const ServiceBlock &block, quint8 language);
/// "U operation1= 852mV" for voltage `i` (0..2).
QString UOperationText(const ServiceBlock &block, int i, quint8 language);
/// The tuning's result: "dT= " + (`operatedAt` - Trep, signed) + "°C".
QString TuningResultText(const ServiceBlock &block, quint16 operatedAt);

} // namespace Service
