// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/statusserver.h"

#include <QObject>

class FurnaceWindows;
class QTimer;

/// The console's read-only status page (--status-port): the furnace windows' status, served by
/// a StatusServer. On the windows' ticks, and when windows open or close, the user-interface
/// thread takes their FurnaceStatus into a snapshot (at most every PublishMs) and publishes it;
/// that is all it does for the page. User-interface thread only.
class StatusPage : public QObject
{
    Q_OBJECT
public:
    /// Snapshots follow the windows' ticks, at most one per this many milliseconds.
    static constexpr int PublishMs = 250;

    /// `windows` must outlive the page. Nothing is served before start().
    StatusPage(FurnaceWindows &windows, const StatusServerOptions &options,
               QObject *parent = nullptr);
    /// Stops serving at once (StatusServer::stop()).
    ~StatusPage() override;

    /// Whether this build can serve the page.
    static bool available() { return StatusServer::available(); }
    /// Starts serving; false when it cannot (error() says why).
    bool start() { return m_server.start(); }
    /// Why start() failed, in `language`; empty when it did not.
    QString error(quint8 language = 1) const { return m_server.error(language); }
    /// The port served on; 0 before start() succeeded.
    quint16 port() const { return m_server.port(); }
    /// Takes the windows' status into the snapshot the server answers from now.
    void publish();

private:
    void watchWindows();
    void schedulePublish();

    FurnaceWindows &m_windows;
    StatusServer m_server;
    QTimer *m_publishTimer = nullptr;
};
