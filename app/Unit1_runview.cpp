// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: the run as the technician sees it. The window title with the remaining time, the
// run panel above the curve, the measured temperature over the plan, values greyed while the
// furnace has not confirmed them, and the accessible names of the controls.

#include "app/Unit1.h"

#include "app/accessibletexts.h"
#include "app/livedisplays.h"
#include "app/recordformat.h"
#include "app/runfigures.h"
#include "app/runpanel.h"
#include "app/texts.h"
#include "graph/curvetexts.h"
#include "graph/curveviewstate.h"
#include "graph/firingcurveview.h"
#include "link/link.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace
{

constexpr TextPair ZoomInHint{"Увеличить (щелчок по графику)", "Zoom in (click the graph)"};
constexpr TextPair ZoomOutHint{"Уменьшить (щелчок по графику)", "Zoom out (click the graph)"};
constexpr TextPair FullViewHint{"Весь график", "Full view"};
constexpr TextPair PortListName{"Порт печи", "Furnace port"};

/// Room kept for the window frame and title bar, which are not known before the window shows.
constexpr QSize FrameRoom(40, 50);
/// Beyond this the window does not grow at opening: the curve has room enough.
constexpr QSize LargestOpening(1280, 860);
constexpr QSize DesignSize(774, 657);

} // namespace

QSize TForm1::OpeningSize(const QRect &available)
{
    const QSize room = available.size() - FrameRoom;
    return {std::max(DesignSize.width(), std::min(LargestOpening.width(), room.width())),
            std::max(DesignSize.height(), std::min(LargestOpening.height(), room.height()))};
}

void TForm1::connectRunView()
{
    m_caption = windowTitle();
    connect(m_link.get(), &Link::replyDecoded, this, &TForm1::onRunViewReply);
    connect(m_link.get(), &Link::requestSent, this, [this](quint8 type) {
        if (type != RequestType(RequestKind::ProgramStart) || m_programStartSent)
            return;
        // The run is heard from here on: a poll round begun before is not judged, and the step
        // reported before is the run before's.
        m_programStartSent = true;
        m_roundMode = m_roundStage = m_roundRemaining = false;
        m_link->image().CurrentZone = 0;
    });
    // The design placeholders are not furnace values: grey until the first replies.
    m_stale = LiveDisplay::All;
    applyStaleLooks();
    showRunPanel();
    connectAccessibleValues();
}

void TForm1::connectAccessibleValues()
{
    // The two display buttons are read by their hint and the value they show; the labels by
    // what they are and what they show.
    for (QWidget *button : std::initializer_list<QWidget *>{sbTemperature, sbPressure})
        m_accessibleValues.add(button, [button] { return button->toolTip(); });
    const std::pair<QWidget *, const TextPair *> labels[] = {
        {lblChamberState, &AccessTexts::ChamberState},
        {lblTime, &AccessTexts::ClockTime},
        {lblDate, &AccessTexts::ClockDate},
        {lblVacEconMode, &AccessTexts::Economy},
        {m_panels[0], &AccessTexts::Model},
        {m_panels[1], &AccessTexts::Mode},
        {m_panels[2], &AccessTexts::Zone},
        {m_panels[3], &AccessTexts::ZoneTime},
        {m_panels[4], &AccessTexts::Hint},
    };
    for (const auto &[widget, context] : labels)
        m_accessibleValues.add(widget, [this, context = context] { return tx(*context); });
    m_accessibleValues.refresh();
}

double TForm1::furnaceTimeScale() const
{
    const SerialLine *line = m_link->line();
    return line ? line->furnaceTimeScale() : 1.0;
}

double TForm1::runClockNow() const
{
    if (!m_runTimer.isValid())
        return m_runMonitor.runSeconds();
    return m_runMonitor.runSeconds() + double(m_runTimer.elapsed()) / 1000.0 * furnaceTimeScale();
}

void TForm1::startRunView()
{
    m_firingRecord.start(firingFacts(), QDateTime::currentDateTime());
    m_ranRecord = m_selection.CurrentParams;
    m_statusAt = 0;
    m_zoneTimeAt = 0;
    m_zoneTimeZone = -1;
    m_runTimer.start();
    m_remainingKnown = false;
    m_roundMode = m_roundStage = m_roundRemaining = false;
    // The plan's length bounds the silence until the controller reports its remaining time.
    CurveViewState plan;
    if (m_ranRecord)
        plan.TotalScale(*m_ranRecord);
    m_runMonitor.startRun(m_ranRecord ? plan.FullTimeEnd : 0);
    m_endZone = 0;
    m_endRemaining.reset();
    m_stale |= LiveDisplay::RunStage | LiveDisplay::RunRemaining;
    pbGraph->setMeasuredTrace(&m_firingRecord.trace(), m_ranRecord.get());
    applyStaleLooks();
    showRunPanel();
    enableRecordActions();
    logbookFiringStarted();
}

void TForm1::endRunView(RunOutcome outcome, const QString &detail)
{
    if (!m_firingRecord.running())
        return;
    const RecordEventKind kind = outcome == RunOutcome::Fault         ? RecordEventKind::Fault
                                 : outcome == RunOutcome::Finished    ? RecordEventKind::Finished
                                 : outcome == RunOutcome::Interrupted ? RecordEventKind::Interrupted
                                                                      : RecordEventKind::Abort;
    // The run shows the step it ended in and the time it still had while the furnace ran it
    // (a controller that restarted reports no step and no time left).
    const FurnaceImage &image = m_link->image();
    const RunWatch &watch = m_runMonitor.watch();
    m_endZone = watch.programSeen() ? watch.zone() : image.CurrentZone;
    m_endRemaining = watch.programSeen() ? watch.remainingMinutes()
                     : m_remainingKnown  ? std::optional<quint16>(image.RemainingMinutes)
                                         : std::nullopt;
    m_firingRecord.addEvent(kind, QDateTime::currentDateTime(), detail);
    logbookFiringEnded();
    showRunPanel();
    recordEnded(kind, detail);
}

void TForm1::sampleRun(bool timedOut)
{
    FiringTrace &trace = m_firingRecord.trace();
    if (!m_console.ProgramRunning || !trace.running())
        return;
    // A silent tick is a loss of the link; the first answered one after it, its return.
    if (timedOut) {
        m_firingRecord.addEvent(RecordEventKind::LinkLost, QDateTime::currentDateTime());
        logbookFiringTick();
        return;
    }
    m_firingRecord.addEvent(RecordEventKind::LinkBack, QDateTime::currentDateTime());
    // A sample holds what the furnace reported of this run: none while its temperature is not
    // confirmed (a program started before the first status reply would be drawn from 0 °C), nor
    // before the start went out (the controller still reports the run before's last step).
    if ((m_stale & LiveDisplay::Temperature) || !m_programStartSent) {
        logbookFiringTick();
        return;
    }
    const FurnaceImage &image = m_link->image();
    TraceSample sample;
    // Time-stamped when the reading came, not at the tick (on a fast simulator the two are far
    // apart in furnace time).
    sample.Seconds = m_statusAt;
    sample.WallClock = QDateTime::currentDateTime();
    sample.CurrentZone = image.CurrentZone;
    // The zone time counts in this step only when it came while the step was already known.
    if (m_zoneTimeZone == image.CurrentZone)
        sample.ZoneTime =
            quint16(std::clamp(image.ZoneTime + (m_statusAt - m_zoneTimeAt), 0.0, 65535.0));
    if (m_ranRecord)
        sample.StageText = Texts::StageText(image.CurrentZone, *m_ranRecord, m_console.Language)
                               .value_or(QString());
    if (sample.StageText.isEmpty() && !trace.samples().isEmpty())
        sample.StageText = trace.samples().constLast().StageText;
    sample.ChamberTemp = image.ChamberTemp;
    sample.Vacuum = image.Vacuum;
    sample.ChamberStatus = image.ChamberStatus;
    sample.ControllerMode = image.ControllerMode;
    trace.add(sample);
    logbookFiringTick();
}

void TForm1::interruptRun(RunLoss loss)
{
    const QString reason = RunLossText(loss, m_console.Language);
    endRunView(RunOutcome::Interrupted, reason);
    releaseRun();
    setPanel(4, FiringTexts::Interrupted.text(m_console.Language).arg(reason));
    log(RunLossTexts::LogInterrupted.text(m_console.Language).arg(reason));
}

void TForm1::updateRunView(bool timedOut, const QString &title)
{
    if (timedOut) {
        m_stale = LiveDisplay::All;
        applyStaleLooks();
    }
    showRunPanel();
    // On Linux the window's own title is what the task bar shows: the remaining time while a
    // program runs, the port caption otherwise.
    const QString shown = title == QLatin1String(Texts::ProgramTitle) ? m_caption : title;
    if (windowTitle() != shown)
        setWindowTitle(shown);
    m_accessibleValues.refresh();
}

void TForm1::onRunViewReply(const DecodeResult &result)
{
    if (!result.applied)
        return;
    if (m_firingRecord.running()) {
        m_roundMode = m_roundMode || result.type == Msg::ReadControllerMode;
        m_roundStage = m_roundStage || result.type == Msg::Status;
        m_roundRemaining = m_roundRemaining || result.type == Msg::ReadRemainingTime;
        if (result.type == Msg::ReadRemainingTime)
            m_remainingKnown = true;
        else if (result.type == Msg::Status)
            m_statusAt = runClockNow();
        else if (result.type == Msg::ZoneTime) {
            m_zoneTimeAt = runClockNow();
            m_zoneTimeZone = m_link->image().CurrentZone;
        }
    }
    const quint32 fresh = LiveDisplay::RefreshedBy(result.type);
    if (m_stale & fresh) {
        m_stale &= ~fresh;
        applyStaleLooks();
    }
}

void TForm1::showRunPanel()
{
    const FurnaceImage &image = m_link->image();
    RunPanelInput input;
    input.trace = &m_firingRecord.trace();
    input.elapsedSeconds = m_runMonitor.runSeconds();
    if (m_firingRecord.running()) {
        input.zone = image.CurrentZone;
        if (m_remainingKnown)
            input.remainingMinutes = image.RemainingMinutes;
    } else {
        input.zone = m_endZone;
        input.remainingMinutes = m_endRemaining;
    }
    input.timeScale = furnaceTimeScale();
    input.record = m_ranRecord.get();
    pnlRun->showFigures(ComputeRunFigures(input, QDateTime::currentDateTime(), m_console.Language));
}

void TForm1::applyStaleLooks()
{
    using namespace LiveDisplay;
    const std::pair<QWidget *, quint32> displays[] = {
        {sbTemperature, Temperature},
        {sbPressure, Pressure},
        {lblChamberState, ChamberState},
        {lblTime, Time},
        {lblDate, Date},
        {lblTsupport, Tsupport},
        {lblVacEconMode, VacEconMode},
        {m_panels[1], Panel1},
        {m_panels[2], Panel2},
        {m_panels[3], Panel3},
    };
    for (const auto &[widget, bit] : displays)
        SetStaleLook(widget, (m_stale & bit) != 0);
    pnlRun->setStale((m_stale & RunStage) != 0, (m_stale & RunRemaining) != 0);
}

void TForm1::ReLanguageRunView()
{
    const quint8 lang = m_console.Language;
    pbGraph->setLanguage(lang);
    pbGraph->setAccessibleName(tx(CurveTexts::GraphName));
    pnlRun->setLanguage(lang);
    setHint(sbZoomIn, tx(ZoomInHint));
    setHint(sbZoomOut, tx(ZoomOutHint));
    setHint(sbFullView, tx(FullViewHint));
    sbFullView->setAccessibleName(tx(FullViewHint));
    cmbSelPort->setAccessibleName(tx(PortListName));
    // A parameter field is named by its group and its name label: "Drying: Temperature".
    for (QLineEdit *field : m_fields) {
        auto *group = qobject_cast<QGroupBox *>(field->parentWidget());
        auto *grid = group ? qobject_cast<QGridLayout *>(group->layout()) : nullptr;
        if (!grid)
            continue;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(field), &row, &column, &rowSpan, &columnSpan);
        const QLayoutItem *item = grid->itemAtPosition(row, 0);
        const auto *name = item ? qobject_cast<QLabel *>(item->widget()) : nullptr;
        field->setAccessibleName(group->title() + QStringLiteral(": ") +
                                 (name ? name->text() : QString()));
    }
    // The lists and the log by their group, the list buttons by group and caption.
    for (QGroupBox *group : {gbMass, gbLayer, gbMessage}) {
        for (QWidget *view : std::initializer_list<QWidget *>{lbNames, lbLayers, mMessage})
            if (view->parentWidget() == group)
                view->setAccessibleName(group->title());
        for (QPushButton *button : group->findChildren<QPushButton *>())
            button->setAccessibleName(group->title() + QStringLiteral(": ") + button->text());
    }
}
