// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"

/// Texts of the furnace health window, its check dialogs and its printed summary.
namespace HealthTexts
{
inline constexpr TextPair Title{"Состояние печи", "Furnace health"};
inline constexpr TextPair Furnace{"Печь:", "Furnace:"};
inline constexpr TextPair Period{"Период:", "Period:"};
/// The period's items, in the combo's order (HealthWindow::Period).
inline constexpr TextPair PeriodItems[] = {
    {"последний месяц", "last month"},
    {"последние 6 месяцев", "last 6 months"},
    {"последний год", "last year"},
    {"всё время", "all time"},
};
inline constexpr TextPair Heating{"Нагрев:", "Heating:"};
inline constexpr TextPair HeatingItems[] = {
    {"скорость 700–900 °C (все программы)", "700–900 °C rate (all programs)"},
    {"скорость подъёма (по программам)", "ramp rate (by program)"},
};
inline constexpr TextPair Summary{"Сводка (PDF)...", "Summary (PDF)..."};
inline constexpr TextPair Print{"Печать...", "Print..."};
inline constexpr TextPair FullView{"Весь период", "Whole period"};
inline constexpr TextPair FullViewHint{"Показать весь период на графиках (Home)",
                                       "Show the whole period in the plots (Home)"};

inline constexpr TextPair BandRateTitle{"Скорость нагрева 700–900 °C", "Heating rate 700–900 °C"};
inline constexpr TextPair RampRateTitle{"Скорость подъёма до температуры обжига",
                                        "Heating rate to the firing temperature"};
inline constexpr TextPair HoldTitle{"Отклонение на выдержке", "Deviation in the hold"};
inline constexpr TextPair VacuumTitle{"Откачка до %1 %", "Vacuum pump-down to %1 %"};
inline constexpr TextPair RateUnit{"°C/мин", "°C/min"};
inline constexpr TextPair DegreeUnit{"°C", "°C"};
inline constexpr TextPair SecondUnit{"с", "s"};

inline constexpr TextPair NoFurnace{"В журнале ещё нет обжигов с показателями.",
                                    "The logbook holds no firings with figures yet."};
inline constexpr TextPair ReadFailed{"Журнал не читается: %1", "The logbook cannot be read: %1"};
inline constexpr TextPair ReadOnly{
    "Журнал открыт только для чтения (%1): допуски и проверки не изменить.",
    "The logbook is open for reading only (%1): tolerances and checks cannot be changed."};
inline constexpr TextPair WriteFailed{"Не удалось записать в журнал: %1",
                                      "The logbook could not be written: %1"};

inline constexpr TextPair FlagsTab{"Отмеченные обжиги (%1)", "Flagged firings (%1)"};
inline constexpr TextPair ChecksTab{"Проверки (%1)", "Checks (%1)"};
inline constexpr TextPair TolerancesTab{"Допуски", "Tolerances"};
inline constexpr TextPair TabsName{"Отмеченные обжиги, проверки и допуски",
                                   "Flagged firings, checks and tolerances"};
inline constexpr TextPair When{"Дата", "Date"};
inline constexpr TextPair FiringColumn{"Обжиг", "Firing"};
inline constexpr TextPair Finding{"Что найдено", "What was found"};
inline constexpr TextPair FlagsName{"Отмеченные обжиги", "Flagged firings"};
inline constexpr TextPair FlagDetailName{"Отмеченный обжиг", "The flagged firing"};
inline constexpr TextPair NoFlags{"Ни один обжиг за период не отмечен.",
                                  "No firing of the period was flagged."};
inline constexpr TextPair FlagHint{"Выберите обжиг, чтобы увидеть его на графиках.",
                                   "Select a firing to see it in the plots."};
/// A stored flag whose numbers cannot be worked out again: the figure's name.
inline constexpr TextPair Unexplained{
    "%1: показатель вышел за базу при завершении обжига (база с тех пор изменилась).",
    "%1: the figure left its baseline at the firing's end (the baseline has changed since)."};
// A flag in a few words, for the list (the whole message when it is selected).
inline constexpr TextPair ShortReach{"Нагрев до %1 °C: на %2 % дольше",
                                     "Heating to %1 °C: %2 % longer"};
inline constexpr TextPair ShortRate{"Нагрев до %1 °C: %2 °C/мин, на %3 % медленнее",
                                    "Heating to %1 °C: %2 °C/min, %3 % slower"};
inline constexpr TextPair ShortHold{"Выдержка: отклонение %1 °C, на %2 °C больше",
                                    "Hold: %1 °C off, %2 °C more than usual"};
inline constexpr TextPair ShortVacuum{"Вакуум: %1 с до %2 %, на %3 % дольше",
                                      "Vacuum: %1 s to %2 %, %3 % longer"};
inline constexpr TextPair ShortVacuumMissed{"Вакуум: %1 % не достигнут (наибольший %2 %)",
                                            "Vacuum: %1 % not reached (highest %2 %)"};
inline constexpr TextPair ShortBand{"Нагреватель: %1 °C/мин в %2–%3 °C, на %4 % медленнее",
                                    "Heating element: %1 °C/min at %2–%3 °C, %4 % slower"};
inline constexpr TextPair ShortUnexplained{"%1: вне базы", "%1: outside its baseline"};
inline constexpr TextPair FigureHeating{"Нагрев", "Heating"};
inline constexpr TextPair FigureHold{"Выдержка", "Hold"};
inline constexpr TextPair FigureVacuum{"Вакуум", "Vacuum"};
inline constexpr TextPair FigureBand{"Нагревательный элемент", "Heating element"};

inline constexpr TextPair ChecksName{"Проверки печи", "Checks of the furnace"};
inline constexpr TextPair Check{"Проверка", "Check"};
inline constexpr TextPair Interval{"Интервал", "Interval"};
inline constexpr TextPair Since{"Отсчёт с", "Counted from"};
inline constexpr TextPair Status{"Состояние", "Status"};
inline constexpr TextPair EveryDays{"%1 дн.", "%1 days"};
inline constexpr TextPair EveryFirings{"%1 обжигов", "%1 firings"};
inline constexpr TextPair EveryVacuumHours{"%1 ч вакуума", "%1 h of vacuum"};
inline constexpr TextPair EveryHeaterHours{"%1 ч нагрева", "%1 h of heating"};
inline constexpr TextPair Or{" или ", " or "};
inline constexpr TextPair AddCheck{"Добавить проверку...", "Add check..."};
inline constexpr TextPair EditCheck{"Изменить...", "Edit..."};
inline constexpr TextPair RemoveCheck{"Удалить", "Remove"};
inline constexpr TextPair CheckDone{"Проверка выполнена...", "Check done..."};
inline constexpr TextPair AllKindsSet{"Все виды проверок для этой печи уже заданы.",
                                      "Every kind of check is set for this furnace already."};
inline constexpr TextPair RemoveQuestion{
    "Удалить проверку «%1»? Записи о выполненных проверках останутся в журнале.",
    "Remove the check \"%1\"? The checks done stay in the logbook."};
inline constexpr TextPair CheckLog{"Выполненные проверки", "Checks done"};
inline constexpr TextPair Result{"Итог", "Result"};
inline constexpr TextPair Note{"Примечание", "Note"};
inline constexpr TextPair Operator{"Оператор", "Operator"};

inline constexpr TextPair NewCheckTitle{"Новая проверка", "New check"};
inline constexpr TextPair EditCheckTitle{"Проверка: %1", "Check: %1"};
inline constexpr TextPair Kind{"Вид:", "Kind:"};
inline constexpr TextPair Days{"Каждые, дней:", "Every, days:"};
inline constexpr TextPair Firings{"Каждые, обжигов:", "Every, firings:"};
inline constexpr TextPair VacuumHours{"Каждые, часов работы вакуума:", "Every, hours of vacuum:"};
inline constexpr TextPair HeaterHours{"Каждые, часов работы нагревателя:",
                                      "Every, hours of heating:"};
inline constexpr TextPair NotCounted{"нет", "off"};
inline constexpr TextPair NeedInterval{"Задайте хотя бы один интервал.",
                                       "Set at least one interval."};
inline constexpr TextPair Ok{"ОК", "OK"};
inline constexpr TextPair Cancel{"Отмена", "Cancel"};

inline constexpr TextPair DoneTitle{"Проверка выполнена: %1", "Check done: %1"};
inline constexpr TextPair DoneAt{"Когда:", "When:"};
inline constexpr TextPair ResultLabel{"Итог:", "Result:"};
/// The results a check can have; the logbook keeps the English word (then ": details").
inline constexpr TextPair Results[] = {
    {"пройдена", "passed"},
    {"выполнена настройка", "adjusted"},
    {"не пройдена", "failed"},
};
inline constexpr TextPair Details{"Подробности:", "Details:"};
inline constexpr TextPair NoteLabel{"Примечание:", "Note:"};
inline constexpr TextPair DoneHint{
    "Запись добавляется в цепочку журнала; интервал проверки начинается заново с этого времени.",
    "The entry is added to the logbook's chain; the check's interval starts again from then."};

inline constexpr TextPair TolHeating{"Скорость подъёма ниже базы более чем на:",
                                     "Ramp rate below the baseline by more than:"};
inline constexpr TextPair TolVacuum{"Откачка дольше базы более чем на:",
                                    "Pump-down longer than the baseline by more than:"};
inline constexpr TextPair TolHold{"Отклонение на выдержке больше базы более чем на:",
                                  "Hold deviation above the baseline by more than:"};
inline constexpr TextPair TolBand{"Скорость 700–900 °C ниже базы более чем на:",
                                  "700–900 °C rate below the baseline by more than:"};
inline constexpr TextPair Apply{"Применить", "Apply"};
inline constexpr TextPair Defaults{"По умолчанию", "Defaults"};
inline constexpr TextPair TolNote{
    "Обжиг отмечается, когда показатель хуже медианы его базы (10 предыдущих обычных обжигов той "
    "же программы, для скорости 700–900 °C — любых программ) больше допуска и лежит вне разброса "
    "базы. Новые допуски действуют для обжигов, завершённых после их применения.",
    "A firing is flagged when a figure is worse than its baseline's median (the 10 normal "
    "firings of the same program before it; for the 700–900 °C rate, of any program) by more "
    "than the tolerance and lies outside the baseline's range. New tolerances apply to firings "
    "that end after they were applied."};
inline constexpr TextPair TolSaved{"Допуски сохранены.", "Tolerances saved."};

inline constexpr TextPair SummaryTitle{"Состояние печи", "Furnace health"};
inline constexpr TextPair SummaryFurnace{"Печь", "Furnace"};
inline constexpr TextPair SummaryPeriod{"Период", "Period"};
inline constexpr TextPair SummaryMade{"Составлено", "Made"};
inline constexpr TextPair SummaryShown{"На графиках", "In the plots"};
inline constexpr TextPair SummaryFlags{"Отмеченные обжиги: %1", "Flagged firings: %1"};
inline constexpr TextPair MoreFlags{"… и ещё %1", "… and %1 more"};
inline constexpr TextPair SummaryChecks{"Проверки", "Checks"};
inline constexpr TextPair NoChecks{"Проверки не заданы.", "No checks are set."};
inline constexpr TextPair LastDone{"последняя: %1, %2", "last: %1, %2"};
inline constexpr TextPair PrintFailed{"Не удалось напечатать сводку.",
                                      "The summary could not be printed."};
} // namespace HealthTexts
