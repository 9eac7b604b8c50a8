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
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace
{

/// Runs a step once, after the first paint of every watched window has been delivered and no
/// more windows are to come; given the first window watched.
class FirstPaint : public QObject
{
public:
    FirstPaint(std::function<void(TForm1 &)> step, QObject *parent)
        : QObject(parent)
        , m_step(std::move(step))
    {
    }

    /// Watched from its opening on, in case a box it opens lets it paint before the next opens.
    void watch(TForm1 *form)
    {
        if (!form)
            return;
        if (!m_first)
            m_first = form;
        m_waiting << form;
        form->installEventFilter(this);
        // One closed before it painted is waited for no longer.
        connect(form, &QObject::destroyed, this, [this, form] { painted(form); });
    }
    void allOpened()
    {
        m_allOpened = true;
        painted(nullptr);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted(watched);
        return false;
    }

private:
    void painted(QObject *form)
    {
        if (form && m_waiting.removeOne(form))
            form->removeEventFilter(this);
        if (!m_allOpened || !m_waiting.isEmpty() || !m_step || !m_first)
            return;
        QTimer::singleShot(0, this, [this] {
            if (m_first)
                std::exchange(m_step, {})(*m_first);
        });
    }

    std::function<void(TForm1 &)> m_step;
    QPointer<TForm1> m_first;
    QList<QObject *> m_waiting;
    bool m_allOpened = false;
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
    auto *firstPaint = hooks.shown ? new FirstPaint(hooks.shown, &windows) : nullptr;
    const auto opened = [firstPaint](TForm1 *form) {
        if (firstPaint)
            firstPaint->watch(form);
    };
    // A furnace window per port given (the first asks for its port when none was); the
    // further windows start with an empty library.
    TForm1 *first = windows.open(
        line.ports.isEmpty() ? std::nullopt : std::optional(line.ports.constFirst()), massesFile);
    opened(first);
    if (page && !page->port()) {
        first->log(QLatin1Char(' ') + page->error(first->console().Language));
        page.reset();
    }
    for (qsizetype i = 1; i < line.ports.size(); ++i)
        opened(windows.open(line.ports[i], std::nullopt, false));
    if (firstPaint)
        firstPaint->allOpened();
    return app.exec();
}
