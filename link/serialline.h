#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

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

signals:
    /// Bytes arrived and can be read with readQueued().
    void dataArrived();
    /// The line stopped working (adapter unplugged, peer hung up, writes not taken).
    /// It has been closed; the owner must not use it again.
    void failed(const QString &reason);
};
