// SPDX-License-Identifier: GPL-3.0-or-later
// The main window linked to the built-in simulator: live display, watchdog, port window.

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "link/link.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace
{

/// A console on the in-process simulator, with the simulator at hand.
struct SimConsole {
    ScriptedDialogs dialogs;
    SimulatorLine *sim = nullptr;
    std::unique_ptr<TForm1> form;

    explicit SimConsole(std::function<void(FurnaceController &)> setUp = {})
    {
        ConsoleOptions options;
        options.port = SimulatorPortName;
        options.lineFactory = [this, setUp](const QString &) {
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(0); // time moves only when the test says so
            if (setUp)
                setUp(line->controller());
            sim = line.get();
            return line;
        };
        dialogs.openAnswers << QString(); // no masses file at start
        form = std::make_unique<TForm1>(std::move(options), dialogs);
    }
    template<typename T>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QString text(const char *name) const { return get<QLabel>(name)->text(); }
};

} // namespace

class TestLiveLink : public QObject
{
    Q_OBJECT
private slots:
    void showsTheSimulatedFurnace();
    void silentFurnaceThenRecovery();
    void unknownModelBoxOnceWithTimerStopped();
    void portWindowLanguageAndChoice();
    void portListEndsWithSimulator();
    void requestsRestartTheWatchdog();
};

void TestLiveLink::showsTheSimulatedFurnace()
{
    SimConsole c([](FurnaceController &ctl) {
        ctl.identity() = {13, 1, 5, false};
        ctl.furnace().advance(5);
    });
    QVERIFY(c.sim);
    QVERIFY(c.text("lblChamberState").isEmpty());
    // Within two ticks the poll set has been answered.
    QTRY_COMPARE_WITH_TIMEOUT(c.form->panel(0)->text(), QStringLiteral("ZKV 4.6 v:1.05"), 2000);
    QCOMPARE(c.form->panel(0)->width(), 100);
    const SimFurnace &furnace = c.sim->controller().furnace();
    QTRY_COMPARE_WITH_TIMEOUT(c.get<QToolButton>("sbTemperature")->text(),
                              QStringLiteral("T=%1°C").arg(furnace.ChamberTemp()), 2000);
    QVERIFY(!c.text("lblChamberState").isEmpty());
    QCOMPARE(c.form->panel(1)->text(), QStringLiteral("Поддержание"));
    const QDateTime clock = c.sim->controller().clock();
    QCOMPARE(c.text("lblDate"), QStringLiteral("%1/%2/%3")
                                    .arg(clock.date().day())
                                    .arg(clock.date().month(), 2, 10, QLatin1Char('0'))
                                    .arg(clock.date().year()));
    QVERIFY(c.text("lblTime").count(QLatin1Char(':')) == 2);
    QVERIFY(c.text("lblTsupport").startsWith(QStringLiteral("Тподдер = ")));
    QCOMPARE(c.text("lblPacketErr"), QStringLiteral("PacketERR=0"));
    QCOMPARE(c.form->windowTitle(), QStringLiteral("ZKV4.6 CONSOLE - Simulator"));
    QCOMPARE(c.dialogs.boxCount(), 0);
}

void TestLiveLink::silentFurnaceThenRecovery()
{
    SimConsole c;
    QTRY_COMPARE_WITH_TIMEOUT(c.form->panel(0)->text(), QStringLiteral("ZKV 4.6 v:1.05"), 2000);
    c.sim->controller().faults().noReply = true;
    // Three silent ticks: the counter shows 3 and the type of the request that went unanswered.
    QTRY_VERIFY_WITH_TIMEOUT(c.text("lblPacketErr").startsWith(QStringLiteral("PacketERR=3,")),
                             8000);
    const int lastType = c.text("lblPacketErr").section(QLatin1Char(','), 1).toInt();
    // Each silent tick leaves the request unrepeated; the next pending poll goes out instead.
    QVERIFY2((QList<int>{15, 1, 56, 72, 4, 99, 3}).contains(lastType),
             qPrintable(c.text("lblPacketErr")));
    QCOMPARE(c.form->panel(0)->text(), QStringLiteral("No furnace"));
    QCOMPARE(c.form->panel(0)->width(), 70);
    // The furnace answers again: everything comes back by itself.
    c.sim->controller().faults().noReply = false;
    QTRY_COMPARE_WITH_TIMEOUT(c.text("lblPacketErr"), QStringLiteral("PacketERR=0"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(c.form->panel(0)->text(), QStringLiteral("ZKV 4.6 v:1.05"), 5000);
}

void TestLiveLink::unknownModelBoxOnceWithTimerStopped()
{
    SimConsole c([](FurnaceController &ctl) { ctl.identity().modelId = 7; });
    bool timerRanDuringBox = true;
    c.dialogs.whileModal = [&](const ScriptedDialogs::Call &) {
        timerRanDuringBox = c.get<QTimer>("Timer1")->isActive();
    };
    QTRY_COMPARE_WITH_TIMEOUT(c.form->panel(0)->text(), QStringLiteral("Unknown"), 2000);
    QCOMPARE(c.form->panel(0)->width(), 60);
    // Let several identify replies arrive: still one box.
    QTest::qWait(2000);
    const auto boxes = c.dialogs.callsOf(QStringLiteral("message"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].caption, QStringLiteral("Attention"));
    QCOMPARE(boxes[0].text, QStringLiteral("Unknown furnace model (id=7)."));
    QCOMPARE(boxes[0].icon, Dialogs::Icon::Error);
    QVERIFY(!timerRanDuringBox);
    QVERIFY(c.get<QTimer>("Timer1")->isActive());
}

void TestLiveLink::portWindowLanguageAndChoice()
{
    ScriptedDialogs dialogs;
    // Russian chosen in the port window, then the simulator.
    dialogs.portAnswers << std::make_pair(std::optional<QString>(SimulatorPortName),
                                          std::optional<quint8>(0));
    ConsoleOptions options;
    options.lineFactory = [](const QString &name) { return MakeConsoleLine(name, 0); };
    dialogs.openAnswers << QString(); // no masses file at start
    TForm1 form(std::move(options), dialogs);
    QCOMPARE(dialogs.callsOf(QStringLiteral("port")).size(), 1);
    QCOMPARE(form.console().Language, quint8(0));
    QVERIFY(form.findChild<QAction *>(QStringLiteral("mmRussian"))->isChecked());
    QVERIFY(!form.findChild<QAction *>(QStringLiteral("mmEnglish"))->isChecked());
    QCOMPARE(form.findChild<QPushButton *>(QStringLiteral("btnSend"))->text(),
             QStringLiteral("прогр ПУ"));
    QVERIFY(form.link().isRunning());
    QVERIFY(form.findChild<QComboBox *>(QStringLiteral("cmbSelPort"))->isHidden());
    const QString log = form.findChild<QPlainTextEdit *>(QStringLiteral("mMessage"))->toPlainText();
    QVERIFY2(log.endsWith(QStringLiteral(" Simulator успешно открыт.")), qPrintable(log));
    // The window's drop-down hook writes "click" into the main window.
    dialogs.lastPortHooks.droppedDown();
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lblMassSel"))->text(),
             QStringLiteral("click"));
}

void TestLiveLink::portListEndsWithSimulator()
{
    const QStringList ports = ConsolePortList();
    QVERIFY(!ports.isEmpty());
    QCOMPARE(ports.last(), QStringLiteral("Simulator"));
    QCOMPARE(ports.count(QStringLiteral("Simulator")), 1);
}

void TestLiveLink::requestsRestartTheWatchdog()
{
    SimConsole c;
    auto *timer = c.get<QTimer>("Timer1");
    QSignalSpy ticks(timer, &QTimer::timeout);
    QVERIFY(ticks.wait(2000));
    // A request made half-way through an interval pushes the next tick a full interval on.
    QTest::qWait(400);
    c.form->link().request(RequestKind::Status);
    QElapsedTimer sinceRequest;
    sinceRequest.start();
    QVERIFY(ticks.wait(2000));
    QVERIFY2(sinceRequest.elapsed() >= 750, qPrintable(QString::number(sinceRequest.elapsed())));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestLiveLink test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_livelink.moc"
