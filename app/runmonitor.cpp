#include "runmonitor.h"

#include "consolestate.h"

IdleCycleAction IdleCycleTick(IdleCycle &cycle, quint8 consoleMode, quint8 chamberPosition,
                              quint8 openingSeconds)
{
    IdleCycleAction action;
    if (consoleMode != ConsoleMode::Idle) {
        cycle.IdleTicks = 0;
        cycle.IdleCycleStep = 0;
        return action;
    }
    if (cycle.IdleTicks < 0xFFFF)
        ++cycle.IdleTicks;
    if (cycle.IdleTicks < IdleCycleTicks)
        return action;

    switch (cycle.IdleCycleStep) {
    case 0:
        action.closeChamber = true;
        cycle.IdleCycleStep = 1;
        break;
    case 1:
        if (chamberPosition == 3) {
            action.openChamber = true;
            cycle.IdleOpenTicks = 0;
            cycle.IdleCycleStep = 2;
        }
        break;
    case 2:
        if (chamberPosition == 2) {
            ++cycle.IdleOpenTicks;
            // A second open request while the chamber moves stops it part way.
            if (cycle.IdleOpenTicks >= openingSeconds / 8) {
                action.openChamber = true;
                cycle.IdleCycleStep = 3;
            }
        }
        break;
    case 3:
        cycle.IdleTicks = 0;
        cycle.IdleCycleStep = 0;
        break;
    default:
        cycle.IdleCycleStep = 0;
        break;
    }
    return action;
}

bool SilenceNotice::tick(bool timedOut)
{
    if (!timedOut) {
        if (m_reported && ++m_answeredInRow >= AnsweredTicks)
            m_reported = false;
        return false;
    }
    m_answeredInRow = 0;
    if (m_reported)
        return false;
    m_reported = true;
    return true;
}
