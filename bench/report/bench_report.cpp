// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the record of a firing when it ends (what the record folder costs the user-interface
// thread): the CSV file and the PDF report of a 40-minute firing (3,000 samples) and of the
// longest record kept (a day, 108,000 samples). Prints the times and their ratio to the 100 ms
// the window may stand still at the end of a firing; never fails.

#include "app/firingreport.h"
#include "app/recordcsv.h"
#include "bench/support/windowbench.h"
#include "tests/support/samplefiring.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <cmath>

namespace
{

constexpr double LimitMs = 100.0;

FiringRecord RecordOf(qsizetype samples)
{
    FiringFacts facts;
    facts.massName = QStringLiteral("Dentine");
    facts.layerName = QStringLiteral("Dentine 1");
    facts.record = SampleFiring();
    facts.port = QStringLiteral("/dev/ttyUSB0");
    facts.furnaceModel = QStringLiteral("ZKV 4.6");
    const QDateTime start(QDate(2026, 3, 7), QTime(10, 0));
    FiringRecord record;
    record.start(facts, start);
    for (qsizetype i = 0; i < samples; ++i) {
        TraceSample s;
        s.Seconds = double(i) * 0.8;
        s.WallClock = start.addMSecs(i * 800);
        s.CurrentZone = quint8(std::min<qsizetype>(3 + i * 16 / samples, 18));
        s.StageText = QStringLiteral("Heating chamber for T firing, 930°C at speed 55°C/min");
        s.ChamberTemp = quint16(600 + 330 * std::sin(double(i) / double(samples) * 3.14));
        s.ChamberStatus = 3;
        s.ControllerMode = 32;
        record.trace().add(s);
    }
    record.addEvent(RecordEventKind::Finished, start.addMSecs(samples * 800));
    return record;
}

template<typename F>
double timeMs(F &&work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    WindowBench bench(argc, argv);
    QTextStream &out = bench.out;
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(2);
    for (qsizetype samples : {qsizetype(3000), FiringTrace::MaxSamples}) {
        const FiringRecord record = RecordOf(samples);
        qsizetype csvBytes = 0;
        qsizetype pdfBytes = 0;
        FiringReport::Pdf(record, 1, QString()); // fonts loaded once
        const double csv = timeMs([&] { csvBytes = RecordCsv::Encode(record, 1, {}).size(); });
        const double pdf = timeMs([&] { pdfBytes = FiringReport::Pdf(record, 1, {}).size(); });
        out << "record of " << samples << " samples: CSV " << csv << " ms (" << csvBytes / 1024
            << " KiB, " << csv / LimitMs << " of " << int(LimitMs) << " ms), PDF " << pdf << " ms ("
            << pdfBytes / 1024 << " KiB, " << pdf / LimitMs << " of " << int(LimitMs) << " ms)\n";
    }
    return 0;
}
