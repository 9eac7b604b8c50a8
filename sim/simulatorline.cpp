// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulatorline.h"

#include <QTimer>

SimulatorLine::SimulatorLine(QObject *parent)
    : SerialLine(parent)
{
}

SimulatorLine::~SimulatorLine() = default;

bool SimulatorLine::open(QString *error)
{
    if (m_failed) {
        setFault(LineFault::NotFound);
        if (error)
            *error = tr("the simulated line has failed");
        return false;
    }
    setFault(LineFault::None);
    m_open = true;
    m_queued.clear();
    m_controller.resetReceiver();
    return true;
}

void SimulatorLine::close()
{
    m_open = false;
    ++m_session;
    m_queued.clear();
    m_controller.resetReceiver();
}

void SimulatorLine::purge()
{
    m_queued.clear();
    m_controller.resetReceiver();
}

QByteArray SimulatorLine::readQueued()
{
    if (!m_open)
        return {};
    QByteArray out;
    out.swap(m_queued);
    return out;
}

bool SimulatorLine::write(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    const QByteArray reply = m_controller.receive(bytes);
    int delay = m_controller.faults().replyDelayMs;
    if (m_lineRate > 0) {
        if (!m_lineClock.isValid())
            m_lineClock.start();
        const auto wireNs = [this](qsizetype n) { return qint64(double(n) / m_lineRate * 1e9); };
        m_lineFreeNs = std::max(m_lineFreeNs, m_lineClock.nsecsElapsed()) + wireNs(bytes.size());
        if (!reply.isEmpty())
            delay +=
                int((m_lineFreeNs + wireNs(reply.size()) - m_lineClock.nsecsElapsed()) / 1000000);
    }
    if (reply.isEmpty())
        return true;
    deliver(reply, delay);
    if (const int again = m_controller.faults().duplicateReplyAfterMs; again >= 0)
        deliver(reply, delay + again);
    return true;
}

void SimulatorLine::deliver(const QByteArray &reply, int delay)
{
    if (delay <= 0) {
        m_queued += reply;
        emit dataArrived();
        return;
    }
    const quint64 session = m_session;
    QTimer::singleShot(delay, this, [this, session, reply] {
        if (m_open && session == m_session)
            m_queued += reply;
        emit dataArrived();
    });
}

void SimulatorLine::simulateFailure(const QString &reason, LineFault fault)
{
    if (m_failed)
        return;
    m_failed = true;
    close();
    setFault(fault);
    emit failed(reason);
}
