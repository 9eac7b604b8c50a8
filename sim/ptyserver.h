// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/furnacecontroller.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

/// Serves a FurnaceController on the master side of a pseudo-terminal, so that any program can
/// open the slave device as if it were the furnace's serial port.
///
/// The server keeps a descriptor of the slave open itself: when a client closes the slave, the
/// master then sees no hang-up and simply waits for the next client. Replies go out at once or
/// after the controller's injected delay. Everything runs on the thread that owns the server,
/// driven by socket notifiers; nothing polls while the line is quiet.
class PtyServer : public QObject
{
    Q_OBJECT
public:
    /// Most reply bytes held back while nobody reads the slave; older ones are dropped.
    static constexpr int MaxPending = 4096;

    explicit PtyServer(FurnaceController &controller, QObject *parent = nullptr);
    ~PtyServer() override;

    /// Opens the pseudo-terminal (slave in raw mode). False with `error` set on failure.
    bool open(QString *error);
    /// The slave device path, e.g. "/dev/pts/3"; empty before open().
    QString slavePath() const { return m_slavePath; }

    /// A device that stops taking data: nothing more is read from the console, and the
    /// terminal's buffer towards the furnace is filled up (with zero bytes, which hold no
    /// frame) so that the console's writes are not taken either. Taking data again reads on,
    /// filler and all.
    void setTakingData(bool taking);

private:
    void onReadable();
    void onWritable();
    void send(const QByteArray &bytes);
    void flush();
    void pauseReading();
    /// Fills the terminal's buffer towards the furnace until it takes no more.
    void fillUp();

    FurnaceController &m_controller;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer m_resume; ///< re-arms reading a while after a read error, instead of spinning
    QTimer m_refill; ///< keeps the buffer full while no data is taken
    QByteArray m_pending;
    bool m_takingData = true;
};
