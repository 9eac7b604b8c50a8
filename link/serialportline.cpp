// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/serialportline.h"

SerialPortLine::SerialPortLine(const QString &name, QObject *parent)
    : SerialLine(parent)
{
    m_port.setPortName(name);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPortLine::onError);
    connect(&m_port, &QSerialPort::bytesWritten, this, [this] { m_lastProgress.restart(); });
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLine::dataArrived);
}

SerialPortLine::~SerialPortLine()
{
    // No error signals while tearing down.
    m_port.disconnect(this);
    m_port.close();
}

namespace
{

LineFault openFault(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return LineFault::NotFound;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return LineFault::Busy;
    default:
        return LineFault::Other;
    }
}

} // namespace

bool SerialPortLine::open(QString *error)
{
    m_failed = false;
    if (m_port.isOpen())
        m_port.close();
    if (!m_port.open(QIODevice::ReadWrite)) {
        setFault(openFault(m_port.error()));
        if (error)
            *error = m_port.errorString();
        return false;
    }
    const bool settingsTaken =
        m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8) &&
        m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::TwoStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!settingsTaken) {
        setFault(LineFault::Other);
        if (error)
            *error = m_port.errorString();
        m_port.close();
        return false;
    }
    // Modem lines: DTR held inactive, RTS active. Devices without them (pseudo-terminals)
    // refuse; that is not a failure of the open.
    m_port.setDataTerminalReady(false);
    m_port.setRequestToSend(true);
    m_port.clearError();
    // Qt keeps bytes queued before the open; start clean.
    m_port.clear();
    m_lastProgress.start();
    setFault(LineFault::None);
    return true;
}

bool SerialPortLine::isOpen() const
{
    return m_port.isOpen() && !m_failed;
}

void SerialPortLine::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void SerialPortLine::purge()
{
    if (m_port.isOpen())
        m_port.clear();
}

QByteArray SerialPortLine::readQueued()
{
    if (!isOpen() || m_port.bytesAvailable() <= 0)
        return {};
    return m_port.read(m_port.bytesAvailable());
}

bool SerialPortLine::write(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    const qint64 backlog = m_port.bytesToWrite();
    if (backlog == 0)
        m_lastProgress.restart();
    else if (backlog > BacklogLimit || m_lastProgress.elapsed() > StallLimitMs) {
        fail(LineFault::NotTakingData, tr("the device does not take data"));
        return false;
    }
    if (m_port.write(bytes) != bytes.size()) {
        fail(LineFault::Other, m_port.errorString());
        return false;
    }
    return true;
}

bool SerialPortLine::canOpen(const QString &name)
{
    QSerialPort probe;
    probe.setPortName(name);
    if (!probe.open(QIODevice::ReadWrite))
        return false;
    probe.close();
    return true;
}

void SerialPortLine::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError: // modem lines on a pseudo-terminal
    case QSerialPort::TimeoutError:
        return;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        // What an unplugged adapter or a hung-up pseudo-terminal reports.
        if (m_port.isOpen())
            fail(LineFault::Disconnected, m_port.errorString());
        return;
    default:
        if (m_port.isOpen())
            fail(LineFault::Other, m_port.errorString());
        return;
    }
}

void SerialPortLine::fail(LineFault fault, const QString &reason)
{
    if (m_failed)
        return;
    m_failed = true;
    setFault(fault);
    m_port.close();
    emit failed(reason);
}
