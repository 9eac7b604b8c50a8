// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/framing.h"
#include "sim/furnacecontroller.h"

#include <QByteArray>
#include <QList>

#include <initializer_list>

// Building console requests and taking the controller's reply frames apart, for the simulator
// tests.

/// One reply frame that passed the checksum.
struct WireReply {
    bool received = false;
    quint8 address = 0;
    quint8 type = 0;
    QByteArray payload;

    quint8 byte(int at) const { return quint8(payload.at(at)); }
    quint16 u16(int at) const { return quint16(byte(at) | (byte(at + 1) << 8)); }
};

inline QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

inline QByteArray le16(int v)
{
    return bytes({v & 0xFF, (v >> 8) & 0xFF});
}

inline QByteArray requestFrame(quint8 type, const QByteArray &payload = {})
{
    return EncodeFrame(ConsoleAddress, type, reinterpret_cast<const quint8 *>(payload.constData()),
                       int(payload.size()));
}

/// Every good frame in `wire`, in order, read the way the console reads replies.
inline QList<WireReply> decodeReplies(const QByteArray &wire)
{
    QList<WireReply> out;
    FrameReceiver rx;
    for (char c : wire) {
        rx.feed(quint8(c));
        if (!rx.FrameReady)
            continue;
        WireReply r;
        r.received = true;
        r.address = rx.address();
        r.type = rx.type();
        r.payload = QByteArray(reinterpret_cast<const char *>(rx.payload()), rx.length());
        out.append(r);
        rx.reset();
    }
    return out;
}

/// Sends one request and returns its reply (not `received` when none came back intact).
inline WireReply ask(FurnaceController &c, quint8 type, const QByteArray &payload = {})
{
    const QList<WireReply> replies = decodeReplies(c.receive(requestFrame(type, payload)));
    return replies.isEmpty() ? WireReply{} : replies.first();
}

/// A controller whose clock stands still: time moves only through advance().
inline void freezeClock(FurnaceController &c)
{
    c.setSpeed(0);
}
