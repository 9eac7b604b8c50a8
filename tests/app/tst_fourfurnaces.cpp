// SPDX-License-Identifier: GPL-3.0-or-later
// Four furnaces from one console at once: firings on two built-in simulators, an upload of
// masses into a third, while the fourth, zkv-furnace-sim on a pseudo-terminal, hangs up and
// comes back. Every furnace's figures stay its own, none of the others misses a reply, and the
// user-interface thread's longest stall is printed against the 50 ms aim.

#include "link/link.h"
#include "link/transfersequence.h"
#include "tests/support/furnacesimprocess.h"
#include "tests/support/labconsole.h"
#include "tests/support/stallwatch.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace
{

constexpr double Speed = 60;
constexpr qint64 StallAimMs = 50;

QString logOf(const TForm1 *w)
{
    return w->findChild<QPlainTextEdit *>(QStringLiteral("mMessage"))->toPlainText();
}

bool answering(const TForm1 *w)
{
    return w->findChild<QLabel *>(QStringLiteral("lblPacketErr"))->text() ==
           QStringLiteral("PacketERR=0");
}

} // namespace

class TestFourFurnaces : public QObject
{
    Q_OBJECT
private slots:
    void firingsUploadAndHangUpTogether();
};

void TestFourFurnaces::firingsUploadAndHangUpTogether()
{
    QTemporaryDir dir;
    const QString ptyPath = dir.filePath(QStringLiteral("furnace"));
    const QStringList simArgs{QStringLiteral("--link"), ptyPath, QStringLiteral("--speed"),
                              QString::number(Speed)};
    QProcess ptySim;
    QVERIFY(!StartFurnaceSim(ptySim, simArgs + QStringList{"--firmware", "2.07"}).isEmpty());

    // Each built-in furnace paced like a real line; the temperatures it reports are kept. The
    // second one's thermocouple reads high: the two firing furnaces start apart.
    QHash<QString, QSet<quint16>> reported;
    LabConsole lab(Speed, [&reported](const QString &port, SimulatorLine &line) {
        line.setLineRate(SimulatorLine::FurnaceLineRate);
        if (port == QStringLiteral("Simulator 2"))
            line.controller().setAgeing({100, 0, 37});
        line.controller().setFrameObserver([&reported, port](quint8 type, const QByteArray &p) {
            if (type == 3 && p.size() >= 2)
                reported[port].insert(quint16(quint8(p[0]) | quint8(p[1]) << 8));
        });
    });
    const QStringList ports{SimulatorPortName, QStringLiteral("Simulator 2"),
                            QStringLiteral("Simulator 3"), ptyPath};
    TForm1 *const firing1 = lab.open(ports[0], 0);
    TForm1 *const firing2 = lab.open(ports[1], 1);
    TForm1 *const upload = lab.open(ports[2]);
    TForm1 *const pty = lab.openEmpty(ports[3]);
    const QList<TForm1 *> builtIn{firing1, firing2, upload};
    StallWatch stalls;
    QVERIFY(stalls.runUntil(
        [&] {
            return std::all_of(builtIn.begin(), builtIn.end(), answering) &&
                   pty->panel(0)->text() == QStringLiteral("ZKV 4.6 v:2.07");
        },
        5000));

    // From here on the three built-in furnaces answer every tick, and the stalls count.
    bool othersMissedReplies = false;
    const auto sample = [&] {
        othersMissedReplies =
            othersMissedReplies || !std::all_of(builtIn.begin(), builtIn.end(), answering);
    };
    stalls.start();
    // As a user would start them: one after the other.
    firing1->sbStartPrgClick();
    stalls.serve(100);
    firing2->sbStartPrgClick();
    stalls.serve(100);
    lab.dialogs.nameAnswers << QStringLiteral("2");
    upload->btnSendClick();
    QVERIFY(upload->transfer().running());
    QVERIFY(stalls.runUntil(
        [&] {
            return lab.furnace(ports[0]).programRunning() && lab.furnace(ports[1]).programRunning();
        },
        3000, sample));

    // The pseudo-terminal's furnace goes away and comes back with other firmware.
    ptySim.terminate();
    QVERIFY(ptySim.waitForFinished(5000));
    stalls.resume();
    QVERIFY(stalls.runUntil(
        [&] { return logOf(pty).contains(QStringLiteral("can't be opened yet")); }, 10000, sample));
    QCOMPARE(pty->panel(0)->text(), QStringLiteral("No furnace"));
    QProcess comeBack;
    QVERIFY(!StartFurnaceSim(comeBack, simArgs + QStringList{"--firmware", "2.08"}).isEmpty());
    stalls.resume();
    QVERIFY(stalls.runUntil(
        [&] { return pty->panel(0)->text() == QStringLiteral("ZKV 4.6 v:2.08") && answering(pty); },
        10000, sample));
    QVERIFY(stalls.runUntil([&] { return !upload->transfer().running(); }, 20000, sample));
    // Both firings ran on meanwhile and were sampled a while.
    QVERIFY(stalls.runUntil(
        [&] {
            return firing1->firingRecord().trace().samples().size() >= 10 &&
                   firing2->firingRecord().trace().samples().size() >= 10;
        },
        10000, sample));
    const qint64 longestStall = stalls.longestMs();
    qInfo("longest stall of the user-interface thread: %lld ms (%.2f of the %lld ms aim)",
          longestStall, double(longestStall) / StallAimMs, StallAimMs);

    QVERIFY2(!othersMissedReplies, "a built-in furnace missed a reply meanwhile");
    // The pseudo-terminal's furnace came back as it does alone: one failure, opened twice.
    QCOMPARE(logOf(pty).count(QStringLiteral(" failed (the device was disconnected)")), 1);
    QCOMPARE(logOf(pty).count(QStringLiteral(" successfully opened.")), 2);
    // The upload went whole into its own furnace, and into no other.
    QVERIFY2(logOf(upload).endsWith(QStringLiteral(" All the programs are successfully "
                                                   "transmitted.")),
             qPrintable(logOf(upload)));
    QCOMPARE(lab.sims.value(ports[2])->controller().storedRecordCount(),
             upload->library().layerTotal());
    for (const QString &port : {ports[0], ports[1]})
        QCOMPARE(lab.sims.value(port)->controller().storedRecordCount(), 0);
    QVERIFY(!upload->console().ProgramRunning && !pty->console().ProgramRunning);

    // Each firing's record is its own: its port, its mass, temperatures its furnace reported.
    for (int i : {0, 1}) {
        TForm1 *w = builtIn[i];
        const FiringRecord &record = w->firingRecord();
        QVERIFY(w->console().ProgramRunning && record.running());
        QCOMPARE(record.facts().port, ports[i]);
        QCOMPARE(record.facts().massName, w->library().massName(i));
        bool onlyHere = false;
        for (const TraceSample &s : record.trace().samples()) {
            onlyHere = onlyHere || !reported[ports[1 - i]].contains(s.ChamberTemp);
            QVERIFY2(
                reported[ports[i]].contains(s.ChamberTemp),
                qPrintable(
                    QStringLiteral("%1 °C in the record of %2").arg(s.ChamberTemp).arg(ports[i])));
        }
        QVERIFY2(onlyHere, "the two furnaces reported alike: the records do not tell them apart");
    }
    QVERIFY(firing1->firingRecord().facts().massName != firing2->firingRecord().facts().massName);
    // Frozen, and the second one's thermocouple drifting, each image shows its own furnace.
    for (int i : {0, 1})
        lab.sims.value(ports[i])->controller().setSpeed(0);
    FurnaceController &second = lab.sims.value(ports[1])->controller();
    second.setAgeing({100, 0, -13});
    if (lab.furnace(ports[1]).ChamberTemp() == lab.furnace(ports[0]).ChamberTemp())
        second.setAgeing({100, 0, -14});
    const auto showsOwn = [&](int i) {
        return builtIn[i]->link().image().ChamberTemp == lab.furnace(ports[i]).ChamberTemp();
    };
    QVERIFY(stalls.runUntil([&] { return showsOwn(0) && showsOwn(1); }, 3000));
    QVERIFY2(lab.dialogs.unexpected.isEmpty(), qPrintable(lab.dialogs.unexpected.join('\n')));

    lab.dialogs.questionAnswers << true << true;
    firing1->sbStopPrgClick();
    firing2->sbStopPrgClick();
    comeBack.terminate();
    comeBack.waitForFinished(5000);
}

QTEST_MAIN(TestFourFurnaces)
#include "tst_fourfurnaces.moc"
