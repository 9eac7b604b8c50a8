// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "logbook/firingrecord.h"
#include "logbook/historyquery.h"
#include "logbook/logbook.h"
#include "logbook/logbookdb.h"

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CompareWindow;
class Dialogs;
class EntryView;
class HistoryModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableView;
class QThread;
class QTimer;

/// What the history window asks of the main window: the record commands work on an entry exactly
/// as on the last firing.
struct HistoryHooks {
    std::function<void(const FiringRecord &record, const QByteArray &hash)>
        saveRecord; // "Save firing record..."
    std::function<void(const FiringRecord &record, const QByteArray &hash)>
        reportPdf; // "Firing report (PDF)..."
    std::function<void(const FiringRecord &record, const QByteArray &hash)> print; // "Print..."
    QString console; // "ZKV4.6 CONSOLE 1.0.0"
};

/// The firing history (objectName "HistoryWindow"): the logbook's entries in a table the database
/// filters and sorts, entries opened one by one (EntryView) or laid over each other
/// (CompareWindow), firing records of earlier consoles imported, and the hash chain checked on a
/// thread of its own.
///
/// It reads through a read-only connection of its own on the user-interface thread; everything
/// it writes (amendments, imports) goes through `logbook`, and the table is read again when the
/// logbook says it was written. `logbook` and `dialogs` must outlive the window. A non-modal
/// top-level window; its entry views and comparisons close with it.
class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    HistoryWindow(Logbook &logbook, Dialogs &dialogs, HistoryHooks hooks, quint8 language,
                  QWidget *parent = nullptr);
    /// Stops a check under way (within a fraction of a second) and waits for it.
    ~HistoryWindow() override;

    void setLanguage(quint8 language);
    quint8 language() const { return m_language; }

    /// The entries of the table now selected (ids), in the table's order.
    QList<qint64> selectedIds() const;
    /// Opens the entry view of entry `id` (or raises the one open); nullptr when it cannot be
    /// read (a box says why).
    EntryView *openEntry(qint64 id);
    /// Opens a comparison of the entries `ids` (2 to 8); nullptr otherwise.
    CompareWindow *compareEntries(const QList<qint64> &ids);
    /// Asks for firing-record files and imports them; a box sums up once every file is answered.
    void importFiles();
    /// Starts a check of the chain (a running one is started afresh).
    void checkLogbook();
    /// Stops the check under way.
    void stopCheck();
    /// A check is under way.
    bool checking() const { return m_check != nullptr; }
    /// The last verdict shown, as its label says it.
    QString verdict() const;
    /// Applies the filter fields now (they are otherwise applied a moment after typing stops).
    void applyFilter();

    HistoryModel *model() const { return m_model; }
    LogbookDb &database() { return m_db; }
    const HistoryHooks &hooks() const { return m_hooks; }

signals:
    /// A check of the chain ended with `report`.
    void checked(const VerifyReport &report);
    /// Every file of an import was answered; the summary box follows.
    void importFinished(int imported, int alreadyThere, int refused);

protected:
    void changeEvent(QEvent *event) override;
    /// The entry views and comparisons close with the history.
    void closeEvent(QCloseEvent *event) override;

private:
    /// Lists the logbook's furnaces in cmbFurnace, keeping the one chosen.
    void fillFurnaces();
    struct CheckJob;
    struct ImportRun;

    void build();
    void reLanguage();
    /// Opens the read connection when it is not open and the logbook is there; shows the table
    /// or why there is none.
    void openDatabase();
    void showProblem(const QString &problem);
    void updateCount();
    void updateButtons();
    void nameValues();
    void logbookWritten();
    void checkEnded();
    /// The verdict label: the check under way, or the last report's verdict.
    void showVerdict();
    void importAnswered(const QString &uid, const QString &problem);
    void finishImport();
    QString tx(const TextPair &pair) const { return pair.text(m_language); }

    Logbook &m_logbook;
    Dialogs &m_dialogs;
    HistoryHooks m_hooks;
    quint8 m_language = 1;
    LogbookDb m_db;
    HistoryModel *m_model = nullptr;
    QHash<qint64, QPointer<EntryView>> m_entryViews;
    std::shared_ptr<CheckJob> m_check;
    QThread *m_checkThread = nullptr;
    std::unique_ptr<ImportRun> m_import;
    /// The last check's report; none before the first check ended.
    std::optional<VerifyReport> m_report;
    QString m_problem;

    QStackedWidget *m_pages = nullptr;
    QLabel *lblSearch = nullptr;
    QLineEdit *edHistoryFilter = nullptr;
    QCheckBox *cbDates = nullptr;
    QDateEdit *deFrom = nullptr;
    QLabel *lblDateTo = nullptr;
    QDateEdit *deTo = nullptr;
    QLabel *lblOutcome = nullptr;
    QComboBox *cmbOutcome = nullptr;
    QLabel *lblFurnace = nullptr;
    /// Every furnace of the logbook (a shared one holds the laboratory's), or all of them.
    QComboBox *cmbFurnace = nullptr;
    QLabel *lblCount = nullptr;
    QTableView *tvHistory = nullptr;
    QLabel *lblProblem = nullptr;
    QPushButton *btnOpen = nullptr;
    QPushButton *btnCompare = nullptr;
    QPushButton *btnImport = nullptr;
    QPushButton *btnCheck = nullptr;
    QProgressBar *pbCheck = nullptr;
    QPushButton *btnStopCheck = nullptr;
    QLabel *lblVerdict = nullptr;
    QTimer *m_filterDelay = nullptr;
    QTimer *m_refreshDelay = nullptr;
    QTimer *m_checkPoll = nullptr;
};
