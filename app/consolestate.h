#pragma once

#include <QtGlobal>

/// Console-side state of the main window that the link, the run monitor and the service
/// windows read: the language, the procedure the console runs, and which windows are open.
struct ConsoleState {
    quint8 Language = 1; ///< 0 Russian, 1 English
    bool ProgramRunning = false;
    /// 0 idle, 16 drive calibration, 21 vacuum calibration, 22 overheat adjustment,
    /// 26 a fault box is up, 27 reference-sensor tuning, 28 reference-sensor run, 32 program.
    quint8 ConsoleMode = 0;
    bool ServicesWindowOpen = false;
    bool OfficesWindowOpen = false;
};
