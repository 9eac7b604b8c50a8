// SPDX-License-Identifier: GPL-3.0-or-later
// The real serial line on a pseudo-terminal: opening, data both ways, a vanished peer.

#include "link/link.h"
#include "link/serialportline.h"
#include "tests/support/cputime.h"
#include "tests/support/testpty.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

class TestSerialPort : public QObject
{
    Q_OBJECT
private slots:
    void opensPseudoTerminal();
    void missingDeviceFails();
    void bytesTravelBothWays();
    void peerHangUpFailsOnceWithoutSpinning();
    void closingRunningLinkEndsPromptly();
    void dataTheDeviceDoesNotTakeFailsTheLine();
    void canOpenTellsFreeFromMissing();
};

void TestSerialPort::opensPseudoTerminal()
{
    TestPty pty;
    QVERIFY(pty.ok());
    SerialPortLine line(pty.slavePath);
    QString error;
    // The modem lines are refused by a pseudo-terminal; that must not fail the open.
    QVERIFY2(line.open(&error), qPrintable(error));
    QVERIFY(line.isOpen());
    line.close();
    QVERIFY(!line.isOpen());
}

void TestSerialPort::missingDeviceFails()
{
    SerialPortLine line(QStringLiteral("/dev/zkv-no-such-port"));
    QString error;
    QVERIFY(!line.open(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!line.isOpen());
}

void TestSerialPort::bytesTravelBothWays()
{
    TestPty pty;
    SerialPortLine line(pty.slavePath);
    QVERIFY(line.open(nullptr));
    QVERIFY(line.write(QByteArray("\xFF\x01\x03\x00\x04", 5)));
    QByteArray atFurnace;
    QTRY_VERIFY_WITH_TIMEOUT((atFurnace += pty.readAll()).size() >= 5, 2000);
    QCOMPARE(atFurnace, QByteArray("\xFF\x01\x03\x00\x04", 5));

    QVERIFY(pty.write(QByteArray("\xFF\x01\x02\x01\x00\x04", 6)));
    QByteArray atConsole;
    QTRY_VERIFY_WITH_TIMEOUT((atConsole += line.readQueued()).size() >= 6, 2000);
    QCOMPARE(atConsole, QByteArray("\xFF\x01\x02\x01\x00\x04", 6));
    // Nothing queued: nothing read, no waiting.
    QVERIFY(line.readQueued().isEmpty());
}

void TestSerialPort::peerHangUpFailsOnceWithoutSpinning()
{
    TestPty pty;
    SerialPortLine line(pty.slavePath);
    QVERIFY(line.open(nullptr));
    pty.closeSlave();
    QSignalSpy failed(&line, &SerialLine::failed);
    pty.hangUp();
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 3000);
    QVERIFY(!line.isOpen());
    QVERIFY(!line.write(QByteArray(1, 'x')));
    // Once failed the port is left alone: no error storm, no busy loop.
    const double share = cpuShareWhileIdle(1000);
    QVERIFY2(share < 0.2, qPrintable(QString::number(share)));
    QCOMPARE(failed.size(), 1);
}

void TestSerialPort::closingRunningLinkEndsPromptly()
{
    TestPty pty;
    Link link;
    QVERIFY(link.open(std::make_unique<SerialPortLine>(pty.slavePath), nullptr));
    QVERIFY(link.isRunning());
    // Closed while a request is out and its reply awaited.
    link.request(RequestKind::Status);
    QTRY_VERIFY_WITH_TIMEOUT(link.passes() > 0 && link.requests().ReplyAwaited, 2000);
    QElapsedTimer t;
    t.start();
    link.close();
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!link.isRunning());
    // The device is free again.
    QVERIFY(SerialPortLine::canOpen(pty.slavePath));
}

void TestSerialPort::dataTheDeviceDoesNotTakeFailsTheLine()
{
    // Nobody reads the other end: once the terminal's buffers are full the device takes no
    // more, and the line gives up instead of queueing without end.
    TestPty pty;
    SerialPortLine line(pty.slavePath);
    QVERIFY(line.open(nullptr));
    QSignalSpy failed(&line, &SerialLine::failed);
    const QByteArray chunk(1024, 'x');
    bool refused = false;
    QElapsedTimer t;
    t.start();
    while (!refused && t.elapsed() < 10000) {
        refused = !line.write(chunk);
        QCoreApplication::processEvents();
    }
    QVERIFY(refused);
    QCOMPARE(failed.size(), 1);
    QVERIFY(!line.isOpen());
    QVERIFY(!line.write(chunk));
    QCOMPARE(failed.size(), 1);
}

void TestSerialPort::canOpenTellsFreeFromMissing()
{
    TestPty pty;
    QVERIFY(SerialPortLine::canOpen(pty.slavePath));
    QVERIFY(!SerialPortLine::canOpen(QStringLiteral("/dev/zkv-no-such-port")));
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
