// SPDX-License-Identifier: GPL-3.0-or-later
// The run panel's figures at a fixed time of day, and the split of the parameter groups into
// columns.

#include "app/columnsplit.h"
#include "app/runfigures.h"
#include "tests/support/samplefiring.h"

#include <QTest>

Q_DECLARE_METATYPE(RunOutcome)

namespace
{

const QDateTime Now(QDate(2026, 3, 7), QTime(14, 15, 0));

} // namespace

class TestRunFigures : public QObject
{
    Q_OBJECT
private slots:
    void beforeAnyRun();
    void figures_data();
    void figures();
    void columnSplit_data();
    void columnSplit();
};

void TestRunFigures::beforeAnyRun()
{
    const RunFigures f = ComputeRunFigures({}, Now, 1);
    QCOMPARE(f.headline, QStringLiteral("No program started yet"));
    QVERIFY(f.step.isEmpty() && f.elapsed.isEmpty() && f.endsAt.isEmpty());
    QCOMPARE(f.progress, -1);
}

void TestRunFigures::figures_data()
{
    QTest::addColumn<RunOutcome>("outcome");
    QTest::addColumn<quint8>("language");
    QTest::addColumn<int>("remaining"); // -1: not reported yet
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("texts"); // headline|step|remaining|ends at|elapsed
    QTest::addColumn<int>("progress");
    const QString heating = QStringLiteral("Heating chamber for T firing, 930°C at speed 55°C/min");
    const QString ran = QStringLiteral("|step 12 of 20|");
    // 23:05 elapsed and 17 min left: 1385 / (1385 + 1020).
    QTest::newRow("running") << RunOutcome::Running << quint8(1) << 17 << 1.0
                             << heating + ran + "17 min left|ends ≈ 14:32|elapsed 0:23:05" << 575;
    QTest::newRow("running, Russian")
        << RunOutcome::Running << quint8(0) << 17 << 1.0
        << "Нагрев камеры до Т обжига, 930°C со скоростью 55°C/мин|шаг 12 из 20|"
           "осталось 17 мин|окончание ≈ 14:32|прошло 0:23:05"
        << 575;
    // A simulator sixty times as fast ends in 17 s of real time.
    QTest::newRow("fast simulator")
        << RunOutcome::Running << quint8(1) << 17 << 60.0
        << heating + ran + "17 min left|ends ≈ 14:15|elapsed 0:23:05" << 575;
    QTest::newRow("remaining not reported yet") << RunOutcome::Running << quint8(1) << -1 << 1.0
                                                << heating + ran + "||elapsed 0:23:05" << -1;
    QTest::newRow("finished") << RunOutcome::Finished << quint8(1) << 0 << 1.0
                              << "Program finished at 14:40" + ran + "||elapsed 0:23:05" << 1000;
    QTest::newRow("aborted, Russian")
        << RunOutcome::Aborted << quint8(0) << 17 << 1.0
        << "Программа прервана в 14:40|шаг 12 из 20|||прошло 0:23:05" << 575;
    QTest::newRow("fault") << RunOutcome::Fault << quint8(1) << 17 << 1.0
                           << "Fault at 14:40: Overheating!" + ran + "||elapsed 0:23:05" << 575;
    // No time left, but the last step was not reached: never 100 %.
    QTest::newRow("fault with no time left")
        << RunOutcome::Fault << quint8(1) << 0 << 1.0
        << "Fault at 14:40: Overheating!" + ran + "||elapsed 0:23:05" << 999;
    QTest::newRow("interrupted, Russian")
        << RunOutcome::Interrupted << quint8(0) << 17 << 1.0
        << "Программа прекращена в 14:40: Overheating!|шаг 12 из 20|||прошло 0:23:05" << 575;
}

void TestRunFigures::figures()
{
    QFETCH(RunOutcome, outcome);
    QFETCH(quint8, language);
    QFETCH(int, remaining);
    QFETCH(double, scale);
    QFETCH(QString, texts);
    QFETCH(int, progress);
    const ProgParam record = SampleFiring();
    FiringTrace trace;
    trace.start(Now.addSecs(-1385));
    if (outcome != RunOutcome::Running)
        trace.finish(outcome, QDateTime(Now.date(), QTime(14, 40, 30)),
                     QStringLiteral("Overheating!"));
    RunPanelInput in;
    in.trace = &trace;
    in.elapsedSeconds = 1385.6;
    in.zone = 11;
    if (remaining >= 0)
        in.remainingMinutes = quint16(remaining);
    in.timeScale = scale;
    in.record = &record;
    const RunFigures f = ComputeRunFigures(in, Now, language);
    QCOMPARE(f.running, outcome == RunOutcome::Running);
    QCOMPARE((QStringList{f.headline, f.step, f.remaining, f.endsAt, f.elapsed}).join('|'), texts);
    QCOMPARE(f.progress, progress);
}

void TestRunFigures::columnSplit_data()
{
    QTest::addColumn<std::vector<int>>("heights");
    QTest::addColumn<int>("columns");
    QTest::addColumn<std::vector<int>>("starts");
    // The parameter groups of the main window (rows of 24 px, a 30 px frame each), spaced 6.
    const std::vector<int> groups{78, 126, 126, 102, 78, 54, 78, 102};
    QTest::newRow("four") << groups << 4 << std::vector<int>{0, 2, 4, 7};
    QTest::newRow("three") << groups << 3 << std::vector<int>{0, 2, 5};
    QTest::newRow("ties keep the first columns long")
        << std::vector<int>{10, 10, 10, 10} << 3 << std::vector<int>{0, 2, 3};
    QTest::newRow("fewer items than columns")
        << std::vector<int>{5, 5} << 4 << std::vector<int>{0, 1};
    QTest::newRow("nothing") << std::vector<int>{} << 4 << std::vector<int>{};
}

void TestRunFigures::columnSplit()
{
    QFETCH(std::vector<int>, heights);
    QFETCH(int, columns);
    QFETCH(std::vector<int>, starts);
    QCOMPARE(SplitIntoColumns(heights, columns, 6), starts);
}

QTEST_APPLESS_MAIN(TestRunFigures)
#include "tst_runfigures.moc"
