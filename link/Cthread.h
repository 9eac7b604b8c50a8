// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

/// The link thread. It paces the link and does no link work itself: it hands calls to the
/// object's user-interface thread, each running passes of the link (the scheduler, receive and
/// dispatch steps, in that order), for as long as `running` is set.
///
/// A hand-over runs passes back to back while they do work, at most MaxPassesPerCall in one
/// call, so that the request a reply raises goes out in the same call. After a pass that did
/// nothing the link says what it waits for:
/// - a reply: the hand-over stays open. The reply's bytes arriving (a wake() on the
///   user-interface thread) queue the next call there directly, with no trip through this
///   thread, so a poll cycle of several exchanges costs one hand-over, not one per exchange.
/// - nothing, or the end of the controller's pause: the thread sleeps until wake() is called (a
///   request was made, bytes arrived, the tick, the line came back) or the pause is over, and
///   hands over then.
/// An open hand-over that nothing wakes gets a call after SafetyNetMs; so does a thread that
/// nothing wakes. A wake() is never lost: one that comes while a call is queued or running makes
/// that call run another pass.
///
/// The thread never waits for a call it has queued, so it never depends on the user-interface
/// thread serving its queue: clearing `running` and calling wake() ends it at once, even while
/// that thread is itself waiting for this one to end. A call that runs after that does nothing.
/// A call queued while another is running (a modal box opened inside a pass serves the queue)
/// does nothing either: the running one goes on with the passes once the box closes.
class ComThread : public QThread
{
    Q_OBJECT
public:
    /// The longest the link goes without a pass. Every source of work wakes the thread, so this
    /// only bounds the cost of a wake-up that was never sent.
    static constexpr int SafetyNetMs = 1000;
    /// Passes one call runs at most while they keep doing work, so that a busy link still lets
    /// the user-interface thread serve its other events between calls.
    static constexpr int MaxPassesPerCall = 16;

    /// What the link waits for after a pass that did nothing.
    struct Wait {
        bool reply = false;   ///< a reply to the request that went out
        int ms = SafetyNetMs; ///< otherwise, how long it may go without a pass unless woken
    };

    /// `pass` runs on `context`'s thread and returns true when it did some work; `idle` runs
    /// there after a pass that did nothing. `running` must outlive the thread.
    ComThread(QObject *context, std::function<bool()> pass, std::function<Wait()> idle,
              const std::atomic<bool> &running, QObject *parent = nullptr);
    ~ComThread() override;

    /// There may be work: a pass comes at once. Callable from any thread.
    void wake();

    /// For measurements: passes run so far, calls they ran in, and how many of those calls the
    /// thread itself queued (the rest came straight from a wake-up while a reply was awaited).
    quint64 passes() const;
    quint64 calls() const;
    quint64 handovers() const;

    /// What the thread shares with the calls it queues.
    struct Pacing;

protected:
    void run() override;

private:
    const std::atomic<bool> &m_running;
    /// Shared with the queued calls, which may outlive the thread.
    std::shared_ptr<Pacing> m_pacing;
};
