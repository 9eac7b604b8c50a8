// SPDX-License-Identifier: GPL-3.0-or-later
// The firing logbook's windows on a logbook of a few firings: the history lists, filters and
// sorts them; its verdict on the chain is the check's and names a tampered entry; an entry opens
// with its curve, parameters and events and takes an amendment; entries are compared; firing
// records of earlier consoles are imported; every control has an accessible name.

#include "app/comparewindow.h"
#include "app/entryview.h"
#include "app/historytexts.h"
#include "app/historywindow.h"
#include "app/recordcsv.h"
#include "graph/comparecurves.h"
#include "graph/compareview.h"
#include "graph/firingcurveview.h"
#include "logbook/historymodel.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/scriptedfiring.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace
{

const QDateTime Start(QDate(2026, 12, 7), QTime(14, 32, 5));

struct Firing {
    const char *mass;
    RecordEventKind end;
    const char *caseRef;
};
/// Oldest first; each an hour after the one before.
const Firing Firings[] = {
    {"Dentine A2", RecordEventKind::Finished, "K-17"},
    {"Enamel", RecordEventKind::Abort, ""},
    {"Zirconia", RecordEventKind::Fault, "K-18"},
};

FiringRecord ended(const Firing &f, int hour)
{
    FiringRecord r = ScriptedFiring(Start.addSecs(3600 * hour), 300, QString::fromUtf8(f.mass));
    r.setCaseReference(QString::fromUtf8(f.caseRef));
    r.addEvent(f.end, Start.addSecs(3600 * hour + 300), QStringLiteral("E7"));
    if (f.end != RecordEventKind::Fault)
        return r;
    // The faulty firing ran on another computer's furnace (a shared logbook).
    FiringFacts facts = r.facts();
    facts.port = QStringLiteral("/dev/ttyUSB1");
    facts.host = QStringLiteral("lab-pc-2");
    return FiringRecord::restored(r.uid(), facts, r.trace(), r.events(), 0, r.caseReference(),
                                  r.note());
}

/// Scripted dialogs that also answer the several-files dialog.
class Dialogs2 : public ScriptedDialogs
{
public:
    QList<QStringList> filesAnswers;
    QStringList openFileNames(QWidget *, const QString &title, const QString &) override
    {
        calls << Call{QStringLiteral("open files"), Icon::Information, title, {}};
        return filesAnswers.isEmpty() ? QStringList() : filesAnswers.takeFirst();
    }
};

/// A logbook of Firings, a Logbook on it and the history window.
struct History {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    std::unique_ptr<Logbook> logbook;
    Dialogs2 dialogs;
    QList<FiringRecord> written;
    QList<std::pair<QString, QByteArray>> saved;
    std::unique_ptr<HistoryWindow> window;

    explicit History(bool write = true)
    {
        if (write) {
            LogbookDb db;
            db.open(file, LogbookDb::Access::ReadWrite);
            for (int i = 0; i < int(std::size(Firings)); ++i) {
                EntryProgress progress;
                written << ended(Firings[i], i);
                db.sync(written.constLast(), progress);
            }
        }
        logbook = std::make_unique<Logbook>(LogbookSettings{write ? file : QString()});
        QTRY_VERIFY(logbook->state() != Logbook::State::Opening);
        HistoryHooks hooks;
        hooks.saveRecord = [this](const FiringRecord &r, const QByteArray &hash) {
            saved.append({r.uid(), hash});
        };
        window = std::make_unique<HistoryWindow>(*logbook, dialogs, hooks, 1);
        window->show();
    }
    template<class W>
    W *get(const char *name, QWidget *in = nullptr) const
    {
        W *w = (in ? in : window.get())->findChild<W *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    QTableView *table() const { return get<QTableView>("tvHistory"); }
    QString cell(int row, HistoryColumn column) const
    {
        return table()->model()->index(row, int(column)).data().toString();
    }
    int rows() const { return table()->model()->rowCount(); }
    /// The verdict of the check the window runs when it opens (or after checkLogbook()).
    QString checked() const
    {
        QSignalSpy spy(window.get(), &HistoryWindow::checked);
        if (window->checking())
            spy.wait(10000);
        return window->verdict();
    }
    void selectRows(std::initializer_list<int> rows) const
    {
        for (int row : rows)
            table()->selectionModel()->select(table()->model()->index(row, 0),
                                              QItemSelectionModel::Select |
                                                  QItemSelectionModel::Rows);
    }
};

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private slots:
    void listsFiltersAndSorts();
    void modelPagesThroughEveryEntry();
    void verdictIsTheChecksAndNamesATamperedEntry();
    void entryOpensWholeAndTakesAnAmendment();
    void compareShowsEachFiring();
    void importsRecordsOfEarlierConsoles();
    void saysWhyThereIsNoTable_data();
    void saysWhyThereIsNoTable();
    void everyControlHasAnAccessibleName();
};

void TestHistory::listsFiltersAndSorts()
{
    History h;
    QCOMPARE(h.rows(), 3);
    // Newest first.
    QCOMPARE(h.cell(0, HistoryColumn::Mass), QStringLiteral("Zirconia"));
    QCOMPARE(h.cell(2, HistoryColumn::Mass), QStringLiteral("Dentine A2"));
    QCOMPARE(h.cell(0, HistoryColumn::Outcome), QStringLiteral("Fault: E7"));
    QCOMPARE(h.cell(0, HistoryColumn::Furnace),
             QStringLiteral("ZKV4.6 v:1.05, /dev/ttyUSB1 (lab-pc-2)"));
    QCOMPARE(h.cell(1, HistoryColumn::Furnace), QStringLiteral("ZKV4.6 v:1.05, /dev/ttyUSB0"));
    QCOMPARE(h.cell(2, HistoryColumn::Duration), QStringLiteral("0:05:00"));
    QCOMPARE(h.get<QLabel>("lblCount")->text(), QStringLiteral("3 entries"));

    // Typing filters once typing pauses; case references are searched too.
    auto *filter = h.get<QLineEdit>("edHistoryFilter");
    QTest::keyClicks(filter, QStringLiteral("k-1"));
    QCOMPARE(h.rows(), 3); // not yet
    QTRY_COMPARE(h.rows(), 2);
    filter->clear();
    QTest::keyClicks(filter, QStringLiteral("ENAM"));
    QTRY_COMPARE(h.rows(), 1);
    QCOMPARE(h.get<QLabel>("lblCount")->text(), QStringLiteral("1 entry"));
    filter->clear();
    h.window->applyFilter();
    auto *outcome = h.get<QComboBox>("cmbOutcome");
    outcome->setCurrentIndex(2); // aborted
    QCOMPARE(h.rows(), 1);
    QCOMPARE(h.cell(0, HistoryColumn::Mass), QStringLiteral("Enamel"));
    outcome->setCurrentIndex(0);
    QCOMPARE(h.rows(), 3);
    // Each furnace of the logbook, another computer's named with it.
    auto *furnace = h.get<QComboBox>("cmbFurnace");
    QCOMPARE(furnace->count(), 3);
    QCOMPARE(furnace->itemText(1), QStringLiteral("ZKV4.6 on /dev/ttyUSB0"));
    QCOMPARE(furnace->itemText(2), QStringLiteral("ZKV4.6 on /dev/ttyUSB1 (lab-pc-2)"));
    furnace->setCurrentIndex(2);
    QCOMPARE(h.rows(), 1);
    QCOMPARE(h.cell(0, HistoryColumn::Mass), QStringLiteral("Zirconia"));
    furnace->setCurrentIndex(1);
    QCOMPARE(h.rows(), 2);
    furnace->setCurrentIndex(0);
    QCOMPARE(h.rows(), 3);

    // Sorting by a header: the database orders.
    h.table()->sortByColumn(int(HistoryColumn::Mass), Qt::AscendingOrder);
    QCOMPARE(h.cell(0, HistoryColumn::Mass), QStringLiteral("Dentine A2"));
    QCOMPARE(h.cell(2, HistoryColumn::Mass), QStringLiteral("Zirconia"));
    h.table()->sortByColumn(int(HistoryColumn::Mass), Qt::DescendingOrder);
    QCOMPARE(h.cell(0, HistoryColumn::Mass), QStringLiteral("Zirconia"));

    h.window->setLanguage(0);
    QCOMPARE(h.table()->model()->headerData(int(HistoryColumn::Mass), Qt::Horizontal),
             QStringLiteral("Масса"));
    QCOMPARE(h.get<QLabel>("lblCount")->text(), QStringLiteral("Записей: 3"));
}

void TestHistory::modelPagesThroughEveryEntry()
{
    QTemporaryDir dir;
    LogbookDb db;
    QVERIFY(db.open(dir.filePath(QStringLiteral("logbook.sqlite")), LogbookDb::Access::ReadWrite));
    auto write = [&db](int i) {
        FiringRecord r = ScriptedFiring(Start.addSecs(60 * i), 4, QStringLiteral("M%1").arg(i));
        r.addEvent(RecordEventKind::Finished, Start.addSecs(60 * i + 10));
        EntryProgress progress;
        return db.sync(r, progress);
    };
    const int count = 2 * HistoryModel::PageSize + 17;
    for (int i = 0; i < count; ++i)
        QVERIFY(write(i));
    HistoryModel model(db);
    QCOMPARE(model.rowCount(), count);
    // Every entry once, newest first, across the pages' seams, backwards too.
    for (int row = count - 1; row >= 0; --row)
        QCOMPARE(model.index(row, int(HistoryColumn::Mass)).data().toString(),
                 QStringLiteral("M%1").arg(count - 1 - row));
    const qint64 id = model.index(250, 0).data(HistoryModel::IdRole).toLongLong();
    QCOMPARE(model.rowOf(id, 0), 250);
    // A firing written since: the rows move down by one.
    QVERIFY(write(count));
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.refresh();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(model.rowCount(), count + 1);
    QCOMPARE(model.rowOf(id, 250), 251);
    QCOMPARE(model.index(0, int(HistoryColumn::Mass)).data().toString(),
             QStringLiteral("M%1").arg(count));
}

void TestHistory::verdictIsTheChecksAndNamesATamperedEntry()
{
    History h;
    QCOMPARE(h.checked(), QStringLiteral("Chain intact: 3 entries and 0 amendments checked"));
    QCOMPARE(accessibleName(h.get<QLabel>("lblVerdict")),
             QStringLiteral("Logbook check: Chain intact: 3 entries and 0 amendments checked"));

    {
        // A byte of Enamel's samples changed, as the sqlite3 shell would change it.
        QSqlDatabase shell = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "shell");
        shell.setDatabaseName(h.file);
        QVERIFY(shell.open());
        QSqlQuery q(shell);
        QVERIFY(q.exec("UPDATE entry_samples SET data = substr(data, 1, 40) || x'00' || "
                       "substr(data, 42) WHERE entry_id = (SELECT id FROM entries WHERE mass = "
                       "'Enamel')"));
        q = QSqlQuery();
        shell.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("shell"));
    h.window->checkLogbook();
    const QString verdict = h.checked();
    QCOMPARE(verdict, QStringLiteral("Chain broken at the entry of 07.12.2026 15:32, Enamel / "
                                     "Glaze/Stain 1: its content was changed"));
    LogbookDb db;
    QVERIFY(db.open(h.file, LogbookDb::Access::ReadOnly));
    QCOMPARE(verdict, HistoryTexts::Verdict(db.verify(), 1));
    QVERIFY(accessibleName(h.get<QLabel>("lblVerdict")).endsWith(verdict));
    h.window->setLanguage(0);
    QVERIFY2(h.window->verdict().contains(QStringLiteral("её содержимое изменено")),
             qPrintable(h.window->verdict()));
}

void TestHistory::entryOpensWholeAndTakesAnAmendment()
{
    History h;
    h.checked();
    QSignalSpy opened(h.table(), &QTableView::activated);
    h.table()->setCurrentIndex(h.table()->model()->index(2, 0));
    QTest::keyClick(h.table(), Qt::Key_Return);
    QCOMPARE(opened.size(), 1);
    auto *view = h.window->findChild<EntryView *>(QStringLiteral("EntryView"));
    QVERIFY(view);
    const FiringRecord &expected = h.written[0];
    QCOMPARE(view->entry().record.uid(), expected.uid());

    // The curve holds the run and its plan; the path executed ends where the run did.
    FiringCurveView *curve = view->curve();
    QVERIFY(curve->showsMeasuredTrace());
    QCOMPARE(curve->record()->HeatTemp, expected.facts().record.HeatTemp);
    QCOMPARE(curve->runPosition().ChamberTemp,
             int(expected.trace().samples().constLast().ChamberTemp));
    auto *parameters = h.get<QTreeWidget>("twParameters", view);
    int lines = 0;
    for (int g = 0; g < parameters->topLevelItemCount(); ++g)
        lines += parameters->topLevelItem(g)->childCount();
    QCOMPARE(parameters->topLevelItemCount(), 8);
    QCOMPARE(lines, ProgParam::FieldCount);
    auto *events = h.get<QTreeWidget>("twEvents", view);
    QCOMPARE(events->topLevelItemCount(), expected.events().size());
    QCOMPARE(events->topLevelItem(3)->text(1), QStringLiteral("Program finished"));
    QCOMPARE(h.get<QLabel>("lblMass", view)->text(), QStringLiteral("Dentine A2"));

    // The record commands get the entry and its seal.
    h.get<QAbstractButton>("btnSaveRecord", view)->click();
    QCOMPARE(h.saved.size(), 1);
    QCOMPARE(h.saved[0].first, expected.uid());
    QCOMPARE(h.saved[0].second, view->entry().summary.hash);

    // An amendment is appended, and shows in the view and the table once written.
    auto *amend = h.get<QAbstractButton>("btnAmend", view);
    QVERIFY(!amend->isEnabled());
    h.get<QLineEdit>("edCase", view)->setText(QStringLiteral("K-99"));
    h.get<QPlainTextEdit>("edNote", view)->setPlainText(QStringLiteral("crown 3.6"));
    QVERIFY(amend->isEnabled());
    QSignalSpy reloaded(view, &EntryView::reloaded);
    amend->click();
    QVERIFY(!amend->isEnabled());
    QVERIFY(reloaded.wait());
    auto *amendments = h.get<QTreeWidget>("twAmendments", view);
    QCOMPARE(amendments->topLevelItemCount(), 2);
    QCOMPARE(amendments->topLevelItem(0)->text(2), QStringLiteral("K-99"));
    QCOMPARE(view->entry().caseAtEnd, QStringLiteral("K-17"));
    QTRY_COMPARE(h.cell(2, HistoryColumn::Case), QStringLiteral("K-99"));
    QCOMPARE(h.get<QLabel>("lblAmendStatus", view)->text(),
             QStringLiteral("The amendment was written."));
    // The chain holds the amendments.
    h.window->checkLogbook();
    QCOMPARE(h.checked(), QStringLiteral("Chain intact: 3 entries and 2 amendments checked"));
}

void TestHistory::compareShowsEachFiring()
{
    History h;
    auto *compare = h.get<QAbstractButton>("btnCompare");
    h.selectRows({0});
    QVERIFY(!compare->isEnabled());
    h.selectRows({2});
    QVERIFY(compare->isEnabled());
    // Open takes the first of several.
    h.get<QAbstractButton>("btnOpen")->click();
    auto *view = h.window->findChild<EntryView *>(QStringLiteral("EntryView"));
    QVERIFY(view);
    QCOMPARE(view->entry().summary.mass, QStringLiteral("Zirconia"));
    compare->click();
    auto *window = h.window->findChild<CompareWindow *>(QStringLiteral("CompareWindow"));
    QVERIFY(window);
    const QList<CompareCurve> curves = window->view()->curves();
    QCOMPARE(curves.size(), 2);
    QCOMPARE(curves[0].label, QStringLiteral("07.12.2026 16:32, Zirconia / Glaze/Stain 1"));
    QCOMPARE(curves[1].label, QStringLiteral("07.12.2026 14:32, Dentine A2 / Glaze/Stain 1"));
    QCOMPARE(curves[1].samples.size(), 300);
    auto *figures = h.get<QTableWidget>("twFigures", window);
    QCOMPARE(figures->rowCount(), 2);
    QCOMPARE(figures->item(1, 0)->text(), curves[1].label);
    // Highest temperature and the total duration of the scripted run.
    const FiringFigures f = ComputeFiringFigures(ended(Firings[0], 0));
    QCOMPARE(figures->item(1, 2)->text(), QStringLiteral("%1 °C").arg(*f.runMaxTemp));
    QCOMPARE(figures->item(1, 6)->text(), FormatMinSec(int(std::lround(*f.durationSeconds))));

    // Aligned at the start of heating, each curve is shifted by its own.
    QCOMPARE(curves[1].offsetSeconds, 0.0);
    h.get<QAbstractButton>("rbAlignHeating", window)->click();
    QVERIFY(f.heatingStartSeconds && *f.heatingStartSeconds > 0);
    QCOMPARE(window->view()->curves()[1].offsetSeconds, *f.heatingStartSeconds);
}

void TestHistory::importsRecordsOfEarlierConsoles()
{
    History h;
    h.checked();
    const FiringRecord earlier = ended({"Imported mass", RecordEventKind::Finished, ""}, -24);
    const QString good = h.dir.filePath(QStringLiteral("earlier.csv"));
    const QString again = h.dir.filePath(QStringLiteral("copy.csv"));
    const QString bad = h.dir.filePath(QStringLiteral("notes.csv"));
    for (const QString &path : {good, again}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(RecordCsv::Encode(earlier, 1, QStringLiteral("ZKV4.6 CONSOLE 0.9")));
    }
    // A firing exported from this logbook is there already, whatever its file says.
    const QString exported = h.dir.filePath(QStringLiteral("exported.csv"));
    {
        QFile f(exported);
        QVERIFY(f.open(QIODevice::WriteOnly));
        LogbookDb db;
        QVERIFY(db.open(h.file, LogbookDb::Access::ReadOnly));
        const QByteArray hash = db.loadByUid(h.written[1].uid())->summary.hash;
        f.write(RecordCsv::Encode(h.written[1], 0, QStringLiteral("ZKV4.6 CONSOLE 1.0.0"), hash));
    }
    QFile notes(bad);
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("shopping list\n");
    notes.close();

    h.dialogs.filesAnswers << QStringList{good, bad, again, exported};
    QSignalSpy finished(h.window.get(), &HistoryWindow::importFinished);
    h.get<QAbstractButton>("btnImport")->click();
    QVERIFY(finished.wait());
    QCOMPARE(finished[0], (QVariantList{1, 2, 1}));
    const ScriptedDialogs::Call summary = h.dialogs.callsOf(QStringLiteral("message")).value(0);
    QVERIFY2(summary.text.contains(QStringLiteral("Imported: 1")), qPrintable(summary.text));
    QVERIFY2(summary.text.contains(
                 QStringLiteral("Already in the logbook: 2\n  exported.csv\n  copy.csv")),
             qPrintable(summary.text));
    QVERIFY2(summary.text.contains(QStringLiteral("notes.csv")), qPrintable(summary.text));
    QTRY_COMPARE(h.rows(), 4);
    QCOMPARE(h.cell(3, HistoryColumn::Mass), QStringLiteral("Imported mass"));
    QCOMPARE(h.cell(3, HistoryColumn::Outcome), QStringLiteral("Finished (imported)"));
    h.get<QComboBox>("cmbOutcome")->setCurrentIndex(5);
    QCOMPARE(h.rows(), 1);
    QVERIFY(h.dialogs.unexpected.isEmpty());
}

void TestHistory::saysWhyThereIsNoTable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("said");
    QTest::newRow("off") << "off"
                         << "The firing logbook is off";
    QTest::newRow("not a database") << "garbage"
                                    << "not a database";
}

void TestHistory::saysWhyThereIsNoTable()
{
    QFETCH(QString, kind);
    QFETCH(QString, said);
    std::unique_ptr<History> h;
    if (kind == QLatin1String("off")) {
        h = std::make_unique<History>(false);
    } else {
        h = std::make_unique<History>(true);
        h->window.reset();
        h->logbook.reset();
        QFile f(h->file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(8192, 'x'));
        f.close();
        h->logbook = std::make_unique<Logbook>(LogbookSettings{h->file});
        QTRY_VERIFY(h->logbook->state() != Logbook::State::Opening);
        h->window = std::make_unique<HistoryWindow>(*h->logbook, h->dialogs, HistoryHooks{}, 1);
        h->window->show();
    }
    auto *problem = h->get<QLabel>("lblProblem");
    QVERIFY(problem->isVisible());
    QVERIFY(!h->table()->isVisible());
    QVERIFY2(problem->text().contains(said), qPrintable(problem->text()));
    QVERIFY(accessibleName(problem).contains(said));
    QVERIFY(!h->get<QAbstractButton>("btnCheck")->isEnabled());
}

void TestHistory::everyControlHasAnAccessibleName()
{
    History h;
    h.checked();
    EntryView *view = h.window->openEntry(
        h.table()->model()->index(0, 0).data(HistoryModel::IdRole).toLongLong());
    h.selectRows({0, 1});
    CompareWindow *compare = h.window->compareEntries(h.window->selectedIds());
    QVERIFY(view && compare);
    for (quint8 language : {0, 1}) {
        h.window->setLanguage(language);
        for (QWidget *top : std::initializer_list<QWidget *>{h.window.get(), view, compare})
            for (QWidget *w : top->findChildren<QWidget *>()) {
                const bool control =
                    qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                    qobject_cast<QAbstractItemView *>(w) || qobject_cast<QComboBox *>(w) ||
                    qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QAbstractSpinBox *>(w) ||
                    qobject_cast<FiringCurveView *>(w) || qobject_cast<CompareView *>(w);
                if (control && !w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
                    QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(w->objectName()));
            }
    }
    // Values are part of the names.
    QCOMPARE(accessibleName(h.get<QLabel>("lblMass", view)), QStringLiteral("Mass: Zirconia"));
    QCOMPARE(accessibleName(h.get<QLabel>("lblCount")),
             QStringLiteral("Logbook entries: 3 entries"));
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
