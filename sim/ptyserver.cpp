// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ptyserver.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace
{

constexpr int ResumeAfterMs = 250;
constexpr int RefillEveryMs = 50;

} // namespace

PtyServer::PtyServer(FurnaceController &controller, QObject *parent)
    : QObject(parent)
    , m_controller(controller)
{
    m_resume.setSingleShot(true);
    m_resume.setInterval(ResumeAfterMs);
    m_refill.setInterval(RefillEveryMs);
    connect(&m_refill, &QTimer::timeout, this, &PtyServer::fillUp);
    connect(&m_resume, &QTimer::timeout, this, [this] {
        if (m_readNotifier && m_takingData)
            m_readNotifier->setEnabled(true);
    });
}

PtyServer::~PtyServer()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyServer::open(QString *error)
{
    const auto fail = [error](const char *what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    };
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return fail("openpty");
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyServer::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyServer::onWritable);
    return true;
}

void PtyServer::onReadable()
{
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            const QByteArray reply = m_controller.receive(QByteArray(buf, int(n)));
            if (!reply.isEmpty())
                send(reply);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of file or an error such as EIO (no slave open): try again a little later.
        pauseReading();
        return;
    }
}

void PtyServer::setTakingData(bool taking)
{
    if (!m_readNotifier || taking == m_takingData)
        return;
    m_takingData = taking;
    m_readNotifier->setEnabled(taking);
    if (taking) {
        m_refill.stop();
        return;
    }
    fillUp();
    // The terminal moves what it holds on to its line discipline a while later, which makes
    // room again: keep it full.
    m_refill.start();
}

void PtyServer::fillUp()
{
    const int flags = ::fcntl(m_slave, F_GETFL);
    ::fcntl(m_slave, F_SETFL, flags | O_NONBLOCK);
    const QByteArray filler(256, '\0');
    for (const size_t chunk : {size_t(filler.size()), size_t(1)}) {
        while (::write(m_slave, filler.constData(), chunk) > 0) {
        }
    }
    ::fcntl(m_slave, F_SETFL, flags);
}

void PtyServer::pauseReading()
{
    m_readNotifier->setEnabled(false);
    m_resume.start();
}

void PtyServer::send(const QByteArray &bytes)
{
    const int delay = m_controller.faults().replyDelayMs;
    const int again = m_controller.faults().duplicateReplyAfterMs;
    for (const int after : {delay, again >= 0 ? delay + again : -1}) {
        if (after < 0)
            continue;
        if (after > 0) {
            QTimer::singleShot(after, this, [this, bytes] {
                m_pending += bytes;
                flush();
            });
        } else {
            m_pending += bytes;
            flush();
        }
    }
}

void PtyServer::flush()
{
    if (m_pending.size() > MaxPending)
        m_pending = m_pending.right(MaxPending);
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        // The line is unusable for now; what was not written is lost, as on a real line.
        m_pending.clear();
        break;
    }
    m_writeNotifier->setEnabled(false);
}

void PtyServer::onWritable()
{
    flush();
}
