// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/consolearguments.h"

#include "logbook/logbookschema.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

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

bool IsNumericAddress(const QString &address)
{
    const QByteArray text = address.toLatin1();
    // toLatin1 turns what is not Latin-1 into '?', which no address holds.
    if (text.isEmpty() || text.size() > 64 || text.contains('\0'))
        return false;
    unsigned char bytes[16];
    return inet_pton(AF_INET, text.constData(), bytes) == 1 ||
           inet_pton(AF_INET6, text.constData(), bytes) == 1;
}

bool IsStatusToken(const QString &token)
{
    if (token.size() < ConsoleArguments::MinTokenLength ||
        token.size() > ConsoleArguments::MaxTokenLength)
        return false;
    return std::all_of(token.cbegin(), token.cend(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || QStringView(u"-._~").contains(c);
    });
}

ConsoleArguments ParseConsoleArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-platform offscreen" is one option, as Qt's application object reads it.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("ZKV4.6 furnace console"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Open DEVICE at start instead of asking. Given more than once, "
                       "a furnace window opens on each (up to 8)."),
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
    const QCommandLineOption heaterOption(
        QStringLiteral("sim-heater-power"),
        QStringLiteral("The built-in simulator's heating element at PERCENT of a new one's power "
                       "(0 to 100, default 100)."),
        QStringLiteral("PERCENT"), QStringLiteral("100"));
    parser.addOption(heaterOption);
    const QCommandLineOption leakOption(
        QStringLiteral("sim-vacuum-leak"),
        QStringLiteral("The built-in simulator's vacuum leak: the SHARE of the pump's speed that "
                       "leaks take back (0 to 0.9, default 0)."),
        QStringLiteral("SHARE"), QStringLiteral("0"));
    parser.addOption(leakOption);
    const QCommandLineOption offsetOption(
        QStringLiteral("sim-thermocouple-offset"),
        QStringLiteral("The built-in simulator's thermocouple reads DEGREES high (-50 to 50, "
                       "default 0)."),
        QStringLiteral("DEGREES"), QStringLiteral("0"));
    parser.addOption(offsetOption);
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
    const QCommandLineOption logbookOption(
        QStringLiteral("logbook"),
        QStringLiteral("Keep the firing logbook in FILE instead of logbook.sqlite in the user's "
                       "application data folder, or in the laboratory's shared logbook on a "
                       "PostgreSQL server: postgresql://user@host:port/database (the password "
                       "from PGPASSFILE or ~/.pgpass)."),
        QStringLiteral("FILE"));
    parser.addOption(logbookOption);
    const QCommandLineOption noLogbookOption(QStringLiteral("no-logbook"),
                                             QStringLiteral("Keep no firing logbook."));
    parser.addOption(noLogbookOption);
    const QCommandLineOption verifyOption(
        QStringLiteral("verify-logbook"),
        QStringLiteral("Check the firing logbook's hash chain (of FILE when it follows, else of "
                       "the logbook in use), print the verdict and end: status 0 when it holds, 1 "
                       "when an entry was changed, removed or added, 2 when it cannot be read. "
                       "Needs no display."));
    parser.addOption(verifyOption);
    const QCommandLineOption operatorOption(
        QStringLiteral("operator"),
        QStringLiteral("Record NAME as the operator of the firings (default: the system user)."),
        QStringLiteral("NAME"));
    parser.addOption(operatorOption);
    const QCommandLineOption statusPortOption(
        QStringLiteral("status-port"),
        QStringLiteral("Serve a read-only status page of the furnace windows (HTML, and JSON at "
                       "/status.json) on TCP port N, on the loopback address unless "
                       "--status-listen names another."),
        QStringLiteral("N"));
    parser.addOption(statusPortOption);
    const QCommandLineOption statusListenOption(
        QStringLiteral("status-listen"),
        QStringLiteral("Serve the status page on ADDRESS (a numeric IPv4 or IPv6 address; "
                       "0.0.0.0 for every network) instead of 127.0.0.1."),
        QStringLiteral("ADDRESS"));
    parser.addOption(statusListenOption);
    const QCommandLineOption statusTokenOption(
        QStringLiteral("status-token"),
        QStringLiteral("Answer only requests of the status page that carry TOKEN (?token=TOKEN "
                       "or the header Authorization: Bearer TOKEN): 8 to 256 letters, digits "
                       "and - . _ ~."),
        QStringLiteral("TOKEN"));
    parser.addOption(statusTokenOption);
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
    // "--verify-logbook [FILE]": the file is optional, which the parser cannot express.
    QStringList rest = arguments;
    std::optional<QString> verifyFile;
    for (qsizetype i = 1; i < rest.size(); ++i) {
        const QString &a = rest[i];
        if (a.startsWith(QLatin1String("--verify-logbook="))) {
            verifyFile = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            rest[i] = QStringLiteral("--verify-logbook");
        } else if (a == QLatin1String("--verify-logbook") && i + 1 < rest.size() &&
                   !rest[i + 1].startsWith(QLatin1Char('-'))) {
            verifyFile = rest.takeAt(i + 1);
        }
    }
    if (!parser.parse(rest))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Unexpected argument \"%1\".")
                          .arg(parser.positionalArguments().constFirst()));
    // --help-all would add Qt's own options; the usage says what this program takes.
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        args.action = ConsoleArguments::Action::Help;
        return args;
    }
    if (parser.isSet(versionOption)) {
        args.action = ConsoleArguments::Action::Version;
        return args;
    }

    args.ports = parser.values(portOption);
    for (qsizetype i = 0; i < args.ports.size(); ++i) {
        if (args.ports[i].trimmed().isEmpty())
            return refuse(QStringLiteral("--port takes a device."));
        if (args.ports.indexOf(args.ports[i]) != i)
            return refuse(QStringLiteral("The port %1 is given twice.").arg(args.ports[i]));
    }
    if (!args.ports.isEmpty())
        args.port = args.ports.constFirst();
    args.simulator = parser.isSet(simulatorOption);
    if (args.ports.size() + (args.simulator ? 1 : 0) > ConsoleArguments::MaxFurnaces)
        return refuse(QStringLiteral("At most %1 furnaces can be driven from one console.")
                          .arg(ConsoleArguments::MaxFurnaces));
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
    // A logbook is a file, or a PostgreSQL database (an address, kept as it is given).
    QString badLocation;
    const auto location = [&badLocation](const QString &option, const QString &given) {
        if (LogbookSchema::DialectOf(given) == SqlDialect::SQLite) {
            return QFileInfo(given).absoluteFilePath();
        }
        QString why;
        if (!LogbookSchema::ServerAddressOf(given, &why))
            badLocation = QStringLiteral("%1: %2.").arg(option, why);
        return given;
    };
    if (parser.isSet(logbookOption)) {
        const QString file = parser.value(logbookOption);
        if (file.trimmed().isEmpty())
            return refuse(QStringLiteral("--logbook takes a file or a PostgreSQL address."));
        args.logbook = location(QStringLiteral("--logbook"), file);
        if (!badLocation.isEmpty())
            return refuse(badLocation);
    }
    args.noLogbook = parser.isSet(noLogbookOption);
    if (args.noLogbook && parser.isSet(logbookOption))
        return refuse(QStringLiteral("--logbook and --no-logbook exclude each other."));
    args.operatorName = parser.value(operatorOption).trimmed();
    if (parser.isSet(verifyOption)) {
        if (verifyFile && verifyFile->trimmed().isEmpty())
            return refuse(QStringLiteral("--verify-logbook takes a file, or none."));
        args.verifyFile =
            verifyFile ? location(QStringLiteral("--verify-logbook"), *verifyFile) : QString();
        if (!badLocation.isEmpty())
            return refuse(badLocation);
        args.action = ConsoleArguments::Action::VerifyLogbook;
        return args;
    }
    const struct {
        const QCommandLineOption &option;
        double *value;
        double low;
        double high;
        const char *refusal;
    } ageing[] = {
        {heaterOption, &args.simHeaterPower, 0, 100,
         "--sim-heater-power takes a percentage between 0 and 100."},
        {leakOption, &args.simVacuumLeak, 0, 0.9,
         "--sim-vacuum-leak takes a share between 0 and 0.9."},
        {offsetOption, &args.simThermocoupleOffset, -50, 50,
         "--sim-thermocouple-offset takes degrees between -50 and 50."},
    };
    for (const auto &a : ageing) {
        bool ok = false;
        *a.value = parser.value(a.option).toDouble(&ok);
        if (!ok || !std::isfinite(*a.value) || *a.value < a.low || *a.value > a.high)
            return refuse(QString::fromLatin1(a.refusal));
    }
    for (const QCommandLineOption *option :
         {&statusPortOption, &statusListenOption, &statusTokenOption})
        if (parser.values(*option).size() > 1)
            return refuse(
                QStringLiteral("--%1 is given more than once.").arg(option->names().constFirst()));
    if (parser.isSet(statusPortOption)) {
        const QString text = parser.value(statusPortOption);
        bool ok = false;
        const uint port = text.toUInt(&ok);
        // Digits only: toUInt takes " 80" and "+80" too.
        if (!ok || port < 1 || port > 65535 ||
            !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); }))
            return refuse(QStringLiteral("--status-port takes a port between 1 and 65535."));
        args.statusPort = quint16(port);
    }
    if (parser.isSet(statusListenOption)) {
        if (!args.statusPort)
            return refuse(QStringLiteral("--status-listen needs --status-port."));
        args.statusListen = parser.value(statusListenOption);
        if (!IsNumericAddress(args.statusListen))
            return refuse(QStringLiteral("--status-listen takes a numeric IPv4 or IPv6 address, "
                                         "such as 0.0.0.0 or 192.168.1.20."));
    }
    if (parser.isSet(statusTokenOption)) {
        if (!args.statusPort)
            return refuse(QStringLiteral("--status-token needs --status-port."));
        args.statusToken = parser.value(statusTokenOption);
        if (!IsStatusToken(args.statusToken))
            return refuse(QStringLiteral("--status-token takes 8 to 256 letters, digits and "
                                         "- . _ ~."));
    }
    bool speedOk = false;
    args.simulatorSpeed = parser.value(speedOption).toDouble(&speedOk);
    // "nan" reads as a number too; it is no factor.
    if (!speedOk || !std::isfinite(args.simulatorSpeed) || args.simulatorSpeed < 0 ||
        args.simulatorSpeed > ConsoleArguments::MaxSimulatorSpeed)
        return refuse(QStringLiteral("--sim-speed takes a factor between 0 and 10000."));
    return args;
}
