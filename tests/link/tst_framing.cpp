// SPDX-License-Identifier: GPL-3.0-or-later
// Frame format: building frames, the receive byte machine, and the link's receive step.

#include "link/framing.h"
#include "link/link.h"
#include "tests/support/fakeline.h"

#include <QRandomGenerator>
#include <QTest>

namespace
{

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray frame(quint8 type, const QByteArray &payload)
{
    return EncodeFrame(ConsoleAddress, type, reinterpret_cast<const quint8 *>(payload.constData()),
                       int(payload.size()));
}

struct Decoded {
    bool ready = false;
    int type = -1;
    QByteArray payload;
};

Decoded feedAll(FrameReceiver &rx, const QByteArray &wire)
{
    for (char c : wire)
        rx.feed(quint8(c));
    Decoded d;
    d.ready = rx.FrameReady;
    if (d.ready) {
        d.type = rx.type();
        d.payload = QByteArray(reinterpret_cast<const char *>(rx.payload()), rx.length());
    }
    return d;
}

void checkInvariants(const FrameReceiver &rx)
{
    QVERIFY(rx.RxWritePos >= 0 && rx.RxWritePos <= FrameBufferSize);
    if (rx.FrameReady)
        QVERIFY(rx.length() <= FrameMaxPayload);
}

} // namespace

class TestFraming : public QObject
{
    Q_OBJECT
private slots:
    void encode_data();
    void encode();
    void receive_data();
    void receive();
    void resetReturnsToIdle();
    void receiveStepSplitAtEveryOffset();
    void receiveStepKeepsReadyFrameFromTrailingNoise();
    void receiveStepTakesTheLineUnbroken();
    void randomStreamsStayInsideTheBuffer();
    void framesAfterRandomNoiseAreFound();
    void onlyEmbeddedGoodFramesAreTaken_data();
    void onlyEmbeddedGoodFramesAreTaken();
    void transmitPacketSendsAddressOne();
};

void TestFraming::encode_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("type 3, no payload")
        << 3 << QByteArray() << bytes({0xFF, 0x01, 0x03, 0x00, 0x04});
    // 1 + 5 + 2 + 0xFF + 1 = 0x108: the doubled 0xFF counts once.
    QTest::newRow("payload FF doubled, counted once")
        << 5 << bytes({0xFF, 0x01}) << bytes({0xFF, 0x01, 0x05, 0x02, 0xFF, 0xFF, 0x01, 0x08});
    QTest::newRow("checksum FF sent once")
        << 3 << bytes({0xFA}) << bytes({0xFF, 0x01, 0x03, 0x01, 0xFA, 0xFF});
    QTest::newRow("two FF in a row")
        << 4 << bytes({0xFF, 0xFF})
        << bytes({0xFF, 0x01, 0x04, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x05});
    QTest::newRow("economy read request 72")
        << 72 << bytes({0xDD}) << bytes({0xFF, 0x01, 0x48, 0x01, 0xDD, 0x27});
}

void TestFraming::encode()
{
    QFETCH(int, type);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, wire);
    QCOMPARE(frame(quint8(type), payload), wire);
}

void TestFraming::receive_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("payload");

    const QByteArray status = bytes({0x20, 0x03, 0x50, 0x0B, 0x05});
    QTest::newRow("status reply") << frame(3, status) << true << 3 << status;
    QTest::newRow("empty payload") << frame(2, {}) << true << 2 << QByteArray();
    QTest::newRow("stuffed FF stored once")
        << frame(4, bytes({0xFF, 0x01})) << true << 4 << bytes({0xFF, 0x01});
    QTest::newRow("FF FF FF FF gives two bytes")
        << frame(4, bytes({0xFF, 0xFF})) << true << 4 << bytes({0xFF, 0xFF});
    QTest::newRow("checksum FF accepted")
        << bytes({0xFF, 0x01, 0x03, 0x01, 0xFA, 0xFF}) << true << 3 << bytes({0xFA});
    QTest::newRow("payload FF then checksum FF")
        << frame(1, bytes({0xFF, 0xFC})) << true << 1 << bytes({0xFF, 0xFC});
    QByteArray bad = frame(3, status);
    bad[bad.size() - 1] = char(bad.back() + 1);
    QTest::newRow("bad checksum dropped") << bad << false << -1 << QByteArray();
    QTest::newRow("start mark mid-frame restarts")
        << bytes({0xFF, 0x01, 0x03, 0x05, 0x20, 0x03}) + frame(4, bytes({0x2C, 0x01})) << true << 4
        << bytes({0x2C, 0x01});
    QTest::newRow("length above 99 abandoned")
        << bytes({0xFF, 0x01, 0x03, 100}) + QByteArray(120, 0x11) << false << -1 << QByteArray();
    QTest::newRow("frame after an abandoned one")
        << bytes({0xFF, 0x01, 0x03, 100}) + QByteArray(120, 0x11) +
               frame(15, bytes({7, 5, 9, 0, 7, 3, 26}))
        << true << 15 << bytes({7, 5, 9, 0, 7, 3, 26});
    QTest::newRow("long run without start mark, then a frame")
        << QByteArray(300, 0x00) + frame(99, bytes({32, 0, 0})) << true << 99 << bytes({32, 0, 0});
    QTest::newRow("length byte FF is a start mark")
        << bytes({0xFF, 0x01, 0x03}) + frame(70, bytes({0x10, 0x00})) << true << 70
        << bytes({0x10, 0x00});
    QTest::newRow("longest frame 99 bytes")
        << frame(51, QByteArray(99, 0x5A)) << true << 51 << QByteArray(99, 0x5A);
    // Stray bytes after a bad frame must not be summed on from it: these ten complete the
    // bad frame's sum and would show T=1337 °C.
    QTest::newRow("bad checksum, then stray bytes")
        << bytes({0xFF, 0x01, 0x03, 0x05, 0x39, 0x05, 0x00, 0x03, 0x00, 0x4B}) +
               QByteArray(9, 0x00) + bytes({0x95})
        << false << -1 << QByteArray();
    QTest::newRow("reply without start mark")
        << bytes({0x00, 0x01, 0x03, 0x05, 0x3A, 0x05, 0x00, 0x03, 0x00, 0x4B}) << false << -1
        << QByteArray();
}

void TestFraming::receive()
{
    QFETCH(QByteArray, wire);
    QFETCH(bool, ready);
    QFETCH(int, type);
    QFETCH(QByteArray, payload);

    FrameReceiver rx;
    const Decoded d = feedAll(rx, wire);
    QCOMPARE(d.ready, ready);
    if (ready) {
        QCOMPARE(d.type, type);
        QCOMPARE(d.payload, payload);
    }
    checkInvariants(rx);
}

void TestFraming::resetReturnsToIdle()
{
    FrameReceiver rx;
    feedAll(rx, bytes({0xFF, 0x01, 0x03, 0x05, 0x20, 0xFF}));
    rx.reset();
    QCOMPARE(rx.RxWritePos, 0);
    QCOMPARE(rx.RxCount, quint8(0));
    QVERIFY(!rx.EscapePending);
    QVERIFY(!rx.FrameReady);
    // After the reset a whole frame is taken again.
    QVERIFY(feedAll(rx, frame(3, bytes({1, 2, 3, 4, 5}))).ready);
}

namespace
{

/// Runs the link's receive and dispatch steps over `chunks` and returns each frame dispatched.
QList<Decoded> throughLink(const QList<QByteArray> &chunks)
{
    Link link;
    link.setManualPasses(true);
    auto line = std::make_unique<FakeLine>();
    FakeLine *fake = line.get();
    QString error;
    if (!link.open(std::move(line), &error))
        return {};
    QList<Decoded> got;
    QObject::connect(&link, &Link::frameReceived, [&] {
        const FrameReceiver &rx = link.receiver();
        got.append({true, rx.type(),
                    QByteArray(reinterpret_cast<const char *>(rx.payload()), rx.length())});
    });
    fake->incoming = chunks;
    for (int i = 0; i < chunks.size() + 2; ++i)
        link.runPass();
    return got;
}

} // namespace

void TestFraming::receiveStepSplitAtEveryOffset()
{
    const QList<QPair<quint8, QByteArray>> frames = {
        {3, bytes({0x20, 0x03, 0x50, 0x0B, 0x05})},
        {4, bytes({0xFF, 0xFF, 0x01})},
        {3, bytes({0xFA})}, // checksum 0xFF
        {51, QByteArray(38, char(0xFF))},
        {62, QByteArray(88, 0x41)},
    };
    for (const auto &[type, payload] : frames) {
        const QByteArray wire = frame(type, payload);
        for (int k = 0; k <= wire.size(); ++k) {
            const QList<Decoded> got = throughLink({wire.left(k), wire.mid(k)});
            QCOMPARE(got.size(), 1);
            QCOMPARE(got[0].type, int(type));
            QCOMPARE(got[0].payload, payload);
        }
        // Byte by byte, too.
        QList<QByteArray> single;
        for (char c : wire)
            single.append(QByteArray(1, c));
        const QList<Decoded> got = throughLink(single);
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].payload, payload);
    }
}

void TestFraming::receiveStepKeepsReadyFrameFromTrailingNoise()
{
    // A reply followed in the same read by a stray start mark and bytes must arrive intact.
    const QByteArray payload = bytes({13, 1, 5});
    const QList<Decoded> got =
        throughLink({frame(1, payload) + bytes({0xFF, 0x07, 0x09, 0x02, 0x33})});
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].type, 1);
    QCOMPARE(got[0].payload, payload);
}

void TestFraming::receiveStepTakesTheLineUnbroken()
{
    // What follows a frame in the same read is taken after it is dispatched, not dropped: a
    // doubled 0xFF split by the read stays a pair (else FF 05 would open a frame), and a second
    // reply in the same read arrives too.
    const QByteArray first = frame(1, bytes({13, 1, 5}));
    const QByteArray second = frame(4, bytes({0x2C, 0x01}));
    QList<Decoded> got =
        throughLink({first + bytes({0xFF}), bytes({0xFF, 0x05, 0x03, 0x00, 0x08})});
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].type, 1);
    got = throughLink({first + second});
    QCOMPARE(got.size(), 2);
    QCOMPARE(got[1].type, 4);
    QCOMPARE(got[1].payload, bytes({0x2C, 0x01}));
}

void TestFraming::randomStreamsStayInsideTheBuffer()
{
    QRandomGenerator rng(20261208);
    FrameReceiver rx;
    for (int i = 0; i < 400000; ++i) {
        // Plenty of 0xFF, so marks, pairs and long lengths all occur.
        const quint32 r = rng.generate();
        const quint8 b = (r & 3) == 0 ? 0xFF : quint8(r >> 8);
        rx.feed(b);
        checkInvariants(rx);
        if (QTest::currentTestFailed())
            return;
        if (rx.FrameReady)
            rx.FrameReady = false; // dispatched; the machine goes on from where it is
    }
}

void TestFraming::framesAfterRandomNoiseAreFound()
{
    // Whatever state noise leaves the machine in (mid-frame, abandoned, waiting for a mark), the
    // reset the watchdog makes after a silent tick lets the next reply through.
    QRandomGenerator rng(77);
    FrameReceiver rx;
    for (int round = 0; round < 3000; ++round) {
        const int n = int(rng.bounded(300));
        for (int i = 0; i < n; ++i) {
            rx.feed(quint8(rng.bounded(4) == 0 ? 0xFF : rng.bounded(256)));
            if (rx.FrameReady)
                rx.FrameReady = false;
        }
        rx.reset();
        QByteArray payload;
        const int len = int(rng.bounded(FrameMaxPayload + 1));
        for (int i = 0; i < len; ++i)
            payload.append(char(rng.bounded(256)));
        const quint8 type = quint8(rng.bounded(1, 100));
        const Decoded d = feedAll(rx, frame(type, payload));
        QVERIFY2(d.ready, qPrintable(QStringLiteral("round %1").arg(round)));
        QCOMPARE(d.type, int(type));
        QCOMPARE(d.payload, payload);
    }
}

void TestFraming::onlyEmbeddedGoodFramesAreTaken_data()
{
    QTest::addColumn<bool>("resetAfterFrame");
    QTest::newRow("dispatched (reset after each frame)") << true;
    QTest::newRow("left in the buffer") << false;
}

void TestFraming::onlyEmbeddedGoodFramesAreTaken()
{
    // Streams of good frames, frames with a bad checksum, and noise that holds no start mark
    // (each 0xFF in it doubled, as inside a payload): exactly the good frames arrive, in order.
    QFETCH(bool, resetAfterFrame);
    QRandomGenerator rng(resetAfterFrame ? 4242 : 2424);
    for (int round = 0; round < 400; ++round) {
        FrameReceiver rx;
        QList<std::pair<int, QByteArray>> expected;
        QList<std::pair<int, QByteArray>> got;
        const auto feed = [&](const QByteArray &wire) {
            for (char c : wire) {
                rx.feed(quint8(c));
                if (rx.FrameReady) {
                    got.append({rx.type(), QByteArray(reinterpret_cast<const char *>(rx.payload()),
                                                      rx.length())});
                    if (resetAfterFrame)
                        rx.reset();
                    else
                        rx.FrameReady = false;
                }
            }
        };
        for (int segment = 0; segment < 40; ++segment) {
            QByteArray noise;
            for (int i = int(rng.bounded(24)); i > 0; --i) {
                const quint8 b = rng.bounded(3) == 0 ? 0xFF : quint8(rng.bounded(256));
                noise.append(char(b));
                if (b == 0xFF)
                    noise.append(char(b));
            }
            feed(noise);
            QByteArray payload;
            for (int i = int(rng.bounded(12)); i > 0; --i)
                payload.append(char(rng.bounded(4) == 0 ? 0xFF : rng.bounded(256)));
            const quint8 type = quint8(rng.bounded(1, 100));
            QByteArray wire = frame(type, payload);
            if (rng.bounded(2) == 0)
                wire[wire.size() - 1] = char(quint8(wire.back()) + 1 + rng.bounded(255));
            else
                expected.append({type, payload});
            feed(wire);
        }
        QCOMPARE(got, expected);
    }
}

void TestFraming::transmitPacketSendsAddressOne()
{
    Link link;
    link.setManualPasses(true);
    auto line = std::make_unique<FakeLine>();
    FakeLine *fake = line.get();
    QVERIFY(link.open(std::move(line), nullptr));
    auto &buf = link.receiver().FrameBuffer;
    buf[1] = 0x77;
    buf[2] = 3;
    buf[3] = 0;
    link.TransmitPacket();
    QCOMPARE(fake->written, bytes({0xFF, 0x01, 0x03, 0x00, 0x04}));
    QCOMPARE(fake->purges, 1);
}

QTEST_GUILESS_MAIN(TestFraming)
#include "tst_framing.moc"
