// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the main window's text store against the program's own texts. Expected strings are
// written out here, never taken from the store; \u0422 (Cyrillic Te) and \u0421 (Cyrillic Es)
// mark where a text uses the Cyrillic look-alike of a Latin letter.

#include "app/texts.h"

#include <QSet>
#include <QTest>

#include <span>

Q_DECLARE_METATYPE(TextPair)

using namespace Texts;

namespace
{

constexpr quint8 Ru = 0;
constexpr quint8 En = 1;

struct NamedTable {
    const char *name;
    std::span<const ControlText> rows;
};

const NamedTable ControlTables[] = {
    {"labels", LabelCaptions}, {"groups", GroupCaptions}, {"buttons", ButtonCaptions},
    {"menus", MenuCaptions},   {"hints", ToolHints},
};

std::span<const ControlText> controlTable(const QByteArray &name)
{
    for (const NamedTable &t : ControlTables)
        if (name == t.name)
            return t.rows;
    return {};
}

ProgParam sampleRecord()
{
    ProgParam r;
    r.PreDryTemp = 450;
    r.PreDryHold = 2;
    r.DryLevel = 30;
    r.DryCloseTime = 3;
    r.DryTemp = 500;
    r.DryHold = 4;
    r.PreHeatLevel = 100;
    r.PreHeatCloseTime = 5;
    r.PreHeatTemp = 600;
    r.PreHeatHold = 6;
    r.HeatTemp = 940;
    r.HeatRate = 55;
    r.FiringTime = 90;
    r.CoolTemp = 800;
    r.CoolTime = 7;
    r.TemperingTime = 8;
    r.OpenTemp = 700;
    r.OpenTime = 9;
    r.VacOnTemp = 610;
    r.VacOff = 930;
    return r;
}

} // namespace

/// Text store of the main window: tables, named texts and the texts built from pieces.
class TstTexts : public QObject
{
    Q_OBJECT

private slots:
    void tableSizes_data();
    void tableSizes();
    void controlText_data();
    void controlText();
    void controlNamesUnique();
    void everyPairHasBothMembers();
    void namedText_data();
    void namedText();
    void englishVacOffHintsAreEnglish();
    void fieldHint_data();
    void fieldHint();
    void parameterErrorText();
    void stageText_data();
    void stageText();
    void stageTextNumbers();
    void stageTextOutsideZones_data();
    void stageTextOutsideZones();
    void faultText_data();
    void faultText();
    void remainingTitle_data();
    void remainingTitle();
    void aboutText_data();
    void aboutText();
};

void TstTexts::tableSizes_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<qsizetype>("expected");
    QTest::newRow("labels") << qsizetype(LabelCaptions.size()) << qsizetype(31);
    QTest::newRow("groups") << qsizetype(GroupCaptions.size()) << qsizetype(11);
    QTest::newRow("buttons") << qsizetype(ButtonCaptions.size()) << qsizetype(5);
    QTest::newRow("menus") << qsizetype(MenuCaptions.size()) << qsizetype(5);
    QTest::newRow("tool hints") << qsizetype(ToolHints.size()) << qsizetype(11);
    QTest::newRow("fields") << qsizetype(FieldTexts.size()) << qsizetype(20);
    QTest::newRow("faults") << qsizetype(FaultTexts.size()) << qsizetype(22);
}

void TstTexts::tableSizes()
{
    QFETCH(qsizetype, size);
    QFETCH(qsizetype, expected);
    QCOMPARE(size, expected);
}

void TstTexts::controlText_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("ru");
    QTest::addColumn<QString>("en");

    QTest::newRow("Label1") << QByteArray("labels") << 0 << "Label1"
                            << "Температура"
                            << "Temperature";
    QTest::newRow("Label35") << QByteArray("labels") << 5 << "Label35"
                             << "Температура"
                             << "Temperature";
    QTest::newRow("Label3") << QByteArray("labels") << 6 << "Label3"
                            << "Выдержка"
                            << "Holding";
    QTest::newRow("Label41") << QByteArray("labels") << 19 << "Label41"
                             << "Выключение"
                             << "Off";
    QTest::newRow("Label4") << QByteArray("labels") << 20 << "Label4"
                            << "мин"
                            << "min";
    QTest::newRow("Label8 after Label12") << QByteArray("labels") << 22 << "Label8"
                                          << "мин"
                                          << "min";
    QTest::newRow("Label24") << QByteArray("labels") << 28 << "Label24"
                             << "°C/мин"
                             << "°C/min";
    QTest::newRow("lblFiringDimension") << QByteArray("labels") << 29 << "lblFiringDimension"
                                        << "мм:сс"
                                        << "mm:ss";
    QTest::newRow("Label25") << QByteArray("labels") << 30 << "Label25"
                             << "мм:сс <-> °C"
                             << "mm:ss <-> °C";
    QTest::newRow("gbPreDry") << QByteArray("groups") << 0 << "gbPreDry"
                              << "Предварительная сушка"
                              << "Predrying";
    QTest::newRow("gbMessage") << QByteArray("groups") << 10 << "gbMessage"
                               << "Сообщения"
                               << "Messages";
    QTest::newRow("btnAddLayer") << QByteArray("buttons") << 1 << "btnAddLayer"
                                 << "Добавить"
                                 << "Add";
    QTest::newRow("btnDelMass") << QByteArray("buttons") << 2 << "btnDelMass"
                                << "Удалить"
                                << "Delete";
    QTest::newRow("btnSend") << QByteArray("buttons") << 4 << "btnSend"
                             << "прогр ПУ"
                             << "progr CC";
    QTest::newRow("mmAddition") << QByteArray("menus") << 0 << "mmAddition"
                                << "Настройки"
                                << "Settings";
    QTest::newRow("mmServiceTuneReper") << QByteArray("menus") << 4 << "mmServiceTuneReper"
                                        << "Настройка по РД"
                                        << "Reper Adjustment";
    QTest::newRow("sbOpenFile") << QByteArray("hints") << 0 << "sbOpenFile"
                                << "Открыть файл"
                                << "Open file";
    QTest::newRow("sbSaveFile") << QByteArray("hints") << 2 << "sbSaveFile"
                                << "Сохранить массы..."
                                << "Save masses...";
    QTest::newRow("sbPressure") << QByteArray("hints") << 7 << "sbPressure"
                                << "Разрежение в камере"
                                << "Rarefaction in chamber";
    QTest::newRow("sbRst") << QByteArray("hints") << 10 << "sbRst"
                           << "Сброс"
                           << "Reset";
}

void TstTexts::controlText()
{
    QFETCH(QByteArray, table);
    QFETCH(int, index);
    QFETCH(QString, control);
    QFETCH(QString, ru);
    QFETCH(QString, en);

    const std::span<const ControlText> rows = controlTable(table);
    QVERIFY(index < int(rows.size()));
    const ControlText &row = rows[std::size_t(index)];
    QCOMPARE(QString::fromLatin1(row.control), control);
    QCOMPARE(row.text.text(Ru), ru);
    QCOMPARE(row.text.text(En), en);
}

void TstTexts::controlNamesUnique()
{
    QSet<QString> seen;
    for (const NamedTable &t : ControlTables) {
        for (const ControlText &row : t.rows) {
            const QString name = QString::fromLatin1(row.control);
            QVERIFY2(!name.isEmpty(), t.name);
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
        }
    }
    QCOMPARE(seen.size(), 31 + 11 + 5 + 5 + 11);
}

void TstTexts::everyPairHasBothMembers()
{
    QList<QPair<QString, TextPair>> pairs;
    for (const NamedTable &t : ControlTables)
        for (const ControlText &row : t.rows)
            pairs.append({QString::fromLatin1(row.control), row.text});
    for (std::size_t i = 0; i < FieldTexts.size(); ++i) {
        pairs.append({QStringLiteral("description %1").arg(i), FieldTexts[i].description});
        pairs.append({QStringLiteral("range %1").arg(i), FieldTexts[i].range});
    }
    for (std::size_t i = 0; i < FaultTexts.size(); ++i)
        pairs.append({QStringLiteral("fault %1").arg(i), FaultTexts[i]});
    // The named texts, in the order they are declared.
    // clang-format off
    const TextPair named[] = {
        AboutCaption, ProgramInProgress, Attention, SaveChangedParameters, ConfirmDeleteMass,
        MassMustBeSelected, ConfirmDeleteLayer, WrongTimeFormat, ProgramMustBeSelected,
        BufferEmpty, ErrorCaption, DriveCalibrationComplete, ParameterError, ConfirmAbort,
        IncorrectPassword, VacOffTimeHint, VacOffTempHint, UnitSec, UnitMmSs, UnitDegPerMin,
        UnitMmSsOrDeg, DegC, TransferCaption, TransferPrompt, NamePrompt, AddMassCaption,
        AddLayerCaption, RenameMassCaption, RenameLayerCaption, PasswordCaption, PasswordPrompt,
        OpenMassesTitle, AddMassesTitle, LogPortError, LogPortCantOpen, LogPortOpened,
        LogTransferStart, LogMassDeleted, LogMassAdded, LogLayerAdded, LogLayerDeleted,
        LogNoResponse, LogLaunch, LogAbort, NoFurnace, StagePrepare, StageHolding,
        StageMinAtPreDry, StageClosingToLevel, StagePercentFor, StageMinutes, StageHeatToDry,
        StageMinAtDry, StageHeatToPreHeat, StageMinAtPreHeat, StageChamberClosing,
        StageHeatToFiring, StageDegAtSpeed, StageDegPerMin, StageFiring, StageSecAtHeat,
        StageCoolToCool, StageDegFor, StageTempering, StageMinAtCool, StageCoolToOpen,
        StageOpeningFor, ProgramFinished, RemainingPrefix, MoveMassUp, MoveMassDown,
        MoveLayerUp, MoveLayerDown, ServiceOpening, ServiceClosing, ServiceChamberOpening,
        ServiceChamberClosing, ServiceHeating60, ServiceHeating5, ServiceTOperation,
        ServiceStart, ServiceReperWorkedOut, ServiceTimes, ServiceUrd, ServiceMillivolt,
        ServiceCalibration, ServiceRsWorkedOut, ServiceUOperation1, ServiceUOperation2,
        ServiceUOperation3, UnknownFaultPrefix, AboutDescription, AboutVersion, AboutQtVersion,
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(named); ++i)
        pairs.append({QStringLiteral("named text %1").arg(i), named[i]});

    for (const auto &[name, pair] : pairs) {
        QVERIFY2(pair.ru != nullptr && pair.en != nullptr, qPrintable(name));
        QVERIFY2(!pair.text(Ru).trimmed().isEmpty(), qPrintable(name));
        QVERIFY2(!pair.text(En).trimmed().isEmpty(), qPrintable(name));
    }
}

void TstTexts::namedText_data()
{
    QTest::addColumn<TextPair>("pair");
    QTest::addColumn<QString>("ru");
    QTest::addColumn<QString>("en");

    QTest::newRow("Attention") << Attention << "Внимание"
                               << "Attention";
    QTest::newRow("ErrorCaption") << ErrorCaption << "Ошибка"
                                  << "Error";
    QTest::newRow("ProgramInProgress") << ProgramInProgress << "Идёт выполнение программы!"
                                       << "Program in progress!";
    QTest::newRow("SaveChangedParameters")
        << SaveChangedParameters << "Параметры были изменены.\nСохранить?"
        << "Save changed parameters?";
    QTest::newRow("WrongTimeFormat") << WrongTimeFormat << "Неверный формат времени \"мм:сс\"!"
                                     << "Wrong time format \"mm:ss\"!";
    QTest::newRow("DriveCalibrationComplete")
        << DriveCalibrationComplete << "Калибровка двигателя завершена"
        << "Drive calibration complited";
    QTest::newRow("IncorrectPassword") << IncorrectPassword << "Пароль не правильный!"
                                       << "Incorrect password!";
    QTest::newRow("VacOffTimeHint")
        << VacOffTimeHint
        << "t(мм:сс) выключения вакуума на участке Обжиг,  00:00<t<tобжиг. Tвак.вык = (xxxx°C)."
        << "t(mm:ss) of Vacuum Off at Firing mode,  00:00<t<t firing. T vac.off = (xxxx°C).";
    QTest::newRow("VacOffTempHint")
        << VacOffTempHint
        << QStringLiteral("T(°C) выключения вакуума на участке Нагрев,  "
                          "\u0422вак.вкл<T<\u0422нагр. tвак.вык = "
                          "(мм:сс).")
        << "T(°C) of Vacuum Off at Heating mode,  T vac.on<T<T heating. t vac.off = (mm:ss).";
    QTest::newRow("UnitSec") << UnitSec << "сек"
                             << "sec";
    QTest::newRow("TransferPrompt") << TransferPrompt << "Начиная с №"
                                    << "Start at #";
    QTest::newRow("OpenMassesTitle") << OpenMassesTitle << "Открыть массы"
                                     << "Masses: opening";
    QTest::newRow("LogPortCantOpen") << LogPortCantOpen << " открыть не удалось."
                                     << " can't be opened.";
    QTest::newRow("LogNoResponse") << LogNoResponse << " Ошибка: пульт не отвечает."
                                   << " Error: CC haven't response";
    QTest::newRow("LogLaunch") << LogLaunch << " Запуск программы."
                               << " Launch the program";
    QTest::newRow("NoFurnace") << NoFurnace << "Нет печи"
                               << "No furnace";
    QTest::newRow("MoveLayerDown") << MoveLayerDown << "Перемещение слоя вниз"
                                   << "Move Layer Down";
    QTest::newRow("ServiceHeating5") << ServiceHeating5 << "Нагрев 5°C/мин"
                                     << "Heating 5°C/min";
    QTest::newRow("ServiceRsWorkedOut") << ServiceRsWorkedOut << "РД сработал "
                                        << "RS:work out ";
    QTest::newRow("ServiceUOperation3") << ServiceUOperation3 << "Uсработки3= "
                                        << "U operation3= ";
}

void TstTexts::namedText()
{
    QFETCH(TextPair, pair);
    QFETCH(QString, ru);
    QFETCH(QString, en);
    QCOMPARE(pair.text(Ru), ru);
    QCOMPARE(pair.text(En), en);
}

void TstTexts::englishVacOffHintsAreEnglish()
{
    for (const TextPair &hint : {VacOffTimeHint, VacOffTempHint}) {
        const QString en = hint.text(En);
        for (QChar c : en)
            QVERIFY2(c.script() != QChar::Script_Cyrillic, qPrintable(en));
        QVERIFY(en != hint.text(Ru));
    }
}

void TstTexts::fieldHint_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<quint8>("language");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Edit1 ru")
        << 0 << Ru
        << QStringLiteral("\u0422(°\u0421) предсушки20 <\u0422< 700\n\u0422< \u0422сушка");
    QTest::newRow("Edit1 en")
        << 0 << En
        << QStringLiteral("\u0422(°\u0421) predrying20 <\u0422< 700\n\u0422< \u0422drying");
    QTest::newRow("Edit2 en") << 1 << En << "t(minute) predrying0 <t< 15";
    QTest::newRow("Edit9 ru")
        << 8 << Ru
        << QStringLiteral("T(°C) преднагреваTсушка <T< \u0422нагрев\nПри hпреднагрев<100 "
                          "\u0422< 700");
    QTest::newRow("Edit9 en") << 8 << En
                              << QStringLiteral("T(°C) preheatingTdrying <T< \u0422heating");
    QTest::newRow("Edit13 en") << 12 << En << "t(min:sec) firing00:00 <t< 60:00";
    QTest::newRow("Edit17 ru") << 16 << Ru
                               << "T(°C), при которой  начинает открываться столик20 <T< Tзакалка";
    QTest::newRow("Edit18 en") << 17 << En << "t(minute). Time of  table Opening0 <t< 15";
    QTest::newRow("Edit20 en")
        << 19 << En
        << QStringLiteral(
               "\u0422(°\u0421) of Vacuum Off at Heating mode\nt(min:sec)Vacuum Off at Firing "
               "modeT vac.on <T< T heating\n00:00 <t< t firing");
    QTest::newRow("below range") << -1 << En << QString();
    QTest::newRow("above range") << 20 << Ru << QString();
}

void TstTexts::fieldHint()
{
    QFETCH(int, field);
    QFETCH(quint8, language);
    QFETCH(QString, expected);
    QCOMPARE(FieldHint(field, language), expected);
}

void TstTexts::parameterErrorText()
{
    QCOMPARE(ParameterErrorText(12, En), QStringLiteral("t(min:sec) firing\n\n00:00 <t< 60:00"));
    QCOMPARE(ParameterErrorText(11, Ru), QStringLiteral("V(°C/минуту) нагрева\n\n1 <V< 140"));
    QVERIFY(ParameterErrorText(20, En).isEmpty());
    QVERIFY(ParameterErrorText(-1, Ru).isEmpty());
}

void TstTexts::stageText_data()
{
    QTest::addColumn<int>("zone");
    QTest::addColumn<quint8>("language");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("0 ru") << 0 << Ru << "Подготовка к выполнению программы";
    QTest::newRow("0 en") << 0 << En << "Prepare to program work";
    QTest::newRow("1 ru") << 1 << Ru << "Подготовка к выполнению программы";
    QTest::newRow("1 en") << 1 << En << "Prepare to program work";
    QTest::newRow("2 ru") << 2 << Ru << "Подготовка к выполнению программы";
    QTest::newRow("2 en") << 2 << En << "Prepare to program work";
    QTest::newRow("3 ru") << 3 << Ru << "Выдержка 2 мин на Т предсушки, 450°C";
    QTest::newRow("3 en") << 3 << En << "Holding 2 min at T predrying, 450°C";
    QTest::newRow("4 ru") << 4 << Ru << "Закрывание камеры на уровень 30% за 3 мин";
    QTest::newRow("4 en") << 4 << En << "Closing chamber at level 30% for 3 min";
    QTest::newRow("5 ru") << 5 << Ru << "Нагрев камеры до Т сушки, 500°C";
    QTest::newRow("5 en") << 5 << En << "Heating chamber for T drying, 500°C";
    QTest::newRow("6 ru") << 6 << Ru << "Выдержка 4 мин на Т сушки, 500°C";
    QTest::newRow("6 en") << 6 << En << "Holding 4 min at T drying, 500°C";
    QTest::newRow("7 ru") << 7 << Ru << "Закрывание камеры на уровень 100% за 5 мин";
    QTest::newRow("7 en") << 7 << En << "Closing chamber at level 100% for 5 min";
    QTest::newRow("8 ru") << 8 << Ru << "Нагрев камеры до Т предварительного нагрева, 600°C";
    QTest::newRow("8 en") << 8 << En << "Heating chamber for T preheating, 600°C";
    QTest::newRow("9 ru") << 9 << Ru << "Выдержка 6 мин на Т предварительного нагрева, 600°C";
    QTest::newRow("9 en") << 9 << En << "Holding 6 min at T preheating, 600°C";
    QTest::newRow("10 ru") << 10 << Ru << "Закрывание камеры";
    QTest::newRow("10 en") << 10 << En << "Chamber closing";
    QTest::newRow("11 ru") << 11 << Ru << "Нагрев камеры до Т обжига, 940°C со скоростью 55°C/мин";
    QTest::newRow("11 en") << 11 << En << "Heating chamber for T firing, 940°C at speed 55°C/min";
    QTest::newRow("12 ru") << 12 << Ru << "Обжиг 90 сек на Т нагрева, 940°C";
    QTest::newRow("12 en") << 12 << En << "Firing 90 sec at T heating, 940°C";
    QTest::newRow("13 ru") << 13 << Ru << "Охлаждение камеры до Т охлаждения, 800°C за 7 мин";
    QTest::newRow("13 en") << 13 << En << "Cooling chamber for T cooling, 800°C for 7 min";
    QTest::newRow("14 ru") << 14 << Ru << "Охлаждение камеры до Т охлаждения, 800°C за 7 мин";
    QTest::newRow("14 en") << 14 << En << "Cooling chamber for T cooling, 800°C for 7 min";
    QTest::newRow("15 ru") << 15 << Ru << "Закалка 8 мин на Т охлаждения, 800°C";
    QTest::newRow("15 en") << 15 << En << "Tempering 8 min at T cooling, 800°C";
    QTest::newRow("16 ru") << 16 << Ru << "Охлаждение камеры до Т открывания, 700°C";
    QTest::newRow("16 en") << 16 << En << "Cooling chamber for T opening, 700°C";
    QTest::newRow("17 ru") << 17 << Ru << "Открывание камеры за 9 мин";
    QTest::newRow("17 en") << 17 << En << "Opening chamber for 9 min";
    QTest::newRow("18 ru") << 18 << Ru << "Открывание камеры за 9 мин";
    QTest::newRow("18 en") << 18 << En << "Opening chamber for 9 min";
    QTest::newRow("19 ru") << 19 << Ru << "Программа завершена";
    QTest::newRow("19 en") << 19 << En << "Program finished";
    // clang-format on
}

void TstTexts::stageText()
{
    QFETCH(int, zone);
    QFETCH(quint8, language);
    QFETCH(QString, expected);
    const std::optional<QString> text = StageText(zone, sampleRecord(), language);
    QVERIFY(text.has_value());
    QCOMPARE(*text, expected);
}

void TstTexts::stageTextNumbers()
{
    // Raw seconds, no leading zeros, no digit grouping, the full 16-bit range.
    ProgParam r;
    r.FiringTime = 3600;
    r.HeatTemp = 1150;
    QCOMPARE(StageText(12, r, En).value(), QStringLiteral("Firing 3600 sec at T heating, 1150°C"));
    r.FiringTime = 5;
    r.HeatTemp = 65535;
    QCOMPARE(StageText(12, r, Ru).value(), QStringLiteral("Обжиг 5 сек на Т нагрева, 65535°C"));
    r.OpenTime = 0;
    QCOMPARE(StageText(17, r, En).value(), QStringLiteral("Opening chamber for 0 min"));
}

void TstTexts::stageTextOutsideZones_data()
{
    QTest::addColumn<int>("zone");
    QTest::newRow("20") << 20;
    QTest::newRow("21") << 21;
    QTest::newRow("255") << 255;
    QTest::newRow("-1") << -1;
}

void TstTexts::stageTextOutsideZones()
{
    QFETCH(int, zone);
    QVERIFY(!StageText(zone, sampleRecord(), Ru).has_value());
    QVERIFY(!StageText(zone, sampleRecord(), En).has_value());
}

void TstTexts::faultText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("ru");
    QTest::addColumn<QString>("en");

    QTest::newRow("0") << 0 << "Неисправен симистор"
                       << "Triac Defective!";
    QTest::newRow("8") << 8 << "Сбой по питанию > 10 секунд"
                       << "Power Supply Failure > 10 second";
    QTest::newRow("13") << 13 << "Ошибка!"
                        << "Error!";
    QTest::newRow("20") << 20 << "Низкий вакуум! Включен режим \"MAX\""
                        << "Low Vacuum Level! Change to \"MAX\" mode";
    QTest::newRow("21") << 21 << "В текущем эк.режиме ВН будет выключен через 20 мин."
                        << "VP off after 20 min.";
    QTest::newRow("22") << 22 << "Неизвестная неисправность (код 22)"
                        << "Unknown fault (code 22)";
    QTest::newRow("255") << 255 << "Неизвестная неисправность (код 255)"
                         << "Unknown fault (code 255)";
    QTest::newRow("-1") << -1 << "Неизвестная неисправность (код -1)"
                        << "Unknown fault (code -1)";
}

void TstTexts::faultText()
{
    QFETCH(int, code);
    QFETCH(QString, ru);
    QFETCH(QString, en);
    QCOMPARE(FaultText(code, Ru), ru);
    QCOMPARE(FaultText(code, En), en);
}

void TstTexts::remainingTitle_data()
{
    QTest::addColumn<quint16>("minutes");
    QTest::addColumn<quint8>("language");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0 ru") << quint16(0) << Ru << " - Осталось: 0 мин";
    QTest::newRow("0 en") << quint16(0) << En << " - Duration: 0 min";
    QTest::newRow("125 en") << quint16(125) << En << " - Duration: 125 min";
    QTest::newRow("65535 ru") << quint16(65535) << Ru << " - Осталось: 65535 мин";
}

void TstTexts::remainingTitle()
{
    QFETCH(quint16, minutes);
    QFETCH(quint8, language);
    QFETCH(QString, expected);
    QCOMPARE(RemainingTitle(minutes, language), expected);
}

void TstTexts::aboutText_data()
{
    QTest::addColumn<quint8>("language");
    QTest::addColumn<QString>("versionWord");
    QTest::newRow("ru") << Ru << "Версия";
    QTest::newRow("en") << En << "Version";
}

void TstTexts::aboutText()
{
    QFETCH(quint8, language);
    QFETCH(QString, versionWord);
    const QString text = AboutText(language, QStringLiteral("1.2.3"), QStringLiteral("6.4.2"));
    QVERIFY(text.startsWith(QStringLiteral("ZKV4.6 CONSOLE\n")));
    QVERIFY2(text.contains(versionWord + QStringLiteral(" 1.2.3")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Qt")), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral(" 6.4.2")), qPrintable(text));
    for (const char *web : {"http", "www.", ".com", ".ru", "@"})
        QVERIFY2(!text.contains(QLatin1String(web), Qt::CaseInsensitive), web);
    QVERIFY(AboutText(Ru, {}, {}) != AboutText(En, {}, {}));
}

QTEST_APPLESS_MAIN(TstTexts)
#include "tst_texts.moc"
