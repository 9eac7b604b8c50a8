#pragma once

#include <QtGlobal>

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
