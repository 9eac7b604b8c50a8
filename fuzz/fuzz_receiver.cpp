// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the receive byte machine, the link's receive and dispatch steps and the
// reply decoder, fed with line bytes.
//
// An input whose first byte is even is a raw line: nothing may be stored outside the 104-byte
// frame buffer, and a frame reaches the decoder only when its bytes, from a start mark to a good
// checksum, stand on the line just as they end there. An odd first byte makes the rest a recipe
// for a line of frames, good and bad, between noise that holds no start mark: exactly the good
// frames reach the decoder, in order, both from the byte machine alone and through the link's
// steps reading the line in chunks.

#include "fuzz/fuzzcheck.h"
#include "link/framing.h"
#include "link/link.h"
#include "link/replydecoder.h"
#include "link/serialline.h"

#include <cstdint>
#include <cstring>

namespace
{

/// A frame as the line carries it, every 0xFF after the start mark doubled except the checksum.
QByteArray stuffed(quint8 address, quint8 type, const QByteArray &payload, quint8 checksum)
{
    QByteArray wire(1, char(FrameStartMark));
    const auto put = [&wire](quint8 b) {
        wire.append(char(b));
        if (b == 0xFF)
            wire.append(char(b));
    };
    put(address);
    put(type);
    put(quint8(payload.size()));
    for (char c : payload)
        put(quint8(c));
    wire.append(char(checksum));
    return wire;
}

QByteArray frameOf(const FrameReceiver &rx)
{
    return QByteArray(1, char(rx.type())) +
           QByteArray(reinterpret_cast<const char *>(rx.payload()), rx.length());
}

void checkBuffer(const FrameReceiver &rx)
{
    Require(rx.RxWritePos >= 0 && rx.RxWritePos <= FrameBufferSize, "write position in buffer");
    Require(!rx.FrameReady || rx.length() <= FrameMaxPayload, "a ready frame fits the buffer");
}

/// The frame in the receiver, with the sum it must have.
QByteArray wireOf(const FrameReceiver &rx)
{
    const QByteArray payload(reinterpret_cast<const char *>(rx.payload()), rx.length());
    return stuffed(rx.address(), rx.type(), payload,
                   FrameChecksum(rx.address(), rx.type(), rx.payload(), rx.length()));
}

void rawLine(const uint8_t *data, size_t size)
{
    FrameReceiver rx;
    FurnaceImage image;
    RequestState requests;
    for (size_t i = 0; i < size; ++i) {
        rx.feed(data[i]);
        checkBuffer(rx);
        if (!rx.FrameReady)
            continue;
        const QByteArray wire = wireOf(rx);
        const size_t n = size_t(wire.size());
        Require(i + 1 >= n && std::memcmp(data + i + 1 - n, wire.constData(), n) == 0,
                "a taken frame stands on the line from its start mark to its checksum");
        requests.ReplyAwaited = true;
        DecodeReply(rx.type(), rx.payload(), rx.length(), image, requests);
        rx.reset();
    }
}

/// A line that hands out the bytes in the chunks the recipe chose.
class ChunkLine : public SerialLine
{
public:
    QList<QByteArray> chunks;
    bool open(QString *) override { return true; }
    bool isOpen() const override { return true; }
    void close() override {}
    void purge() override {}
    QByteArray readQueued() override
    {
        return chunks.isEmpty() ? QByteArray() : chunks.takeFirst();
    }
    bool write(const QByteArray &) override { return true; }
};

void recipeLine(const uint8_t *data, size_t size)
{
    Recipe recipe(data, size);
    const quint8 options = recipe.next();
    QByteArray line;
    QList<QByteArray> good;
    while (!recipe.done()) {
        // Noise: any bytes, each 0xFF doubled as in a payload, so it holds no start mark.
        for (int n = recipe.next() % 16; n > 0; --n) {
            const quint8 b = recipe.next();
            line.append(char(b));
            if (b == 0xFF)
                line.append(char(b));
        }
        const quint8 address = recipe.next() % 0xFF;
        const quint8 type = recipe.next() % 0xFF;
        QByteArray payload;
        for (int n = recipe.next() % 24; n > 0; --n)
            payload.append(char(recipe.next()));
        const quint8 sum =
            FrameChecksum(address, type, reinterpret_cast<const quint8 *>(payload.constData()),
                          int(payload.size()));
        const quint8 spoil = recipe.next();
        // One frame in two keeps its sum; the others are off by 1 to 255.
        const bool bad = spoil & 1;
        line += stuffed(address, type, payload, bad ? quint8(sum + 1 + (spoil >> 1) % 255) : sum);
        if (!bad)
            good.append(char(type) + payload);
    }

    // The byte machine alone, dispatched (reset) or left as it is after each frame.
    const bool resetAfterFrame = options & 1;
    FrameReceiver rx;
    QList<QByteArray> taken;
    for (char c : line) {
        rx.feed(quint8(c));
        checkBuffer(rx);
        if (rx.FrameReady) {
            taken.append(frameOf(rx));
            if (resetAfterFrame)
                rx.reset();
            else
                rx.FrameReady = false;
        }
    }
    Require(taken == good, "exactly the good frames are taken, in order");

    // The link's steps over the same line, in chunks of 1 to 32 bytes.
    Link link;
    link.setManualPasses(true);
    auto owned = std::make_unique<ChunkLine>();
    ChunkLine *chunks = owned.get();
    if (!link.open(std::move(owned), nullptr))
        return;
    const int chunk = 1 + (options >> 1) % 32;
    for (qsizetype at = 0; at < line.size(); at += chunk)
        chunks->chunks.append(line.mid(at, chunk));
    QList<QByteArray> dispatched;
    QObject::connect(&link, &Link::frameReceived,
                     [&] { dispatched.append(frameOf(link.receiver())); });
    // A pass takes at most one frame: enough passes for every frame and every chunk.
    const int passes = int(chunks->chunks.size()) + int(good.size()) + 2;
    for (int i = 0; i < passes; ++i) {
        link.runPass();
        checkBuffer(link.receiver());
    }
    Require(dispatched == good, "the link dispatches exactly the good frames, in order");
    link.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1)
        recipeLine(data + 1, size - 1);
    else
        rawLine(data + 1, size - 1);
    return 0;
}
