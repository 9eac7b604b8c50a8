// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/accessiblevalues.h"
#include "app/furnacestatus.h"
#include "app/runmonitor.h"
#include "app/runwatch.h"
#include "app/toolkittranslation.h"
#include "common/consolestate.h"
#include "common/dialogs.h"
#include "library/libraryselection.h"
#include "library/masslibrary.h"
#include "logbook/firingrecord.h"
#include "logbook/furnacehealth.h"
#include "sim/simfurnace.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class ElidedLabel;
class FileDialogSettings;
class FurnaceWindows;
class GlyphList;
class HealthWindow;
class HistoryWindow;
class Logbook;
class FiringCurveView;
class Link;
class RunPanel;
class PortReconnector;
class TransferSequence;
class SerialLine;
struct DecodeResult;
class QAction;
class QActionGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QSystemTrayIcon;
class QTimer;
class QToolButton;

/// How the console was started and where its serial lines come from.
struct ConsoleOptions {
    /// Port to open at start instead of asking (`--port DEVICE`, or the simulator).
    std::optional<QString> port;
    /// Makes the line for a port name; by default the serial device or the built-in simulator.
    std::function<std::unique_ptr<SerialLine>(const QString &name)> lineFactory;
    /// The port names the port lists offer; by default the machine's openable serial ports,
    /// then the simulator.
    std::function<QStringList()> portLister;
    /// Masses file to open at start instead of offering the file dialog (`--open`).
    std::optional<QString> massesFile;
    /// Without a masses file, the file dialog is offered at start; not for the further windows
    /// of a command line with several ports, which start with an empty library.
    bool askForMassesFile = true;
    /// Speed of the built-in simulator: simulated seconds per real second.
    double simulatorSpeed = 1.0;
    /// How worn the built-in simulator's furnace is at start (`--sim-heater-power` and the like).
    SimAgeing simulatorAgeing;

    // Firing records.
    /// Folder in which every ended firing is also saved as CSV and PDF (`--record-dir`); none
    /// when empty.
    QString recordDir;
    /// How the end of a firing (finished, or a fault) asks for attention while the main window
    /// is not active, with the stage or fault text. By default the task bar's alert and, where
    /// the desktop has a system tray, a tray message.
    std::function<void(const QString &text)> endAlert;

    // The firing logbook.
    /// The logbook's file (`--logbook`, or the default); empty keeps no logbook (`--no-logbook`,
    /// and windows built by tests unless they ask for one).
    QString logbookFile;
    /// Real seconds between two writes of a running firing into the logbook.
    int logbookFlushSeconds = 10;
    /// Who fires (`--operator`); empty for the system user.
    QString operatorName;

    /// The console's furnace windows, when this window is one of them (File → New furnace
    /// window..., Lab overview); none for a window on its own (tests).
    FurnaceWindows *windows = nullptr;
};

/// The main window: the mass library editor, the parameter fields, the firing curve, the run
/// controls, the message log and the status bar. It owns the furnace link and the console state.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int TimerInterval = 800;
    static constexpr int PanelCount = 5;
    /// Width of status-bar panel 0 at the start and while no furnace answers (an identified
    /// furnace sets its own).
    static constexpr int NoFurnacePanelWidth = 70;

    TForm1(ConsoleOptions options, Dialogs &dialogs, QWidget *parent = nullptr);
    ~TForm1() override;

    ConsoleState &console() { return m_console; }
    Link &link() { return *m_link; }
    /// Status-bar panel i (0..4).
    QLabel *panel(int i) const { return m_panels[size_t(i)]; }
    /// Appends a message-log line: the time of day followed directly by `text`.
    void log(const QString &text);

    // Start-up and closing.
    void FormCreate();
    void FormDestroy();
    void mmExitClick();
    void mmAbout1Click();

    // Languages.
    void mmRussianClick();
    void mmEnglishClick();
    void ReLanguageForm1();
    /// Switches to `language` as the menu commands do (nothing when it is already checked).
    void setLanguage(quint8 language);

    // Port.
    void SelPortClick();
    void cmbSelPortClick();
    void cmbSelPortChange();

    // The 800 ms tick.
    void Timer1Timer();

    // Graph.
    void sbFullViewClick();

    /// The mass library and what is selected in it.
    MassLibrary &library() { return m_library; }
    LibrarySelection &selection() { return m_selection; }

    // --- library editing, parameter fields and masses files (Unit1_library.cpp) ---------
    /// Start-up step: the layer table's columns are fixed by its type; nothing to define.
    void FormCreateLibrary();
    /// Open: replaces the library by a masses file (asks first about unsaved changes).
    void sbOpenFileClick();
    /// Add from file: appends a masses file's masses to the library.
    void sbAddFileClick();
    /// Save: writes the whole library into a fresh masses file.
    void sbSaveFileClick();

    /// Selecting a mass (also the refresh after any change of the library): no layer selected.
    void lbNamesClick();
    /// Selecting a layer: its record becomes CurrentParams and is shown in the fields.
    void lbLayersClick();
    void lbNamesDblClick();
    void lbLayersDblClick();
    void btnAddMassClick();
    void btnDelMassClick();
    void btnAddLayerClick();
    void btnDelLayerClick();
    void sbUpMassClick();
    void sbDnMassClick();
    void mmCopyClick();
    void mmPasteClick();

    /// Key filter of the twenty fields: the character to insert for `key` typed into `sender`,
    /// or nothing when the key is dropped.
    std::optional<QChar> Edit1KeyPress(QLineEdit *sender, QChar key);
    /// Applies the twenty field texts to CurrentParams (on any change of a field's text).
    void Edit1Change();
    /// Leaving a field: focus back to the first field out of range, or, all in range while a
    /// program runs, the record goes to the furnace again.
    void Edit1Exit();
    /// Full check of CurrentParams before a start: true when refused, with ParamErrorField
    /// (0..19) naming the field. Refused (field 0) when no layer is selected.
    bool CheckProgParams();
    /// The field the last refused CheckProgParams() reported.
    quint8 ParamErrorField = 0;
    // --- end library ----------------------------------------------------------------------

    // --- run monitor and run control (Unit1_run.cpp) ----------------------------------------
    void sbStartPrgClick();
    void sbStopPrgClick();
    /// Ends a run on the console side (asks the furnace to stop; unlocks the window).
    void AbortProgramm();
    void sbChamberOpenClick();
    void sbChamberCloseClick();
    void sbTemperatureClick();
    void sbPressureClick();
    void sbRstClick();
    /// Refresh of the factory window's live values on each answered tick (set by that window).
    void setOfficesRefresh(std::function<void()> refresh) { m_officesRefresh = std::move(refresh); }
    /// Step handling of the service procedure running in ConsoleMode `mode` (16, 21, 22, 27,
    /// 28), called on each answered tick (set by the service windows).
    void setServiceProgress(std::function<void(quint8 mode)> step)
    {
        m_serviceProgress = std::move(step);
    }
    // --- end run --------------------------------------------------------------------------

    // --- upload of masses into the controller (Unit1_transfer.cpp) -----------------------
    /// Asks for the first controller slot and starts the upload of the masses from the top.
    void btnSendClick();
    /// While an upload runs, tells the user that this has to wait and returns true: the rows
    /// the link sends from must stay where they are. False (and no box) otherwise.
    bool refusedDuringTransfer();
    TransferSequence &transfer() { return *m_transfer; }
    // --- end upload -----------------------------------------------------------------------
    // --- service windows (Unit1_service.cpp) -----------------------------------------------
    /// The Settings menu is about to show: the settings block is read afresh.
    void mmAdditionClick();
    /// Settings → Services → Basic Services.
    void mmServiceBasicClick();
    /// Settings → Services → Reper Adjustment: the tuning runs while its window is open.
    void mmServiceTuneReperClick();
    /// Settings → Offices: the factory window, behind the access code.
    void mmOfficeClick();
    // --- end service windows --------------------------------------------------------------

    // --- run view: title, run panel, measured curve, live values (Unit1_runview.cpp) -------
    /// The samples of the last run started from this window (kept until the next start).
    const FiringTrace &firingTrace() const { return m_firingRecord.trace(); }
    /// The window's size when it opens on a screen with `available` room: the design size, or
    /// larger on a larger screen, so that the firing curve gets room.
    static QSize OpeningSize(const QRect &available);
    // --- end run view ---------------------------------------------------------------------

    // --- firing records: CSV, PDF report, printing, auto-save, end alert (Unit1_records.cpp)
    /// The record of the last firing started from this window (kept until the next start).
    const FiringRecord &firingRecord() const { return m_firingRecord; }
    /// File → Save firing record...: the record as a CSV file.
    void mmSaveRecordClick();
    /// File → Firing report (PDF)...: the one-page report as a PDF file.
    void mmRecordPdfClick();
    /// File → Print...: the same page through the print dialog.
    void mmPrintRecordClick();
    /// The same commands for any firing (the history's entries): `hash` is its logbook hash,
    /// empty when it has none.
    void saveRecordAs(const FiringRecord &record, const QByteArray &hash);
    void reportPdfAs(const FiringRecord &record, const QByteArray &hash);
    void printRecord(const FiringRecord &record, const QByteArray &hash);
    // --- end firing records ---------------------------------------------------------------

    // --- the furnace at a glance, for the views of several furnaces (Unit1_status.cpp) ------
    /// What this window shows of its furnace now.
    FurnaceStatus furnaceStatus() const;
    /// The furnace for people: "ZKV 4.6 on /dev/ttyUSB0", or the port before it named itself.
    QString furnaceName() const;
    /// File → New furnace window...: a furnace window on a port no window holds.
    void mmNewWindowClick();
    /// File → Lab overview.
    void mmOverviewClick();
    // --- end furnace at a glance ----------------------------------------------------------

    // --- firing logbook (Unit1_logbook.cpp) ------------------------------------------------
    /// The logbook this window writes its firings into (off when it keeps none).
    Logbook &logbook() { return *m_logbook; }
    /// The logbook hash of the last firing once its entry was sealed; empty before.
    QByteArray firingHash() const { return m_firingHash; }
    /// File → Firing history...: the logbook's history window (made once, raised after).
    void mmHistoryClick();
    /// The history window, once opened.
    HistoryWindow *historyWindow() const;
    /// File → Furnace health...: the health window of this window's furnace (made once).
    void mmHealthClick();
    HealthWindow *healthWindow() const;
    // --- end firing logbook ---------------------------------------------------------------

signals:
    /// A tick ended: what furnaceStatus() says may have changed.
    void statusChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    // --- library (private) ----------------------------------------------------------------
    /// Connects the library controls to their handlers (called once by the constructor).
    void connectLibraryHandlers();
    /// Before closing, Open and Add from file: with unsaved changes, asks whether to save them
    /// (Save, Don't save, Cancel) and saves when asked to. True to go on: nothing unsaved,
    /// "Don't save", or saved; false (cancelled, or the save failed) leaves everything as it was.
    bool offerToSaveChanges();
    /// lblMassesFile: the masses file last opened or saved, or none.
    void showMassesFile();
    /// Replaces the library by the masses file at `path` (a file that cannot be read is
    /// reported and leaves the library as it was).
    void openMassesFile(const QString &path);
    /// Asks for a file and saves the library; false when cancelled, refused or failed.
    bool saveLibrary();
    /// The masses file to open or add, from OpenDialog1 with `title`; empty when cancelled.
    QString askMassesFile(const QString &title);
    /// The name dialog with `check` as its validator; the accepted name, or nothing.
    std::optional<QString> askLibraryName(const QString &caption, std::optional<QString> preset,
                                          std::function<QString(const QString &)> check);
    /// Rebuilds lbNames from the library; the current row follows the selected mass.
    void fillMassList();
    /// Rebuilds lbLayers from the selected mass's rows; each item carries its row.
    void fillLayerList();
    /// Fields, sbFullView and sbStartPrg: enabled while a layer is selected.
    void enableLayerControls(bool layerSelected);
    /// Shows CurrentParams in the fields (not taken as editing), then the graph in full view.
    void showRecord();
    /// Move hints and Edit20's mode hint in the current language (also after a language switch).
    void ReLanguageLibrary();
    /// lblVacDimension and Edit20's hint for a vacuum-off point given as a time or a temperature.
    void setVacOffForm(bool byTime);
    /// The lists and fields after a move: the moved layer, or the moved mass, stays selected.
    void showMoved(bool layerMoved);
    /// Guards Edit1Exit against the focus changes it makes itself.
    bool m_inFieldExit = false;
    /// Marks each parameter field out of range (a red frame, the range in its hint) while it
    /// is; no field is marked while no layer is selected (Unit1_fields.cpp).
    void markFieldRanges();
    /// The masses file last opened or saved: what the save dialog proposes and lblMassesFile
    /// shows.
    QString m_lastMassesFile;
    /// The masses file's name at the top of gbMass.
    ElidedLabel *lblMassesFile = nullptr;
    /// The fields' key filter and leave check. Owned here, not by the widget tree, so that it
    /// is gone before the fields are destroyed (their last focus-out must not reach handlers
    /// whose state is already destroyed).
    std::unique_ptr<QObject> m_fieldWatcher;
    // --- end library (private) ------------------------------------------------------------

    // --- run (private) --------------------------------------------------------------------
    void connectRunHandlers();
    /// What the run monitor needs to know of this window at a tick that the watchdog opened.
    TickInputs tickInputs(const WatchdogResult &watchdog);
    /// Carries out what the run monitor decided for this tick (`timedOut`: the furnace did not
    /// answer).
    void applyTick(const TickPlan &plan, bool timedOut);
    /// A controller fault: the run ends with it and one box tells the user, without holding up
    /// the ticks; closing the box ends the run on the console side.
    void reportFault(const QString &fault);
    /// The running program's position on the curve, its step in panel 4, and its end once it
    /// reached its last step.
    void showRunningProgram(const TickPlan &plan);
    /// Locks (running) or unlocks the controls a run must not touch.
    void setRunLocks(bool running);
    /// The console side of a run's end: idle again, the controls unlocked; sends nothing.
    void releaseRun();
    /// Asks the furnace to start the program, after a stop still waiting to go out.
    void requestProgramStart();
    /// The payload of the program start and update requests: the current record.
    int programPayload(quint8 *payload);

    /// What each tick does: the watchdog's display, the fault report, the idle chamber cycle,
    /// the service procedures and the running program; also the run clock and the run watch.
    RunMonitor m_runMonitor;
    std::function<void()> m_officesRefresh;
    std::function<void(quint8)> m_serviceProgress;
    // --- end run (private) ----------------------------------------------------------------

    // --- upload (private) -----------------------------------------------------------------
    /// Creates the upload sequence and its progress bar (called once by the constructor).
    void connectTransferHandlers();
    /// The progress bar's texts and lblMassSel's hint in the current language.
    void ReLanguageTransfer();
    /// lblMassSel shows `text` (the selected layer's number in the library), and its accessible
    /// name says so.
    void showLayerNumber(const QString &text);
    std::unique_ptr<TransferSequence> m_transfer;
    QProgressBar *pbTransfer = nullptr;
    // --- end upload (private) -------------------------------------------------------------

    void buildActions();
    void buildMenus();
    QWidget *buildToolBar();
    QWidget *buildLeftColumn();
    QWidget *buildParameterGroups();
    QWidget *buildGraphArea();
    void buildStatusBar();
    void fillControlTables();
    QToolButton *toolButton(const char *name, const char *icon);
    QLabel *label(const char *name, const QString &text, QWidget *parent = nullptr);
    void setHint(QWidget *widget, const QString &hint);
    /// Text of a pair from the main window's store in the current language.
    template<typename Pair>
    QString tx(const Pair &pair) const
    {
        return pair.text(m_console.Language);
    }
    void onPortFailed(const QString &reason);
    QStringList portList() const;
    /// At start: opens the port given on the command line, or the one the port window asks
    /// for; without one, the port list shows in the window.
    void openStartPort();
    /// Writes what a decoded reply shows at once (buttons, labels, status-bar panels 0..3).
    void onReplyDecoded(const DecodeResult &result);
    void setPanel(int i, const QString &text, int width = -1);

    ConsoleOptions m_options;
    Dialogs &m_dialogs;
    ConsoleState m_console;
    std::unique_ptr<Link> m_link;

    // Tool bar.
    QWidget *SpeedBar = nullptr;
    QToolButton *sbOpenFile = nullptr;
    QToolButton *sbAddFile = nullptr;
    QToolButton *sbSaveFile = nullptr;
    QToolButton *sbStartPrg = nullptr;
    QToolButton *sbStopPrg = nullptr;
    QToolButton *sbExit = nullptr;
    QToolButton *sbTemperature = nullptr;
    QToolButton *sbPressure = nullptr;
    QLabel *lblChamberState = nullptr;
    QToolButton *sbChamberOpen = nullptr;
    QToolButton *sbChamberClose = nullptr;
    QToolButton *sbRst = nullptr;
    QLabel *lblTsupport = nullptr;
    QLabel *lblVacEconMode = nullptr;
    QLabel *lblTime = nullptr;
    QLabel *lblDate = nullptr;

    // Left column.
    QLabel *lblMassSel = nullptr;
    QToolButton *sbUpMass = nullptr;
    QToolButton *sbDnMass = nullptr;
    QComboBox *cmbSelPort = nullptr;
    QPushButton *btnSend = nullptr;
    QGroupBox *gbMass = nullptr;
    QListWidget *lbNames = nullptr;
    QPushButton *btnAddMass = nullptr;
    QPushButton *btnDelMass = nullptr;
    QGroupBox *gbLayer = nullptr;
    QListWidget *lbLayers = nullptr;
    QPushButton *btnAddLayer = nullptr;
    QPushButton *btnDelLayer = nullptr;
    QGroupBox *gbMessage = nullptr;
    QPlainTextEdit *mMessage = nullptr;
    QLabel *lblPacketErr = nullptr;

    // Parameter groups.
    std::array<QLineEdit *, 20> m_fields{};
    QLabel *lblFiringDimension = nullptr;
    QLabel *lblVacDimension = nullptr;

    // Graph.
    FiringCurveView *pbGraph = nullptr;
    QToolButton *sbZoomIn = nullptr;
    QToolButton *sbZoomOut = nullptr;
    QPushButton *sbFullView = nullptr;

    // Status bar and non-visual pieces.
    QStatusBar *StatusLine = nullptr;
    std::array<QLabel *, PanelCount> m_panels{};
    QTimer *Timer1 = nullptr;
    FileDialogSettings *OpenDialog1 = nullptr;
    FileDialogSettings *SaveDialog1 = nullptr;
    GlyphList *ImageList1 = nullptr;

    // Menu.
    QMenu *mmFile = nullptr;
    QAction *mmOpen = nullptr;
    QAction *mmAdd = nullptr;
    QAction *mmSave = nullptr;
    QAction *mmExit = nullptr;
    QMenu *mmEdit = nullptr;
    QAction *mmCopy = nullptr;
    QAction *mmPaste = nullptr;
    QMenu *mmAddition = nullptr;
    QMenu *mmService = nullptr;
    QAction *mmServiceBasic = nullptr;
    QAction *mmServiceTuneReper = nullptr;
    QAction *mmOffice = nullptr;
    QMenu *mmLanguage = nullptr;
    QAction *mmRussian = nullptr;
    QAction *mmEnglish = nullptr;
    QMenu *mmHelp1 = nullptr;
    QAction *mmAbout1 = nullptr;

    MassLibrary m_library;
    LibrarySelection m_selection;

    // Control tables walked by the language switch, in the text store's order.
    std::vector<QLabel *> m_labelTable;
    std::vector<QGroupBox *> m_groupTable;
    std::vector<QPushButton *> m_buttonTable;
    std::vector<QObject *> m_menuTable;
    std::vector<QWidget *> m_hintTable;

    // --- run view (private) ---------------------------------------------------------------
    /// Connects the run view to the link and greys the live displays until the first replies.
    void connectRunView();
    /// A run starts: a fresh trace of the selected layer, the run clock from 0.
    void startRunView();
    /// The run ended (once; later calls change nothing).
    void endRunView(RunOutcome outcome, const QString &detail = {});
    /// Each tick before the program display: one sample when the furnace answered.
    void sampleRun(bool timedOut);
    /// Each tick at its end: greys the live displays after a time-out, refreshes the run panel
    /// and sets the window title (`title` while a program runs, else the port caption).
    void updateRunView(bool timedOut, const QString &title);
    void onRunViewReply(const DecodeResult &result);
    void showRunPanel();
    void applyStaleLooks();
    /// Accessible names, the graph's and the run panel's texts in the current language.
    void ReLanguageRunView();
    /// Ends the run as interrupted for `loss`: record, run panel, log line, idle controls. No
    /// stop is sent: the furnace runs nothing to stop.
    void interruptRun(RunLoss loss);
    /// Furnace seconds per real second on the line in use.
    double furnaceTimeScale() const;
    /// The run clock now: furnace seconds since the start.
    double runClockNow() const;

    QString m_caption; ///< "ZKV4.6 CONSOLE", or with the opened port
    /// The last firing: its facts, samples (which the measured curve draws) and events.
    FiringRecord m_firingRecord;
    /// The record of the layer that ran; kept so that it cannot be mistaken for another one.
    std::shared_ptr<ProgParam> m_ranRecord;
    /// Real time since the last tick, which the run clock counts in furnace time.
    QElapsedTimer m_runTimer;
    double m_statusAt = 0;   ///< run clock when the last status (temperature, step) came
    double m_zoneTimeAt = 0; ///< run clock when the last zone time came
    int m_zoneTimeZone = -1; ///< the step that zone time was counted in, as known then
    bool m_remainingKnown = false;
    /// Whether the controller's mode (99), stage (3) and remaining time (70) came since the
    /// last tick: the run watch judges a whole poll round only.
    bool m_roundMode = false;
    bool m_roundStage = false;
    bool m_roundRemaining = false;
    /// The program start of the run has gone out (a start may wait for the stop of the run
    /// before); until then the run hears nothing of the controller.
    bool m_programStartSent = true;
    /// What an ended run shows: the step it ended in, the time it still had then.
    int m_endZone = 0;
    std::optional<quint16> m_endRemaining;
    quint32 m_stale = 0; ///< LiveDisplay bits
    /// The live displays' accessible names, kept in step with what they show.
    AccessibleValues m_accessibleValues;
    /// Qt's own texts (standard buttons, file dialogs) follow the language.
    ToolkitTranslation m_toolkitTranslation;
    void connectAccessibleValues();
    RunPanel *pnlRun = nullptr;
    // --- end run view (private) -----------------------------------------------------------
    // --- reconnecting a failed port (Unit1_reconnect.cpp) ---------------------------------
    /// Creates the reconnector that reopens a failed port (called once by the constructor).
    void connectReconnectHandlers();
    /// The line failed: an upload under way ends as on a time-out.
    void endTransferOnLineFailure();
    /// The line is back: logged as an open is.
    void onPortReopened();
    std::unique_ptr<PortReconnector> m_reconnector;
    // --- end reconnecting (private) -------------------------------------------------------

    // --- firing records (private) ---------------------------------------------------------
    /// Adds the record items to the File menu and follows the link for the record's events
    /// (called once by the constructor).
    void connectRecordHandlers();
    /// The record items' texts in the current language.
    void ReLanguageRecords();
    /// What the record of a firing starting now holds: mass, layer, record, port, furnace.
    FiringFacts firingFacts() const;
    /// The record items are enabled while a record exists.
    void enableRecordActions();
    /// A run ended with `kind` (Fault, Abort, Finished or Interrupted; `text` the fault or the
    /// reason): the alert and the automatic save.
    void recordEnded(RecordEventKind kind, const QString &text);
    /// Saves `record` into the record folder as CSV and PDF, with its logbook hash when it has
    /// one; failures are logged.
    void autoSaveRecord(const FiringRecord &record, const QByteArray &hash);
    /// The ended firing is saved into the record folder once the logbook sealed it (so that the
    /// files carry its hash), or at once where there is no logbook to wait for.
    void scheduleAutoSave();
    void alertRunEnded(const QString &text);
    /// "ZKV4.6 CONSOLE 1.0.0".
    QString consoleName() const;
    /// Folder and name the save dialog proposes for a file of `record` with `suffix`.
    QString proposedRecordPath(const FiringRecord &record, const QString &suffix) const;
    /// Writes a record file the user asked for; a failure is shown in a box.
    bool writeRecordFile(const QString &path, const QByteArray &bytes);

    QAction *mmSaveRecord = nullptr;
    QAction *mmRecordPdf = nullptr;
    QAction *mmPrintRecord = nullptr;
    QString m_lastRecordFolder;
    QSystemTrayIcon *m_trayIcon = nullptr;
    // --- end firing records (private) -----------------------------------------------------

    /// The fault box of the run is open: the fault is not acknowledged yet.
    QString m_unacknowledgedFault;
    /// The menu items of the console's furnace windows (called once by the constructor).
    void connectWindowsHandlers();
    void ReLanguageWindows();
    QAction *mmNewWindow = nullptr;
    QAction *mmOverview = nullptr;
    // --- furnace health (private, Unit1_health.cpp) ----------------------------------------
    /// The due checks' label, the drift and checks in the run panel, the simulator's ageing
    /// (called once by the constructor).
    void connectHealthHandlers();
    void ReLanguageHealth();
    /// The furnace identified itself: its checks are followed.
    void followFurnace();
    /// Asks the logbook how the furnace's checks stand.
    void evaluateChecks();
    /// The checks that are due (or only the overdue ones), as texts.
    QStringList dueChecks(bool overdueOnly) const;
    /// The status bar's check label and the run panel's health lines.
    void showHealth();
    /// A program starts: the last drift is forgotten, an overdue check named once.
    void healthFiringStarted();
    /// Settings → Simulated furnace ageing...
    void mmSimAgeingClick();
    QAction *mmHealth = nullptr;
    QPointer<HealthWindow> m_healthWindow;

    QString m_furnaceKey;
    QList<DriftFlag> m_drift;
    QList<CheckStatus> m_checkStatuses;
    QList<CheckUsage> m_checkUsages;
    QLabel *lblChecks = nullptr;
    QAction *mmSimAgeing = nullptr;
    // --- end furnace health (private) -----------------------------------------------------

    // --- firing logbook (private) ---------------------------------------------------------
    /// Creates the logbook and its status-bar label (called once by the constructor).
    void connectLogbookHandlers();
    void ReLanguageLogbook();
    /// The status-bar label: in use, off, or failed with its reason.
    void showLogbookState();
    /// A firing started, ran a tick or ended: its entry is written as it stands.
    void logbookFiringStarted();
    void logbookFiringTick();
    void logbookFiringEnded();
    /// The user changed the case reference or note in the run panel: part of the running
    /// firing, or an amendment of the ended one.
    void notesEdited(const QString &field, const QString &text);
    /// Who fires: --operator, else the system user.
    QString operatorName() const;

    /// The history window and what it opened close (before the logbook goes).
    void closeLogbookWindows();

    std::unique_ptr<Logbook> m_logbook;
    QLabel *lblLogbook = nullptr;
    QAction *mmHistory = nullptr;
    QPointer<HistoryWindow> m_history;
    QByteArray m_firingHash;
    /// The last reason logged for a logbook that fails (each is logged once).
    QString m_loggedLogbookProblem;
    /// The ended firing whose automatic save waits for its logbook hash.
    std::optional<FiringRecord> m_autoSaveWaiting;
    // --- end firing logbook (private) -----------------------------------------------------

    // --- service windows (private) --------------------------------------------------------
    void connectServiceHandlers();
    /// Each service window, created on first use and kept.
    struct ServiceWindows;
    struct ServiceWindowsDeleter {
        void operator()(ServiceWindows *windows) const;
    };
    /// Declared last among the members, so that the windows go before the state they use.
    std::unique_ptr<ServiceWindows, ServiceWindowsDeleter> m_serviceWindows;
    // --- end service windows (private) ----------------------------------------------------
};
