// SPDX-License-Identifier: GPL-3.0-or-later
// The link thread's pacing: a reply's arrival runs the next pass without a trip through the
// thread, the thread ends while a call it queued is still waiting, and a pass that serves the
// event loop (a modal box) is never entered twice.

#include "link/Cthread.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace
{

/// A link thread whose passes do nothing but count, on this (the test's) thread.
struct Paced {
    QObject context;
    std::atomic<bool> running{true};
    bool awaitingReply = false;
    int passes = 0;
    std::function<void()> duringPass;
    ComThread thread{&context,
                     [this] {
                         ++passes;
                         if (duringPass)
                             duringPass();
                         return false;
                     },
                     [this] { return ComThread::Wait{awaitingReply}; }, running};

    Paced() { thread.start(); }
    ~Paced()
    {
        running = false;
        thread.wake();
        thread.wait();
    }
};

} // namespace

class TestComThread : public QObject
{
    Q_OBJECT
private slots:
    void aReplyRunsTheNextPassWithoutTheThread();
    void endsWhileItsCallWaits();
    void aPassIsNeverEnteredTwice();
};

void TestComThread::aReplyRunsTheNextPassWithoutTheThread()
{
    Paced p;
    p.awaitingReply = true;
    QTRY_COMPARE(p.passes, 1);
    QCOMPARE(p.thread.handovers(), quint64(1));
    // Bytes arrive while the reply is awaited: the pass comes straight from the wake-up.
    p.thread.wake();
    QTRY_COMPARE(p.passes, 2);
    p.awaitingReply = false;
    p.thread.wake();
    QTRY_COMPARE(p.passes, 3);
    QCOMPARE(p.thread.handovers(), quint64(1));
    QCOMPARE(p.thread.calls(), quint64(3));
    // Nothing awaited: the next wake-up goes through the thread.
    p.thread.wake();
    QTRY_COMPARE(p.passes, 4);
    QCOMPARE(p.thread.handovers(), quint64(2));
}

void TestComThread::endsWhileItsCallWaits()
{
    auto p = std::make_unique<Paced>();
    // The thread has queued its first call; this thread does not serve it.
    QThread::msleep(50);
    p->running = false;
    p->thread.wake();
    QVERIFY(p->thread.wait(5000));
    // Served late, the call does nothing.
    QCoreApplication::processEvents();
    QCOMPARE(p->passes, 0);
}

void TestComThread::aPassIsNeverEnteredTwice()
{
    Paced p;
    int depth = 0;
    int deepest = 0;
    p.duringPass = [&] {
        deepest = std::max(deepest, ++depth);
        if (p.passes == 1) {
            // A box opened inside a pass: its loop serves queued calls; a request made meanwhile
            // runs one more pass once the box is closed.
            QEventLoop box;
            QTimer::singleShot(0, &p.context, [&] { p.thread.wake(); });
            QTimer::singleShot(50, &box, &QEventLoop::quit);
            box.exec();
        }
        --depth;
    };
    QTRY_COMPARE(p.passes, 2);
    QCOMPARE(deepest, 1);
}

QTEST_MAIN(TestComThread)
#include "tst_comthread.moc"
