// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statuspage.h"

#include "app/Unit1.h"
#include "app/furnacewindows.h"

#include <QTimer>

StatusPage::StatusPage(FurnaceWindows &windows, const StatusServerOptions &options, QObject *parent)
    : QObject(parent)
    , m_windows(windows)
    , m_server(options)
    , m_publishTimer(new QTimer(this))
{
    m_publishTimer->setSingleShot(true);
    m_publishTimer->setInterval(PublishMs);
    connect(m_publishTimer, &QTimer::timeout, this, &StatusPage::publish);
    connect(&m_windows, &FurnaceWindows::windowsChanged, this, [this] {
        watchWindows();
        schedulePublish();
    });
    watchWindows();
    publish();
}

StatusPage::~StatusPage()
{
    m_server.stop();
}

void StatusPage::watchWindows()
{
    for (TForm1 *window : m_windows.windows())
        connect(window, &TForm1::statusChanged, this, &StatusPage::schedulePublish,
                Qt::UniqueConnection);
}

void StatusPage::schedulePublish()
{
    if (!m_publishTimer->isActive())
        m_publishTimer->start();
}

void StatusPage::publish()
{
    const QList<TForm1 *> windows = m_windows.windows();
    StatusSnapshot snapshot;
    snapshot.furnaces.reserve(windows.size());
    for (const TForm1 *w : windows)
        snapshot.furnaces << w->furnaceStatus();
    snapshot.taken = QDateTime::currentDateTime();
    // The page speaks the first window's language.
    snapshot.language = windows.isEmpty() ? 1 : windows.constFirst()->console().Language;
    m_server.publish(std::move(snapshot));
}
