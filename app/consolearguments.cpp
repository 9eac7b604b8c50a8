// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/consolearguments.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cmath>

namespace
{

/// Options of Qt's application object that take a value, and those that take none. They are
/// accepted here and left to the application object.
constexpr const char *QtValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger"};
constexpr const char *QtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

ConsoleArguments ParseConsoleArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-platform offscreen" is one option, as Qt's application object reads it.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("ZKV4.6 furnace console"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Open DEVICE at start instead of asking."),
                                        QStringLiteral("DEVICE"));
    parser.addOption(portOption);
    const QCommandLineOption simulatorOption(
        QStringLiteral("simulator"), QStringLiteral("Connect to the built-in furnace simulator."));
    parser.addOption(simulatorOption);
    const QCommandLineOption speedOption(
        QStringLiteral("sim-speed"),
        QStringLiteral("Simulated seconds per real second of the built-in simulator (default 1)."),
        QStringLiteral("FACTOR"), QStringLiteral("1"));
    parser.addOption(speedOption);
    const QCommandLineOption openOption(
        QStringLiteral("open"), QStringLiteral("Open the masses FILE at start instead of asking."),
        QStringLiteral("FILE"));
    parser.addOption(openOption);
    const QCommandLineOption recordDirOption(
        QStringLiteral("record-dir"),
        QStringLiteral("Also save every ended firing into the folder DIR, as a CSV record and a "
                       "PDF report."),
        QStringLiteral("DIR"));
    parser.addOption(recordDirOption);
    for (const char *name : QtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : QtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    ConsoleArguments args;
    args.usage = parser.helpText();
    const auto refuse = [&args](const QString &reason) {
        args.action = ConsoleArguments::Action::Refuse;
        args.error = reason;
        return args;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    // --help-all would add Qt's own options; the usage says what this program takes.
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        args.action = ConsoleArguments::Action::Help;
        return args;
    }
    if (parser.isSet(versionOption)) {
        args.action = ConsoleArguments::Action::Version;
        return args;
    }

    if (parser.isSet(portOption)) {
        args.port = parser.value(portOption);
        if (args.port->trimmed().isEmpty())
            return refuse(QStringLiteral("--port takes a device."));
    } else {
        args.simulator = parser.isSet(simulatorOption);
    }
    if (parser.isSet(openOption)) {
        args.massesFile = parser.value(openOption);
        if (args.massesFile->isEmpty())
            return refuse(QStringLiteral("--open takes a file."));
    }
    if (parser.isSet(recordDirOption)) {
        const QString folder = parser.value(recordDirOption);
        if (folder.trimmed().isEmpty())
            return refuse(QStringLiteral("--record-dir takes a folder."));
        // Fixed now: a later change of the working folder does not move the records.
        args.recordDir = QFileInfo(folder).absoluteFilePath();
    }
    bool speedOk = false;
    args.simulatorSpeed = parser.value(speedOption).toDouble(&speedOk);
    // "nan" reads as a number too; it is no factor.
    if (!speedOk || !std::isfinite(args.simulatorSpeed) || args.simulatorSpeed < 0 ||
        args.simulatorSpeed > ConsoleArguments::MaxSimulatorSpeed)
        return refuse(QStringLiteral("--sim-speed takes a factor between 0 and 10000."));
    return args;
}
