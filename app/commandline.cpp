// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

#include "app/consolearguments.h"
#include "app/consolelines.h"

#include <QCoreApplication>

#include <cstdio>

namespace
{

void print(FILE *stream, const QString &text)
{
    std::fputs(qPrintable(text), stream);
    std::fflush(stream);
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
    case ConsoleArguments::Action::Run:
        break;
    }
    ConsoleOptions &options = line.options;
    if (args.port)
        options.port = *args.port;
    else if (args.simulator)
        options.port = SimulatorPortName;
    options.massesFile = args.massesFile;
    options.recordDir = args.recordDir;
    options.simulatorSpeed = args.simulatorSpeed;
    return line;
}
