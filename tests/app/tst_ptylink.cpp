// SPDX-License-Identifier: GPL-3.0-or-later
// The console through the real serial-port code against zkv-furnace-sim on a pseudo-terminal.

#include "app/Unit1.h"
#include "link/link.h"
#include "tests/support/cputime.h"
#include "tests/support/furnacesimprocess.h"
#include "tests/support/scripteddialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestPtyLink : public QObject
{
    Q_OBJECT
private slots:
    void pollsAnsweredThenSimulatorKilled();
    void slowRepliesAroundTheWatchdog_data();
    void slowRepliesAroundTheWatchdog();
    void resumesWhenTheSimulatorComesBackAtItsLink();
};

void TestPtyLink::pollsAnsweredThenSimulatorKilled()
{
    QProcess sim;
    const QString device =
        StartFurnaceSim(sim, {QStringLiteral("--firmware"), QStringLiteral("2.07")});
    QVERIFY2(device.startsWith(QStringLiteral("/dev/")), qPrintable(device));

    ScriptedDialogs dialogs;
    ConsoleOptions options;
    options.port = device;
    dialogs.openAnswers << QString(); // no masses file at start
    TForm1 form(std::move(options), dialogs);
    auto *log = form.findChild<QPlainTextEdit *>(QStringLiteral("mMessage"));
    QVERIFY2(log->toPlainText().endsWith(QStringLiteral(" successfully opened.")),
             qPrintable(log->toPlainText()));
    QTRY_COMPARE_WITH_TIMEOUT(form.panel(0)->text(), QStringLiteral("ZKV 4.6 v:2.07"), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(
        form.findChild<QToolButton *>(QStringLiteral("sbTemperature"))->text() != "T=0000°C", 3000);
    QVERIFY(!form.findChild<QLabel *>(QStringLiteral("lblTime"))->text().startsWith("0:00:00"));

    // The furnace goes away.
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QTRY_COMPARE_WITH_TIMEOUT(form.panel(0)->text(), QStringLiteral("No furnace"), 4000);
    const double share = cpuShareWhileIdle(1000);
    QVERIFY2(share < 0.25, qPrintable(QString::number(share)));
    QVERIFY(form.isEnabled());
}

void TestPtyLink::slowRepliesAroundTheWatchdog_data()
{
    QTest::addColumn<int>("delay");
    QTest::addColumn<bool>("timeouts");
    QTest::newRow("just under 800 ms") << 720 << false;
    QTest::newRow("just over 800 ms") << 880 << true;
}

void TestPtyLink::slowRepliesAroundTheWatchdog()
{
    QFETCH(int, delay);
    QFETCH(bool, timeouts);
    QProcess sim;
    const QString device =
        StartFurnaceSim(sim, {QStringLiteral("--delay"), QString::number(delay)});
    QVERIFY(!device.isEmpty());
    ScriptedDialogs dialogs;
    ConsoleOptions options;
    options.port = device;
    dialogs.openAnswers << QString(); // no masses file at start
    TForm1 form(std::move(options), dialogs);
    auto *err = form.findChild<QLabel *>(QStringLiteral("lblPacketErr"));
    bool sawTimeout = false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 4000) {
        QTest::qWait(50);
        sawTimeout = sawTimeout || err->text() != QStringLiteral("PacketERR=0");
    }
    QCOMPARE(sawTimeout, timeouts);
    if (!timeouts)
        QTRY_COMPARE_WITH_TIMEOUT(form.panel(0)->text(), QStringLiteral("ZKV 4.6 v:1.05"), 6000);
    sim.terminate();
    sim.waitForFinished(5000);
}

void TestPtyLink::resumesWhenTheSimulatorComesBackAtItsLink()
{
    // The console opens a symbolic link; the simulator behind it goes away and a new one
    // appears at the same link, as a replugged adapter comes back under its udev name.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("furnace"));
    QProcess first;
    QVERIFY(!StartFurnaceSim(first, {QStringLiteral("--link"), path}).isEmpty());
    ScriptedDialogs dialogs;
    ConsoleOptions options;
    options.port = path;
    dialogs.openAnswers << QString(); // no masses file at start
    TForm1 form(std::move(options), dialogs);
    auto *log = form.findChild<QPlainTextEdit *>(QStringLiteral("mMessage"));
    QTRY_COMPARE_WITH_TIMEOUT(form.panel(0)->text(), QStringLiteral("ZKV 4.6 v:1.05"), 3000);

    first.terminate();
    QVERIFY(first.waitForFinished(5000));
    QTRY_COMPARE_WITH_TIMEOUT(form.panel(0)->text(), QStringLiteral("No furnace"), 3000);
    // Tries in vain meanwhile, and says so.
    QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().contains(QStringLiteral("can't be opened yet")),
                             3000);

    QProcess second;
    QVERIFY(!StartFurnaceSim(second, {QStringLiteral("--link"), path, QStringLiteral("--firmware"),
                                      QStringLiteral("2.07")})
                 .isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(form.panel(0)->text(), QStringLiteral("ZKV 4.6 v:2.07"), 3000);
    QCOMPARE(log->toPlainText().count(QStringLiteral(" successfully opened.")), 2);
    QTRY_COMPARE_WITH_TIMEOUT(form.findChild<QLabel *>(QStringLiteral("lblPacketErr"))->text(),
                              QStringLiteral("PacketERR=0"), 2000);
    second.terminate();
    second.waitForFinished(5000);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestPtyLink test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ptylink.moc"
