// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

/// One exchange of the real `curl` with a server: curl's own exit code (0 when the exchange
/// completed; 7 when nothing listened), and the HTTP status, headers (names in lower case) and
/// body it received.
struct CurlReply {
    int exitCode = -1;
    int status = 0;
    QHash<QByteArray, QByteArray> headers;
    QByteArray body;
    QByteArray errors;
};

/// Whether a `curl` program is there to run.
inline bool HaveCurl()
{
    return !QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty();
}

/// Runs `curl` on `url` with `arguments` before it (a method, headers), never through a proxy.
/// It blocks the calling thread until curl ends.
inline CurlReply Curl(const QString &url, const QStringList &arguments = {})
{
    QProcess curl;
    curl.start(QStringLiteral("curl"),
               QStringList{QStringLiteral("-sS"), QStringLiteral("-i"), QStringLiteral("--noproxy"),
                           QStringLiteral("*"), QStringLiteral("--max-time"),
                           QStringLiteral("30")} +
                   arguments + QStringList{url});
    CurlReply reply;
    if (!curl.waitForFinished(40000) || curl.exitStatus() != QProcess::NormalExit)
        return reply;
    reply.exitCode = curl.exitCode();
    reply.errors = curl.readAllStandardError();
    const QByteArray out = curl.readAllStandardOutput();
    const qsizetype end = out.indexOf("\r\n\r\n");
    const QList<QByteArray> lines = out.left(end < 0 ? out.size() : end).split('\n');
    if (lines.isEmpty() || !lines.constFirst().startsWith("HTTP/"))
        return reply;
    const QList<QByteArray> statusLine = lines.constFirst().split(' ');
    reply.status = statusLine.size() > 1 ? statusLine[1].toInt() : 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            reply.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                 lines[i].mid(colon + 1).trimmed());
    }
    if (end >= 0)
        reply.body = out.mid(end + 4);
    return reply;
}
