#include "Unit1.h"
#include "consoleapplication.h"
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
    parser.process(app);

    ConsoleOptions options;
    if (parser.isSet(portOption))
        options.port = parser.value(portOption);

    WidgetDialogs dialogs;
    app.setDialogs(&dialogs);
    TForm1 form(std::move(options), dialogs);
    form.show();
    return app.exec();
}
