// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/runfigures.h"

#include "app/texts.h"
#include "common/logtime.h"
#include "common/programstep.h"

#include <algorithm>
#include <cmath>

namespace
{

QString timeOfDay(const QDateTime &when)
{
    return when.time().toString(QStringLiteral("hh:mm"));
}

} // namespace

QString FormatDuration(double seconds)
{
    const qint64 s = std::isfinite(seconds) && seconds > 0 ? qint64(seconds) : 0;
    return HoursMinutesSeconds(s);
}

RunFigures ComputeRunFigures(const RunPanelInput &in, const QDateTime &now, quint8 language)
{
    RunFigures f;
    if (!in.trace || !in.trace->hasRun()) {
        f.headline = RunTexts::NoRun.text(language);
        return f;
    }
    const FiringTrace &trace = *in.trace;
    f.running = trace.running();
    f.step = RunTexts::Step.text(language).arg(std::clamp(in.zone + 1, 1, ProgramStep::Count));
    f.elapsed = RunTexts::Elapsed.text(language).arg(FormatDuration(in.elapsedSeconds));
    const double elapsed = std::max(0.0, in.elapsedSeconds);
    if (in.remainingMinutes) {
        const double remaining = *in.remainingMinutes * 60.0;
        f.progress = elapsed + remaining > 0 ? int(1000 * elapsed / (elapsed + remaining)) : 0;
        // A run that did not reach its last step is never shown as complete.
        if (trace.outcome() != RunOutcome::Finished)
            f.progress = std::min(f.progress, 999);
    }

    switch (trace.outcome()) {
    case RunOutcome::Running: {
        if (in.record)
            f.headline = Texts::StageText(in.zone, *in.record, language).value_or(QString());
        if (f.headline.isEmpty() && !trace.samples().isEmpty())
            f.headline = trace.samples().constLast().StageText;
        if (in.remainingMinutes) {
            f.remaining = RunTexts::Remaining.text(language).arg(*in.remainingMinutes);
            const double scale = in.timeScale > 0 ? in.timeScale : 1.0;
            const QDateTime end = now.addSecs(qint64(std::ceil(*in.remainingMinutes * 60 / scale)));
            f.endsAt = RunTexts::EndsAt.text(language).arg(timeOfDay(end));
        }
        break;
    }
    case RunOutcome::Finished:
        f.headline = RunTexts::FinishedAt.text(language).arg(timeOfDay(trace.endedAt()));
        f.progress = 1000;
        break;
    case RunOutcome::Aborted:
        f.headline = RunTexts::AbortedAt.text(language).arg(timeOfDay(trace.endedAt()));
        break;
    case RunOutcome::Fault:
        f.headline =
            RunTexts::FaultAt.text(language).arg(timeOfDay(trace.endedAt()), trace.endDetail());
        break;
    case RunOutcome::Interrupted:
        f.headline = RunTexts::InterruptedAt.text(language).arg(timeOfDay(trace.endedAt()),
                                                                trace.endDetail());
        break;
    }
    return f;
}
