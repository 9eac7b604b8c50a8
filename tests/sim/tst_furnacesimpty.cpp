// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/sim/simwire.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

// zkv-furnace-sim end to end: the program started as the console's user would, its
// pseudo-terminal opened through QSerialPort, requests answered, switches obeyed, a clean exit
// on SIGTERM.

namespace
{

/// The simulator program, started and (whatever happens) stopped again.
class SimProcess
{
public:
    ~SimProcess()
    {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.kill();
            m_proc.waitForFinished(5000);
        }
    }

    /// Starts the program and reads the device path from its first line.
    bool start(const QStringList &args)
    {
        m_proc.setProgram(QStringLiteral(ZKV_FURNACE_SIM_PATH));
        m_proc.setArguments(args);
        m_proc.start();
        if (!m_proc.waitForStarted(10000))
            return false;
        QElapsedTimer t;
        t.start();
        while (!m_proc.canReadLine() && t.elapsed() < 10000 && m_proc.state() == QProcess::Running)
            m_proc.waitForReadyRead(100);
        if (!m_proc.canReadLine())
            return false;
        device = QString::fromLocal8Bit(m_proc.readLine()).trimmed();
        return !device.isEmpty();
    }

    /// CPU time the program has used, in clock ticks.
    qint64 cpuTicks() const
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(m_proc.processId()));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13)
            return -1;
        return fields[11].toLongLong() + fields[12].toLongLong(); // utime + stime
    }

    QProcess &process() { return m_proc; }
    QString device;

private:
    QProcess m_proc;
};

bool openPort(QSerialPort &port, const QString &name)
{
    port.setPortName(name);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::TwoStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.clear();
    return true;
}

/// Sends `request` and collects what comes back until a good frame is complete or `waitMs`
/// have passed.
QByteArray exchange(QSerialPort &port, const QByteArray &request, int waitMs)
{
    port.write(request);
    port.waitForBytesWritten(1000);
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < waitMs && decodeReplies(got).isEmpty()) {
        if (port.waitForReadyRead(20))
            got += port.readAll();
    }
    return got + port.readAll();
}

} // namespace

class TestFurnaceSimPty : public QObject
{
    Q_OBJECT

private slots:
    void servesLinkedTerminalAndExitsOnSigterm();
    void switches_data();
    void switches();
    void badOptionRefused_data();
    void badOptionRefused();
    void existingFileIsNotReplacedByLink();
};

void TestFurnaceSimPty::servesLinkedTerminalAndExitsOnSigterm()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("furnace"));
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--link"), link}));
    QVERIFY(sim.device.startsWith(QStringLiteral("/dev/")));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device);

    {
        QSerialPort port;
        QVERIFY2(openPort(port, link), qPrintable(port.errorString()));
        const QList<WireReply> replies = decodeReplies(exchange(port, requestFrame(1), 5000));
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies[0].type, quint8(1));
        QCOMPARE(replies[0].payload, bytes({13, 1, 5}));
    }

    // The console has let go of the terminal: the simulator waits without spinning.
    const qint64 before = sim.cpuTicks();
    QTest::qWait(600);
    const qint64 used = sim.cpuTicks() - before;
    QVERIFY(before >= 0);
    QVERIFY2(used <= 15, qPrintable(QStringLiteral("%1 ticks in 0.6 s").arg(used)));

    {
        QSerialPort port;
        QVERIFY2(openPort(port, sim.device), qPrintable(port.errorString()));
        const QList<WireReply> replies = decodeReplies(exchange(port, requestFrame(99), 5000));
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies[0].payload, bytes({0, 0, 0}));
    }

    sim.process().terminate();
    QVERIFY(sim.process().waitForFinished(10000));
    QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).exists() && !QFileInfo(link).isSymLink());
}

void TestFurnaceSimPty::switches_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("replyType"); // -1: no good frame expected
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("bytesArrive"); // something comes back, good or not
    QTest::addColumn<int>("minMs");

    QTest::newRow("--model 7") << QStringList{"--model", "7"} << 1 << QByteArray() << 1
                               << bytes({7, 1, 5}) << true << 0;
    QTest::newRow("--firmware 2.10 --long-identify")
        << QStringList{"--firmware", "2.10", "--long-identify"} << 1 << QByteArray() << 1
        << bytes({13, 2, 10, 2, 0xFF, 0x11}) << true << 0;
    QTest::newRow("--no-reply") << QStringList{"--no-reply"} << 1 << QByteArray() << -1
                                << QByteArray() << false << 0;
    QTest::newRow("--bad-checksum")
        << QStringList{"--bad-checksum"} << 1 << QByteArray() << -1 << QByteArray() << true << 0;
    QTest::newRow("--wrong-length") << QStringList{"--wrong-length"} << 1 << QByteArray() << 1
                                    << bytes({13, 1, 5, 0}) << true << 0;
    QTest::newRow("--wrong-type 77") << QStringList{"--wrong-type", "77"} << 1 << QByteArray() << 77
                                     << bytes({13, 1, 5}) << true << 0;
    QTest::newRow("--fault 12") << QStringList{"--fault", "12"} << 99 << QByteArray() << 99
                                << bytes({26, 12, 0}) << true << 0;
    QTest::newRow("--delay 300") << QStringList{"--delay", "300"} << 1 << QByteArray() << 1
                                 << bytes({13, 1, 5}) << true << 285;
    QTest::newRow("--refuse-transfer") << QStringList{"--refuse-transfer"} << 9
                                       << le16(0x100) + "ab" << 9 << bytes({0}) << true << 0;
    // An aged furnace at rest: only the thermocouple's offset shows at once (24 °C read as 39).
    QTest::newRow("--thermocouple-offset 15 --heater-power 85 --vacuum-leak 0.5")
        << QStringList{"--thermocouple-offset", "15", "--heater-power", "85",
                       "--vacuum-leak",         "0.5"}
        << 3 << QByteArray() << 3 << bytes({39, 0, 0, 3, 0}) << true << 0;
    QByteArray block(38, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(0xA0 + i);
    QTest::newRow("--service-block")
        << QStringList{"--service-block", QString::fromLatin1(block.toHex(' '))} << 51
        << QByteArray() << 51 << block << true << 0;
}

void TestFurnaceSimPty::switches()
{
    QFETCH(QStringList, args);
    QFETCH(int, type);
    QFETCH(QByteArray, payload);
    QFETCH(int, replyType);
    QFETCH(QByteArray, reply);
    QFETCH(bool, bytesArrive);
    QFETCH(int, minMs);

    SimProcess sim;
    QVERIFY(sim.start(args));
    QSerialPort port;
    QVERIFY2(openPort(port, sim.device), qPrintable(port.errorString()));

    QElapsedTimer t;
    t.start();
    const QByteArray wire =
        exchange(port, requestFrame(quint8(type), payload), replyType < 0 ? 1000 : 5000);
    const QList<WireReply> replies = decodeReplies(wire);
    QCOMPARE(!wire.isEmpty(), bytesArrive);
    if (replyType < 0) {
        QVERIFY(replies.isEmpty());
        return;
    }
    QVERIFY(t.elapsed() >= minMs);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(int(replies[0].type), replyType);
    QCOMPARE(replies[0].payload, reply);
}

void TestFurnaceSimPty::badOptionRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("speed not a number") << QStringList{"--speed", "fast"};
    QTest::newRow("model above 255") << QStringList{"--model", "300"};
    QTest::newRow("fault-after without fault") << QStringList{"--fault-after", "10"};
    QTest::newRow("firmware without minor") << QStringList{"--firmware", "1"};
    QTest::newRow("stray argument") << QStringList{"ttyS0"};
    QTest::newRow("heater power above 100") << QStringList{"--heater-power", "120"};
    QTest::newRow("vacuum leak of 1") << QStringList{"--vacuum-leak", "1"};
    QTest::newRow("thermocouple offset not a number")
        << QStringList{"--thermocouple-offset", "hot"};
    QTest::newRow("service block one byte short")
        << QStringList{"--service-block", QString(74, QLatin1Char('0'))};
    QTest::newRow("service block not hex")
        << QStringList{"--service-block", QString(75, QLatin1Char('0')) + QLatin1Char('g')};
}

void TestFurnaceSimPty::badOptionRefused()
{
    QFETCH(QStringList, args);
    QProcess proc;
    proc.start(QStringLiteral(ZKV_FURNACE_SIM_PATH), args);
    QVERIFY(proc.waitForFinished(10000));
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 2);
    QVERIFY(proc.readAllStandardOutput().isEmpty());
    QVERIFY(!proc.readAllStandardError().isEmpty());
}

void TestFurnaceSimPty::existingFileIsNotReplacedByLink()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("mine");
    file.close();

    QProcess proc;
    proc.start(QStringLiteral(ZKV_FURNACE_SIM_PATH), {QStringLiteral("--link"), path});
    QVERIFY(proc.waitForFinished(10000));
    QCOMPARE(proc.exitCode(), 1);
    QVERIFY(!QFileInfo(path).isSymLink());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("mine"));
}

QTEST_GUILESS_MAIN(TestFurnaceSimPty)
#include "tst_furnacesimpty.moc"
