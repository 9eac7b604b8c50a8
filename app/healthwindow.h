// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"
#include "logbook/healthseries.h"
#include "logbook/logbook.h"
#include "logbook/logbookdb.h"

#include <QHash>
#include <QWidget>

#include <functional>

class Dialogs;
class HealthPlot;
class QComboBox;
class QDialog;
class QDoubleSpinBox;
class QLabel;
class QPrinter;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
struct HealthPlotData;
struct HealthSummaryContent;

/// What the health window needs from the main window.
struct HealthHooks {
    /// FurnaceKey of the window's furnace, shown first; may be empty.
    QString thisFurnace;
    /// Who is named in the log of checks done.
    QString operatorName;
    /// A check was set up, changed, removed or done: the main window evaluates due checks again.
    std::function<void()> checksChanged;
    /// "ZKV4.6 CONSOLE 1.0.0", named in the printed summary.
    QString console;
};

/// The furnace health window (objectName "HealthWindow"): a furnace's figures over a period in
/// three plots (heating, the firing hold, the vacuum pump-down) with the baseline every firing
/// was judged against, the flagged firings with what was found, the tolerances a firing is
/// flagged by, the checks the laboratory makes at intervals with their log, and a one-page
/// summary to save as PDF or print.
///
/// It has a connection of its own to the logbook's file (read-write for the few writes the user
/// asks for: tolerances, checks, a check done; read-only where the file may not be written). The
/// plots are read again when the logbook says a firing was sealed. `logbook` and `dialogs` must
/// outlive the window. A non-modal top-level window.
class HealthWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Period { Month, HalfYear, Year, All };

    HealthWindow(Logbook &logbook, Dialogs &dialogs, HealthHooks hooks, quint8 language,
                 QWidget *parent = nullptr);
    ~HealthWindow() override;

    void setLanguage(quint8 language);
    quint8 language() const { return m_language; }

    /// The furnace shown (its FurnaceKey); empty when none.
    QString furnace() const;
    /// Shows `key` when the logbook knows it; false otherwise.
    bool selectFurnace(const QString &key);
    void setPeriod(Period period);
    /// The heating plot shows each program's ramp rate instead of the 700–900 °C rate.
    void showRampRate(bool ramp);
    /// Reads the furnace's figures, flags, checks and log again.
    void reload();

    HealthPlot *heatingPlot() const { return m_heating; }
    HealthPlot *holdPlot() const { return m_hold; }
    HealthPlot *vacuumPlot() const { return m_vacuum; }
    /// Why nothing is shown (the logbook off or unreadable); empty when the window works.
    QString problem() const { return m_problem; }
    LogbookDb &database() { return m_db; }

    /// Saves the tolerances of the spin boxes; false (a box says why) when they were not.
    bool applyTolerances();
    /// The check dialogs, through Dialogs::showModal (a test fills and accepts them there).
    void addCheck();
    void editCheck();
    void removeCheck();
    void checkDone();
    /// "Summary (PDF)..." and "Print...".
    void saveSummary();
    void printSummary();
    /// The summary page as PDF bytes; empty when it could not be made.
    QByteArray summaryPdf();

private:
    /// One row of the flagged list: a flag of a firing, with its numbers when they could be
    /// worked out again.
    struct Flag {
        qint64 entryId = 0;
        qint64 atMs = 0;
        std::optional<DriftFlag> drift;
        HealthFigure figure = HealthFigure::Heating;
        QString message(quint8 language) const;
        /// What was found in a few words.
        QString summary(quint8 language) const;
    };

    void build();
    void buildChecks(QWidget *page);
    void reLanguageChecks();
    void updateCheckButtons();
    void buildTolerances(QWidget *page);
    void reLanguage();
    void nameValues();
    /// Opens the connection when it is not open and the logbook is there; false (with the
    /// problem shown) when it cannot.
    bool openDatabase();
    void showProblem(const QString &problem);
    /// The notice above the plots: a logbook open for reading only, no furnace yet.
    void showNotice();
    void fillFurnaces();
    void loadPoints();
    /// The series in the plots; `keepView`: as zoomed (a language or a heating figure switched).
    void showSeries(bool keepView = false);
    void fillFlags();
    void nameFlaggedFirings();
    void flagSelected();
    void fillChecks();
    void fillCheckLog();
    void updateButtons();
    void fillTolerances(const HealthTolerances &tolerances);
    HealthTolerances shownTolerances() const;
    HealthPlotData plotData(const HealthSeries &series) const;
    /// The selected check of the table; nullptr when none.
    const CheckSetting *selectedCheck() const;
    /// After a write the user asked for: a box when it failed; the checks again and the hook
    /// when it worked.
    bool written(bool ok);
    /// The summary as the page shows it.
    HealthSummaryContent summaryContent();
    qint64 periodFromMs() const;
    QString tx(const TextPair &pair) const { return pair.text(m_language); }

    Logbook &m_logbook;
    Dialogs &m_dialogs;
    HealthHooks m_hooks;
    quint8 m_language = 1;
    LogbookDb m_db;
    bool m_writable = false;
    QString m_problem;
    QString m_readOnlyReason;

    /// The points read (with the period's lead-in), where the period begins, what they show.
    QList<HealthPoint> m_points;
    qint64 m_shownFrom = AllTime;
    qint64 m_periodTo = 0;
    HealthSeries m_bandSeries;
    HealthSeries m_rampSeries;
    HealthSeries m_holdSeries;
    HealthSeries m_vacuumSeries;
    QList<Flag> m_flags;
    /// "Dentine A2 / Dentine 1" of the flagged firings by entry id, once read.
    QHash<qint64, QString> m_firingNames;
    QList<CheckSetting> m_checks;

    QStackedWidget *m_pages = nullptr;
    QLabel *lblProblem = nullptr;
    QLabel *lblFurnace = nullptr;
    QComboBox *cmbFurnace = nullptr;
    QLabel *lblPeriod = nullptr;
    QComboBox *cmbPeriod = nullptr;
    QLabel *lblHeating = nullptr;
    QComboBox *cmbHeating = nullptr;
    QPushButton *btnFullView = nullptr;
    QPushButton *btnSummary = nullptr;
    QPushButton *btnPrint = nullptr;
    QLabel *lblNotice = nullptr;
    QSplitter *m_split = nullptr;
    HealthPlot *m_heating = nullptr;
    HealthPlot *m_hold = nullptr;
    HealthPlot *m_vacuum = nullptr;
    QTabWidget *m_tabs = nullptr;
    QTreeWidget *twFlags = nullptr;
    QLabel *lblFlagDetail = nullptr;
    QTableWidget *twChecks = nullptr;
    QPushButton *btnAddCheck = nullptr;
    QPushButton *btnEditCheck = nullptr;
    QPushButton *btnRemoveCheck = nullptr;
    QPushButton *btnCheckDone = nullptr;
    QLabel *lblCheckLog = nullptr;
    QTreeWidget *twCheckLog = nullptr;
    QLabel *lblTolHeating = nullptr;
    QLabel *lblTolVacuum = nullptr;
    QLabel *lblTolHold = nullptr;
    QLabel *lblTolBand = nullptr;
    QDoubleSpinBox *sbTolHeating = nullptr;
    QDoubleSpinBox *sbTolVacuum = nullptr;
    QDoubleSpinBox *sbTolHold = nullptr;
    QDoubleSpinBox *sbTolBand = nullptr;
    QPushButton *btnApplyTolerances = nullptr;
    QPushButton *btnDefaultTolerances = nullptr;
    QLabel *lblTolNote = nullptr;
    QLabel *lblTolStatus = nullptr;
    QTimer *m_refreshDelay = nullptr;
    QTimer *m_nameTimer = nullptr;
    HealthTolerances m_savedTolerances;
};
