// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/consolelines.h"

#include "link/portlist.h"
#include "link/serialportline.h"
#include "sim/simulatorline.h"

QStringList ConsolePortList()
{
    QStringList ports = OpenablePorts(SystemPortNames(), &SerialPortLine::canOpen);
    ports << SimulatorPortName;
    return ports;
}

bool IsSimulatorPort(const QString &name)
{
    if (name == SimulatorPortName)
        return true;
    const QString prefix = SimulatorPortName + QLatin1Char(' ');
    bool number = false;
    return name.startsWith(prefix) && name.mid(prefix.size()).toInt(&number) > 1 && number;
}

std::unique_ptr<SerialLine> MakeConsoleLine(const QString &name, double simulatorSpeed,
                                            const SimAgeing &ageing)
{
    if (IsSimulatorPort(name)) {
        auto line = std::make_unique<SimulatorLine>();
        line->controller().setSpeed(simulatorSpeed);
        line->setAgeing(ageing);
        // Paced like the furnace's own line, so that what takes time on a real furnace (an
        // upload of masses) takes the same time here.
        line->setLineRate(SimulatorLine::FurnaceLineRate);
        return line;
    }
    return std::make_unique<SerialPortLine>(name);
}
