// SPDX-License-Identifier: GPL-3.0-or-later
// Reply decoding into the furnace image and the texts shown for it.

#include "link/furnacedisplay.h"
#include "link/replydecoder.h"

#include <QTest>

namespace
{

DecodeResult decode(quint8 type, const QByteArray &payload, FurnaceImage &image,
                    RequestState &requests)
{
    return DecodeReply(type, reinterpret_cast<const quint8 *>(payload.constData()),
                       int(payload.size()), image, requests);
}

} // namespace

class TestDecoder : public QObject
{
    Q_OBJECT
private slots:
    void statusReplyDuringProgram();
    void statusReplyOutsideProgramKeepsZone();
    void identify_data();
    void identify();
    void unknownModelReportedOncePerCode();
    void clockAndZoneTime();
    void controllerModeTexts_data();
    void controllerModeTexts();
    void economyDisplay_data();
    void economyDisplay();
    void chamberTexts_data();
    void chamberTexts();
    void otherReplies();
    void wrongLengthsChangeNothing_data();
    void wrongLengthsChangeNothing();
    void serviceBlockRerequestIsBounded();
};

void TestDecoder::statusReplyDuringProgram()
{
    FurnaceImage image;
    RequestState requests;
    image.ControllerMode = 32;
    image.VacEconomyMode = 93;
    const DecodeResult r = decode(3, QByteArray::fromHex("2003500b05"), image, requests);
    QVERIFY(r.applied);
    QCOMPARE(image.ChamberTemp, quint16(800));
    QCOMPARE(TemperatureCaption(image), QStringLiteral("T=800°C"));
    QCOMPARE(PressureCaption(image), QStringLiteral("*P=80%"));
    QCOMPARE(EconomyLabel(image), QStringLiteral("93%"));
    QCOMPARE(ChamberStateText(image.ChamberStatus, 1), QStringLiteral("Closed"));
    QCOMPARE(ChamberStateText(image.ChamberStatus, 0), QStringLiteral("Закрыта"));
    QCOMPARE(PressureGlyph(image), 3);
    QCOMPARE(TemperatureGlyph(image), 0);
    QCOMPARE(image.CurrentZone, quint8(5));
    QCOMPARE(image.StageByte, quint8(5));
}

void TestDecoder::statusReplyOutsideProgramKeepsZone()
{
    FurnaceImage image;
    RequestState requests;
    image.CurrentZone = 11;
    decode(3, QByteArray::fromHex("2003500b05"), image, requests);
    QCOMPARE(image.CurrentZone, quint8(11));
    // Only the step bits are the zone.
    image.ControllerMode = 32;
    decode(3, QByteArray::fromHex("2003500bf3"), image, requests);
    QCOMPARE(image.CurrentZone, quint8(0x13));
    // Heating bits light the heater glyph.
    decode(3, QByteArray::fromHex("20035043f3"), image, requests);
    QCOMPARE(TemperatureGlyph(image), 1);
    QCOMPARE(PressureGlyph(image), 2);
}

void TestDecoder::identify_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("width");
    QTest::newRow("ZKV 4.6 v1.05") << QByteArray::fromHex("0d0105") << "ZKV 4.6 v:1.05" << 100;
    QTest::newRow("ZKV 4.6 (14) v2.17") << QByteArray::fromHex("0e0211") << "ZKV 4.6 v:2.17" << 100;
    QTest::newRow("ZKV 4.4") << QByteArray::fromHex("0b0300") << "ZKV 4.4 v:3.00" << 100;
    QTest::newRow("ZKV 4.4M, six bytes")
        << QByteArray::fromHex("0c01630a0b0c") << "ZKV 4.4M v:1.99" << 100;
    QTest::newRow("unknown code 7") << QByteArray::fromHex("070105") << "Unknown" << 60;
}

void TestDecoder::identify()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, panel);
    QFETCH(int, width);
    FurnaceImage image;
    RequestState requests;
    QVERIFY(decode(1, payload, image, requests).applied);
    const ModelPanel p = ModelPanelText(image);
    QCOMPARE(p.text, panel);
    QCOMPARE(p.width, width);
}

void TestDecoder::unknownModelReportedOncePerCode()
{
    FurnaceImage image;
    RequestState requests;
    DecodeResult r = decode(1, QByteArray::fromHex("070105"), image, requests);
    QVERIFY(r.unknownModel);
    QCOMPARE(UnknownModelText(7, 1), QStringLiteral("Unknown furnace model (id=7)."));
    QCOMPARE(UnknownModelText(7, 0), QStringLiteral("Неизвестный тип печи (id=7)."));
    image.UnknownModelReported = true; // the box was closed
    r = decode(1, QByteArray::fromHex("070105"), image, requests);
    QVERIFY(!r.unknownModel);
    // A known model clears the flag; the next unknown one is reported again.
    decode(1, QByteArray::fromHex("0d0105"), image, requests);
    QVERIFY(!image.UnknownModelReported);
    r = decode(1, QByteArray::fromHex("2a0105"), image, requests);
    QVERIFY(r.unknownModel);
}

void TestDecoder::clockAndZoneTime()
{
    FurnaceImage image;
    RequestState requests;
    QVERIFY(decode(15, QByteArray::fromHex("07050906070319"), image, requests).applied);
    QCOMPARE(ClockTimeText(image), QStringLiteral("9:05:07"));
    QCOMPARE(ClockDateText(image), QStringLiteral("7/03/2025"));
    decode(15, QByteArray::fromHex("3b3b17001f0c32"), image, requests);
    QCOMPARE(ClockTimeText(image), QStringLiteral("23:59:59"));
    QCOMPARE(ClockDateText(image), QStringLiteral("31/12/2050"));

    QVERIFY(decode(56, QByteArray::fromHex("d7020000"), image, requests).applied);
    QCOMPARE(image.ZoneTime, quint16(727));
    QCOMPARE(ZoneTimeText(image.ZoneTime), QStringLiteral("12:07"));
    QVERIFY(decode(56, QByteArray::fromHex("050000000000"), image, requests).applied);
    QCOMPARE(ZoneTimeText(image.ZoneTime), QStringLiteral("0:05"));
}

void TestDecoder::controllerModeTexts_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("ru");
    QTest::addColumn<QString>("en");
    QTest::newRow("holding") << 0 << "Поддержание"
                             << "Поддержание";
    QTest::newRow("drive") << 16 << "Калибр. двигателя"
                           << "Drive calibration";
    QTest::newRow("vacuum") << 21 << "Калибр. вакуума"
                            << "Vacuum calibration";
    QTest::newRow("overheat") << 22 << "Настройка защиты"
                              << "Overheat adjustment";
    QTest::newRow("error") << 26 << "ОШИБКА"
                           << "ERROR";
    QTest::newRow("program") << 32 << "Программа"
                             << "Program";
    QTest::newRow("other") << 77 << "77"
                           << "77";
}

void TestDecoder::controllerModeTexts()
{
    QFETCH(int, mode);
    QFETCH(QString, ru);
    QFETCH(QString, en);
    FurnaceImage image;
    RequestState requests;
    QVERIFY(decode(99, QByteArray(1, char(mode)) + QByteArray::fromHex("0900"), image, requests)
                .applied);
    QCOMPARE(image.ControllerMode, quint8(mode));
    QCOMPARE(image.FaultCode, quint8(9));
    QCOMPARE(ControllerModeText(image.ControllerMode, 0), ru);
    QCOMPARE(ControllerModeText(image.ControllerMode, 1), en);
}

void TestDecoder::economyDisplay_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("pressure");
    QTest::newRow("off") << 90 << "---"
                         << "*P=80%";
    QTest::newRow("91") << 91 << "91%"
                        << "*P=80%";
    QTest::newRow("95") << 95 << "95%"
                        << "*P=80%";
    QTest::newRow("96 max") << 96 << "MAX"
                            << "P=80%";
    QTest::newRow("89 max") << 89 << "MAX"
                            << "P=80%";
}

void TestDecoder::economyDisplay()
{
    QFETCH(int, mode);
    QFETCH(QString, label);
    QFETCH(QString, pressure);
    FurnaceImage image;
    RequestState requests;
    QVERIFY(decode(72, QByteArray(1, char(mode)), image, requests).applied);
    decode(3, QByteArray::fromHex("2003500b05"), image, requests);
    QCOMPARE(EconomyLabel(image), label);
    QCOMPARE(PressureCaption(image), pressure);
}

void TestDecoder::chamberTexts_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("en");
    QTest::newRow("0") << 0 << "Half-open";
    QTest::newRow("1") << 1 << "Closing";
    QTest::newRow("2") << 2 << "Opening";
    QTest::newRow("3 with flags") << 0x6B << "Closed";
    QTest::newRow("4") << 4 << "Opened";
    QTest::newRow("7 not expected") << 7 << "Position 7?";
}

void TestDecoder::chamberTexts()
{
    QFETCH(int, status);
    QFETCH(QString, en);
    QCOMPARE(ChamberStateText(quint8(status), 1), en);
}

void TestDecoder::otherReplies()
{
    FurnaceImage image;
    RequestState requests;
    QVERIFY(decode(4, QByteArray::fromHex("9001"), image, requests).applied);
    QCOMPARE(SupportTempText(image.SupportTempRead), QStringLiteral("Тподдер = 400°C"));
    QVERIFY(decode(70, QByteArray::fromHex("1200"), image, requests).applied);
    QCOMPARE(image.RemainingMinutes, quint16(18));
    QVERIFY(decode(57, QByteArray::fromHex("1900"), image, requests).applied);
    QCOMPARE(image.AmbientTemp, quint16(25));
    QVERIFY(decode(48, QByteArray::fromHex("0600004c0300000000a102"), image, requests).applied);
    QCOMPARE(image.ServiceStep, quint8(6));
    QCOMPARE(image.ReperValue1, quint16(844)); // odd offsets 3 and 9
    QCOMPARE(image.ReperValue2, quint16(673));
    QVERIFY(decode(75, QByteArray::fromHex("072c01"), image, requests).applied);
    QCOMPARE(image.ServiceStep, quint8(7));
    QCOMPARE(image.ZoneTime, quint16(300));
    QVERIFY(decode(43, QByteArray::fromHex("030000"), image, requests).applied);
    QCOMPARE(image.ServiceStep, quint8(3));
    QByteArray adc;
    for (int i = 0; i < 9; ++i)
        adc += QByteArray::fromHex(QByteArray::number(10 + i) + "00");
    QVERIFY(decode(55, adc, image, requests).applied);
    QCOMPARE(image.AdcMeasures[8], quint16(0x18));
    QByteArray block(38, 0);
    block[29] = 12;
    QVERIFY(decode(51, block, image, requests).applied);
    QCOMPARE(image.Block.OpeningSeconds(), quint8(12));
    QVERIFY(decode(2, QByteArray::fromHex("01"), image, requests).pause);
    QVERIFY(!decode(2, QByteArray::fromHex("00"), image, requests).pause);
}

void TestDecoder::wrongLengthsChangeNothing_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("length");
    for (auto [type, length] : std::initializer_list<std::pair<int, int>>{{1, 4},
                                                                          {1, 2},
                                                                          {3, 4},
                                                                          {3, 6},
                                                                          {4, 1},
                                                                          {15, 6},
                                                                          {55, 17},
                                                                          {56, 5},
                                                                          {57, 3},
                                                                          {70, 1},
                                                                          {72, 2},
                                                                          {75, 2},
                                                                          {99, 2},
                                                                          {48, 10},
                                                                          {43, 1}})
        QTest::newRow(qPrintable(QStringLiteral("type %1 length %2").arg(type).arg(length)))
            << type << length;
}

void TestDecoder::wrongLengthsChangeNothing()
{
    QFETCH(int, type);
    QFETCH(int, length);
    FurnaceImage image;
    RequestState requests;
    const FurnaceImage before = image;
    const QByteArray payload(length, char(0x5A));
    const DecodeResult r = decode(quint8(type), payload, image, requests);
    QVERIFY(!r.applied);
    QVERIFY(!r.unknownModel);
    QCOMPARE(image.ChamberTemp, before.ChamberTemp);
    QCOMPARE(image.ControllerMode, before.ControllerMode);
    QCOMPARE(image.FurnaceModelId, before.FurnaceModelId);
    QCOMPARE(image.ZoneTime, before.ZoneTime);
    QCOMPARE(image.ClockHour, before.ClockHour);
    QCOMPARE(image.VacEconomyMode, before.VacEconomyMode);
    QVERIFY(!requests.Pending.any());
}

void TestDecoder::serviceBlockRerequestIsBounded()
{
    FurnaceImage image;
    RequestState requests;
    int rerequests = 0;
    for (int i = 0; i < 10; ++i) {
        decode(51, QByteArray(37, 0), image, requests);
        if (requests.Pending.isSet(RequestKind::ReadServiceBlock)) {
            ++rerequests;
            requests.Pending.clear(RequestKind::ReadServiceBlock);
        }
    }
    // A few automatic re-requests, not an endless loop that starves the other polls.
    QCOMPARE(rerequests, RequestState::ServiceBlockRetryLimit);
    // A good block resets the count.
    decode(51, QByteArray(38, 1), image, requests);
    decode(51, QByteArray(5, 0), image, requests);
    QVERIFY(requests.Pending.isSet(RequestKind::ReadServiceBlock));
    QCOMPARE(image.Block.bytes[0], quint8(1));
}

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_decoder.moc"
