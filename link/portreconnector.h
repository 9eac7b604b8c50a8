// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/serialline.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class Link;

/// Brings the furnace link back after its line failed (adapter unplugged and plugged in again,
/// peer hung up and back): while the line is down it opens the same device again every
/// RetryIntervalMs, quietly, and says only when the reason it cannot changes. Lives on the
/// link's (the user-interface) thread; stops by itself once the link is closed.
class PortReconnector : public QObject
{
    Q_OBJECT
public:
    static constexpr int RetryIntervalMs = 2000;
    /// The language of the log lines (0 Russian, 1 English), asked for each line.
    using LanguageSource = std::function<quint8()>;

    PortReconnector(Link &link, LanguageSource language, QObject *parent = nullptr);

    /// Time between attempts (RetryIntervalMs unless a test wants it shorter).
    void setRetryInterval(int ms) { m_timer.setInterval(ms); }
    /// Whether attempts are being made (the line is down).
    bool active() const { return m_timer.isActive(); }
    /// Attempts made since the line last failed.
    int attempts() const { return m_attempts; }

signals:
    /// A message-log line without its time of day (it begins with a blank).
    void logLine(const QString &text);
    /// The line is open again and the link goes on.
    void reopened();

private:
    void onPortFailed(const QString &reason);
    void attempt();

    Link &m_link;
    LanguageSource m_language;
    QTimer m_timer;
    int m_attempts = 0;
    /// The reason last reported (the failure, then each new reason an attempt gave).
    LineFault m_lastFault = LineFault::None;
    QString m_lastDetail;
};
