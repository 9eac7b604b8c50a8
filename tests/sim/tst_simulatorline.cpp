// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulatorline.h"
#include "tests/sim/simwire.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

// The in-process furnace as a serial line: replies at once or after the injected delay, byte by
// byte writing as the console's link does it, closing and failing like a real line.

class TestSimulatorLine : public QObject
{
    Q_OBJECT

private slots:
    void replyIsQueuedAtOnce();
    void requestWrittenByteByByte();
    void delayedReply_data();
    void delayedReply();
    void closeDropsRepliesStillOnTheirWay();
    void purgeDropsQueuedReply();
    void controllerOutlivesReopening();
    void failureHook();
};

void TestSimulatorLine::replyIsQueuedAtOnce()
{
    SimulatorLine line;
    QString error;
    QVERIFY(line.open(&error));
    QVERIFY(line.isOpen());
    QVERIFY(line.readQueued().isEmpty());
    QVERIFY(line.write(requestFrame(1)));
    const QList<WireReply> replies = decodeReplies(line.readQueued());
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].payload, bytes({13, 1, 5}));
    QVERIFY(line.readQueued().isEmpty());
}

void TestSimulatorLine::requestWrittenByteByByte()
{
    SimulatorLine line;
    QVERIFY(line.open(nullptr));
    const QByteArray frame = requestFrame(5, le16(0x1FF)); // carries a stuffed 0xFF
    for (int i = 0; i < frame.size(); ++i) {
        QVERIFY(line.readQueued().isEmpty());
        QVERIFY(line.write(frame.mid(i, 1)));
    }
    QCOMPARE(decodeReplies(line.readQueued()).size(), 1);
    QCOMPARE(line.controller().furnace().SupportTemp(), quint16(0x1FF));
}

void TestSimulatorLine::delayedReply_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::newRow("150 ms") << 150;
    QTest::newRow("750 ms, inside the console's watchdog") << 750;
    QTest::newRow("850 ms, past the console's watchdog") << 850;
}

void TestSimulatorLine::delayedReply()
{
    QFETCH(int, delayMs);
    SimulatorLine line;
    line.controller().faults().replyDelayMs = delayMs;
    QVERIFY(line.open(nullptr));

    QElapsedTimer clock;
    clock.start();
    QVERIFY(line.write(requestFrame(99)));
    QVERIFY(line.readQueued().isEmpty());

    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT(!(got += line.readQueued()).isEmpty(), delayMs + 5000);
    // Coarse timers may fire up to 5 % early.
    QVERIFY(clock.elapsed() >= delayMs * 95 / 100);
    const QList<WireReply> replies = decodeReplies(got);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].type, quint8(99));
}

void TestSimulatorLine::closeDropsRepliesStillOnTheirWay()
{
    SimulatorLine line;
    line.controller().faults().replyDelayMs = 50;
    QVERIFY(line.open(nullptr));
    QVERIFY(line.write(requestFrame(1)));
    line.close();
    QVERIFY(!line.write(requestFrame(1)));
    QVERIFY(line.open(nullptr));
    QTest::qWait(200);
    QVERIFY(line.readQueued().isEmpty());
}

void TestSimulatorLine::purgeDropsQueuedReply()
{
    SimulatorLine line;
    QVERIFY(line.open(nullptr));
    QVERIFY(line.write(requestFrame(1)));
    QVERIFY(line.write(requestFrame(3).left(3))); // half a request
    line.purge();
    QVERIFY(line.readQueued().isEmpty());
    // The half request is gone: the rest of it alone is no request.
    QVERIFY(line.write(requestFrame(3).mid(3)));
    QVERIFY(line.readQueued().isEmpty());
    QVERIFY(line.write(requestFrame(4)));
    QCOMPARE(decodeReplies(line.readQueued()).size(), 1);
}

void TestSimulatorLine::controllerOutlivesReopening()
{
    SimulatorLine line;
    QVERIFY(line.open(nullptr));
    QVERIFY(line.write(requestFrame(5, le16(333))));
    line.close();
    QVERIFY(line.open(nullptr));
    QVERIFY(line.write(requestFrame(4)));
    const QList<WireReply> replies = decodeReplies(line.readQueued());
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].u16(0), quint16(333));
}

void TestSimulatorLine::failureHook()
{
    SimulatorLine line;
    QVERIFY(line.open(nullptr));
    QSignalSpy failed(&line, &SerialLine::failed);
    line.simulateFailure(QStringLiteral("unplugged"));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed[0][0].toString(), QStringLiteral("unplugged"));
    QVERIFY(!line.isOpen());
    QVERIFY(!line.write(requestFrame(1)));
    QVERIFY(line.readQueued().isEmpty());
    line.simulateFailure(QStringLiteral("again"));
    QCOMPARE(failed.size(), 1);
    QString error;
    QVERIFY(!line.open(&error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestSimulatorLine)
#include "tst_simulatorline.moc"
