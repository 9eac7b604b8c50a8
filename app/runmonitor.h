// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/runwatch.h"
#include "common/consolestate.h"
#include "library/progparam.h"
#include "link/furnaceimage.h"
#include "link/requests.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

/// The idle chamber cycle of the run monitor: after 300 ticks without a procedure or a
/// program, the chamber is closed, opened again and stopped part way; then the wait restarts.
struct IdleCycle {
    quint16 IdleTicks = 0;
    quint8 IdleCycleStep = 0; ///< 0..3
    quint8 IdleOpenTicks = 0;
};

/// What one tick of the idle cycle asks of the furnace.
struct IdleCycleAction {
    bool closeChamber = false;
    bool openChamber = false; ///< sent as a stop when the chamber is moving
};

inline constexpr int IdleCycleTicks = 300;

/// One tick of the idle cycle. `chamberPosition` is ChamberStatus bits 0-2 (2 opening,
/// 3 closed); `openingSeconds` the measured opening time from the settings block.
IdleCycleAction IdleCycleTick(IdleCycle &cycle, quint8 consoleMode, quint8 chamberPosition,
                              quint8 openingSeconds);

/// When the message log says that the furnace does not answer: on the first silent tick of a
/// silence, and again only once the furnace has answered on AnsweredTicks ticks in a row since,
/// so that a line that loses a reply every few ticks gets one line, not one per loss.
class SilenceNotice
{
public:
    static constexpr int AnsweredTicks = 5;

    /// One tick of the watchdog; true when this (silent) tick is the one to report.
    bool tick(bool timedOut);

private:
    int m_answeredInRow = 0;
    bool m_reported = false;
};

/// What the main window holds when its 800 ms timer fires: the input of RunMonitor::tick().
struct TickInputs {
    /// The link's reply watchdog, which opens every tick (Link::watchdogTick).
    WatchdogResult watchdog;
    /// The line failed and is not reopened; it has said so in the log already.
    bool lineDown = false;
    /// Unanswered ticks in a row and the type of the request last sent, after the watchdog.
    quint32 noReplyCount = 0;
    quint8 lastRequestType = 0;
    /// The console as it is at the tick.
    ConsoleState console;
    /// The furnace as its replies left it.
    FurnaceImage image;
    /// The selected layer's record, whose values the stage texts show; none without a layer.
    const ProgParam *record = nullptr;
    /// The firing record of the run started last is still open (its first end closes it).
    bool runRecorded = false;
    /// Furnace seconds since the last tick.
    double secondsSinceTick = 0;
    /// Which of the controller's mode (reply 99), stage (reply 3) and remaining time (reply 70)
    /// came since the last tick: the run watch judges a whole poll round only.
    bool modeReported = false;
    bool stageReported = false;
    bool remainingReported = false;
};

/// What one tick does, as RunMonitor::tick() decided it: what the window shows and what it asks
/// of the furnace. The window applies it in the order of the members.
struct TickPlan {
    /// An upload lost its acknowledgement: it ends (the link has withdrawn its requests).
    bool transferLost = false;
    /// lblPacketErr: "PacketERR=0", or after a time-out the count and the request last sent.
    QString packetErrors;
    /// Timed out: panel 0 says "No furnace" at its design width.
    bool noFurnace = false;
    /// The factory window's live values are refreshed.
    bool refreshOffices = false;
    /// A controller fault to report, by its text: ConsoleMode becomes Fault first, the run ends
    /// with the fault, and one box shows it without holding up the ticks.
    std::optional<QString> fault;
    /// Request kinds to mark pending: the idle cycle's chamber commands, the remaining time.
    std::vector<RequestKind> requests;
    /// The ConsoleMode of the service procedure whose step handling runs.
    std::optional<quint8> serviceStep;
    /// This silent tick is the one that the log reports.
    bool logSilence = false;
    /// Not None: the furnace no longer runs the program; the run ends interrupted.
    RunLoss loss = RunLoss::None;
    /// A program runs: the curve shows the furnace's position in it.
    bool programShown = false;
    /// Panel 4: the running step in words (none for a step without a text).
    std::optional<QString> stageText;
    /// The program reached its last step: the run ends as finished.
    bool finished = false;
    /// The window title: the program's name, with the remaining time while a program runs.
    QString title;
};

/// The run monitor of one furnace window: on every tick of the window's timer it decides what the
/// reply watchdog, the fault report, the idle chamber cycle, the service procedures and a
/// running program call for. It keeps what lasts from tick to tick (the idle cycle, the silence
/// notice, the run clock and the run watch) and shows or sends nothing itself. No widgets.
class RunMonitor
{
public:
    /// A run begins: the run clock from 0, and a fresh run watch for a program that takes
    /// `plannedSeconds` by its plan.
    void startRun(double plannedSeconds);
    /// One tick.
    TickPlan tick(const TickInputs &in);

    /// The run clock: furnace seconds of the run at the tick it last advanced.
    double runSeconds() const { return m_runSeconds; }
    /// What the run watch saw of the run started last.
    const RunWatch &watch() const { return m_watch; }

private:
    void answeredTick(const TickInputs &in, TickPlan &plan);
    void runTick(const TickInputs &in, quint8 mode, TickPlan &plan);

    IdleCycle m_idleCycle;
    SilenceNotice m_silence;
    RunWatch m_watch;
    double m_runSeconds = 0;
};
