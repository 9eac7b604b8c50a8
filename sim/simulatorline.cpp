#include "simulatorline.h"

#include <QTimer>

SimulatorLine::SimulatorLine(QObject *parent)
    : SerialLine(parent)
{
}

SimulatorLine::~SimulatorLine() = default;

bool SimulatorLine::open(QString *error)
{
    if (m_failed) {
        if (error)
            *error = tr("the simulated line has failed");
        return false;
    }
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
    if (reply.isEmpty())
        return true;
    const int delay = m_controller.faults().replyDelayMs;
    if (delay <= 0) {
        m_queued += reply;
        emit dataArrived();
        return true;
    }
    const quint64 session = m_session;
    QTimer::singleShot(delay, this, [this, session, reply] {
        if (m_open && session == m_session)
            m_queued += reply;
        emit dataArrived();
    });
    return true;
}

void SimulatorLine::simulateFailure(const QString &reason)
{
    if (m_failed)
        return;
    m_failed = true;
    close();
    emit failed(reason);
}
