// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/programencoding.h"
#include "tests/support/samplefiring.h"

#include <QTest>

#include <vector>

namespace
{

quint16 commandOf(const std::array<quint16, ProgramWordCount> &w, int step)
{
    return w[size_t(4 + 2 * step)];
}

quint16 valueOf(const std::array<quint16, ProgramWordCount> &w, int step)
{
    return w[size_t(5 + 2 * step)];
}

} // namespace

class TestProgramEncoding : public QObject
{
    Q_OBJECT
private slots:
    void stepWords_data();
    void stepWords();
    void vacuumOnStep_data();
    void vacuumOnStep();
    void vacuumOffStep_data();
    void vacuumOffStep();
    void wholePayload();
    void payloadWritesExactly88Bytes();
};

void TestProgramEncoding::stepWords_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("valueWord");

    QTest::newRow("pre-drying temperature 500")
        << int(ProgParam::fPreDryTemp) << 500 << 2 << 0x41F4 << 240;
    QTest::newRow("pre-drying hold 2 min") << int(ProgParam::fPreDryHold) << 2 << 3 << 0x5078 << 0;
    QTest::newRow("firing time 90 s is not multiplied")
        << int(ProgParam::fFiringTime) << 90 << 12 << 0x505A << 0;
    QTest::newRow("firing time 3600 s") << int(ProgParam::fFiringTime) << 3600 << 12 << 0x5E10 << 0;
    QTest::newRow("drying level and close time")
        << int(ProgParam::fDryLevel) << 45 << 4 << 0x302D << 0;
    QTest::newRow("heating rate is the value word")
        << int(ProgParam::fHeatRate) << 140 << 11 << 0x4000 << 140;
    QTest::newRow("tempering 15 min") << int(ProgParam::fTemperingTime) << 15 << 15 << 0x5384 << 0;
    QTest::newRow("opening temperature") << int(ProgParam::fOpenTemp) << 1150 << 16 << 0x747E << 0;
    QTest::newRow("opening time is the value word")
        << int(ProgParam::fOpenTime) << 7 << 18 << 0x2000 << 7;
    // 70 min = 4200 s = 0x1068 does not fit 12 bits: the argument is OR-ed in unmasked.
    QTest::newRow("oversized argument is OR-ed unmasked")
        << int(ProgParam::fDryHold) << 70 << 6 << 0x5068 << 0;
}

void TestProgramEncoding::stepWords()
{
    QFETCH(int, field);
    QFETCH(int, value);
    QFETCH(int, step);
    QFETCH(int, command);
    QFETCH(int, valueWord);

    ProgParam p;
    p.setField(field, quint16(value));
    const auto w = BuildProgramWords(p);
    QCOMPARE(commandOf(w, step), quint16(command));
    QCOMPARE(valueOf(w, step), quint16(valueWord));
}

void TestProgramEncoding::vacuumOnStep_data()
{
    QTest::addColumn<int>("preHeatLevel");
    QTest::addColumn<int>("preHeatTemp");
    QTest::addColumn<int>("heatTemp");
    QTest::addColumn<int>("vacOnTemp");
    QTest::addColumn<int>("expected");

    QTest::newRow("below pre-heating") << 100 << 650 << 930 << 649 << 0;
    // The first rule wins even when the second would also hold.
    QTest::newRow("below pre-heating and above heating") << 100 << 900 << 800 << 850 << 0;
    QTest::newRow("at heating temperature") << 50 << 650 << 930 << 930 << 12;
    QTest::newRow("above heating temperature") << 50 << 650 << 930 << 1000 << 12;
    // The second rule is checked before the pre-heating hold rule.
    QTest::newRow("all equal, level 100") << 100 << 800 << 800 << 800 << 12;
    QTest::newRow("equal to pre-heating, level 100") << 100 << 650 << 930 << 650 << 9;
    QTest::newRow("equal to pre-heating, level 99") << 99 << 650 << 930 << 650 << 11;
    QTest::newRow("on the heating ramp, level 100") << 100 << 650 << 930 << 700 << 11;
}

void TestProgramEncoding::vacuumOnStep()
{
    QFETCH(int, preHeatLevel);
    QFETCH(int, preHeatTemp);
    QFETCH(int, heatTemp);
    QFETCH(int, vacOnTemp);
    QFETCH(int, expected);

    ProgParam p = SampleFiring();
    p.PreHeatLevel = quint16(preHeatLevel);
    p.PreHeatTemp = quint16(preHeatTemp);
    p.HeatTemp = quint16(heatTemp);
    p.VacOnTemp = quint16(vacOnTemp);
    const auto w = BuildProgramWords(p);
    QCOMPARE(w[0], quint16(expected));
    QCOMPARE(w[2], quint16(vacOnTemp));
}

void TestProgramEncoding::vacuumOffStep_data()
{
    QTest::addColumn<int>("vacOff");
    QTest::addColumn<int>("byTime");
    QTest::addColumn<int>("expected");

    QTest::newRow("zero, by temperature") << 0 << 0 << 13;
    QTest::newRow("zero, by time") << 0 << 1 << 13;
    QTest::newRow("time into the firing hold") << 30 << 1 << 12;
    QTest::newRow("temperature during heating") << 900 << 0 << 11;
}

void TestProgramEncoding::vacuumOffStep()
{
    QFETCH(int, vacOff);
    QFETCH(int, byTime);
    QFETCH(int, expected);

    ProgParam p = SampleFiring();
    p.VacOff = quint16(vacOff);
    p.VacOffByTime = quint8(byTime);
    const auto w = BuildProgramWords(p);
    QCOMPARE(w[1], quint16(expected));
    QCOMPARE(w[3], quint16(vacOff));
}

void TestProgramEncoding::wholePayload()
{
    const std::vector<quint8> expected = {
        0x09, 0x00, 0x0B, 0x00, 0x8A, 0x02, 0x98, 0x03, // vacuum on 9, off 11, 650, 920
        0x00, 0x10, 0x00, 0x00,                         // 0 start
        0x00, 0x20, 0x00, 0x00,                         // 1 start
        0x90, 0x41, 0xF0, 0x00,                         // 2 heat to 400
        0x78, 0x50, 0x00, 0x00,                         // 3 hold 120 s
        0x1E, 0x30, 0x02, 0x00,                         // 4 table to 30 % in 2 min
        0xF4, 0x41, 0xF0, 0x00,                         // 5 heat to 500
        0xB4, 0x50, 0x00, 0x00,                         // 6 hold 180 s
        0x64, 0x30, 0x01, 0x00,                         // 7 table to 100 % in 1 min
        0x8A, 0x42, 0xF0, 0x00,                         // 8 heat to 650
        0x78, 0x50, 0x00, 0x00,                         // 9 hold 120 s
        0x64, 0x30, 0x00, 0x00,                         // 10 close
        0xA2, 0x43, 0x37, 0x00,                         // 11 heat to 930 at 55
        0x3C, 0x50, 0x00, 0x00,                         // 12 fire 60 s
        0x00, 0x60, 0x00, 0x00,                         // 13 end of firing
        0xBC, 0x72, 0x02, 0x00,                         // 14 cool to 700 in 2 min
        0x3C, 0x50, 0x00, 0x00,                         // 15 temper 60 s
        0x58, 0x72, 0x00, 0x00,                         // 16 cool to 600
        0x00, 0x10, 0x00, 0x00,                         // 17 opening
        0x00, 0x20, 0x03, 0x00,                         // 18 open in 3 min
        0x00, 0x80, 0x00, 0x00,                         // 19 end
    };
    QCOMPARE(expected.size(), size_t(88));

    std::vector<quint8> payload(88, 0xEE);
    QCOMPARE(BuildProgramPayload(SampleFiring(), payload.data()), 88);
    QCOMPARE(payload, expected);
}

void TestProgramEncoding::payloadWritesExactly88Bytes()
{
    std::vector<quint8> buffer(96, 0xA5);
    ProgParam p = SampleFiring();
    p.PreDryTemp = 0xFFFF;
    p.OpenTime = 0xFFFF;
    QCOMPARE(BuildProgramPayload(p, buffer.data()), 88);
    for (size_t i = 88; i < buffer.size(); ++i)
        QCOMPARE(buffer[i], quint8(0xA5));
    // Step 18's value word carries OpenTime whole; step 19 is the last word pair.
    QCOMPARE(buffer[82], quint8(0xFF));
    QCOMPARE(buffer[83], quint8(0xFF));
    QCOMPARE(buffer[84], quint8(0x00));
    QCOMPARE(buffer[85], quint8(0x80));
    QCOMPARE(buffer[86], quint8(0x00));
    QCOMPARE(buffer[87], quint8(0x00));
}

QTEST_GUILESS_MAIN(TestProgramEncoding)
#include "tst_programencoding.moc"
