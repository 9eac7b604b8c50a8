#include "Unit1.h"
#include "consoleapplication.h"
#include "consolelines.h"
#include "widgetdialogs.h"

#include <QCommandLineParser>

int main(int argc, char **argv)
{
    ConsoleApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zkv-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZKV_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("ZKV4.6 CONSOLE"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ZKV4.6 furnace console"));
    parser.addHelpOption();
    parser.addVersionOption();
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
    parser.process(app);

    ConsoleOptions options;
    if (parser.isSet(portOption))
        options.port = parser.value(portOption);
    else if (parser.isSet(simulatorOption))
        options.port = SimulatorPortName;
    if (parser.isSet(openOption))
        options.massesFile = parser.value(openOption);
    bool speedOk = false;
    options.simulatorSpeed = parser.value(speedOption).toDouble(&speedOk);
    if (!speedOk || options.simulatorSpeed < 0 || options.simulatorSpeed > 10000) {
        qCritical("zkv-console: --sim-speed takes a factor between 0 and 10000");
        return 2;
    }

    WidgetDialogs dialogs;
    app.setDialogs(&dialogs);
    TForm1 form(std::move(options), dialogs);
    form.show();
    return app.exec();
}
