// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/progparam.h"
#include "sim/furnacecontroller.h"
#include "tests/sim/simwire.h"

#include <QDateTime>
#include <QTest>

#include <memory>

// The simulated controller answering the console's requests: reply forms, the values they carry,
// the table drive, the settings block, transfers, service procedures and injected faults.

namespace
{

std::unique_ptr<FurnaceController> frozenController()
{
    auto c = std::make_unique<FurnaceController>();
    freezeClock(*c);
    return c;
}

SimServiceBlock readBlock(FurnaceController &c)
{
    const WireReply r = ask(c, 51);
    if (r.payload.size() != SimServiceBlock::Size)
        return {};
    return SimServiceBlock::fromBytes(reinterpret_cast<const quint8 *>(r.payload.constData()));
}

QByteArray blockBytes(const SimServiceBlock &b)
{
    const SimServiceBlock::Bytes raw = b.toBytes();
    return QByteArray(reinterpret_cast<const char *>(raw.data()), int(raw.size()));
}

quint8 position(FurnaceController &c)
{
    return ask(c, 3).byte(3) & 0x07;
}

} // namespace

class TestFurnaceController : public QObject
{
    Q_OBJECT

private slots:
    void replyForm_data();
    void replyForm();
    void statusFollowsHeaterButton();
    void vacuumFollowsEconomyMode_data();
    void vacuumFollowsEconomyMode();
    void vacuumNeedsClosedChamber();
    void supportTemperature();
    void economyModeReadAndWrite();
    void clockSetAndRead();
    void clockRefusesImpossibleTimes_data();
    void clockRefusesImpossibleTimes();
    void chamberTravel_data();
    void chamberTravel();
    void chamberStopsPartWay();
    void serviceBlockRoundTrip();
    void serviceBlockOfWrongLengthIgnored();
    void transferStoresChunksAndRecords();
    void transferOutsideMemoryRefused();
    void serviceProcedure_data();
    void serviceProcedure();
    void reperRunSetsOperationTemperature();
    void reperSensorThatNeverOperatesIsAFault();
    void stopEndsProcedureAndFault();
    void driveCalibrationMeasuresTheDrive();
    void vacuumCalibrationSettlesKvacThatTheUserMayCorrect();
    void requestSplitAnywhereGetsOneReply();
    void framesInOneWriteAnsweredInOrder();
    void garbledRequestIgnored();
    void faultNoReply();
    void faultNoReplyEveryNth();
    void faultBadChecksum_data();
    void faultBadChecksum();
    void faultWrongLength_data();
    void faultWrongLength();
    void faultControllerErrorNow();
    void transferRefusal_data();
    void transferRefusal();
    void clockSpeedDrivesSimulatedTime();
    void longIdleSpanSettles();
};

void TestFurnaceController::replyForm_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("length");

    const QByteArray record(ProgParam::PayloadSize, '\x01');
    const QByteArray program(SimProgram::PayloadSize, '\0');
    const QByteArray block = blockBytes(SimServiceBlock::factoryDefaults());

    QTest::newRow("1 identify") << 1 << QByteArray() << 3;
    QTest::newRow("2 stop") << 2 << QByteArray() << 1;
    QTest::newRow("3 status") << 3 << QByteArray() << 5;
    QTest::newRow("4 support temperature") << 4 << QByteArray() << 2;
    QTest::newRow("5 set support temperature") << 5 << le16(350) << 1;
    QTest::newRow("6 layer record") << 6 << record << 1;
    QTest::newRow("8 layer names chunk") << 8 << le16(0x2000) + QByteArray(20, 'L') << 1;
    QTest::newRow("9 mass names chunk") << 9 << le16(0x1000) + QByteArray(5, 'M') << 1;
    QTest::newRow("10 chamber") << 10 << bytes({2}) << 1;
    QTest::newRow("11 temperature button") << 11 << bytes({1}) << 1;
    QTest::newRow("12 vacuum button") << 12 << bytes({2}) << 1;
    QTest::newRow("15 clock") << 15 << QByteArray() << 7;
    QTest::newRow("16 set clock") << 16 << bytes({0, 5, 9, 0, 7, 3, 26}) << 1;
    QTest::newRow("39 reper tuning") << 39 << QByteArray() << 1;
    QTest::newRow("40 reper run") << 40 << QByteArray() << 1;
    QTest::newRow("42 vacuum calibration") << 42 << QByteArray() << 1;
    QTest::newRow("43 vacuum calibration step") << 43 << QByteArray() << 3;
    QTest::newRow("44 drive calibration") << 44 << QByteArray() << 1;
    QTest::newRow("45 drive calibration step") << 45 << QByteArray() << 3;
    QTest::newRow("48 reper values") << 48 << QByteArray() << 11;
    QTest::newRow("51 service block") << 51 << QByteArray() << 38;
    QTest::newRow("52 write service block") << 52 << block << 1;
    QTest::newRow("55 measurements") << 55 << QByteArray() << 18;
    QTest::newRow("56 zone time") << 56 << QByteArray() << 4;
    QTest::newRow("57 ambient") << 57 << QByteArray() << 2;
    QTest::newRow("62 program start") << 62 << program << 1;
    QTest::newRow("63 program replace") << 63 << program << 1;
    QTest::newRow("70 remaining minutes") << 70 << QByteArray() << 2;
    QTest::newRow("72 read economy") << 72 << bytes({0x80 | 93}) << 1;
    QTest::newRow("72 write economy") << 72 << bytes({91}) << 1;
    QTest::newRow("74 overheat adjustment") << 74 << QByteArray() << 1;
    QTest::newRow("75 overheat step") << 75 << QByteArray() << 3;
    QTest::newRow("99 controller mode") << 99 << QByteArray() << 3;
    QTest::newRow("20 not in the catalogue") << 20 << QByteArray() << 1;
    QTest::newRow("200 not in the catalogue") << 200 << QByteArray(3, 'x') << 1;
}

void TestFurnaceController::replyForm()
{
    QFETCH(int, type);
    QFETCH(QByteArray, payload);
    QFETCH(int, length);

    auto c = frozenController();
    const WireReply r = ask(*c, quint8(type), payload);
    QVERIFY(r.received);
    QCOMPARE(r.address, quint8(1));
    QCOMPARE(int(r.type), type);
    QCOMPARE(r.payload.size(), length);
}

void TestFurnaceController::statusFollowsHeaterButton()
{
    auto c = frozenController();
    WireReply s = ask(*c, 3);
    QCOMPARE(s.u16(0), quint16(24));
    QCOMPARE(s.byte(2), quint8(0));
    QCOMPARE(s.byte(3), quint8(SimFurnace::Closed));
    QCOMPARE(s.byte(4), quint8(0));

    ask(*c, 5, le16(300));
    ask(*c, 11, bytes({1}));
    c->advance(60); // 30 °C/min towards the support temperature
    s = ask(*c, 3);
    QCOMPARE(s.u16(0), quint16(54));
    QCOMPARE(s.byte(3) & 0x60, 0x60);

    c->advance(600);
    s = ask(*c, 3);
    QCOMPARE(s.u16(0), quint16(300));
    QVERIFY(s.byte(3) & 0x20);

    ask(*c, 11, bytes({0}));
    c->advance(60);
    s = ask(*c, 3);
    QCOMPARE(s.byte(3) & 0x60, 0);
    QVERIFY(s.u16(0) < 300);
}

void TestFurnaceController::vacuumFollowsEconomyMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("vacuum");
    QTest::newRow("91%") << 91 << 91;
    QTest::newRow("95%") << 95 << 95;
    QTest::newRow("economy off") << 90 << 98;
    QTest::newRow("MAX") << 96 << 98;
}

void TestFurnaceController::vacuumFollowsEconomyMode()
{
    QFETCH(int, mode);
    QFETCH(int, vacuum);

    auto c = frozenController();
    ask(*c, 72, bytes({mode}));
    ask(*c, 12, bytes({2}));
    c->advance(120);
    const WireReply s = ask(*c, 3);
    QCOMPARE(int(s.byte(2)), vacuum);
    QVERIFY(s.byte(3) & 0x08);

    ask(*c, 12, bytes({2})); // the pump toggles off
    c->advance(60);
    const WireReply off = ask(*c, 3);
    QCOMPARE(off.byte(2), quint8(0));
    QCOMPARE(off.byte(3) & 0x08, 0);
}

void TestFurnaceController::vacuumNeedsClosedChamber()
{
    auto c = frozenController();
    ask(*c, 10, bytes({2}));
    c->advance(20);
    ask(*c, 12, bytes({2}));
    c->advance(60);
    const WireReply s = ask(*c, 3);
    QVERIFY(s.byte(3) & 0x08); // the pump runs
    QCOMPARE(s.byte(2), quint8(0));
}

void TestFurnaceController::supportTemperature()
{
    auto c = frozenController();
    QCOMPARE(ask(*c, 4).u16(0), quint16(400));
    QCOMPARE(ask(*c, 5, le16(350)).byte(0), quint8(0));
    QCOMPARE(ask(*c, 4).u16(0), quint16(350));
    // A value no furnace holds is refused and changes nothing.
    QCOMPARE(ask(*c, 5, le16(5000)).byte(0), quint8(1));
    QCOMPARE(ask(*c, 5, bytes({7})).byte(0), quint8(1));
    QCOMPARE(ask(*c, 4).u16(0), quint16(350));
}

void TestFurnaceController::economyModeReadAndWrite()
{
    auto c = frozenController();
    QCOMPARE(ask(*c, 72, bytes({0x80 | 93})).byte(0), quint8(93));
    QCOMPARE(ask(*c, 72, bytes({91})).byte(0), quint8(91));
    // Reading carries the console's present value in the low bits: it must not be stored.
    QCOMPARE(ask(*c, 72, bytes({0x80 | 95})).byte(0), quint8(91));
    QCOMPARE(ask(*c, 72, bytes({96})).byte(0), quint8(96));
}

void TestFurnaceController::clockSetAndRead()
{
    auto c = frozenController();
    WireReply r = ask(*c, 15);
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime reported(QDate(2000 + r.byte(6), r.byte(5), r.byte(4)),
                             QTime(r.byte(2), r.byte(1), r.byte(0)));
    QVERIFY(qAbs(reported.secsTo(now)) <= 2);
    QCOMPARE(int(r.byte(3)), now.date().dayOfWeek());

    // Set to Saturday 7 March 2026, 9:05:00.
    QCOMPARE(ask(*c, 16, bytes({0, 5, 9, 0, 7, 3, 26})).byte(0), quint8(0));
    r = ask(*c, 15);
    QVERIFY(r.byte(0) <= 2);
    QCOMPARE(r.byte(1), quint8(5));
    QCOMPARE(r.byte(2), quint8(9));
    QCOMPARE(r.byte(3), quint8(6));
    QCOMPARE(r.byte(4), quint8(7));
    QCOMPARE(r.byte(5), quint8(3));
    QCOMPARE(r.byte(6), quint8(26));
}

void TestFurnaceController::clockRefusesImpossibleTimes_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("month 13") << bytes({0, 5, 9, 0, 7, 13, 26});
    QTest::newRow("30 February") << bytes({0, 5, 9, 0, 30, 2, 26});
    QTest::newRow("day 0") << bytes({0, 5, 9, 0, 0, 3, 26});
    QTest::newRow("hour 24") << bytes({0, 5, 24, 0, 7, 3, 26});
    QTest::newRow("minute 60") << bytes({0, 60, 9, 0, 7, 3, 26});
    QTest::newRow("short payload") << bytes({0, 5, 9, 0, 7, 3});
}

void TestFurnaceController::clockRefusesImpossibleTimes()
{
    QFETCH(QByteArray, payload);
    auto c = frozenController();
    QCOMPARE(ask(*c, 16, payload).byte(0), quint8(1));
    QVERIFY(qAbs(c->clock().secsTo(QDateTime::currentDateTime())) <= 2);
}

void TestFurnaceController::chamberTravel_data()
{
    QTest::addColumn<int>("closingSeconds");
    QTest::addColumn<int>("openingSeconds");
    QTest::newRow("factory 12 s / 12 s") << 12 << 12;
    QTest::newRow("slow closing 20 s / 8 s") << 20 << 8;
}

void TestFurnaceController::chamberTravel()
{
    QFETCH(int, closingSeconds);
    QFETCH(int, openingSeconds);

    auto c = frozenController();
    SimServiceBlock block = SimServiceBlock::factoryDefaults();
    block.ClosingSeconds = quint8(closingSeconds);
    block.OpeningSeconds = quint8(openingSeconds);
    ask(*c, 52, blockBytes(block));

    QCOMPARE(position(*c), quint8(SimFurnace::Closed));
    ask(*c, 10, bytes({2}));
    QCOMPARE(position(*c), quint8(SimFurnace::Opening));
    c->advance(openingSeconds - 0.5);
    QCOMPARE(position(*c), quint8(SimFurnace::Opening));
    c->advance(0.6);
    QCOMPARE(position(*c), quint8(SimFurnace::Opened));

    ask(*c, 10, bytes({1}));
    QCOMPARE(position(*c), quint8(SimFurnace::Closing));
    c->advance(closingSeconds - 0.5);
    QCOMPARE(position(*c), quint8(SimFurnace::Closing));
    c->advance(0.6);
    QCOMPARE(position(*c), quint8(SimFurnace::Closed));
}

void TestFurnaceController::chamberStopsPartWay()
{
    auto c = frozenController();
    ask(*c, 10, bytes({2}));
    c->advance(5);
    ask(*c, 10, bytes({0}));
    QCOMPARE(position(*c), quint8(SimFurnace::HalfOpen));
    c->advance(30);
    QCOMPARE(position(*c), quint8(SimFurnace::HalfOpen));
    QVERIFY(c->furnace().tableLevel() > 50 && c->furnace().tableLevel() < 60);
    // Not a command: nothing moves.
    QCOMPARE(ask(*c, 10, bytes({3})).byte(0), quint8(1));
    c->advance(30);
    QCOMPARE(position(*c), quint8(SimFurnace::HalfOpen));
}

void TestFurnaceController::serviceBlockRoundTrip()
{
    auto c = frozenController();
    const SimServiceBlock defaults = readBlock(*c);
    QVERIFY(defaults.KT1 >= 1000 && defaults.KT1 <= 1100);
    QVERIFY(defaults.KT2 >= 1000 && defaults.KT2 <= 1100);
    QVERIFY(defaults.Urep1 >= 800 && defaults.Urep1 < 900);
    QCOMPARE(defaults.ClosingSeconds, quint8(12));
    QCOMPARE(defaults.OpeningSeconds, quint8(12));
    QCOMPARE(defaults.AmbientOffset, quint8(50));
    QCOMPARE(defaults.Kvac, quint8(100));
    QVERIFY(defaults.Trep >= 640 && defaults.Trep <= 680);

    // Bytes of 0xFF travel stuffed; the bytes the console does not know come back unchanged.
    QByteArray raw = blockBytes(defaults);
    raw[4] = char(0xFF);
    raw[5] = char(0xFF);
    raw[33] = char(0x5A);
    raw[36] = char(0xFF);
    raw[37] = char(0x01);
    raw[32] = char(0xFF);
    QCOMPARE(ask(*c, 52, raw).byte(0), quint8(0));
    QCOMPARE(ask(*c, 51).payload, raw);
}

void TestFurnaceController::serviceBlockOfWrongLengthIgnored()
{
    auto c = frozenController();
    const QByteArray before = ask(*c, 51).payload;
    QCOMPARE(ask(*c, 52, QByteArray(37, '\x11')).byte(0), quint8(1));
    QCOMPARE(ask(*c, 51).payload, before);
}

void TestFurnaceController::transferStoresChunksAndRecords()
{
    auto c = frozenController();
    const QByteArray names("Dentin A1\0Enamel", 16);
    QCOMPARE(ask(*c, 9, le16(0x1000) + names.left(10)).byte(0), quint8(0x55));
    QCOMPARE(ask(*c, 9, le16(0x100A) + names.mid(10)).byte(0), quint8(0x55));
    QCOMPARE(c->memory().mid(0x1000, names.size()), names);

    ProgParam record;
    record.PreDryTemp = 450;
    record.HeatTemp = 930;
    record.ProgNumber = 7;
    const ProgParam::Payload raw = record.toPayload();
    const QByteArray bytesOut(reinterpret_cast<const char *>(raw.data()), int(raw.size()));
    QCOMPARE(ask(*c, 6, bytesOut).byte(0), quint8(0x55));
    QCOMPARE(c->storedRecord(7), std::optional<QByteArray>(bytesOut));
    QVERIFY(!c->storedRecord(6));

    // A record of the wrong size is refused.
    QVERIFY(ask(*c, 6, bytesOut.left(41)).byte(0) != 0x55);
    QCOMPARE(c->storedRecordCount(), 1);
}

void TestFurnaceController::transferOutsideMemoryRefused()
{
    auto c = frozenController();
    const QByteArray before = c->memory();
    QVERIFY(ask(*c, 8, le16(0xFFF8) + QByteArray(10, 'x')).byte(0) != 0x55);
    QVERIFY(ask(*c, 8, bytes({0x10})).byte(0) != 0x55);
    QCOMPARE(c->memory(), before);
    QCOMPARE(ask(*c, 8, le16(0xFFF6) + QByteArray(10, 'x')).byte(0), quint8(0x55));
    QCOMPARE(c->memory().right(10), QByteArray(10, 'x'));
}

void TestFurnaceController::serviceProcedure_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("lastStep");
    QTest::addColumn<int>("withinSeconds");

    QTest::newRow("drive calibration") << 44 << 45 << 16 << 4 << 120;
    QTest::newRow("vacuum calibration") << 42 << 43 << 21 << 5 << 300;
    QTest::newRow("overheat adjustment") << 74 << 75 << 22 << 7 << 3600;
    QTest::newRow("reper tuning") << 39 << 48 << 27 << 6 << 3600;
    QTest::newRow("reper run") << 40 << 48 << 28 << 8 << 3600;
}

void TestFurnaceController::serviceProcedure()
{
    QFETCH(int, start);
    QFETCH(int, progress);
    QFETCH(int, mode);
    QFETCH(int, lastStep);
    QFETCH(int, withinSeconds);

    auto c = frozenController();
    QCOMPARE(ask(*c, quint8(start)).byte(0), quint8(0));
    QCOMPARE(int(ask(*c, 99).byte(0)), mode);

    int step = ask(*c, quint8(progress)).byte(0);
    QCOMPARE(step, 1);
    int seconds = 0;
    for (; seconds < withinSeconds && ask(*c, 99).byte(0) == mode; ++seconds) {
        c->advance(1);
        const int now = ask(*c, quint8(progress)).byte(0);
        QVERIFY2(now == step || now == step + 1, "service steps go up one at a time");
        step = now;
    }
    QVERIFY2(seconds < withinSeconds, "the procedure ends by itself");
    QCOMPARE(step, lastStep);
    QCOMPARE(ask(*c, 99).byte(0), quint8(0));
    // The last step stays reported after the end.
    c->advance(10);
    QCOMPARE(int(ask(*c, quint8(progress)).byte(0)), lastStep);
}

void TestFurnaceController::reperRunSetsOperationTemperature()
{
    auto c = frozenController();
    c->furnace().setReperOperationTemp(671);
    const quint16 countBefore = readBlock(*c).ReperCount;
    ask(*c, 40);
    for (int i = 0; i < 3600 && ask(*c, 99).byte(0) == 28; ++i)
        c->advance(1);
    const WireReply r = ask(*c, 48);
    QCOMPARE(r.byte(0), quint8(8));
    QCOMPARE(r.u16(9), quint16(671));
    QCOMPARE(r.u16(3), readBlock(*c).Urep1); // the sensor's voltage once it has operated
    QCOMPARE(readBlock(*c).Trep, quint16(671));
    QCOMPARE(readBlock(*c).ReperCount, quint16(countBefore + 1));
}

void TestFurnaceController::reperSensorThatNeverOperatesIsAFault()
{
    auto c = frozenController();
    c->furnace().setReperOperationTemp(2000);
    ask(*c, 39);
    for (int i = 0; i < 7200 && ask(*c, 99).byte(0) == 27; ++i)
        c->advance(1);
    const WireReply mode = ask(*c, 99);
    QCOMPARE(mode.byte(0), quint8(26));
    QCOMPARE(mode.byte(1), quint8(7));
    QCOMPARE(ask(*c, 3).byte(3) & 0x60, 0); // heater off
}

void TestFurnaceController::stopEndsProcedureAndFault()
{
    auto c = frozenController();
    ask(*c, 74);
    c->advance(120);
    QVERIFY(ask(*c, 75).byte(0) >= 2);
    QCOMPARE(ask(*c, 2).payload, bytes({0}));
    QCOMPARE(ask(*c, 99).payload, bytes({0, 0, 0}));
    QCOMPARE(ask(*c, 75).byte(0), quint8(0));
    QCOMPARE(ask(*c, 3).byte(3) & 0x60, 0);

    c->furnace().raiseFault(12);
    QCOMPARE(ask(*c, 99).payload, bytes({26, 12, 0}));
    QCOMPARE(ask(*c, 44).byte(0), quint8(1)); // nothing starts while in error
    ask(*c, 2);
    QCOMPARE(ask(*c, 99).payload, bytes({0, 0, 0}));
}

void TestFurnaceController::driveCalibrationMeasuresTheDrive()
{
    auto c = frozenController();
    c->furnace().setDriveTravel(20, 8);
    ask(*c, 44);
    for (int i = 0; i < 120 && ask(*c, 99).byte(0) == 16; ++i)
        c->advance(1);
    const SimServiceBlock b = readBlock(*c);
    QCOMPARE(int(b.ClosingSeconds), 20);
    QCOMPARE(int(b.OpeningSeconds), 8);
    QVERIFY2(qAbs(b.ClosingPulses - 2500) <= 125, qPrintable(QString::number(b.ClosingPulses)));
    QVERIFY2(qAbs(b.OpeningPulses - 1000) <= 125, qPrintable(QString::number(b.OpeningPulses)));
    QCOMPARE(position(*c), quint8(SimFurnace::Opened));
}

void TestFurnaceController::vacuumCalibrationSettlesKvacThatTheUserMayCorrect()
{
    auto c = frozenController();
    c->furnace().setVacuumChannelCoefficient(117);
    ask(*c, 42);
    while (ask(*c, 43).byte(0) < 3)
        c->advance(1);
    QCOMPARE(int(readBlock(*c).Kvac), 117);
    // A correction written during the last steps is what the controller keeps.
    SimServiceBlock corrected = readBlock(*c);
    corrected.Kvac = 119;
    ask(*c, 52, blockBytes(corrected));
    for (int i = 0; i < 120 && ask(*c, 99).byte(0) == 21; ++i)
        c->advance(1);
    QCOMPARE(int(ask(*c, 43).byte(0)), 5);
    QCOMPARE(int(readBlock(*c).Kvac), 119);
}

void TestFurnaceController::requestSplitAnywhereGetsOneReply()
{
    QByteArray block = blockBytes(SimServiceBlock::factoryDefaults());
    block[4] = char(0xFF);
    block[5] = char(0xFF);
    const QByteArray wire = requestFrame(52, block) + requestFrame(51);
    for (int cut = 1; cut < wire.size(); ++cut) {
        auto c = frozenController();
        QByteArray replies = c->receive(wire.left(cut));
        replies += c->receive(wire.mid(cut));
        const QList<WireReply> got = decodeReplies(replies);
        QCOMPARE(got.size(), 2);
        QCOMPARE(got[1].type, quint8(51));
        QCOMPARE(got[1].payload, block);
    }
}

void TestFurnaceController::framesInOneWriteAnsweredInOrder()
{
    auto c = frozenController();
    const QList<WireReply> got =
        decodeReplies(c->receive(requestFrame(1) + requestFrame(4) + requestFrame(99)));
    QCOMPARE(got.size(), 3);
    QCOMPARE(got[0].type, quint8(1));
    QCOMPARE(got[1].type, quint8(4));
    QCOMPARE(got[2].type, quint8(99));
    QCOMPARE(c->requestCount(), quint64(3));
}

void TestFurnaceController::garbledRequestIgnored()
{
    auto c = frozenController();
    QByteArray bad = requestFrame(5, le16(350));
    bad[bad.size() - 1] = char(bad.back() + 1);
    QVERIFY(c->receive(bad).isEmpty());
    QCOMPARE(ask(*c, 4).u16(0), quint16(400));
    // Noise before a frame does not stop it from being answered.
    QCOMPARE(decodeReplies(c->receive(bytes({0x12, 0x00, 0x34}) + requestFrame(1))).size(), 1);
}

void TestFurnaceController::faultNoReply()
{
    auto c = frozenController();
    c->faults().noReply = true;
    QVERIFY(c->receive(requestFrame(5, le16(320))).isEmpty());
    QCOMPARE(c->requestCount(), quint64(1));
    c->faults().noReply = false;
    // The request was carried out; only its answer was lost.
    QCOMPARE(ask(*c, 4).u16(0), quint16(320));
}

void TestFurnaceController::faultNoReplyEveryNth()
{
    auto c = frozenController();
    c->faults().noReplyEvery = 3;
    QList<bool> answered;
    for (int i = 0; i < 9; ++i)
        answered << ask(*c, 3).received;
    QCOMPARE(answered, (QList<bool>{true, true, false, true, true, false, true, true, false}));
}

void TestFurnaceController::faultBadChecksum_data()
{
    QTest::addColumn<bool>("always");
    QTest::addColumn<int>("every");
    QTest::addColumn<QList<bool>>("good");
    QTest::newRow("always") << true << 0 << QList<bool>{false, false, false, false};
    QTest::newRow("every 2nd") << false << 2 << QList<bool>{true, false, true, false};
}

void TestFurnaceController::faultBadChecksum()
{
    QFETCH(bool, always);
    QFETCH(int, every);
    QFETCH(QList<bool>, good);

    auto c = frozenController();
    c->faults().badChecksum = always;
    c->faults().badChecksumEvery = every;
    QList<bool> got;
    for (int i = 0; i < good.size(); ++i) {
        const QByteArray wire = c->receive(requestFrame(3));
        // The frame is all there, only its checksum is off.
        QCOMPARE(wire.size(), 10);
        QCOMPARE(quint8(wire[0]), quint8(0xFF));
        QCOMPARE(quint8(wire[3]), quint8(5));
        got << !decodeReplies(wire).isEmpty();
    }
    QCOMPARE(got, good);
}

void TestFurnaceController::faultWrongLength_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("length");
    QTest::newRow("identify") << 1 << 4;
    QTest::newRow("status") << 3 << 6;
    QTest::newRow("service block") << 51 << 39;
    QTest::newRow("zone time") << 56 << 5;
}

void TestFurnaceController::faultWrongLength()
{
    QFETCH(int, type);
    QFETCH(int, length);
    auto c = frozenController();
    c->faults().wrongLength = true;
    const WireReply r = ask(*c, quint8(type));
    QVERIFY(r.received);
    QCOMPARE(r.payload.size(), length);
}

void TestFurnaceController::faultControllerErrorNow()
{
    auto c = frozenController();
    ask(*c, 11, bytes({1}));
    ask(*c, 10, bytes({2}));
    c->advance(3);
    c->furnace().raiseFault(9);
    QCOMPARE(ask(*c, 99).payload, bytes({26, 9, 0}));
    const WireReply s = ask(*c, 3);
    QCOMPARE(s.byte(3) & 0x60, 0);                         // heater off
    QCOMPARE(s.byte(3) & 0x07, int(SimFurnace::HalfOpen)); // the table stopped
    // The table can still be moved by hand.
    ask(*c, 10, bytes({2}));
    c->advance(20);
    QCOMPARE(position(*c), quint8(SimFurnace::Opened));
}

void TestFurnaceController::transferRefusal_data()
{
    QTest::addColumn<int>("ack");
    QTest::newRow("0x00") << 0x00;
    QTest::newRow("0xAA") << 0xAA;
}

void TestFurnaceController::transferRefusal()
{
    QFETCH(int, ack);
    auto c = frozenController();
    c->faults().transferAck = quint8(ack);
    const QByteArray before = c->memory();
    QCOMPARE(int(ask(*c, 9, le16(0) + "abc").byte(0)), ack);
    QCOMPARE(int(ask(*c, 8, le16(0x100) + "def").byte(0)), ack);
    QCOMPARE(int(ask(*c, 6, QByteArray(42, '\x02')).byte(0)), ack);
    QCOMPARE(c->memory(), before);
    QCOMPARE(c->storedRecordCount(), 0);
}

void TestFurnaceController::clockSpeedDrivesSimulatedTime()
{
    FurnaceController c;
    c.setSpeed(600); // 12 s of travel in 20 ms
    ask(c, 10, bytes({2}));
    QTest::qWait(100);
    QCOMPARE(position(c), quint8(SimFurnace::Opened));

    c.setSpeed(0);
    ask(c, 10, bytes({1}));
    QTest::qWait(100);
    QCOMPARE(position(c), quint8(SimFurnace::Closing));
}

void TestFurnaceController::longIdleSpanSettles()
{
    auto c = frozenController();
    ask(*c, 11, bytes({1}));
    ask(*c, 5, le16(380));
    c->advance(3600);
    QCOMPARE(ask(*c, 3).u16(0), quint16(380));
    const quint32 workBefore = readBlock(*c).HeaterWorkTime;
    c->advance(3600); // an hour holding: the heater's work time counts it
    QCOMPARE(readBlock(*c).HeaterWorkTime - workBefore, quint32(360000));

    ask(*c, 11, bytes({0}));
    ask(*c, 12, bytes({2}));
    c->advance(10 * 24 * 3600.0);
    const WireReply s = ask(*c, 3);
    QCOMPARE(s.u16(0), quint16(24));
    QCOMPARE(s.byte(2), quint8(93)); // the pump kept the vacuum all along
    QCOMPARE(s.byte(3), quint8(SimFurnace::Closed | SimFurnace::StatusVacuumBit));
}

QTEST_GUILESS_MAIN(TestFurnaceController)
#include "tst_furnacecontroller.moc"
