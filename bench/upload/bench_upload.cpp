// SPDX-License-Identifier: GPL-3.0-or-later
// Upload of a full controller table (10 masses of 11 layers, 18-character names) from the main
// window: against a simulator paced at the furnace line's rate (9600 baud, 8 data bits, no
// parity, 2 stop bits: 11 bits a byte), how close the upload comes to the time its bytes need
// on the wire; and without pacing, how many exchanges per second the console carries.
// Prints figures; never fails.

#include "app/Unit1.h"
#include "app/widgetdialogs.h"
#include "bench/support/windowbench.h"
#include "link/link.h"
#include "link/transfersequence.h"
#include "sim/furnacecontroller.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <deque>

namespace
{

constexpr double LineBytesPerSecond = 9600.0 / 11.0; // 872.7
constexpr double AimRatio = 1.02;

/// The simulated controller behind a line that carries bytes at `bytesPerSecond` in each
/// direction (0: at once). The controller answers the moment a request's last byte is in; the
/// reply reaches the console when its own last byte would have.
class PacedLine : public SerialLine
{
public:
    explicit PacedLine(double bytesPerSecond)
        : m_rate(bytesPerSecond)
    {
        m_clock.start();
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { deliver(); });
        m_controller.setSpeed(0);
    }

    bool open(QString *) override { return m_open = true; }
    bool isOpen() const override { return m_open; }
    void close() override { m_open = false; }
    void purge() override { m_queued.clear(); }
    QByteArray readQueued() override
    {
        QByteArray out;
        out.swap(m_queued);
        return out;
    }
    bool write(const QByteArray &bytes) override
    {
        m_bytes += bytes.size();
        const QByteArray reply = m_controller.receive(bytes);
        if (m_rate <= 0) {
            m_queued += reply;
            m_bytes += reply.size();
            m_replies += reply.isEmpty() ? 0 : 1;
            emit dataArrived();
            return true;
        }
        // The line is busy until the bytes before these are out.
        m_txFreeNs = std::max(m_txFreeNs, m_clock.nsecsElapsed()) + wireNs(bytes.size());
        if (!reply.isEmpty()) {
            m_pending.push_back({m_txFreeNs + wireNs(reply.size()), reply});
            schedule();
        }
        return true;
    }

    /// Bytes both ways and replies delivered since the last reset.
    qint64 bytes() const { return m_bytes; }
    int replies() const { return m_replies; }
    void resetCounts()
    {
        m_bytes = 0;
        m_replies = 0;
    }

private:
    struct Arrival {
        qint64 dueNs;
        QByteArray bytes;
    };

    qint64 wireNs(qsizetype n) const { return qint64(double(n) / m_rate * 1e9); }

    void schedule()
    {
        if (m_pending.empty() || m_timer.isActive())
            return;
        const qint64 wait = m_pending.front().dueNs - m_clock.nsecsElapsed();
        // Woken early rather than late; the last fraction of a millisecond is waited out.
        m_timer.start(int(std::max<qint64>(0, wait / 1000000)));
    }

    void deliver()
    {
        while (!m_pending.empty()) {
            const Arrival &next = m_pending.front();
            const qint64 early = next.dueNs - m_clock.nsecsElapsed();
            if (early > 1000000)
                break;
            while (m_clock.nsecsElapsed() < next.dueNs) {
            }
            m_queued += next.bytes;
            m_bytes += next.bytes.size();
            ++m_replies;
            m_pending.pop_front();
            emit dataArrived();
        }
        schedule();
    }

    double m_rate;
    FurnaceController m_controller;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::deque<Arrival> m_pending;
    QByteArray m_queued;
    qint64 m_txFreeNs = 0;
    qint64 m_bytes = 0;
    int m_replies = 0;
    bool m_open = false;
};

/// The benchmark's user: no masses file at start, slot 1 for the upload, no boxes.
class BenchDialogs : public WidgetDialogs
{
public:
    void message(QWidget *, Icon, const QString &, const QString &) override {}
    bool question(QWidget *, const QString &, const QString &) override { return false; }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    std::optional<QString> askName(QWidget *, const NameRequest &) override
    {
        return QStringLiteral("1");
    }
};

void runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

struct Upload {
    bool completed = false;
    double seconds = 0;
    qint64 bytes = 0;
    int exchanges = 0;
};

Upload upload(double bytesPerSecond)
{
    BenchDialogs dialogs;
    PacedLine *line = nullptr;
    ConsoleOptions options;
    options.port = QStringLiteral("paced");
    options.lineFactory = [&](const QString &) -> std::unique_ptr<SerialLine> {
        auto l = std::make_unique<PacedLine>(bytesPerSecond);
        line = l.get();
        return l;
    };
    TForm1 form(std::move(options), dialogs);
    MassLibrary &library = form.library();
    for (int p = 0; p < 10; ++p) {
        library.addMass(QStringLiteral("Mass %1 abcdefghijk").arg(p).left(18));
        for (int k = 0; k < 11; ++k)
            library.addLayer(p, QStringLiteral("Layer %1.%2 abcdefghi").arg(p).arg(k).left(18));
    }
    // Start between two poll sets, so that only the upload is on the line.
    const RequestState &requests = form.link().requests();
    runUntil([&] { return requests.NoReplyCount == 0 && requests.Pending.any(); }, 3000);
    runUntil([&] { return !requests.ReplyAwaited && !requests.Pending.any(); }, 3000);

    Upload result;
    bool ended = false;
    QObject::connect(&form.transfer(), &TransferSequence::finished,
                     [&](TransferSequence::Outcome outcome) {
                         result.completed = outcome == TransferSequence::Outcome::Completed;
                         ended = true;
                     });
    line->resetCounts();
    QElapsedTimer t;
    t.start();
    form.btnSendClick();
    runUntil([&] { return ended; }, 60000);
    result.seconds = double(t.nsecsElapsed()) / 1e9;
    result.bytes = line->bytes();
    result.exchanges = line->replies();
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    WindowBench bench(argc, argv);
    QTextStream &out = bench.out;
    out << "bench_upload: 10 masses x 11 layers, 18-character names\n";

    const Upload paced = upload(LineBytesPerSecond);
    const double wire = double(paced.bytes) / LineBytesPerSecond;
    out << "at the line rate (" << QString::number(LineBytesPerSecond, 'f', 1)
        << " bytes/s each way, instant answers): "
        << (paced.completed ? "completed" : "NOT completed") << ", " << paced.exchanges
        << " exchanges, " << paced.bytes << " bytes\n";
    out << "  wall time " << QString::number(paced.seconds, 'f', 3) << " s, wire time "
        << QString::number(wire, 'f', 3) << " s, ratio "
        << QString::number(paced.seconds / wire, 'f', 4) << " (aim <= " << AimRatio << ": "
        << QString::number(paced.seconds / wire / AimRatio, 'f', 4) << " of the aim)\n";
    out.flush();

    const Upload quick = upload(0);
    out << "without pacing: " << (quick.completed ? "completed" : "NOT completed") << " in "
        << QString::number(quick.seconds, 'f', 3) << " s, " << quick.exchanges << " exchanges, "
        << qRound(quick.exchanges / std::max(quick.seconds, 1e-9)) << " exchanges/s\n";
    return 0;
}
