// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/firingrecord.h"
#include "logbook/furnacehealth.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class LogbookWriter;
class QThread;

/// Where and how a console keeps its firing logbook.
struct LogbookSettings {
    /// The logbook's file; empty turns the logbook off.
    QString file;
    /// Real seconds between two writes of a running firing's samples and events.
    int flushSeconds = 10;
    /// A console silent this long has died: its running firings are sealed as interrupted.
    int staleSeconds = 120;
    /// Test hook: SQLite may grow the file to this many pages only (a full disk); 0: no limit.
    qint64 maxPageCount = 0;
    /// Where firings wait while a shared logbook's server cannot be reached: a SQLite file on
    /// this computer. Empty: Logbook::SpoolFileFor(file) for a server's logbook, none for a file.
    QString spoolFile{};
};

/// The firing logbook as a window uses it: it hands each firing (started, every flushSeconds
/// while it runs, ended) and each amendment to a writer on a thread of its own and says how the
/// logbook fares. Nothing here waits for the database: a logbook that cannot be opened or
/// written never holds up the window or the firing; it is then off, and says why, and is tried
/// again at the next write (what the firing holds in memory is written then). User-interface
/// thread only.
class Logbook : public QObject
{
    Q_OBJECT
public:
    enum class State {
        Off,     ///< turned off (--no-logbook, or no file)
        Opening, ///< being opened
        On,      ///< open and written
        Failed,  ///< could not be opened or written: problem() says why
    };
    Q_ENUM(State)

    explicit Logbook(const LogbookSettings &settings, QObject *parent = nullptr);
    /// Writes what is still queued (at most a few seconds when the database is locked), ends
    /// this console's session and stops the writer.
    ~Logbook() override;

    /// The default logbook file: logbook.sqlite in the user's application data folder.
    static QString DefaultFile();
    /// The system user's name, the default operator.
    static QString SystemUserName();
    /// The spool of the shared logbook at `location`: a file in the user's application data
    /// folder, one per logbook.
    static QString SpoolFileFor(const QString &location);
    /// The logbook is kept on a database server (shared by the laboratory's consoles).
    bool shared() const;
    /// Firings kept in the spool on this computer until the server takes them.
    int waiting() const { return m_waiting; }

    State state() const { return m_state; }
    QString file() const { return m_settings.file; }
    /// Why the logbook is off after a failure, in plain words.
    QString problem() const { return m_problem; }

    /// A firing started: its entry is made.
    void firingStarted(const FiringRecord &record);
    /// A tick of a running firing: its new samples and events are written every flushSeconds.
    void firingTick(const FiringRecord &record);
    /// The firing ended: its entry is completed and sealed.
    void firingEnded(const FiringRecord &record);
    /// The case reference (`field` "case") or the note ("note") of the sealed entry `uid`
    /// changed: an amendment is appended.
    void amend(const QString &uid, const QString &field, const QString &value,
               const QString &operatorName);
    /// Appends `record`, read from a firing-record file of an earlier console, as an imported
    /// entry: imported() or entryFailed() tells how it went.
    void importRecord(const FiringRecord &record);
    /// The checks set for `furnaceKey` are weighed against what the furnace did since each was
    /// done: checksEvaluated() answers.
    void evaluateChecks(const QString &furnaceKey);
    /// Waits until everything handed over so far is written (tests, benchmarks); false after
    /// `msecs` ms.
    bool waitForWrites(int msecs = 10000);

signals:
    /// The state changed; `problem` says why when it is Failed.
    void stateChanged(Logbook::State state, const QString &problem);
    /// An ended firing's entry was sealed with `hash` (32 bytes).
    void entrySealed(const QString &uid, const QByteArray &hash);
    /// The figures of the firing `uid`, just sealed, left its furnace's baseline.
    void driftFound(const QString &uid, const QList<DriftFlag> &flags);
    /// How the checks of `furnaceKey` stand, with what the furnace did since each was done.
    void checksEvaluated(const QString &furnaceKey, const QList<CheckStatus> &statuses,
                         const QList<CheckUsage> &usages);
    /// The firing `uid` could not be kept, or was kept only partly; `problem` says why.
    void entryFailed(const QString &uid, const QString &problem);
    /// An amendment was appended with `hash`.
    void amended(const QString &uid, const QString &field, const QByteArray &hash);
    /// An imported record was appended with `hash`.
    void imported(const QString &uid, const QByteArray &hash);
    /// Firings of a console that ended during them were sealed as interrupted at opening.
    void recovered(int count);
    /// The number of firings waiting in the spool for the server changed.
    void waitingChanged(int count);

private:
    void setState(State state, const QString &problem);
    void post(const FiringRecord &record);

    LogbookSettings m_settings;
    State m_state = State::Off;
    QString m_problem;
    QThread *m_thread = nullptr;
    LogbookWriter *m_writer = nullptr;
    QElapsedTimer m_sinceFlush;
    quint64 m_posted = 0;
    quint64 m_written = 0;
    int m_waiting = 0;
};
