// SPDX-License-Identifier: GPL-3.0-or-later
// The record of a firing (its events and their rules) and its CSV file, by value.

#include "app/recordcsv.h"
#include "app/recordformat.h"
#include "logbook/firingrecord.h"
#include "tests/support/samplefiring.h"

#include <QTemporaryDir>
#include <QTest>

namespace
{

const QDateTime Start(QDate(2026, 3, 7), QTime(10, 15, 2));

FiringRecord sampleRecord()
{
    FiringFacts facts;
    facts.massName = QStringLiteral("Dentine, \"A2\"");
    facts.layerName = QStringLiteral("Glaze/Stain 1");
    facts.record = SampleFiring();
    facts.record.ProgNumber = 7;
    facts.port = QStringLiteral("/dev/ttyUSB0");
    FiringRecord record;
    record.start(facts, Start);
    record.noteFurnace(QStringLiteral("ZKV4.6"), 1, 2);
    TraceSample s;
    s.Seconds = 12.54;
    s.WallClock = Start.addSecs(13);
    s.CurrentZone = 3;
    s.ZoneTime = 5;
    s.StageText = QStringLiteral("Holding 2 min at T predrying, 400°C");
    s.ChamberTemp = 401;
    s.Vacuum = 0;
    s.ChamberStatus = 3;
    s.ControllerMode = 32;
    record.trace().add(s);
    return record;
}

} // namespace

class TestFiringRecord : public QObject
{
    Q_OBJECT
private slots:
    void eventsFollowTheLink();
    void csvByValue();
    void fileNames();
};

void TestFiringRecord::eventsFollowTheLink()
{
    FiringRecord record;
    record.addEvent(RecordEventKind::LinkLost, Start); // no record yet: nothing
    QVERIFY(!record.exists());

    record = sampleRecord();
    record.addEvent(RecordEventKind::LinkBack, Start.addSecs(1)); // not lost: nothing
    for (int i = 2; i < 5; ++i)                                   // every silent tick reports
        record.addEvent(RecordEventKind::LinkLost, Start.addSecs(i));
    record.addEvent(RecordEventKind::LinkBack, Start.addSecs(6));
    record.addEvent(RecordEventKind::LinkBack, Start.addSecs(7));
    record.addEvent(RecordEventKind::Fault, Start.addSecs(9), QStringLiteral("Overheating!"));
    record.addEvent(RecordEventKind::Abort, Start.addSecs(10)); // after the end: nothing
    record.addEvent(RecordEventKind::LinkLost, Start.addSecs(11));

    QList<RecordEventKind> kinds;
    for (const RecordEvent &e : record.events())
        kinds << e.kind;
    QCOMPARE(kinds, (QList<RecordEventKind>{RecordEventKind::Start, RecordEventKind::LinkLost,
                                            RecordEventKind::LinkBack, RecordEventKind::Fault}));
    QCOMPARE(record.events()[1].when, Start.addSecs(2));
    QCOMPARE(record.trace().outcome(), RunOutcome::Fault);
    QCOMPARE(record.trace().endedAt(), Start.addSecs(9));
    QCOMPARE(OutcomeText(record.trace(), 1), QStringLiteral("Fault: Overheating!"));

    // A link that flaps all day fills the list only so far; the end is always kept.
    record = sampleRecord();
    for (int i = 0; i < FiringRecord::MaxEvents; ++i) {
        record.addEvent(RecordEventKind::LinkLost, Start.addSecs(2 * i));
        record.addEvent(RecordEventKind::LinkBack, Start.addSecs(2 * i + 1));
    }
    record.addEvent(RecordEventKind::Finished, Start.addSecs(3 * FiringRecord::MaxEvents));
    QCOMPARE(record.events().size(), FiringRecord::MaxEvents + 1);
    QCOMPARE(record.events().constLast().kind, RecordEventKind::Finished);
    QCOMPARE(record.droppedEvents(), FiringRecord::MaxEvents + 1);
}

void TestFiringRecord::csvByValue()
{
    FiringRecord record = sampleRecord();
    record.addEvent(RecordEventKind::Fault, Start.addSecs(95), QStringLiteral("Overheating!"));
    const QByteArray bytes = RecordCsv::Encode(record, 1, QStringLiteral("ZKV4.6 CONSOLE 1.0.0"));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.constLast(), QString()); // every line ends with CR LF
    QCOMPARE(lines[0], QStringLiteral("# Firing record,ZKV4.6 CONSOLE 1.0.0"));
    for (const char *line :
         {"# Furnace,ZKV4.6 v:1.02", "# Mass,\"Dentine, \"\"A2\"\"\"", "# Layer,Glaze/Stain 1",
          "# Start,2026-03-07 10:15:02", "# End,2026-03-07 10:16:37", "# Duration,0:01:35",
          "# Outcome,Fault: Overheating!", "# Parameters,DryLevel,30,%,Drying: Level",
          "# Parameters,HeatRate,55,°C/min,Heating: Speed",
          "# Parameters,FiringTime,60,sec,Heating: Firing",
          "# Parameters,VacOff,920,°C,Vacuum: Off", "# Parameters,ProgNumber,7,,Program number",
          "# Events,2026-03-07 10:16:37,Fault: Overheating!"})
        QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
    // A name a spreadsheet would run as a formula is only text.
    QCOMPARE(RecordCsv::Name(QStringLiteral("=HYPERLINK(\"x\")")),
             QStringLiteral("'=HYPERLINK(\"x\")"));
    QCOMPARE(RecordCsv::Name(QStringLiteral("A-2")), QStringLiteral("A-2"));
    const qsizetype header = lines.indexOf(QString::fromUtf8(RecordCsv::Header));
    QVERIFY(header > 0);
    QCOMPARE(lines.size(), header + 3); // header, one sample, the empty rest
    QCOMPARE(
        lines[header + 1],
        QStringLiteral("12.5,10:15:15,3,5,\"Holding 2 min at T predrying, 400°C\",401,0,3,32"));
    for (qsizetype i = 0; i < header; ++i)
        QVERIFY2(lines[i].startsWith(QStringLiteral("# ")), qPrintable(lines[i]));
    // Twenty parameters, VacOffByTime and ProgNumber.
    QCOMPARE(lines.filter(QStringLiteral("# Parameters,")).size(), 22);

    // In Russian, with a vacuum-off time: the units follow.
    FiringRecord byTime = sampleRecord();
    FiringFacts facts = byTime.facts();
    facts.record.VacOffByTime = 1;
    facts.record.VacOff = 30;
    byTime.start(facts, Start);
    const QString russian = QString::fromUtf8(RecordCsv::Encode(byTime, 0, QString()));
    QVERIFY(russian.contains(QStringLiteral("# Параметры,VacOff,30,сек,Вакуум: Выключение\r\n")));
    QVERIFY(russian.contains(QStringLiteral("# Итог,Выполняется\r\n")));
}

void TestFiringRecord::fileNames()
{
    const FiringRecord record = sampleRecord();
    QCOMPARE(ProposedRecordName(record, QStringLiteral("csv")),
             QStringLiteral("2026-03-07_10-15_Dentine,_A2_Glaze_Stain_1.csv"));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = UniqueRecordPath(dir.path(), QStringLiteral("a.pdf"));
    QCOMPARE(first, dir.filePath(QStringLiteral("a.pdf")));
    QCOMPARE(SaveRecordFile(first, "x"), QString());
    QCOMPARE(UniqueRecordPath(dir.path(), QStringLiteral("a.pdf")),
             dir.filePath(QStringLiteral("a-2.pdf")));
    // A folder that cannot exist: the reason comes back, no file is left.
    const QString bad = first + QStringLiteral("/b.csv");
    QVERIFY(!SaveRecordFile(bad, "x").isEmpty());
}

QTEST_GUILESS_MAIN(TestFiringRecord)
#include "tst_firingrecord.moc"
