// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the furnace still runs the program the console started, from the controller's reports
// tick by tick; and when a silent furnace is reported in the log.

#include "app/runmonitor.h"
#include "app/runwatch.h"

#include <QTest>

Q_DECLARE_METATYPE(RunLoss)

namespace
{

/// Seconds of furnace time per tick in the scripts below (tick i comes at (i + 1) × this).
constexpr double TickSeconds = 60;

/// `token` repeated `n` times, separated by blanks.
QString times(int n, const char *token)
{
    QStringList list;
    for (int i = 0; i < n; ++i)
        list << QString::fromLatin1(token);
    return list.join(QLatin1Char(' '));
}

/// One tick of a script: "s" silent; "-" answered without a whole poll round; "I" the round of a
/// controller that runs nothing (mode 0, stage 0); "E" a controller in error (26); "C" in drive
/// calibration (16); "P<stage>[:<minutes left>]" running the program.
RunTick tickOf(const QString &token, int index)
{
    RunTick t;
    t.seconds = (index + 1) * TickSeconds;
    t.answered = token != QLatin1String("s");
    const auto round = [&t](quint8 mode, quint8 stage) {
        t.controllerMode = mode;
        t.stageByte = stage;
    };
    if (token == QLatin1String("I"))
        round(0, 0);
    else if (token == QLatin1String("E"))
        round(26, 0);
    else if (token == QLatin1String("C"))
        round(16, 0);
    else if (token.startsWith(QLatin1Char('P'))) {
        const QStringList parts = token.mid(1).split(QLatin1Char(':'));
        round(32, quint8(parts[0].toUInt()));
        if (parts.size() > 1)
            t.remainingMinutes = quint16(parts[1].toUInt());
    }
    return t;
}

} // namespace

class TestRunWatch : public QObject
{
    Q_OBJECT
private slots:
    void verdicts_data();
    void verdicts();
    void silenceReportedOncePerSilence_data();
    void silenceReportedOncePerSilence();
};

void TestRunWatch::verdicts_data()
{
    QTest::addColumn<double>("planned"); // seconds
    QTest::addColumn<QString>("script");
    QTest::addColumn<RunLoss>("loss");
    QTest::addColumn<int>("at");      // index of the tick that ends the run; -1: none does
    QTest::addColumn<int>("zone");    // step last seen running
    QTest::addColumn<int>("minutes"); // minutes left last seen running; -1: none

    // Rounds answered before the program went out report no program; they do not end the run.
    QTest::newRow("restart after the program ran")
        << 3000.0 << "I I P0 P3:20 P5:18 I" << RunLoss::NoLongerRunning << 5 << 5 << 18;
    QTest::newRow("a service mode is no program either")
        << 3000.0 << "P7:12 C" << RunLoss::NoLongerRunning << 1 << 7 << 12;
    QTest::newRow("taken on the last round allowed")
        << 3000.0 << "I I I I P0 P1 I" << RunLoss::NoLongerRunning << 6 << 1 << -1;
    QTest::newRow("never taken") << 3000.0 << "I I I I I" << RunLoss::NotStarted << 4 << 0 << -1;
    QTest::newRow("only whole rounds count")
        << 3000.0 << times(8, "-") + " I I I I I" << RunLoss::NotStarted << 12 << 0 << -1;
    QTest::newRow("a fault keeps its step for the fault report")
        << 3000.0 << "P3:20 P11:9 E E E E E E" << RunLoss::None << -1 << 11 << 9;
    QTest::newRow("the last step is still the program")
        << 3000.0 << "P18:1 P19:0 P19:0" << RunLoss::None << -1 << 19 << 0;
    // 20 min left when last heard: 20 min and 10 min more (the margin) of silence are allowed.
    QTest::newRow("silent as long as allowed")
        << 3000.0 << "P3:20 " + times(30, "s") << RunLoss::None << -1 << 3 << 20;
    QTest::newRow("silent longer than the program could last")
        << 3000.0 << "P3:20 " + times(31, "s") << RunLoss::SilentTooLong << 31 << 3 << 20;
    // An hour left: half again as much on top.
    QTest::newRow("a long rest allows half again")
        << 3000.0 << "P3:60 " + times(90, "s") << RunLoss::None << -1 << 3 << 60;
    QTest::newRow("an answer restarts the silence")
        << 3000.0 << "P3:20 " + times(25, "s") + " P4:19 " + times(25, "s") << RunLoss::None << -1
        << 4 << 19;
    // Nothing heard at all: the plan's 50 minutes and 25 more.
    QTest::newRow("silent from the start, by the plan")
        << 3000.0 << times(76, "s") << RunLoss::SilentTooLong << 75 << 0 << -1;
}

void TestRunWatch::verdicts()
{
    QFETCH(double, planned);
    QFETCH(QString, script);
    QFETCH(RunLoss, loss);
    QFETCH(int, at);
    QFETCH(int, zone);
    QFETCH(int, minutes);
    RunWatch watch;
    watch.start(planned);
    const QStringList tokens = script.split(QLatin1Char(' '));
    int ended = -1;
    RunLoss found = RunLoss::None;
    for (int i = 0; i < tokens.size() && ended < 0; ++i) {
        found = watch.tick(tickOf(tokens[i], i));
        if (found != RunLoss::None)
            ended = i;
    }
    QCOMPARE(found, loss);
    QCOMPARE(ended, at);
    QCOMPARE(watch.zone(), zone);
    QCOMPARE(watch.remainingMinutes().value_or(quint16(0xFFFF)),
             minutes < 0 ? quint16(0xFFFF) : quint16(minutes));
    // A fresh start forgets the previous run.
    watch.start(planned);
    QVERIFY(!watch.programSeen() && !watch.remainingMinutes() && watch.zone() == 0);
}

void TestRunWatch::silenceReportedOncePerSilence_data()
{
    QTest::addColumn<QString>("ticks");    // s silent, a answered
    QTest::addColumn<QString>("reported"); // 1 where the tick is reported
    QTest::newRow("a port where nothing answers") << "sssss"
                                                  << "10000";
    QTest::newRow("answered, then silent") << "aasss"
                                           << "00100";
    QTest::newRow("a flaky line: one line") << "saasaasaas"
                                            << "1000000000";
    QTest::newRow("silent again after a steady answer") << "saaaaas"
                                                        << "1000001";
}

void TestRunWatch::silenceReportedOncePerSilence()
{
    QFETCH(QString, ticks);
    QFETCH(QString, reported);
    SilenceNotice notice;
    QString got;
    for (QChar c : ticks)
        got += notice.tick(c == QLatin1Char('s')) ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(got, reported);
}

QTEST_GUILESS_MAIN(TestRunWatch)
#include "tst_runwatch.moc"
