// SPDX-License-Identifier: GPL-3.0-or-later
// The firing logbook at the size of years of a laboratory's work: a synthetic logbook of 100,000
// firings of 1,500 samples each (made here, in a temporary folder removed at the end). Prints the
// time to open the history window to its first rows, a text filter, opening one entry with its
// curve, what sealing a firing at its end costs the window's thread, the check of the whole
// chain, and the file's size per entry; each as a ratio to its aim where there is one. Never
// fails.
//
//   bench_logbook [entries] [samples per entry]

#include "app/entryview.h"
#include "app/healthwindow.h"
#include "app/historywindow.h"
#include "bench/logbook/logbookgen.h"
#include "bench/support/windowbench.h"
#include "graph/firingcurveview.h"
#include "graph/healthplot.h"
#include "logbook/firingfigures.h"
#include "logbook/historymodel.h"
#include "logbook/logbook.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/scriptedfiring.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace
{

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

void figure(QTextStream &out, const char *what, double ms, double aimMs)
{
    out << what << ": " << ms << " ms";
    if (aimMs > 0)
        out << " (" << ms / aimMs << " of the " << aimMs << " ms aim)";
    out << "\n";
    out.flush();
}

} // namespace

int main(int argc, char **argv)
{
    WindowBench bench(argc, argv);
    QTextStream &out = bench.out;
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(2);
    const QStringList args = QCoreApplication::arguments();
    const qint64 entries = args.size() > 1 ? args[1].toLongLong() : 100000;
    const int samples = args.size() > 2 ? args[2].toInt() : 1500;

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logbook.sqlite"));
    {
        QElapsedTimer t;
        t.start();
        LogbookGenerator generator(samples);
        LogbookDb db;
        QString error;
        if (!db.open(file, LogbookDb::Access::ReadWrite) || !generator.fill(db, entries, &error)) {
            out << "the logbook could not be made: " << db.error() << error << "\n";
            return 0;
        }
        out << "made a logbook of " << entries << " firings of " << samples << " samples in "
            << msSince(t) / 1000 << " s\n";
    }
    const double bytes = double(QFileInfo(file).size());
    out << "size: " << bytes / 1e6 << " MB, " << bytes / double(entries) / 1024
        << " KiB per entry\n";

    ScriptedDialogs dialogs; // no box is expected; one that comes is answered as cancelled
    LogbookSettings settings;
    settings.file = file;
    Logbook logbook(settings);
    logbook.waitForWrites();
    HistoryHooks hooks;

    // The history window to its first rows, afresh each time (its own connection, its model).
    QList<double> opening;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        HistoryWindow window(logbook, dialogs, hooks, 1);
        window.show();
        while (window.model()->rowCount() == 0 && t.elapsed() < 10000)
            QCoreApplication::processEvents();
        window.repaint();
        opening << msSince(t);
    }
    figure(out, "history window open to its first rows (median of 5)", median(opening), 150);

    HistoryWindow window(logbook, dialogs, hooks, 1);
    window.show();
    QCoreApplication::processEvents();
    auto *filter = window.findChild<QLineEdit *>(QStringLiteral("edHistoryFilter"));
    for (const QString &text : {QStringLiteral("k-4711"), QStringLiteral("дентин"),
                                QStringLiteral("bridge, shade a3"), QStringLiteral("nothing")}) {
        QList<double> times;
        qint64 found = 0;
        for (int i = 0; i < 3; ++i) {
            filter->setText(QString());
            window.applyFilter();
            QElapsedTimer t;
            t.start();
            filter->setText(text);
            window.applyFilter();
            QCoreApplication::processEvents();
            times << msSince(t);
            found = window.model()->totalCount();
        }
        out << "text filter \"" << text << "\" (" << found << " entries): ";
        figure(out, "median of 3", median(times), 100);
    }
    filter->setText(QString());
    window.applyFilter();

    // One entry with its curve, a different one each time.
    QList<double> entryTimes;
    for (int i = 0; i < 5; ++i) {
        const qint64 id = 1 + (entries / 7) * i;
        QElapsedTimer t;
        t.start();
        EntryView *view = window.openEntry(id);
        if (!view)
            break;
        view->show();
        view->curve()->repaint();
        entryTimes << msSince(t);
        view->close();
    }
    figure(out, "an entry opened with its curve (median of 5)", median(entryTimes), 50);

    // A firing sealed at its end: what the window's thread spends handing it over, and how long
    // the writer takes to seal it in this logbook.
    QList<double> handOver;
    QList<double> sealing;
    for (int i = 0; i < 5; ++i) {
        FiringRecord record = ScriptedFiring(QDateTime::currentDateTime(), samples);
        logbook.firingStarted(record);
        logbook.waitForWrites();
        record.addEvent(RecordEventKind::Finished, QDateTime::currentDateTime());
        QSignalSpy sealed(&logbook, &Logbook::entrySealed);
        QElapsedTimer t;
        t.start();
        logbook.firingEnded(record);
        handOver << msSince(t);
        sealed.wait(10000);
        sealing << msSince(t);
    }
    figure(out, "a firing completed, on the window's thread (median of 5)", median(handOver), 10);
    figure(out, "  the writer's seal of it, on the logbook's thread (median of 5)", median(sealing),
           0);

    // The figures of one firing of 3,000 samples (what sealing measures, and the comparison).
    {
        LogbookGenerator longer(3000);
        QRandomGenerator random(7);
        const QList<TraceSample> firing = longer.firing(random, 0);
        QList<double> times;
        FiringFigures figures;
        for (int i = 0; i < 200; ++i) {
            QElapsedTimer t;
            t.start();
            figures = ComputeFiringFigures(firing, SampleFiring(), RunOutcome::Finished);
            times << msSince(t);
        }
        figure(out, "the figures of one firing of 3,000 samples (median of 200)", median(times), 1);
    }

    // The health window on the furnace with the most firings: its plots of the last six months.
    {
        QList<double> times;
        qsizetype points = 0;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            HealthWindow health(logbook, dialogs, HealthHooks{}, 1);
            health.show();
            health.selectFurnace(FurnaceKey(QStringLiteral("lab-pc"),
                                            QStringLiteral("/dev/ttyUSB0"),
                                            QStringLiteral("ZKV4.6")));
            health.repaint();
            QCoreApplication::processEvents();
            times << msSince(t);
            points = health.heatingPlot()->pointCount();
        }
        out << "health window with its plots (" << points << " firings shown): ";
        figure(out, "median of 5", median(times), 300);
    }

    LogbookDb db;
    db.open(file, LogbookDb::Access::ReadOnly);
    QElapsedTimer t;
    t.start();
    const VerifyReport report = db.verify();
    out << "the whole chain checked (" << report.entriesChecked << " entries, "
        << (report.holds() ? "holds" : "fails") << "): " << msSince(t) / 1000 << " s\n";
    return 0;
}
