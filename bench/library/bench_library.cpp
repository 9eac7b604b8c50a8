// SPDX-License-Identifier: GPL-3.0-or-later
// Big libraries: opening, saving and the check before a save, for a library of 1,000 masses of
// 11 layers (aim: 100 ms each) and one of 50,000 masses of 2 layers. Prints the best of a few
// runs; never fails.

#include "library/massesfile.h"
#include "library/namerules.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace
{

constexpr double AimMs = 100.0;
constexpr int Runs = 5;

MassLibrary generate(int masses, int layers)
{
    MassLibrary library;
    for (int m = 0; m < masses; ++m) {
        library.addMass(QStringLiteral("Масса %1").arg(m));
        for (int k = 0; k < layers; ++k) {
            ProgParam record;
            for (int f = 0; f < ProgParam::FieldCount; ++f)
                record.setField(f, quint16(m * 31 + k * 7 + f));
            library.appendLayer(QStringLiteral("Слой %1").arg(k + 1), record);
        }
    }
    return library;
}

/// Best time of `Runs` runs of `step`, in milliseconds.
double bestMs(const std::function<void()> &step)
{
    double best = 1e300;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

void measure(QTextStream &out, int masses, int layers, bool aimed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.zkv"));
    const MassLibrary library = generate(masses, layers);
    bool ok = true;
    const double check = bestMs([&] { ok = ok && CheckLibraryNames(library).isEmpty(); });
    const double save = bestMs([&] { ok = ok && MassesFile::Save(library, path).saved; });
    MassLibrary opened;
    const double open = bestMs([&] { MassesFile::Open(opened, MassesFile::ReadFile(path)); });
    ok = ok && opened.layerTotal() == library.layerTotal();

    const auto figure = [&](const char *what, double ms) {
        out << "  " << what << ": " << QString::number(ms, 'f', 1) << " ms";
        if (aimed)
            out << " (" << QString::number(ms / AimMs, 'f', 3) << " of the " << AimMs << " ms aim)";
        out << "\n";
    };
    out << masses << " masses x " << layers << " layers (" << library.layerTotal()
        << " layers):" << (ok ? "" : " FAILED TO SAVE OR OPEN") << "\n";
    figure("pre-save check", check);
    figure("save (check, encode, write, sync)", save);
    figure("open (read, decode, build the library)", open);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    out << "bench_library: best of " << Runs << " runs\n";
    measure(out, 1000, 11, true);
    out.flush();
    measure(out, 50000, 2, false);
    return 0;
}
