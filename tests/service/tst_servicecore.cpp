// SPDX-License-Identifier: GPL-3.0-or-later
// The service windows' rules without a window: the settings block's layout, durations, the
// correction and its arrows, the economy list, the field limits and the ambient arrows.

#include "link/replydecoder.h"
#include "link/requests.h"
#include "service/servicelogic.h"

#include <QTest>

using Service::FieldEntry;

class TestServiceCore : public QObject
{
    Q_OBJECT
private slots:
    void blockFieldsAtTheirOffsets();
    void blockGoesBackWithItsUnusedBytes();
    void durationsArrowsAndEntries();
    void fieldLimits_data();
    void fieldLimits();
    void correctionArrowKeepsKT1In16Bits_data();
    void correctionArrowKeepsKT1In16Bits();
};

namespace
{

/// A block whose byte i holds 0x40 + i.
ServiceBlock countingBlock()
{
    ServiceBlock b;
    for (int i = 0; i < ServiceBlock::Size; ++i)
        b.bytes[size_t(i)] = quint8(0x40 + i);
    return b;
}

} // namespace

void TestServiceCore::blockFieldsAtTheirOffsets()
{
    const ServiceBlock b = countingBlock();
    auto le = [](int at) { return quint16((0x40 + at) | ((0x41 + at) << 8)); };
    QCOMPARE(b.HeaterWorkTime(), quint32(0x43424140));
    const std::pair<quint16, int> wide[] = {
        {b.ReperCount(), 6},     {b.TcoupleOffset(), 8}, {b.VacOffset(), 10},
        {b.KT1(), 12},           {b.KT2(), 14},          {b.Urep1(), 16},
        {b.Urep2(), 18},         {b.Urep3(), 20},        {b.ClosingPulses(), 22},
        {b.OpeningPulses(), 24}, {b.Trep(), 26},         {b.HeaterResource(), 34},
    };
    for (const auto &[value, at] : wide)
        QVERIFY2(value == le(at), qPrintable(QString::number(at)));
    const std::pair<quint8, int> narrow[] = {{b.ClosingSeconds(), 28},
                                             {b.OpeningSeconds(), 29},
                                             {b.AmbientOffset(), 30},
                                             {b.Koverheat(), 31},
                                             {b.Kvac(), 32}};
    for (const auto &[value, at] : narrow)
        QVERIFY2(value == 0x40 + at, qPrintable(QString::number(at)));

    // Every field written through the factory window's table lands on its own bytes only.
    for (const Service::ParameterField &f : Service::ParameterFields) {
        ServiceBlock w = countingBlock();
        Service::StoreField(w, f, 0xA5A5);
        for (int i = 0; i < ServiceBlock::Size; ++i) {
            const bool own = i == f.offset || (f.wide && i == f.offset + 1);
            QVERIFY2((w.bytes[size_t(i)] == 0xA5) == own, f.name);
        }
        QCOMPARE(Service::FieldValue(w, f), f.wide ? quint16(0xA5A5) : quint16(0xA5));
    }
    // The resource reset takes bytes 34-37 and nothing else.
    ServiceBlock r = countingBlock();
    r.resetHeaterResource();
    QCOMPARE(r.HeaterResource(), quint16(0));
    QCOMPARE(r.bytes[36] | r.bytes[37], 0);
    QCOMPARE(r.bytes[33], quint8(0x40 + 33));
}

void TestServiceCore::blockGoesBackWithItsUnusedBytes()
{
    // Read by 51, edited, written by 52: bytes 4-5, 33 and 36-37 go back as they came.
    FurnaceImage image;
    RequestState requests;
    const ServiceBlock sent = countingBlock();
    QVERIFY(DecodeReply(51, sent.bytes.data(), ServiceBlock::Size, image, requests).applied);
    image.Block.setKvac(120);
    image.Block.setKT1(1000);
    quint8 payload[99] = {};
    QCOMPARE(BuildRequestPayload({RequestKind::WriteServiceBlock, 52, 0}, image, payload),
             ServiceBlock::Size);
    for (int i : {4, 5, 33, 36, 37})
        QCOMPARE(payload[i], sent.bytes[size_t(i)]);
    QCOMPARE(payload[32], quint8(120));
    QCOMPARE(payload[12] | (payload[13] << 8), 1000);
}

void TestServiceCore::durationsArrowsAndEntries()
{
    // The work time counts 1/100 s; its quotient is kept in 16 bits.
    const auto workTime = [](quint32 counter) {
        ServiceBlock b;
        b.setHeaterWorkTime(counter);
        return Service::DurationText(Service::WorkTimeSeconds(b));
    };
    QCOMPARE(workTime(1842900), QStringLiteral("5:07:09"));
    QCOMPARE(workTime(6553600), QStringLiteral("0:00:00"));
    QCOMPARE(workTime(6553500), QStringLiteral("18:12:15"));
    // The window test shows dT -1 for KT2 - KT1 = -3 and its click up; here the other ends.
    QCOMPARE(Service::ArrowStep(300, true, -299, 300), 300);
    QCOMPARE(Service::ArrowStep(-299, false, -299, 300), -299);
    QCOMPARE(Service::KT1ForCorrection(100, 300), quint16(65036)); // 16 bits
    QCOMPARE(Service::EconomyIndex(89), 6);
    QCOMPARE(Service::EconomyIndex(90), 0);
    QCOMPARE(Service::EconomyIndex(95), 5);
    QCOMPARE(Service::EconomyModeOf(3), quint8(93));
    QCOMPARE(Service::SupportTempToSend(QStringLiteral("400")), std::optional<quint16>(400));
    QCOMPARE(Service::SupportTempToSend(QStringLiteral("401")), std::nullopt);
    QCOMPARE(Service::SupportTempToSend(QString()), std::optional<quint16>(0));
    QCOMPARE(Service::SupportTempToSend(QStringLiteral("4x")), std::nullopt);
    // The ambient arrows wrap between 35 and 65 (window test); inside, up lowers the offset.
    QCOMPARE(Service::AmbientArrowStep(50, true), quint8(49));
    QCOMPARE(Service::AmbientArrowStep(50, false), quint8(51));
    QCOMPARE(Service::AmbientArrowStep(36, true), quint8(35));
    // From outside the limits (a blank memory holds 255) into them.
    QCOMPARE(Service::AmbientArrowStep(255, true), quint8(65));
    QCOMPARE(Service::AmbientArrowStep(0, false), quint8(35));
}

void TestServiceCore::fieldLimits_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("value");
    // Field 0 is edtTcouple_offset (30..200), 1 edtVacOffset (..250), 6 edtTamb_offset.
    QTest::newRow("29 below the lower limit") << 0 << "29" << int(FieldEntry::Ignored) << 0;
    QTest::newRow("30 the lower limit") << 0 << "30" << int(FieldEntry::Stored) << 30;
    QTest::newRow("201 clamped") << 0 << "201" << int(FieldEntry::Clamped) << 200;
    QTest::newRow("huge clamped") << 0 << "99999999999" << int(FieldEntry::Clamped) << 200;
    QTest::newRow("empty") << 0 << "" << int(FieldEntry::NotANumber) << 0;
    QTest::newRow("pasted letters") << 0 << "1a" << int(FieldEntry::NotANumber) << 0;
    QTest::newRow("no lower limit") << 1 << "0" << int(FieldEntry::Stored) << 0;
    QTest::newRow("ambient offset 66") << 6 << "66" << int(FieldEntry::Clamped) << 65;
}

void TestServiceCore::fieldLimits()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(int, outcome);
    QFETCH(int, value);
    const FieldEntry entry = Service::ParseFieldText(Service::ParameterFields[size_t(field)], text);
    QCOMPARE(int(entry.outcome), outcome);
    if (entry.outcome == FieldEntry::Stored || entry.outcome == FieldEntry::Clamped)
        QCOMPARE(int(entry.value), value);
}

void TestServiceCore::correctionArrowKeepsKT1In16Bits_data()
{
    QTest::addColumn<int>("kt2");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("dT");
    QTest::newRow("inside") << 1050 << -1 << true << 0;
    QTest::newRow("at the upper limit") << 1050 << 300 << true << 300;
    QTest::newRow("from far below") << 1050 << -5000 << true << -299;
    // A blank memory (all ones): KT1 = KT2 - 2 dT would pass 65535 below dT 0.
    QTest::newRow("blank memory, down") << 65535 << 0 << false << 0;
    QTest::newRow("blank memory, up") << 65535 << 0 << true << 1;
    // KT1 would go below 0 above dT 50.
    QTest::newRow("small KT2") << 100 << 50 << true << 50;
    QTest::newRow("zero KT2") << 0 << 0 << true << 0;
}

void TestServiceCore::correctionArrowKeepsKT1In16Bits()
{
    QFETCH(int, kt2);
    QFETCH(int, shown);
    QFETCH(bool, up);
    QFETCH(int, dT);
    ServiceBlock b = countingBlock();
    b.setU16(ServiceBlock::oKT2, quint16(kt2));
    const ServiceBlock before = b;
    QCOMPARE(Service::CorrectionArrow(b, shown, up), dT);
    // The window shows the dT the block now gives.
    QCOMPARE(Service::CorrectionDt(b), dT);
    b.setKT1(before.KT1());
    QVERIFY(b.bytes == before.bytes);
}

QTEST_GUILESS_MAIN(TestServiceCore)
#include "tst_servicecore.moc"
