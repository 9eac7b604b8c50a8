// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Unit1.h"
#include "app/laboverview.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class LabOverview;

/// The furnace windows of one console: it makes them (the first at start, one per --port, more
/// from File → New furnace window...), knows the ports they hold, and is where the views of
/// several furnaces find them. Each window is complete in itself (its link, furnace image,
/// library, run, logbook); the windows share nothing but the application. A window is deleted
/// once it has closed; the program ends when the last one has. User-interface thread only.
class FurnaceWindows : public QObject
{
    Q_OBJECT
public:
    /// At most this many furnaces from one console.
    static constexpr int MaxWindows = 8;

    /// `base` is what every window starts with (its port and masses file are set per window).
    FurnaceWindows(ConsoleOptions base, Dialogs &dialogs, QObject *parent = nullptr);
    ~FurnaceWindows() override;

    /// Opens a furnace window on `port` (none: it asks as the first window does) with
    /// `massesFile` open; nullptr when MaxWindows are open.
    TForm1 *open(const std::optional<QString> &port,
                 const std::optional<QString> &massesFile = std::nullopt,
                 bool askForMassesFile = true);
    QList<TForm1 *> windows() const;
    /// The ports the windows hold now.
    QStringList portsInUse() const;
    /// `ports` without those in use, the built-in simulator offered under a name no window
    /// uses ("Simulator", "Simulator 2", ...).
    QStringList freePorts(const QStringList &ports) const;
    /// Lab overview: one window with a tile per furnace window (made once, raised after).
    void showOverview(quint8 language = 1);
    LabOverview *overview() const { return m_overview; }

signals:
    /// A window was opened or closed.
    void windowsChanged();

private:
    ConsoleOptions m_base;
    Dialogs &m_dialogs;
    /// Each removed when it is destroyed (its destroyed() comes after its own members are gone:
    /// it is only compared, never used, then).
    QList<TForm1 *> m_windows;
    QPointer<LabOverview> m_overview;
};
