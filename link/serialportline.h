// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/serialline.h"

#include <QElapsedTimer>
#include <QSerialPort>

/// A serial device through QSerialPort. The name is a device path ("/dev/ttyUSB0", a
/// pseudo-terminal such as "/dev/pts/3") or a bare name under /dev ("ttyS0").
///
/// A pseudo-terminal refuses the modem lines (DTR, RTS): that does not fail the open. On the
/// first read or resource error (unplugged adapter, hung-up peer) the port is closed and
/// failed() emitted once, because Qt would otherwise keep reporting the error at full CPU.
/// Bytes the device has not taken within `StallLimitMs`, or a backlog above `BacklogLimit`
/// bytes, also count as a failed line. A failed line may be opened again (the device came back).
class SerialPortLine : public SerialLine
{
    Q_OBJECT
public:
    static constexpr qint64 BacklogLimit = 4096;
    static constexpr qint64 StallLimitMs = 2000;

    explicit SerialPortLine(const QString &name, QObject *parent = nullptr);
    ~SerialPortLine() override;

    bool open(QString *error) override;
    bool isOpen() const override;
    void close() override;
    void purge() override;
    QByteArray readQueued() override;
    bool write(const QByteArray &bytes) override;

    /// Whether this name can be opened for exclusive use right now (opened and closed again).
    static bool canOpen(const QString &name);

private:
    void onError(QSerialPort::SerialPortError error);
    void fail(LineFault fault, const QString &reason);

    QSerialPort m_port;
    QElapsedTimer m_lastProgress;
    bool m_failed = false;
};
