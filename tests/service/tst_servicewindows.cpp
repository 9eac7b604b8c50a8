// SPDX-License-Identifier: GPL-3.0-or-later
// The three service windows from the Settings menu, against the built-in simulator: opening,
// what each control sends, the access code, and every procedure from its start to its end.

#include "app/Unit1.h"
#include "app/consolelines.h"
#include "link/link.h"
#include "service/Unit3_services.h"
#include "service/Unit4.h"
#include "service/Unit5_offices.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace
{

/// A console on the built-in simulator, whose clock stands still: simulated time moves only
/// when a test advances it, and ticks are run by hand.
struct ServiceConsole {
    ScriptedDialogs dialogs;
    SimulatorLine *sim = nullptr;
    std::unique_ptr<TForm1> form;

    ServiceConsole()
    {
        ConsoleOptions options;
        options.port = SimulatorPortName;
        options.massesFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
        options.lineFactory = [this](const QString &) -> std::unique_ptr<SerialLine> {
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(0);
            sim = line.get();
            return line;
        };
        form = std::make_unique<TForm1>(std::move(options), dialogs);
        tick(); // the poll set fills the furnace image
        form->mmAdditionClick();
        drain();
    }
    SimFurnace &furnace() { return sim->controller().furnace(); }
    FurnaceImage &image() { return form->link().image(); }
    PendingRequests &pending() { return form->link().requests().Pending; }
    quint8 mode() const { return form->console().ConsoleMode; }
    /// Every pending request out and its reply in.
    void drain()
    {
        for (int i = 0; i < 200 && form->link().runPass(); ++i) {
        }
    }
    /// One answered tick of the run monitor, `seconds` of simulated time after the last.
    void tick(double seconds = 0)
    {
        sim->controller().advance(seconds);
        drain();
        form->Timer1Timer();
        drain();
    }
    /// Ticks `seconds` apart while ConsoleMode stays `running`; the texts `watch` showed.
    QStringList runWhile(quint8 running, double seconds, QLabel *watch = nullptr)
    {
        QStringList seen;
        for (int i = 0; i < 2000 && mode() == running; ++i) {
            tick(seconds);
            if (watch && (seen.isEmpty() || seen.last() != watch->text()))
                seen << watch->text();
        }
        return seen;
    }
    template<typename T>
    static T *get(QWidget &window, const char *name)
    {
        return window.findChild<T *>(QString::fromLatin1(name));
    }
    void openOffices(std::function<void(QDialog &)> script)
    {
        dialogs.nameAnswers << QStringLiteral("47");
        dialogs.modalScripts << std::move(script);
        form->mmOfficeClick();
    }
};

/// Empty when the accessible name of `w`, a label or button, holds the text it shows, with
/// words in `language` (0 Russian); else what is wrong.
QString nameProblem(QWidget *w, quint8 language)
{
    const auto *label = qobject_cast<QLabel *>(w);
    const QString shown = label ? label->text() : qobject_cast<QAbstractButton *>(w)->text();
    const QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    bool cyrillic = false, latin = false;
    for (QChar ch : name) {
        cyrillic |= ch.unicode() >= 0x400 && ch.unicode() < 0x500;
        latin |= ch.isLetter() && ch.unicode() < 0x80;
    }
    if (shown.isEmpty() || !name.contains(shown) ||
        !(language == 0 ? cyrillic : latin && !cyrillic))
        return QStringLiteral("%1 shows \"%2\", named \"%3\"").arg(w->objectName(), shown, name);
    return {};
}

} // namespace

class TestServiceWindows : public QObject
{
    Q_OBJECT
private slots:
    void basicServicesOpenWithoutSendingAndSendEachChange();
    void wrongOrCancelledAccessCodeOpensNothing();
    void blockNeverReadIsNotWritten();
    void factoryFieldsLimitsAndLeaving();
    void calibrationsToTheirEnds();
    void factoryProceduresToTheirEnds();
    void reperTuningEndsWithNegativeDifference();
    void ambientArrowReplacesWhatWasTyped();
    void valuesReachTheScreenReader();
};

void TestServiceWindows::basicServicesOpenWithoutSendingAndSendEachChange()
{
    ServiceConsole c;
    FurnaceImage &image = c.image();
    image.VacEconomyMode = 97;
    image.Block.setU16(ServiceBlock::oKT2, 1000);
    image.Block.setKT1(1003);
    image.Block.setHeaterWorkTime(6553600);
    c.dialogs.modalScripts << [&](QDialog &w) {
        QVERIFY(c.form->console().ServicesWindowOpen);
        const PendingRequests &p = c.pending();
        for (RequestKind k : {RequestKind::WriteSupportTemp, RequestKind::SetClock,
                              RequestKind::WriteEconomyMode, RequestKind::WriteServiceBlock})
            QVERIFY2(!p.isSet(k), "opening sends nothing");
        QCOMPARE(c.get<QComboBox>(w, "cmbEconomMode")->currentText(), QStringLiteral("MAX"));
        QCOMPARE(c.get<QLineEdit>(w, "edtCorrectionT")->text(), QStringLiteral("-1"));
        QCOMPARE(c.get<QLabel>(w, "lblWorkTime")->text(), QStringLiteral("0:00:00"));
        QVERIFY(!c.get<QWidget>(w, "udKvac")->isEnabled());

        // Typing 401: the 40 on the way goes out, the last key sends nothing.
        auto *ts = c.get<QLineEdit>(w, "edtTsupport");
        ts->clear();
        QTest::keyClicks(ts, QStringLiteral("4x0"));
        QCOMPARE(ts->text(), QStringLiteral("40"));
        QVERIFY(c.pending().isSet(RequestKind::WriteSupportTemp));
        c.drain();
        QCOMPARE(c.furnace().SupportTemp(), quint16(40));
        QTest::keyClicks(ts, QStringLiteral("1"));
        QVERIFY(!c.pending().isSet(RequestKind::WriteSupportTemp));
        // The field never shows what was not sent: 999 stops at the 99 sent, a paste past 400
        // is refused, and the hint gives the range.
        QCOMPARE(ts->text(), QStringLiteral("40"));
        ts->clear();
        QTest::keyClicks(ts, QStringLiteral("999"));
        ts->insert(QStringLiteral("500"));
        QCOMPARE(ts->text(), QStringLiteral("99"));
        c.drain();
        QCOMPARE(c.furnace().SupportTemp(), quint16(99));
        QVERIFY(ts->toolTip().contains(QStringLiteral("400")));

        // Picking "MAX", already shown for 97.
        emit c.get<QComboBox>(w, "cmbEconomMode")->activated(6);
        QCOMPARE(image.VacEconomyMode, quint8(96));
        QVERIFY(c.pending().isSet(RequestKind::WriteEconomyMode));
        c.get<QComboBox>(w, "cmbTimeH")->setCurrentIndex(9);
        QCOMPARE(image.ClockSet.hour, quint8(9));
        QVERIFY(c.pending().isSet(RequestKind::SetClock));

        c.get<QToolButton>(w, "udCorrectionTUp")->click();
        QCOMPARE(c.get<QLineEdit>(w, "edtCorrectionT")->text(), QStringLiteral("0"));
        QCOMPARE(image.Block.KT1(), image.Block.KT2());
        QVERIFY(c.pending().isSet(RequestKind::WriteServiceBlock));
        w.close();
    };
    c.form->mmServiceBasicClick();
    QVERIFY(!c.form->console().ServicesWindowOpen);
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestServiceWindows::wrongOrCancelledAccessCodeOpensNothing()
{
    ServiceConsole c;
    c.dialogs.nameAnswers << std::nullopt << QStringLiteral("48");
    c.form->mmOfficeClick();
    QCOMPARE(c.dialogs.boxCount(), 0);
    c.form->mmOfficeClick();
    QCOMPARE(c.dialogs.callsOf(QStringLiteral("name")).size(), 2);
    QCOMPARE(c.dialogs.calls.last().text, QStringLiteral("Incorrect password!"));
    QVERIFY(c.dialogs.callsOf(QStringLiteral("modal")).isEmpty());
    QVERIFY(!c.form->findChild<TFormOffices *>());
    QVERIFY(!c.form->console().OfficesWindowOpen);
}

void TestServiceWindows::blockNeverReadIsNotWritten()
{
    ServiceConsole c;
    c.image().Block = ServiceBlock{};
    c.image().BlockRead = false;
    c.pending().clear(RequestKind::ReadServiceBlock);
    c.dialogs.modalScripts << [&](QDialog &w) {
        c.get<QToolButton>(w, "udCorrectionTUp")->click();
        QVERIFY(!c.pending().isSet(RequestKind::WriteServiceBlock));
        QVERIFY(c.pending().isSet(RequestKind::ReadServiceBlock));
        QCOMPARE(c.dialogs.calls.last().icon, Dialogs::Icon::Error);
        c.drain(); // the block arrives: now the arrows write it
        c.get<QToolButton>(w, "udCorrectionTUp")->click();
        QVERIFY(c.pending().isSet(RequestKind::WriteServiceBlock));
        w.close();
    };
    c.form->mmServiceBasicClick();
    QCOMPARE(c.furnace().serviceBlock().KT2, quint16(1050));
}

void TestServiceWindows::factoryFieldsLimitsAndLeaving()
{
    ServiceConsole c;
    QSignalSpy sent(&c.form->link(), &Link::requestSent);
    c.openOffices([&](QDialog &w) {
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(c.form->console().OfficesWindowOpen);
        c.tick(); // asks for the measurements
        c.tick(); // shows them
        QCOMPARE(c.get<QLineEdit>(w, "edtTambient")->text(),
                 QString::number(c.furnace().AmbientTemp()));
        QCOMPARE(c.get<QLabel>(w, "lblPower5V")->text(),
                 QString::number(c.furnace().AdcMeasures()[6]));

        const ServiceBlock before = c.image().Block;
        auto *offset = c.get<QLineEdit>(w, "edtTcouple_offset");
        auto *vac = c.get<QLineEdit>(w, "edtVacOffset");
        offset->setFocus(Qt::TabFocusReason);
        offset->selectAll();
        QTest::keyClicks(offset, QStringLiteral("29"));
        QCOMPARE(c.image().Block.TcoupleOffset(), before.TcoupleOffset());
        offset->selectAll();
        QTest::keyClicks(offset, QStringLiteral("201"));
        QCOMPARE(offset->text(), QStringLiteral("200"));
        QCOMPARE(c.image().Block.TcoupleOffset(), quint16(200));
        QVERIFY2(!c.pending().isSet(RequestKind::WriteServiceBlock), "typing sends nothing");
        sent.clear();
        vac->setFocus(Qt::TabFocusReason);
        c.drain();
        QCOMPARE(sent.count(QVariantList{quint8(52)}), 1);
        QCOMPARE(c.furnace().serviceBlock().TcoupleOffset, quint16(200));

        // An emptied field: an error box, nothing stored, the stored value back in the field.
        vac->selectAll();
        QTest::keyClick(vac, Qt::Key_Delete);
        offset->setFocus(Qt::TabFocusReason);
        QCOMPARE(c.dialogs.calls.last().icon, Dialogs::Icon::Error);
        QVERIFY(c.dialogs.calls.last().text.startsWith(QStringLiteral("Vacuum offset:")));
        QCOMPARE(vac->text(), QString::number(before.VacOffset()));
        QCOMPARE(c.image().Block.VacOffset(), before.VacOffset());

        // The ambient arrows wrap and take the fine thermocouple reading as its offset.
        c.image().Block.setAmbientOffset(35);
        c.get<QToolButton>(w, "udTambientUp")->click();
        QCOMPARE(c.image().Block.AmbientOffset(), quint8(65));
        QCOMPARE(c.image().Block.TcoupleOffset(), c.image().AdcMeasures[8]);
        c.get<QToolButton>(w, "udTambientDown")->click();
        QCOMPARE(c.image().Block.AmbientOffset(), quint8(35));

        // A counter reset only after OK.
        c.dialogs.questionAnswers << false << true;
        c.get<QPushButton>(w, "btnRstWorkTime")->click();
        QVERIFY(c.image().Block.HeaterWorkTime() != 0);
        c.get<QPushButton>(w, "btnRstWorkTime")->click();
        QCOMPARE(c.image().Block.HeaterWorkTime(), quint32(0));
        QCOMPARE(c.get<QToolButton>(w, "sbWorkTime")->text(), QStringLiteral("0:00:00"));
        c.drain();
        QVERIFY(c.furnace().serviceBlock().HeaterWorkTime < 100);
        w.close();
    });
    QVERIFY(!c.form->console().OfficesWindowOpen);
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestServiceWindows::calibrationsToTheirEnds()
{
    ServiceConsole c;
    c.furnace().setVacuumChannelCoefficient(110);
    c.dialogs.modalScripts << [&](QDialog &w) {
        auto *drive = c.get<QPushButton>(w, "btDriveCalibr");
        auto *vacuum = c.get<QPushButton>(w, "btRunVacCalibr");
        auto *arrows = c.get<QWidget>(w, "udKvac");
        drive->click();
        QCOMPARE(drive->text(), QStringLiteral("Break"));
        QVERIFY(!vacuum->isEnabled());
        c.runWhile(ConsoleMode::DriveCalibration, 1);
        QCOMPARE(c.mode(), ConsoleMode::Idle);
        QCOMPARE(drive->text(), QStringLiteral("Calibration"));
        QCOMPARE(drive->property("tag").toInt(), 0);
        QVERIFY(vacuum->isEnabled());
        const auto boxes = c.dialogs.callsOf(QStringLiteral("later"));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Drive calibration complited"));
        c.dialogs.closeOldestBox();
        // The measured figures are read back, so a later write keeps them.
        c.drain();
        QCOMPARE(c.image().Block.OpeningPulses(), c.furnace().serviceBlock().OpeningPulses);

        vacuum->click();
        while (c.mode() == ConsoleMode::VacuumCalibration && c.image().ServiceStep < 3)
            c.tick(2);
        c.tick(); // the arrows come alive and the settled coefficient is read
        c.tick(); // and shown
        QVERIFY(arrows->isEnabled());
        QCOMPARE(c.get<QLineEdit>(w, "edtKvac")->text(), QStringLiteral("110"));
        c.get<QToolButton>(w, "udKvacUp")->click();
        c.runWhile(ConsoleMode::VacuumCalibration, 2);
        QVERIFY(!arrows->isEnabled());
        QCOMPARE(vacuum->text(), QStringLiteral("Calibration"));
        QVERIFY(drive->isEnabled());
        w.close();
    };
    c.form->mmServiceBasicClick();
    const SimServiceBlock &b = c.furnace().serviceBlock();
    QCOMPARE(int(b.Kvac), 111);
    QCOMPARE(c.furnace().procedure(), SimFurnace::Procedure::None);
    QCOMPARE(int(b.OpeningSeconds), 13); // the drive's 12.6 s
    QVERIFY(b.OpeningPulses != 1500 && b.ClosingPulses != 1500);
    // Opened again, the window shows them.
    c.dialogs.modalScripts << [&](QDialog &w) {
        QCOMPARE(c.get<QLabel>(w, "lblTimeOpen")->text(),
                 QStringLiteral("Opening: 13sec, %1").arg(b.OpeningPulses));
        w.close();
    };
    c.form->mmServiceBasicClick();
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestServiceWindows::factoryProceduresToTheirEnds()
{
    ServiceConsole c;
    c.furnace().setReperOperationTemp(671);
    const quint16 count = c.furnace().serviceBlock().ReperCount;
    c.openOffices([&](QDialog &w) {
        auto *start = c.get<QPushButton>(w, "btnStartOverheatAdjust");
        auto *reper = c.get<QPushButton>(w, "btnRunTreper");
        auto *koverheat = c.get<QLineEdit>(w, "edtKoverheat");
        auto *phase = c.get<QLabel>(w, "lblTuneReper");
        reper->click();
        QVERIFY(!start->isEnabled());
        const QStringList seen = c.runWhile(ConsoleMode::ReperRun, 10, phase);
        for (const char *text : {"Chamber opening", "Chamber closing", "Heating 60°C/min",
                                 "Cooling", "Heating 5°C/min"})
            QVERIFY2(seen.contains(QString::fromUtf8(text)), qPrintable(seen.join('|')));
        c.tick();
        QCOMPARE(phase->text(), QStringLiteral("T operation= 671°C"));
        QCOMPARE(c.get<QLabel>(w, "lblReper")->text(),
                 QStringLiteral("Reper sensor: work out %1 times").arg(count + 1));
        QCOMPARE(c.get<QLineEdit>(w, "edtTrep")->text(), QStringLiteral("671"));
        QVERIFY(start->isEnabled() && reper->isEnabled());

        // Stopped by the user: "Aborted".
        reper->click();
        c.tick(60);
        reper->click();
        QCOMPARE(phase->text(), QStringLiteral("Aborted"));
        c.drain();
        QCOMPARE(c.furnace().procedure(), SimFurnace::Procedure::None);

        for (int run = 0; run < 2; ++run) {
            start->click();
            QCOMPARE(start->text(), QStringLiteral("Stop"));
            QVERIFY(!reper->isEnabled() && koverheat->isReadOnly());
            c.tick(5);
            // A second run is not ended by the last step of the first.
            QCOMPARE(c.mode(), ConsoleMode::OverheatAdjust);
            QVERIFY(!w.close());
            QVERIFY(w.isVisible());
            QCOMPARE(c.dialogs.calls.last().text,
                     QStringLiteral("There were process in progress!"));
            c.runWhile(ConsoleMode::OverheatAdjust, 20);
            QCOMPARE(start->text(), QStringLiteral("Start"));
            QVERIFY(start->isEnabled() && reper->isEnabled() && !koverheat->isReadOnly());
            QCOMPARE(koverheat->text(), QStringLiteral("120"));
        }
        c.drain();
        QCOMPARE(c.furnace().ControllerMode(), quint8(0));
        QCOMPARE(int(c.furnace().serviceBlock().Koverheat), 120);
        QVERIFY(w.close());
    });
    QVERIFY(!c.form->console().OfficesWindowOpen);
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestServiceWindows::reperTuningEndsWithNegativeDifference()
{
    ServiceConsole c;
    c.furnace().setReperOperationTemp(656); // 4 °C below the stored 660
    c.dialogs.modalScripts << [&](QDialog &w) {
        QCOMPARE(c.mode(), ConsoleMode::ReperTuning);
        QCOMPARE(c.get<QLabel>(w, "lblTwork")->text(), QStringLiteral("T operation= 660°C"));
        QCOMPARE(c.get<QLabel>(w, "Uwork2")->text(), QStringLiteral("U operation2= 852mV"));
        auto *dT = c.get<QLabel>(w, "lbldT");
        const QStringList seen = c.runWhile(ConsoleMode::ReperTuning, 10, dT);
        QCOMPARE(seen.mid(seen.size() - 2),
                 (QStringList{QStringLiteral("Heating 5°C/min"), QStringLiteral("dT= -4°C")}));
        QVERIFY(seen.contains(QStringLiteral("Cooling")));
        QVERIFY(c.get<QLabel>(w, "lblUrd")->text().startsWith(QStringLiteral("Urd= ")));
        w.close();
    };
    c.form->mmServiceTuneReperClick();
    QCOMPARE(c.mode(), ConsoleMode::Idle);
    QVERIFY(c.pending().isSet(RequestKind::Stop));
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestServiceWindows::ambientArrowReplacesWhatWasTyped()
{
    ServiceConsole c;
    c.openOffices([&](QDialog &w) {
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        c.tick();
        c.tick();
        auto *ambient = c.get<QLineEdit>(w, "edtTamb_offset");
        auto *offset = c.get<QLineEdit>(w, "edtTcouple_offset");
        auto *kt1 = c.get<QLineEdit>(w, "edtKT1");
        // A value below the lower limit, left: not stored, and the field shows what is.
        offset->setFocus(Qt::TabFocusReason);
        offset->selectAll();
        QTest::keyClicks(offset, QStringLiteral("29"));
        ambient->setFocus(Qt::TabFocusReason);
        QCOMPARE(offset->text(), QString::number(c.image().Block.TcoupleOffset()));

        ambient->selectAll();
        QTest::keyClicks(ambient, QStringLiteral("40"));
        c.get<QToolButton>(w, "udTambientUp")->click();
        QCOMPARE(ambient->text(), QStringLiteral("39"));
        QCOMPARE(offset->text(), QString::number(c.image().AdcMeasures[8]));
        c.drain();
        kt1->setFocus(Qt::TabFocusReason); // leaves the ambient offset
        c.drain();
        QCOMPARE(c.image().Block.AmbientOffset(), quint8(39));
        QCOMPARE(int(c.furnace().serviceBlock().AmbientOffset), 39);
        QCOMPARE(c.furnace().serviceBlock().TcoupleOffset, c.image().AdcMeasures[8]);
        // Typed after the arrow, the text is what counts again.
        ambient->setFocus(Qt::TabFocusReason);
        ambient->selectAll();
        QTest::keyClicks(ambient, QStringLiteral("41"));
        kt1->setFocus(Qt::TabFocusReason);
        c.drain();
        QCOMPARE(int(c.furnace().serviceBlock().AmbientOffset), 41);
        w.close();
    });
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

void TestServiceWindows::valuesReachTheScreenReader()
{
    ServiceConsole c;
    c.furnace().setReperOperationTemp(656);
    for (const quint8 language : {quint8(1), quint8(0)}) {
        if (language == 0)
            c.form->mmRussianClick();
        QStringList problems;
        const auto check = [&](QWidget &w, std::initializer_list<const char *> names) {
            for (const char *name : names) {
                auto *control = c.get<QWidget>(w, name);
                QVERIFY2(control, name);
                const QString problem = nameProblem(control, language);
                if (!problem.isEmpty())
                    problems << problem;
            }
        };

        c.image().Block.setHeaterWorkTime(1842900);
        c.dialogs.modalScripts << [&](QDialog &w) {
            const auto all = {"lblWorkTime",  "lblCntrTen",     "lblTimeOpen",
                              "lblTimeClose", "btRunVacCalibr", "btDriveCalibr"};
            check(w, all);
            c.get<QPushButton>(w, "btDriveCalibr")->click(); // the caption becomes "Break"
            check(w, {"btDriveCalibr"});
            c.get<QPushButton>(w, "btDriveCalibr")->click();
            check(w, {"btDriveCalibr"});
            const QString hint = c.get<QLineEdit>(w, "edtTsupport")->toolTip();
            if (!hint.contains(QStringLiteral("400")) ||
                (language == 0) != (hint != QStringLiteral("Idle temperature: 0 to 400 °C")))
                problems << hint;
            w.close();
        };
        c.form->mmServiceBasicClick();

        c.openOffices([&](QDialog &w) {
            const auto all = {"lblColdJunc",
                              "lblVacuumSensor",
                              "lblReperSensor",
                              "lblPower5V",
                              "lblThermocoupleUnSharp",
                              "lblThermocoupleSharp",
                              "sbWorkTime",
                              "sbCntrTen",
                              "btnStartOverheatAdjust",
                              "btnRunTreper",
                              "lblReper"};
            c.tick();
            c.tick();
            check(w, all);
            // New values: the names follow.
            auto &offices = static_cast<TFormOffices &>(w);
            c.image().AdcMeasures[0] = 4321;
            c.image().Block.setHeaterWorkTime(360000);
            offices.refreshLive();
            QVERIFY(c.get<QLabel>(w, "lblColdJunc")->text() == QStringLiteral("4321"));
            check(w, all);
            c.get<QPushButton>(w, "btnRunTreper")->click();
            c.tick(10);
            check(w, {"btnRunTreper", "lblTuneReper"});
            c.get<QPushButton>(w, "btnRunTreper")->click();
            check(w, {"btnRunTreper", "lblTuneReper"});
            c.tick();
            w.close();
        });

        c.dialogs.modalScripts << [&](QDialog &w) {
            const auto all = {"lblTwork", "lblNwork", "Uwork1", "Uwork2", "Uwork3"};
            check(w, all);
            c.tick(10);
            check(w, {"lbldT", "lblUrd"});
            c.runWhile(ConsoleMode::ReperTuning, 10);
            check(w, {"lbldT"});
            w.close();
        };
        c.form->mmServiceTuneReperClick();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }
    QVERIFY2(c.dialogs.unexpected.isEmpty(), qPrintable(c.dialogs.unexpected.join('\n')));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestServiceWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_servicewindows.moc"
