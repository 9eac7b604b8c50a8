// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link.h"

#include "link/linklog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace
{

/// A message type for the trace: "Status (3)".
QString typeText(quint8 type)
{
    const char *name = MsgName(type);
    return QStringLiteral("%1 (%2)").arg(QLatin1String(name ? name : "unknown type")).arg(type);
}

QString hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

/// A frame for the trace: "Status (3), length 5: 9a 02 00 03 02".
QString frameText(quint8 type, const quint8 *payload, int length)
{
    const QString head = QStringLiteral("%1, length %2").arg(typeText(type)).arg(length);
    if (length <= 0)
        return head;
    return head + QStringLiteral(": ") +
           hexText(QByteArray::fromRawData(reinterpret_cast<const char *>(payload), length));
}

} // namespace

Link::Link(QObject *parent)
    : QObject(parent)
{
}

Link::~Link()
{
    close();
}

bool Link::open(std::unique_ptr<SerialLine> line, QString *error)
{
    if (isRunning() || !line) {
        if (error)
            *error = isRunning() ? tr("the link is already open") : QString();
        return false;
    }
    QString why;
    if (!line->open(&why)) {
        qCDebug(lcLink).noquote() << "opening line" << m_state.PortName << "failed:" << why;
        if (error)
            *error = why;
        return false;
    }
    qCDebug(lcLink).noquote() << "line" << m_state.PortName << "opened";

    m_line = std::move(line);
    connect(m_line.get(), &SerialLine::failed, this, &Link::onLineFailed);
    connect(m_line.get(), &SerialLine::dataArrived, this, &Link::wakeThread);
    m_state.PortFailed = false;
    m_state.LinkRunning = true;
    m_rx.reset();
    m_rxBacklog.clear();
    m_line->purge();
    if (!m_manualPasses) {
        m_thread = std::make_unique<ComThread>(
            this, [this] { return runPass(); }, [this] { return idleWait(); }, m_state.LinkRunning);
        m_thread->start();
    }
    return true;
}

bool Link::reopen(QString *error)
{
    if (!lineDown() || !m_line)
        return false;
    QString why;
    if (!m_line->open(&why)) {
        qCDebug(lcLink).noquote() << "reopening line" << m_state.PortName << "failed:" << why;
        if (error)
            *error = why;
        return false;
    }
    qCDebug(lcLink).noquote() << "line" << m_state.PortName << "reopened";
    m_state.PortFailed = false;
    m_rx.reset();
    m_requests.ReplyAwaited = false;
    m_pauseUntil = QDeadlineTimer();
    m_rxBacklog.clear();
    m_line->purge();
    RaisePollSet(m_requests, false);
    wakeThread();
    return true;
}

void Link::close()
{
    if (isRunning())
        qCDebug(lcLink).noquote() << "line" << m_state.PortName << "closed";
    m_state.LinkRunning = false;
    if (m_line) {
        m_line->disconnect(this);
        m_line->close();
    }
    if (m_thread) {
        m_thread->wake();
        // Woken with LinkRunning clear, the thread ends at once without waiting for the
        // hand-over it may have queued, so this wait is short and never needs the event loop.
        m_thread->wait(QDeadlineTimer(5000));
        m_thread.reset();
    }
}

quint64 Link::passes() const
{
    return m_thread ? m_thread->passes() : 0;
}

quint64 Link::handovers() const
{
    return m_thread ? m_thread->handovers() : 0;
}

quint64 Link::calls() const
{
    return m_thread ? m_thread->calls() : 0;
}

ComThread::Wait Link::idleWait() const
{
    if (m_requests.ReplyAwaited && !m_state.PortFailed)
        return {true};
    if (!m_requests.Pending.any() || !pausing())
        return {};
    // Rounded up: a pass that comes a little early would find the pause still running.
    return {false, int((m_pauseUntil.remainingTimeNSecs() + 999999) / 1000000)};
}

bool Link::TransmitByte(quint8 b)
{
    if (!m_line || m_state.PortFailed)
        return false;
    return m_line->write(QByteArray(1, char(b)));
}

void Link::TransmitPacket()
{
    auto &buf = m_rx.FrameBuffer;
    const int length = qMin<int>(buf[3], FrameMaxPayload);
    const QByteArray wire = EncodeFrame(ConsoleAddress, buf[2], buf.data() + 4, length);
    qCDebug(lcLink).noquote() << "sent"
                              << frameText(buf[2], buf.data() + 4, length) +
                                     "; on the line: " + hexText(wire);
    buf[1] = ConsoleAddress;
    for (char c : wire) {
        if (!TransmitByte(quint8(c)))
            return;
    }
}

void Link::setPayloadSource(Msg type, PayloadSource source)
{
    if (source)
        m_payloadSources[type] = std::move(source);
    else
        m_payloadSources.erase(type);
}

void Link::request(RequestKind kind)
{
    m_requests.Pending.set(kind);
    wakeThread();
}

void Link::wakeThread()
{
    if (m_thread)
        m_thread->wake();
}

bool Link::runPass()
{
    if (!isRunning())
        return false;
    const bool sent = schedulerStep();
    const bool received = receiveStep();
    const bool dispatched = dispatchStep();
    return sent || received || dispatched;
}

bool Link::schedulerStep()
{
    if (!isRunning() || m_state.PortFailed || m_requests.ReplyAwaited || pausing())
        return false;
    const std::optional<Request> next = TakeNextRequest(m_requests, m_image);
    if (!next)
        return false;
    SendRequest(*next);
    return true;
}

void Link::SendRequest(const Request &request)
{
    m_requests.ReplyAwaited = true;
    emit requestSent(request.type);
    auto &buf = m_rx.FrameBuffer;
    quint8 *payload = buf.data() + 4;
    const auto source = m_payloadSources.find(Msg(request.type));
    const int length = source != m_payloadSources.end()
                           ? source->second(request, payload)
                           : BuildRequestPayload(request, m_image, payload);
    buf[2] = request.type;
    buf[3] = quint8(qBound(0, length, FrameMaxPayload));
    TransmitPacket();
}

WatchdogResult Link::watchdogTick(bool officesWindowOpen)
{
    if (lineDown()) {
        ++m_requests.NoReplyCount;
        m_requests.ReplyAwaited = false;
        m_rx.reset();
        return {true, false};
    }
    const WatchdogResult result = WatchdogTick(m_requests, officesWindowOpen);
    if (result.timedOut) {
        qCDebug(lcLink).noquote() << QStringLiteral("no reply to %1 within the tick, %2 in a row%3")
                                         .arg(typeText(m_requests.LastRequestType))
                                         .arg(m_requests.NoReplyCount)
                                         .arg(result.transferCancelled
                                                  ? QStringLiteral("; the upload is cancelled")
                                                  : QString());
        m_rx.reset();
    }
    wakeThread();
    return result;
}

bool Link::receiveStep()
{
    if (!isRunning() || !m_line || m_state.PortFailed)
        return false;
    const QByteArray bytes = m_line->readQueued();
    if (bytes.isEmpty() && m_rxBacklog.isEmpty())
        return false;
    if (!bytes.isEmpty())
        qCDebug(lcLink).noquote() << "read" << bytes.size() << "bytes:" << hexText(bytes);
    const QByteArray line = m_rxBacklog + bytes;
    m_rxBacklog.clear();
    for (qsizetype i = 0; i < line.size(); ++i) {
        m_rx.feed(quint8(line[i]));
        // What follows a complete reply in the same read must not reach the frame buffer
        // before the reply is decoded; it is fed on the next pass, so that the bytes on the
        // line are taken in one unbroken stream (a doubled 0xFF split off is still a pair).
        if (m_rx.FrameReady) {
            m_rxBacklog = line.mid(i + 1);
            break;
        }
    }
    return true;
}

bool Link::dispatchStep()
{
    if (!isRunning() || !m_rx.FrameReady)
        return false;
    m_rx.FrameReady = false;
    emit frameReceived();
    const DecodeResult result =
        DecodeReply(m_rx.type(), m_rx.payload(), m_rx.length(), m_image, m_requests);
    qCDebug(lcLink).noquote() << "received"
                              << frameText(m_rx.type(), m_rx.payload(), m_rx.length()) +
                                     (result.applied ? "" : " (not decoded)");
    if (result.pause) {
        qCDebug(lcLink) << "the controller asks for a pause of" << PauseMilliseconds << "ms";
        m_pauseUntil.setRemainingTime(PauseMilliseconds);
    }
    emit replyDecoded(result);
    // Whatever arrived ends the wait.
    m_rx.reset();
    m_requests.ReplyAwaited = false;
    return true;
}

void Link::onLineFailed(const QString &reason)
{
    if (m_state.PortFailed)
        return;
    qCDebug(lcLink).noquote() << "line" << m_state.PortName << "failed:" << reason;
    m_state.PortFailed = true;
    emit portFailed(reason);
}
