#pragma once

#include "framing.h"
#include "serialline.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class ComThread;

/// Link state shared by the steps of the link; touched on the user-interface thread only,
/// except `LinkRunning`, which the link thread reads.
struct LinkState {
    QString PortName;                   ///< as chosen by the user; empty until then
    std::atomic<quint8> LinkRunning{0}; ///< the link thread loops while nonzero
    bool PortFailed = false;            ///< the line stopped working; nothing is written to it
};

/// The furnace link: owns the line, the frame buffer and the link thread, and runs the three
/// link steps (scheduler, receive, dispatch) on the thread it lives in (the user-interface
/// thread). Opened once; closing stops the thread and releases the line.
class Link : public QObject
{
    Q_OBJECT
public:
    explicit Link(QObject *parent = nullptr);
    ~Link() override;

    LinkState &state() { return m_state; }
    const LinkState &state() const { return m_state; }
    FrameReceiver &receiver() { return m_rx; }
    SerialLine *line() const { return m_line.get(); }
    bool isRunning() const { return m_state.LinkRunning.load() != 0; }

    /// With manual passes the link thread is not started: the owner calls runPass() itself
    /// (tests and measurements that need the passes under their control).
    void setManualPasses(bool manual) { m_manualPasses = manual; }

    /// Opens `line`. On success the receiver is idle, both queues are purged, `LinkRunning` is
    /// set and the link thread runs. On failure the line is dropped and `error` says why.
    bool open(std::unique_ptr<SerialLine> line, QString *error);
    /// Clears `LinkRunning`, closes the line and ends the link thread. Safe to call twice.
    void close();

    /// Hands one byte to the line. False once the line has failed.
    bool TransmitByte(quint8 b);
    /// Sends the frame whose type, length and payload are in the frame buffer (positions 2, 3,
    /// 4 onward), with address 1.
    void TransmitPacket();

    /// One pass of the link thread: scheduler, receive, dispatch. Does nothing once
    /// `LinkRunning` is clear.
    void runPass();
    void schedulerStep();
    void receiveStep();
    void dispatchStep();

    /// Passes run by the link thread so far.
    quint64 passes() const;

signals:
    /// The line failed after it was opened (see SerialLine::failed).
    void portFailed(const QString &reason);
    /// A complete frame with a good checksum was taken from the frame buffer.
    void frameReceived();

private:
    void onLineFailed(const QString &reason);

    LinkState m_state;
    FrameReceiver m_rx;
    std::unique_ptr<SerialLine> m_line;
    std::unique_ptr<ComThread> m_thread;
    bool m_manualPasses = false;
};
