// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: one of the console's furnace windows. What it shows of its furnace, gathered for
// the views of several furnaces at once; File → New furnace window... and Lab overview.

#include "app/Unit1.h"

#include "app/furnacewindows.h"
#include "app/texts.h"
#include "logbook/furnacehealth.h"

#include <QAction>
#include <QMenu>
#include <QSysInfo>

#include "app/livedisplays.h"
#include "app/runfigures.h"
#include "link/furnacedisplay.h"
#include "link/link.h"
#include "link/portreconnector.h"

namespace
{

constexpr TextPair NewWindowItem{"Новое окно печи...", "New furnace window..."};
constexpr TextPair OverviewItem{"Обзор лаборатории", "Lab overview"};
constexpr TextPair TooManyWindows{"Из одной программы можно вести не более %1 печей.",
                                  "At most %1 furnaces can be driven from one console."};

} // namespace

void TForm1::connectWindowsHandlers()
{
    mmNewWindow = new QAction(this);
    mmNewWindow->setObjectName(QStringLiteral("mmNewWindow"));
    mmNewWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    mmOverview = new QAction(this);
    mmOverview->setObjectName(QStringLiteral("mmOverview"));
    // Before the firing history, in a section of their own; only among furnace windows.
    QAction *before = mmHistory;
    mmFile->insertActions(before, {mmNewWindow, mmOverview});
    mmFile->insertSeparator(before);
    for (QAction *a : {mmNewWindow, mmOverview})
        a->setVisible(m_options.windows != nullptr);
    connect(mmNewWindow, &QAction::triggered, this, &TForm1::mmNewWindowClick);
    connect(mmOverview, &QAction::triggered, this, &TForm1::mmOverviewClick);
}

void TForm1::ReLanguageWindows()
{
    if (!mmNewWindow)
        return;
    mmNewWindow->setText(tx(NewWindowItem));
    mmOverview->setText(tx(OverviewItem));
}

void TForm1::mmNewWindowClick()
{
    if (!m_options.windows)
        return;
    if (!m_options.windows->open(std::nullopt))
        m_dialogs.message(this, Dialogs::Icon::Information, tx(Texts::Attention),
                          tx(TooManyWindows).arg(FurnaceWindows::MaxWindows));
}

void TForm1::mmOverviewClick()
{
    if (m_options.windows)
        m_options.windows->showOverview(m_console.Language);
}

QString TForm1::furnaceName() const
{
    const FurnaceImage &image = m_link->image();
    const QString port = m_link->state().PortName;
    if (image.FurnaceModelName.isEmpty())
        return port;
    return FurnaceLabel(FurnaceKey(QSysInfo::machineHostName(), port, image.FurnaceModelName),
                        m_console.Language, QSysInfo::machineHostName());
}

FurnaceStatus TForm1::furnaceStatus() const
{
    FurnaceStatus s;
    const FurnaceImage &image = m_link->image();
    const quint8 lang = m_console.Language;
    const bool open = m_link->isRunning();
    const bool reconnecting = m_reconnector && m_reconnector->active();
    s.port = open || reconnecting ? m_link->state().PortName : QString();
    if (!image.FurnaceModelName.isEmpty())
        s.furnace = QStringLiteral("%1 v:%2.%3")
                        .arg(image.FurnaceModelName)
                        .arg(image.VersionMajor)
                        .arg(image.VersionMinor, 2, 10, QLatin1Char('0'));
    if (reconnecting || m_link->lineDown())
        s.link = FurnaceStatus::Link::Reconnecting;
    else if (!open)
        s.link = FurnaceStatus::Link::Closed;
    else if (m_link->requests().NoReplyCount > 0)
        s.link = FurnaceStatus::Link::Silent;
    else
        s.link = FurnaceStatus::Link::Answering;
    // Only what the furnace confirmed: a value greyed in the window is not given.
    if (!(m_stale & LiveDisplay::ChamberState))
        s.chamber = ChamberStateText(image.ChamberStatus, lang);
    if (!(m_stale & LiveDisplay::Temperature))
        s.temperature = image.ChamberTemp;
    if (!(m_stale & LiveDisplay::Pressure))
        s.vacuum = image.Vacuum;

    s.running = m_console.ProgramRunning && m_firingRecord.running();
    if (m_firingRecord.exists()) {
        s.mass = m_firingRecord.facts().massName;
        s.layer = m_firingRecord.facts().layerName;
    }
    RunPanelInput input;
    input.trace = &m_firingRecord.trace();
    input.elapsedSeconds = m_runMonitor.runSeconds();
    input.zone = s.running ? image.CurrentZone : m_endZone;
    if (s.running && m_remainingKnown)
        input.remainingMinutes = image.RemainingMinutes;
    else if (!s.running)
        input.remainingMinutes = m_endRemaining;
    input.timeScale = furnaceTimeScale();
    input.record = m_ranRecord.get();
    const QDateTime now = QDateTime::currentDateTime();
    const RunFigures figures = ComputeRunFigures(input, now, lang);
    if (m_firingRecord.exists())
        s.stage = figures.headline;
    s.progress = figures.progress;
    if (s.running) {
        s.step = image.CurrentZone + 1;
        if (m_remainingKnown) {
            s.minutesLeft = image.RemainingMinutes;
            const double scale = input.timeScale > 0 ? input.timeScale : 1.0;
            s.expectedEnd = now.addSecs(qint64(image.RemainingMinutes * 60.0 / scale));
        }
    }
    s.fault = m_unacknowledgedFault;
    s.checksDue = dueChecks(false).join(QStringLiteral("; "));
    return s;
}
