// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/runmonitor.h"

#include "app/texts.h"
#include "common/consolestate.h"
#include "common/programstep.h"

#include <algorithm>

namespace
{

/// Chamber position states (ChamberStatus bits 0-2) that the idle cycle waits for.
constexpr quint8 ChamberOpening = 2;
constexpr quint8 ChamberClosed = 3;

/// The console modes of the service procedures, whose step handling runs on answered ticks.
bool IsServiceProcedure(quint8 mode)
{
    return mode == ConsoleMode::DriveCalibration || mode == ConsoleMode::VacuumCalibration ||
           mode == ConsoleMode::OverheatAdjust || mode == ConsoleMode::ReperTuning ||
           mode == ConsoleMode::ReperRun;
}

} // namespace

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
        if (chamberPosition == ChamberClosed) {
            action.openChamber = true;
            cycle.IdleOpenTicks = 0;
            cycle.IdleCycleStep = 2;
        }
        break;
    case 2:
        if (chamberPosition == ChamberOpening) {
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

void RunMonitor::startRun(double plannedSeconds)
{
    m_runSeconds = 0;
    m_watch.start(plannedSeconds);
}

TickPlan RunMonitor::tick(const TickInputs &in)
{
    TickPlan plan;
    const bool timedOut = in.watchdog.timedOut;
    if (timedOut) {
        plan.transferLost = in.watchdog.transferCancelled;
        plan.packetErrors =
            QStringLiteral("PacketERR=%1,%2").arg(in.noReplyCount).arg(in.lastRequestType);
        plan.noFurnace = true;
    } else {
        plan.packetErrors = QStringLiteral("PacketERR=0");
        answeredTick(in, plan);
    }
    // A port that opened but where nothing answers, or a furnace that fell silent (a line that
    // failed has said so already).
    plan.logSilence = !in.lineDown && m_silence.tick(timedOut);
    // A fault seen on this tick has ended the run before the rest of the tick looks at it.
    const quint8 mode = plan.fault ? ConsoleMode::Fault : in.console.ConsoleMode;
    runTick(in, mode, plan);
    return plan;
}

void RunMonitor::answeredTick(const TickInputs &in, TickPlan &plan)
{
    const FurnaceImage &image = in.image;
    quint8 mode = in.console.ConsoleMode;
    plan.refreshOffices = in.console.OfficesWindowOpen;
    // One report per fault: the mode stays Fault until its box is closed.
    if (mode != ConsoleMode::Fault && image.ControllerMode == ControllerMode::Error) {
        mode = ConsoleMode::Fault;
        plan.fault = Texts::FaultText(image.FaultCode, in.console.Language);
    }
    const IdleCycleAction idle =
        IdleCycleTick(m_idleCycle, mode, image.chamberPosition(), image.Block.OpeningSeconds());
    if (idle.closeChamber)
        plan.requests.push_back(RequestKind::ChamberClose);
    if (idle.openChamber)
        plan.requests.push_back(RequestKind::ChamberOpen);
    if (IsServiceProcedure(mode))
        plan.serviceStep = mode;
}

void RunMonitor::runTick(const TickInputs &in, quint8 mode, TickPlan &plan)
{
    const FurnaceImage &image = in.image;
    const quint8 language = in.console.Language;
    plan.title = QString::fromLatin1(Texts::ProgramTitle);
    // The run clock counts furnace time, also over silent ticks, until the run's first end.
    const bool runGoesOn = in.console.ProgramRunning && in.runRecorded && !plan.fault;
    if (runGoesOn)
        m_runSeconds += std::max(0.0, in.secondsSinceTick);
    // While a fault box is up, the run ends when it closes.
    if (runGoesOn && mode != ConsoleMode::Fault) {
        RunTick t;
        t.seconds = m_runSeconds;
        t.answered = !in.watchdog.timedOut;
        if (in.modeReported && in.stageReported) {
            t.controllerMode = image.ControllerMode;
            t.stageByte = image.StageByte;
        }
        if (in.remainingReported)
            t.remainingMinutes = image.RemainingMinutes;
        plan.loss = m_watch.tick(t);
    }
    // The running program, also while the furnace is silent (from what it said last).
    if (!in.console.ProgramRunning || plan.loss != RunLoss::None)
        return;
    plan.programShown = true;
    plan.requests.push_back(RequestKind::ReadRemainingTime);
    plan.title += Texts::RemainingTitle(image.RemainingMinutes, language);
    if (!in.record)
        return;
    plan.stageText = Texts::StageText(image.CurrentZone, *in.record, language);
    plan.finished = image.CurrentZone == ProgramStep::Finished;
}
