// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/consolemain.h"

#include "app/Unit1.h"
#include "app/commandline.h"
#include "app/consoleapplication.h"
#include "app/furnacewindows.h"
#include "app/statuspage.h"
#include "app/widgetdialogs.h"

#include <QEvent>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace
{

/// Runs a step once, after the first paint of the watched window has been delivered.
class FirstPaint : public QObject
{
public:
    FirstPaint(TForm1 &form, std::function<void(TForm1 &)> step)
        : QObject(&form)
        , m_form(form)
        , m_step(std::move(step))
    {
        form.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_form && event->type() == QEvent::Paint && m_step) {
            m_form.removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { std::exchange(m_step, {})(m_form); });
        }
        return false;
    }

private:
    TForm1 &m_form;
    std::function<void(TForm1 &)> m_step;
};

} // namespace

int ConsoleMain(int argc, char **argv, const ConsoleMainHooks &hooks)
{
    CommandLine line = ParseCommandLine(argc, argv);
    if (line.exitCode)
        return *line.exitCode;

    ConsoleApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zkv-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZKV_VERSION));
    // No application display name: on X11 Qt would append it to the title of every window.
    // The desktop entry of the installed program, so that the desktop shows its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zkv.Console"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));

    WidgetDialogs widgetDialogs;
    Dialogs &dialogs = hooks.dialogs ? *hooks.dialogs : widgetDialogs;
    app.setDialogs(&dialogs);
    const std::optional<QString> massesFile = line.options.massesFile;
    FurnaceWindows windows(std::move(line.options), dialogs);
    // The status page follows the windows as they open and close: made before them, so that it
    // is served while the first window's start-up dialogs wait for the user, and gone before
    // them. A page that cannot be served is said on standard error and in the first window's
    // log; the console goes on without it.
    std::unique_ptr<StatusPage> page;
    if (line.statusPage) {
        page = std::make_unique<StatusPage>(windows, *line.statusPage);
        if (!page->start()) {
            std::fprintf(stderr, "zkv-console: %s\n", qPrintable(page->error()));
            std::fflush(stderr);
        }
    }
    // A furnace window per port given (the first asks for its port when none was); the
    // further windows start with an empty library.
    TForm1 *first = windows.open(
        line.ports.isEmpty() ? std::nullopt : std::optional(line.ports.constFirst()), massesFile);
    if (page && !page->port()) {
        first->log(QLatin1Char(' ') + page->error(first->console().Language));
        page.reset();
    }
    if (hooks.shown)
        new FirstPaint(*first, hooks.shown);
    for (qsizetype i = 1; i < line.ports.size(); ++i)
        windows.open(line.ports[i], std::nullopt, false);
    return app.exec();
}
