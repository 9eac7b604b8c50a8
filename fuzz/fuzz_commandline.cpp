// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the console's command line. The input is split at NUL bytes into the
// arguments after the program's name. Whatever it holds, the reading ends in one of its five
// actions; a refusal says why; a command line taken for a run gives a port that is a device
// name, a file that is a name, an absolute record folder and a finite simulator speed within
// its range; and the same arguments always read the same.

#include "app/consolearguments.h"
#include "fuzz/fuzzcheck.h"

#include <QDir>

#include <cmath>
#include <cstdint>

namespace
{

bool same(const ConsoleArguments &a, const ConsoleArguments &b)
{
    return a.action == b.action && a.error == b.error && a.port == b.port && a.ports == b.ports &&
           a.simulator == b.simulator && a.massesFile == b.massesFile &&
           a.recordDir == b.recordDir && a.logbook == b.logbook && a.noLogbook == b.noLogbook &&
           a.verifyFile == b.verifyFile && a.operatorName == b.operatorName &&
           (a.simulatorSpeed == b.simulatorSpeed ||
            (std::isnan(a.simulatorSpeed) && std::isnan(b.simulatorSpeed)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList arguments{QStringLiteral("zkv-console")};
    const auto *text = reinterpret_cast<const char *>(data);
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            arguments << QString::fromUtf8(text + start, qsizetype(i - start));
            start = i + 1;
        }
    }

    const ConsoleArguments args = ParseConsoleArguments(arguments);
    Require(same(args, ParseConsoleArguments(arguments)), "the same arguments read the same");
    using Action = ConsoleArguments::Action;
    switch (args.action) {
    case Action::Refuse:
        Require(!args.error.isEmpty(), "a refusal says why");
        return 0;
    case Action::Help:
        Require(!args.usage.isEmpty(), "--help has a usage");
        return 0;
    case Action::Version:
        return 0;
    case Action::VerifyLogbook:
        Require(args.verifyFile.isEmpty() || QDir::isAbsolutePath(args.verifyFile),
                "the logbook to check is an absolute file");
        return 0;
    case Action::Run:
        break;
    }
    Require(std::isfinite(args.simulatorSpeed) && args.simulatorSpeed >= 0 &&
                args.simulatorSpeed <= ConsoleArguments::MaxSimulatorSpeed,
            "the simulator speed is a factor within its range");
    Require(!args.port || !args.port->trimmed().isEmpty(), "a port is a device name");
    Require(args.port == (args.ports.isEmpty() ? std::nullopt
                                               : std::optional<QString>(args.ports.constFirst())),
            "the first port given is the first opened");
    Require(args.ports.size() + (args.simulator ? 1 : 0) <= ConsoleArguments::MaxFurnaces,
            "no more furnaces than a console drives");
    for (qsizetype i = 0; i < args.ports.size(); ++i)
        Require(!args.ports[i].trimmed().isEmpty() && args.ports.indexOf(args.ports[i]) == i,
                "each port a device name, none twice");
    Require(!args.massesFile || !args.massesFile->isEmpty(), "a masses file is a name");
    Require(args.recordDir.isEmpty() || QDir::isAbsolutePath(args.recordDir),
            "the record folder is absolute");
    Require(args.logbook.isEmpty() || QDir::isAbsolutePath(args.logbook),
            "the logbook is an absolute file");
    Require(args.logbook.isEmpty() || !args.noLogbook, "a logbook, or none");
    return 0;
}
