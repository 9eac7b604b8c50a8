// SPDX-License-Identifier: GPL-3.0-or-later
// A console process in a firing, for the test that kills it: it writes a firing into the logbook
// given as its argument, a sample every 20 ms, and after every write that reached the database
// prints how many samples were written. It never ends by itself.
// With "--append N LOGBOOK" it is a console that fires N short firings one after the other as
// fast as the logbook takes them, and prints how many were sealed and in how many ms.

#include "logbook/logbook.h"
#include "tests/support/scriptedfiring.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

static int appendFirings(int count, const QString &location)
{
    LogbookSettings settings;
    settings.file = location;
    Logbook logbook(settings);
    QObject::connect(&logbook, &Logbook::entryFailed, [](const QString &uid, const QString &why) {
        std::fprintf(stderr, "failed %s: %s\n", qPrintable(uid), qPrintable(why));
    });
    qsizetype sealed = 0;
    QObject::connect(&logbook, &Logbook::entrySealed, [&sealed] { ++sealed; });
    QElapsedTimer spent;
    spent.start();
    const QDateTime start = QDateTime::currentDateTime();
    const QString mass = QStringLiteral("Mass of %1").arg(QCoreApplication::applicationPid());
    for (int i = 0; i < count; ++i) {
        FiringRecord record =
            ScriptedFiring(start.addSecs(600 * i), 200, mass, QStringLiteral("Layer %1").arg(i));
        logbook.firingStarted(record);
        record.addEvent(RecordEventKind::Finished, start.addSecs(600 * i + 160));
        logbook.firingEnded(record);
    }
    if (!logbook.waitForWrites(120000))
        return 1;
    std::printf("sealed %lld in %lld ms\n", qlonglong(sealed), qlonglong(spent.elapsed()));
    return sealed == count ? 0 : 1;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() < 2)
        return 2;
    if (app.arguments().at(1) == QLatin1String("--append") && app.arguments().size() == 4)
        return appendFirings(app.arguments().at(2).toInt(), app.arguments().at(3));
    LogbookSettings settings;
    settings.file = app.arguments().at(1);
    settings.flushSeconds = 0;
    Logbook logbook(settings);
    const QDateTime start = QDateTime::currentDateTime();
    FiringRecord record = ScriptedFiring(start, 0, QStringLiteral("Killed mass"));
    logbook.firingStarted(record);
    int n = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        TraceSample s;
        s.Seconds = 0.8 * n;
        s.WallClock = start.addMSecs(800 * n);
        s.CurrentZone = 3;
        s.ChamberTemp = quint16(400 + n);
        s.StageText = QStringLiteral("Heating");
        record.trace().add(s);
        ++n;
        logbook.firingTick(record);
        if (n % 5 == 0 && logbook.waitForWrites() && logbook.state() == Logbook::State::On) {
            std::printf("written %d\n", n);
            std::fflush(stdout);
        }
    });
    tick.start(20);
    return app.exec();
}
