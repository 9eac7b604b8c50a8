// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transfersequence.h"

#include "common/le.h"
#include "link/link.h"

#include <QPointer>

#include <algorithm>

namespace
{

constexpr TextPair MassesDone{" Все массы успешно переданы.",
                              " Masses are successfully transmitted."};
constexpr TextPair LayersStart{" Начало передачи слоёв...", " Start Layers tranferring..."};
constexpr TextPair MassesError{" Ошибка передачи масс.", " Error at the Mass tranfer."};
constexpr TextPair LayersDone{" Все слои успешно переданы.",
                              " Layers are successfully transmitted."};
constexpr TextPair LayersError{" Ошибка передачи слоя.", " Error at the Layer tranfer."};
constexpr TextPair RecordStart{" Начало передачи программы №", " Start program tranferring #"};
constexpr TextPair RecordDone{" Программа №", " Program #"};
constexpr TextPair RecordDoneEnd{" успешно передана.", " successfully transmitted."};
constexpr TextPair AllRecordsDone{" Все программы успешно переданы.",
                                  " All the programs are successfully transmitted."};
constexpr TextPair RecordRepeat{" Ошибка: повтор передачи программы №",
                                " Error. Retransfering program #"};
constexpr TextPair RecordGivenUp{" Ошибка: пульт не принял программу №",
                                 " Error: the CC did not store program #"};
constexpr TextPair RecordGivenUpEnd{"; передача прекращена.", "; the transfer is stopped."};
constexpr TextPair RecordMissingEnd{" (слой удалён); передача прекращена.",
                                    " (the layer is gone); the transfer is stopped."};
constexpr TextPair None{"", ""};

} // namespace

TransferSequence::TransferSequence(Link &link, RecordSource records, LanguageSource language,
                                   QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_records(std::move(records))
    , m_language(std::move(language))
{
    connect(&m_link, &Link::replyDecoded, this, &TransferSequence::replyDecoded);
    // The link may outlive the sequence: a source whose sequence is gone sends nothing.
    for (Msg type : {Msg::SendMassNames, Msg::SendLayerNames, Msg::SendLayerRecord}) {
        m_link.setPayloadSource(type,
                                [self = QPointer(this)](const Request &request, quint8 *payload) {
                                    return self ? self->BuildPayload(request, payload) : 0;
                                });
    }
}

bool TransferSequence::holds(Block block) const
{
    return block == Block::MassNames ? m_massNamesHeld : m_layerNamesHeld;
}

bool TransferSequence::start(const TransferBlocks &blocks)
{
    if (running())
        return false;
    m_massNames = blocks.massNames;
    m_layerNames = blocks.layerNames;
    m_massNamesHeld = m_layerNamesHeld = true;
    MassNamesAddress = blocks.massNamesAddress;
    LayerNamesAddress = blocks.layerNamesAddress;
    TransferPos = 0;
    TransferReadPos = 0;
    RecordCount = blocks.recordCount;
    m_inFlight = 0;
    m_refusals = 0;
    m_bytesDone = 0;
    m_bytesTotal =
        int(m_massNames.size() + m_layerNames.size()) + RecordCount * ProgParam::PayloadSize;
    m_phase = Phase::MassNames;
    emit progressChanged(m_bytesDone, m_bytesTotal);
    m_link.request(RequestKind::SendMassNames);
    return true;
}

int TransferSequence::buildChunk(QByteArray &block, quint16 &address, quint8 *payload)
{
    const int length = int(block.size());
    const int n = std::min(ChunkSize, length - TransferPos);
    TransferPos += n;
    putU16(payload, address);
    address = quint16(address + n);
    std::copy(block.constBegin() + TransferReadPos, block.constBegin() + TransferPos, payload + 2);
    TransferReadPos = TransferPos;
    m_chunkBytes = n;
    return n + 2;
}

int TransferSequence::BuildPayload(const Request &request, quint8 *payload)
{
    m_inFlight = 0;
    if (request.type == Msg::SendMassNames && m_phase == Phase::MassNames) {
        m_inFlight = request.type;
        return buildChunk(m_massNames, MassNamesAddress, payload);
    }
    if (request.type == Msg::SendLayerNames && m_phase == Phase::LayerNames) {
        m_inFlight = request.type;
        return buildChunk(m_layerNames, LayerNamesAddress, payload);
    }
    if (request.type != Msg::SendLayerRecord || m_phase != Phase::Records)
        return 0;
    log(RecordStart, TransferPos + 1, None);
    const std::optional<ProgParam> record = m_records ? m_records(TransferPos) : std::nullopt;
    if (!record) {
        log(RecordGivenUp, TransferPos + 1, RecordMissingEnd);
        finish(Outcome::RecordMissing);
        return 0;
    }
    m_inFlight = request.type;
    const ProgParam::Payload bytes = record->toPayload();
    std::copy(bytes.begin(), bytes.end(), payload);
    return ProgParam::PayloadSize;
}

void TransferSequence::replyDecoded(const DecodeResult &result)
{
    const quint8 sent = m_inFlight;
    if (!sent || !running())
        return;
    m_inFlight = 0;
    // Whatever ends the wait answers the request; only the right acknowledgement accepts it.
    const bool accepted = result.type == sent && result.accepted;
    switch (Msg(sent)) {
    case Msg::SendMassNames:
        chunkAnswered(accepted, Block::MassNames);
        break;
    case Msg::SendLayerNames:
        chunkAnswered(accepted, Block::LayerNames);
        break;
    default:
        recordAnswered(accepted);
        break;
    }
}

void TransferSequence::chunkAnswered(bool accepted, Block block)
{
    const bool masses = block == Block::MassNames;
    if (!accepted) {
        release(block);
        log(masses ? MassesError : LayersError);
        finish(masses ? Outcome::MassNamesRefused : Outcome::LayerNamesRefused);
        return;
    }
    acknowledged(m_chunkBytes);
    const int length = int((masses ? m_massNames : m_layerNames).size());
    if (TransferPos != length) {
        m_link.request(masses ? RequestKind::SendMassNames : RequestKind::SendLayerNames);
        return;
    }
    release(block);
    TransferPos = 0;
    if (masses) {
        TransferReadPos = 0;
        m_phase = Phase::LayerNames;
        m_link.request(RequestKind::SendLayerNames);
        log(MassesDone);
        log(LayersStart);
        return;
    }
    log(LayersDone);
    if (RecordCount <= 0) {
        // The masses sent have no layers: there is no record to send.
        log(AllRecordsDone);
        finish(Outcome::Completed);
        return;
    }
    m_phase = Phase::Records;
    m_link.request(RequestKind::SendLayerRecord);
}

void TransferSequence::recordAnswered(bool accepted)
{
    if (!accepted) {
        if (++m_refusals >= RefusalLimit) {
            log(RecordGivenUp, TransferPos + 1, RecordGivenUpEnd);
            finish(Outcome::RecordRefused);
            return;
        }
        log(RecordRepeat, TransferPos + 1, None);
        m_link.request(RequestKind::SendLayerRecord);
        return;
    }
    m_refusals = 0;
    acknowledged(ProgParam::PayloadSize);
    log(RecordDone, TransferPos + 1, RecordDoneEnd);
    if (TransferPos < RecordCount - 1) {
        ++TransferPos;
        m_link.request(RequestKind::SendLayerRecord);
        return;
    }
    log(AllRecordsDone);
    finish(Outcome::Completed);
}

void TransferSequence::cancel()
{
    if (!running())
        return;
    PendingRequests &pending = m_link.requests().Pending;
    for (RequestKind kind :
         {RequestKind::SendLayerRecord, RequestKind::SendLayerNames, RequestKind::SendMassNames})
        pending.clear(kind);
    release(Block::MassNames);
    release(Block::LayerNames);
    finish(Outcome::TimedOut);
}

void TransferSequence::release(Block block)
{
    if (!holds(block))
        return;
    if (block == Block::MassNames) {
        m_massNames.clear();
        m_massNamesHeld = false;
    } else {
        m_layerNames.clear();
        m_layerNamesHeld = false;
    }
    emit blockReleased(block);
}

void TransferSequence::acknowledged(int bytes)
{
    m_bytesDone += bytes;
    emit progressChanged(m_bytesDone, m_bytesTotal);
}

void TransferSequence::finish(Outcome outcome)
{
    // However the upload ends, no block stays held (a refused mass-name chunk leaves the
    // layer-name block to be released here).
    release(Block::MassNames);
    release(Block::LayerNames);
    m_phase = Phase::Idle;
    m_inFlight = 0;
    emit finished(outcome);
}

void TransferSequence::log(const TextPair &text)
{
    emit logLine(text.text(m_language ? m_language() : 1));
}

void TransferSequence::log(const TextPair &before, int number, const TextPair &after)
{
    const quint8 language = m_language ? m_language() : 1;
    emit logLine(before.text(language) + QString::number(number) + after.text(language));
}
