// SPDX-License-Identifier: GPL-3.0-or-later
// The firing logbook as the main window keeps it: firings on the built-in simulator written and
// sealed, a case reference given during one and a note after the other (an amendment), the
// exports carrying the entry's hash; and a logbook that cannot be written, which the firing does
// not notice.

#include "app/Unit1.h"
#include "app/comparewindow.h"
#include "app/consolelines.h"
#include "app/entryview.h"
#include "app/healthwindow.h"
#include "app/historywindow.h"
#include "graph/compareview.h"
#include "graph/firingcurveview.h"
#include "link/link.h"
#include "logbook/historymodel.h"
#include "logbook/logbook.h"
#include "logbook/logbookdb.h"
#include "sim/furnacecontroller.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

namespace
{

/// A console on the built-in simulator at `speed` with the demo library, a layer selected and
/// its logbook in `logbookFile`.
struct LogbookConsole {
    ScriptedDialogs dialogs;
    SimulatorLine *sim = nullptr;
    std::unique_ptr<TForm1> form;

    LogbookConsole(double speed, const QString &logbookFile)
    {
        ConsoleOptions options;
        options.port = SimulatorPortName;
        options.lineFactory = [this, speed](const QString &) {
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(speed);
            sim = line.get();
            return line;
        };
        options.massesFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
        options.endAlert = [](const QString &) {};
        options.logbookFile = logbookFile;
        options.logbookFlushSeconds = 0;
        options.operatorName = QStringLiteral("anna");
        form = std::make_unique<TForm1>(std::move(options), dialogs);
        get<QListWidget>("lbNames")->setCurrentRow(1);
        form->lbNamesClick();
        get<QListWidget>("lbLayers")->setCurrentRow(0);
        form->lbLayersClick();
        sim->controller().furnace().advance(600); // up to the support temperature
    }
    template<typename T>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QString log() const { return get<QPlainTextEdit>("mMessage")->toPlainText(); }
    /// Types `text` into a run-panel field and leaves it.
    void type(const char *field, const QString &text)
    {
        auto *edit = get<QLineEdit>(field);
        edit->setText(text);
        edit->setModified(true);
        emit edit->editingFinished();
    }
};

} // namespace

class TestLogbookConsole : public QObject
{
    Q_OBJECT
private slots:
    void firingsKeptSealedAndAmended();
    void unwritableLogbookLeavesTheFiringAlone();
    void noSampleBeforeTheFurnaceReportedItsTemperature();
    void healthSaidAtTheEndAndChecksBeforeAStart();
};

void TestLogbookConsole::firingsKeptSealedAndAmended()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    LogbookConsole c(400, file);
    QTRY_COMPARE(c.form->logbook().state(), Logbook::State::On);
    QCOMPARE(c.get<QLabel>("lblLogbook")->text(), QStringLiteral("Logbook"));
    QVERIFY(c.get<QLabel>("lblLogbook")->accessibleName().contains(file));

    // The first firing runs to its end; its case reference is typed while it runs.
    c.form->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(c.form->firingTrace().samples().size() >= 3, 10000);
    c.type("edCaseRef", QStringLiteral("K-17"));
    QTRY_VERIFY_WITH_TIMEOUT(!c.form->console().ProgramRunning, 60000);
    QTRY_COMPARE_WITH_TIMEOUT(c.form->firingHash().size(), 32, 5000);
    const QString first = c.form->firingRecord().uid();
    const qsizetype samples = c.form->firingTrace().samples().size();

    // The second, started within a tick of the first one's end (the stop that ended it may not
    // have gone out yet: it must not stop this one), is aborted; a note after its end is an
    // amendment.
    c.form->sbStartPrgClick();
    QTRY_VERIFY2_WITH_TIMEOUT(c.form->firingTrace().samples().size() >= 3,
                              qPrintable(c.log() + c.dialogs.unexpected.join('\n')), 10000);
    c.dialogs.questionAnswers << true;
    c.form->sbStopPrgClick();
    QTRY_COMPARE_WITH_TIMEOUT(c.form->firingHash().size(), 32, 5000);
    c.type("edNote", QStringLiteral("Crown 26, shade A3"));
    QVERIFY(c.form->logbook().waitForWrites());
    QTRY_VERIFY(c.log().contains(QStringLiteral(" Amendment added to the logbook: note")));

    LogbookDb db;
    QVERIFY(db.open(file, LogbookDb::Access::ReadOnly));
    const QList<EntrySummary> rows = db.page({}, {}, 0, 10);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].outcome, RunOutcome::Aborted);
    QCOMPARE(rows[0].note, QStringLiteral("Crown 26, shade A3"));
    QCOMPARE(rows[0].hash, c.form->firingHash());
    QCOMPARE(rows[1].uid, first);
    QCOMPARE(rows[1].outcome, RunOutcome::Finished);
    QCOMPARE(rows[1].caseReference, QStringLiteral("K-17"));
    QCOMPARE(rows[1].operatorName, QStringLiteral("anna"));
    QCOMPARE(rows[1].sampleCount, samples);
    const std::optional<StoredEntry> aborted = db.load(rows[0].id);
    QCOMPARE(aborted->amendments.size(), 1);
    QVERIFY(aborted->noteAtEnd.isEmpty());
    const VerifyReport report = db.verify();
    QVERIFY(report.holds());
    QCOMPARE(report.amendmentsChecked, 1);

    // The saved record carries the entry's hash, and the amended note.
    const QString csv = dir.filePath(QStringLiteral("aborted.csv"));
    c.dialogs.saveAnswers << csv;
    c.get<QAction>("mmSaveRecord")->trigger();
    QFile saved(csv);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QVERIFY(bytes.contains("# Logbook hash," + c.form->firingHash().toHex() + "\r\n"));
    QVERIFY(bytes.contains("Crown 26, shade A3"));

    // File → Firing history...: both, newest first; the first reopens with its curve and saves
    // as the last firing does; the two compare.
    c.get<QAction>("mmHistory")->trigger();
    HistoryWindow *history = c.form->historyWindow();
    QVERIFY(history && history->isVisible());
    QTRY_COMPARE(history->model()->totalCount(), 2);
    EntryView *entry = history->openEntry(rows[1].id);
    QVERIFY(entry);
    QCOMPARE(entry->curve()->record()->HeatTemp, c.form->selection().CurrentParams->HeatTemp);
    QVERIFY(entry->curve()->showsMeasuredTrace());
    const QString fromHistory = dir.filePath(QStringLiteral("first.csv"));
    c.dialogs.saveAnswers << fromHistory;
    history->hooks().saveRecord(entry->entry().record, entry->entry().summary.hash);
    QFile firstFile(fromHistory);
    QVERIFY(firstFile.open(QIODevice::ReadOnly));
    QVERIFY(firstFile.readAll().contains("# Logbook hash," + rows[1].hash.toHex() + "\r\n"));
    CompareWindow *compare = history->compareEntries({rows[0].id, rows[1].id});
    QVERIFY(compare);
    QCOMPARE(compare->view()->curves().size(), 2);
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestLogbookConsole::unwritableLogbookLeavesTheFiringAlone()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    {
        QFile notADatabase(file);
        QVERIFY(notADatabase.open(QIODevice::WriteOnly));
        notADatabase.write(QByteArray(4096, 'z'));
    }
    LogbookConsole c(400, file);
    c.form->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(!c.form->console().ProgramRunning, 60000);
    QCOMPARE(c.form->firingRecord().trace().outcome(), RunOutcome::Finished);
    QTRY_COMPARE(c.form->logbook().state(), Logbook::State::Failed);
    // No box, one line in the log naming the reason and the file, the status bar says so.
    QCOMPARE(c.dialogs.boxCount(), 0);
    QCOMPARE(c.log().count(QStringLiteral("The firing logbook cannot be written: file is not a "
                                          "database (%1)")
                               .arg(file)),
             1);
    QCOMPARE(c.get<QLabel>("lblLogbook")->text(), QStringLiteral("Logbook: off"));
    QVERIFY(
        c.get<QLabel>("lblLogbook")->accessibleName().contains(QStringLiteral("not a database")));
    // The firing record is saved as ever.
    const QString csv = dir.filePath(QStringLiteral("record.csv"));
    c.dialogs.saveAnswers << csv;
    c.get<QAction>("mmSaveRecord")->trigger();
    QVERIFY(QFileInfo(csv).size() > 1000);
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestLogbookConsole::noSampleBeforeTheFurnaceReportedItsTemperature()
{
    // Started at once, before the first poll round was answered.
    LogbookConsole c(60, QString());
    c.form->sbStartPrgClick();
    QTRY_VERIFY_WITH_TIMEOUT(c.form->firingTrace().samples().size() >= 3, 10000);
    // The simulated chamber is never at 0 °C: a 0 is a value nobody reported.
    for (const TraceSample &s : c.form->firingTrace().samples())
        QVERIFY2(s.ChamberTemp > 0, qPrintable(QString::number(s.ChamberTemp)));
}

void TestLogbookConsole::healthSaidAtTheEndAndChecksBeforeAStart()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    LogbookConsole c(400, file);
    QTRY_COMPARE(c.form->logbook().state(), Logbook::State::On);
    QTRY_VERIFY(!c.form->link().image().FurnaceModelName.isEmpty());
    // A temperature calibration every 30 days, last done 40 days ago.
    const QString furnace = FurnaceKey(QSysInfo::machineHostName(), SimulatorPortName,
                                       c.form->link().image().FurnaceModelName);
    {
        LogbookDb db;
        QVERIFY(db.open(file, LogbookDb::Access::ReadWrite));
        CheckSetting calibration;
        calibration.furnaceKey = furnace;
        calibration.intervalDays = 30;
        calibration.sinceMs = QDateTime::currentDateTime().addDays(-40).toMSecsSinceEpoch();
        QVERIFY(db.saveCheck(calibration));
    }
    c.form->logbook().evaluateChecks(furnace);
    auto *checks = c.get<QLabel>("lblChecks");
    QTRY_VERIFY(!checks->isHidden());
    QCOMPARE(checks->text(), QStringLiteral("Check overdue"));
    QVERIFY(checks->accessibleName().contains(
        QStringLiteral("Temperature calibration overdue: 40 of 30 days")));
    QVERIFY(c.get<QLabel>("lblRunChecks")->text().contains(QStringLiteral("40 of 30 days")));

    // Named once when a program starts, which it does not hold up; not shown while it runs.
    c.form->sbStartPrgClick();
    QVERIFY(c.form->console().ProgramRunning);
    QCOMPARE(c.log().count(QStringLiteral(" Check overdue: Temperature calibration")), 1);
    QVERIFY(c.get<QLabel>("lblRunChecks")->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(!c.form->console().ProgramRunning, 60000);

    // What drifted in the firing: at its end in the run panel and in the log.
    DriftFlag slow;
    slow.figure = HealthFigure::Heating;
    slow.byTime = true;
    slow.value = 410;
    slow.baseline = 358;
    slow.change = 0.146;
    slow.comparedWith = 10;
    slow.temperature = 930;
    emit c.form->logbook().driftFound(c.form->firingRecord().uid(), {slow});
    const QString said = QStringLiteral("Reaching 930 °C took 15 % longer than in the last 10 "
                                        "firings of this program: check the heating element and "
                                        "the temperature calibration.");
    QCOMPARE(c.get<QLabel>("lblRunHealth")->text(), said);
    QVERIFY(c.log().contains(QStringLiteral(" Furnace health: ") + said));
    // File → Furnace health... opens on this furnace.
    c.get<QAction>("mmHealth")->trigger();
    QVERIFY(c.form->healthWindow() && c.form->healthWindow()->isVisible());
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

QTEST_MAIN(TestLogbookConsole)
#include "tst_logbookconsole.moc"
