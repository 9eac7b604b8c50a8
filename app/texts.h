// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "library/progparam.h"
#include "service/servicetexts.h"

#include <QString>

#include <array>
#include <optional>

/// The main window's text store: every text it shows, as constant Russian/English pairs, and the
/// builders of the texts assembled from pieces. Pick a member with TextPair::text(language),
/// language 0 Russian, 1 English. All tables are compile-time constants; any thread may read them.
namespace Texts
{

/// The program's name: the application title and the window title while no program runs.
inline constexpr const char *ProgramTitle = "ZKV4.6 CONSOLE";

/// A caption or hint of one main-window control; `control` is the control's objectName.
struct ControlText {
    const char *control;
    TextPair text;
};

/// The two texts of one parameter field: what it is and which values it accepts.
struct FieldText {
    TextPair description;
    TextPair range;
};

// Unit labels.
inline constexpr TextPair DegC{"°C", "°C"};
inline constexpr TextPair UnitMmSs{"мм:сс", "mm:ss"};
inline constexpr TextPair UnitSec{"сек", "sec"};
inline constexpr TextPair UnitDegPerMin{"°C/мин", "°C/min"};
inline constexpr TextPair UnitMmSsOrDeg{"мм:сс <-> °C", "mm:ss <-> °C"};

// The control tables below are in the order in which the main window re-captions its controls.

/// Captions of the name and unit labels of the parameter groups.
inline constexpr auto LabelCaptions = std::to_array<ControlText>({
    {"Label1", {"Температура", "Temperature"}},
    {"Label5", {"Температура", "Temperature"}},
    {"Label17", {"Температура", "Temperature"}},
    {"Label21", {"Температура", "Temperature"}},
    {"Label29", {"Температура", "Temperature"}},
    {"Label35", {"Температура", "Temperature"}},
    {"Label3", {"Выдержка", "Holding"}},
    {"Label7", {"Выдержка", "Holding"}},
    {"Label19", {"Выдержка", "Holding"}},
    {"Label33", {"Выдержка", "Holding"}},
    {"Label9", {"Уровень", "Level"}},
    {"Label13", {"Уровень", "Level"}},
    {"Label11", {"Закрывание", "Closing"}},
    {"Label15", {"Закрывание", "Closing"}},
    {"Label31", {"Время", "Time"}},
    {"Label37", {"Время", "Time"}},
    {"Label23", {"Скорость", "Speed"}},
    {"Label27", {"Обжиг", "Firing"}},
    {"Label39", {"Включение", "On"}},
    {"Label41", {"Выключение", "Off"}},
    {"Label4", {"мин", "min"}},
    {"Label12", {"мин", "min"}},
    {"Label8", {"мин", "min"}},
    {"Label16", {"мин", "min"}},
    {"Label20", {"мин", "min"}},
    {"Label32", {"мин", "min"}},
    {"Label34", {"мин", "min"}},
    {"Label38", {"мин", "min"}},
    {"Label24", UnitDegPerMin},
    {"lblFiringDimension", UnitMmSs},
    {"Label25", UnitMmSsOrDeg},
});
static_assert(LabelCaptions.size() == 31);

/// Captions of the group boxes.
inline constexpr auto GroupCaptions = std::to_array<ControlText>({
    {"gbPreDry", {"Предварительная сушка", "Predrying"}},
    {"gbDry", {"Сушка", "Drying"}},
    {"gbPreHeat", {"Предварительный нагрев", "Preheating"}},
    {"gbHeat", {"Нагрев", "Heating"}},
    {"gbCool", {"Охлаждение", "Cooling"}},
    {"gbTempering", {"Закалка", "Tempering"}},
    {"gbOpen", {"Открывание", "Opening"}},
    {"gbVacuum", {"Вакуум", "Vacuum"}},
    {"gbMass", {"Масса", "Mass"}},
    {"gbLayer", {"Слой", "Layer"}},
    {"gbMessage", {"Сообщения", "Messages"}},
});
static_assert(GroupCaptions.size() == 11);

/// Captions of the library buttons.
inline constexpr auto ButtonCaptions = std::to_array<ControlText>({
    {"btnAddMass", {"Добавить", "Add"}},
    {"btnAddLayer", {"Добавить", "Add"}},
    {"btnDelMass", {"Удалить", "Delete"}},
    {"btnDelLayer", {"Удалить", "Delete"}},
    {"btnSend", {"прогр ПУ", "progr CC"}},
});
static_assert(ButtonCaptions.size() == 5);

/// Captions of the settings menu and its items.
inline constexpr auto MenuCaptions = std::to_array<ControlText>({
    {"mmAddition", {"Настройки", "Settings"}},
    {"mmService", {"Сервисные", "Services"}},
    {"mmOffice", {"Служебные", "Offices"}},
    {"mmServiceBasic", {"Общие настройки", "Basic Services"}},
    {"mmServiceTuneReper", {"Настройка по РД", "Reper Adjustment"}},
});
static_assert(MenuCaptions.size() == 5);

/// Hints of the tool-bar buttons.
inline constexpr auto ToolHints = std::to_array<ControlText>({
    {"sbOpenFile", {"Открыть файл", "Open file"}},
    {"sbAddFile", {"Добавить из файла", "Add from file"}},
    {"sbSaveFile", {"Сохранить массы...", "Save masses..."}},
    {"sbStartPrg", {"Запуск программы", "Start program"}},
    {"sbStopPrg", {"Прервать программу", "Abort program"}},
    {"sbExit", {"Выход", "Exit"}},
    {"sbTemperature", {"Температура в камере", "Temperature in chamber"}},
    {"sbPressure", {"Разрежение в камере", "Rarefaction in chamber"}},
    {"sbChamberOpen", {"Открыть камеру", "Open chamber"}},
    {"sbChamberClose", {"Закрыть камеру", "Close chamber"}},
    {"sbRst", {"Сброс", "Reset"}},
});
static_assert(ToolHints.size() == 11);

/// Description and range of each parameter field, indexed by ProgParam field (Edit1..Edit20).
inline constexpr auto FieldTexts = std::to_array<FieldText>({
    {{"Т(°С) предсушки", "Т(°С) predrying"},
     {"20 <Т< 700\nТ< Тсушка", "20 <Т< 700\nТ< Тdrying"}},                     // Edit1
    {{"t(минут) предсушки", "t(minute) predrying"}, {"0 <t< 15", "0 <t< 15"}}, // Edit2
    {{"Положение столика на уч-ке Сушка, h(%)", "Table position at Drying mode, h(%)"},
     {"0 <h< h преднагрев", "0 <h< h preheating"}}, // Edit3
    {{"t(минут) подъема столика до уровня Сушка", "t(minute) table lift to Drying level"},
     {"0 <t< 15", "0 <t< 15"}}, // Edit4
    {{"Т(°С) сушки", "Т(°С) drying"},
     {"Тпредсушка <Т< Тпреднагрев", "Т predrying <Т< Т preheating"}},   // Edit5
    {{"t(минут) сушки", "t(minute) drying"}, {"0 <t< 15", "0 <t< 15"}}, // Edit6
    {{"Положение столика на уч-ке Преднагрев,h(%)", "Table position at Predrying mode,h(%)"},
     {"h сушка <h< 100", "h drying <h< 100"}}, // Edit7
    {{"t(минут) подъема столика до уровня Преднагрев", "t(minute) table lift to Preheating level"},
     {"0 <t< 15", "0 <t< 15"}}, // Edit8
    {{"T(°C) преднагрева", "T(°C) preheating"},
     {"Tсушка <T< Тнагрев\nПри hпреднагрев<100 Т< 700", "Tdrying <T< Тheating"}}, // Edit9
    {{"t(минут) преднагрева", "t(minute) preheating"}, {"0 <t< 15", "0 <t< 15"}}, // Edit10
    {{"Т(°C) нагрева", "Т(°C) heating"},
     {"Тпреднагрев <Т< 1150", "Тpreheating <Т< 1150"}},                                   // Edit11
    {{"V(°C/минуту) нагрева", "V(°C/minute) heating"}, {"1 <V< 140", "1 <V< 140"}},       // Edit12
    {{"t(мин:сек) обжига", "t(min:sec) firing"}, {"00:00 <t< 60:00", "00:00 <t< 60:00"}}, // Edit13
    {{"T(°C) охлаждения", "T(°C) cooling"},
     {"Tоткрывания <T< Tнагрев", "T opening <T< T heating"}}, // Edit14
    {{"t(минут) регулируемого охлаждения, (камера закрыта)",
      "t(minute). Time of controlled Cooling mode. Chamber closed"},
     {"0 <t< 15", "0 <t< 15"}},                                                  // Edit15
    {{"t(минут) закаливания", "t(minute) tempering"}, {"0 <t< 15", "0 <t< 15"}}, // Edit16
    {{"T(°C), при которой  начинает открываться столик", "T(°C) of table Opening"},
     {"20 <T< Tзакалка", "20 <T< T tempering"}}, // Edit17
    {{"t(минут) открывания столика", "t(minute). Time of  table Opening"},
     {"0 <t< 15", "0 <t< 15"}}, // Edit18
    {{"Т(°С) включения вакуума", "Т(°С) of Vacuum ON"},
     {"Tп-нагрев <T< Tнагрев", "T preheating <T< T heating"}}, // Edit19
    {{"Т(°С) выключения вакуума на уч-ке Нагрев\nt(мин:сек)выключения вакуума на уч-ке Обжиг",
      "Т(°С) of Vacuum Off at Heating mode\nt(min:sec)Vacuum Off at Firing mode"},
     {"Tвак.вкл. <T< Tнагрев\n00:00 <t< tобжиг",
      "T vac.on <T< T heating\n00:00 <t< t firing"}}, // Edit20
});
static_assert(FieldTexts.size() == ProgParam::FieldCount);

/// Hints of Edit20 once the form of its value is known: entered as mm:ss (time into the firing
/// hold) or as a temperature.
inline constexpr TextPair VacOffTimeHint{
    "t(мм:сс) выключения вакуума на участке Обжиг,  00:00<t<tобжиг. Tвак.вык = (xxxx°C).",
    "t(mm:ss) of Vacuum Off at Firing mode,  00:00<t<t firing. T vac.off = (xxxx°C)."};
inline constexpr TextPair VacOffTempHint{
    "T(°C) выключения вакуума на участке Нагрев,  Твак.вкл<T<Тнагр. tвак.вык = (мм:сс).",
    "T(°C) of Vacuum Off at Heating mode,  T vac.on<T<T heating. t vac.off = (mm:ss)."};

// Message-box texts and captions.
inline constexpr TextPair AboutCaption{"О программе", "About"};
inline constexpr TextPair ProgramInProgress{"Идёт выполнение программы!", "Program in progress!"};
inline constexpr TextPair Attention{"Внимание", "Attention"};
inline constexpr TextPair SaveChangedParameters{"Параметры были изменены.\nСохранить?",
                                                "Save changed parameters?"};
inline constexpr TextPair ConfirmDeleteMass{"Вы действительно хотите удалить массу?",
                                            "Are you sure to delete the Mass?"};
inline constexpr TextPair MassMustBeSelected{"Необходимо выбрать Массу!",
                                             "Mass must have been selected!"};
inline constexpr TextPair ConfirmDeleteLayer{"Вы действительно хотите удалить слой?",
                                             "Are you sure to delete the Layer?"};
inline constexpr TextPair WrongTimeFormat{"Неверный формат времени \"мм:сс\"!",
                                          "Wrong time format \"mm:ss\"!"};
inline constexpr TextPair ProgramMustBeSelected{"Необходимо выбрать программу!",
                                                "Program must have been selected!"};
inline constexpr TextPair BufferEmpty{"Буфер пустой!", "Buffer is empty!"};
inline constexpr TextPair ErrorCaption{"Ошибка", "Error"};
inline constexpr TextPair DriveCalibrationComplete{"Калибровка двигателя завершена",
                                                   "Drive calibration complited"};
inline constexpr TextPair ParameterError{"Ошибка в параметре", "Parameter error"};
inline constexpr TextPair ConfirmAbort{"Прервать выполнение программы?", "Abort the program?"};
inline constexpr TextPair IncorrectPassword{"Пароль не правильный!", "Incorrect password!"};

// Captions and prompts of dialogs, and file-dialog titles.
inline constexpr TextPair TransferCaption{"Переслать в пульт", "Transfer"};
inline constexpr TextPair TransferPrompt{"Начиная с №", "Start at #"};
inline constexpr TextPair NamePrompt{"Название:", "Name:"};
inline constexpr TextPair AddMassCaption{"Добавить массу", "Add Mass"};
inline constexpr TextPair AddLayerCaption{"Добавить слой", "Add Layer"};
inline constexpr TextPair RenameMassCaption{"Переименовать массу", "Mass rename"};
inline constexpr TextPair RenameLayerCaption{"Переименовать слой", "Layer rename"};
inline constexpr TextPair PasswordCaption{"Ввод пароля", "Password"};
inline constexpr TextPair PasswordPrompt{"Введите пароль:", "Enter password:"};
inline constexpr TextPair OpenMassesTitle{"Открыть массы", "Masses: opening"};
inline constexpr TextPair AddMassesTitle{"Добавить массы", "Masses: adding"};

// Message-log lines and pieces; each begins with a blank and follows the time of day.
inline constexpr TextPair LogPortError{" Ошибка: порт ", " Error: port "};
inline constexpr TextPair LogPortCantOpen{" открыть не удалось.", " can't be opened."};
inline constexpr TextPair LogPortOpened{" успешно открыт.", " successfully opened."};
inline constexpr TextPair LogTransferStart{" Начало передачи масс...",
                                           " Starting masses transfer..."};
inline constexpr TextPair LogMassDeleted{" Масса удалена.", " Mass deleted."};
inline constexpr TextPair LogMassAdded{" Масса добавлена.", " Mass added."};
inline constexpr TextPair LogLayerAdded{" Слой добавлен.", " Layer added."};
inline constexpr TextPair LogLayerDeleted{" Слой удален.", " Layer deleted."};
inline constexpr TextPair LogNoResponse{" Ошибка: пульт не отвечает.",
                                        " Error: CC haven't response"};
inline constexpr TextPair LogLaunch{" Запуск программы.", " Launch the program"};
inline constexpr TextPair LogAbort{" Прерывание программы.", " Abort the program"};
inline constexpr TextPair LogFinished{" Программа завершена.", " Program finished"};
/// %1 is the port's name.
inline constexpr TextPair LogNoAnswerOnPort{
    " Печь не отвечает на порту %1. Проверьте кабель, включена ли печь и тот ли это порт.",
    " The furnace does not answer on port %1. Check the cable, that the furnace is switched on "
    "and that this is the right port."};

// Status-bar texts and the pieces of the stage texts.
inline constexpr TextPair NoFurnace{"Нет печи", "No furnace"};
inline constexpr TextPair StagePrepare{"Подготовка к выполнению программы",
                                       "Prepare to program work"};
inline constexpr TextPair StageHolding{"Выдержка ", "Holding "};
inline constexpr TextPair StageMinAtPreDry{" мин на Т предсушки, ", " min at T predrying, "};
inline constexpr TextPair StageClosingToLevel{"Закрывание камеры на уровень ",
                                              "Closing chamber at level "};
inline constexpr TextPair StagePercentFor{"% за ", "% for "};
inline constexpr TextPair StageMinutes{" мин", " min"};
inline constexpr TextPair StageHeatToDry{"Нагрев камеры до Т сушки, ",
                                         "Heating chamber for T drying, "};
inline constexpr TextPair StageMinAtDry{" мин на Т сушки, ", " min at T drying, "};
inline constexpr TextPair StageHeatToPreHeat{"Нагрев камеры до Т предварительного нагрева, ",
                                             "Heating chamber for T preheating, "};
inline constexpr TextPair StageMinAtPreHeat{" мин на Т предварительного нагрева, ",
                                            " min at T preheating, "};
inline constexpr TextPair StageChamberClosing{"Закрывание камеры", "Chamber closing"};
inline constexpr TextPair StageHeatToFiring{"Нагрев камеры до Т обжига, ",
                                            "Heating chamber for T firing, "};
inline constexpr TextPair StageDegAtSpeed{"°C со скоростью ", "°C at speed "};
inline constexpr TextPair StageDegPerMin = UnitDegPerMin;
inline constexpr TextPair StageFiring{"Обжиг ", "Firing "};
inline constexpr TextPair StageSecAtHeat{" сек на Т нагрева, ", " sec at T heating, "};
inline constexpr TextPair StageCoolToCool{"Охлаждение камеры до Т охлаждения, ",
                                          "Cooling chamber for T cooling, "};
inline constexpr TextPair StageDegFor{"°C за ", "°C for "};
inline constexpr TextPair StageTempering{"Закалка ", "Tempering "};
inline constexpr TextPair StageMinAtCool{" мин на Т охлаждения, ", " min at T cooling, "};
inline constexpr TextPair StageCoolToOpen{"Охлаждение камеры до Т открывания, ",
                                          "Cooling chamber for T opening, "};
inline constexpr TextPair StageOpeningFor{"Открывание камеры за ", "Opening chamber for "};
inline constexpr TextPair ProgramFinished{"Программа завершена", "Program finished"};
inline constexpr TextPair RemainingPrefix{" - Осталось: ", " - Duration: "};

// Hints of the mass and layer move buttons.
inline constexpr TextPair MoveMassUp{"Перемещение массы вверх", "Move Mass Up"};
inline constexpr TextPair MoveMassDown{"Перемещение массы вниз", "Move Mass Down"};
inline constexpr TextPair MoveLayerUp{"Перемещение слоя вверх", "Move Layer Up"};
inline constexpr TextPair MoveLayerDown{"Перемещение слоя вниз", "Move Layer Down"};

// Texts of the service procedures: the service windows keep them; the store names them too.
inline constexpr TextPair ServiceOpening = ServiceTexts::Opening;
inline constexpr TextPair ServiceClosing = ServiceTexts::Closing;
inline constexpr TextPair ServiceChamberOpening = ServiceTexts::ChamberOpening;
inline constexpr TextPair ServiceChamberClosing = ServiceTexts::ChamberClosing;
inline constexpr TextPair ServiceHeating60 = ServiceTexts::Heating60;
inline constexpr TextPair ServiceHeating5 = ServiceTexts::Heating5;
inline constexpr TextPair ServiceTOperation = ServiceTexts::TOperation;
inline constexpr TextPair ServiceStart = ServiceTexts::Start;
inline constexpr TextPair ServiceReperWorkedOut = ServiceTexts::ReperWorkedOut;
inline constexpr TextPair ServiceTimes = ServiceTexts::Times;
inline constexpr TextPair ServiceUrd = ServiceTexts::Urd;
inline constexpr TextPair ServiceMillivolt = ServiceTexts::Millivolt;
inline constexpr TextPair ServiceCalibration = ServiceTexts::Calibration;
inline constexpr TextPair ServiceRsWorkedOut = ServiceTexts::RsWorkedOut;
inline constexpr TextPair ServiceUOperation1 = ServiceTexts::UOperation[0];
inline constexpr TextPair ServiceUOperation2 = ServiceTexts::UOperation[1];
inline constexpr TextPair ServiceUOperation3 = ServiceTexts::UOperation[2];

/// Controller fault texts, indexed by fault code.
inline constexpr auto FaultTexts = std::to_array<TextPair>({
    {"Неисправен симистор", "Triac Defective!"},                                // 0
    {"Неисправен нагреватель", "Heating Defective!"},                           // 1
    {"Ошибка записи в ЭСПЗУ", "Write Error in EEPROM"},                         // 2
    {"Ошибка чтения из ЭСПЗУ", "Read Error from EEPROM"},                       // 3
    {"Неисправен привод", "Drive Defective!"},                                  // 4
    {"Неисправны конечники", "Finite State Switch Defective!"},                 // 5
    {"Не подключен реперный датчик", "Reper Sensor Not Connected!"},            // 6
    {"Неисправен реперный датчик", "Reper Sensor Defective!"},                  // 7
    {"Сбой по питанию > 10 секунд", "Power Supply Failure > 10 second"},        // 8
    {"Неисправна вакуум-система", "Vacuum System Defective!"},                  // 9
    {"Низкий уровень разрежения", "Low Vacuum Level"},                          // 10
    {"Неисправен клапан", "Valve Defective!"},                                  // 11
    {"Сработала защита от перегрева", "Overheating!"},                          // 12
    {"Ошибка!", "Error!"},                                                      // 13
    {"Обрыв термопары", "Thermocouple break"},                                  // 14
    {"Отсутствуют 1Гц импульсы", "1Hz impulses are not available"},             // 15
    {"Отсутствуют 100Гц импульсы", "100Hz impulses are not available"},         // 16
    {"Неисправность нагревателя/термопары", "Thermocouple/Heating Defective!"}, // 17
    {"Параметры режима Вакуум уст-ся только кнопками +/-",
     "Vacuum parameters is set by Buttons only"},                                         // 18
    {"Помощь", "Help"},                                                                   // 19
    {"Низкий вакуум! Включен режим \"MAX\"", "Low Vacuum Level! Change to \"MAX\" mode"}, // 20
    {"В текущем эк.режиме ВН будет выключен через 20 мин.", "VP off after 20 min."},      // 21
});
static_assert(FaultTexts.size() == 22);

/// Pieces of the text shown for a fault code outside FaultTexts.
inline constexpr TextPair UnknownFaultPrefix{"Неизвестная неисправность (код ",
                                             "Unknown fault (code "};

/// Pieces of the about text.
inline constexpr TextPair AboutDescription{"Программа управления вакуумной печью для обжига",
                                           "Control program of the vacuum firing furnace"};
inline constexpr TextPair AboutVersion{"Версия ", "Version "};
inline constexpr TextPair AboutQtVersion{"Библиотека Qt ", "Qt library "};

/// Hint of parameter field `field` (0..19): its description immediately followed by its range.
/// Empty for any other field.
QString FieldHint(int field, quint8 language);

/// Message of a refused start for field `field` (0..19): description, an empty line, range.
/// Empty for any other field.
QString ParameterErrorText(int field, quint8 language);

/// Text of controller fault `code`; a code outside 0..21 gives a text that names the code.
QString FaultText(int code, quint8 language);

/// The plain-language description of program zone `zone` (0..19) with the values of `record`;
/// no text for any other zone (the caller then keeps what it shows).
std::optional<QString> StageText(int zone, const ProgParam &record, quint8 language);

/// Text of the about box: the program's name, what it is, its version and the Qt version.
QString AboutText(quint8 language, const QString &appVersion, const QString &qtVersion);

/// Window-title suffix of a running program: " - Duration: <minutes> min".
QString RemainingTitle(quint16 minutes, quint8 language);

} // namespace Texts
