// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>

// Frame on the wire: 0xFF, address, type, length N, N payload bytes (each 0xFF doubled),
// checksum = (address + type + length + payload) mod 256, sent as is (never doubled).

inline constexpr int FrameBufferSize = 104;
inline constexpr int FrameMaxPayload = FrameBufferSize - 5; // 99
inline constexpr quint8 FrameStartMark = 0xFF;
inline constexpr quint8 ConsoleAddress = 1;

/// The receive byte machine and the frame buffer it fills.
///
/// FrameBuffer layout: [0] start mark, [1] address, [2] type, [3] length N, [4..4+N-1] payload
/// (unstuffed), [4+N] checksum. A frame starts only at 0xFF followed by a byte other than 0xFF;
/// the checksum byte completes it even when it is 0xFF. A frame with a bad checksum is dropped
/// silently. Bytes that would land past the buffer, or a length above 99, abandon the frame.
///
/// Outside a frame the machine only hunts for the next start mark: after reset() (idle), after
/// a frame completed (good or bad) and after an abandoned one, nothing is stored or summed until
/// a start mark, which clears the sum and the write position. So only bytes between a start mark
/// and a good checksum ever reach the decoder; a completed frame stays in the buffer, untouched
/// by what follows, until the next start mark.
class FrameReceiver
{
public:
    std::array<quint8, FrameBufferSize> FrameBuffer{};
    int RxWritePos = 0;         ///< where the next byte goes
    quint8 RxCount = 0;         ///< frame bytes taken so far, the address being the first
    quint8 RxSum = 0;           ///< running sum
    bool EscapePending = false; ///< the previous byte taken was 0xFF
    bool FrameReady = false;    ///< a complete frame with a good checksum is in the buffer
    bool Hunting = true;        ///< outside a frame: wait for the next start mark

    /// Back to idle: position 0, count 0, flags clear, hunting for a start mark.
    void reset();
    /// Feeds one received byte.
    void feed(quint8 b);

    quint8 address() const { return FrameBuffer[1]; }
    quint8 type() const { return FrameBuffer[2]; }
    quint8 length() const { return FrameBuffer[3]; }
    const quint8 *payload() const { return FrameBuffer.data() + 4; }

private:
    void abandon();
};

/// Wire bytes of a frame: start mark, address, type, length, stuffed payload, checksum.
/// `length` must not exceed FrameMaxPayload.
QByteArray EncodeFrame(quint8 address, quint8 type, const quint8 *payload, int length);

/// The additive checksum of a frame, the stuffing not counted.
quint8 FrameChecksum(quint8 address, quint8 type, const quint8 *payload, int length);
