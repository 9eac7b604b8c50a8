// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/portreconnector.h"

#include "link/link.h"
#include "link/linktexts.h"

PortReconnector::PortReconnector(Link &link, LanguageSource language, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_language(std::move(language))
{
    m_timer.setInterval(RetryIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PortReconnector::attempt);
    connect(&m_link, &Link::portFailed, this, &PortReconnector::onPortFailed);
}

void PortReconnector::onPortFailed(const QString &reason)
{
    m_lastFault = m_link.lineFault();
    m_lastDetail = reason;
    m_attempts = 0;
    m_timer.start();
}

void PortReconnector::attempt()
{
    if (!m_link.lineDown()) {
        m_timer.stop();
        return;
    }
    ++m_attempts;
    QString error;
    if (m_link.reopen(&error)) {
        m_timer.stop();
        emit reopened();
        return;
    }
    // Only a fault without words of its own is told apart by the system's text.
    const LineFault fault = m_link.lineFault();
    const bool sameReason =
        fault == m_lastFault && (fault != LineFault::Other || error == m_lastDetail);
    if (sameReason)
        return;
    m_lastFault = fault;
    m_lastDetail = error;
    const quint8 language = m_language ? m_language() : 1;
    emit logLine(LinkTexts::PortStillDown.text(language).arg(
        m_link.state().PortName, LinkTexts::LineFaultText(fault, error, language)));
}
