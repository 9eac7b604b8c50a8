// SPDX-License-Identifier: GPL-3.0-or-later
// The firing logbook's database: an entry written while its firing runs and sealed at its end,
// read back whole; every kind of tampering found by the chain's check; a console killed during a
// firing; logbooks that cannot be opened or written; the schema's versions.

#include "logbook/entrycontent.h"
#include "logbook/logbook.h"
#include "logbook/logbookdb.h"
#include "tests/support/permissions.h"
#include "tests/support/scriptedfiring.h"

#include <QProcess>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace
{

const QDateTime Start(QDate(2026, 12, 7), QTime(14, 32, 5));

/// A second connection to the file, as the sqlite3 shell would be: for tampering.
class Shell
{
public:
    explicit Shell(const QString &file)
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("shell"));
        m_db.setDatabaseName(file);
        m_db.open();
    }
    ~Shell()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("shell"));
    }
    bool exec(const QString &sql)
    {
        QSqlQuery q(m_db);
        const bool ok = q.exec(sql);
        if (!ok)
            qWarning() << sql << q.lastError().text();
        return ok;
    }

private:
    QSqlDatabase m_db;
};

/// A sealed firing of `mass`, written as a console writes it: begun, flushed, ended.
bool writeFiring(LogbookDb &db, const QString &mass, int minutesLater, const QString &caseRef = {})
{
    FiringRecord r = ScriptedFiring(Start.addSecs(60 * minutesLater), 300, mass);
    EntryProgress progress;
    FiringRecord early = r;
    early.trace() = FiringTrace::restored(Start, r.trace().samples().mid(0, 100), 0,
                                          RunOutcome::Running, {}, {});
    r.setCaseReference(caseRef);
    r.addEvent(RecordEventKind::Finished, Start.addSecs(60 * minutesLater + 300));
    return db.sync(early, progress) && db.sync(r, progress) && progress.sealed;
}

} // namespace

class TestLogbookDb : public QObject
{
    Q_OBJECT
private slots:
    void entryRoundTrip();
    void tamperingIsFound_data();
    void tamperingIsFound();
    void consoleKilledDuringAFiring();
    void unwritableLogbookKeepsTheFiring_data();
    void unwritableLogbookKeepsTheFiring();
    void schemaVersions();
};

void TestLogbookDb::entryRoundTrip()
{
    QTemporaryDir dir;
    LogbookDb db;
    QVERIFY2(
        db.open(dir.filePath(QStringLiteral("sub/logbook.sqlite")), LogbookDb::Access::ReadWrite),
        qPrintable(db.error()));
    QVERIFY(db.beginSession({QStringLiteral("s1"), QStringLiteral("host"), 1}));

    FiringRecord r = ScriptedFiring(Start, 1500);
    FiringRecord partial = r;
    partial.trace() = FiringTrace::restored(Start, r.trace().samples().mid(0, 700), 0,
                                            RunOutcome::Running, {}, {});
    EntryProgress progress;
    QVERIFY2(db.sync(partial, progress), qPrintable(db.error()));
    // While it runs the entry holds what was flushed, and is no link of the chain yet.
    std::optional<StoredEntry> running = db.loadByUid(r.uid());
    QVERIFY(running);
    QCOMPARE(running->record.trace().samples().size(), 700);
    QVERIFY(running->record.trace().running());
    QCOMPARE(db.verify().running, 1);

    r.setCaseReference(QStringLiteral("Case 17/B"));
    r.setNote(QStringLiteral("Bridge 3 units,\n\"shade\" A3"));
    r.addEvent(RecordEventKind::Fault, Start.addSecs(1300), QStringLiteral("Overheating!\nE7"));
    QVERIFY2(db.sync(r, progress), qPrintable(db.error()));
    QVERIFY(progress.sealed);
    QCOMPARE(progress.hash.size(), 32);

    const std::optional<StoredEntry> back = db.loadByUid(r.uid());
    QVERIFY2(back, qPrintable(db.error()));
    QCOMPARE(ContentOf(back->record), ContentOf(r));
    QCOMPARE(back->summary.hash, progress.hash);
    QCOMPARE(back->summary.outcome, RunOutcome::Fault);
    QCOMPARE(back->record.trace().samples().size(), 1500);

    // An amendment after the end changes what the history shows, not what was sealed.
    QVERIFY(db.amend(r.uid(), QStringLiteral("case"), QStringLiteral("Case 18"),
                     QStringLiteral("boris"), Start.addSecs(4000)));
    const std::optional<StoredEntry> amended = db.loadByUid(r.uid());
    QCOMPARE(amended->summary.caseReference, QStringLiteral("Case 18"));
    QCOMPARE(amended->caseAtEnd, QStringLiteral("Case 17/B"));
    QCOMPARE(amended->amendments.size(), 1);
    QVERIFY(!db.amend(QStringLiteral("no-such"), QStringLiteral("case"), QStringLiteral("x"),
                      QString(), Start));

    // The history's filters: text in any letter case (Cyrillic too), outcome, dates.
    QVERIFY(writeFiring(db, QStringLiteral("Enamel"), 60 * 24));
    HistoryFilter f;
    f.text = QStringLiteral("ДЕНТИН");
    QCOMPARE(db.count(f), 1);
    f.text = QStringLiteral("case 18");
    QCOMPARE(db.count(f), 1);
    f.text = QStringLiteral("%");
    QCOMPARE(db.count(f), 0);
    f = {};
    f.outcome = RunOutcome::Finished;
    QCOMPARE(db.page(f, {}, 0, 10).value(0).mass, QStringLiteral("Enamel"));
    f = {};
    f.from = f.to = Start.date();
    QCOMPARE(db.count(f), 1);
    const QList<EntrySummary> newestFirst = db.page({}, {}, 0, 10);
    QCOMPARE(newestFirst.size(), 2);
    QCOMPARE(newestFirst[0].mass, QStringLiteral("Enamel"));
    const VerifyReport report = db.verify();
    QVERIFY(report.holds());
    QCOMPARE(report.entriesChecked, 2);
    QCOMPARE(report.amendmentsChecked, 1);
}

void TestLogbookDb::tamperingIsFound_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("reason");
    // Entries A, B, two amendments of B, entry C: links 1 to 5.
    QTest::newRow("a byte of a sample")
        << "UPDATE entry_samples SET data = substr(data, 1, 40) || x'00' || substr(data, 42) "
           "WHERE entry_id = 2"
        << "B"
        << "changed";
    QTest::newRow("a byte of a parameter")
        << "UPDATE entries SET params = x'00' || substr(params, 2) WHERE id = 1"
        << "A"
        << "changed";
    QTest::newRow("an event's text")
        << "UPDATE events SET detail = 'x' WHERE entry_id = 3 AND seq = 1"
        << "C"
        << "changed";
    QTest::newRow("an entry deleted") << "DELETE FROM entries WHERE id = 1"
                                      << "B"
                                      << "missing";
    QTest::newRow("an entry inserted")
        << "INSERT INTO entries (uid, started_at, outcome, mass, layer, params, port, "
           "furnace_model, furnace_version, console, operator, chain_seq, hash) SELECT 'x', "
           "started_at, outcome, 'D', layer, params, port, furnace_model, furnace_version, "
           "console, operator, 4, hash FROM entries WHERE id = 3"
        << "D"
        << "outside";
    QTest::newRow("the amended case") << "UPDATE entries SET current_case = 'x' WHERE id = 2"
                                      << "B"
                                      << "case reference";
    QTest::newRow("an amendment") << "UPDATE amendments SET value = 'x'"
                                  << "B"
                                  << "changed";
    QTest::newRow("the last entry deleted") << "DELETE FROM entries WHERE id = 3"
                                            << ""
                                            << "last entries";
}

void TestLogbookDb::tamperingIsFound()
{
    QFETCH(QString, sql);
    QFETCH(QString, named);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    {
        LogbookDb db;
        QVERIFY(db.open(file, LogbookDb::Access::ReadWrite));
        QVERIFY(writeFiring(db, QStringLiteral("A"), 0));
        QVERIFY(writeFiring(db, QStringLiteral("B"), 10, QStringLiteral("K1")));
        const QString b = db.page({}, {}, 0, 1).value(0).uid;
        QVERIFY(db.amend(b, QStringLiteral("note"), QStringLiteral("n"), QString(), Start));
        QVERIFY(db.amend(b, QStringLiteral("case"), QStringLiteral("K2"), QString(), Start));
        QVERIFY(writeFiring(db, QStringLiteral("C"), 20));
        QVERIFY(db.verify().holds());
    }
    {
        Shell shell(file);
        QVERIFY(shell.exec(sql));
    }
    LogbookDb db;
    QVERIFY(db.open(file, LogbookDb::Access::ReadOnly));
    const VerifyReport report = db.verify();
    QVERIFY(report.readable);
    QVERIFY(report.failure);
    QCOMPARE(report.failure->mass, named);
    QVERIFY2(report.failure->reason.contains(reason), qPrintable(report.failure->reason));
}

void TestLogbookDb::consoleKilledDuringAFiring()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    QProcess child;
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/logbookchild"), {file});
    QVERIFY(child.waitForStarted());
    int written = 0;
    while (written < 40 && child.waitForReadyRead(10000))
        while (child.canReadLine())
            written = child.readLine().trimmed().split(' ').value(1).toInt();
    QVERIFY2(written >= 40, "the child wrote nothing");
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());

    // The next console to open the logbook seals it as interrupted, with what was written.
    Logbook logbook(LogbookSettings{file});
    QSignalSpy recovered(&logbook, &Logbook::recovered);
    QVERIFY(recovered.wait(10000));
    QCOMPARE(recovered.first().first().toInt(), 1);
    LogbookDb db;
    QVERIFY(db.open(file, LogbookDb::Access::ReadOnly));
    const QList<EntrySummary> rows = db.page({}, {}, 0, 10);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].mass, QStringLiteral("Killed mass"));
    QCOMPARE(rows[0].outcome, RunOutcome::Interrupted);
    QVERIFY2(rows[0].sampleCount >= written, qPrintable(QString::number(rows[0].sampleCount)));
    QVERIFY(db.verify().holds());
#else
    QSKIP("kills a process with a signal");
#endif
}

void TestLogbookDb::unwritableLogbookKeepsTheFiring_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only folder") << "readonly"
                                      << "";
    QTest::newRow("full disk") << "full"
                               << "full";
    QTest::newRow("locked by another process") << "locked"
                                               << "locked";
    QTest::newRow("not a database") << "garbage"
                                    << "not a database";
    QTest::newRow("newer schema") << "newer"
                                  << "newer console";
}

void TestLogbookDb::unwritableLogbookKeepsTheFiring()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    LogbookSettings settings{file};
    QProcess locker;
    if (kind == QLatin1String("garbage")) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, 'x'));
    } else if (kind == QLatin1String("newer")) {
        Shell shell(file);
        QVERIFY(shell.exec(QStringLiteral("PRAGMA user_version = 99")));
    } else if (kind == QLatin1String("full")) {
        settings.maxPageCount = 18; // room for the schema and a session, not for a firing
    } else if (kind == QLatin1String("locked")) {
        { // a logbook exists, and another program holds it
            LogbookDb db;
            QVERIFY(db.open(file, LogbookDb::Access::ReadWrite));
        }
        locker.start(QStringLiteral("sqlite3"), {file});
        if (!locker.waitForStarted())
            QSKIP("the sqlite3 shell is not installed");
        locker.write("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT 'held';\n");
        QVERIFY(locker.waitForReadyRead(5000));
    }
#ifdef Q_OS_LINUX
    std::optional<PermissionsEnforced> enforced;
    if (kind == QLatin1String("readonly")) {
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        enforced.emplace();
    }
#endif
    FiringRecord r = ScriptedFiring(Start, 3000);
    {
        Logbook logbook(settings);
        QSignalSpy failed(&logbook, &Logbook::stateChanged);
        logbook.firingStarted(r);
        r.addEvent(RecordEventKind::Finished, Start.addSecs(3000));
        logbook.firingEnded(r);
        QVERIFY(logbook.waitForWrites());
        QCOMPARE(logbook.state(), Logbook::State::Failed);
        QVERIFY2(logbook.problem().contains(reason), qPrintable(logbook.problem()));
    }
#ifdef Q_OS_LINUX
    enforced.reset();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
    if (kind != QLatin1String("locked"))
        return;
    // Once the other program lets go, a firing that ended meanwhile is written whole.
    locker.write("COMMIT;\n.quit\n");
    QVERIFY(locker.waitForFinished());
    Logbook logbook(settings);
    QSignalSpy sealed(&logbook, &Logbook::entrySealed);
    logbook.firingEnded(r);
    QVERIFY(sealed.wait());
    LogbookDb db;
    QVERIFY(db.open(file, LogbookDb::Access::ReadOnly));
    QCOMPARE(db.loadByUid(r.uid())->record.trace().samples().size(), 3000);
}

void TestLogbookDb::schemaVersions()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    LogbookDb db;
    // Reading never makes a logbook.
    QVERIFY(!db.open(file, LogbookDb::Access::ReadOnly));
    QVERIFY(!QFile::exists(file));
    // An empty database becomes one of the current version; another program's database does not.
    {
        Shell shell(file);
    }
    QVERIFY2(db.open(file, LogbookDb::Access::ReadWrite), qPrintable(db.error()));
    QCOMPARE(db.schemaVersion(), LogbookSchema::CurrentVersion);
    db.close();
    const QString foreign = dir.filePath(QStringLiteral("other.sqlite"));
    {
        Shell shell(foreign);
        QVERIFY(shell.exec(QStringLiteral("CREATE TABLE t (x)")));
    }
    QVERIFY(!db.open(foreign, LogbookDb::Access::ReadWrite));
    QVERIFY2(db.error().contains(QStringLiteral("not a logbook")), qPrintable(db.error()));

    // A logbook of the first version, with its firings and an amendment: read as it is, then
    // brought up to date by a console, which measures the figures it did not keep yet.
    const QString first = dir.filePath(QStringLiteral("first.sqlite"));
    {
        LogbookDb db1;
        QVERIFY(db1.open(first, LogbookDb::Access::ReadWrite));
        QVERIFY(writeFiring(db1, QStringLiteral("A"), 0, QStringLiteral("K1")));
        QVERIFY(writeFiring(db1, QStringLiteral("B"), 10));
        QVERIFY(db1.amend(db1.page({}, {}, 0, 1).value(0).uid, QStringLiteral("note"),
                          QStringLiteral("n"), QString(), Start));
    }
    {
        Shell shell(first);
        for (int version = LogbookSchema::CurrentVersion; version > 1; --version)
            for (const QString &statement : LogbookSchema::Migration(version, SqlDialect::SQLite))
                for (const char *kind : {"TABLE", "INDEX"})
                    if (statement.startsWith(QStringLiteral("CREATE %1 ").arg(kind)))
                        QVERIFY(shell.exec(QStringLiteral("DROP %1 IF EXISTS ").arg(kind) +
                                           statement.section(QLatin1Char(' '), 2, 2)));
        QVERIFY(shell.exec(QStringLiteral("PRAGMA user_version = 1")));
    }
    LogbookDb old;
    QVERIFY2(old.open(first, LogbookDb::Access::ReadOnly), qPrintable(old.error()));
    QCOMPARE(old.schemaVersion(), 1);
    QCOMPARE(old.verify().entriesChecked, 2);
    QVERIFY(old.healthFurnaces().isEmpty());
    old.close();
    QVERIFY2(db.open(first, LogbookDb::Access::ReadWrite), qPrintable(db.error()));
    QCOMPARE(db.schemaVersion(), LogbookSchema::CurrentVersion);
    QCOMPARE(db.measureMissingFigures(10), 2);
    QCOMPARE(db.measureMissingFigures(10), 0);
    QCOMPARE(db.healthFurnaces().size(), 1);
    const VerifyReport report = db.verify();
    QVERIFY(report.holds());
    QCOMPARE(report.entriesChecked, 2);
    QCOMPARE(report.amendmentsChecked, 1);
}

QTEST_GUILESS_MAIN(TestLogbookDb)
#include "tst_logbookdb.moc"
