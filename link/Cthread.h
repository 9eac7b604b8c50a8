// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <functional>

/// The link thread. It paces the link and does no link work itself: each pass hands one call
/// (the link's scheduler, receive and dispatch steps, in that order) to the object's
/// user-interface thread, waits for it, then sleeps 1 ms, for as long as `running` is set.
///
/// A pass reports whether it did anything. After an idle pass (nothing sent, nothing received)
/// the thread sleeps until wake() is called (a request was made, bytes arrived) or IdleWaitMs
/// has passed, so an idle link costs next to nothing while a busy one keeps the 1 ms pace.
/// A wake() during a busy pass or its pause ends the pause at once: the request raised by a
/// reply goes out without waiting.
///
/// The hand-over waits in bounded slices and gives up once `running` is cleared, so the thread
/// always ends promptly even when the user-interface thread is not serving its queue (for
/// example while it is itself waiting for this thread to end).
class ComThread : public QThread
{
    Q_OBJECT
public:
    static constexpr int IdleWaitMs = 25;

    /// `pass` runs on `context`'s thread and returns true when it did some work; `running`
    /// must outlive the thread.
    ComThread(QObject *context, std::function<bool()> pass, const std::atomic<bool> &running,
              QObject *parent = nullptr);

    /// Ends an idle wait early: there may be work. Callable from any thread.
    void wake() { m_wake.release(); }

    /// Passes handed over so far (for measurements).
    quint64 passes() const { return m_passes.load(); }

protected:
    void run() override;

private:
    QObject *m_context;
    std::function<bool()> m_pass;
    const std::atomic<bool> &m_running;
    std::atomic<quint64> m_passes{0};
    QSemaphore m_wake;
};
