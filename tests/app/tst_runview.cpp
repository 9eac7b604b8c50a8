// SPDX-License-Identifier: GPL-3.0-or-later
// The run as the main window shows it: samples of the run, the measured curve kept after it,
// the abort question outlived by the run, values greyed while the furnace is silent, the
// accessible names of the controls and the room the curve gets.

#include "app/Unit1.h"
#include "app/accessiblevalues.h"
#include "app/consolelines.h"
#include "app/runpanel.h"
#include "graph/firingcurveview.h"
#include "link/link.h"
#include "link/replydecoder.h"
#include "sim/simulatorline.h"
#include "tests/support/scripteddialogs.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusTipEvent>
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
    /// One tick with the furnace in `zone` at `temp` °C, answered (its status reply came) or
    /// silent.
    void tick(int zone, int temp, bool answered = true)
    {
        FurnaceImage &image = form->link().image();
        image.CurrentZone = quint8(zone);
        image.ChamberTemp = quint16(temp);
        if (answered) {
            DecodeResult status;
            status.type = quint8(Msg::Status);
            status.applied = true;
            emit form->link().replyDecoded(status);
        }
        form->link().requests().ReplyAwaited = !answered;
        form->Timer1Timer();
    }
    /// Starts the selected layer and waits until the start went out (the run hears the
    /// controller from then on).
    bool start()
    {
        form->sbStartPrgClick();
        return QTest::qWaitFor(
            [this] { return sim->controller().furnace().ControllerMode() == 32; }, 5000);
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
    void shownValuesReachTheScreenReader();
    void openingSizeGivesTheCurveRoom();
    void textsFitAndTheLayoutHolds_data();
    void textsFitAndTheLayoutHolds();
};

void TestRunView::oneSamplePerAnsweredTickKeptAfterTheRun()
{
    ViewConsole c;
    QVERIFY(c.start());
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
    // The button that stays clickable is painted grey; the labels are shown disabled. No
    // palette changes on the way (the style would keep a new image of each look).
    auto *temperature = c.get<QToolButton>("sbTemperature");
    auto *chamber = c.get<QLabel>("lblChamberState");
    const qint64 paletteKey = temperature->palette().cacheKey();
    QVERIFY(temperature->isEnabled());
    QVERIFY(!chamber->isEnabled());
    // The polls refresh them one by one.
    for (const char *name : LiveDisplays)
        QTRY_VERIFY2_WITH_TIMEOUT(!c.stale(name), name, 4000);
    QVERIFY(chamber->isEnabled());
    QCOMPARE(chamber->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    const QString shown = temperature->text();
    const QImage live = temperature->grab().toImage();

    // The furnace falls silent: the watchdog greys every live value, captions unchanged.
    c.sim->controller().faults().noReply = true;
    for (const char *name : LiveDisplays)
        QTRY_VERIFY2_WITH_TIMEOUT(c.stale(name), name, 4000);
    QCOMPARE(temperature->text(), shown);
    QVERIFY(temperature->grab().toImage() != live);
    QCOMPARE(c.form->panel(0)->text(), QStringLiteral("No furnace"));
    // It answers again: each value comes back with its reply.
    c.sim->controller().faults().noReply = false;
    for (const char *name : LiveDisplays)
        QTRY_VERIFY2_WITH_TIMEOUT(!c.stale(name), name, 4000);
    QCOMPARE(chamber->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QCOMPARE(temperature->palette().cacheKey(), paletteKey);
}

void TestRunView::everyControlHasAnAccessibleName()
{
    ViewConsole c;
    const auto nameOf = [](QWidget *w) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Name) : QString();
    };
    // Per language: objectName, then the name built from the group's title and the caption.
    const QStringList examples[] = {{"Edit5", "Сушка: Температура", "btnAddMass", "Масса: Добавить",
                                     "lblMassSel", "Номер слоя: 1"},
                                    {"Edit13", "Heating: Firing", "btnDelLayer", "Layer: Delete",
                                     "lblMassSel", "Layer number: 1"}};
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

void TestRunView::shownValuesReachTheScreenReader()
{
    ViewConsole c;
    c.form->show();
    const auto nameOf = [](QWidget *w) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Name) : QString();
    };
    FurnaceImage &image = c.form->link().image();
    const auto reply = [&c](quint8 type) {
        DecodeResult result;
        result.type = type;
        result.applied = true;
        emit c.form->link().replyDecoded(result);
    };
    auto *temperature = c.get<QToolButton>("sbTemperature");
    for (quint8 language : {0, 1}) {
        c.form->setLanguage(language);
        for (int celsius : {856, 1001}) {
            image.ChamberTemp = quint16(celsius);
            image.CurrentZone = 12;
            reply(3);
            c.tick(12, celsius);
            // The hint gives the context, the caption the value.
            const QString name = nameOf(temperature);
            QVERIFY2(name.startsWith(temperature->toolTip() + QStringLiteral(": ")),
                     qPrintable(name));
            QVERIFY2(name.contains(QString::number(celsius)), qPrintable(name));
            // Whatever a label or a button shows is in what the screen reader reads.
            for (QWidget *w : c.form->findChildren<QWidget *>()) {
                if (!qobject_cast<QLabel *>(w) && !qobject_cast<QAbstractButton *>(w))
                    continue;
                // A caption of signs alone ("[]") stands for the hint it is named by.
                const QString shown = ShownText(w).simplified();
                const bool words = std::any_of(shown.begin(), shown.end(),
                                               [](QChar ch) { return ch.isLetterOrNumber(); });
                if (!w->isVisibleTo(c.form.get()) || !words || shown.endsWith(u'…'))
                    continue;
                QVERIFY2(nameOf(w).contains(shown),
                         qPrintable(w->objectName() + QStringLiteral(": ") + nameOf(w) +
                                    QStringLiteral(" / ") + shown));
            }
        }
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

void TestRunView::textsFitAndTheLayoutHolds_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("language");
    for (const QSize screen : {QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080)})
        for (int language : {0, 1})
            QTest::addRow("%dx%d %s", screen.width(), screen.height(), language ? "en" : "ru")
                << screen << language;
}

void TestRunView::textsFitAndTheLayoutHolds()
{
    QFETCH(QSize, screen);
    QFETCH(int, language);
    ViewConsole c;
    c.form->resize(TForm1::OpeningSize(QRect(QPoint(0, 0), screen - QSize(0, 30))));
    c.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.form.get()));
    // The language changes after the window was laid out, as from the menu.
    c.form->setLanguage(quint8(language));
    QTest::qWait(50);
    // Every caption of the parameter groups is shown whole.
    for (QGroupBox *group : c.get<QWidget>("ParameterArea")->findChildren<QGroupBox *>()) {
        QVERIFY2(group->width() >= group->minimumSizeHint().width(),
                 qPrintable(group->objectName()));
        for (QLabel *label : group->findChildren<QLabel *>())
            QVERIFY2(label->width() >= label->minimumSizeHint().width(),
                     qPrintable(label->objectName() + QStringLiteral(" ") + label->text()));
    }
    // A hint of two lines in the last panel and a field turning red move nothing.
    auto *graph = c.get<QWidget>("pbGraph");
    const QRect curve = graph->geometry();
    const int barHeight = c.get<QWidget>("StatusLine")->height();
    auto *field = c.get<QLineEdit>("Edit1");
    QStatusTipEvent tip(field->statusTip());
    QVERIFY(tip.tip().contains(u'\n'));
    QCoreApplication::sendEvent(c.form.get(), &tip);
    QTest::keyClicks(field, QStringLiteral("9"));
    QVERIFY(field->property("outOfRange").toBool());
    QTest::qWait(50);
    QCOMPARE(c.get<QWidget>("StatusLine")->height(), barHeight);
    QCOMPARE(graph->geometry(), curve);
}

QTEST_MAIN(TestRunView)
#include "tst_runview.moc"
