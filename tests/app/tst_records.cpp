// SPDX-License-Identifier: GPL-3.0-or-later
// The record of a firing as the main window keeps it: a whole firing on the built-in simulator
// with a lost link, saved as CSV, exported as a PDF report, printed, saved by itself into the
// record folder, and the alert at its end; a fault that ends the record in Russian; the report
// of a record with an operator, a case reference, a note and its logbook hash.

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "app/firingreport.h"
#include "app/recordformat.h"
#include "link/link.h"
#include "sim/furnacecontroller.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{

/// A console on the built-in simulator with the demo library open, the first layer of the
/// second mass selected, and firings saved into `recordDir`.
struct RecordConsole {
    ScriptedDialogs dialogs;
    SimulatorLine *sim = nullptr;
    std::unique_ptr<TForm1> form;
    QStringList alerts;

    RecordConsole(double speed, const QString &recordDir)
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
        options.recordDir = recordDir;
        options.endAlert = [this](const QString &text) { alerts << text; };
        form = std::make_unique<TForm1>(std::move(options), dialogs);
        get<QListWidget>("lbNames")->setCurrentRow(1);
        form->lbNamesClick();
        get<QListWidget>("lbLayers")->setCurrentRow(0);
        form->lbLayersClick();
    }
    template<typename T>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QString log() const { return get<QPlainTextEdit>("mMessage")->toPlainText(); }
    FurnaceController &controller() { return sim->controller(); }
};

/// The text of a PDF file by pdftotext; a form feed ends each page.
QString pdfText(const QString &path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    tool.waitForFinished(20000);
    return QString::fromUtf8(tool.readAllStandardOutput());
}

/// The words of a one-page PDF file that pdftotext finds outside the page, or a reason.
QStringList wordsOutsideThePage(const QString &path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    tool.waitForFinished(20000);
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    const QRegularExpressionMatch page =
        QRegularExpression(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""))
            .match(html);
    if (!page.hasMatch())
        return {QStringLiteral("no page in ") + html.left(200)};
    const double width = page.captured(1).toDouble();
    const double height = page.captured(2).toDouble();
    QStringList outside;
    const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.-]+)\" yMin=\"([\\d.-]+)\" "
                       "xMax=\"([\\d.-]+)\" yMax=\"([\\d.-]+)\">([^<]*)<"));
    for (const QRegularExpressionMatch &m : word.globalMatch(html))
        if (m.captured(1).toDouble() < 0 || m.captured(2).toDouble() < 0 ||
            m.captured(3).toDouble() > width || m.captured(4).toDouble() > height)
            outside << m.captured(5);
    return outside;
}

QList<RecordEventKind> kindsOf(const FiringRecord &record)
{
    QList<RecordEventKind> kinds;
    for (const RecordEvent &e : record.events())
        kinds << e.kind;
    return kinds;
}

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void wholeFiringRecordedSavedAndPrinted();
    void faultEndsTheRecordAndAFailedSaveIsLogged();
    void saveDialogProposesAFolderThatIsThere();
    void reportShowsNotesAndLogbookHash_data();
    void reportShowsNotesAndLogbookHash();
};

void TestRecords::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: `make deps` installs it");
}

void TestRecords::wholeFiringRecordedSavedAndPrinted()
{
    QTemporaryDir dir;
    const QString autoDir = dir.filePath(QStringLiteral("records"));
    RecordConsole c(400, autoDir);
    auto *save = c.get<QAction>("mmSaveRecord");
    QVERIFY(!save->isEnabled());           // no firing yet
    c.controller().furnace().advance(600); // up to the support temperature
    c.form->sbStartPrgClick();

    // Silent for a while in the middle of the firing, then answering again.
    QTRY_VERIFY_WITH_TIMEOUT(c.form->firingTrace().samples().size() >= 3, 10000);
    c.controller().faults().noReply = true;
    QTRY_VERIFY_WITH_TIMEOUT(c.form->firingRecord().linkLost(), 5000);
    c.controller().faults().noReply = false;
    QTRY_VERIFY_WITH_TIMEOUT(!c.form->console().ProgramRunning, 60000);

    const FiringRecord &record = c.form->firingRecord();
    QCOMPARE(record.trace().outcome(), RunOutcome::Finished);
    QCOMPARE(kindsOf(record),
             (QList<RecordEventKind>{RecordEventKind::Start, RecordEventKind::LinkLost,
                                     RecordEventKind::LinkBack, RecordEventKind::Finished}));
    QCOMPARE(record.facts().record, *c.form->selection().CurrentParams);
    // One sample per answered tick, the program's steps in order up to the last.
    const QList<TraceSample> &samples = record.trace().samples();
    QVERIFY2(samples.size() > 5, qPrintable(QString::number(samples.size())));
    for (qsizetype i = 1; i < samples.size(); ++i)
        QVERIFY(samples[i].CurrentZone >= samples[i - 1].CurrentZone);
    QCOMPARE(samples.constLast().CurrentZone, quint8(19));
    QCOMPARE(samples.constLast().StageText, QStringLiteral("Program finished"));
    // The window was in the background: the alert says which furnace finished its program.
    QCOMPARE(c.alerts, QStringList{QStringLiteral("%1 on Simulator: Program finished")
                                       .arg(c.form->link().image().FurnaceModelName)});

    // Saved by itself into the record folder, once as CSV and once as PDF.
    const QString base = QDir(autoDir).filePath(ProposedRecordName(record, QString()));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(base + QStringLiteral("pdf")), 5000);
    QVERIFY(QFile::exists(base + QStringLiteral("csv")));
    QCOMPARE(c.log().count(QStringLiteral(" Firing record saved: ")), 2);
    // One page with the facts, the end reason and the lost link.
    const QString report = pdfText(base + QStringLiteral("pdf"));
    QCOMPARE(report.count(u'\f'), 1);
    const QString heatRate = QStringLiteral("%1 °C/min").arg(record.facts().record.HeatRate);
    for (const QString &text :
         {QStringLiteral("Mass: Dentine"), QStringLiteral("Layer: Dentine 1"),
          QStringLiteral("Program finished"), QStringLiteral("Furnace not answering"), heatRate})
        QVERIFY2(report.contains(text), qPrintable(text));

    // File → Save firing record... proposes date, time, mass and layer in the record folder.
    QVERIFY(save->isEnabled());
    const QString csv = dir.filePath(QStringLiteral("mine.csv"));
    c.dialogs.saveAnswers << csv;
    save->trigger();
    QCOMPARE(c.dialogs.saveProposals.constLast(),
             QDir(autoDir).filePath(ProposedRecordName(record, QStringLiteral("csv"))));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("\r\n# Outcome,Program finished\r\n"));
    QCOMPARE(bytes.count("\r\n") - bytes.count("\r\n# ") - 1, samples.size() + 1);

    // Print...: the same page, here on a PDF printer.
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    c.dialogs.printAnswers << [&printed](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        return true;
    };
    c.get<QAction>("mmPrintRecord")->trigger();
    const QString page = pdfText(printed);
    QVERIFY(page.count(u'\f') == 1 && page.contains(QStringLiteral("Dentine 1")));
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
    QCOMPARE(c.dialogs.boxCount(), 0);

    // The next start forgets the record.
    c.form->sbStartPrgClick();
    QCOMPARE(kindsOf(c.form->firingRecord()), QList<RecordEventKind>{RecordEventKind::Start});
}

void TestRecords::faultEndsTheRecordAndAFailedSaveIsLogged()
{
    QTemporaryDir dir;
    // A record folder that cannot be made: below a plain file.
    const QString blocker = dir.filePath(QStringLiteral("file"));
    QFile(blocker).open(QIODevice::WriteOnly);
    RecordConsole c(1, blocker + QStringLiteral("/records"));
    c.form->setLanguage(0);
    c.form->sbStartPrgClick();
    QTRY_COMPARE_WITH_TIMEOUT(c.controller().furnace().ControllerMode(), quint8(32), 3000);
    c.controller().furnace().raiseFault(12);
    QTRY_COMPARE_WITH_TIMEOUT(c.dialogs.callsOf(QStringLiteral("later")).size(), 1, 3000);

    const FiringRecord &record = c.form->firingRecord();
    const QString fault = QStringLiteral("Сработала защита от перегрева");
    QCOMPARE(record.trace().outcome(), RunOutcome::Fault);
    QCOMPARE(record.events().constLast().detail, fault);
    QCOMPARE(c.alerts, QStringList{QStringLiteral("%1 на Simulator: %2")
                                       .arg(c.form->link().image().FurnaceModelName, fault)});
    // No box mid-run for the failed save: a line in the log.
    QTRY_VERIFY_WITH_TIMEOUT(c.log().contains(QStringLiteral("протокол обжига не сохранён")), 3000);
    QCOMPARE(c.dialogs.boxCount(), 1);

    // Closing the fault box ends the run; the record stays as the fault left it.
    QVERIFY(c.dialogs.closeOldestBox());
    QCOMPARE(record.trace().outcome(), RunOutcome::Fault);
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    c.dialogs.saveAnswers << pdf;
    c.get<QAction>("mmRecordPdf")->trigger();
    const QString report = pdfText(pdf);
    QVERIFY2(report.count(u'\f') == 1 && report.contains(QStringLiteral("Неисправность: ") + fault),
             qPrintable(report));
}

void TestRecords::saveDialogProposesAFolderThatIsThere()
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        if (!oldConfig.isEmpty())
            qputenv("XDG_CONFIG_HOME", oldConfig);
    });
    // A home whose documents folder is named but not (yet) made.
    qputenv("HOME", QFile::encodeName(home));
    qunsetenv("XDG_CONFIG_HOME");

    RecordConsole c(10, QString());
    c.form->sbStartPrgClick();
    QTRY_COMPARE_WITH_TIMEOUT(c.controller().furnace().ControllerMode(), quint8(32), 3000);
    c.dialogs.questionAnswers << true;
    c.form->sbStopPrgClick();
    auto *save = c.get<QAction>("mmSaveRecord");
    QVERIFY(save->isEnabled());
    const QString name = ProposedRecordName(c.form->firingRecord(), QStringLiteral("csv"));
    const auto proposal = [&c](QAction *action) {
        c.dialogs.saveAnswers << QString();
        action->trigger();
        return c.dialogs.saveProposals.constLast();
    };

    QCOMPARE(proposal(save), QDir(home).filePath(name));
    const QString documents = QDir(home).filePath(QStringLiteral("Documents"));
    QVERIFY(QDir().mkpath(documents));
    QCOMPARE(proposal(save), QDir(documents).filePath(name));
    // A failure names the folder that is not there.
    const QString gone = dir.filePath(QStringLiteral("gone"));
    c.dialogs.saveAnswers << QDir(gone).filePath(QStringLiteral("mine.csv"));
    save->trigger();
    const auto boxes = c.dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(
        boxes[0].text.contains(
            QStringLiteral("the folder \"%1\" does not exist").arg(QDir::toNativeSeparators(gone))),
        qPrintable(boxes[0].text));
    // Then the folder last saved into, as long as it is there.
    const QString other = dir.filePath(QStringLiteral("other"));
    QVERIFY(QDir().mkpath(other));
    c.dialogs.saveAnswers << QDir(other).filePath(QStringLiteral("mine.csv"));
    save->trigger();
    QCOMPARE(proposal(save), QDir(other).filePath(name));
    QVERIFY(QDir(other).removeRecursively());
    QCOMPARE(proposal(c.get<QAction>("mmRecordPdf")),
             QDir(documents).filePath(ProposedRecordName(c.form->firingRecord(), "pdf")));
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestRecords::reportShowsNotesAndLogbookHash_data()
{
    QTest::addColumn<quint8>("language");
    QTest::newRow("Russian") << quint8(0);
    QTest::newRow("English") << quint8(1);
}

void TestRecords::reportShowsNotesAndLogbookHash()
{
    QFETCH(quint8, language);
    FiringFacts facts;
    facts.massName = QStringLiteral("Dentine");
    facts.layerName = QStringLiteral("Dentine 1");
    facts.operatorName = QStringLiteral("Иванова О. П.");
    facts.console = QStringLiteral("ZKV4.6 CONSOLE 0.9.0");
    const QDateTime start(QDate(2026, 3, 7), QTime(10, 0));
    FiringRecord record;
    record.start(facts, start);
    // More events than the page has room for, and a long note: the page still holds it all.
    for (int i = 1; i < 60; ++i)
        record.addEvent(i % 2 ? RecordEventKind::LinkLost : RecordEventKind::LinkBack,
                        start.addSecs(10 * i));
    record.addEvent(RecordEventKind::Finished, start.addSecs(900));
    record.setCaseReference(QStringLiteral("Case 2026/0412"));
    QString note = QStringLiteral("Shade checked\n");
    for (int i = 0; i < 60; ++i)
        note += QStringLiteral("word%1 ").arg(i);
    record.setNote(note);
    const QByteArray hash = QCryptographicHash::hash("entry", QCryptographicHash::Sha256);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(FiringReport::Pdf(record, language, QStringLiteral("ZKV4.6 CONSOLE 1.0.0"), hash));
    file.close();
    const QString report = pdfText(path);
    QCOMPARE(report.count(u'\f'), 1);
    for (const QString &text : {FiringTexts::LogbookHash.text(language) + QStringLiteral(": ") +
                                    QString::fromLatin1(hash.toHex()),
                                facts.operatorName, facts.console, QStringLiteral("Case 2026/0412"),
                                QStringLiteral("Shade checked"), QStringLiteral("word1 word2"),
                                FiringTexts::EventFinished.text(language)})
        QVERIFY2(report.contains(text), qPrintable(text + QStringLiteral(" in:\n") + report));
    QVERIFY2(!report.contains(QStringLiteral("word59")), "the note is cut to three lines");
    const QStringList outside = wordsOutsideThePage(path);
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u' ')));
}

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
