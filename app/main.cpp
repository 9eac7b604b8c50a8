#include "Unit1.h"
#include "commandline.h"
#include "consoleapplication.h"
#include "widgetdialogs.h"

int main(int argc, char **argv)
{
    CommandLine line = ParseCommandLine(argc, argv);
    if (line.exitCode)
        return *line.exitCode;

    ConsoleApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zkv-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZKV_VERSION));
    // No application display name: on X11 Qt would append it to the title of every window.

    WidgetDialogs dialogs;
    app.setDialogs(&dialogs);
    TForm1 form(std::move(line.options), dialogs);
    form.show();
    return app.exec();
}
