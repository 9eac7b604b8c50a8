// SPDX-License-Identifier: GPL-3.0-or-later
// Console overhead on the furnace link: how many request/reply exchanges per second the link
// can carry when the furnace answers at once, and what share of one core the console uses while
// it is linked and idle (polling every 800 ms). Prints figures; never fails.

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "app/widgetdialogs.h"
#include "bench/support/windowbench.h"
#include "link/link.h"
#include "sim/simulatorline.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

namespace
{

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
    out << "link passes per second: " << qRound(double(link.passes()) / elapsed) << "\n";
    out << "CPU per exchange: "
        << QString::number(cpu / double(qMax<quint64>(replies, 1)) * 1e6, 'f', 1)
        << " us (process CPU " << QString::number(100.0 * cpu / elapsed, 'f', 1)
        << " % of one core)\n";
    link.close();
}

void idleShare(QTextStream &out, int seconds)
{
    SilentDialogs dialogs;
    ConsoleOptions options;
    options.port = SimulatorPortName;
    TForm1 form(std::move(options), dialogs);
    form.show();
    // Let start-up settle, then measure.
    runFor(1500);
    const quint64 passes0 = form.link().passes();
    const auto [elapsed, cpu] = measure(seconds);
    out << "linked and idle (main window, built-in simulator, polling every 800 ms): "
        << QString::number(100.0 * cpu / elapsed, 'f', 2) << " % of one core, "
        << qRound(double(form.link().passes() - passes0) / elapsed) << " link passes/s\n";
}

} // namespace

int main(int argc, char **argv)
{
    WindowBench bench(argc, argv);
    const int seconds = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    QTextStream &out = bench.out;
    out << "bench_link: " << seconds << " s per figure\n";
    exchangesPerSecond(out, seconds);
    out.flush();
    idleShare(out, seconds);
    return 0;
}
