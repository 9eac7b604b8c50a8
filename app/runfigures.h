// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "graph/firingtrace.h"
#include "library/progparam.h"

#include <QDateTime>
#include <QString>

#include <optional>

/// Texts of the run panel.
namespace RunTexts
{
inline constexpr TextPair NoRun{"Программа не запускалась", "No program started yet"};
inline constexpr TextPair Step{"шаг %1 из 20", "step %1 of 20"};
inline constexpr TextPair Remaining{"осталось %1 мин", "%1 min left"};
inline constexpr TextPair EndsAt{"окончание ≈ %1", "ends ≈ %1"};
inline constexpr TextPair Elapsed{"прошло %1", "elapsed %1"};
inline constexpr TextPair FinishedAt{"Программа завершена в %1", "Program finished at %1"};
inline constexpr TextPair AbortedAt{"Программа прервана в %1", "Program aborted at %1"};
inline constexpr TextPair FaultAt{"Неисправность в %1: %2", "Fault at %1: %2"};
inline constexpr TextPair InterruptedAt{"Программа прекращена в %1: %2",
                                        "Program interrupted at %1: %2"};
/// Accessible names of the panel and its progress bar.
inline constexpr TextPair PanelName{"Ход программы", "Program run"};
inline constexpr TextPair ProgressName{"Выполнено", "Progress"};
/// The case reference and the note of the firing shown, kept with its record.
inline constexpr TextPair CaseLabel{"Заказ:", "Case:"};
inline constexpr TextPair NoteLabel{"Примечание:", "Note:"};
inline constexpr TextPair CaseName{"Номер заказа: %1", "Case reference: %1"};
inline constexpr TextPair NoteName{"Примечание к обжигу: %1", "Note on the firing: %1"};
inline constexpr TextPair CaseHint{
    "Номер заказа (работы), к которому относится обжиг. После окончания обжига изменение "
    "дописывается в журнал как поправка.",
    "The case (work order) this firing belongs to. After the firing has ended, a change is "
    "added to the logbook as an amendment."};
inline constexpr TextPair NoteHint{
    "Примечание к обжигу. После окончания обжига изменение дописывается в журнал как поправка.",
    "A note on the firing. After the firing has ended, a change is added to the logbook as an "
    "amendment."};
} // namespace RunTexts

/// What the run panel is computed from: the run's trace (start, end and how it ended), the
/// furnace time the run has lasted, and the furnace's step and remaining time.
struct RunPanelInput {
    const FiringTrace *trace = nullptr;
    /// Seconds of furnace time since the start (frozen once the run ended).
    double elapsedSeconds = 0;
    /// CurrentZone while the program ran; after the end, the step in which it ended.
    int zone = 0;
    /// RemainingMinutes as the furnace last reported them while it ran the program in this run.
    std::optional<quint16> remainingMinutes;
    /// Furnace seconds per real second: 1 on a real furnace; the built-in simulator may run
    /// faster. The end time of day divides the remaining time by it.
    double timeScale = 1;
    /// Record of the running layer, for the stage text; may be null.
    const ProgParam *record = nullptr;
};

/// The figures of the run panel, as texts in one language.
struct RunFigures {
    bool running = false;
    /// The stage text of the current step while a program runs; how and when the last run ended
    /// after it; a note that none ran before the first start.
    QString headline;
    QString step;      ///< "step 11 of 20"; empty before the first start
    QString remaining; ///< "17 min left"; empty when not known or not running
    QString endsAt;    ///< "ends ≈ 14:32" (now + remaining); empty when not known or not running
    QString elapsed;   ///< "elapsed 0:23:05" since the start; empty before the first start
    /// elapsed / (elapsed + remaining) in per mille; 1000 once finished, and only then; -1 when
    /// not known.
    int progress = -1;
};

/// The run panel's figures at `now` (local time of day) in `language`.
RunFigures ComputeRunFigures(const RunPanelInput &input, const QDateTime &now, quint8 language);

/// A duration as h:mm:ss ("0:23:05"); negative durations count as 0.
QString FormatDuration(double seconds);
