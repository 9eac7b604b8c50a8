// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/paramentry.h"
#include "tests/support/samplefiring.h"

#include <QTest>

namespace
{

using Texts = std::array<QString, ProgParam::FieldCount>;

/// A record that passes every check, with distinct temperatures so each check can be broken.
ProgParam validRecord()
{
    return RecordOf(
        {400, 2, 30, 3, 450, 4, 100, 1, 600, 1, 930, 55, 60, 700, 2, 1, 650, 2, 600, 929});
}

} // namespace

class TestParamEntry : public QObject
{
    Q_OBJECT

private slots:
    void keyFilter_data();
    void keyFilter();
    void minutesSeconds_data();
    void minutesSeconds();
    void fieldTextFollowsVacOffForm();

    void applyTimeField_data();
    void applyTimeField();
    void emptyFields();
    void wrongFormKeepsValueAndOtherFieldsApply();
    void pastedNotNumber_data();
    void pastedNotNumber();
    void lowSixteenBits();
    void typedVacOffTimeViaKeyFilter();
    void vacOffTemperatureForm();
    void showThenApplyKeepsRecord();
    void applyEditsNeedsLayerAndTracking();

    void firstFieldOutOfRange_data();
    void firstFieldOutOfRange();
    void checkProgParams_data();
    void checkProgParams();
    void equalTemperaturesPass();
};

void TestParamEntry::keyFilter_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("result"); // empty: dropped

    QTest::newRow("digit") << QChar('7') << 0 << "7";
    QTest::newRow("backspace") << QChar(8) << 4 << QString(QChar(8));
    QTest::newRow("stop in Edit13") << QChar('.') << 12 << ":";
    QTest::newRow("stop in Edit20") << QChar('.') << 19 << ":";
    QTest::newRow("colon in Edit20") << QChar(':') << 19 << ":";
    QTest::newRow("stop in Edit1") << QChar('.') << 0 << "";
    QTest::newRow("colon in Edit12") << QChar(':') << 11 << "";
    QTest::newRow("letter") << QChar('a') << 12 << "";
    QTest::newRow("minus") << QChar('-') << 3 << "";
    QTest::newRow("Cyrillic") << QChar(0x0431) << 19 << "";
    QTest::newRow("blank") << QChar(' ') << 5 << "";
}

void TestParamEntry::keyFilter()
{
    QFETCH(QChar, key);
    QFETCH(int, field);
    QFETCH(QString, result);
    const std::optional<QChar> out = FilterParamKey(key, field);
    QCOMPARE(out ? QString(*out) : QString(), result);
}

void TestParamEntry::minutesSeconds_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("90") << 90 << "1:30";
    QTest::newRow("5") << 5 << "0:05";
    QTest::newRow("3600") << 3600 << "60:00";
    QTest::newRow("0") << 0 << "0:00";
    QTest::newRow("65535") << 65535 << "1092:15";
}

void TestParamEntry::minutesSeconds()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(MinutesSecondsText(quint16(seconds)), text);
    ProgParam p;
    p.FiringTime = quint16(seconds);
    QCOMPARE(FieldText(p, ProgParam::fFiringTime), text);
}

void TestParamEntry::fieldTextFollowsVacOffForm()
{
    ProgParam p;
    p.VacOff = 90;
    p.HeatTemp = 90;
    QCOMPARE(FieldText(p, ProgParam::fVacOff), QStringLiteral("90"));
    p.VacOffByTime = 1;
    QCOMPARE(FieldText(p, ProgParam::fVacOff), QStringLiteral("1:30"));
    QCOMPARE(FieldText(p, ProgParam::fHeatTemp), QStringLiteral("90"));
    QCOMPARE(RecordTexts(p)[19], QStringLiteral("1:30"));
}

void TestParamEntry::applyTimeField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");     // -1: previous value kept
    QTest::addColumn<int>("issue");      // -1: none, else FieldIssue::Kind
    QTest::addColumn<int>("firingForm"); // EntryForm

    const int ms = int(EntryForm::MinutesSeconds);
    const int plain = int(EntryForm::Plain);
    const int same = int(EntryForm::Unchanged);
    QTest::newRow("1:30") << "1:30" << 90 << -1 << ms;
    QTest::newRow("90") << "90" << 90 << -1 << plain;
    QTest::newRow("1:5") << "1:5" << 65 << -1 << ms;
    QTest::newRow("1:05") << "1:05" << 65 << -1 << ms;
    QTest::newRow(":30") << ":30" << 30 << -1 << ms;
    QTest::newRow("2:") << "2:" << 120 << -1 << ms;
    QTest::newRow(":") << ":" << 0 << -1 << ms;
    QTest::newRow("60:00") << "60:00" << 3600 << -1 << ms;
    QTest::newRow("1:60") << "1:60" << -1 << int(FieldIssue::WrongTimeFormat) << same;
    QTest::newRow("1:123") << "1:123" << -1 << int(FieldIssue::WrongTimeFormat) << same;
    QTest::newRow("1:2:3") << "1:2:3" << -1 << int(FieldIssue::WrongTimeFormat) << same;
    QTest::newRow("1:2x") << "1:2x" << -1 << int(FieldIssue::NotANumber) << same;
    QTest::newRow("x:20") << "x:20" << -1 << int(FieldIssue::NotANumber) << same;
    QTest::newRow("huge minutes") << "99999999999:00" << -1 << int(FieldIssue::TooLarge) << same;
    // 2000 minutes is 120000 s: more than a field holds, so out of range and not stored.
    QTest::newRow("2000:00") << "2000:00" << -1 << int(FieldIssue::TooLarge) << same;
    QTest::newRow("1092:15 is 65535 s") << "1092:15" << 65535 << -1 << ms;
    QTest::newRow("1092:16") << "1092:16" << -1 << int(FieldIssue::TooLarge) << same;
}

void TestParamEntry::applyTimeField()
{
    QFETCH(QString, text);
    QFETCH(int, stored);
    QFETCH(int, issue);
    QFETCH(int, firingForm);

    ProgParam p = validRecord();
    Texts texts = RecordTexts(p);
    texts[12] = text;
    const ApplyResult result = ApplyFieldTexts(p, texts);
    QCOMPARE(p.FiringTime, quint16(stored < 0 ? 60 : stored));
    QCOMPARE(int(result.firingForm), firingForm);
    if (issue < 0) {
        QVERIFY(result.issues.isEmpty());
        QCOMPARE(result.focusField, -1);
    } else {
        QCOMPARE(result.issues.size(), 1);
        QCOMPARE(int(result.issues[0].kind), issue);
        QCOMPARE(result.issues[0].field, 12);
        QCOMPARE(result.issues[0].text, text);
        QCOMPARE(result.focusField, issue == FieldIssue::WrongTimeFormat ? 12 : -1);
    }
}

void TestParamEntry::emptyFields()
{
    ProgParam p = validRecord();
    Texts texts;
    const ApplyResult result = ApplyFieldTexts(p, texts);
    QVERIFY(result.issues.isEmpty());
    for (int k = 0; k < ProgParam::FieldCount; ++k)
        QCOMPARE(p.field(k), quint16(k == ProgParam::fHeatRate ? 1 : 0));
    // Empty text says nothing about the form: labels and VacOffByTime stay.
    QCOMPARE(result.firingForm, EntryForm::Unchanged);
    QCOMPARE(result.vacOffForm, EntryForm::Unchanged);
    QCOMPARE(p.VacOffByTime, quint8(0));
}

void TestParamEntry::wrongFormKeepsValueAndOtherFieldsApply()
{
    ProgParam p = validRecord();
    p.VacOffByTime = 1;
    p.VacOff = 30;
    Texts texts = RecordTexts(p);
    texts[0] = "410";
    texts[12] = "1:75";
    texts[13] = "1:30"; // any field takes minutes:seconds
    texts[19] = "0:99";
    texts[18] = "610";
    const ApplyResult result = ApplyFieldTexts(p, texts);
    QCOMPARE(p.PreDryTemp, quint16(410));
    QCOMPARE(p.CoolTemp, quint16(90));
    QCOMPARE(p.VacOnTemp, quint16(610));
    QCOMPARE(p.FiringTime, quint16(60));
    QCOMPARE(p.VacOff, quint16(30));
    QCOMPARE(p.VacOffByTime, quint8(1));
    QCOMPARE(result.issues, QList<FieldIssue>({{12, FieldIssue::WrongTimeFormat, "1:75"},
                                               {19, FieldIssue::WrongTimeFormat, "0:99"}}));
    QCOMPARE(result.focusField, 19);
    QCOMPARE(result.vacOffForm, EntryForm::Unchanged);

    // A wrong form in another field warns without moving the focus.
    texts = RecordTexts(p);
    texts[2] = "1:99";
    const ApplyResult other = ApplyFieldTexts(p, texts);
    QCOMPARE(other.issues.size(), 1);
    QCOMPARE(other.issues[0].field, 2);
    QCOMPARE(other.focusField, -1);
}

void TestParamEntry::pastedNotNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::newRow("letters") << "12a" << int(FieldIssue::NotANumber);
    QTest::newRow("negative") << "-5" << int(FieldIssue::NotANumber);
    QTest::newRow("blank") << " 5" << int(FieldIssue::NotANumber);
    QTest::newRow("decimal point") << "9.5" << int(FieldIssue::NotANumber);
    QTest::newRow("beyond 32 bits") << "99999999999999999999999" << int(FieldIssue::TooLarge);
    QTest::newRow("2^31") << "2147483648" << int(FieldIssue::TooLarge);
}

void TestParamEntry::pastedNotNumber()
{
    QFETCH(QString, text);
    QFETCH(int, kind);

    ProgParam p = validRecord();
    Texts texts = RecordTexts(p);
    texts[4] = text;
    texts[5] = "7"; // after the bad field: still applied
    texts[3] = "5"; // before it
    const ApplyResult result = ApplyFieldTexts(p, texts);
    QCOMPARE(p.DryTemp, quint16(450));
    QCOMPARE(p.DryHold, quint16(7));
    QCOMPARE(p.DryCloseTime, quint16(5));
    QCOMPARE(result.issues.size(), 1);
    QCOMPARE(result.issues[0].field, 4);
    QCOMPARE(int(result.issues[0].kind), kind);
    const QString message = NotANumberMessage(result.issues[0], 1);
    QVERIFY2(message.startsWith("Edit5: ") && message.contains(text), qPrintable(message));
    QVERIFY(NotANumberMessage(result.issues[0], 0).startsWith("Edit5: "));
}

void TestParamEntry::lowSixteenBits()
{
    // Values above 65535 are not cut to their low 16 bits: they are out of range.
    ProgParam p = validRecord();
    const ProgParam before = p;
    Texts texts = RecordTexts(p);
    texts[10] = "65537";
    texts[11] = "2147483647";
    const ApplyResult result = ApplyFieldTexts(p, texts);
    QCOMPARE(p, before);
    QCOMPARE(result.issues.size(), 2);
    QCOMPARE(int(result.issues[0].kind), int(FieldIssue::TooLarge));
    QCOMPARE(FirstFieldOutOfRange(p), -1);
    QCOMPARE(FirstFieldOutOfRange(p, texts), 10);
    texts[10] = "65535";
    ApplyFieldTexts(p, texts);
    QCOMPARE(p.HeatTemp, quint16(65535));
}

void TestParamEntry::typedVacOffTimeViaKeyFilter()
{
    // "0.30" typed key by key into Edit20.
    QString typed;
    for (QChar key : QStringLiteral("0.30")) {
        if (const auto c = FilterParamKey(key, 19))
            typed.append(*c);
    }
    QCOMPARE(typed, QStringLiteral("0:30"));

    ProgParam p = validRecord();
    Texts texts = RecordTexts(p);
    texts[19] = typed;
    const ApplyResult result = ApplyFieldTexts(p, texts);
    QCOMPARE(p.VacOff, quint16(30));
    QCOMPARE(p.VacOffByTime, quint8(1));
    QCOMPARE(result.vacOffForm, EntryForm::MinutesSeconds);
    QCOMPARE(FieldText(p, 19), QStringLiteral("0:30"));
}

void TestParamEntry::vacOffTemperatureForm()
{
    ProgParam p = validRecord();
    p.VacOffByTime = 1;
    Texts texts = RecordTexts(p);
    texts[19] = "850";
    const ApplyResult result = ApplyFieldTexts(p, texts);
    QCOMPARE(p.VacOff, quint16(850));
    QCOMPARE(p.VacOffByTime, quint8(0));
    QCOMPARE(result.vacOffForm, EntryForm::Plain);
}

void TestParamEntry::showThenApplyKeepsRecord()
{
    ProgParam p = validRecord();
    p.VacOffByTime = 1;
    p.VacOff = 45;
    p.ProgNumber = 9;
    ProgParam copy = p;
    const ApplyResult result = ApplyFieldTexts(copy, RecordTexts(p));
    QVERIFY(result.issues.isEmpty());
    QCOMPARE(copy, p);
    QCOMPARE(result.firingForm, EntryForm::MinutesSeconds);
}

void TestParamEntry::applyEditsNeedsLayerAndTracking()
{
    LibrarySelection sel;
    Texts texts;
    QVERIFY(!ApplyEdits(sel, texts));
    QVERIFY(!sel.ParamsChanged);

    sel.CurrentParams = std::make_shared<ProgParam>(validRecord());
    sel.CurrentRow = 0;
    sel.CurrentLayer = 0;
    sel.ChangeTracking = false;
    QVERIFY(!ApplyEdits(sel, texts));
    QCOMPARE(*sel.CurrentParams, validRecord());

    sel.ChangeTracking = true;
    texts = RecordTexts(validRecord());
    texts[0] = "500";
    QVERIFY(ApplyEdits(sel, texts));
    QVERIFY(sel.ParamsChanged);
    QCOMPARE(sel.CurrentParams->PreDryTemp, quint16(500));
}

void TestParamEntry::firstFieldOutOfRange_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("all in range") << 0 << 400 << -1;
    QTest::newRow("PreDryTemp 19") << 0 << 19 << 0;
    QTest::newRow("PreDryTemp 700") << 0 << 700 << -1;
    QTest::newRow("PreDryTemp 701") << 0 << 701 << 0;
    QTest::newRow("HeatRate 0") << 11 << 0 << 11;
    QTest::newRow("HeatRate 141") << 11 << 141 << 11;
    QTest::newRow("FiringTime 3601") << 12 << 3601 << 12;
    QTest::newRow("VacOff 3600") << 19 << 3600 << -1;
    QTest::newRow("OpenTime 16") << 17 << 16 << 17;
    QTest::newRow("DryLevel 101") << 2 << 101 << 2;
}

void TestParamEntry::firstFieldOutOfRange()
{
    QFETCH(int, field);
    QFETCH(int, value);
    QFETCH(int, expected);
    ProgParam p = validRecord();
    p.setField(field, quint16(value));
    QCOMPARE(FirstFieldOutOfRange(p), expected);
    // A second bad value later in the order does not change which field is named first.
    if (expected >= 0 && expected < 18) {
        p.VacOnTemp = 5;
        QCOMPARE(FirstFieldOutOfRange(p), expected);
    }
}

void TestParamEntry::checkProgParams_data()
{
    QTest::addColumn<ProgParam>("record");
    QTest::addColumn<int>("check");
    QTest::addColumn<int>("field");

    const auto with = [](auto change) {
        ProgParam p = validRecord();
        change(p);
        return p;
    };
    QTest::newRow("valid") << validRecord() << 0 << 0;
    QTest::newRow("1 preheat 750 below level 100") << with([](ProgParam &p) {
        p.PreHeatTemp = 750;
        p.PreHeatLevel = 99;
        p.VacOnTemp = 700;
    }) << 1 << 8;
    QTest::newRow("1 passes at level 100") << with([](ProgParam &p) {
        p.PreHeatTemp = 750;
        p.VacOnTemp = 700;
    }) << 0 << 0;
    QTest::newRow("2 heat below preheat") << with([](ProgParam &p) {
        p.HeatTemp = 599;
        p.VacOff = 500;
        p.VacOnTemp = 500;
    }) << 2 << 10;
    QTest::newRow("3 preheat below dry")
        << with([](ProgParam &p) { p.PreHeatTemp = 449; }) << 3 << 4;
    QTest::newRow("4 heat below cool") << with([](ProgParam &p) { p.CoolTemp = 931; }) << 4 << 10;
    QTest::newRow("5 open above cool") << with([](ProgParam &p) { p.OpenTemp = 701; }) << 5 << 16;
    QTest::newRow("6 predry below 20") << with([](ProgParam &p) { p.PreDryTemp = 19; }) << 6 << 0;
    QTest::newRow("7 predry above dry") << with([](ProgParam &p) { p.PreDryTemp = 451; }) << 7 << 0;
    QTest::newRow("8 dry close time") << with([](ProgParam &p) { p.DryCloseTime = 16; }) << 8 << 3;
    QTest::newRow("9 preheat close time")
        << with([](ProgParam &p) { p.PreHeatCloseTime = 16; }) << 9 << 7;
    QTest::newRow("10 dry hold") << with([](ProgParam &p) { p.DryHold = 16; }) << 10 << 5;
    QTest::newRow("11 preheat hold") << with([](ProgParam &p) { p.PreHeatHold = 16; }) << 11 << 9;
    QTest::newRow("12 rate 0") << with([](ProgParam &p) { p.HeatRate = 0; }) << 12 << 11;
    QTest::newRow("13 rate 141") << with([](ProgParam &p) { p.HeatRate = 141; }) << 13 << 11;
    QTest::newRow("13 rate 140 passes") << with([](ProgParam &p) { p.HeatRate = 140; }) << 0 << 0;
    QTest::newRow("14 heat 1151") << with([](ProgParam &p) { p.HeatTemp = 1151; }) << 14 << 10;
    QTest::newRow("14 heat 1150 passes") << with([](ProgParam &p) { p.HeatTemp = 1150; }) << 0 << 0;
    QTest::newRow("15 firing 3601") << with([](ProgParam &p) { p.FiringTime = 3601; }) << 15 << 12;
    QTest::newRow("16 vac on above heat")
        << with([](ProgParam &p) { p.VacOnTemp = 931; }) << 16 << 18;
    QTest::newRow("17 vac off time beyond firing") << with([](ProgParam &p) {
        p.VacOffByTime = 1;
        p.VacOff = 61;
    }) << 17 << 19;
    QTest::newRow("17 vac off time equal firing passes") << with([](ProgParam &p) {
        p.VacOffByTime = 1;
        p.VacOff = 60;
    }) << 0 << 0;
    QTest::newRow("18 vac off temp above heat")
        << with([](ProgParam &p) { p.VacOff = 931; }) << 18 << 19;
    QTest::newRow("19 open below 20") << with([](ProgParam &p) { p.OpenTemp = 19; }) << 19 << 16;
    QTest::newRow("20 open time") << with([](ProgParam &p) { p.OpenTime = 16; }) << 20 << 17;
    QTest::newRow("21 dry level above preheat level") << with([](ProgParam &p) {
        p.DryLevel = 60;
        p.PreHeatLevel = 59;
    }) << 21 << 2;
    QTest::newRow("22 preheat level 101")
        << with([](ProgParam &p) { p.PreHeatLevel = 101; }) << 22 << 6;
    QTest::newRow("23 predry hold") << with([](ProgParam &p) { p.PreDryHold = 16; }) << 23 << 1;
    QTest::newRow("24 cool time") << with([](ProgParam &p) { p.CoolTime = 16; }) << 24 << 14;
    QTest::newRow("25 tempering") << with([](ProgParam &p) { p.TemperingTime = 16; }) << 25 << 15;

    // Several failing: the first in order wins.
    QTest::newRow("2 before 14 and 25") << with([](ProgParam &p) {
        p.PreHeatTemp = 1160;
        p.HeatTemp = 1155;
        p.TemperingTime = 99;
    }) << 2 << 10;
    QTest::newRow("6 before 12") << with([](ProgParam &p) {
        p.PreDryTemp = 0;
        p.HeatRate = 0;
    }) << 6 << 0;
    QTest::newRow("20 before 23") << with([](ProgParam &p) {
        p.OpenTime = 20;
        p.PreDryHold = 20;
    }) << 20 << 17;
    QTest::newRow("zero record") << ProgParam{} << 6 << 0;
}

void TestParamEntry::checkProgParams()
{
    QFETCH(ProgParam, record);
    QFETCH(int, check);
    QFETCH(int, field);
    const ParamCheck result = CheckProgParams(record);
    QCOMPARE(result.refused, check != 0);
    QCOMPARE(result.check, check);
    QCOMPARE(int(result.ParamErrorField), field);
}

void TestParamEntry::equalTemperaturesPass()
{
    ProgParam p = validRecord();
    for (quint16 *t : {&p.PreDryTemp, &p.DryTemp, &p.PreHeatTemp, &p.HeatTemp, &p.CoolTemp,
                       &p.OpenTemp, &p.VacOnTemp, &p.VacOff})
        *t = 650;
    QVERIFY(!CheckProgParams(p).refused);
}

QTEST_APPLESS_MAIN(TestParamEntry)
#include "tst_paramentry.moc"
