// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "logbook/firingrecord.h"

#include <QList>
#include <QString>

#include <array>

/// Texts of the firing record, its CSV file and its report.
namespace FiringTexts
{
inline constexpr TextPair SaveRecord{"Сохранить протокол обжига...", "Save firing record..."};
inline constexpr TextPair ReportPdf{"Протокол обжига (PDF)...", "Firing report (PDF)..."};
inline constexpr TextPair Print{"Печать...", "Print..."};
inline constexpr TextPair CsvFilter{"Протокол обжига CSV (*.csv);;Все файлы (*)",
                                    "Firing record CSV (*.csv);;All files (*)"};
inline constexpr TextPair PdfFilter{"Документ PDF (*.pdf);;Все файлы (*)",
                                    "PDF document (*.pdf);;All files (*)"};

inline constexpr TextPair RecordTitle{"Протокол обжига", "Firing record"};
inline constexpr TextPair ReportTitle{"Протокол обжига", "Firing report"};
inline constexpr TextPair Console{"Программа", "Console"};
inline constexpr TextPair Furnace{"Печь", "Furnace"};
inline constexpr TextPair FurnaceUnknown{"не опознана", "not identified"};
inline constexpr TextPair Port{"Порт", "Port"};
inline constexpr TextPair Date{"Дата", "Date"};
inline constexpr TextPair Start{"Начало", "Start"};
inline constexpr TextPair End{"Окончание", "End"};
inline constexpr TextPair Duration{"Длительность", "Duration"};
inline constexpr TextPair Outcome{"Итог", "Outcome"};
inline constexpr TextPair Mass{"Масса", "Mass"};
inline constexpr TextPair Layer{"Слой", "Layer"};
inline constexpr TextPair ProgramNumber{"Номер программы", "Program number"};
inline constexpr TextPair VacOffByTime{"Выключение вакуума по времени", "Vacuum off by time"};
inline constexpr TextPair Parameters{"Параметры", "Parameters"};
inline constexpr TextPair Events{"События", "Events"};
inline constexpr TextPair Samples{"Измерений", "Samples"};
inline constexpr TextPair MoreEvents{"… и ещё %1 (все — в протоколе CSV)",
                                     "… and %1 more (all in the CSV record)"};
inline constexpr TextPair DroppedEvents{"Не записано событий", "Events not kept"};
inline constexpr TextPair DroppedSamples{"Не записано измерений", "Samples not kept"};
inline constexpr TextPair Operator{"Оператор", "Operator"};
inline constexpr TextPair CaseReference{"Номер заказа", "Case reference"};
inline constexpr TextPair Note{"Примечание", "Note"};
inline constexpr TextPair LogbookHash{"Хеш записи в журнале", "Logbook hash"};
inline constexpr TextPair Yes{"да", "yes"};
inline constexpr TextPair No{"нет", "no"};

inline constexpr TextPair Running{"Выполняется", "Running"};
inline constexpr TextPair Finished{"Программа завершена", "Program finished"};
inline constexpr TextPair Aborted{"Программа прервана", "Program aborted"};
inline constexpr TextPair Fault{"Неисправность: %1", "Fault: %1"};
inline constexpr TextPair Interrupted{"Программа прекращена: %1", "Program interrupted: %1"};
/// The reason of an imported record that was saved while its firing still ran.
inline constexpr TextPair SavedWhileRunning{
    "протокол сохранён во время обжига, конец обжига в нём не записан",
    "the record was saved while the firing ran; how it ended is not in it"};

inline constexpr TextPair EventStart{"Запуск программы", "Program started"};
inline constexpr TextPair EventLinkLost{"Печь не отвечает", "Furnace not answering"};
inline constexpr TextPair EventLinkBack{"Связь с печью восстановлена", "Furnace answering again"};
inline constexpr TextPair EventFault{"Неисправность", "Fault"};
inline constexpr TextPair EventAbort{"Прерывание программы", "Program aborted"};
inline constexpr TextPair EventFinished{"Программа завершена", "Program finished"};

inline constexpr TextPair Saved{" Протокол обжига сохранён: %1", " Firing record saved: %1"};
inline constexpr TextPair NotSaved{" Ошибка: протокол обжига не сохранён (%1): %2",
                                   " Error: firing record not saved (%1): %2"};
inline constexpr TextPair SaveFailed{"Не удалось записать «%1»:\n%2",
                                     "\"%1\" could not be written:\n%2"};
inline constexpr TextPair PdfFailed{"документ PDF не создан", "the PDF document could not be made"};
inline constexpr TextPair PrintFailed{"Не удалось напечатать протокол обжига.",
                                      "The firing report could not be printed."};
inline constexpr TextPair FolderFailed{"папку нельзя создать", "the folder cannot be created"};
} // namespace FiringTexts

/// The twenty field names of the record (PreDryTemp .. VacOff), in field order.
inline constexpr std::array<const char *, ProgParam::FieldCount> RecordFieldNames = {
    "PreDryTemp",    "PreDryHold",   "DryLevel",         "DryCloseTime", "DryTemp",
    "DryHold",       "PreHeatLevel", "PreHeatCloseTime", "PreHeatTemp",  "PreHeatHold",
    "HeatTemp",      "HeatRate",     "FiringTime",       "CoolTemp",     "CoolTime",
    "TemperingTime", "OpenTemp",     "OpenTime",         "VacOnTemp",    "VacOff"};

/// One parameter as the record shows it.
struct ParameterLine {
    int field = 0;   ///< ProgParam field index
    QString label;   ///< the field's name label in the window ("Temperature")
    QString shown;   ///< the value as its edit field shows it ("1:00" for a minute of firing)
    QString unit;    ///< the unit of `shown` ("°C", "min", "mm:ss")
    quint16 raw = 0; ///< the stored value
    QString rawUnit; ///< the unit of `raw` ("sec" for the two time fields)
};

/// A parameter group of the window (Predrying .. Vacuum) with its fields in window order.
struct ParameterGroup {
    QString title;
    QList<ParameterLine> lines;
};

/// The eight parameter groups of `record` with the texts of `language`.
QList<ParameterGroup> RecordParameterGroups(const ProgParam &record, quint8 language);

/// "ZKV4.6 v:1.02", or the not-identified text.
QString FurnaceText(const FiringFacts &facts, quint8 language);
/// How the firing ended: "Program finished", "Program aborted", "Fault: Overheating!",
/// "Program interrupted: <why>", or "Running" while it runs.
QString OutcomeText(const FiringTrace &trace, quint8 language);
/// The event's text ("Fault: Overheating!" for a fault).
QString EventText(const RecordEvent &event, quint8 language);
/// Wall-clock duration of the firing (h:mm:ss), up to its end or up to `now` while it runs.
QString DurationText(const FiringTrace &trace, const QDateTime &now);

/// A file name for the record (no folder): date, time of the start, mass and layer, then
/// `suffix`: "2026-03-07_10-15_Dentine_A2.csv". Characters no file system takes become "_".
QString ProposedRecordName(const FiringRecord &record, const QString &suffix);
/// `folder`/`name`, or with "-2", "-3", ... before the suffix when that file exists already.
QString UniqueRecordPath(const QString &folder, const QString &name);
