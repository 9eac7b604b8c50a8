// Main window: run monitor and run control.

#include "Unit1.h"

#include "firingcurveview.h"
#include "link.h"
#include "programencoding.h"
#include "texts.h"
#include "transfersequence.h"

#include <QAction>
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
    m_link->request(RequestKind::ProgramStart);
    log(tx(Texts::LogLaunch));
    startRunView();
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

void TForm1::monitorAnsweredTick()
{
    FurnaceImage &image = m_link->image();
    // 4. The factory window's live values.
    if (m_console.OfficesWindowOpen && m_officesRefresh)
        m_officesRefresh();
    // 5. A controller fault: one box, which does not hold up the ticks.
    if (m_console.ConsoleMode != ConsoleMode::Fault &&
        image.ControllerMode == ControllerMode::Error) {
        m_console.ConsoleMode = ConsoleMode::Fault;
        const QString fault = Texts::FaultText(image.FaultCode, m_console.Language);
        endRunView(RunOutcome::Fault, fault);
        m_dialogs.messageLater(this, Dialogs::Icon::Error, tx(Texts::ErrorCaption), fault, [this] {
            AbortProgramm();
            m_link->requests().Pending.clear(RequestKind::ReadControllerMode);
            m_console.ConsoleMode = ConsoleMode::Idle;
            m_link->image().ControllerMode = ControllerMode::Holding;
        });
    }
    // 6. The idle chamber cycle.
    const IdleCycleAction idle = IdleCycleTick(
        m_idleCycle, m_console.ConsoleMode, image.chamberPosition(), image.Block.OpeningSeconds());
    if (idle.closeChamber)
        m_link->request(RequestKind::ChamberClose);
    if (idle.openChamber)
        m_link->request(RequestKind::ChamberOpen);
    // 7. The service procedures' progress.
    const quint8 mode = m_console.ConsoleMode;
    if ((mode == ConsoleMode::DriveCalibration || mode == ConsoleMode::VacuumCalibration ||
         mode == ConsoleMode::OverheatAdjust || mode == ConsoleMode::ReperTuning ||
         mode == ConsoleMode::ReperRun) &&
        m_serviceProgress)
        m_serviceProgress(mode);
}

void TForm1::showRunningProgram(QString &title)
{
    if (!m_console.ProgramRunning)
        return;
    const FurnaceImage &image = m_link->image();
    m_link->request(RequestKind::ReadRemainingTime);
    title += Texts::RemainingTitle(image.RemainingMinutes, m_console.Language);
    // The executed path stays where the run ended (a fault box may keep the program shown as
    // running while the chamber cools).
    if (m_firingRecord.running())
        pbGraph->setRunPosition(image.CurrentZone, image.ZoneTime, image.ChamberTemp);
    pbGraph->update();
    if (!m_selection.CurrentParams)
        return;
    if (const auto stage =
            Texts::StageText(image.CurrentZone, *m_selection.CurrentParams, m_console.Language))
        setPanel(4, *stage);
    if (image.CurrentZone == 19) {
        endRunView(RunOutcome::Finished);
        AbortProgramm();
        log(tx(Texts::LogFinished));
    }
}
