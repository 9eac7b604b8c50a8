// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the console: the time from starting its process to the main window painted for
// the first time, with the demo library open and the built-in simulator linked, and the resident
// memory at that moment; over several runs, as minimum and median, and as ratios to the aims
// (0.5 s, 60 MB). The process measured is this program run again as the console (the same
// start-up code and libraries as zkv-console). Prints figures; never fails.

#include "app/Unit1.h"
#include "app/consolemain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace
{

constexpr const char *ChildOption = "--startup-child";
constexpr double AimSeconds = 0.5;
constexpr double AimMegabytes = 60.0;
const QString DemoFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");

/// Resident memory of this process in kB (Linux), 0 where unknown.
long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

/// The console's program; on its first paint it reports "shown <platform> <kB>" and ends.
int runChild(int argc, char **argv)
{
    std::vector<char *> args{argv[0]};
    args.insert(args.end(), argv + 2, argv + argc);
    int count = int(args.size());
    args.push_back(nullptr);
    ConsoleMainHooks hooks;
    hooks.shown = [](TForm1 &) {
        std::printf("shown %s %ld\n", qPrintable(QGuiApplication::platformName()), residentKb());
        std::fflush(stdout);
        QCoreApplication::quit();
    };
    return ConsoleMain(count, args.data(), hooks);
}

struct Run {
    double seconds = 0;
    double megabytes = 0;
    QString platform;
};

std::optional<Run> measureOnce(const QString &self)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !env.contains(QStringLiteral("DISPLAY")) &&
        !env.contains(QStringLiteral("WAYLAND_DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    const QStringList arguments{QString::fromLatin1(ChildOption), QStringLiteral("--simulator"),
                                QStringLiteral("--open"), DemoFile};
    QElapsedTimer clock;
    clock.start();
    child.start(self, arguments);
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
    return Run{seconds, words[2].toDouble() / 1024.0, QString::fromLatin1(words[1])};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], ChildOption) == 0)
        return runChild(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 9;
    QTextStream out(stdout);
    std::vector<double> seconds;
    std::vector<double> megabytes;
    QString platform;
    for (int i = 0; i < runs; ++i) {
        const std::optional<Run> run = measureOnce(QCoreApplication::applicationFilePath());
        if (!run) {
            out << "start-up: run " << i + 1 << " did not show the main window\n";
            continue;
        }
        seconds.push_back(run->seconds);
        megabytes.push_back(run->megabytes);
        platform = run->platform;
    }
    if (seconds.empty()) {
        out << "start-up: no figures\n";
        return 0;
    }
    const double minS = *std::min_element(seconds.begin(), seconds.end());
    const double medS = median(seconds);
    const double minM = *std::min_element(megabytes.begin(), megabytes.end());
    const double medM = median(megabytes);
    out << Qt::fixed;
    out << "start-up to the main window shown (demo library open, simulator linked), "
        << seconds.size() << " runs, platform " << platform << ":\n";
    out.setRealNumberPrecision(3);
    out << "  time:     min " << minS << " s, median " << medS << " s  (median / " << AimSeconds
        << " s = " << medS / AimSeconds << ")\n";
    out.setRealNumberPrecision(1);
    out << "  resident: min " << minM << " MB, median " << medM << " MB  (median / " << AimMegabytes
        << " MB = ";
    out.setRealNumberPrecision(3);
    out << medM / AimMegabytes << ")\n";
    return 0;
}
