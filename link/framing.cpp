// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/framing.h"

void FrameReceiver::reset()
{
    RxWritePos = 0;
    RxCount = 0;
    RxSum = 0;
    EscapePending = false;
    FrameReady = false;
    Hunting = true;
}

void FrameReceiver::abandon()
{
    RxWritePos = 0;
    RxCount = 0;
    RxSum = 0;
    Hunting = true;
}

void FrameReceiver::feed(quint8 b)
{
    // A 0xFF followed by a byte other than 0xFF is a start mark and b the address.
    const bool startsFrame = EscapePending && b != 0xFF;

    if (Hunting && !startsFrame) {
        // Only track pairs so that a doubled payload 0xFF is not taken for a mark.
        EscapePending = (b == 0xFF) && !EscapePending;
        return;
    }
    if (!startsFrame && RxWritePos >= FrameBufferSize) {
        EscapePending = (b == 0xFF) && !EscapePending;
        abandon();
        return;
    }

    if (startsFrame) {
        Hunting = false;
        FrameBuffer[1] = b;
        RxWritePos = 1;
        RxSum = b;
        RxCount = 1;
        EscapePending = false;
    } else {
        FrameBuffer[size_t(RxWritePos)] = b;
        if (EscapePending) {
            // Second byte of a doubled 0xFF: keep one; the sum already holds the first.
            if (RxCount != 0) {
                --RxWritePos;
                --RxCount;
            }
            EscapePending = false;
        } else {
            RxSum = quint8(RxSum + b);
            EscapePending = (b == 0xFF);
        }
    }

    ++RxWritePos;
    ++RxCount;

    if (RxCount == 4 && FrameBuffer[3] > FrameMaxPayload) {
        // The reply could not fit the buffer. If the length byte was a start mark, keep it
        // pending so that the frame it opens is still taken.
        abandon();
        return;
    }
    if (RxCount > 4 && RxCount > FrameBuffer[3] + 4) {
        if (quint8(RxSum - b) == b)
            FrameReady = true;
        // Whatever follows belongs to no frame until the next start mark.
        EscapePending = false;
        RxCount = 0;
        Hunting = true;
    }
}

quint8 FrameChecksum(quint8 address, quint8 type, const quint8 *payload, int length)
{
    quint8 sum = quint8(address + type + length);
    for (int i = 0; i < length; ++i)
        sum = quint8(sum + payload[i]);
    return sum;
}

QByteArray EncodeFrame(quint8 address, quint8 type, const quint8 *payload, int length)
{
    Q_ASSERT(length >= 0 && length <= FrameMaxPayload);
    QByteArray wire;
    wire.reserve(5 + 2 * length);
    wire.append(char(FrameStartMark));
    wire.append(char(address));
    wire.append(char(type));
    wire.append(char(length));
    for (int i = 0; i < length; ++i) {
        wire.append(char(payload[i]));
        if (payload[i] == 0xFF)
            wire.append(char(0xFF));
    }
    wire.append(char(FrameChecksum(address, type, payload, length)));
    return wire;
}
