// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: the furnace's health. What drifted in a firing (said at its end in the run panel
// and the message log), the checks that are due (the status bar, the run panel before a start,
// and once in the log when a program starts while one is overdue), the heater's work time kept
// with the firing, and the built-in simulator's ageing.

#include "app/Unit1.h"

#include "app/ageingdialog.h"
#include "app/healthwindow.h"
#include "app/runpanel.h"
#include "link/link.h"
#include "logbook/logbook.h"
#include "sim/simulatorline.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QSysInfo>
#include <QTimer>

namespace
{

constexpr TextPair LogDrift{" Состояние печи: %1", " Furnace health: %1"};
constexpr TextPair LogOverdue{" Проверка просрочена: %1", " Check overdue: %1"};
constexpr TextPair ChecksDue{"Проверка: скоро срок", "Check due"};
constexpr TextPair ChecksOverdue{"Проверка просрочена", "Check overdue"};
constexpr TextPair DueLine{"Проверки: %1", "Checks: %1"};
constexpr TextPair AgeingItem{"Старение имитатора печи...", "Simulated furnace ageing..."};
constexpr TextPair HealthItem{"Состояние печи...", "Furnace health..."};
constexpr TextPair LogAgeing{
    " Имитатор печи: мощность нагревателя %1 %, натекание %2, смещение термопары %3 °C",
    " Simulated furnace: heater power %1 %, vacuum leak %2, thermocouple offset %3 °C"};

/// Due checks are weighed again this often (a check counted in days comes due by itself).
constexpr int ChecksEveryMs = 60 * 60 * 1000;

} // namespace

void TForm1::connectHealthHandlers()
{
    lblChecks = new QLabel(this);
    lblChecks->setObjectName(QStringLiteral("lblChecks"));
    lblChecks->setFrameShape(QFrame::Panel);
    lblChecks->setFrameShadow(QFrame::Sunken);
    lblChecks->hide();
    // Before the logbook's label, which stays last.
    StatusLine->removeWidget(lblLogbook);
    StatusLine->addPermanentWidget(lblChecks);
    StatusLine->addPermanentWidget(lblLogbook);
    lblLogbook->show();

    // The furnace the checks are kept for is known once it named itself; the heater's work time
    // comes with a settings block read while a firing runs.
    connect(m_link.get(), &Link::replyDecoded, this, [this](const DecodeResult &result) {
        if (!result.applied)
            return;
        if (result.type == Msg::Identify)
            followFurnace();
        else if (result.type == Msg::ReadServiceBlock && m_firingRecord.running())
            m_firingRecord.setHeaterWorkTime(m_link->image().Block.HeaterWorkTime());
    });
    connect(m_logbook.get(), &Logbook::driftFound, this,
            [this](const QString &uid, const QList<DriftFlag> &flags) {
                QStringList messages;
                for (const DriftFlag &f : flags)
                    messages << DriftMessage(f, m_console.Language);
                for (const QString &m : std::as_const(messages))
                    log(tx(LogDrift).arg(m));
                if (uid == m_firingRecord.uid()) {
                    m_drift = flags;
                    showHealth();
                }
            });
    connect(m_logbook.get(), &Logbook::entrySealed, this, [this] { evaluateChecks(); });
    connect(m_logbook.get(), &Logbook::stateChanged, this, [this](Logbook::State state) {
        if (state == Logbook::State::On)
            evaluateChecks();
    });
    connect(m_logbook.get(), &Logbook::checksEvaluated, this,
            [this](const QString &key, const QList<CheckStatus> &statuses,
                   const QList<CheckUsage> &usages) {
                if (key != m_furnaceKey)
                    return;
                m_checkStatuses = statuses;
                m_checkUsages = usages;
                showHealth();
            });
    auto *every = new QTimer(this);
    every->setInterval(ChecksEveryMs);
    connect(every, &QTimer::timeout, this, &TForm1::evaluateChecks);
    every->start();

    // File → Furnace health..., after the firing history.
    mmHealth = new QAction(this);
    mmHealth->setObjectName(QStringLiteral("mmHealth"));
    mmFile->insertAction(mmSaveRecord, mmHealth);
    connect(mmHealth, &QAction::triggered, this, &TForm1::mmHealthClick);

    mmSimAgeing = new QAction(this);
    mmSimAgeing->setObjectName(QStringLiteral("mmSimAgeing"));
    mmAddition->insertAction(mmLanguage->menuAction(), mmSimAgeing);
    connect(mmSimAgeing, &QAction::triggered, this, &TForm1::mmSimAgeingClick);
    // Only for the built-in simulator.
    connect(mmAddition, &QMenu::aboutToShow, this, [this] {
        mmSimAgeing->setEnabled(dynamic_cast<SimulatorLine *>(m_link->line()) != nullptr);
    });
    ReLanguageHealth();
}

void TForm1::ReLanguageHealth()
{
    if (mmSimAgeing)
        mmSimAgeing->setText(tx(AgeingItem));
    if (mmHealth)
        mmHealth->setText(tx(HealthItem));
    if (m_healthWindow)
        m_healthWindow->setLanguage(m_console.Language);
    showHealth();
}

void TForm1::followFurnace()
{
    const FurnaceImage &image = m_link->image();
    const QString key =
        FurnaceKey(QSysInfo::machineHostName(), m_link->state().PortName, image.FurnaceModelName);
    if (key == m_furnaceKey)
        return;
    m_furnaceKey = key;
    m_checkStatuses.clear();
    m_checkUsages.clear();
    evaluateChecks();
}

void TForm1::evaluateChecks()
{
    if (!m_furnaceKey.isEmpty())
        m_logbook->evaluateChecks(m_furnaceKey);
}

QStringList TForm1::dueChecks(bool overdueOnly) const
{
    QStringList due;
    for (qsizetype i = 0; i < m_checkStatuses.size(); ++i) {
        const CheckStatus &s = m_checkStatuses[i];
        if (overdueOnly ? s.overdue : s.due)
            due << CheckStatusText(s, m_checkUsages.value(i), m_console.Language);
    }
    return due;
}

void TForm1::showHealth()
{
    if (!lblChecks)
        return;
    const QStringList due = dueChecks(false);
    const bool overdue = !dueChecks(true).isEmpty();
    lblChecks->setVisible(!due.isEmpty());
    lblChecks->setText(tx(overdue ? ChecksOverdue : ChecksDue));
    lblChecks->setStyleSheet(overdue ? QStringLiteral("color: #b00000; font-weight: bold")
                                     : QStringLiteral("color: #9a5b00; font-weight: bold"));
    const QString list = due.join(QStringLiteral("; "));
    lblChecks->setToolTip(list);
    lblChecks->setAccessibleName(lblChecks->text() + QStringLiteral(": ") + list);

    // The run panel: what the last firing's figures showed once it ended, the due checks
    // before a start.
    const bool running = m_firingRecord.running();
    QStringList drift;
    if (!running)
        for (const DriftFlag &f : std::as_const(m_drift))
            drift << DriftMessage(f, m_console.Language);
    pnlRun->showHealth(drift.join(QLatin1Char('\n')),
                       running || due.isEmpty() ? QString() : tx(DueLine).arg(list));
}

void TForm1::healthFiringStarted()
{
    m_drift.clear();
    // Named once, never in the way: the firing goes on.
    for (const QString &check : dueChecks(true))
        log(tx(LogOverdue).arg(check));
    showHealth();
}

void TForm1::mmHealthClick()
{
    if (!m_healthWindow) {
        HealthHooks hooks;
        hooks.thisFurnace = m_furnaceKey;
        hooks.operatorName = operatorName();
        hooks.checksChanged = [this] { evaluateChecks(); };
        hooks.console = consoleName();
        m_healthWindow =
            new HealthWindow(*m_logbook, m_dialogs, std::move(hooks), m_console.Language, this);
        m_healthWindow->setWindowFlag(Qt::Window);
    }
    m_healthWindow->show();
    m_healthWindow->raise();
    m_healthWindow->activateWindow();
}

HealthWindow *TForm1::healthWindow() const
{
    return m_healthWindow;
}

void TForm1::mmSimAgeingClick()
{
    auto *sim = dynamic_cast<SimulatorLine *>(m_link->line());
    if (!sim)
        return;
    AgeingDialog dialog(sim->ageing(), m_console.Language, this);
    if (m_dialogs.showModal(dialog) != QDialog::Accepted)
        return;
    const SimAgeing a = dialog.ageing();
    sim->setAgeing(a);
    log(tx(LogAgeing)
            .arg(a.heaterPowerPercent, 0, 'f', 0)
            .arg(a.vacuumLeak, 0, 'f', 2)
            .arg(a.thermocoupleOffset, 0, 'f', 0));
}
