// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Cthread.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

/// What the thread and the calls it queues share. The callables and `inCall` are used on the
/// user-interface thread only; the rest is guarded by `mutex`, but for the counters.
struct ComThread::Pacing {
    using Clock = std::chrono::steady_clock;
    /// Who queues the next call.
    enum class Turn {
        Thread, ///< the thread, once woken or at `due`
        Queued, ///< nobody: a call is queued or running
        Reply,  ///< the next wake(), straight away; the thread only at `due`
    };

    QObject *context = nullptr;
    std::function<bool()> pass;
    std::function<Wait()> idle;
    const std::atomic<bool> *running = nullptr;
    bool inCall = false;

    std::mutex mutex;
    std::condition_variable wakeUp;
    Turn turn = Turn::Thread;
    bool wanted = true;              ///< a wake() came since the last pass began
    Clock::time_point due;           ///< when the thread queues a call unasked
    Clock::time_point threadWakesAt; ///< the end of the thread's current sleep

    std::atomic<quint64> passes{0};
    std::atomic<quint64> calls{0};
    std::atomic<quint64> handovers{0};
};

namespace
{

using Pacing = ComThread::Pacing;

void runCall(Pacing &p);

void queueCall(const std::shared_ptr<Pacing> &pacing)
{
    QMetaObject::invokeMethod(
        pacing->context, [pacing] { runCall(*pacing); }, Qt::QueuedConnection);
}

/// One call, on the user-interface thread: passes while they do work or were asked for, then
/// the turn goes to whoever brings the next call.
void runCall(Pacing &p)
{
    if (p.inCall)
        return;
    p.inCall = true;
    p.calls.fetch_add(1);
    int passes = 0;
    std::unique_lock lock(p.mutex);
    for (;;) {
        p.wanted = false;
        lock.unlock();
        bool busy = false;
        ComThread::Wait wait;
        if (p.running->load()) {
            busy = p.pass();
            ++passes;
            if (!busy && p.running->load())
                wait = p.idle();
        }
        lock.lock();
        const auto now = Pacing::Clock::now();
        if (!p.running->load()) {
            p.turn = Pacing::Turn::Thread;
            break;
        }
        if (busy || p.wanted) {
            if (passes < ComThread::MaxPassesPerCall)
                continue;
            // Still busy: the thread queues the next call at once, behind the other events.
            p.turn = Pacing::Turn::Thread;
            p.wanted = true;
            p.wakeUp.notify_one();
            break;
        }
        if (wait.reply) {
            p.turn = Pacing::Turn::Reply;
            p.due = now + std::chrono::milliseconds(ComThread::SafetyNetMs);
        } else {
            p.turn = Pacing::Turn::Thread;
            p.due = now + std::chrono::milliseconds(std::clamp(wait.ms, 0, ComThread::SafetyNetMs));
        }
        // Only a wait shorter than the thread's own sleep needs the thread woken to take it.
        if (p.due < p.threadWakesAt)
            p.wakeUp.notify_one();
        break;
    }
    lock.unlock();
    p.passes.fetch_add(quint64(passes));
    p.inCall = false;
}

} // namespace

ComThread::ComThread(QObject *context, std::function<bool()> pass, std::function<Wait()> idle,
                     const std::atomic<bool> &running, QObject *parent)
    : QThread(parent)
    , m_running(running)
    , m_pacing(std::make_shared<Pacing>())
{
    m_pacing->context = context;
    m_pacing->pass = std::move(pass);
    m_pacing->idle = std::move(idle);
    m_pacing->running = &running;
}

ComThread::~ComThread() = default;

quint64 ComThread::passes() const
{
    return m_pacing->passes.load();
}

quint64 ComThread::calls() const
{
    return m_pacing->calls.load();
}

quint64 ComThread::handovers() const
{
    return m_pacing->handovers.load();
}

void ComThread::wake()
{
    Pacing &p = *m_pacing;
    std::unique_lock lock(p.mutex);
    p.wanted = true;
    if (p.turn == Pacing::Turn::Reply && m_running.load()) {
        p.turn = Pacing::Turn::Queued;
        lock.unlock();
        queueCall(m_pacing);
        return;
    }
    const bool notify = p.turn == Pacing::Turn::Thread || !m_running.load();
    lock.unlock();
    if (notify)
        p.wakeUp.notify_one();
}

void ComThread::run()
{
    using Clock = Pacing::Clock;
    const std::shared_ptr<Pacing> pacing = m_pacing;
    Pacing &p = *pacing;
    std::unique_lock lock(p.mutex);
    while (m_running.load()) {
        const auto now = Clock::now();
        if (p.turn != Pacing::Turn::Queued &&
            ((p.turn == Pacing::Turn::Thread && p.wanted) || now >= p.due)) {
            p.turn = Pacing::Turn::Queued;
            lock.unlock();
            p.handovers.fetch_add(1);
            queueCall(pacing);
            lock.lock();
            continue;
        }
        p.threadWakesAt =
            p.turn == Pacing::Turn::Queued ? now + std::chrono::milliseconds(SafetyNetMs) : p.due;
        p.wakeUp.wait_until(lock, p.threadWakesAt);
    }
}
