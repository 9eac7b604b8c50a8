// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/furnacewindows.h"

#include "app/consolelines.h"
#include "app/laboverview.h"
#include "link/link.h"

FurnaceWindows::FurnaceWindows(ConsoleOptions base, Dialogs &dialogs, QObject *parent)
    : QObject(parent)
    , m_base(std::move(base))
    , m_dialogs(dialogs)
{
    m_base.windows = this;
}

FurnaceWindows::~FurnaceWindows()
{
    delete m_overview;
    // Each window's destroyed() takes it off the list.
    while (!m_windows.isEmpty())
        delete m_windows.constLast();
}

TForm1 *FurnaceWindows::open(const std::optional<QString> &port,
                             const std::optional<QString> &massesFile, bool askForMassesFile)
{
    if (windows().size() >= MaxWindows)
        return nullptr;
    ConsoleOptions options = m_base;
    options.port = port;
    options.massesFile = massesFile;
    options.askForMassesFile = askForMassesFile;
    auto *window = new TForm1(std::move(options), m_dialogs);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_windows << window;
    connect(window, &QObject::destroyed, this, [this, window] {
        m_windows.removeAll(window);
        emit windowsChanged();
    });
    window->show();
    emit windowsChanged();
    return window;
}

QList<TForm1 *> FurnaceWindows::windows() const
{
    return m_windows;
}

QStringList FurnaceWindows::portsInUse() const
{
    QStringList ports;
    for (TForm1 *w : windows())
        if (w->link().isRunning())
            ports << w->link().state().PortName;
    return ports;
}

QStringList FurnaceWindows::freePorts(const QStringList &ports) const
{
    const QStringList used = portsInUse();
    QStringList free;
    for (const QString &p : ports) {
        if (!IsSimulatorPort(p)) {
            if (!used.contains(p))
                free << p;
            continue;
        }
        // Every window may have a simulator of its own, under a name of its own.
        QString name = SimulatorPortName;
        for (int n = 2; used.contains(name); ++n)
            name = SimulatorPortName + QStringLiteral(" %1").arg(n);
        free << name;
    }
    return free;
}

void FurnaceWindows::showOverview(quint8 language)
{
    if (!m_overview)
        m_overview = new LabOverview(*this, language);
    m_overview->setLanguage(language);
    m_overview->show();
    m_overview->raise();
    m_overview->activateWindow();
}
