// SPDX-License-Identifier: GPL-3.0-or-later
// A console process in a firing, for the test that kills it: it writes a firing into the logbook
// given as its argument, a sample every 20 ms, and after every write that reached the database
// prints how many samples were written. It never ends by itself.

#include "logbook/logbook.h"
#include "tests/support/scriptedfiring.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() < 2)
        return 2;
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
