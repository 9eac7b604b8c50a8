// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "app/furnacewindows.h"
#include "sim/furnacecontroller.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"

#include <QHash>
#include <QListWidget>

#include <functional>
#include <memory>

/// A console's furnace windows for window tests: every simulator port gets a built-in simulator
/// of its own at `speed`, warmed up, kept by port name; any other port is the real serial
/// device. Boxes are scripted; the end-of-firing alert goes nowhere. Needs ZKV_SOURCE_DIR.
struct LabConsole {
    ScriptedDialogs dialogs;
    QHash<QString, SimulatorLine *> sims;
    std::unique_ptr<FurnaceWindows> windows;

    /// `setUp` sees each simulator as it is made, with its port.
    explicit LabConsole(double speed,
                        std::function<void(const QString &, SimulatorLine &)> setUp = {})
    {
        ConsoleOptions options;
        options.lineFactory = [this, speed,
                               setUp](const QString &name) -> std::unique_ptr<SerialLine> {
            if (!IsSimulatorPort(name))
                return MakeConsoleLine(name, 1.0, {});
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(speed);
            line->controller().furnace().advance(600);
            if (setUp)
                setUp(name, *line);
            sims.insert(name, line.get());
            return line;
        };
        options.portLister = [] { return QStringList{SimulatorPortName}; };
        options.endAlert = [](const QString &) {};
        windows = std::make_unique<FurnaceWindows>(std::move(options), dialogs);
    }
    /// A window on `port` with the demo library open, mass row `mass` and its first layer
    /// selected.
    TForm1 *open(const QString &port, int mass = 1)
    {
        TForm1 *w = windows->open(port, QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv"));
        w->findChild<QListWidget *>(QStringLiteral("lbNames"))->setCurrentRow(mass);
        w->lbNamesClick();
        w->findChild<QListWidget *>(QStringLiteral("lbLayers"))->setCurrentRow(0);
        w->lbLayersClick();
        return w;
    }
    /// A window on `port` with an empty library.
    TForm1 *openEmpty(const QString &port) { return windows->open(port, std::nullopt, false); }
    SimFurnace &furnace(const QString &port) { return sims.value(port)->controller().furnace(); }
};
