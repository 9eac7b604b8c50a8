// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line, run as a user would: with no display at all.

#include <QProcess>
#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void withoutDisplay_data();
    void withoutDisplay();
};

void TestCommandLine::withoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("toStdout"); // where the text goes; else standard error
    QTest::addColumn<QStringList>("says");
    const QStringList usage{"Usage:", "--port <DEVICE>", "--open <FILE>", "--record-dir <DIR>"};
    QTest::newRow("--help") << QStringList{"--help"} << 0 << true << usage;
    QTest::newRow("--version") << QStringList{"--version"} << 0 << true
                               << QStringList{"zkv-console " ZKV_VERSION};
    QTest::newRow("Qt's own options pass")
        << QStringList{"-platform", "xcb", "--version"} << 0 << true << QStringList{ZKV_VERSION};
    QTest::newRow("unknown option")
        << QStringList{"--bogus"} << 2 << false << (QStringList{"Unknown option 'bogus'"} + usage);
    QTest::newRow("missing value") << QStringList{"--port"} << 2 << false
                                   << (QStringList{"Missing value after '--port'"} + usage);
    QTest::newRow("empty record folder") << QStringList{"--record-dir", ""} << 2 << false
                                         << (QStringList{"--record-dir takes a folder"} + usage);
    QTest::newRow("bad speed") << QStringList{"--sim-speed", "fast"} << 2 << false
                               << (QStringList{"--sim-speed takes a factor"} + usage);
    QTest::newRow("speed not a number") << QStringList{"--sim-speed", "nan"} << 2 << false
                                        << (QStringList{"--sim-speed takes a factor"} + usage);
    QTest::newRow("empty port") << QStringList{"--port", ""} << 2 << false
                                << (QStringList{"--port takes a device"} + usage);
}

void TestCommandLine::withoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(bool, toStdout);
    QFETCH(QStringList, says);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess console;
    console.setProcessEnvironment(env);
    console.start(QStringLiteral(ZKV_CONSOLE_PATH), arguments);
    QVERIFY(console.waitForFinished(20000));
    QCOMPARE(console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(console.exitCode(), status);
    const QString out = QString::fromLocal8Bit(console.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(console.readAllStandardError());
    for (const QString &text : says)
        QVERIFY2((toStdout ? out : err).contains(text), qPrintable(out + err));
    QVERIFY2(!(toStdout ? err : out).contains(QStringLiteral("Usage:")), qPrintable(out + err));
}

QTEST_GUILESS_MAIN(TestCommandLine)

#include "tst_commandline.moc"
