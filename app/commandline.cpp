// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

#include "app/consolearguments.h"
#include "app/consolelines.h"
#include "logbook/logbook.h"
#include "logbook/logbookdb.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace
{

void print(FILE *stream, const QString &text)
{
    std::fputs(qPrintable(text), stream);
    std::fflush(stream);
}

/// The chain check of --verify-logbook: the verdict on standard output, the status 0 (holds),
/// 1 (an entry fails) or 2 (the logbook cannot be read).
int verifyLogbook(const QString &file)
{
    const QString shown = QDir::toNativeSeparators(file);
    LogbookDb db;
    if (!db.open(file, LogbookDb::Access::ReadOnly)) {
        print(stderr, QStringLiteral("zkv-console: the logbook %1 cannot be read: %2.\n")
                          .arg(shown, db.error()));
        return 2;
    }
    const VerifyReport report = db.verify();
    if (!report.readable) {
        print(stderr, QStringLiteral("zkv-console: the logbook %1 cannot be read: %2.\n")
                          .arg(shown, report.error));
        return 2;
    }
    QString checked = QStringLiteral("%1 entries and %2 amendments")
                          .arg(report.entriesChecked)
                          .arg(report.amendmentsChecked);
    if (report.checksChecked > 0)
        checked += QStringLiteral(" and %1 furnace checks").arg(report.checksChecked);
    checked += QStringLiteral(" checked");
    if (report.holds()) {
        QString text = QStringLiteral("Logbook %1: %2; the chain holds.").arg(shown, checked);
        if (report.running > 0)
            text +=
                QStringLiteral(" %1 firing(s) still running, not sealed yet.").arg(report.running);
        print(stdout, text + QLatin1Char('\n'));
        return 0;
    }
    const VerifyReport::Failure &f = *report.failure;
    QString where;
    if (f.amendment && f.layer.isEmpty() && f.startedAt.isValid())
        where = QStringLiteral("the furnace check \"%1\" done %2")
                    .arg(f.mass, f.startedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    else if (f.startedAt.isValid())
        where =
            QStringLiteral("%1 of the firing of %2, mass \"%3\", layer \"%4\"")
                .arg(f.amendment ? QStringLiteral("an amendment") : QStringLiteral("the entry"),
                     f.startedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), f.mass, f.layer);
    else
        where = QStringLiteral("link %1").arg(f.seq);
    print(stdout, QStringLiteral("Logbook %1: the chain does not hold at %2 (link %3): %4. %5 "
                                 "before it.\n")
                      .arg(shown, where)
                      .arg(f.seq)
                      .arg(f.reason, checked));
    return 1;
}

} // namespace

CommandLine ParseCommandLine(int argc, char **argv)
{
    // A core application only: it needs no display. It is gone before the window system starts.
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zkv-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZKV_VERSION));

    const ConsoleArguments args = ParseConsoleArguments(QCoreApplication::arguments());
    CommandLine line;
    switch (args.action) {
    case ConsoleArguments::Action::Refuse:
        print(stderr, QStringLiteral("zkv-console: %1\n\n%2").arg(args.error, args.usage));
        line.exitCode = 2;
        return line;
    case ConsoleArguments::Action::Help:
        print(stdout, args.usage);
        line.exitCode = 0;
        return line;
    case ConsoleArguments::Action::Version:
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion()));
        line.exitCode = 0;
        return line;
    case ConsoleArguments::Action::VerifyLogbook:
        line.exitCode = verifyLogbook(!args.verifyFile.isEmpty() ? args.verifyFile
                                      : !args.logbook.isEmpty()  ? args.logbook
                                                                 : Logbook::DefaultFile());
        return line;
    case ConsoleArguments::Action::Run:
        break;
    }
    ConsoleOptions &options = line.options;
    line.ports = args.ports;
    if (args.simulator)
        line.ports << SimulatorPortName;
    if (!line.ports.isEmpty())
        options.port = line.ports.constFirst();
    options.massesFile = args.massesFile;
    options.recordDir = args.recordDir;
    options.simulatorSpeed = args.simulatorSpeed;
    options.simulatorAgeing = {args.simHeaterPower, args.simVacuumLeak, args.simThermocoupleOffset};
    if (!args.noLogbook)
        options.logbookFile = args.logbook.isEmpty() ? Logbook::DefaultFile() : args.logbook;
    options.operatorName = args.operatorName;
    if (args.statusPort) {
        StatusServerOptions page;
        page.port = args.statusPort;
        if (!args.statusListen.isEmpty())
            page.address = args.statusListen;
        page.token = args.statusToken;
        line.statusPage = page;
    }
    return line;
}
