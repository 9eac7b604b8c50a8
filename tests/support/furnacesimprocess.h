// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

/// Starts zkv-furnace-sim (at ZKV_SIM_PATH) with `args` and returns the device it serves; empty
/// when it did not start.
inline QString StartFurnaceSim(QProcess &sim, const QStringList &args)
{
    sim.start(QStringLiteral(ZKV_SIM_PATH), args);
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
        return {};
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}
