// SPDX-License-Identifier: GPL-3.0-or-later
// The furnace's health on the simulator: one furnace fired again and again as the console fires
// it (a reading every 0.8 s, a degree of noise, idle times between firings that vary), each
// firing sealed into the logbook, which measures its figures and flags what drifted. An element
// that weakens is named within two firings, a leak is named as the vacuum and not the heating,
// and a healthy furnace is never flagged.

#include "library/progparam.h"
#include "link/programencoding.h"
#include "logbook/logbookdb.h"
#include "sim/furnacecontroller.h"
#include "tests/sim/simwire.h"
#include "tests/support/samplefiring.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QDateTime Base(QDate(2026, 6, 1), QTime(8, 0));

ProgParam standardRecord()
{
    // Drying with the table open, then 600 -> 930 °C at 55 °C/min, a minute's hold, vacuum from
    // 650 °C on the ramp.
    ProgParam p = RecordOf(
        {450, 2, 50, 1, 500, 1, 100, 1, 600, 1, 930, 55, 60, 800, 2, 1, 600, 1, 650, 0}, 0);
    p.ProgNumber = 1;
    return p;
}

/// One furnace and its logbook.
class Laboratory
{
public:
    Laboratory()
    {
        freezeClock(m_furnace);
        m_db.open(m_dir.filePath(QStringLiteral("logbook.sqlite")), LogbookDb::Access::ReadWrite);
    }
    LogbookDb &db() { return m_db; }
    FurnaceController &furnace() { return m_furnace; }

    /// Fires the standard program as the console does; the flags its seal raised.
    QList<DriftFlag> fire()
    {
        // The furnace stood idle for a while since the last firing.
        m_furnace.advance(300 + m_random.bounded(1500));
        FiringFacts facts;
        facts.massName = QStringLiteral("Dentine");
        facts.layerName = QStringLiteral("Dentine 1");
        facts.record = standardRecord();
        facts.port = QStringLiteral("/dev/ttyUSB0");
        facts.host = QStringLiteral("lab");
        facts.furnaceModel = QStringLiteral("ZKV4.6");
        const QDateTime start = Base.addSecs(7200 * m_firings++);
        FiringRecord record;
        record.start(facts, start);
        QByteArray program(ProgramPayloadSize, '\0');
        BuildProgramPayload(facts.record, reinterpret_cast<quint8 *>(program.data()));
        ask(m_furnace, 62, program);
        // Polls come every 0.8 s, not in step with the controller's own clock.
        double t = m_random.bounded(0.8);
        m_furnace.advance(t);
        for (; t < 4 * 3600; t += 0.8) {
            const WireReply status = ask(m_furnace, 3);
            TraceSample s;
            s.Seconds = t;
            s.WallClock = start.addMSecs(qint64(t * 1000));
            s.ChamberTemp = quint16(status.u16(0) + m_random.bounded(3) - 1);
            s.Vacuum = status.byte(2);
            s.ChamberStatus = status.byte(3);
            s.CurrentZone = status.byte(4) & 0x1F;
            s.ZoneTime = ask(m_furnace, 56).u16(0);
            s.ControllerMode = ask(m_furnace, 99).byte(0);
            record.trace().add(s);
            if (s.CurrentZone == 19 || s.ControllerMode != 32)
                break;
            m_furnace.advance(0.8);
        }
        record.addEvent(record.trace().samples().constLast().CurrentZone == 19
                            ? RecordEventKind::Finished
                            : RecordEventKind::Interrupted,
                        start.addSecs(qint64(t)));
        ask(m_furnace, 2); // the console's stop after the end
        EntryProgress progress;
        if (!m_db.sync(record, progress))
            qWarning() << "not sealed:" << m_db.error();
        return progress.flags;
    }

private:
    QTemporaryDir m_dir;
    LogbookDb m_db;
    FurnaceController m_furnace;
    QRandomGenerator m_random{20261210};
    int m_firings = 0;
};

QStringList figuresOf(const QList<DriftFlag> &flags)
{
    QStringList names;
    for (const DriftFlag &f : flags)
        names << HealthFigureName(f.figure);
    return names;
}

} // namespace

class TestFurnaceHealth : public QObject
{
    Q_OBJECT
private slots:
    void healthyFurnaceIsNeverFlagged();
    void agedFurnaceIsNamed_data();
    void agedFurnaceIsNamed();
};

void TestFurnaceHealth::healthyFurnaceIsNeverFlagged()
{
    Laboratory lab;
    int flagged = 0;
    for (int i = 0; i < 30; ++i) {
        const QList<DriftFlag> flags = lab.fire();
        flagged += int(flags.size());
        if (!flags.isEmpty())
            qWarning() << "firing" << i + 1 << DriftMessage(flags[0], 1);
    }
    QCOMPARE(flagged, 0);
    QCOMPARE(lab.db()
                 .healthPoints(FurnaceKey(QStringLiteral("lab"), QStringLiteral("/dev/ttyUSB0"),
                                          QStringLiteral("ZKV4.6")),
                               0, Base.addYears(1).toMSecsSinceEpoch())
                 .size(),
             30);
    QVERIFY(lab.db().verify().holds());
}

void TestFurnaceHealth::agedFurnaceIsNamed_data()
{
    QTest::addColumn<double>("heaterPower");
    QTest::addColumn<double>("leak");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("check");
    QTest::newRow("a weaker heating element") << 85.0 << 0.0 << "heating"
                                              << "heating element";
    QTest::newRow("a vacuum leak") << 100.0 << 0.5 << "vacuum"
                                   << "vacuum pump";
}

void TestFurnaceHealth::agedFurnaceIsNamed()
{
    QFETCH(double, heaterPower);
    QFETCH(double, leak);
    QFETCH(QString, named);
    QFETCH(QString, check);
    Laboratory lab;
    for (int i = 0; i < 10; ++i)
        QVERIFY(lab.fire().isEmpty());
    lab.furnace().setAgeing({heaterPower, leak, 0});
    QList<DriftFlag> flags = lab.fire();
    if (flags.isEmpty())
        flags = lab.fire();
    // Named, and nothing else named with it.
    QCOMPARE(figuresOf(flags), QStringList{named});
    QVERIFY2(DriftMessage(flags[0], 1).contains(check), qPrintable(DriftMessage(flags[0], 1)));
    QVERIFY(!DriftMessage(flags[0], 0).isEmpty());
}

QTEST_GUILESS_MAIN(TestFurnaceHealth)
#include "tst_furnacehealth.moc"
