// The run as the main window shows it: samples of the run, the measured curve kept after it,
// the abort question outlived by the run, values greyed while the furnace is silent, the
// accessible names of the controls and the room the curve gets.

#include "Unit1.h"
#include "consolelines.h"
#include "firingcurveview.h"
#include "link.h"
#include "runpanel.h"
#include "scripteddialogs.h"
#include "simulatorline.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

namespace
{

/// A console on the built-in simulator (its time stands still) with the demo library open and
/// its first layer selected.
struct ViewConsole {
    ScriptedDialogs dialogs;
    SimulatorLine *sim = nullptr;
    std::unique_ptr<TForm1> form;

    ViewConsole()
    {
        ConsoleOptions options;
        options.port = SimulatorPortName;
        options.lineFactory = [this](const QString &) {
            auto line = std::make_unique<SimulatorLine>();
            line->controller().setSpeed(0);
            sim = line.get();
            return line;
        };
        options.massesFile = QStringLiteral(ZKV_SOURCE_DIR "/examples/demo.zkv");
        form = std::make_unique<TForm1>(std::move(options), dialogs);
        selectLayer(0);
    }
    void selectLayer(int layer)
    {
        get<QListWidget>("lbNames")->setCurrentRow(0);
        form->lbNamesClick();
        get<QListWidget>("lbLayers")->setCurrentRow(layer);
        form->lbLayersClick();
    }
    /// One tick with the furnace in `zone` at `temp` °C, answered or silent.
    void tick(int zone, int temp, bool answered = true)
    {
        FurnaceImage &image = form->link().image();
        image.CurrentZone = quint8(zone);
        image.ChamberTemp = quint16(temp);
        form->link().requests().ReplyAwaited = !answered;
        form->Timer1Timer();
    }
    template<typename T>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    bool stale(const char *name) const { return get<QWidget>(name)->property("stale").toBool(); }
    QString log() const { return get<QPlainTextEdit>("mMessage")->toPlainText(); }
};

const char *const LiveDisplays[] = {"sbTemperature",  "sbPressure",   "lblChamberState",
                                    "lblTime",        "lblDate",      "lblTsupport",
                                    "lblVacEconMode", "StatusPanel1", "StatusPanel2",
                                    "StatusPanel3",   "lblRunStage",  "lblRunRemaining"};

} // namespace

class TestRunView : public QObject
{
    Q_OBJECT
private slots:
    void oneSamplePerAnsweredTickKeptAfterTheRun();
    void executedPathStaysWhereAFaultEndedTheRun();
    void greyedWhileTheFurnaceIsSilent();
    void everyControlHasAnAccessibleName();
    void openingSizeGivesTheCurveRoom();
};

void TestRunView::oneSamplePerAnsweredTickKeptAfterTheRun()
{
    ViewConsole c;
    c.form->sbStartPrgClick();
    c.tick(1, 400);
    c.tick(3, 450);
    c.tick(3, 452, false); // silent: no sample
    c.tick(5, 470);
    const FiringTrace &trace = c.form->firingTrace();
    QCOMPARE(trace.samples().size(), 3);
    QCOMPARE(trace.plannedStart(), 1); // the preparation sample is not drawn
    QCOMPARE(trace.samples()[2].ChamberTemp, quint16(470));
    QVERIFY(trace.samples()[1].StageText.startsWith(QStringLiteral("Holding ")));
    auto *graph = c.get<FiringCurveView>("pbGraph");
    QVERIFY(graph->showsMeasuredTrace());

    // The last step ends the run while the abort question is open: the run finished, and the
    // yes that follows aborts nothing.
    c.dialogs.whileModal = [&c](const ScriptedDialogs::Call &call) {
        if (call.kind == QStringLiteral("question"))
            c.tick(19, 600);
    };
    c.dialogs.questionAnswers << true;
    c.form->sbStopPrgClick();
    QVERIFY(!c.form->console().ProgramRunning);
    QCOMPARE(trace.outcome(), RunOutcome::Finished);
    QVERIFY2(!c.log().contains(QStringLiteral("Abort the program")), qPrintable(c.log()));
    c.tick(0, 300);
    QCOMPARE(trace.samples().size(), 4); // nothing added after the end
    QVERIFY(
        c.get<RunPanel>("pnlRun")->headline().startsWith(QStringLiteral("Program finished at ")));

    // Kept after the run, drawn only over the layer that ran.
    QVERIFY(graph->showsMeasuredTrace());
    c.selectLayer(1);
    QVERIFY(!graph->showsMeasuredTrace());
    c.selectLayer(0);
    QVERIFY(graph->showsMeasuredTrace());
    // The next start forgets it.
    c.form->sbStartPrgClick();
    QVERIFY(trace.samples().isEmpty());
    QVERIFY(trace.running());
}

void TestRunView::executedPathStaysWhereAFaultEndedTheRun()
{
    ViewConsole c;
    c.form->sbStartPrgClick();
    c.tick(11, 800);
    auto *graph = c.get<FiringCurveView>("pbGraph");
    QCOMPARE(graph->runPosition().ChamberTemp, 800);
    // A fault: the box stays open while the chamber cools, and the program still shows.
    c.form->link().image().ControllerMode = 26;
    c.tick(11, 780);
    QCOMPARE(c.dialogs.openBoxes.size(), 1);
    c.tick(11, 500);
    QVERIFY(c.form->console().ProgramRunning);
    QCOMPARE(graph->runPosition().CurrentZone, 11);
    QCOMPARE(graph->runPosition().ChamberTemp, 800);
}

void TestRunView::greyedWhileTheFurnaceIsSilent()
{
    ViewConsole c;
    c.form->sbStartPrgClick();
    // Before the first reply the placeholders are greyed.
    for (const char *name : LiveDisplays)
        QVERIFY2(c.stale(name), name);
    auto *temperature = c.get<QToolButton>("sbTemperature");
    const QPalette grey = temperature->palette();
    QCOMPARE(grey.color(QPalette::ButtonText),
             grey.color(QPalette::Disabled, QPalette::WindowText));
    // The polls refresh them one by one.
    for (const char *name : LiveDisplays)
        QTRY_VERIFY2_WITH_TIMEOUT(!c.stale(name), name, 4000);
    QVERIFY(temperature->palette().color(QPalette::ButtonText) != grey.color(QPalette::ButtonText));
    QCOMPARE(c.get<QWidget>("lblChamberState")->palette().color(QPalette::WindowText),
             QColor(0, 128, 0));

    // The furnace falls silent: the watchdog greys every live value.
    c.sim->controller().faults().noReply = true;
    for (const char *name : LiveDisplays)
        QTRY_VERIFY2_WITH_TIMEOUT(c.stale(name), name, 4000);
    QCOMPARE(c.form->panel(0)->text(), QStringLiteral("No furnace"));
    // It answers again: each value comes back with its reply.
    c.sim->controller().faults().noReply = false;
    for (const char *name : LiveDisplays)
        QTRY_VERIFY2_WITH_TIMEOUT(!c.stale(name), name, 4000);
    QCOMPARE(c.get<QWidget>("lblChamberState")->palette().color(QPalette::WindowText),
             QColor(0, 128, 0));
}

void TestRunView::everyControlHasAnAccessibleName()
{
    ViewConsole c;
    const auto nameOf = [](QWidget *w) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Name) : QString();
    };
    // Per language: objectName, then the name built from the group's title and the caption.
    const QStringList examples[] = {
        {"Edit5", "Сушка: Температура", "btnAddMass", "Масса: Добавить"},
        {"Edit13", "Heating: Firing", "btnDelLayer", "Layer: Delete"}};
    for (quint8 language : {0, 1}) {
        c.form->setLanguage(language);
        for (QWidget *w : c.form->findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                qobject_cast<QAbstractItemView *>(w) || qobject_cast<QComboBox *>(w) ||
                qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QProgressBar *>(w) ||
                qobject_cast<FiringCurveView *>(w);
            if (control && !w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
                QVERIFY2(!nameOf(w).isEmpty(), qPrintable(w->objectName()));
        }
        const QStringList &pairs = examples[language];
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
            QCOMPARE(nameOf(c.get<QWidget>(qPrintable(pairs[i]))), pairs[i + 1]);
    }
}

void TestRunView::openingSizeGivesTheCurveRoom()
{
    ViewConsole c;
    // A 1366 × 768 screen less a desktop panel.
    c.form->resize(TForm1::OpeningSize(QRect(0, 0, 1366, 738)));
    c.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.form.get()));
    auto *graph = c.get<FiringCurveView>("pbGraph");
    const int plotHeight = graph->height() - CurveViewState::PlotTop - CurveViewState::PlotMargin;
    QVERIFY2(plotHeight >= 250, qPrintable(QString::number(plotHeight)));
    // Narrowed to its smallest, the window still lays the curve out below the run panel.
    c.form->resize(c.form->minimumSizeHint());
    QTRY_COMPARE(c.form->size(), c.form->minimumSizeHint());
    QVERIFY(graph->geometry().top() >= c.get<QWidget>("pnlRun")->geometry().bottom());
}

QTEST_MAIN(TestRunView)
#include "tst_runview.moc"
