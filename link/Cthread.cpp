// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Cthread.h"

#include <QMetaObject>

#include <memory>

ComThread::ComThread(QObject *context, std::function<bool()> pass, const std::atomic<bool> &running,
                     QObject *parent)
    : QThread(parent)
    , m_context(context)
    , m_pass(std::move(pass))
    , m_running(running)
{
}

void ComThread::run()
{
    // Shared with the queued calls, which may outlive this loop when the thread gives up.
    struct Handover {
        QSemaphore done;
        std::atomic<bool> busy{false};
    };
    auto handover = std::make_shared<Handover>();
    while (m_running.load()) {
        auto pass = m_pass;
        const std::atomic<bool> *running = &m_running;
        QMetaObject::invokeMethod(
            m_context,
            [pass, running, handover] {
                handover->busy = running->load() && pass();
                handover->done.release();
            },
            Qt::QueuedConnection);
        while (!handover->done.tryAcquire(1, 20)) {
            if (!m_running.load())
                return;
        }
        m_passes.fetch_add(1);
        if (handover->busy) {
            // A request made or a reply arrived meanwhile ends the pause early, so that an
            // exchange driven by the replies (an upload of masses) keeps the line's pace.
            m_wake.tryAcquire(1, 1);
        } else {
            m_wake.tryAcquire(1, IdleWaitMs);
            // One pass serves every wake-up that came meanwhile.
            m_wake.tryAcquire(m_wake.available());
        }
    }
}
