// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

/// Why a line could not be opened or stopped working, in words a person understands (see
/// LinkTexts::LineFaultText). Other carries the system's own text.
enum class LineFault : quint8 {
    None,
    Disconnected,  ///< the adapter was unplugged, the peer hung up
    NotTakingData, ///< bytes written are not taken by the device
    NotFound,      ///< no device at that path
    Busy,          ///< in use by another program, or no permission
    Other,
};

/// The byte pipe to the furnace controller: a real serial port, or a stand-in such as the
/// in-process simulator. Opened, used and closed on the user-interface thread only; nothing
/// here ever waits for the line.
class SerialLine : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialLine() override = default;

    /// Opens the line with the console's settings (9600 baud, 8 data bits, no parity,
    /// 2 stop bits, no flow control). On failure returns false and sets `error`.
    virtual bool open(QString *error) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;

    /// Drops everything queued in either direction.
    virtual void purge() = 0;
    /// Everything received and not read yet; empty when nothing is queued. Never waits.
    virtual QByteArray readQueued() = 0;
    /// Hands bytes to the line. False when the line does not take them (it is then unusable).
    virtual bool write(const QByteArray &bytes) = 0;

    /// Seconds of furnace time per real second: 1 for a real furnace; a simulated one may run
    /// faster, or stand still (0).
    virtual double furnaceTimeScale() const { return 1.0; }
    /// What made the last open() fail or the line fail; None while neither happened.
    LineFault fault() const { return m_fault; }

signals:
    /// Bytes arrived and can be read with readQueued().
    void dataArrived();
    /// The line stopped working (adapter unplugged, peer hung up, writes not taken): fault()
    /// says why, `reason` is the system's text. It has been closed; the owner may open() it
    /// again later (the device may come back), but must not use it before that.
    void failed(const QString &reason);

protected:
    void setFault(LineFault fault) { m_fault = fault; }

private:
    LineFault m_fault = LineFault::None;
};
