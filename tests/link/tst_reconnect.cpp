// SPDX-License-Identifier: GPL-3.0-or-later
// A line that fails and comes back: what the link does while it is down, and reopening it.

#include "link/link.h"
#include "link/portreconnector.h"
#include "tests/support/fakeline.h"

#include <QSignalSpy>
#include <QTest>

namespace
{

/// Answers every request written to `fake` with an empty reply of its type and returns the
/// types in the order they went out.
QList<int> serveRequests(Link &link, FakeLine &fake, int passes)
{
    QList<int> types;
    for (int i = 0; i < passes; ++i) {
        fake.written.clear();
        link.runPass();
        if (fake.written.size() >= 3) {
            const quint8 type = quint8(fake.written[2]);
            types.append(type);
            fake.incoming.append(EncodeFrame(1, type, nullptr, 0));
            link.runPass();
        }
    }
    return types;
}

} // namespace

class TestReconnect : public QObject
{
    Q_OBJECT
private slots:
    void requestsWaitWhileTheLineIsDown();
    void reconnectorRetriesAndLogsOnlyNewReasons();
};

void TestReconnect::requestsWaitWhileTheLineIsDown()
{
    Link link;
    link.setManualPasses(true);
    auto owned = std::make_unique<FakeLine>();
    FakeLine &fake = *owned;
    QVERIFY(link.open(std::move(owned), nullptr));
    QVERIFY(!link.reopen(nullptr)); // nothing to reopen while the line works

    // A request is out and the user aborts a firing when the adapter goes.
    link.request(RequestKind::Identify);
    link.runPass();
    QVERIFY(link.requests().ReplyAwaited);
    link.request(RequestKind::Stop);
    QSignalSpy failed(&link, &Link::portFailed);
    fake.failNow(QStringLiteral("Input/output error"), LineFault::Disconnected);
    QCOMPARE(failed.size(), 1);
    QVERIFY(link.lineDown());
    QCOMPARE(link.lineFault(), LineFault::Disconnected);

    // Every tick is a time-out; nothing is sent, nothing pending is lost, no polls are raised.
    fake.written.clear();
    for (quint32 tick = 1; tick <= 3; ++tick) {
        const WatchdogResult result = link.watchdogTick(false);
        QVERIFY(result.timedOut);
        QVERIFY(!result.transferCancelled);
        QCOMPARE(link.requests().NoReplyCount, tick);
        for (int i = 0; i < 5; ++i)
            link.runPass();
    }
    QVERIFY(fake.written.isEmpty());
    QVERIFY(link.requests().Pending.isSet(RequestKind::Stop));
    QVERIFY(!link.requests().Pending.isSet(RequestKind::Status));

    // Still gone: the reason is kept.
    fake.openResult = false;
    fake.openFault = LineFault::NotFound;
    QString error;
    QVERIFY(!link.reopen(&error));
    QVERIFY(link.lineDown());
    QCOMPARE(link.lineFault(), LineFault::NotFound);
    QCOMPARE(error, fake.openError);

    // Back: queues purged, the poll set goes out, then the stop the user asked for.
    fake.openResult = true;
    const int purges = fake.purges;
    QVERIFY(link.reopen(nullptr));
    QVERIFY(!link.lineDown());
    QCOMPARE(fake.purges, purges + 1);
    QVERIFY(!link.requests().ReplyAwaited);
    const QList<int> sent = serveRequests(link, fake, 12);
    QCOMPARE(sent, (QList<int>{15, 1, 56, 72, 4, 99, 3, 2}));
}

void TestReconnect::reconnectorRetriesAndLogsOnlyNewReasons()
{
    Link link;
    link.setManualPasses(true);
    auto owned = std::make_unique<FakeLine>();
    FakeLine &fake = *owned;
    link.state().PortName = QStringLiteral("/dev/ttyUSB0");
    QVERIFY(link.open(std::move(owned), nullptr));
    quint8 language = 1;
    PortReconnector reconnector(link, [&language] { return language; });
    reconnector.setRetryInterval(10);
    QStringList lines;
    connect(&reconnector, &PortReconnector::logLine, this,
            [&lines](const QString &line) { lines << line; });
    QSignalSpy reopened(&reconnector, &PortReconnector::reopened);

    fake.openResult = false;
    fake.openFault = LineFault::NotFound;
    fake.failNow(QStringLiteral("Input/output error"), LineFault::Disconnected);
    QVERIFY(reconnector.active());
    // The same reason again and again is told once.
    QTRY_VERIFY(reconnector.attempts() >= 4);
    QCOMPARE(lines,
             QStringList{" Port /dev/ttyUSB0 can't be opened yet (the device is not there)."});
    fake.openFault = LineFault::Other;
    fake.openError = QStringLiteral("Resource busy");
    QTRY_COMPARE(lines.size(), 2);
    QCOMPARE(lines[1], QStringLiteral(" Port /dev/ttyUSB0 can't be opened yet (Resource busy)."));
    language = 0;
    fake.openFault = LineFault::Busy;
    QTRY_COMPARE(lines.size(), 3);
    QCOMPARE(lines[2], QStringLiteral(" Порт /dev/ttyUSB0 пока не открывается (устройство занято "
                                      "или нет доступа)."));

    fake.openResult = true;
    QTRY_COMPARE(reopened.size(), 1);
    QVERIFY(!reconnector.active());
    QVERIFY(!link.lineDown());
    QTest::qWait(50);
    QCOMPARE(reopened.size(), 1);

    // A closed link is not reopened.
    fake.failNow(QStringLiteral("gone"), LineFault::Disconnected);
    link.close();
    QTest::qWait(50);
    QVERIFY(!reconnector.active());
    QCOMPARE(reopened.size(), 1);
}

QTEST_GUILESS_MAIN(TestReconnect)
#include "tst_reconnect.moc"
