// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/firingfigures.h"
#include "logbook/firingrecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The health of a furnace, judged from its own firings: the figures of each firing kept with its
// logbook entry, compared with the firings of the same program on the same furnace before it
// (and, for the heating element, with the furnace's firings of any program), and the checks the
// laboratory has to make at intervals. Pure: the logbook stores and reads, this decides.

/// A furnace as the logbook tells furnaces apart: the computer, the port and the model it named.
QString FurnaceKey(const QString &host, const QString &port, const QString &model);
/// The furnace of `key` for people: "ZKV4.6 on /dev/ttyUSB0 (lab-pc)" ("ZKV4.6 на /dev/ttyUSB0
/// (lab-pc)"); the computer is left out when it is `thisHost`.
QString FurnaceLabel(const QString &key, quint8 language, const QString &thisHost = {});
/// A program as the health compares programs: its twenty parameters and the vacuum-off mode (not
/// its number in the controller, which an upload changes).
QString ProgramKey(const ProgParam &record);

/// The figures of one firing its furnace's health is judged by, as the logbook keeps them.
struct HealthPoint {
    qint64 entryId = 0;
    qint64 startedMs = 0; ///< ms since 1970 (UTC)
    bool normal = false;  ///< it ended with the program's last step
    QString furnaceKey;
    QString programKey;
    int heatTemp = 0;  ///< the firing temperature of its program, °C
    int bandLow = 700; ///< the fixed band its band rate was measured in, °C
    int bandHigh = 900;
    /// °C/min achieved on the ramp to the firing temperature, and what the program asked.
    std::optional<double> heatingRate;
    std::optional<double> heatingRatePlanned;
    /// Seconds from the start of heating to the firing temperature reached.
    std::optional<double> reachSeconds;
    /// °C/min between bandLow and bandHigh, whatever the program.
    std::optional<double> bandRate;
    /// Mean |T - HeatTemp| during the firing hold, °C; and the overshoot above HeatTemp.
    std::optional<double> holdDeviation;
    std::optional<int> holdOvershoot;
    /// Seconds from vacuum on to VacuumTarget, when reached.
    std::optional<double> vacuumSeconds;
    /// The highest vacuum reached, % rarefaction, and the seconds from vacuum on to it.
    std::optional<int> vacuumLevel;
    std::optional<double> vacuumToMaxSeconds;
    /// Seconds from the end of the hold to the opening temperature.
    std::optional<double> coolingSeconds;
    /// Seconds the vacuum pump ran and the heater drew power during the firing (from the
    /// chamber status of its samples): what the pump's and the heater's service intervals count.
    double vacuumOnSeconds = 0;
    double heaterOnSeconds = 0;
    /// The heater's work time from the controller's settings block, when it was read during
    /// the firing (seconds, as the controller counts it).
    std::optional<qint64> heaterWorkTime;
    /// The figures flagged at its end (HealthFigureName), empty when none was.
    QStringList flags;
};

/// The vacuum level the pump-down time is measured to, % rarefaction.
inline constexpr int VacuumTarget = 90;

/// The figures of `record` (an ended firing): measured from its samples (ComputeFiringFigures)
/// and its chamber status.
HealthPoint HealthPointOf(const FiringRecord &record, qint64 entryId = 0);

/// How far a figure may leave its baseline before a firing is flagged (the health window sets
/// them; they are kept in the logbook).
struct HealthTolerances {
    double heatingRatePercent = 8; ///< heating rate below the baseline by more than this
    double vacuumTimePercent = 50; ///< pump-down longer than the baseline by more than this
    double holdDeviation = 5;      ///< °C more mean deviation in the hold than the baseline
    double bandRatePercent = 8;    ///< the furnace's 700–900 °C rate, across programs
    bool operator==(const HealthTolerances &) const = default;
};

/// What a baseline is made of: the last BaselineFirings comparable firings that ended normally;
/// none is judged before MinimumFirings of them exist.
inline constexpr int BaselineFirings = 10;
inline constexpr int MinimumFirings = 5;

/// A figure's baseline: the median of the comparable firings and the range they spread over.
struct Baseline {
    int count = 0;
    double median = 0;
    double low = 0;
    double high = 0;
};
/// The baseline of `values` (the newest first; only the first BaselineFirings count). count 0
/// for none.
Baseline BaselineOf(const QList<double> &values);

/// Which part of the furnace a flag is about.
enum class HealthFigure {
    Heating,       ///< the ramp to the firing temperature, against the same program
    HoldDeviation, ///< the firing hold's regulation, against the same program
    VacuumTime,    ///< the pump-down, against the same program
    BandRate,      ///< the heating element, against the furnace's firings of any program
};
QString HealthFigureName(HealthFigure figure);
/// The figure in words: "heating", "firing hold", "vacuum", "heating element".
QString HealthFigureText(HealthFigure figure, quint8 language);
std::optional<HealthFigure> HealthFigureFromName(const QString &name);

/// One figure of a firing that left its baseline.
struct DriftFlag {
    HealthFigure figure = HealthFigure::Heating;
    double value = 0;    ///< this firing's figure
    double baseline = 0; ///< the baseline's median
    /// How much worse: a share (0.14 = 14 % longer or slower), or °C for the hold.
    double change = 0;
    int comparedWith = 0; ///< the firings of the baseline
    int temperature = 0;  ///< the firing temperature, °C (Heating); the band's top (BandRate)
    int bandLow = 0;
    /// For Heating: value and baseline are seconds to the firing temperature (else °C/min).
    bool byTime = false;
    /// For VacuumTime: the level not reached (the firing stayed below VacuumTarget), and the
    /// highest it reached then.
    bool levelMissed = false;
    int levelReached = 0;
};

/// The flags of `firing` (it must have ended normally; other firings are never flagged)
/// against the normal firings before it: `sameProgram` of its furnace and program, and
/// `sameFurnace` of its furnace and any program; both newest first.
QList<DriftFlag> CheckDrift(const HealthPoint &firing, const QList<HealthPoint> &sameProgram,
                            const QList<HealthPoint> &sameFurnace,
                            const HealthTolerances &tolerances);

/// The flag in plain words: what changed, by how much, and what to check.
QString DriftMessage(const DriftFlag &flag, quint8 language);

// --- checks the laboratory makes at intervals ---------------------------------------------

enum class CheckKind {
    Calibration, ///< temperature calibration (a silver test): days and/or firings
    VacuumPump,  ///< vacuum pump service: hours of vacuum on
    Heater,      ///< heater check: hours of heater work
};
QString CheckKindName(CheckKind kind);
std::optional<CheckKind> CheckKindFromName(const QString &name);
QString CheckKindText(CheckKind kind, quint8 language);

/// A check the laboratory set for a furnace, and when it was last done.
struct CheckSetting {
    qint64 id = 0;
    QString furnaceKey;
    CheckKind kind = CheckKind::Calibration;
    int intervalDays = 0;     ///< 0: not counted in days
    int intervalFirings = 0;  ///< 0: not counted in firings
    double intervalHours = 0; ///< vacuum-on hours (pump) or heater hours (heater); 0: none
    qint64 sinceMs = 0;       ///< when it was last done, or set up
};

/// What a furnace did since a check was last done.
struct CheckUsage {
    double days = 0;
    int firings = 0;
    double vacuumHours = 0;
    double heaterHours = 0;
};

/// How a check stands.
struct CheckStatus {
    CheckSetting setting;
    /// The largest share of any of its intervals used (1.0: the interval is up).
    double used = 0;
    /// Due: at least DueShare of an interval used; overdue: an interval is up.
    bool due = false;
    bool overdue = false;
};
inline constexpr double DueShare = 0.9;

CheckStatus EvaluateCheck(const CheckSetting &setting, const CheckUsage &usage);
/// "Temperature calibration due: 27 of 30 days" / "... overdue: 34 of 30 days".
QString CheckStatusText(const CheckStatus &status, const CheckUsage &usage, quint8 language);
