// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QTest>

#include <functional>

/// Serves the event loop in short waits, as a user's input would be served, and keeps the
/// longest time between the ends of two of them since start(): how long the user-interface
/// thread went without serving its events at worst (a wait's own 10 ms included).
class StallWatch
{
public:
    void start()
    {
        m_sinceServed.start();
        m_longest = 0;
    }
    qint64 longestMs() const { return m_longest; }
    /// After a step of the test's own that blocks (starting or ending a process): its time is
    /// not the console's.
    void resume()
    {
        if (m_sinceServed.isValid())
            m_sinceServed.restart();
    }
    /// Serves the event loop for `ms`.
    void serve(int ms)
    {
        runUntil([] { return false; }, ms);
    }

    /// Serves the event loop until `done` holds or `timeoutMs` passed; `sample` runs after
    /// every wait.
    bool runUntil(const std::function<bool()> &done, int timeoutMs,
                  const std::function<void()> &sample = {})
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > timeoutMs)
                return false;
            QTest::qWait(10);
            if (m_sinceServed.isValid())
                m_longest = qMax(m_longest, m_sinceServed.restart());
            if (sample)
                sample();
        }
        return true;
    }

private:
    QElapsedTimer m_sinceServed;
    qint64 m_longest = 0;
};
