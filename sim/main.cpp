// SPDX-License-Identifier: GPL-3.0-or-later
// zkv-furnace-sim: a simulated furnace controller on a pseudo-terminal. Prints the device path
// of the terminal as its first line of output and serves it until SIGINT or SIGTERM.

#include "sim/furnacecontroller.h"
#include "sim/ptyserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/signalfd.h>
#include <type_traits>
#include <unistd.h>

namespace
{

struct Options {
    QString linkPath;
    double speed = 1.0;
    SimFaults faults;
    SimIdentity identity;
    std::optional<int> faultCode;
    std::optional<double> faultAfter;
    std::optional<double> reperTemp;
    QString dumpPath; ///< where the transfer memory goes at the end
    std::optional<SimServiceBlock> serviceBlock;
    SimAgeing ageing;
};

/// Reads --service-block: the 38 bytes as 76 hexadecimal digits (blanks between them allowed).
bool serviceBlockOption(const QCommandLineParser &parser, std::optional<SimServiceBlock> *out,
                        QString *error)
{
    const QString name = QStringLiteral("service-block");
    if (!parser.isSet(name))
        return true;
    QByteArray hex = parser.value(name).toLatin1();
    hex.replace(' ', QByteArray()).replace(':', QByteArray());
    const bool digitsOnly = std::all_of(hex.cbegin(), hex.cend(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
    if (!digitsOnly || hex.size() != 2 * SimServiceBlock::Size) {
        *error = QStringLiteral("--service-block needs %1 hexadecimal digits (%2 bytes)")
                     .arg(2 * SimServiceBlock::Size)
                     .arg(SimServiceBlock::Size);
        return false;
    }
    const QByteArray raw = QByteArray::fromHex(hex);
    *out = SimServiceBlock::fromBytes(reinterpret_cast<const quint8 *>(raw.constData()));
    return true;
}

/// Reads a number option within [min, max] into `out`, which keeps its value when the option
/// is not given; false with a message when the value is not such a number. Whole numbers may be
/// written in decimal, hexadecimal (0x) or octal (0).
template<typename T>
bool numberOption(const QCommandLineParser &parser, const QString &name, T min, T max, T *out,
                  QString *error)
{
    if (!parser.isSet(name))
        return true;
    const QString text = parser.value(name);
    bool ok = false;
    T v{};
    if constexpr (std::is_integral_v<T>)
        v = text.toInt(&ok, 0);
    else
        v = text.toDouble(&ok);
    if (!ok || !(v >= min && v <= max)) {
        const QString kind =
            std::is_integral_v<T> ? QStringLiteral("a whole number") : QStringLiteral("a number");
        *error = QStringLiteral("--%1 needs %2 from %3 to %4, not \"%5\"")
                     .arg(name, kind)
                     .arg(min)
                     .arg(max)
                     .arg(text);
        return false;
    }
    *out = v;
    return true;
}

/// The same for an option whose absence is kept as no value.
template<typename T>
bool numberOption(const QCommandLineParser &parser, const QString &name, T min, T max,
                  std::optional<T> *out, QString *error)
{
    if (!parser.isSet(name))
        return true;
    T v{};
    if (!numberOption(parser, name, min, max, &v, error))
        return false;
    *out = v;
    return true;
}

bool parseOptions(QCoreApplication &app, Options *o, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated ZKV4.6 furnace controller on a pseudo-terminal.\n"
                       "Prints the terminal's device path as the first line of output, then "
                       "answers the console's requests on it until SIGINT or SIGTERM."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("link"),
         QStringLiteral("Also make <path> a symbolic link to the device "
                        "(removed on exit)."),
         QStringLiteral("path")},
        {QStringLiteral("speed"), QStringLiteral("Simulated seconds per real second (default 1)."),
         QStringLiteral("x")},
        {QStringLiteral("no-reply"), QStringLiteral("Never answer.")},
        {QStringLiteral("no-reply-every"), QStringLiteral("Leave every Nth request unanswered."),
         QStringLiteral("n")},
        {QStringLiteral("bad-checksum"), QStringLiteral("Send every reply with a wrong checksum.")},
        {QStringLiteral("bad-checksum-every"),
         QStringLiteral("Send every Nth reply with a wrong checksum."), QStringLiteral("n")},
        {QStringLiteral("wrong-length"),
         QStringLiteral("Send every reply one payload byte too long.")},
        {QStringLiteral("wrong-type"),
         QStringLiteral("Answer every request with a reply of type <type>."),
         QStringLiteral("type")},
        {QStringLiteral("model"), QStringLiteral("Report furnace model <id> (default 13)."),
         QStringLiteral("id")},
        {QStringLiteral("firmware"),
         QStringLiteral("Report firmware version <major.minor> (default 1.05)."),
         QStringLiteral("version")},
        {QStringLiteral("long-identify"), QStringLiteral("Answer identify with 6 bytes, not 3.")},
        {QStringLiteral("fault"),
         QStringLiteral("Controller error with fault <code> (mode 26): at once, or with "
                        "--fault-after once a program has run that long."),
         QStringLiteral("code")},
        {QStringLiteral("fault-after"),
         QStringLiteral("Raise --fault after <seconds> of simulated program time."),
         QStringLiteral("seconds")},
        {QStringLiteral("delay"), QStringLiteral("Delay every reply by <ms> milliseconds."),
         QStringLiteral("ms")},
        {QStringLiteral("refuse-transfer"),
         QStringLiteral("Refuse library transfers (acknowledge with 0).")},
        {QStringLiteral("transfer-ack"),
         QStringLiteral("Acknowledge library transfers with <byte> (85 = accept)."),
         QStringLiteral("byte")},
        {QStringLiteral("reper-temp"),
         QStringLiteral("Temperature (°C) at which the reference sensor operates (default 662)."),
         QStringLiteral("celsius")},
        {QStringLiteral("service-block"),
         QStringLiteral("Start with this settings block: 38 bytes as hexadecimal digits."),
         QStringLiteral("hex")},
    });
    // An aged furnace.
    parser.addOptions({
        {QStringLiteral("heater-power"),
         QStringLiteral("Heating element at <percent> of a new one's power, 0 to 100 (default "
                        "100): ramps slow down at high temperatures."),
         QStringLiteral("percent")},
        {QStringLiteral("vacuum-leak"),
         QStringLiteral("Leaks take back <share> of the vacuum pump's speed, 0 to %1 (default 0): "
                        "slower pump-down, lower vacuum.")
             .arg(SimAgeing::MaxVacuumLeak),
         QStringLiteral("share")},
        {QStringLiteral("thermocouple-offset"),
         QStringLiteral("The thermocouple reads <degrees> °C above the true temperature, -%1 to "
                        "%1 (default 0); the reference sensor shows it.")
             .arg(SimAgeing::MaxThermocoupleOffset),
         QStringLiteral("degrees")},
    });
    // Upload of masses.
    parser.addOptions({
        {QStringLiteral("refuse-chunk"),
         QStringLiteral("Refuse the <n>th name chunk (requests 9 and 8 counted together)."),
         QStringLiteral("n")},
        {QStringLiteral("refuse-record"),
         QStringLiteral("Refuse the <n>th program record that arrives (request 6)."),
         QStringLiteral("n")},
        {QStringLiteral("refuse-always"),
         QStringLiteral("With --refuse-chunk or --refuse-record: refuse every one after it too.")},
        {QStringLiteral("silent-after-transfers"),
         QStringLiteral("Answer <n> transfer requests (6, 8, 9), then nothing at all."),
         QStringLiteral("n")},
        {QStringLiteral("dump-memory"),
         QStringLiteral("On exit, write the mass names, layer names and programs received to "
                        "<file>."),
         QStringLiteral("file")},
    });
    parser.process(app); // handles --help and unknown options (exits)

    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments()[0]);
        return false;
    }
    o->linkPath = parser.value(QStringLiteral("link"));
    if (!numberOption(parser, QStringLiteral("speed"), 0.0, 100000.0, &o->speed, error))
        return false;

    SimFaults &f = o->faults;
    f.noReply = parser.isSet(QStringLiteral("no-reply"));
    f.badChecksum = parser.isSet(QStringLiteral("bad-checksum"));
    f.wrongLength = parser.isSet(QStringLiteral("wrong-length"));
    int model = o->identity.modelId;
    int ack = parser.isSet(QStringLiteral("refuse-transfer")) ? 0 : f.transferAck;
    if (!numberOption(parser, QStringLiteral("no-reply-every"), 1, 1000000, &f.noReplyEvery,
                      error) ||
        !numberOption(parser, QStringLiteral("bad-checksum-every"), 1, 1000000, &f.badChecksumEvery,
                      error) ||
        !numberOption(parser, QStringLiteral("wrong-type"), 0, 254, &f.wrongType, error) ||
        !numberOption(parser, QStringLiteral("model"), 0, 255, &model, error) ||
        !numberOption(parser, QStringLiteral("delay"), 0, 60000, &f.replyDelayMs, error) ||
        !numberOption(parser, QStringLiteral("transfer-ack"), 0, 255, &ack, error) ||
        !numberOption(parser, QStringLiteral("fault"), 0, 255, &o->faultCode, error))
        return false;
    o->identity.modelId = quint8(model);
    f.transferAck = quint8(ack);
    o->identity.longForm = parser.isSet(QStringLiteral("long-identify"));

    if (parser.isSet(QStringLiteral("firmware"))) {
        const QStringList parts = parser.value(QStringLiteral("firmware")).split(u'.');
        bool okMajor = false;
        bool okMinor = false;
        const int major = parts.value(0).toInt(&okMajor);
        const int minor = parts.size() == 2 ? parts[1].toInt(&okMinor) : -1;
        if (parts.size() != 2 || !okMajor || !okMinor || major < 0 || major > 255 || minor < 0 ||
            minor > 255) {
            *error = QStringLiteral("--firmware needs <major.minor>, e.g. 1.05");
            return false;
        }
        o->identity.versionMajor = quint8(major);
        o->identity.versionMinor = quint8(minor);
    }
    if (!numberOption(parser, QStringLiteral("fault-after"), 0.0, 1e7, &o->faultAfter, error) ||
        !numberOption(parser, QStringLiteral("reper-temp"), 0.0, 2000.0, &o->reperTemp, error))
        return false;
    if (!serviceBlockOption(parser, &o->serviceBlock, error))
        return false;
    SimAgeing &a = o->ageing;
    if (!numberOption(parser, QStringLiteral("heater-power"), 0.0, 100.0, &a.heaterPowerPercent,
                      error) ||
        !numberOption(parser, QStringLiteral("vacuum-leak"), 0.0, SimAgeing::MaxVacuumLeak,
                      &a.vacuumLeak, error) ||
        !numberOption(parser, QStringLiteral("thermocouple-offset"),
                      -SimAgeing::MaxThermocoupleOffset, SimAgeing::MaxThermocoupleOffset,
                      &a.thermocoupleOffset, error))
        return false;
    if (o->faultAfter && !o->faultCode) {
        *error = QStringLiteral("--fault-after needs --fault <code>");
        return false;
    }
    // Upload of masses.
    f.refuseAlways = parser.isSet(QStringLiteral("refuse-always"));
    o->dumpPath = parser.value(QStringLiteral("dump-memory"));
    if (!numberOption(parser, QStringLiteral("refuse-chunk"), 1, 1000000, &f.refuseChunk, error) ||
        !numberOption(parser, QStringLiteral("refuse-record"), 1, 1000000, &f.refuseRecord,
                      error) ||
        !numberOption(parser, QStringLiteral("silent-after-transfers"), 0, 1000000,
                      &f.silentAfterTransfers, error))
        return false;
    return true;
}

/// Writes the controller's transfer memory to `path`; false with a message when it cannot.
bool dumpMemory(const FurnaceController &controller, const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
        file.write(controller.memoryDump().toUtf8()) < 0 || !file.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

/// Creates `linkPath` as a symbolic link to `target`. An existing symbolic link there is
/// replaced; any other file is left alone and reported.
bool createLink(const QString &linkPath, const QString &target, QString *error)
{
    const QFileInfo info(linkPath);
    if (info.isSymLink()) {
        QFile::remove(linkPath);
    } else if (info.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(linkPath).constData()) !=
        0) {
        *error = QStringLiteral("cannot create %1: %2")
                     .arg(linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

void removeLink(const QString &linkPath, const QString &target)
{
    const QFileInfo info(linkPath);
    if (info.isSymLink() && info.symLinkTarget() == QFileInfo(target).absoluteFilePath())
        QFile::remove(linkPath);
}

void printError(const QString &text)
{
    std::fprintf(stderr, "zkv-furnace-sim: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    // The stop signals are taken through a descriptor, so they must be blocked in every thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zkv-furnace-sim"));

    Options options;
    QString error;
    if (!parseOptions(app, &options, &error)) {
        printError(error);
        return 2;
    }

    FurnaceController controller;
    controller.setSpeed(options.speed);
    controller.faults() = options.faults;
    controller.identity() = options.identity;
    controller.setAgeing(options.ageing);
    if (options.reperTemp)
        controller.furnace().setReperOperationTemp(*options.reperTemp);
    if (options.serviceBlock)
        controller.furnace().setServiceBlock(*options.serviceBlock);
    if (options.faultCode) {
        if (options.faultAfter)
            controller.furnace().raiseFaultAfter(quint8(*options.faultCode), *options.faultAfter);
        else
            controller.furnace().raiseFault(quint8(*options.faultCode));
    }

    const int signalFd = ::signalfd(-1, &stopSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalFd < 0) {
        printError(
            QStringLiteral("signalfd: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return 1;
    }
    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [signalFd] {
        signalfd_siginfo info{};
        while (::read(signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
        }
        QCoreApplication::quit();
    });

    PtyServer server(controller);
    int rc = 1;
    if (!server.open(&error)) {
        printError(error);
    } else if (!options.linkPath.isEmpty() &&
               !createLink(options.linkPath, server.slavePath(), &error)) {
        printError(error);
    } else {
        std::printf("%s\n", server.slavePath().toLocal8Bit().constData());
        std::fflush(stdout);
        rc = app.exec();
        if (!options.linkPath.isEmpty())
            removeLink(options.linkPath, server.slavePath());
        if (!options.dumpPath.isEmpty() && !dumpMemory(controller, options.dumpPath, &error)) {
            printError(error);
            rc = 1;
        }
    }
    signalNotifier.setEnabled(false);
    ::close(signalFd);
    return rc;
}
