// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the README's screenshot: the console's own program (the command line is zkv-console's),
// with a firing started on a chosen layer once the main window is up, photographed after a
// while. No box ever waits for a click: questions are answered OK, messages go to stderr.
//
// Usage: zkv-screenshot OUTPUT.png SECONDS MASS LAYER [zkv-console options...]
// Ends with status 0 when the picture was saved during the firing, 1 otherwise.

#include "app/Unit1.h"
#include "app/consolemain.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

void say(const QString &text)
{
    std::fprintf(stderr, "zkv-screenshot: %s\n", qPrintable(text));
}

/// Dialogs that never wait for anyone.
class UnattendedDialogs : public Dialogs
{
public:
    void message(QWidget *, Icon, const QString &caption, const QString &text) override
    {
        say(QStringLiteral("box \"%1\": %2").arg(caption, text));
    }
    bool question(QWidget *, const QString &caption, const QString &text) override
    {
        say(QStringLiteral("question \"%1\": %2 -> OK").arg(caption, text));
        return true;
    }
    void messageLater(QWidget *parent, Icon icon, const QString &caption, const QString &text,
                      std::function<void()>) override
    {
        message(parent, icon, caption, text);
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    std::optional<QString> askName(QWidget *, const NameRequest &) override { return {}; }
};

struct Shot {
    QString output;
    int seconds = 0;
    int mass = 0;
    int layer = 0;
};

void startFiring(TForm1 &form, const Shot &shot)
{
    auto *names = form.findChild<QListWidget *>(QStringLiteral("lbNames"));
    auto *layers = form.findChild<QListWidget *>(QStringLiteral("lbLayers"));
    if (!names || shot.mass >= names->count()) {
        say(QStringLiteral("no mass %1 in the library").arg(shot.mass));
        QCoreApplication::exit(1);
        return;
    }
    names->setCurrentRow(shot.mass);
    form.lbNamesClick();
    if (!layers || shot.layer >= layers->count()) {
        say(QStringLiteral("no layer %1 in mass %2").arg(shot.layer).arg(shot.mass));
        QCoreApplication::exit(1);
        return;
    }
    layers->setCurrentRow(shot.layer);
    form.lbLayersClick();
    form.sbStartPrgClick();
    QTimer::singleShot(shot.seconds * 1000, &form, [&form, shot] {
        if (!form.console().ProgramRunning) {
            say(QStringLiteral("the firing is not running"));
            QCoreApplication::exit(1);
            return;
        }
        if (!form.grab().save(shot.output)) {
            say(QStringLiteral("cannot write %1").arg(shot.output));
            QCoreApplication::exit(1);
            return;
        }
        say(QStringLiteral("wrote %1").arg(shot.output));
        QCoreApplication::exit(0);
    });
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fputs("usage: zkv-screenshot OUTPUT.png SECONDS MASS LAYER [zkv-console options]\n",
                   stderr);
        return 2;
    }
    Shot shot{QString::fromLocal8Bit(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]),
              std::atoi(argv[4])};
    std::vector<char *> args{argv[0]};
    args.insert(args.end(), argv + 5, argv + argc);
    int count = int(args.size());
    args.push_back(nullptr);

    UnattendedDialogs dialogs;
    ConsoleMainHooks hooks;
    hooks.dialogs = &dialogs;
    hooks.shown = [shot](TForm1 &form) { startFiring(form, shot); };
    return ConsoleMain(count, args.data(), hooks);
}
