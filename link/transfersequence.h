// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "library/progparam.h"
#include "library/transferblocks.h"
#include "link/replydecoder.h"
#include "link/requests.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class Link;

/// The upload of masses on the wire: the mass-name block in chunks of at most 20 bytes
/// (Msg::SendMassNames), then the layer-name block the same way (Msg::SendLayerNames), then the
/// layer records one by one (Msg::SendLayerRecord), each request acknowledged before the next is
/// raised. It owns the two blocks from start() until the phase that sends each ends, and
/// releases each exactly once.
///
/// Everything runs on the link's (the user-interface) thread. The sequence is the link's
/// payload source of the three requests (BuildPayload() builds each as it is sent), and the
/// link hands it every decoded reply (replyDecoded()); the reply that ends the wait for a
/// transfer request is its acknowledgement.
class TransferSequence : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Idle, MassNames, LayerNames, Records };
    enum class Block { MassNames, LayerNames };
    Q_ENUM(Block)
    enum class Outcome {
        Completed,
        MassNamesRefused,
        LayerNamesRefused,
        RecordRefused, ///< the same record was refused RefusalLimit times in a row
        RecordMissing, ///< the row of the next record no longer exists
        TimedOut,
    };
    Q_ENUM(Outcome)

    static constexpr int ChunkSize = 20;
    /// Refusals of one record in a row after which the upload is given up.
    static constexpr int RefusalLimit = 10;

    /// The record of a library row as it is now; nothing when there is no such row.
    using RecordSource = std::function<std::optional<ProgParam>(int row)>;
    /// The language of the log lines (0 Russian, 1 English), asked for each line.
    using LanguageSource = std::function<quint8()>;

    TransferSequence(Link &link, RecordSource records, LanguageSource language,
                     QObject *parent = nullptr);

    Phase phase() const { return m_phase; }
    bool running() const { return m_phase != Phase::Idle; }
    /// Whether a block is still held (given at start, not released yet).
    bool holds(Block block) const;

    /// Takes the blocks and raises the first mass-name chunk. False (nothing changes) while an
    /// upload runs.
    bool start(const TransferBlocks &blocks);
    /// The payload of a transfer request being sent, written to `payload` (room for 99 bytes);
    /// returns its length. A record request logs its start line. Any other request, or one
    /// that does not belong to the phase, gets length 0 and is not taken as a transfer request.
    int BuildPayload(const Request &request, quint8 *payload);
    /// A reply was decoded. If it ends the wait for a transfer request it is that request's
    /// acknowledgement: anything but a one-byte reply of the request's type holding 0x55
    /// refuses it.
    void replyDecoded(const DecodeResult &result);
    /// The transfer request went unanswered: the upload ends, the blocks still held are
    /// released and the three transfer requests are no longer pending.
    void cancel();

    /// Bytes acknowledged so far (name bytes and 42 per record).
    int bytesAcknowledged() const { return m_bytesDone; }

    // The transfer state, as the wire algorithm names it.
    quint16 MassNamesAddress = 0;
    quint16 LayerNamesAddress = 0;
    /// Name phases: end (exclusive) of the bytes sent so far; records: the row being sent.
    int TransferPos = 0;
    /// Start of the next chunk in the current block.
    int TransferReadPos = 0;
    int RecordCount = 0;

signals:
    /// A message-log line without its time of day (it begins with a blank).
    void logLine(const QString &text);
    void progressChanged(int done, int total);
    void blockReleased(TransferSequence::Block block);
    /// The upload ended; the console may start another.
    void finished(TransferSequence::Outcome outcome);

private:
    int buildChunk(QByteArray &block, quint16 &address, quint8 *payload);
    void chunkAnswered(bool accepted, Block block);
    void recordAnswered(bool accepted);
    void release(Block block);
    void acknowledged(int bytes);
    void finish(Outcome outcome);
    void log(const TextPair &text);
    void log(const TextPair &before, int number, const TextPair &after);

    Link &m_link;
    RecordSource m_records;
    LanguageSource m_language;
    Phase m_phase = Phase::Idle;
    QByteArray m_massNames;
    QByteArray m_layerNames;
    bool m_massNamesHeld = false;
    bool m_layerNamesHeld = false;
    /// Type of the transfer request whose acknowledgement is awaited, 0 for none.
    quint8 m_inFlight = 0;
    int m_chunkBytes = 0;
    int m_refusals = 0;
    int m_bytesDone = 0;
    int m_bytesTotal = 0;
};
