// SPDX-License-Identifier: GPL-3.0-or-later
// The furnace health window on a logbook of a dozen firings whose last one was flagged: the
// furnaces listed, the plots holding the firings and the baselines of a shorter period the same,
// the flagged firing marked and listed with its message; tolerances saved, checks set up, done
// (in the chain) and removed; the summary saved and printed; names for every control; a logbook
// that is off.

#include "app/healthwindow.h"
#include "graph/healthplot.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/scriptedfiring.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>

#include <cmath>

namespace
{

const QString Furnace =
    FurnaceKey(QString(), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("ZKV4.6"));
const QString Other =
    FurnaceKey(QStringLiteral("lab-2"), QStringLiteral("COM3"), QStringLiteral("ZKV4.6"));
constexpr int Firings = 12;
/// 700–900 °C rates of the firings, oldest first: the last one 20 % below the baseline's 50.
constexpr double Band[Firings] = {50, 51, 49, 50, 51, 49, 50, 51, 49, 50, 51, 40};
constexpr qint64 Day = 24 * 3600 * 1000;

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

/// A logbook of Firings sealed firings four days apart over seven weeks up to now (their
/// figures set by hand, the last one flagged at its seal) and one firing of another furnace; the
/// window on it.
struct Health {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    QDateTime first = QDateTime::currentDateTime().addDays(-4 * Firings).addSecs(-3600);
    std::unique_ptr<Logbook> logbook;
    ScriptedDialogs dialogs;
    int checksChanged = 0;
    std::unique_ptr<HealthWindow> window;

    explicit Health(bool write = true)
    {
        if (write) {
            LogbookDb db;
            db.open(file, LogbookDb::Access::ReadWrite);
            for (int i = 0; i <= Firings; ++i) {
                FiringRecord r =
                    ScriptedFiring(first.addDays(4 * i), 300, QStringLiteral("Enamel %1").arg(i));
                r.addEvent(RecordEventKind::Finished, first.addDays(4 * i).addSecs(300));
                EntryProgress progress;
                db.sync(r, progress);
            }
            QSqlQuery q(db.database());
            q.prepare(QStringLiteral(
                "UPDATE entry_figures SET normal = 1, band_rate = ?, heating_rate = ?, "
                "hold_deviation = 1.5, vacuum_seconds = 40, vacuum_level = 95, flags = ? "
                "WHERE entry_id = ?"));
            for (int i = 0; i < Firings; ++i) {
                q.bindValue(0, Band[i]);
                q.bindValue(1, Band[i] + 5);
                q.bindValue(2, i == Firings - 1 ? QStringLiteral("band") : QStringLiteral(""));
                q.bindValue(3, i + 1);
                if (!q.exec())
                    qFatal("figures not set");
            }
            q.exec(QStringLiteral("UPDATE entry_figures SET furnace_key = '%1' WHERE entry_id = %2")
                       .arg(Other)
                       .arg(Firings + 1));
        }
        logbook = std::make_unique<Logbook>(LogbookSettings{write ? file : QString()});
        QTRY_VERIFY(logbook->state() != Logbook::State::Opening);
        HealthHooks hooks;
        hooks.thisFurnace = Furnace;
        hooks.operatorName = QStringLiteral("anna");
        hooks.checksChanged = [this] { ++checksChanged; };
        window = std::make_unique<HealthWindow>(*logbook, dialogs, hooks, 1);
        window->resize(1200, 700);
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
    qint64 flaggedAt() const { return first.addDays(4 * (Firings - 1)).toMSecsSinceEpoch(); }
};

} // namespace

class TestHealthWindow : public QObject
{
    Q_OBJECT
private slots:
    void showsTheFiringsAndTheFlag();
    void dateTicksFollowTheCalendar_data();
    void dateTicksFollowTheCalendar();
    void tolerancesChecksAndSummaryAreWritten();
    void everyControlHasAnAccessibleName();
    void saysWhenTheLogbookIsOff();
};

void TestHealthWindow::showsTheFiringsAndTheFlag()
{
    Health h;
    auto *furnaces = h.get<QComboBox>("cmbFurnace");
    QCOMPARE(furnaces->count(), 2);
    QCOMPARE(furnaces->itemData(0).toString(), Furnace);
    QCOMPARE(furnaces->itemText(0), QStringLiteral("ZKV4.6 on /dev/ttyUSB0"));
    QCOMPARE(h.window->furnace(), Furnace);

    HealthPlot *heating = h.window->heatingPlot();
    QCOMPARE(heating->pointCount(), Firings);
    QCOMPARE(heating->flaggedCount(), 1);
    QCOMPARE(heating->data().values.last(), 40.0);
    // The baseline the flagged firing was judged against: the ten before it.
    QCOMPARE(heating->data().median.last(), 50.0);
    QCOMPARE(heating->data().low.last(), 49.0);
    QVERIFY(std::isnan(heating->data().median[4]));
    QCOMPARE(h.window->holdPlot()->flaggedCount(), 0);
    QCOMPARE(h.window->vacuumPlot()->pointCount(), Firings);

    // The flag is drawn in red where the firing stands.
    const QList<QPoint> marks = heating->flagMarks();
    QCOMPARE(marks.size(), 1);
    const QImage image = heating->grab().toImage();
    int red = 0;
    for (int dx = -6; dx <= 6; ++dx)
        for (int dy = -6; dy <= 6; ++dy) {
            const QColor c = image.pixelColor(marks[0] + QPoint(dx, dy));
            red += c.red() > 150 && c.green() < 90 && c.blue() < 90;
        }
    QVERIFY2(red >= 8, qPrintable(QString::number(red)));

    // Listed with what the seal found and the firing's name.
    auto *flags = h.get<QTreeWidget>("twFlags");
    QCOMPARE(flags->topLevelItemCount(), 1);
    DriftFlag expected;
    expected.figure = HealthFigure::BandRate;
    expected.value = 40;
    expected.baseline = 50;
    expected.change = 0.2;
    expected.comparedWith = 10;
    expected.temperature = 900;
    expected.bandLow = 700;
    QTreeWidgetItem *item = flags->topLevelItem(0);
    QCOMPARE(item->toolTip(1), DriftMessage(expected, 1));
    QTRY_COMPARE(item->text(2), QStringLiteral("Enamel %1 / Glaze/Stain 1").arg(Firings - 1));
    // Selected, it stands in the middle of the plots, which show at most two weeks.
    flags->setCurrentItem(item);
    for (HealthPlot *plot : {heating, h.window->holdPlot(), h.window->vacuumPlot()}) {
        QVERIFY(plot->viewFromMs() < h.flaggedAt() && h.flaggedAt() < plot->viewToMs());
        QVERIFY(plot->viewToMs() - plot->viewFromMs() <= 14 * Day);
    }
    QVERIFY(h.get<QLabel>("lblFlagDetail")->text().contains(DriftMessage(expected, 1)));
    // The wheel over one plot zooms all three around the same moment; a double click shows all.
    HealthPlot *hold = h.window->holdPlot();
    const qint64 span = hold->viewToMs() - hold->viewFromMs();
    QWheelEvent wheel(QPointF(hold->width() / 2, 50),
                      hold->mapToGlobal(QPointF(hold->width() / 2, 50)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(hold, &wheel);
    QVERIFY(qAbs(hold->viewToMs() - hold->viewFromMs() - span * 0.8) < 1000);
    QCOMPARE(heating->viewFromMs(), hold->viewFromMs());
    QCOMPARE(h.window->vacuumPlot()->viewToMs(), hold->viewToMs());
    QTest::mouseDClick(heating, Qt::LeftButton);
    QCOMPARE(hold->viewFromMs(), hold->fullFromMs());
    QCOMPARE(hold->viewToMs(), hold->fullToMs());

    // The ramp rate instead; the other furnace; a shorter period with the same baselines.
    h.window->showRampRate(true);
    QCOMPARE(heating->data().values.last(), 45.0);
    h.window->showRampRate(false);
    QVERIFY(h.window->selectFurnace(Other));
    QCOMPARE(heating->pointCount(), 0);
    QCOMPARE(flags->topLevelItemCount(), 0);
    QVERIFY(h.window->selectFurnace(Furnace));
    const HealthPlotData whole = heating->data();
    h.window->setPeriod(HealthWindow::Period::Month);
    const HealthPlotData month = heating->data();
    // The firings of the last month, each judged as before (by the firings before the month).
    QCOMPARE(month.values.size(), 7);
    QCOMPARE(month.median, whole.median.mid(Firings - 7));
    QCOMPARE(month.low, whole.low.mid(Firings - 7));
    QVERIFY(heating->fullFromMs() >=
            QDateTime::currentDateTime().addMonths(-1).addSecs(-60).toMSecsSinceEpoch());
}

void TestHealthWindow::dateTicksFollowTheCalendar_data()
{
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<QStringList>("labels");
    const QDate d(2026, 6, 10);
    QTest::newRow("half a year: months")
        << QDateTime(d, QTime(8, 0)) << QDateTime(QDate(2026, 12, 10), QTime(8, 0))
        << QStringList{"Jul 2026", "Aug 2026", "Sep 2026", "Oct 2026", "Nov 2026", "Dec 2026"};
    QTest::newRow("a week: days") << QDateTime(d, QTime(8, 0))
                                  << QDateTime(d.addDays(6), QTime(8, 0))
                                  << QStringList{"11.06", "12.06", "13.06",
                                                 "14.06", "15.06", "16.06"};
    QTest::newRow("a month: Mondays")
        << QDateTime(d, QTime(8, 0)) << QDateTime(d.addDays(30), QTime(8, 0))
        << QStringList{"15.06", "22.06", "29.06", "06.07"};
    QTest::newRow("a day: hours, midnight as its date")
        << QDateTime(d, QTime(13, 30)) << QDateTime(d.addDays(1), QTime(13, 30))
        << QStringList{"15:00", "18:00", "21:00", "11.06", "03:00", "06:00", "09:00", "12:00"};
    QTest::newRow("ten years") << QDateTime(QDate(2019, 3, 1), QTime(0, 0))
                               << QDateTime(QDate(2029, 3, 1), QTime(0, 0))
                               << QStringList{"2020", "2022", "2024", "2026", "2028"};
}

void TestHealthWindow::dateTicksFollowTheCalendar()
{
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(QStringList, labels);
    // 700 px, labels at least 70 px apart.
    const QList<HealthTimeTick> ticks =
        HealthTimeTicks(from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch(), 700, 70, 1);
    QStringList shown;
    for (const HealthTimeTick &t : ticks) {
        shown << t.label;
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(t.atMs).time().minute(), 0);
    }
    QCOMPARE(shown, labels);
}

void TestHealthWindow::tolerancesChecksAndSummaryAreWritten()
{
    Health h;
    // Tolerances: saved; the earlier flag is still listed with its numbers.
    auto *apply = h.get<QAbstractButton>("btnApplyTolerances");
    QVERIFY(!apply->isEnabled());
    h.get<QDoubleSpinBox>("sbTolHeating")->setValue(12);
    h.get<QDoubleSpinBox>("sbTolVacuum")->setValue(70);
    h.get<QDoubleSpinBox>("sbTolHold")->setValue(3.5);
    h.get<QDoubleSpinBox>("sbTolBand")->setValue(25);
    QVERIFY(apply->isEnabled());
    apply->click();
    QVERIFY(!apply->isEnabled());
    {
        LogbookDb db;
        QVERIFY(db.open(h.file, LogbookDb::Access::ReadOnly));
        QCOMPARE(db.tolerances(), (HealthTolerances{12, 70, 3.5, 25}));
    }
    QCOMPARE(h.get<QTreeWidget>("twFlags")->topLevelItemCount(), 1);
    QVERIFY(h.get<QTreeWidget>("twFlags")->topLevelItem(0)->toolTip(1).contains("20 %"));

    // A check needs an interval: the dialog says so and stays; then one of 30 days.
    h.dialogs.modalScripts << [](QDialog &d) {
        d.findChild<QAbstractButton *>("btnCheckOk")->click();
        QVERIFY(d.isVisible());
        QCOMPARE(d.findChild<QLabel *>("lblCheckError")->text(),
                 QStringLiteral("Set at least one interval."));
        d.findChild<QSpinBox *>("sbCheckDays")->setValue(30);
        d.findChild<QAbstractButton *>("btnCheckOk")->click();
    };
    h.get<QAbstractButton>("btnAddCheck")->click();
    QVERIFY2(h.dialogs.unexpected.isEmpty(), qPrintable(h.dialogs.unexpected.join("; ")));
    auto *checks = h.get<QTableWidget>("twChecks");
    QCOMPARE(checks->rowCount(), 1);
    QVERIFY2(checks->item(0, 0)->text().startsWith("Temperature calibration: 0 of 30 days"),
             qPrintable(checks->item(0, 0)->text()));
    QCOMPARE(h.checksChanged, 1);

    // Done five days ago: in the log, in the chain, and counted from then.
    const QDateTime done = QDateTime::currentDateTime().addDays(-5);
    h.dialogs.modalScripts << [&done](QDialog &d) {
        d.findChild<QDateTimeEdit *>("dtDoneAt")->setDateTime(done);
        d.findChild<QComboBox *>("cmbDoneResult")->setCurrentIndex(1);
        d.findChild<QLineEdit *>("edDoneDetails")->setText("0.5 °C low");
        d.findChild<QLineEdit *>("edDoneNote")->setText("silver test");
        d.findChild<QAbstractButton *>("btnDoneOk")->click();
    };
    checks->selectRow(0);
    h.get<QAbstractButton>("btnCheckDone")->click();
    auto *log = h.get<QTreeWidget>("twCheckLog");
    QCOMPARE(log->topLevelItemCount(), 1);
    QCOMPARE(log->topLevelItem(0)->text(2), QStringLiteral("adjusted: 0.5 °C low"));
    QCOMPARE(log->topLevelItem(0)->text(3), QStringLiteral("anna"));
    QCOMPARE(log->topLevelItem(0)->text(4), QStringLiteral("silver test"));
    QVERIFY(checks->item(0, 0)->text().contains("5 of 30 days"));
    QCOMPARE(h.checksChanged, 2);
    {
        LogbookDb db;
        QVERIFY(db.open(h.file, LogbookDb::Access::ReadOnly));
        const VerifyReport report = db.verify();
        QVERIFY(report.holds());
        QCOMPARE(report.checksChecked, 1);
        QCOMPARE(report.entriesChecked, Firings + 1);
    }

    // The summary, saved and printed.
    const QString pdf = h.dir.filePath("summary.pdf");
    h.dialogs.saveAnswers << pdf;
    h.get<QAbstractButton>("btnSummary")->click();
    QFile saved(pdf);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().startsWith("%PDF"));
    const QString printed = h.dir.filePath("printed.pdf");
    h.dialogs.printAnswers << [&printed](QPrinter &p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(printed);
        return true;
    };
    h.get<QAbstractButton>("btnPrint")->click();
    QVERIFY(QFileInfo(printed).size() > 1000);

    // Removed once asked; the log stays.
    h.dialogs.questionAnswers << true;
    h.get<QAbstractButton>("btnRemoveCheck")->click();
    QCOMPARE(checks->rowCount(), 0);
    QCOMPARE(log->topLevelItemCount(), 1);
    QCOMPARE(h.checksChanged, 3);
    QVERIFY2(h.dialogs.unexpected.isEmpty(), qPrintable(h.dialogs.unexpected.join("; ")));
    QCOMPARE(h.dialogs.callsOf("message").size(), 0);
}

void TestHealthWindow::everyControlHasAnAccessibleName()
{
    Health h;
    auto named = [](QWidget *top) {
        for (QWidget *w : top->findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                qobject_cast<QAbstractItemView *>(w) || qobject_cast<QComboBox *>(w) ||
                qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<HealthPlot *>(w) ||
                qobject_cast<QLabel *>(w);
            if (control && !w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
                QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(w->objectName()));
        }
    };
    for (quint8 language : {0, 1}) {
        h.window->setLanguage(language);
        named(h.window.get());
        h.dialogs.modalScripts << [&named](QDialog &d) {
            named(&d);
            d.reject();
        };
        h.get<QAbstractButton>("btnAddCheck")->click();
    }
    // Values are in the names (a combo box's own, which Linux reads with its label).
    QCOMPARE(h.get<QComboBox>("cmbFurnace")->accessibleName(),
             QStringLiteral("Furnace: ZKV4.6 on /dev/ttyUSB0"));
    QCOMPARE(accessibleName(h.get<QDoubleSpinBox>("sbTolBand")),
             QStringLiteral("700–900 °C rate below the baseline by more than: 8 %"));
    QCOMPARE(accessibleName(h.window->heatingPlot()),
             QStringLiteral("Heating rate 700–900 °C, °C/min: 12 firings, 1 flagged"));
    QVERIFY2(h.dialogs.unexpected.isEmpty(), qPrintable(h.dialogs.unexpected.join("; ")));
}

void TestHealthWindow::saysWhenTheLogbookIsOff()
{
    Health h(false);
    auto *problem = h.get<QLabel>("lblProblem");
    QVERIFY(problem->isVisible());
    QVERIFY(!h.window->heatingPlot()->isVisible());
    QVERIFY(problem->text().contains("logbook is off"));
    QVERIFY(accessibleName(problem).contains("logbook is off"));
}

QTEST_MAIN(TestHealthWindow)
#include "tst_healthwindow.moc"
