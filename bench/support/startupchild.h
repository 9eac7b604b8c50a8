// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Unit1.h"
#include "app/consolemain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

/// Start-up of the console measured from outside: the benchmark's own program run again as the
/// console (the same start-up code and libraries as zkv-console), with this option first.
inline constexpr const char *StartupChildOption = "--startup-child";

/// Resident memory of this process in kB (Linux), 0 where unknown.
inline long ResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

/// In the child (argv[1] is StartupChildOption): the console's program with the arguments that
/// follow; once every furnace window opened at start has painted it prints
/// "shown <platform> <resident kB>" and ends.
inline int RunStartupChild(int argc, char **argv)
{
    std::vector<char *> args{argv[0]};
    args.insert(args.end(), argv + 2, argv + argc);
    int count = int(args.size());
    args.push_back(nullptr);
    ConsoleMainHooks hooks;
    hooks.shown = [](TForm1 &) {
        std::printf("shown %s %ld\n", qPrintable(QGuiApplication::platformName()), ResidentKb());
        std::fflush(stdout);
        QCoreApplication::quit();
    };
    return ConsoleMain(count, args.data(), hooks);
}

inline bool IsStartupChild(int argc, char **argv)
{
    return argc >= 2 && std::strcmp(argv[1], StartupChildOption) == 0;
}

struct StartupRun {
    double seconds = 0; ///< from starting the process to every window shown
    double megabytes = 0;
    QString platform;
};

/// Starts `self` as the console with `arguments` and times it until its windows are shown.
/// Offscreen unless a display is there or QT_QPA_PLATFORM says otherwise; `env` adds to the
/// environment. Nothing when the console did not get that far.
inline std::optional<StartupRun> MeasureStartup(const QString &self, const QStringList &arguments,
                                                const QProcessEnvironment &env = {})
{
    QProcess child;
    QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
    if (!all.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !all.contains(QStringLiteral("DISPLAY")) &&
        !all.contains(QStringLiteral("WAYLAND_DISPLAY")))
        all.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    all.insert(env);
    child.setProcessEnvironment(all);
    QElapsedTimer clock;
    clock.start();
    child.start(self, QStringList{QString::fromLatin1(StartupChildOption)} + arguments);
    QByteArray out;
    while (!out.contains('\n') && clock.elapsed() < 30000) {
        if (!child.waitForReadyRead(30000 - int(clock.elapsed())))
            break;
        out += child.readAllStandardOutput();
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!child.waitForFinished(10000))
        child.kill();
    const QList<QByteArray> words = out.trimmed().split(' ');
    if (words.size() != 3 || words[0] != "shown") {
        // Only then is what the console said worth showing.
        std::fputs(child.readAllStandardError().constData(), stderr);
        return std::nullopt;
    }
    return StartupRun{seconds, words[2].toDouble() / 1024.0, QString::fromLatin1(words[1])};
}
