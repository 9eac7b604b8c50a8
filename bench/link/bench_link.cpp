// SPDX-License-Identifier: GPL-3.0-or-later
// Console overhead on the furnace link: how many request/reply exchanges per second the link
// can carry when the furnace answers at once; what share of one core the console uses while its
// furnace windows are linked and idle (polled every 800 ms), with one window and with eight in
// one process, against the aim of 0.2 % of a core per furnace; and the start-up time of the
// console with eight --port arguments. Prints figures; never fails.
//
// bench_link [seconds per figure] [exchanges] [alone] [idle1] [idle8] [startup]
// (the figures named, all of them when none is)

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "app/furnacewindows.h"
#include "app/widgetdialogs.h"
#include "bench/support/startupchild.h"
#include "bench/support/windowbench.h"
#include "link/link.h"
#include "sim/simulatorline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

/// What one linked, idle furnace window may cost, in % of one core.
constexpr double IdleAimPercent = 0.2;
/// Start-ups timed per figure.
constexpr int StartupRuns = 5;
const QString DemoFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");

/// Runs the event loop for `ms` (no polling, no sleeping between events).
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double processCpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

/// Elapsed seconds and process CPU seconds over `seconds` of event loop.
struct Span {
    double elapsed = 0;
    double cpu = 0;
};
Span measure(int seconds)
{
    const double cpu0 = processCpuSeconds();
    QElapsedTimer t;
    t.start();
    runFor(seconds * 1000);
    return {double(t.elapsed()) / 1000.0, processCpuSeconds() - cpu0};
}

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

/// Dialogs that answer nothing: the benchmark has no user.
class SilentDialogs : public WidgetDialogs
{
public:
    void message(QWidget *, Icon, const QString &, const QString &) override {}
    bool question(QWidget *, const QString &, const QString &) override { return false; }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
};

void exchangesPerSecond(QTextStream &out, int seconds)
{
    Link link;
    auto line = std::make_unique<SimulatorLine>();
    line->controller().setSpeed(0);
    if (!link.open(std::move(line), nullptr)) {
        out << "could not open the simulator line\n";
        return;
    }
    quint64 replies = 0;
    QObject::connect(&link, &Link::replyDecoded, [&] {
        ++replies;
        link.request(RequestKind::Status);
    });
    link.request(RequestKind::Status);
    const auto [elapsed, cpu] = measure(seconds);
    out << "exchanges per second (status request + 5-byte reply, furnace answering at once): "
        << qRound(double(replies) / elapsed) << "\n";
    out << "  link passes per second: " << qRound(double(link.passes()) / elapsed)
        << ", hand-overs by the link thread per second: "
        << qRound(double(link.handovers()) / elapsed) << "\n";
    out << "  CPU per exchange: " << fixed(cpu / double(qMax<quint64>(replies, 1)) * 1e6, 1)
        << " us (process CPU " << fixed(100.0 * cpu / elapsed, 1) << " % of one core)\n";
    link.close();
}

/// Link passes, calls on the user-interface thread and hand-overs by the link thread so far.
struct LinkCounts {
    quint64 passes = 0;
    quint64 calls = 0;
    quint64 handovers = 0;

    void add(const Link &link)
    {
        passes += link.passes();
        calls += link.calls();
        handovers += link.handovers();
    }
};

/// "25.4 link passes/s in 8.8 calls/s, 1.2 of them handed over by the link thread"
QString rates(const LinkCounts &from, const LinkCounts &to, double seconds, int furnaces)
{
    const auto rate = [&](quint64 a, quint64 b) {
        return fixed(double(b - a) / seconds / furnaces, 1);
    };
    return rate(from.passes, to.passes) + " link passes/s in " + rate(from.calls, to.calls) +
           " calls/s, " + rate(from.handovers, to.handovers) +
           " of them handed over by the link thread";
}

/// The link alone, with no window: a built-in simulator paced like the furnace's line, polled
/// as the main window's tick polls it. What the link costs, apart from what the window does
/// with the replies.
void idleLinkAlone(QTextStream &out, int seconds)
{
    Link link;
    auto line = std::make_unique<SimulatorLine>();
    line->setLineRate(SimulatorLine::FurnaceLineRate);
    if (!link.open(std::move(line), nullptr)) {
        out << "could not open the simulator line\n";
        return;
    }
    QTimer tick;
    tick.setInterval(TForm1::TimerInterval);
    QObject::connect(&tick, &QTimer::timeout, [&link] { link.watchdogTick(false); });
    QObject::connect(&link, &Link::requestSent, &tick, qOverload<>(&QTimer::start));
    tick.start();
    runFor(1500);
    LinkCounts before;
    before.add(link);
    const auto [elapsed, cpu] = measure(seconds);
    LinkCounts after;
    after.add(link);
    out << "the link alone, idle (no window, built-in simulator, polled every 800 ms): "
        << fixed(100.0 * cpu / elapsed, 3) << " % of one core; " << rates(before, after, elapsed, 1)
        << "\n";
    link.close();
}

/// Process CPU per linked, idle furnace window against the aim, with `furnaces` windows in one
/// process as the console opens them for as many ports, each on its own built-in simulator.
void idleShare(QTextStream &out, int seconds, int furnaces)
{
    SilentDialogs dialogs;
    FurnaceWindows windows(ConsoleOptions{}, dialogs);
    for (int i = 0; i < furnaces; ++i)
        windows.open(i == 0 ? SimulatorPortName
                            : SimulatorPortName + QStringLiteral(" %1").arg(i + 1),
                     std::nullopt, false);
    // Let start-up settle, then measure.
    runFor(2000);
    const auto counts = [&windows] {
        LinkCounts sum;
        for (TForm1 *w : windows.windows())
            sum.add(w->link());
        return sum;
    };
    const LinkCounts before = counts();
    const auto [elapsed, cpu] = measure(seconds);
    const LinkCounts after = counts();
    const double share = 100.0 * cpu / elapsed / furnaces;
    out << furnaces << (furnaces == 1 ? " furnace window" : " furnace windows")
        << " linked and idle (built-in simulators, polled every 800 ms): " << fixed(share, 3)
        << " % of one core per furnace (" << fixed(share / IdleAimPercent, 2) << " of the aim, "
        << IdleAimPercent << " %)";
    if (furnaces > 1)
        out << ", " << fixed(share * furnaces, 2) << " % in all";
    out << "\n  per furnace: " << rates(before, after, elapsed, furnaces) << "\n";
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

/// The console's start-up with `ports` --port arguments on built-in simulators (the demo library
/// in the first window), until every window has painted: the median of a few runs, seconds.
std::optional<double> startupSeconds(int ports, const QString &dataHome)
{
    QStringList arguments;
    for (int i = 0; i < ports; ++i)
        arguments << QStringLiteral("--port")
                  << (i == 0 ? SimulatorPortName
                             : SimulatorPortName + QStringLiteral(" %1").arg(i + 1));
    arguments << QStringLiteral("--open") << DemoFile;
    // The logbook in a folder of its own, not the user's.
    QProcessEnvironment env;
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    std::vector<double> seconds;
    for (int i = 0; i < StartupRuns; ++i)
        if (const auto run =
                MeasureStartup(QCoreApplication::applicationFilePath(), arguments, env))
            seconds.push_back(run->seconds);
    if (seconds.empty())
        return std::nullopt;
    return median(seconds);
}

void startup(QTextStream &out)
{
    QTemporaryDir dataHome;
    const std::optional<double> one = startupSeconds(1, dataHome.path());
    const std::optional<double> eight = startupSeconds(8, dataHome.path());
    if (!one || !eight) {
        out << "start-up: the console did not show its windows\n";
        return;
    }
    out << "start-up to every window shown (demo library in the first, built-in simulators), "
        << "median of " << StartupRuns << " runs: with 8 --port arguments " << fixed(*eight, 3)
        << " s, with 1 " << fixed(*one, 3) << " s (8 / 1 = " << fixed(*eight / *one, 2) << ")\n";
}

} // namespace

int main(int argc, char **argv)
{
    if (IsStartupChild(argc, argv))
        return RunStartupChild(argc, argv);
    WindowBench bench(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const int seconds = args.isEmpty() ? 5 : qMax(1, args[0].toInt());
    const QStringList only = args.mid(1);
    const auto wanted = [&only](const char *name) {
        return only.isEmpty() || only.contains(QLatin1String(name));
    };
    QTextStream &out = bench.out;
    out << "bench_link: " << seconds << " s per figure\n";
    const std::pair<const char *, std::function<void()>> figures[] = {
        {"exchanges", [&] { exchangesPerSecond(out, seconds); }},
        {"alone", [&] { idleLinkAlone(out, seconds); }},
        {"idle1", [&] { idleShare(out, seconds, 1); }},
        {"idle8", [&] { idleShare(out, seconds, 8); }},
        {"startup", [&] { startup(out); }},
    };
    for (const auto &[name, figure] : figures) {
        if (!wanted(name))
            continue;
        figure();
        out.flush();
    }
    return 0;
}
