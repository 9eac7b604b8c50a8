// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"

#include <QString>
#include <QtGlobal>

#include <optional>

/// The stage byte (reply 3) of a controller that runs no firing program. Together with a mode
/// (reply 99) other than Program and Error it is what a controller reports after a restart (power
/// cut, reset) or a stop at the furnace: the simulator reports mode Holding with this stage.
inline constexpr quint8 NoProgramStage = 0;

/// Whether reply 99's mode and reply 3's stage byte say that no firing program runs. A mode of
/// Error is left to the fault report; Program with any stage is a program (step 0 is its start).
bool ReportsNoProgram(quint8 controllerMode, quint8 stageByte);

/// Why a run ended that the controller neither finished nor faulted.
enum class RunLoss {
    None,            ///< the run goes on
    NotStarted,      ///< the controller did not take the program
    NoLongerRunning, ///< it ran the program, then reported that none runs
    SilentTooLong,   ///< silent for longer than the program could still have lasted
};

/// Texts of the ends a RunWatch finds.
namespace RunLossTexts
{
inline constexpr TextPair NotStarted{"печь не запустила программу",
                                     "the furnace did not start the program"};
inline constexpr TextPair NoLongerRunning{"печь больше не выполняет программу",
                                          "the furnace is no longer running the program"};
inline constexpr TextPair SilentTooLong{"печь не отвечала дольше, чем могла идти программа",
                                        "the furnace was silent for longer than the program "
                                        "could last"};
/// The log line (after the time of day); %1 is one of the reasons above.
inline constexpr TextPair LogInterrupted{" Программа прекращена: %1.", " Program interrupted: %1."};
} // namespace RunLossTexts

/// The reason for `loss` in `language`; empty for RunLoss::None.
QString RunLossText(RunLoss loss, quint8 language);

/// What one tick of a running program brought, for RunWatch.
struct RunTick {
    /// Run clock at the tick: furnace seconds since the start.
    double seconds = 0;
    /// The furnace answered on this tick (the watchdog found no reply outstanding).
    bool answered = false;
    /// The controller's mode (reply 99) and stage byte (reply 3), given only when both came
    /// since the previous tick, so that they describe one poll round.
    std::optional<quint8> controllerMode;
    std::optional<quint8> stageByte;
    /// The remaining minutes (reply 70) when they came since the previous tick.
    std::optional<quint16> remainingMinutes;
};

/// Follows a firing the console started and tells when the furnace is no longer running it
/// although the controller reported neither its last step nor a fault: a controller that
/// restarted (power cut, reset) reports that no program runs, one that never took the program
/// keeps reporting so, one that stays silent cannot still be firing once the program's time is
/// long past. Also keeps the step and the remaining time last seen while the program ran, which
/// is what an ended run shows (a restarted controller reports 0 minutes left).
///
/// Contract: start() at the console's start; then tick() once per tick of the run, in order,
/// until it returns something other than None. Plain data, no clock of its own.
class RunWatch
{
public:
    /// Poll rounds that may still report no program after the start before it counts as not
    /// taken: the first rounds can have been answered before the program request went out.
    static constexpr int StartRounds = 5;
    /// Silence allowed on top of the time the program could still need, furnace seconds.
    static constexpr double SilenceMarginSeconds = 600;

    /// A run begins; `plannedSeconds` is what the program takes by its plan (the silence rule
    /// uses it until the controller reports its remaining time).
    void start(double plannedSeconds);
    /// One tick; what ended the run, or RunLoss::None while it goes on.
    RunLoss tick(const RunTick &tick);

    /// The controller has reported the program running in this run.
    bool programSeen() const { return m_programSeen; }
    /// The step (CurrentZone) last reported while the program ran; 0 before.
    int zone() const { return m_zone; }
    /// The remaining minutes last reported while the program ran.
    std::optional<quint16> remainingMinutes() const { return m_remaining; }
    /// Furnace seconds the program could still have needed when the furnace was last heard.
    double secondsLeftWhenHeard() const;

private:
    double m_plannedSeconds = 0;
    double m_heardAt = 0;
    std::optional<quint16> m_remaining;
    double m_remainingAt = 0;
    int m_idleRounds = 0;
    int m_zone = 0;
    bool m_programSeen = false;
};
