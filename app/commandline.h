// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Unit1.h"
#include "app/statusserver.h"

#include <optional>

/// The command line, read before the window system starts so that --help, --version and a bad
/// option work without a display.
struct CommandLine {
    ConsoleOptions options;
    /// The furnace windows to open at start, a port each (the first is `options.port`); none
    /// when the first window is to ask for its port.
    QStringList ports;
    /// The status page to serve (--status-port); none when not asked for.
    std::optional<StatusServerOptions> statusPage;
    /// Set when the program ends at once with this status (0 after --help or --version, which
    /// printed their text; 2 after a bad command line, which printed why and the usage).
    std::optional<int> exitCode;
};

/// Parses argv (Qt's own window-system options, such as -platform, pass through to the
/// application object) and prints what --help, --version or an error ask for.
CommandLine ParseCommandLine(int argc, char **argv);
