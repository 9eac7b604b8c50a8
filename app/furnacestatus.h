// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

/// What one furnace window shows of its furnace at a tick, for the views that show several
/// furnaces at once (the lab overview, the status page). Texts in the window's language.
struct FurnaceStatus {
    /// The window's port as opened ("/dev/ttyUSB0", "Simulator"); empty while none is open.
    QString port;
    /// The furnace as it named itself ("ZKV 4.6 v:1.05"); empty before it did.
    QString furnace;
    enum class Link {
        Closed,       ///< no port open
        Answering,    ///< the furnace answered this tick
        Silent,       ///< the furnace did not answer
        Reconnecting, ///< the port failed; it is opened again every few seconds
    };
    Link link = Link::Closed;
    /// The chamber's state as the window shows it ("Closed", "Opening").
    QString chamber;
    /// °C and % rarefaction as last reported; none before the furnace reported them, or while
    /// it is silent.
    std::optional<int> temperature;
    std::optional<int> vacuum;

    /// A program runs (started from this window).
    bool running = false;
    QString mass;
    QString layer;
    /// The stage text while running; how and when the run ended after it.
    QString stage;
    /// The program step 1..20 while running; 0 otherwise.
    int step = 0;
    std::optional<int> minutesLeft;
    /// Expected end (local time) while running and known.
    QDateTime expectedEnd;
    /// Progress in per mille; -1 when not known.
    int progress = -1;
    /// A controller fault the user has not acknowledged in the window yet; empty otherwise.
    QString fault;
    /// The furnace's checks that are due, as one text; empty when none is.
    QString checksDue;
};
