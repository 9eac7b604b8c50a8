// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

/// What the console's command line asks for. Read without an application object, so that it
/// can be checked on any input.
struct ConsoleArguments {
    enum class Action { Run, Help, Version, VerifyLogbook, Refuse };
    Action action = Action::Run;
    /// Why the command line was refused (Refuse), in one sentence.
    QString error;
    /// The usage text (--help, and after a refusal).
    QString usage;

    /// `--port DEVICE`: never empty when set; the first when several were given.
    std::optional<QString> port;
    /// Every `--port DEVICE`, in order (a furnace window each), none twice.
    QStringList ports;
    /// `--simulator`: a furnace window on the built-in simulator (besides the ports, if any).
    bool simulator = false;
    /// At most this many furnaces from one console.
    static constexpr int MaxFurnaces = 8;
    /// `--open FILE`.
    std::optional<QString> massesFile;
    /// `--record-dir DIR`, made absolute; empty when not given.
    QString recordDir;
    /// `--logbook FILE`, made absolute; empty when not given (the default file is used).
    QString logbook;
    /// `--no-logbook`: firings are not kept.
    bool noLogbook = false;
    /// `--verify-logbook [FILE]` (Action::VerifyLogbook): the file to check, made absolute;
    /// empty for the one --logbook names, or the default.
    QString verifyFile;
    /// `--operator NAME`: who fires, as the logbook records it; empty for the system user.
    QString operatorName;
    /// `--sim-heater-power PERCENT`, `--sim-vacuum-leak SHARE`, `--sim-thermocouple-offset
    /// DEGREES`: the built-in simulator's ageing, within the simulator's ranges.
    double simHeaterPower = 100;
    double simVacuumLeak = 0;
    double simThermocoupleOffset = 0;
    /// `--status-port N`: the status page on TCP port N (1 to 65535); 0 when not given.
    quint16 statusPort = 0;
    /// `--status-listen ADDRESS`: a numeric IPv4 or IPv6 address to serve the page on; empty
    /// for the loopback address. Only with --status-port.
    QString statusListen;
    /// `--status-token TOKEN`: MinTokenLength to MaxTokenLength of A-Z a-z 0-9 - . _ ~ (fit for
    /// a URL's query and a header as it is); empty when not given. Only with --status-port.
    QString statusToken;
    static constexpr int MinTokenLength = 8;
    static constexpr int MaxTokenLength = 256;
    /// `--sim-speed FACTOR`: finite, 0 to MaxSimulatorSpeed.
    double simulatorSpeed = 1.0;
    static constexpr double MaxSimulatorSpeed = 10000;
};

/// Whether `address` is a numeric IPv4 ("0.0.0.0") or IPv6 ("::1") address.
bool IsNumericAddress(const QString &address);
/// Whether `token` is a token --status-token takes.
bool IsStatusToken(const QString &token);

/// Reads `arguments` (the program's name first). Qt's own window-system options (-platform
/// and the like) are accepted and left to the application object.
ConsoleArguments ParseConsoleArguments(const QStringList &arguments);
