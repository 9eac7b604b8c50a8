// SPDX-License-Identifier: GPL-3.0-or-later
// A firing record's CSV file read back: the same record in both languages, whatever the line
// ends, and a reason for every file that is not a whole record.

#include "app/recordcsv.h"
#include "app/recordformat.h"
#include "app/recordimport.h"
#include "tests/support/samplefiring.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <tuple>

namespace
{

const QDateTime Start(QDate(2026, 3, 7), QTime(23, 59, 50));
const QString Console = QStringLiteral("ZKV4.6 CONSOLE 1.1.0");
const QByteArray Hash = QCryptographicHash::hash("entry", QCryptographicHash::Sha256);

/// A firing over midnight with names that need quotes, guards and Cyrillic.
FiringRecord awkwardRecord()
{
    FiringFacts facts;
    facts.massName = QStringLiteral("=1+2");
    facts.layerName = QStringLiteral("Дентин, \"A2\"\nслой 1");
    facts.port = QStringLiteral("'=port");
    facts.record = SampleFiring();
    facts.record.VacOffByTime = 1;
    facts.record.ProgNumber = 42;
    facts.furnaceModel = QStringLiteral("ZKV4.6");
    facts.versionMajor = 1;
    facts.versionMinor = 2;
    facts.operatorName = QStringLiteral("Иванова, О. \"Оля\"");
    facts.console = QStringLiteral("ZKV4.6 CONSOLE 1.0.0"); // fired by an earlier console
    QList<TraceSample> samples;
    for (int i = 0; i < 30; ++i) {
        TraceSample s;
        s.Seconds = i * 0.8 + 0.04;
        s.WallClock = Start.addSecs(i);
        s.CurrentZone = quint8(3 + i / 10);
        s.ZoneTime = quint16(i);
        s.StageText = i < 20 ? QStringLiteral("Нагрев камеры до Т сушки, 500°C")
                             : QStringLiteral("-1 \"min\", left");
        s.ChamberTemp = quint16(400 + i);
        s.Vacuum = quint8(i);
        s.ChamberStatus = 3;
        s.ControllerMode = 32;
        samples << s;
    }
    const QString fault = QStringLiteral("Overheating,\n\"protection\" tripped");
    const QDateTime end = Start.addSecs(40);
    const FiringTrace trace =
        FiringTrace::restored(Start, samples, 3, RunOutcome::Fault, end, fault);
    const QList<RecordEvent> events = {{RecordEventKind::Start, Start, {}},
                                       {RecordEventKind::LinkLost, Start.addSecs(5), {}},
                                       {RecordEventKind::LinkBack, Start.addSecs(12), {}},
                                       {RecordEventKind::Fault, end, fault}};
    return FiringRecord::restored(QStringLiteral("0"), facts, trace, events, 2,
                                  QStringLiteral("+7 case, \"B\""),
                                  QStringLiteral("first line\nsecond, \"quoted\" line"));
}

/// Everything the file holds of a record but the samples' Seconds (kept to a tenth).
auto content(const FiringRecord &r)
{
    const FiringFacts &f = r.facts();
    const FiringTrace &t = r.trace();
    return std::tuple(f.massName, f.layerName, f.port, f.furnaceModel, f.versionMajor,
                      f.versionMinor, f.operatorName, f.console, f.record, r.caseReference(),
                      r.note(), t.startedAt(), t.endedAt(), t.outcome(), t.endDetail(), t.dropped(),
                      r.droppedEvents(), r.events().size(), t.samples().size());
}

void compareRecords(const FiringRecord &read, const FiringRecord &written)
{
    QVERIFY(content(read) == content(written));
    for (qsizetype i = 0; i < read.events().size(); ++i) {
        const RecordEvent &a = read.events()[i];
        const RecordEvent &b = written.events()[i];
        QVERIFY2(std::tie(a.kind, a.when, a.detail) == std::tie(b.kind, b.when, b.detail),
                 qPrintable(a.detail));
    }
    for (qsizetype i = 0; i < read.trace().samples().size(); ++i) {
        const TraceSample &a = read.trace().samples()[i];
        const TraceSample &b = written.trace().samples()[i];
        QVERIFY2(std::abs(a.Seconds - b.Seconds) <= 0.05 &&
                     std::tie(a.WallClock, a.CurrentZone, a.ZoneTime, a.StageText, a.ChamberTemp,
                              a.Vacuum, a.ChamberStatus, a.ControllerMode) ==
                         std::tie(b.WallClock, b.CurrentZone, b.ZoneTime, b.StageText,
                                  b.ChamberTemp, b.Vacuum, b.ChamberStatus, b.ControllerMode),
                 qPrintable(QString::number(i)));
    }
}

/// `bytes` without the line that begins with `start`.
QByteArray withoutLine(QByteArray bytes, const QByteArray &start)
{
    const qsizetype at = bytes.indexOf("\r\n" + start) + 2;
    return bytes.remove(at, bytes.indexOf("\r\n", at) + 2 - at);
}

} // namespace

class TestRecordImport : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void runningRecordEndsInterrupted();
    void refusals_data();
    void refusals();
};

void TestRecordImport::roundTrip_data()
{
    QTest::addColumn<quint8>("language");
    QTest::addColumn<bool>("bom");
    QTest::addColumn<bool>("crlf");
    QTest::newRow("Russian") << quint8(0) << true << true;
    QTest::newRow("English") << quint8(1) << true << true;
    QTest::newRow("Russian, LF, no BOM") << quint8(0) << false << false;
    QTest::newRow("English, LF") << quint8(1) << true << false;
}

void TestRecordImport::roundTrip()
{
    QFETCH(quint8, language);
    QFETCH(bool, bom);
    QFETCH(bool, crlf);
    const FiringRecord written = awkwardRecord();
    QByteArray bytes = RecordCsv::Encode(written, language, Console, Hash);
    QVERIFY(bytes.contains(
        (QStringLiteral("\r\n# ") + FiringTexts::LogbookHash.text(language) + QLatin1Char(','))
            .toUtf8() +
        Hash.toHex() + "\r\n"));
    if (!bom)
        bytes.remove(0, 3);
    if (!crlf)
        bytes.replace("\r\n", "\n");

    QString why = QStringLiteral("stale");
    const std::optional<ImportedRecord> read = ReadRecordCsv(bytes, 1, &why);
    QVERIFY2(read, qPrintable(why));
    QVERIFY(why.isEmpty());
    QCOMPARE(read->language, language);
    QCOMPARE(read->logbookHash, Hash);
    compareRecords(read->record, written);
    QCOMPARE(read->record.trace().samples()[11].WallClock.date(), Start.date().addDays(1));

    // The uid names the firing: the same from this file again and from the other language,
    // whatever was noted since; another firing gets another.
    QCOMPARE(QUuid(read->record.uid()).version(), QUuid::Sha1);
    QCOMPARE(ReadRecordCsv(bytes, 1)->record.uid(), read->record.uid());
    FiringRecord noted = written;
    noted.setNote(QStringLiteral("amended"));
    QCOMPARE(
        ReadRecordCsv(RecordCsv::Encode(noted, quint8(1 - language), Console), 1)->record.uid(),
        read->record.uid());
    QByteArray other = RecordCsv::Encode(written, language, Console);
    other.replace(",400,0,3,32\r\n", ",401,0,3,32\r\n"); // one sample's temperature
    QVERIFY(ReadRecordCsv(other, 1)->record.uid() != read->record.uid());
}

void TestRecordImport::runningRecordEndsInterrupted()
{
    FiringFacts facts;
    facts.massName = QStringLiteral("Dentine");
    facts.record = SampleFiring();
    FiringRecord running;
    running.start(facts, Start);
    TraceSample s;
    s.WallClock = Start.addSecs(20);
    s.Seconds = 19.9;
    running.trace().add(s);
    const std::optional<ImportedRecord> read =
        ReadRecordCsv(RecordCsv::Encode(running, 0, Console), 1);
    QVERIFY(read);
    const FiringTrace &trace = read->record.trace();
    QVERIFY(!read->record.running());
    QCOMPARE(trace.outcome(), RunOutcome::Interrupted);
    QCOMPARE(trace.endedAt(), s.WallClock);
    QCOMPARE(trace.endDetail(), FiringTexts::SavedWhileRunning.text(0));
    QCOMPARE(read->record.events().constLast().kind, RecordEventKind::Interrupted);
    QCOMPARE(read->record.events().constLast().when, s.WallClock);
    QVERIFY(read->logbookHash.isEmpty());
}

void TestRecordImport::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = RecordCsv::Encode(awkwardRecord(), 1, Console, Hash);
    QByteArray random(4096, Qt::Uninitialized);
    QRandomGenerator generator(46);
    for (char &c : random)
        c = char(generator.bounded(256));
    QFile masses(QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv"));
    QVERIFY(masses.open(QIODevice::ReadOnly));
    const qsizetype header = good.indexOf("Seconds [s]");
    const qsizetype midSamples = good.indexOf("\r\n", header + 200) - 5;

    QTest::newRow("empty") << QByteArray() << "the file is empty";
    QTest::newRow("random bytes") << random << "not UTF-8 text";
    QTest::newRow("masses file") << masses.readAll() << "not UTF-8 text";
    QTest::newRow("other CSV") << QByteArray("a,b\r\n1,2\r\n") << "first line is not the title";
    QTest::newRow("no header") << good.left(header) << "header row of the samples is missing";
    QTest::newRow("cut in a sample") << good.left(midSamples) << "it was cut short";
    QTest::newRow("cut in a quote") << good.left(good.indexOf("second,")) << "not closed";
    QTest::newRow("no mass") << withoutLine(good, "# Mass,") << "\"Mass\" is missing";
    QTest::newRow("no parameter") << withoutLine(good, "# Parameters,HeatRate,")
                                  << "parameter HeatRate is missing";
    QByteArray bad = good;
    QTest::newRow("parameter too large")
        << bad.replace("HeatRate,55,", "HeatRate,65536,") << "\"65536\" cannot be read";
    bad = good;
    QTest::newRow("unknown event")
        << bad.replace(",Furnace not answering", ",Furnace on fire") << "\"Furnace on fire\"";
    bad = good;
    QTest::newRow("unknown outcome")
        << bad.replace("# Outcome,", "# Outcome,Great") << "cannot be read as \"Outcome\"";
    bad = good;
    QTest::newRow("bad hash") << bad.replace(Hash.toHex(), Hash.left(31).toHex())
                              << "cannot be read as \"Logbook hash\"";
    bad = good;
    QTest::newRow("samples back in time")
        << bad.replace("\r\n1.6,", "\r\n0.5,") << "go back in time";
    bad = good;
    QTest::newRow("bad time") << bad.replace(",00:00:05,", ",24:00:05,") << "sample is damaged";
    bad = good;
    QTest::newRow("text after a quote")
        << bad.replace("\"'+7 case, \"\"B\"\"\"", "\"'+7 case\" B") << "after the closing quote";
    bad = good;
    QTest::newRow("two starts") << bad.insert(bad.indexOf("# Start,"), "# Start,2026-01-01 "
                                                                       "00:00:00\r\n")
                                << "\"Start\" a second time";
}

void TestRecordImport::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QString why;
    QVERIFY(!ReadRecordCsv(bytes, 1, &why));
    QVERIFY2(why.contains(reason), qPrintable(why));
}

QTEST_GUILESS_MAIN(TestRecordImport)
#include "tst_recordimport.moc"
