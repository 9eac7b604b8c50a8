#include "commandline.h"

#include "consolelines.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace
{

/// Options of Qt's application object that take a value, and those that take none. They are
/// accepted here and left to the application object.
constexpr const char *QtValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger"};
constexpr const char *QtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

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

    CommandLine line;
    const auto refuse = [&](const QString &reason) {
        print(stderr, QStringLiteral("zkv-console: %1\n\n%2").arg(reason, parser.helpText()));
        line.exitCode = 2;
        return line;
    };
    if (!parser.parse(QCoreApplication::arguments()))
        return refuse(parser.errorText());
    // --help-all would add Qt's own options; the usage says what this program takes.
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        line.exitCode = 0;
        return line;
    }
    if (parser.isSet(versionOption)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion()));
        line.exitCode = 0;
        return line;
    }

    ConsoleOptions &options = line.options;
    if (parser.isSet(portOption))
        options.port = parser.value(portOption);
    else if (parser.isSet(simulatorOption))
        options.port = SimulatorPortName;
    if (parser.isSet(openOption))
        options.massesFile = parser.value(openOption);
    if (parser.isSet(recordDirOption)) {
        const QString folder = parser.value(recordDirOption);
        if (folder.trimmed().isEmpty())
            return refuse(QStringLiteral("--record-dir takes a folder."));
        // Fixed now: a later change of the working folder does not move the records.
        options.recordDir = QFileInfo(folder).absoluteFilePath();
    }
    bool speedOk = false;
    options.simulatorSpeed = parser.value(speedOption).toDouble(&speedOk);
    if (!speedOk || options.simulatorSpeed < 0 || options.simulatorSpeed > 10000)
        return refuse(QStringLiteral("--sim-speed takes a factor between 0 and 10000."));
    return line;
}
