// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "logbook/historyquery.h"

#include <QLocale>
#include <QString>

/// Texts of the firing logbook's windows: the history, an entry, a comparison.
namespace HistoryTexts
{
// --- the history window
inline constexpr TextPair Title{"Журнал обжигов", "Firing history"};
inline constexpr TextPair Search{"Поиск:", "Search:"};
inline constexpr TextPair SearchHint{"масса, слой, заказ, примечание", "mass, layer, case, note"};
inline constexpr TextPair SearchName{"Поиск по массе, слою, заказу и примечанию",
                                     "Search in mass, layer, case and note"};
inline constexpr TextPair Dates{"Даты с", "Dates from"};
inline constexpr TextPair DatesName{"Только записи за период", "Only entries of a period"};
inline constexpr TextPair DateTo{"по", "to"};
inline constexpr TextPair FromName{"Первый день периода", "First day of the period"};
inline constexpr TextPair ToName{"Последний день периода", "Last day of the period"};
inline constexpr TextPair Outcome{"Итог:", "Outcome:"};
inline constexpr TextPair OutcomeName{"Итог обжига", "Outcome of the firing"};
/// The outcome filter's items, in the combo's order.
inline constexpr TextPair OutcomeItems[] = {
    {"все", "all"},
    {"завершён", "finished"},
    {"прерван", "aborted"},
    {"неисправность", "fault"},
    {"прекращён", "interrupted"},
    {"импортирован", "imported"},
};
inline constexpr TextPair Furnace{"Печь:", "Furnace:"};
inline constexpr TextPair FurnaceName{"Печь, на которой шли обжиги", "Furnace the firings ran on"};
inline constexpr TextPair AllFurnaces{"все", "all"};
inline constexpr TextPair Entries{"Записей: %1", "%1 entries"};
inline constexpr TextPair OneEntry{"Записей: 1", "1 entry"};
inline constexpr TextPair TableName{"Записи журнала", "Logbook entries"};
inline constexpr TextPair Open{"Открыть", "Open"};
inline constexpr TextPair Compare{"Сравнить", "Compare"};
inline constexpr TextPair CompareHint{"Выберите от 2 до 8 записей", "Select 2 to 8 entries"};
inline constexpr TextPair Import{"Импорт...", "Import..."};
inline constexpr TextPair ImportHint{"Протоколы обжига CSV прежних версий программы",
                                     "Firing records (CSV) of earlier versions of the console"};
inline constexpr TextPair Check{"Проверить журнал", "Check the logbook"};
inline constexpr TextPair StopCheck{"Остановить", "Stop"};
inline constexpr TextPair StopCheckName{"Остановить проверку журнала", "Stop the logbook check"};
inline constexpr TextPair ProgressName{"Ход проверки журнала", "Progress of the logbook check"};
inline constexpr TextPair VerdictName{"Проверка журнала", "Logbook check"};
inline constexpr TextPair ProblemName{"Состояние журнала", "State of the logbook"};

inline constexpr TextPair Checking{"Проверка журнала…", "Checking the logbook…"};
/// Russian: the numbers of entries and amendments; English: "3 entries", "1 amendment".
inline constexpr TextPair Intact{"Цепочка цела: проверено записей: %1, исправлений: %2",
                                 "Chain intact: %1 and %2 checked"};
inline constexpr TextPair UnderWay{" (обжигов в работе: %1)", " (%1 under way)"};
inline constexpr TextPair BrokenEntry{"Цепочка нарушена: запись от %1, %2 / %3 — %4",
                                      "Chain broken at the entry of %1, %2 / %3: %4"};
inline constexpr TextPair BrokenAmendment{
    "Цепочка нарушена: исправление записи от %1, %2 / %3 — %4",
    "Chain broken at an amendment of the entry of %1, %2 / %3: %4"};
inline constexpr TextPair BrokenEnd{"Цепочка нарушена: %1", "Chain broken: %1"};
inline constexpr TextPair NotChecked{"Журнал не удалось проверить: %1",
                                     "The logbook could not be checked: %1"};
inline constexpr TextPair Stopped{"Проверка остановлена", "Check stopped"};

inline constexpr TextPair LogbookOff{
    "Журнал обжигов выключен: программа запущена без журнала.",
    "The firing logbook is off: the console was started without it."};
inline constexpr TextPair LogbookFailed{"Журнал обжигов недоступен: %1",
                                        "The firing logbook cannot be used: %1"};
inline constexpr TextPair LogbookUnreadable{"Журнал обжигов «%1» не читается: %2",
                                            "The firing logbook \"%1\" cannot be read: %2"};
inline constexpr TextPair LogbookOpening{"Журнал обжигов открывается…",
                                         "The firing logbook is being opened…"};
inline constexpr TextPair ReadFailed{"Журнал не читается: %1", "The logbook cannot be read: %1"};
inline constexpr TextPair OpenFailed{"Запись не открыть: %1", "The entry cannot be opened: %1"};

inline constexpr TextPair ImportTitle{"Импорт протоколов обжига", "Import firing records"};
inline constexpr TextPair ImportDone{"Импортировано: %1", "Imported: %1"};
inline constexpr TextPair ImportThere{"Уже были в журнале: %1", "Already in the logbook: %1"};
inline constexpr TextPair ImportRefused{"Не импортированы: %1", "Not imported: %1"};
inline constexpr TextPair ImportOff{"журнал выключен", "the logbook is off"};
inline constexpr TextPair TooLarge{"файл слишком велик", "the file is too large"};
inline constexpr TextPair AlreadyThere{"этот обжиг уже есть в журнале",
                                       "this firing is in the logbook already"};

// --- the entry view
inline constexpr TextPair EntryTitle{"Обжиг %1 — %2 / %3", "Firing of %1 — %2 / %3"};
inline constexpr TextPair Operator{"Оператор", "Operator"};
inline constexpr TextPair ImportedFact{"Импортирован", "Imported"};
inline constexpr TextPair Hash{"Хеш записи", "Entry hash"};
inline constexpr TextPair Health{"Состояние печи", "Furnace health"};
inline constexpr TextPair NoDrift{"без отклонений от прежних обжигов",
                                  "no drift from earlier firings"};
inline constexpr TextPair NotSealed{"ещё не запечатана: обжиг идёт",
                                    "not sealed yet: the firing runs"};
inline constexpr TextPair CurveName{"Кривая обжига", "Firing curve"};
inline constexpr TextPair Amendments{"Исправления", "Amendments"};
inline constexpr TextPair Time{"Время", "Time"};
inline constexpr TextPair Field{"Поле", "Field"};
inline constexpr TextPair Value{"Значение", "Value"};
inline constexpr TextPair Parameter{"Параметр", "Parameter"};
inline constexpr TextPair Unit{"Ед.", "Unit"};
inline constexpr TextPair Event{"Событие", "Event"};
inline constexpr TextPair CaseAndNote{"Заказ и примечание", "Case and note"};
inline constexpr TextPair Case{"Заказ", "Case reference"};
inline constexpr TextPair Note{"Примечание", "Note"};
inline constexpr TextPair AddAmendment{"Добавить исправление", "Add amendment"};
inline constexpr TextPair AmendPending{"Исправление записывается…",
                                       "The amendment is being written…"};
inline constexpr TextPair AmendWaiting{
    "Исправление будет записано, когда журнал станет доступен: %1",
    "The amendment is written once the logbook can be used: %1"};
inline constexpr TextPair AmendWritten{"Исправление записано.", "The amendment was written."};
inline constexpr TextPair AmendFailed{"Исправление не записано: %1",
                                      "The amendment was not written: %1"};
inline constexpr TextPair AmendRunning{"Обжиг ещё идёт: исправления — после его окончания.",
                                       "The firing still runs: amendments come after its end."};
inline constexpr TextPair AmendOff{"Журнал выключен: исправления не записываются.",
                                   "The logbook is off: amendments cannot be written."};
inline constexpr TextPair Close{"Закрыть", "Close"};

// --- the compare window
inline constexpr TextPair CompareTitle{"Сравнение обжигов", "Compare firings"};
inline constexpr TextPair AlignAt{"Совместить по:", "Align at:"};
inline constexpr TextPair AlignStart{"началу программы", "program start"};
inline constexpr TextPair AlignHeating{"началу нагрева", "start of heating"};
inline constexpr TextPair FiguresName{"Показатели обжигов", "Figures of the firings"};
inline constexpr TextPair Firing{"Обжиг", "Firing"};
// The figures' column headers, two lines each.
inline constexpr TextPair ToFiringTemp{"До температуры\nобжига, мин:с",
                                       "To firing\ntemperature, min:s"};
inline constexpr TextPair HighestTemp{"Наибольшая\nтемпература", "Highest\ntemperature"};
inline constexpr TextPair Overshoot{"Перегрев\nна выдержке", "Overshoot\nin the hold"};
inline constexpr TextPair HoldDeviation{"Отклонение\nна выдержке", "Mean deviation\nin the hold"};
inline constexpr TextPair VacuumToHighest{"От включения вакуума\nдо наибольшего, мин:с",
                                          "Vacuum on to\nhighest, min:s"};
inline constexpr TextPair TotalDuration{"Длительность,\nмин:с", "Total duration,\nmin:s"};
inline constexpr TextPair CurvesName{"Кривые обжигов", "Curves of the firings"};

/// The reasons the logbook gives, in Russian; others are shown as they come.
inline constexpr TextPair Reasons[] = {
    {"её содержимое изменено", "its content was changed"},
    {"запись перед ней пропала", "the entry before it is missing"},
    {"добавлена в обход журнала", "it was added outside the logbook"},
    {"звено перед ним пропало", "the link before it is missing"},
    {"исправленная запись удалена", "the entry it amends was removed"},
    {"её заказ или примечание изменены", "its case reference or note was changed"},
    {"последние записи цепочки пропали", "the last entries of the chain are missing"},
    {"последнее звено цепочки не совпадает", "the chain's last link does not match"},
    {"проверка остановлена", "the check was stopped"},
    {"журнала нет на этом месте", "there is no logbook at this place"},
};

/// A reason of the logbook in `language`.
inline QString Reason(const QString &reason, quint8 language)
{
    for (const TextPair &pair : Reasons)
        if (reason == QLatin1String(pair.en))
            return pair.text(language);
    return reason;
}

/// "1,234 entries" / "Записей: 1 234".
inline QString EntryCount(qint64 count, quint8 language)
{
    if (count == 1)
        return OneEntry.text(language);
    const QLocale locale(language == 0 ? QLocale::Russian : QLocale::English);
    return Entries.text(language).arg(locale.toString(count));
}

/// The verdict of a check of the logbook's chain, as the history window and the command line
/// say it.
inline QString Verdict(const VerifyReport &report, quint8 language)
{
    if (!report.readable)
        return report.error == QLatin1String("the check was stopped")
                   ? Stopped.text(language)
                   : NotChecked.text(language).arg(Reason(report.error, language));
    if (const auto &f = report.failure) {
        const QString reason = Reason(f->reason, language);
        if (!f->startedAt.isValid())
            return BrokenEnd.text(language).arg(reason);
        const QString when = f->startedAt.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
        return (f->amendment ? BrokenAmendment : BrokenEntry)
            .text(language)
            .arg(when, f->mass, f->layer, reason);
    }
    const QLocale locale(language == 0 ? QLocale::Russian : QLocale::English);
    const auto counted = [&locale, language](qint64 n, const char *one, const char *many) {
        return language == 0
                   ? locale.toString(n)
                   : locale.toString(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    QString text =
        Intact.text(language).arg(counted(report.entriesChecked, "entry", "entries"),
                                  counted(report.amendmentsChecked, "amendment", "amendments"));
    if (report.running > 0)
        text += UnderWay.text(language).arg(counted(report.running, "firing", "firings"));
    return text;
}

} // namespace HistoryTexts
