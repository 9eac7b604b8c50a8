// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/framing.h"
#include "link/messagetypes.h"
#include "sim/simfurnace.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMap>

#include <functional>

#include <optional>

/// Misbehaviour the controller can be told to show, for testing the console against it.
struct SimFaults {
    bool noReply = false;      ///< never answer
    int noReplyEvery = 0;      ///< leave every Nth request unanswered (0: off)
    bool badChecksum = false;  ///< every reply with a wrong checksum
    int badChecksumEvery = 0;  ///< every Nth reply with a wrong checksum (0: off)
    bool wrongLength = false;  ///< one payload byte more than the reply should have
    int wrongType = -1;        ///< answer with this type instead of the request's (-1: off)
    int replyDelayMs = 0;      ///< how long the reply takes to arrive (applied by the line)
    quint8 transferAck = 0x55; ///< acknowledgement of requests 6, 8, 9; other values refuse

    // Upload of masses: name chunks (requests 8 and 9 together) and records (request 6) are
    // counted from 1 over the controller's life.
    int refuseChunk = 0;           ///< refuse the Nth name chunk (0: off)
    int refuseRecord = 0;          ///< refuse the Nth record that arrives (0: off)
    bool refuseAlways = false;     ///< refuse every chunk or record after that one as well
    int silentAfterTransfers = -1; ///< answer N transfer requests, then nothing (-1: off)

    // Raw bytes on the line, for hostile peers. The reply to a request whose type has an entry
    // in rawReplies is replaced by those bytes, sent as they are; every other reply is sent
    // with replyPrefix before it and replySuffix after it, and cut to its first truncateReply
    // bytes (-1: whole).
    QMap<quint8, QByteArray> rawReplies;
    QByteArray replyPrefix;
    QByteArray replySuffix;
    int truncateReply = -1;
    /// Each reply arrives a second time, this many ms after the first (-1: off; applied by
    /// the line).
    int duplicateReplyAfterMs = -1;
};

/// What request 1 reports.
struct SimIdentity {
    quint8 modelId = 13;
    quint8 versionMajor = 1;
    quint8 versionMinor = 5;
    bool longForm = false; ///< 6-byte reply instead of 3
};

/// The furnace controller's side of the serial protocol: takes the bytes the console sends,
/// finds complete frames and answers each with the reply frame the console expects, while the
/// furnace it controls (SimFurnace) moves on in simulated time.
///
/// Simulated time follows a monotonic clock times `speed()` (simulated seconds per real
/// second), brought up to date lazily when a request arrives; advance() adds time directly,
/// so a test with speed 0 is fully deterministic. Replies are frames with address 1 whose
/// multi-byte values are little-endian. Not thread-safe: one thread owns an instance.
class FurnaceController
{
public:
    static constexpr quint8 ReplyAddress = 1;
    static constexpr quint8 TransferAccepted = 0x55;
    static constexpr int MemorySize = 65536;

    /// A reply before it is framed.
    struct Reply {
        quint8 type = 0;
        QByteArray payload;
    };

    FurnaceController();

    /// Feeds bytes as written by the console. Returns the wire bytes of the replies to every
    /// frame they complete, in order (faults applied; empty when nothing is to be sent).
    QByteArray receive(const QByteArray &bytes);
    /// Answers one request frame: the reply's wire bytes with faults applied, or empty.
    QByteArray handleFrame(quint8 type, const quint8 *payload, int length);
    /// Carries out one request and returns the reply it calls for, before any fault.
    Reply answer(quint8 type, const quint8 *payload, int length);
    /// Drops a partly received frame.
    void resetReceiver() { m_rx.reset(); }
    /// The controller restarts (power cut, reset): the furnace as SimFurnace::restart() leaves
    /// it and a partly received frame gone. Injected faults, memory and clock stay.
    void restart();

    /// Every well-formed reply frame (good checksum, whole, not raw) as it goes on the line,
    /// faults such as a wrong type or length applied. For tests that check what a console took.
    using FrameObserver = std::function<void(quint8 type, const QByteArray &payload)>;
    void setFrameObserver(FrameObserver observer) { m_frameObserver = std::move(observer); }
    /// Back to a well-behaved controller: no faults, and a controller silenced by
    /// silentAfterTransfers answers again.
    void clearFaults();

    // --- time
    /// Simulated seconds per real second; 0 stops the clock (advance() still works).
    void setSpeed(double speed);
    double speed() const { return m_speed; }
    /// Moves simulated time on by `seconds`, on top of the clock.
    void advance(double seconds);
    /// Brings simulated time up to the clock.
    void sync();

    // --- ageing
    /// Ages the furnace (SimFurnace::setAgeing()) from now on: the simulated time up to this
    /// call is first run with the ageing it had.
    void setAgeing(const SimAgeing &ageing);
    const SimAgeing &ageing() const { return m_furnace.ageing(); }

    // --- state
    SimFurnace &furnace() { return m_furnace; }
    const SimFurnace &furnace() const { return m_furnace; }
    SimFaults &faults() { return m_faults; }
    const SimFaults &faults() const { return m_faults; }
    SimIdentity &identity() { return m_identity; }
    /// The controller's clock (local time): the system clock, shifted once set by request 16.
    QDateTime clock() const;
    /// Requests answered or dropped so far (every complete frame counts).
    quint64 requestCount() const { return m_requests; }

    // --- transfer memory (requests 9, 8 and 6)
    const QByteArray &memory() const { return m_memory; }
    /// The 42-byte record stored under program number `number`, if any.
    std::optional<QByteArray> storedRecord(int number) const;
    int storedRecordCount() const { return int(m_records.size()); }
    /// Program numbers a record can be stored under.
    static constexpr int FirstProgram = 1;
    static constexpr int LastProgram = 110;
    /// What the memory holds, for a person: the mass names per slot, the layer names per slot
    /// and the stored programs as hex (simtransfer.cpp).
    QString memoryDump() const;

private:
    Reply identify() const;
    Reply status() const;
    Reply clockReply() const;
    bool setClock(const quint8 *payload, int length);
    quint8 storeChunk(const quint8 *payload, int length);
    quint8 storeRecord(const quint8 *payload, int length);
    // Upload faults (simtransfer.cpp).
    /// Whether the controller has fallen silent; counts the transfer request of `type`.
    bool silencedByTransfer(quint8 type);
    /// The acknowledgement the next name chunk (or record) gets from the injected faults.
    quint8 transferAck(bool record);
    Reply serviceProgress(quint8 type) const;

    FrameReceiver m_rx;
    SimFurnace m_furnace;
    SimFaults m_faults;
    SimIdentity m_identity;
    QElapsedTimer m_realClock;
    qint64 m_lastSyncNs = 0;
    double m_speed = 1.0;
    qint64 m_clockOffsetSecs = 0;
    quint64 m_requests = 0;
    QByteArray m_memory;
    QMap<int, QByteArray> m_records;
    int m_transferRequests = 0;
    int m_chunksSeen = 0;
    int m_recordsSeen = 0;
    bool m_silent = false;
    FrameObserver m_frameObserver;
};
