// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/Cthread.h"
#include "link/framing.h"
#include "link/furnaceimage.h"
#include "link/replydecoder.h"
#include "link/requests.h"
#include "link/serialline.h"

#include <QDeadlineTimer>

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <map>
#include <memory>

/// Link state shared by the steps of the link; touched on the user-interface thread only,
/// except `LinkRunning`, which the link thread reads.
struct LinkState {
    QString PortName;                     ///< as chosen by the user; empty until then
    std::atomic<bool> LinkRunning{false}; ///< the link thread loops while set
    bool PortFailed = false;              ///< the line stopped working; nothing is written to it
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
    RequestState &requests() { return m_requests; }
    const RequestState &requests() const { return m_requests; }
    FurnaceImage &image() { return m_image; }
    const FurnaceImage &image() const { return m_image; }
    /// Marks a request kind pending: the only way to ask the controller for anything.
    void request(RequestKind kind);

    /// Builds the payload of a request the link cannot build itself (the program, the upload):
    /// writes it to `payload` (room for FrameMaxPayload bytes) and returns its length.
    using PayloadSource = std::function<int(const Request &request, quint8 *payload)>;
    /// Requests of `type` take their payload from `source` (an empty one removes it); the part
    /// that sends them registers it and keeps it valid while the link may send. A type with no
    /// source gets the catalogue's payload (BuildRequestPayload).
    void setPayloadSource(Msg type, PayloadSource source);
    SerialLine *line() const { return m_line.get(); }
    bool isRunning() const { return m_state.LinkRunning.load(); }

    /// With manual passes the link thread is not started: the owner calls runPass() itself
    /// (tests and measurements that need the passes under their control).
    void setManualPasses(bool manual) { m_manualPasses = manual; }
    /// How long the controller's pause (reply 2) holds back what the link sends.
    static constexpr int PauseMilliseconds = 500;
    /// Whether the controller asked for a pause (reply 2) that is still running: nothing is
    /// sent until it ends. The user-interface thread is never put to sleep for it.
    bool pausing() const { return !m_pauseUntil.hasExpired(); }

    /// Opens `line`. On success the receiver is idle, both queues are purged, `LinkRunning` is
    /// set and the link thread runs. On failure the line is dropped and `error` says why.
    bool open(std::unique_ptr<SerialLine> line, QString *error);
    /// After the line failed (portFailed()), opens the same line again. On success the link goes
    /// on as after open(): the receiver is idle, no reply is awaited, both queues are purged and
    /// the poll set is raised; requests still pending (a stop, say) go out next. On failure
    /// `error` and lineFault() say why. False, doing nothing, unless the line is down.
    bool reopen(QString *error);
    /// Whether the line failed and has not been reopened yet.
    bool lineDown() const { return isRunning() && m_state.PortFailed; }
    /// Why the line failed, or why the last reopen() did not succeed.
    LineFault lineFault() const { return m_line ? m_line->fault() : LineFault::None; }

    /// Clears `LinkRunning`, closes the line and ends the link thread. Safe to call twice.
    void close();

    /// Hands one byte to the line. False once the line has failed.
    bool TransmitByte(quint8 b);
    /// Sends the frame whose type, length and payload are in the frame buffer (positions 2, 3,
    /// 4 onward), with address 1.
    void TransmitPacket();

    /// Sends one request: sets the reply wait, builds the frame and transmits it. Emits
    /// requestSent() first (the owner restarts its watchdog timer on it).
    void SendRequest(const Request &request);

    /// The watchdog that opens every tick of the 800 ms timer (see WatchdogTick); on a
    /// time-out the receiver is reset too. While the line is down every tick is a time-out
    /// that cancels nothing (an upload is ended when the line fails) and raises no polls.
    WatchdogResult watchdogTick(bool officesWindowOpen);

    /// One pass of the link thread: scheduler, receive, dispatch. Does nothing once
    /// `LinkRunning` is clear; sends nothing while the line is down (requests stay pending). True
    /// when the pass sent or received something.
    bool runPass();
    /// The steps; each returns true when it did something.
    bool schedulerStep();
    bool receiveStep();
    bool dispatchStep();

    /// For measurements: passes run so far, the calls on this thread they ran in, and how many
    /// of those the link thread queued (see ComThread).
    quint64 passes() const;
    quint64 calls() const;
    quint64 handovers() const;

signals:
    /// The line failed after it was opened (see SerialLine::failed).
    void portFailed(const QString &reason);
    /// A complete frame with a good checksum was taken from the frame buffer (before decoding).
    void frameReceived();
    /// A request went out.
    void requestSent(quint8 type);
    /// A reply was decoded into the furnace image (the wait ends after this returns).
    void replyDecoded(const DecodeResult &result);

private:
    void onLineFailed(const QString &reason);
    void wakeThread();
    /// After a pass that did nothing: what the link waits for. Requests, bytes arriving, the
    /// tick and a reopened line all wake the thread; only the end of the controller's pause
    /// comes unannounced.
    ComThread::Wait idleWait() const;

    LinkState m_state;
    FrameReceiver m_rx;
    /// Bytes read after a complete frame in the same read, fed once it is dispatched.
    QByteArray m_rxBacklog;
    RequestState m_requests;
    FurnaceImage m_image;
    std::map<Msg, PayloadSource> m_payloadSources;
    QDeadlineTimer m_pauseUntil;
    std::unique_ptr<SerialLine> m_line;
    std::unique_ptr<ComThread> m_thread;
    bool m_manualPasses = false;
};
