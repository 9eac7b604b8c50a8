// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: a port that failed is opened again when the device comes back.

#include "app/Unit1.h"

#include "app/texts.h"
#include "link/link.h"
#include "link/portreconnector.h"
#include "link/transfersequence.h"

#include <QPushButton>

void TForm1::connectReconnectHandlers()
{
    m_reconnector =
        std::make_unique<PortReconnector>(*m_link, [this] { return m_console.Language; });
    connect(m_reconnector.get(), &PortReconnector::logLine, this, &TForm1::log);
    connect(m_reconnector.get(), &PortReconnector::reopened, this, &TForm1::onPortReopened);
    connect(m_link.get(), &Link::portFailed, this, &TForm1::endTransferOnLineFailure);
}

void TForm1::endTransferOnLineFailure()
{
    // The acknowledgement cannot come: the upload ends as a time-out ends it.
    if (!m_transfer->running())
        return;
    m_transfer->cancel();
    btnSend->setEnabled(true);
    log(tx(Texts::LogNoResponse));
}

void TForm1::onPortReopened()
{
    log(QStringLiteral(" ") + m_link->state().PortName + tx(Texts::LogPortOpened));
}
