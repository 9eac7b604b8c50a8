// SPDX-License-Identifier: GPL-3.0-or-later
// Big libraries in the main window: deleting a mass of 99,999 layers, and masses files whose
// mass names are 256 KiB and 4 MiB long (opened, shown, selected). Prints times; never fails.

#include "app/Unit1.h"
#include "bench/support/windowbench.h"
#include "library/massesfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace
{

/// The benchmark's user: answers every question with OK and asks for nothing else.
class YesDialogs : public Dialogs
{
public:
    void message(QWidget *, Icon, const QString &, const QString &) override {}
    bool question(QWidget *, const QString &, const QString &) override { return true; }
    void messageLater(QWidget *, Icon, const QString &, const QString &,
                      std::function<void()> closed) override
    {
        if (closed)
            closed();
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    std::optional<QString> askName(QWidget *, const NameRequest &) override { return std::nullopt; }
};

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

QString ms(double value)
{
    return QString::number(value, 'f', 1) + QStringLiteral(" ms");
}

/// Opens `file` in a fresh main window, shows it, selects mass `mass`; prints the times.
template<typename After>
void inWindow(QTextStream &out, const QString &file, int mass, After after)
{
    YesDialogs dialogs;
    ConsoleOptions options;
    options.massesFile = file;
    QElapsedTimer timer;
    timer.start();
    TForm1 form(std::move(options), dialogs);
    form.show();
    QApplication::processEvents();
    out << "  open and show: " << ms(msSince(timer));
    timer.restart();
    form.findChild<QListWidget *>(QStringLiteral("lbNames"))->setCurrentRow(mass);
    QApplication::processEvents();
    out << ", select: " << ms(msSince(timer));
    after(form);
    out << "\n";
}

QString writeFile(const QTemporaryDir &dir, const char *name, const MassLibrary &library)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    MassesFile::Save(library, path);
    return path;
}

} // namespace

int main(int argc, char **argv)
{
    WindowBench bench(argc, argv);
    QTextStream &out = bench.out;
    QTemporaryDir dir;

    MassLibrary big;
    big.addMass(QStringLiteral("Big"));
    for (int k = 0; k < MassesFile::MaxEntries - 1; ++k)
        big.appendLayer(QStringLiteral("Layer %1").arg(k), ProgParam{});
    big.appendLayer(QStringLiteral("Last"), ProgParam{});
    big.addMass(QStringLiteral("Small"));
    out << "bench_libraryui:\n";
    out << "a mass of " << big.layerTotal() << " layers, then deleted:\n";
    inWindow(out, writeFile(dir, "big.zkv", big), 0, [&out](TForm1 &form) {
        QElapsedTimer timer;
        timer.start();
        form.btnDelMassClick();
        QApplication::processEvents();
        out << ", delete: " << ms(msSince(timer));
    });
    out.flush();

    for (int kib : {256, 4096}) {
        MassLibrary named;
        named.addMass(QString(kib * 1024, QLatin1Char('n')));
        named.appendLayer(QStringLiteral("Layer"), ProgParam{});
        out << "a mass name of " << kib << " KiB:\n";
        inWindow(out, writeFile(dir, "named.zkv", named), 0, [](TForm1 &) {});
        out.flush();
    }
    return 0;
}
