// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/serialline.h"
#include "sim/simfurnace.h"

#include <QString>
#include <QStringList>

#include <memory>

/// The port name under which the built-in furnace simulator is offered.
inline const QString SimulatorPortName = QStringLiteral("Simulator");

/// Whether `name` is the built-in simulator: "Simulator", or "Simulator 2" and on (every furnace
/// window may have one of its own).
bool IsSimulatorPort(const QString &name);

/// The ports the console offers: the machine's serial ports that can be opened right now, in
/// natural order, then the simulator.
QStringList ConsolePortList();

/// The line for a chosen port: the in-process simulator (running at `simulatorSpeed` simulated
/// seconds per real second, aged by `ageing`, its line paced like the furnace's) or the serial
/// device of that name.
std::unique_ptr<SerialLine> MakeConsoleLine(const QString &name, double simulatorSpeed = 1.0,
                                            const SimAgeing &ageing = {});
