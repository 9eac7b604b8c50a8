// SPDX-License-Identifier: GPL-3.0-or-later
// The laboratory's shared logbook on a PostgreSQL server the test starts itself: the same
// entries and chain as in a file, two consoles appending at once, a server that goes away during
// a firing and comes back, a changed row found by the chain's check.

#include "logbook/logbook.h"
#include "logbook/logbookdb.h"
#include "tests/support/pgserver.h"
#include "tests/support/scriptedfiring.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QDateTime Start(QDate(2026, 12, 9), QTime(9, 15, 0));

FiringRecord endedFiring(const QString &mass, int minutesLater, int samples = 300)
{
    FiringRecord r = ScriptedFiring(Start.addSecs(60 * minutesLater), samples, mass);
    r.addEvent(RecordEventKind::Finished, Start.addSecs(60 * minutesLater + samples));
    return r;
}

} // namespace

class TestSharedLogbook : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void entriesAndChainOnTheServer();
    void twoConsolesAppendAtOnce();
    void serverLostDuringAFiring();

private:
    PgServer m_server;
    int m_databases = 0;
    /// A fresh database on the server; its logbook address.
    QString freshLogbook()
    {
        const QString name = QStringLiteral("logbook%1").arg(++m_databases);
        return m_server.createDatabase(name) ? m_server.url(name) : QString();
    }
};

void TestSharedLogbook::initTestCase()
{
    if (!m_server.start()) {
        // CI installs the server; elsewhere the test says why it does not run.
        if (qEnvironmentVariableIsSet("ZKV_REQUIRE_POSTGRESQL"))
            QFAIL(qPrintable(m_server.why()));
        QSKIP(qPrintable(QStringLiteral("no PostgreSQL server: ") + m_server.why()));
    }
    qputenv("PGPASSFILE", QFile::encodeName(m_server.passFile()));
}

void TestSharedLogbook::entriesAndChainOnTheServer()
{
    const QString url = freshLogbook();
    QVERIFY(!url.isEmpty());
    {
        LogbookDb db;
        QVERIFY2(db.open(url, LogbookDb::Access::ReadWrite), qPrintable(db.error()));
        QCOMPARE(db.dialect(), SqlDialect::PostgreSQL);
        QCOMPARE(db.schemaVersion(), LogbookSchema::CurrentVersion);
        // Written while it runs, then sealed: as in a file.
        FiringRecord first = endedFiring(QStringLiteral("Дентин, \"A2\""), 0);
        FiringRecord early = first;
        early.trace() = FiringTrace::restored(Start, first.trace().samples().mid(0, 120), 0,
                                              RunOutcome::Running, {}, {});
        EntryProgress progress;
        QVERIFY2(db.sync(early, progress) && db.sync(first, progress) && progress.sealed,
                 qPrintable(db.error()));
        EntryProgress second;
        QVERIFY(db.sync(endedFiring(QStringLiteral("Enamel"), 30), second) && second.sealed);
        QVERIFY(db.amend(first.uid(), QStringLiteral("case"), QStringLiteral("K-17"),
                         QStringLiteral("anna"), Start.addSecs(4000)));

        const std::optional<StoredEntry> back = db.loadByUid(first.uid());
        QVERIFY(back);
        QCOMPARE(back->record.facts().massName, first.facts().massName);
        QCOMPARE(back->record.trace().samples().size(), first.trace().samples().size());
        QCOMPARE(back->record.caseReference(), QStringLiteral("K-17"));
        QCOMPARE(db.count({}), 2);
        HistoryFilter text;
        text.text = QStringLiteral("k-17");
        QCOMPARE(db.count(text), 1);
        const VerifyReport report = db.verify();
        QVERIFY(report.holds());
        QCOMPARE(report.entriesChecked, 2);
        QCOMPARE(report.amendmentsChecked, 1);
    }
    // Opened again: the schema is not made twice.
    {
        LogbookDb db;
        QVERIFY2(db.open(url, LogbookDb::Access::ReadWrite), qPrintable(db.error()));
        QCOMPARE(db.count({}), 2);
    }
    // A row changed on the server behind the logbook's back is named.
    QVERIFY2(
        m_server.psql(url.section(QLatin1Char('/'), 3).section(QLatin1Char('?'), 0, 0),
                      QStringLiteral("UPDATE entries SET layer = 'Other' WHERE mass = 'Enamel'")),
        qPrintable(m_server.why()));
    LogbookDb db;
    QVERIFY(db.open(url, LogbookDb::Access::ReadOnly));
    const VerifyReport report = db.verify();
    QVERIFY(report.readable);
    QVERIFY(report.failure);
    QCOMPARE(report.failure->mass, QStringLiteral("Enamel"));
#ifdef ZKV_CONSOLE
    // The console's own check names it too.
    QProcess console;
    console.setProcessEnvironment(m_server.environment());
    console.start(QStringLiteral(ZKV_CONSOLE), {QStringLiteral("--verify-logbook"), url});
    QVERIFY(console.waitForFinished(60000));
    const QString said = QString::fromUtf8(console.readAllStandardOutput());
    QCOMPARE(console.exitCode(), 1);
    QVERIFY2(said.contains(QStringLiteral("Enamel")), qPrintable(said));
#endif
    // Read-only stays read-only.
    EntryProgress refused;
    QVERIFY(!db.sync(endedFiring(QStringLiteral("Not written"), 60), refused));
}

void TestSharedLogbook::twoConsolesAppendAtOnce()
{
    const QString url = freshLogbook();
    QVERIFY(!url.isEmpty());
    constexpr int PerConsole = 40;
    QElapsedTimer spent;
    spent.start();
    QList<QProcess *> consoles;
    for (int i = 0; i < 2; ++i) {
        auto *p = new QProcess(this);
        p->setProcessEnvironment(m_server.environment());
        p->start(QCoreApplication::applicationDirPath() + QStringLiteral("/logbookchild"),
                 {QStringLiteral("--append"), QString::number(PerConsole), url});
        consoles << p;
    }
    for (QProcess *p : consoles) {
        QVERIFY(p->waitForFinished(120000));
        const QString out = QString::fromLocal8Bit(p->readAllStandardOutput()).trimmed();
        QVERIFY2(p->exitCode() == 0,
                 qPrintable(out + QString::fromLocal8Bit(p->readAllStandardError())));
        qInfo("one console: %s", qPrintable(out));
    }
    qInfo("%d entries from two consoles at once in %lld ms", 2 * PerConsole,
          qlonglong(spent.elapsed()));
    LogbookDb db;
    QVERIFY(db.open(url, LogbookDb::Access::ReadOnly));
    QCOMPARE(db.count({}), 2 * PerConsole);
    // The two consoles' firings took turns in the chain: the appends really met.
    QSqlQuery q(db.database());
    QVERIFY(q.exec(QStringLiteral("SELECT mass FROM entries ORDER BY chain_seq")));
    QString last;
    int turns = 0;
    while (q.next()) {
        turns += last != q.value(0).toString() ? 1 : 0;
        last = q.value(0).toString();
    }
    qInfo("the chain changes from one console to the other %d times", turns - 1);
    QVERIFY(turns > 2);
    const VerifyReport report = db.verify();
    QVERIFY2(report.holds(), report.failure ? qPrintable(report.failure->reason) : "");
    QCOMPARE(report.entriesChecked, 2 * PerConsole);
}

void TestSharedLogbook::serverLostDuringAFiring()
{
    const QString url = freshLogbook();
    QVERIFY(!url.isEmpty());
    QTemporaryDir dir;
    LogbookSettings settings;
    settings.file = url;
    settings.flushSeconds = 0;
    settings.spoolFile = dir.filePath(QStringLiteral("spool.sqlite"));
    FiringRecord record = ScriptedFiring(Start, 200, QStringLiteral("Spooled mass"));
    const QString uid = record.uid();
    {
        Logbook logbook(settings);
        QVERIFY(logbook.shared());
        QSignalSpy sealed(&logbook, &Logbook::entrySealed);
        logbook.firingStarted(record);
        QVERIFY(logbook.waitForWrites());
        QCOMPARE(logbook.state(), Logbook::State::On);

        // The server goes away in the middle of the firing, which goes on and ends.
        QVERIFY2(m_server.stop(), qPrintable(m_server.why()));
        for (int i = 200; i < 260; ++i) {
            TraceSample s = record.trace().samples().constLast();
            s.Seconds += 0.8;
            s.WallClock = s.WallClock.addMSecs(800);
            record.trace().add(s);
        }
        logbook.firingTick(record);
        record.addEvent(RecordEventKind::Finished, Start.addSecs(260));
        logbook.firingEnded(record);
        QVERIFY(logbook.waitForWrites(20000));
        QCOMPARE(logbook.state(), Logbook::State::Failed);
        QCOMPARE(logbook.waiting(), 1);
        QCOMPARE(sealed.size(), 0);

        // Back: the spooled firing arrives, sealed on the server.
        QVERIFY2(m_server.resume(), qPrintable(m_server.why()));
        QTRY_COMPARE_WITH_TIMEOUT(sealed.size(), 1, 20000);
        QCOMPARE(sealed.first().first().toString(), uid);
        QCOMPARE(logbook.waiting(), 0);
        QCOMPARE(logbook.state(), Logbook::State::On);
    }
    // A console started later finds nothing more to move on: the firing is there once, whole.
    {
        Logbook again(settings);
        QVERIFY(again.waitForWrites());
        QCOMPARE(again.waiting(), 0);
    }
    LogbookDb db;
    QVERIFY(db.open(url, LogbookDb::Access::ReadOnly));
    QCOMPARE(db.count({}), 1);
    const std::optional<StoredEntry> entry = db.loadByUid(uid);
    QVERIFY(entry);
    QCOMPARE(entry->record.trace().samples().size(), 260);
    QCOMPARE(entry->summary.outcome, RunOutcome::Finished);
    QVERIFY(db.verify().holds());
}

QTEST_GUILESS_MAIN(TestSharedLogbook)
#include "tst_sharedlogbook.moc"
