// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: the firing logbook. Every firing is written into it as it runs and sealed at its
// end; the status bar says whether the logbook is in use; the case reference and note the user
// gives a firing go with it, or, once it ended, are appended as amendments. A logbook that fails
// is named once in the message log and never stops a firing.

#include "app/Unit1.h"

#include "app/healthwindow.h"
#include "app/historywindow.h"
#include "app/runpanel.h"
#include "logbook/logbook.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

namespace
{

constexpr TextPair LogbookOn{"Журнал", "Logbook"};
constexpr TextPair LogbookOff{"Журнал: откл.", "Logbook: off"};
constexpr TextPair LogbookOpening{"Журнал…", "Logbook…"};
constexpr TextPair SharedOn{"Общий журнал", "Shared logbook"};
constexpr TextPair SharedAway{"Общий журнал: нет связи", "Shared logbook: no server"};
constexpr TextPair Waiting{"%1, ждут: %2", "%1, %2 waiting"};
constexpr TextPair StateWaiting{"; обжигов, хранимых на этом компьютере до ответа сервера: %1",
                                "; firings kept on this computer until the server takes them: %1"};
constexpr TextPair StateOn{"журнал обжигов ведётся (%1)", "the firing logbook is in use (%1)"};
constexpr TextPair StateOff{"журнал обжигов не ведётся", "no firing logbook is kept"};
constexpr TextPair StateOpening{"журнал обжигов открывается (%1)",
                                "the firing logbook is being opened (%1)"};
constexpr TextPair StateFailed{"журнал обжигов не записывается (%1): %2",
                               "the firing logbook cannot be written (%1): %2"};

constexpr TextPair LogFailed{
    " Журнал обжигов не записывается: %1 (%2). Обжиги продолжаются; запись будет повторена.",
    " The firing logbook cannot be written: %1 (%2). Firings go on; writing is tried again."};
constexpr TextPair LogBack{" Журнал обжигов снова записывается: %1",
                           " The firing logbook is written again: %1"};
constexpr TextPair LogRecovered{
    " Обжигов, оставшихся незавершёнными при выходе программы, отмечено в журнале как "
    "прекращённые: %1",
    " Firings left running when a console ended, entered in the logbook as interrupted: %1"};
constexpr TextPair LogNotKept{" Обжиг не записан в журнал: %1",
                              " The firing could not be kept in the logbook: %1"};
constexpr TextPair LogAmended{" Поправка внесена в журнал: %1",
                              " Amendment added to the logbook: %1"};
constexpr TextPair FieldCase{"заказ «%1»", "case \"%1\""};
constexpr TextPair FieldNote{"примечание «%1»", "note \"%1\""};

constexpr TextPair HistoryItem{"Журнал обжигов...", "Firing history..."};

/// How long an automatic save of an ended firing waits for its logbook hash.
constexpr int AutoSaveWaitMs = 5000;

} // namespace

void TForm1::connectLogbookHandlers()
{
    LogbookSettings settings;
    settings.file = m_options.logbookFile;
    settings.flushSeconds = m_options.logbookFlushSeconds;
    m_logbook = std::make_unique<Logbook>(settings);

    lblLogbook = new QLabel(this);
    lblLogbook->setObjectName(QStringLiteral("lblLogbook"));
    lblLogbook->setFrameShape(QFrame::Panel);
    lblLogbook->setFrameShadow(QFrame::Sunken);
    StatusLine->addPermanentWidget(lblLogbook);

    connect(m_logbook.get(), &Logbook::stateChanged, this,
            [this](Logbook::State state, const QString &problem) {
                const QString file = QDir::toNativeSeparators(m_logbook->file());
                if (state == Logbook::State::Failed && problem != m_loggedLogbookProblem) {
                    log(tx(LogFailed).arg(problem, file));
                    m_loggedLogbookProblem = problem;
                } else if (state == Logbook::State::On && !m_loggedLogbookProblem.isEmpty()) {
                    log(tx(LogBack).arg(file));
                    m_loggedLogbookProblem.clear();
                }
                showLogbookState();
            });
    connect(m_logbook.get(), &Logbook::waitingChanged, this, &TForm1::showLogbookState);
    connect(m_logbook.get(), &Logbook::recovered, this,
            [this](int count) { log(tx(LogRecovered).arg(count)); });
    connect(m_logbook.get(), &Logbook::entrySealed, this,
            [this](const QString &uid, const QByteArray &hash) {
                if (uid == m_firingRecord.uid())
                    m_firingHash = hash;
                if (m_autoSaveWaiting && m_autoSaveWaiting->uid() == uid)
                    autoSaveRecord(*std::exchange(m_autoSaveWaiting, std::nullopt), hash);
            });
    connect(m_logbook.get(), &Logbook::entryFailed, this,
            [this](const QString &uid, const QString &problem) {
                log(tx(LogNotKept).arg(problem));
                if (m_autoSaveWaiting && m_autoSaveWaiting->uid() == uid)
                    autoSaveRecord(*std::exchange(m_autoSaveWaiting, std::nullopt), {});
            });
    connect(m_logbook.get(), &Logbook::amended, this,
            [this](const QString &uid, const QString &field, const QByteArray &) {
                if (uid != m_firingRecord.uid())
                    return;
                const bool isCase = field == QLatin1String("case");
                log(tx(LogAmended)
                        .arg(tx(isCase ? FieldCase : FieldNote)
                                 .arg(isCase ? m_firingRecord.caseReference()
                                             : m_firingRecord.note())));
            });
    // File → Firing history..., first of the record commands.
    mmHistory = new QAction(this);
    mmHistory->setObjectName(QStringLiteral("mmHistory"));
    mmHistory->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    mmFile->insertAction(mmSaveRecord, mmHistory);
    connect(mmHistory, &QAction::triggered, this, &TForm1::mmHistoryClick);

    connect(pnlRun, &RunPanel::caseReferenceEdited, this,
            [this](const QString &text) { notesEdited(QStringLiteral("case"), text); });
    connect(pnlRun, &RunPanel::noteEdited, this,
            [this](const QString &text) { notesEdited(QStringLiteral("note"), text); });
    ReLanguageLogbook();
}

void TForm1::ReLanguageLogbook()
{
    if (mmHistory)
        mmHistory->setText(tx(HistoryItem));
    if (m_history)
        m_history->setLanguage(m_console.Language);
    showLogbookState();
}

void TForm1::mmHistoryClick()
{
    if (!m_history) {
        HistoryHooks hooks;
        hooks.saveRecord = [this](const FiringRecord &record, const QByteArray &hash) {
            saveRecordAs(record, hash);
        };
        hooks.reportPdf = [this](const FiringRecord &record, const QByteArray &hash) {
            reportPdfAs(record, hash);
        };
        hooks.print = [this](const FiringRecord &record, const QByteArray &hash) {
            printRecord(record, hash);
        };
        hooks.console = consoleName();
        m_history =
            new HistoryWindow(*m_logbook, m_dialogs, std::move(hooks), m_console.Language, this);
        m_history->setWindowFlag(Qt::Window);
    }
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

HistoryWindow *TForm1::historyWindow() const
{
    return m_history;
}

void TForm1::closeLogbookWindows()
{
    delete m_history;
    delete m_healthWindow.data();
}

void TForm1::showLogbookState()
{
    if (!lblLogbook)
        return;
    const QString file = QDir::toNativeSeparators(m_logbook->file());
    QString text;
    QString state;
    bool bad = false;
    switch (m_logbook->state()) {
    case Logbook::State::Off:
        text = tx(LogbookOff);
        state = tx(StateOff);
        break;
    case Logbook::State::Opening:
        text = tx(LogbookOpening);
        state = tx(StateOpening).arg(file);
        break;
    case Logbook::State::On:
        text = tx(m_logbook->shared() ? SharedOn : LogbookOn);
        state = tx(StateOn).arg(file);
        break;
    case Logbook::State::Failed:
        text = tx(m_logbook->shared() ? SharedAway : LogbookOff);
        state = tx(StateFailed).arg(file, m_logbook->problem());
        bad = true;
        break;
    }
    // A shared logbook's firings that wait on this computer for the server.
    if (m_logbook->waiting() > 0) {
        text = tx(Waiting).arg(text).arg(m_logbook->waiting());
        state += tx(StateWaiting).arg(m_logbook->waiting());
    }
    lblLogbook->setText(text);
    lblLogbook->setStyleSheet(bad ? QStringLiteral("color: #b00000; font-weight: bold")
                                  : QString());
    // Read out as shown, then what it means.
    const QString described = text + QStringLiteral(" — ") + state;
    lblLogbook->setToolTip(described);
    lblLogbook->setAccessibleName(described);
}

QString TForm1::operatorName() const
{
    return m_options.operatorName.isEmpty() ? Logbook::SystemUserName() : m_options.operatorName;
}

void TForm1::logbookFiringStarted()
{
    m_firingHash.clear();
    healthFiringStarted();
    pnlRun->showNotes(true, m_firingRecord.caseReference(), m_firingRecord.note());
    m_logbook->firingStarted(m_firingRecord);
}

void TForm1::logbookFiringTick()
{
    if (m_firingRecord.running())
        m_logbook->firingTick(m_firingRecord);
}

void TForm1::logbookFiringEnded()
{
    m_logbook->firingEnded(m_firingRecord);
}

void TForm1::notesEdited(const QString &field, const QString &text)
{
    if (!m_firingRecord.exists())
        return;
    const bool isCase = field == QLatin1String("case");
    if ((isCase ? m_firingRecord.caseReference() : m_firingRecord.note()) == text)
        return;
    if (isCase)
        m_firingRecord.setCaseReference(text);
    else
        m_firingRecord.setNote(text);
    // While the firing runs this is part of its entry (written with the next samples); after
    // its end, an amendment appended to the sealed entry.
    if (m_firingRecord.running())
        m_logbook->firingStarted(m_firingRecord);
    else
        m_logbook->amend(m_firingRecord.uid(), field, text, operatorName());
}

void TForm1::scheduleAutoSave()
{
    const Logbook::State state = m_logbook->state();
    if (state == Logbook::State::On || state == Logbook::State::Opening) {
        // Until the entry is sealed (the writer answers within a moment), or not at all. A
        // firing still waiting from before is saved now, without its hash.
        if (m_autoSaveWaiting)
            autoSaveRecord(*std::exchange(m_autoSaveWaiting, std::nullopt), {});
        m_autoSaveWaiting = m_firingRecord;
        QTimer::singleShot(AutoSaveWaitMs, this, [this, uid = m_firingRecord.uid()] {
            if (m_autoSaveWaiting && m_autoSaveWaiting->uid() == uid)
                autoSaveRecord(*std::exchange(m_autoSaveWaiting, std::nullopt), {});
        });
        return;
    }
    // After the tick that ended the run; the copy keeps this record whatever comes next.
    QTimer::singleShot(0, this, [this, record = m_firingRecord] { autoSaveRecord(record, {}); });
}
