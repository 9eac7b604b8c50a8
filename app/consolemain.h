// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class Dialogs;
class TForm1;

/// What a caller embedding the console's program may add: a step run once every furnace window
/// opened at start has been painted for the first time, given the first of them (start-up
/// figures, screenshots), and dialogs other than the real ones.
struct ConsoleMainHooks {
    std::function<void(TForm1 &)> shown;
    Dialogs *dialogs = nullptr;
};

/// The console's program: reads the command line (before any window system starts), builds and
/// shows the main window and runs the event loop. Returns the program's exit status.
int ConsoleMain(int argc, char **argv, const ConsoleMainHooks &hooks = {});
