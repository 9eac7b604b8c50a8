// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the console: the time from starting its process to the main window painted for
// the first time, with the demo library open and the built-in simulator linked, and the resident
// memory at that moment; over several runs, as minimum and median, and as ratios to the aims
// (0.5 s, 60 MB). The process measured is this program run again as the console (the same
// start-up code and libraries as zkv-console). Prints figures; never fails.

#include "bench/support/startupchild.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace
{

constexpr double AimSeconds = 0.5;
constexpr double AimMegabytes = 60.0;
const QString DemoFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (IsStartupChild(argc, argv))
        return RunStartupChild(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 9;
    QTextStream out(stdout);
    std::vector<double> seconds;
    std::vector<double> megabytes;
    QString platform;
    for (int i = 0; i < runs; ++i) {
        const std::optional<StartupRun> run =
            MeasureStartup(QCoreApplication::applicationFilePath(),
                           {QStringLiteral("--simulator"), QStringLiteral("--open"), DemoFile});
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
