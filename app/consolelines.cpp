#include "consolelines.h"

#include "portlist.h"
#include "serialportline.h"
#include "simulatorline.h"

QStringList ConsolePortList()
{
    QStringList ports = OpenablePorts(SystemPortNames(), &SerialPortLine::canOpen);
    ports << SimulatorPortName;
    return ports;
}

std::unique_ptr<SerialLine> MakeConsoleLine(const QString &name, double simulatorSpeed)
{
    if (name == SimulatorPortName) {
        auto line = std::make_unique<SimulatorLine>();
        line->controller().setSpeed(simulatorSpeed);
        return line;
    }
    return std::make_unique<SerialPortLine>(name);
}
