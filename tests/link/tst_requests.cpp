// SPDX-License-Identifier: GPL-3.0-or-later
// Request scheduling: priority, arguments, payloads and the reply watchdog.

#include "link/framing.h"
#include "link/link.h"
#include "link/requests.h"
#include "tests/support/fakeline.h"

#include <QTest>

namespace
{

QList<int> drainTypes(RequestState &state, const FurnaceImage &image, QList<int> *args = nullptr)
{
    QList<int> types;
    while (auto r = TakeNextRequest(state, image)) {
        types << r->type;
        if (args)
            *args << r->arg;
    }
    return types;
}

} // namespace

class TestRequests : public QObject
{
    Q_OBJECT
private slots:
    void priorityOrderOfAllKinds();
    void pollSetOrder_data();
    void pollSetOrder();
    void chamberArgument_data();
    void chamberArgument();
    void temperatureButtonToggles();
    void nothingWhileReplyAwaited();
    void settingTwiceQueuesNothing();
    void payloads_data();
    void payloads();
    void watchdogCountsAndCancelsTransfer();
    void linkSendsOneRequestPerReply();
    void anyReplyEndsTheWait();
};

void TestRequests::priorityOrderOfAllKinds()
{
    RequestState state;
    FurnaceImage image;
    image.ChamberStatus = 3;
    for (int k = RequestKindCount - 1; k >= 0; --k)
        state.Pending.set(RequestKind(k));
    const QList<int> expected = {10, 10, 11, 12, 62, 63, 6,  8,  9,  15, 16, 45, 44, 39, 40, 48, 51,
                                 52, 55, 57, 1,  56, 70, 72, 72, 74, 75, 4,  5,  42, 43, 99, 3,  2};
    QCOMPARE(drainTypes(state, image), expected);
    QVERIFY(!state.Pending.any());
}

void TestRequests::pollSetOrder_data()
{
    QTest::addColumn<bool>("offices");
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QList<int>>("args");
    QTest::newRow("plain") << false << QList<int>{15, 1, 56, 72, 4, 99, 3}
                           << QList<int>{0, 0, 0, 0x80, 0, 0, 0};
    QTest::newRow("factory window open") << true << QList<int>{15, 55, 57, 1, 56, 72, 4, 99, 3}
                                         << QList<int>{0, 0, 0, 0, 0, 0x80, 0, 0, 0};
}

void TestRequests::pollSetOrder()
{
    QFETCH(bool, offices);
    QFETCH(QList<int>, types);
    QFETCH(QList<int>, args);
    RequestState state;
    FurnaceImage image;
    state.NoReplyCount = 5;
    const WatchdogResult r = WatchdogTick(state, offices);
    QVERIFY(!r.timedOut);
    QCOMPARE(state.NoReplyCount, 0u);
    QList<int> gotArgs;
    QCOMPARE(drainTypes(state, image, &gotArgs), types);
    QCOMPARE(gotArgs, args);
}

void TestRequests::chamberArgument_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("arg");
    const int open = int(RequestKind::ChamberOpen);
    const int close = int(RequestKind::ChamberClose);
    QTest::newRow("open while closed") << open << 3 << 2;
    QTest::newRow("open while closing stops") << open << 1 << 0;
    QTest::newRow("open while opening stops") << open << 2 << 0;
    QTest::newRow("open while half-open") << open << 0 << 2;
    QTest::newRow("close while opened") << close << 4 << 1;
    QTest::newRow("close while opening stops") << close << 2 << 0;
    // Bits above the position (vacuum, heating) do not matter.
    QTest::newRow("close, heating and vacuum on") << close << (0x68 | 4) << 1;
}

void TestRequests::chamberArgument()
{
    QFETCH(int, kind);
    QFETCH(int, position);
    QFETCH(int, arg);
    RequestState state;
    FurnaceImage image;
    image.ChamberStatus = quint8(position);
    state.Pending.set(RequestKind(kind));
    const auto r = TakeNextRequest(state, image);
    QVERIFY(r);
    QCOMPARE(r->type, quint8(10));
    QCOMPARE(int(r->arg), arg);
    QCOMPARE(state.LastRequestType, quint8(10));
    QCOMPARE(int(state.LastRequestArg), arg);
    // The status follows at once.
    QVERIFY(state.Pending.isSet(RequestKind::Status));
}

void TestRequests::temperatureButtonToggles()
{
    RequestState state;
    FurnaceImage image;
    QList<int> args;
    for (int i = 0; i < 3; ++i) {
        state.Pending.set(RequestKind::TemperatureButton);
        args << TakeNextRequest(state, image)->arg;
    }
    QCOMPARE(args, (QList<int>{1, 0, 1}));
}

void TestRequests::nothingWhileReplyAwaited()
{
    RequestState state;
    FurnaceImage image;
    state.Pending.set(RequestKind::Stop);
    state.ReplyAwaited = true;
    QVERIFY(!TakeNextRequest(state, image));
    QVERIFY(state.Pending.isSet(RequestKind::Stop));
}

void TestRequests::settingTwiceQueuesNothing()
{
    RequestState state;
    FurnaceImage image;
    state.Pending.set(RequestKind::Stop);
    state.Pending.set(RequestKind::Stop);
    QCOMPARE(drainTypes(state, image), QList<int>{2});
}

void TestRequests::payloads_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("support temperature 5")
        << int(RequestKind::WriteSupportTemp) << QByteArray::fromHex("9001");
    QTest::newRow("write economy 72")
        << int(RequestKind::WriteEconomyMode) << QByteArray::fromHex("5d");
    QTest::newRow("read economy 72")
        << int(RequestKind::ReadEconomyMode) << QByteArray::fromHex("dd");
    QTest::newRow("vacuum button 12")
        << int(RequestKind::VacuumButton) << QByteArray::fromHex("02");
    // 0, minute, hour, day of the week (Saturday), day, month, year - 2000.
    QTest::newRow("set clock 16") << int(RequestKind::SetClock)
                                  << QByteArray::fromHex("0005090607031a");
    QTest::newRow("status 3 has none") << int(RequestKind::Status) << QByteArray();
    QTest::newRow("stop 2 has none") << int(RequestKind::Stop) << QByteArray();
    QTest::newRow("start drive calibration 44")
        << int(RequestKind::StartDriveCalibration) << QByteArray();
}

void TestRequests::payloads()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, payload);
    FurnaceImage image;
    image.SupportTempSet = 400;
    image.VacEconomyMode = 93;
    image.ClockSet = {9, 5, 7, 3, 26}; // 9:05 on Saturday 7 March 2026
    RequestState state;
    state.Pending.set(RequestKind(kind));
    const auto r = TakeNextRequest(state, image);
    QVERIFY(r);
    quint8 buf[FrameMaxPayload] = {};
    const int n = BuildRequestPayload(*r, image, buf);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buf), n), payload);
}

void TestRequests::watchdogCountsAndCancelsTransfer()
{
    RequestState state;
    FurnaceImage image;
    state.Pending.set(RequestKind::SendLayerRecord);
    state.Pending.set(RequestKind::SendMassNames);
    state.Pending.set(RequestKind::Stop);
    state.ReplyAwaited = true;
    state.LastRequestType = 8;
    WatchdogResult r = WatchdogTick(state, false);
    QVERIFY(r.timedOut);
    QVERIFY(r.transferCancelled);
    QCOMPARE(state.NoReplyCount, 1u);
    QVERIFY(!state.ReplyAwaited);
    QVERIFY(!state.Pending.isSet(RequestKind::SendLayerRecord));
    QVERIFY(!state.Pending.isSet(RequestKind::SendMassNames));
    // Other pending flags survive, and a silent tick raises no polls.
    QCOMPARE(drainTypes(state, image), QList<int>{2});

    state.ReplyAwaited = true;
    state.LastRequestType = 3;
    r = WatchdogTick(state, false);
    QVERIFY(r.timedOut);
    QVERIFY(!r.transferCancelled);
    QCOMPARE(state.NoReplyCount, 2u);
}

void TestRequests::linkSendsOneRequestPerReply()
{
    Link link;
    link.setManualPasses(true);
    auto line = std::make_unique<FakeLine>();
    FakeLine *fake = line.get();
    QVERIFY(link.open(std::move(line), nullptr));
    QList<int> sent;
    connect(&link, &Link::requestSent, this, [&](quint8 type) { sent << type; });
    link.request(RequestKind::Identify);
    link.request(RequestKind::Status);
    for (int i = 0; i < 10; ++i)
        link.runPass();
    QCOMPARE(sent, QList<int>{1});
    QCOMPARE(fake->written, QByteArray::fromHex("ff01010002"));
    // The reply ends the wait; the next pass sends the next request.
    const quint8 id[] = {13, 1, 5};
    fake->incoming << EncodeFrame(1, 1, id, 3);
    link.runPass();
    QVERIFY(!link.requests().ReplyAwaited);
    link.runPass();
    QCOMPARE(sent, (QList<int>{1, 3}));
    QCOMPARE(link.image().FurnaceModelId, quint8(13));
}

void TestRequests::anyReplyEndsTheWait()
{
    Link link;
    link.setManualPasses(true);
    auto line = std::make_unique<FakeLine>();
    FakeLine *fake = line.get();
    QVERIFY(link.open(std::move(line), nullptr));
    link.request(RequestKind::Status);
    link.runPass();
    QVERIFY(link.requests().ReplyAwaited);
    // A reply of another type, and of a length the decoder does not know, still ends it.
    const quint8 junk[] = {1, 2};
    fake->incoming << EncodeFrame(1, 99, junk, 2);
    link.runPass();
    QVERIFY(!link.requests().ReplyAwaited);
    QCOMPARE(link.receiver().RxWritePos, 0);
    QCOMPARE(link.image().ControllerMode, quint8(0));
}

QTEST_GUILESS_MAIN(TestRequests)
#include "tst_requests.moc"
