#include "Cthread.h"

#include <QMetaObject>
#include <QPointer>
#include <QSemaphore>

#include <memory>

ComThread::ComThread(QObject *context, std::function<void()> pass,
                     const std::atomic<quint8> &running, QObject *parent)
    : QThread(parent)
    , m_context(context)
    , m_pass(std::move(pass))
    , m_running(running)
{
}

void ComThread::run()
{
    // Shared with the queued calls, which may outlive this loop when the thread gives up.
    auto done = std::make_shared<QSemaphore>();
    while (m_running.load()) {
        auto pass = m_pass;
        const std::atomic<quint8> *running = &m_running;
        QMetaObject::invokeMethod(
            m_context,
            [pass, running, done] {
                if (running->load())
                    pass();
                done->release();
            },
            Qt::QueuedConnection);
        while (!done->tryAcquire(1, 20)) {
            if (!m_running.load())
                return;
        }
        m_passes.fetch_add(1);
        msleep(1);
    }
}
