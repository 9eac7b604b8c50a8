// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: run monitor and run control.

#include "app/Unit1.h"

#include "app/texts.h"
#include "graph/firingcurveview.h"
#include "link/link.h"
#include "link/programencoding.h"
#include "link/transfersequence.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

void TForm1::connectRunHandlers()
{
    connect(sbStartPrg, &QToolButton::clicked, this, &TForm1::sbStartPrgClick);
    connect(sbStopPrg, &QToolButton::clicked, this, &TForm1::sbStopPrgClick);
    connect(sbChamberOpen, &QToolButton::clicked, this, &TForm1::sbChamberOpenClick);
    connect(sbChamberClose, &QToolButton::clicked, this, &TForm1::sbChamberCloseClick);
    connect(sbTemperature, &QToolButton::clicked, this, &TForm1::sbTemperatureClick);
    connect(sbPressure, &QToolButton::clicked, this, &TForm1::sbPressureClick);
    connect(sbRst, &QToolButton::clicked, this, &TForm1::sbRstClick);
    for (Msg type : {Msg::ProgramStart, Msg::ProgramUpdate})
        m_link->setPayloadSource(
            type, [this](const Request &, quint8 *payload) { return programPayload(payload); });
}

int TForm1::programPayload(quint8 *payload)
{
    if (!m_selection.CurrentParams)
        return 0;
    return BuildProgramPayload(*m_selection.CurrentParams, payload);
}

void TForm1::sbStartPrgClick()
{
    if (refusedDuringTransfer())
        return;
    if (m_console.ProgramRunning || !m_selection.CurrentParams)
        return;
    if (CheckProgParams()) {
        const int field = ParamErrorField;
        m_dialogs.message(this, Dialogs::Icon::Error, tx(Texts::ParameterError),
                          Texts::ParameterErrorText(field, m_console.Language));
        m_fields[size_t(field)]->setFocus(Qt::OtherFocusReason);
        return;
    }
    sbStartPrg->setEnabled(false);
    setRunLocks(true);
    m_link->image().CurrentZone = 0;
    pbGraph->setRunPosition(0, m_link->image().ZoneTime, m_link->image().ChamberTemp);
    m_console.ProgramRunning = true;
    m_console.ConsoleMode = ConsoleMode::Program;
    m_programStartSent = false;
    requestProgramStart();
    log(tx(Texts::LogLaunch));
    startRunView();
}

void TForm1::requestProgramStart()
{
    if (!m_link->requests().Pending.isSet(RequestKind::Stop)) {
        m_link->request(RequestKind::ProgramStart);
        return;
    }
    // The stop that ended the run before has not gone out yet (a start within a tick of the
    // end). The start is the more urgent request and would go first, and the stop after it would
    // end the new program: the start waits for the stop.
    auto *waiting = new QObject(this);
    connect(m_link.get(), &Link::requestSent, waiting, [this, waiting](quint8 type) {
        if (type != RequestType(RequestKind::Stop))
            return;
        waiting->deleteLater();
        if (m_console.ProgramRunning)
            m_link->request(RequestKind::ProgramStart);
    });
}

void TForm1::sbStopPrgClick()
{
    if (!m_console.ProgramRunning)
        return;
    if (!m_dialogs.question(this, tx(Texts::Attention), tx(Texts::ConfirmAbort)))
        return;
    // The program may have ended while the question was open: it is not aborted twice.
    if (!m_console.ProgramRunning)
        return;
    AbortProgramm();
    log(tx(Texts::LogAbort));
}

void TForm1::AbortProgramm()
{
    // A run that ends here without a finish or a fault seen first was aborted.
    endRunView(RunOutcome::Aborted);
    m_link->request(RequestKind::Stop);
    releaseRun();
}

void TForm1::releaseRun()
{
    m_console.ProgramRunning = false;
    m_console.ConsoleMode = ConsoleMode::Idle;
    setRunLocks(false);
    sbStartPrg->setEnabled(true);
}

void TForm1::setRunLocks(bool running)
{
    for (QWidget *w : std::initializer_list<QWidget *>{lbNames, lbLayers, btnAddMass, btnDelMass,
                                                       btnAddLayer, btnDelLayer, sbUpMass, sbDnMass,
                                                       sbChamberOpen, sbChamberClose, sbRst,
                                                       sbOpenFile, sbAddFile, sbSaveFile, btnSend})
        w->setEnabled(!running);
    // An upload that runs keeps btnSend until it ends.
    if (m_transfer->running())
        btnSend->setEnabled(false);
    // The display buttons go flat and ignore clicks while a program runs.
    sbTemperature->setAutoRaise(running);
    sbPressure->setAutoRaise(running);
    for (QMenu *m : {mmFile, mmEdit, mmAddition})
        m->menuAction()->setEnabled(!running);
}

void TForm1::sbChamberOpenClick()
{
    m_link->request(RequestKind::ChamberOpen);
    m_link->request(RequestKind::Status);
}

void TForm1::sbChamberCloseClick()
{
    m_link->request(RequestKind::ChamberClose);
    m_link->request(RequestKind::Status);
}

void TForm1::sbTemperatureClick()
{
    if (m_console.ProgramRunning)
        return;
    m_link->request(RequestKind::TemperatureButton);
    m_link->request(RequestKind::Status);
}

void TForm1::sbPressureClick()
{
    if (m_console.ProgramRunning)
        return;
    m_link->request(RequestKind::VacuumButton);
    m_link->request(RequestKind::Status);
}

void TForm1::sbRstClick()
{
    if (m_console.ProgramRunning)
        return;
    m_link->request(RequestKind::Stop);
    m_console.ConsoleMode = ConsoleMode::Idle;
}

TickInputs TForm1::tickInputs(const WatchdogResult &watchdog)
{
    TickInputs in;
    in.watchdog = watchdog;
    in.lineDown = m_link->lineDown();
    in.noReplyCount = m_link->requests().NoReplyCount;
    in.lastRequestType = m_link->requests().LastRequestType;
    in.console = m_console;
    in.image = m_link->image();
    in.record = m_selection.CurrentParams.get();
    in.runRecorded = m_firingRecord.running();
    if (m_runTimer.isValid())
        in.secondsSinceTick = double(m_runTimer.restart()) / 1000.0 * furnaceTimeScale();
    in.modeReported = m_roundMode;
    in.stageReported = m_roundStage;
    in.remainingReported = m_roundRemaining;
    if (!m_programStartSent) {
        // Until the start has gone out, what the controller reports is the run before's end:
        // the new run has not begun.
        in.image.CurrentZone = 0;
        in.modeReported = in.stageReported = in.remainingReported = false;
    }
    // Each poll round is judged on one tick only.
    m_roundMode = m_roundStage = m_roundRemaining = false;
    return in;
}

void TForm1::applyTick(const TickPlan &plan, bool timedOut)
{
    if (plan.transferLost) {
        m_transfer->cancel();
        btnSend->setEnabled(true);
        log(tx(Texts::LogNoResponse));
    }
    lblPacketErr->setText(plan.packetErrors);
    if (plan.noFurnace)
        setPanel(0, tx(Texts::NoFurnace), NoFurnacePanelWidth);
    if (plan.refreshOffices && m_officesRefresh)
        m_officesRefresh();
    if (plan.fault)
        reportFault(*plan.fault);
    for (RequestKind kind : plan.requests)
        m_link->request(kind);
    if (plan.serviceStep && m_serviceProgress)
        m_serviceProgress(*plan.serviceStep);
    if (plan.logSilence)
        log(tx(Texts::LogNoAnswerOnPort).arg(m_link->state().PortName));
    sampleRun(timedOut);
    if (plan.loss != RunLoss::None)
        interruptRun(plan.loss);
    if (plan.programShown)
        showRunningProgram(plan);
    updateRunView(timedOut, plan.title);
}

void TForm1::reportFault(const QString &fault)
{
    // Set before the box opens, so that the ticks while it is up report nothing again.
    m_console.ConsoleMode = ConsoleMode::Fault;
    m_unacknowledgedFault = fault;
    endRunView(RunOutcome::Fault, fault);
    m_dialogs.messageLater(this, Dialogs::Icon::Error, tx(Texts::ErrorCaption), fault, [this] {
        m_unacknowledgedFault.clear();
        AbortProgramm();
        m_link->requests().Pending.clear(RequestKind::ReadControllerMode);
        m_console.ConsoleMode = ConsoleMode::Idle;
        m_link->image().ControllerMode = ControllerMode::Holding;
    });
}

void TForm1::showRunningProgram(const TickPlan &plan)
{
    const FurnaceImage &image = m_link->image();
    // The executed path stays where the run ended (a fault box may keep the program shown as
    // running while the chamber cools).
    if (m_firingRecord.running())
        pbGraph->setRunPosition(image.CurrentZone, image.ZoneTime, image.ChamberTemp);
    pbGraph->update();
    if (plan.stageText)
        setPanel(4, *plan.stageText);
    if (plan.finished) {
        endRunView(RunOutcome::Finished);
        AbortProgramm();
        log(tx(Texts::LogFinished));
    }
}
