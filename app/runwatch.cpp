// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/runwatch.h"

#include "link/furnaceimage.h"

#include <algorithm>

bool ReportsNoProgram(quint8 controllerMode, quint8 stageByte)
{
    return controllerMode != ControllerMode::Program && controllerMode != ControllerMode::Error &&
           stageByte == NoProgramStage;
}

QString RunLossText(RunLoss loss, quint8 language)
{
    switch (loss) {
    case RunLoss::None:
        break;
    case RunLoss::NotStarted:
        return RunLossTexts::NotStarted.text(language);
    case RunLoss::NoLongerRunning:
        return RunLossTexts::NoLongerRunning.text(language);
    case RunLoss::SilentTooLong:
        return RunLossTexts::SilentTooLong.text(language);
    }
    return {};
}

void RunWatch::start(double plannedSeconds)
{
    *this = RunWatch();
    m_plannedSeconds = std::max(0.0, plannedSeconds);
}

double RunWatch::secondsLeftWhenHeard() const
{
    const double left = m_remaining ? *m_remaining * 60.0 - (m_heardAt - m_remainingAt)
                                    : m_plannedSeconds - m_heardAt;
    return std::max(0.0, left);
}

RunLoss RunWatch::tick(const RunTick &t)
{
    if (!t.answered) {
        // The controller's own estimate can be short (natural cooling is slow): half again
        // as much, and never less than the margin, before the run is given up.
        const double left = secondsLeftWhenHeard();
        const double allowed = left + std::max(SilenceMarginSeconds, left / 2);
        return t.seconds - m_heardAt > allowed ? RunLoss::SilentTooLong : RunLoss::None;
    }
    m_heardAt = t.seconds;
    if (!t.controllerMode || !t.stageByte)
        return RunLoss::None;
    if (*t.controllerMode == ControllerMode::Program) {
        m_programSeen = true;
        m_zone = *t.stageByte & 0x1F;
        if (t.remainingMinutes) {
            m_remaining = *t.remainingMinutes;
            m_remainingAt = t.seconds;
        }
        return RunLoss::None;
    }
    if (!ReportsNoProgram(*t.controllerMode, *t.stageByte))
        return RunLoss::None;
    if (m_programSeen)
        return RunLoss::NoLongerRunning;
    return ++m_idleRounds >= StartRounds ? RunLoss::NotStarted : RunLoss::None;
}
