// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"

#include <array>

/// Texts that only the service windows show.
namespace ServiceTexts
{

// Shared by the windows.
inline constexpr TextPair Attention{"Внимание", "Attention"};
inline constexpr TextPair ErrorCaption{"Ошибка", "Error"};
inline constexpr TextPair Millivolt{"мВ", "mV"};
inline constexpr TextPair Times{" раз", " times"};
inline constexpr TextPair TOperation{"Tсработки= ", "T operation= "};
inline constexpr TextPair WorkTimeGroup{"Наработка ТЭНа", "Heater worktime"};
inline constexpr TextPair ChamberOpening{"Открывание камеры", "Chamber opening"};
inline constexpr TextPair ChamberClosing{"Закрывание камеры", "Chamber closing"};
inline constexpr TextPair Heating60{"Нагрев 60°C/мин", "Heating 60°C/min"};
inline constexpr TextPair Heating5{"Нагрев 5°C/мин", "Heating 5°C/min"};
inline constexpr TextPair Cooling{"Охлаждение", "Cooling"};
/// A change of the settings block before the controller has sent it.
inline constexpr TextPair BlockNotRead{
    "Настройки печи ещё не прочитаны из пульта: изменение не отправлено.",
    "The furnace's settings have not been read from the CC yet: the change was not sent."};
/// A procedure is running and the window may not close yet.
inline constexpr TextPair ProcessInProgress{"Идёт выполнение программы!",
                                            "There were process in progress!"};

// The basic services window.
inline constexpr TextPair ServicesCaption{"Сервисные настройки", "Services"};
inline constexpr TextPair TsupportGroup{"T(°C) поддержания", "T(°C) idle"};
inline constexpr TextPair TimeDateGroup{"Время/Дата", "Time/Date"};
inline constexpr TextPair VacuumTractGroup{"Вакуумный тракт", "Vacuum channel"};
inline constexpr TextPair VacCalibrateGroup{"Калибровка вакуум системы", "Adjust vacuum channel"};
inline constexpr TextPair EconomModeGroup{"Управление ВН", "VP control"};
inline constexpr TextPair CorrectionTGroup{"Коррекция Т°C", "Correction Т°C"};
inline constexpr TextPair DriveCalibrGroup{"Калибровка двигателя", "Drive calibreation"};
inline constexpr TextPair ResourceGroup{"Ресурс нагревателя", "Resource"};
inline constexpr TextPair Calibration{"Калибровка", "Calibration"};
inline constexpr TextPair CalibrationBreak{"Стоп", "Break"};
inline constexpr TextPair Opening{"Открывание: ", "Opening: "};
inline constexpr TextPair Closing{"Закрывание: ", "Closing: "};
inline constexpr TextPair Seconds{"сек", "sec"};
inline constexpr TextPair DriveCalibrationComplete{"Калибровка двигателя завершена",
                                                   "Drive calibration complited"};
/// The economy-mode entries, for VacEconomyMode 90..96.
inline constexpr std::array<const char *, 7> EconomyEntries = {"---", "91%", "92%", "93%",
                                                               "94%", "95%", "MAX"};

// Names a screen reader gives the basic services controls that have no caption of their own.
inline constexpr TextPair SupportTempName{"Температура поддержания, °C", "Idle temperature, °C"};
/// The hint of the support temperature field, also shown when a keystroke is refused.
inline constexpr TextPair SupportTempHint{"Температура поддержания: от 0 до 400 °C",
                                          "Idle temperature: 0 to 400 °C"};
inline constexpr TextPair HourName{"Часы", "Hour"};
inline constexpr TextPair MinuteName{"Минуты", "Minute"};
inline constexpr TextPair DayName{"День", "Day"};
inline constexpr TextPair MonthName{"Месяц", "Month"};
inline constexpr TextPair YearName{"Год", "Year"};
inline constexpr TextPair KvacName{"Коэффициент вакуумного тракта", "Vacuum channel coefficient"};
inline constexpr TextPair CorrectionName{"Коррекция температуры, °C", "Temperature correction, °C"};
inline constexpr TextPair VacCalibrationName{"Калибровка вакуумной системы",
                                             "Vacuum channel calibration"};
inline constexpr TextPair DriveCalibrationName{"Калибровка двигателя", "Drive calibration"};
inline constexpr TextPair Increase{": больше", ": up"};
inline constexpr TextPair Decrease{": меньше", ": down"};

// The factory settings window.
inline constexpr TextPair OfficesCaption{"Служебные настройки", "Support"};
inline constexpr TextPair TambientGroup{"Комнатная T°C", "T°C ambient"};
inline constexpr TextPair AdcGroup{"Измерения АЦП", "ADC measurement"};
inline constexpr TextPair ColdJunction{"Холодный спай:", "Cold T-junction:"};
inline constexpr TextPair VacuumSensor{"Вакуумный датчик:", "Vacuum sensor:"};
inline constexpr TextPair ReperSensor{"Реперный датчик:", "Reper sensor:"};
inline constexpr TextPair Power5V{"Питание -5В:", "Supply -5V:"};
inline constexpr TextPair ThermocoupleCoarse{"Термопара грубо:", "T-couple approach:"};
inline constexpr TextPair ThermocoupleFine{"Термопара точно:", "T-couple exactly:"};
inline constexpr TextPair EepromGroup{"Параметры ПЗУ", "EPROM data"};
/// Captions of the nine settings fields (Label7..Label15), in the order of the window.
inline constexpr std::array<TextPair, 9> EepromLabels = {{
    {"Смещение термопары:", "Thermocouple offset:"},
    {"Смещение вакуума:", "Vacuum offset:"},
    {"Коэф-т термопары 1:", "Thermocouple 1 coeff.:"},
    {"Коэф-т термопары 2:", "Thermocouple 2 coeff.:"},
    {"Закрывание, имп.:", "Closing, pulses:"},
    {"Открывание, имп.:", "Opening, pulses:"},
    {"Смещение комнатной:", "Ambient T°C offset:"},
    {"Коэф-т вакуумного тракта:", "Vacuum channel coeff.:"},
    {"Автоматическая защита:", "Overheat protection:"},
}};
inline constexpr TextPair HeaterResourceGroup{"Ресурс нагревателя", "Heater resource"};
inline constexpr TextPair Reset{"Сброс", "Reset"};
inline constexpr TextPair Refresh{"Обновить", "Refresh"};
inline constexpr TextPair OverheatGroup{"Настройка защиты", "Overheat adjustment"};
inline constexpr TextPair Start{"Пуск", "Start"};
inline constexpr TextPair Stop{"Стоп", "Stop"};
inline constexpr TextPair OverheatHint{"Программа настройки автоматической защиты от перегрева",
                                       "Adjustment of the automatic overheat protection"};
inline constexpr TextPair ReperGroup{"Реперный датчик", "Reper sensor"};
/// Captions of the reference-sensor fields (Label16..Label19).
inline constexpr std::array<TextPair, 4> ReperLabels = {{
    {"Uсработки1", "U operation 1"},
    {"Uсработки2", "U operation 2"},
    {"Uсработки3", "U operation 3"},
    {"Tсработки", "T operation"},
}};
inline constexpr TextPair ReperWorkedOut{"Реперный датчик сработал ", "Reper sensor: work out "};
inline constexpr TextPair TreperHint{"Программа определения Тсработки реперного датчика",
                                     "Determination of the reper sensor's operation temperature"};
inline constexpr TextPair Aborted{"Прервано", "Aborted"};
inline constexpr TextPair SaveChangedParameters{"Параметры были изменены.\nСохранить?",
                                                "Save changed parameters?"};
/// A settings field left with text that is not a number: %1 the field's caption.
inline constexpr TextPair NotANumber{"%1 значение должно быть числом. Ничего не сохранено.",
                                     "%1 the value must be a number. Nothing was stored."};
inline constexpr TextPair AmbientName{"Комнатная температура, °C", "Ambient temperature, °C"};
inline constexpr TextPair AmbientOffsetArrows{"Смещение комнатной температуры",
                                              "Ambient temperature offset"};
inline constexpr TextPair ResetWorkTimeName{"Сбросить наработку ТЭНа", "Reset heater worktime"};
inline constexpr TextPair ResetResourceName{"Сбросить ресурс нагревателя", "Reset heater resource"};

// The reference-sensor tuning window.
inline constexpr TextPair TuneCaption{"Настройка по реперу", "Reper adjustment"};
inline constexpr TextPair TuneGroup{"Настройка по реперному датчику", "Reper adjustment"};
inline constexpr TextPair RsWorkedOut{"РД сработал ", "RS:work out "};
inline constexpr TextPair Urd{"Uрд= ", "Urd= "};
inline constexpr std::array<TextPair, 3> UOperation = {{
    {"Uсработки1= ", "U operation1= "},
    {"Uсработки2= ", "U operation2= "},
    {"Uсработки3= ", "U operation3= "},
}};

} // namespace ServiceTexts
