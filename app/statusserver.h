// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/furnacestatus.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

/// What the status page shows: the furnace windows' status as the user-interface thread took it.
struct StatusSnapshot {
    /// In the windows' order.
    QList<FurnaceStatus> furnaces;
    /// When it was taken (local time).
    QDateTime taken;
    /// The page's language: 0 Russian, 1 English.
    quint8 language = 1;
};

/// How the status page is served (--status-port, --status-listen, --status-token).
struct StatusServerOptions {
    /// The TCP port; 0 takes any free one (StatusServer::port() tells which).
    quint16 port = 0;
    /// A numeric address to listen on: the loopback address unless another is asked for.
    QString address = QStringLiteral("127.0.0.1");
    /// When not empty, a request is answered only when it carries this token (query parameter
    /// `token` or `Authorization: Bearer`).
    QString token;
};

/// The read-only HTTP server of the status page (docs/status-page.md): the HTML page at "/", the
/// JSON document at "/status.json", nothing else, and only to GET and HEAD. It runs on threads
/// of its own (one accepting, Workers serving) and answers every request from the snapshot last
/// published; publish() is the only way in, from any thread, under a mutex held for a pointer's
/// copy. Nothing a request says changes anything.
class StatusServer
{
public:
    /// The page asks the browser to reload it this often.
    static constexpr int RefreshSeconds = 2;
    /// Limits: threads serving requests; connections served or waiting (more are closed at
    /// once, unanswered); bytes of a request read (its line and headers; a body is never read);
    /// seconds a connection may wait for its peer at a time, and seconds it may last in all.
    static constexpr int Workers = 4;
    static constexpr int MaxConnections = 32;
    static constexpr int MaxRequestBytes = 16 * 1024;
    static constexpr int IdleSeconds = 3;
    static constexpr int ConnectionSeconds = 10;

    /// Nothing is served before start(); until the first publish() the page lists no furnace.
    explicit StatusServer(const StatusServerOptions &options);
    /// Stops serving (see stop()).
    ~StatusServer();
    StatusServer(const StatusServer &) = delete;
    StatusServer &operator=(const StatusServer &) = delete;

    /// Whether this build can serve the page (the HTTP library was there when it was configured).
    static bool available();

    /// Binds the address and port and starts serving; false when they cannot be bound or the
    /// build has no server (error() says why).
    bool start();
    /// Why the last start() failed, as a sentence in `language` (0 Russian, 1 English); empty
    /// when it did not.
    QString error(quint8 language = 1) const;
    /// Stops at once: no more connections are taken, those open are cut, every thread is
    /// joined. A client that sends nothing, or never reads, does not hold it up.
    void stop();
    /// The port listened on; 0 before start() succeeded.
    quint16 port() const { return m_port; }
    /// Makes `snapshot` what the page shows. Any thread.
    void publish(StatusSnapshot snapshot);

private:
    struct Board;
    class Http;

    StatusServerOptions m_options;
    std::shared_ptr<Board> m_board;
    std::unique_ptr<Http> m_http;
    quint16 m_port = 0;
    /// Why the last start() failed: the build has no server, or the system's reason (empty
    /// when it gave none) that the address could not be bound.
    enum class Failure { None, NoServer, Bind } m_failure = Failure::None;
    QString m_reason;
};
