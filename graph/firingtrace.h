// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

/// How a run of a firing program ended.
enum class RunOutcome {
    Running,  ///< not ended yet
    Finished, ///< the controller reached its last step
    Aborted,  ///< ended from the console (the user's abort)
    Fault,    ///< the controller reported a fault
    /// The furnace stopped running the program without finishing it or reporting a fault (it
    /// restarted, never took the program, or stayed silent too long).
    Interrupted,
};

/// What the furnace reported at one answered tick of a running program.
struct TraceSample {
    /// Seconds of furnace time since the program was started from the console, when the
    /// reading (temperature, step) came (see FiringTrace). Never decreases from one sample to
    /// the next.
    double Seconds = 0;
    /// Local time of day at which the tick came.
    QDateTime WallClock;
    quint8 CurrentZone = 0; ///< program step being executed (0..19)
    /// Seconds the controller had spent in that step at the reading; 0 when it has not reported
    /// its time in this step yet.
    quint16 ZoneTime = 0;
    QString StageText;       ///< the stage text shown for that step, in the language of the moment
    quint16 ChamberTemp = 0; ///< °C
    quint8 Vacuum = 0;       ///< % rarefaction
    quint8 ChamberStatus = 0;
    quint8 ControllerMode = 0;
};

/// The samples of one run of a firing program, kept from its start until the next start: the
/// one sampling of a run, shared by everything that shows or records it (the measured curve
/// over the plan, the run panel, a record of the firing).
///
/// Contract: start() begins a run and forgets the previous one; while the run has not ended the
/// owner adds one sample per tick on which the furnace answered (none for silent ticks); finish()
/// ends it once, with how and when; samples offered after that are ignored. Seconds count furnace
/// time: on a real furnace they are the seconds of the console's monotonic clock; a simulator that
/// runs faster than real time has its own time scale applied by the owner. A run keeps at most
/// MaxSamples samples (a day at the 800 ms tick); later ones are counted in dropped() and not
/// kept. User-interface thread only, like the furnace image it is filled from.
class FiringTrace
{
public:
    static constexpr qsizetype MaxSamples = 108000;
    /// The first program step of the planned curve: earlier steps are the preparation.
    static constexpr int FirstPlannedZone = 3;

    /// Begins a run started at `wallClock`; the previous run's samples are gone.
    void start(const QDateTime &wallClock);
    /// Adds `sample` to a running run. Ignored before start(), after finish(), when its
    /// Seconds are negative or not finite, and when they lie before the last sample's (a clock
    /// that went backwards).
    void add(const TraceSample &sample);
    /// Ends the run once: `outcome` (not Running), when, and for a fault or an interruption
    /// the text saying why.
    /// Ignored when no run is going on.
    void finish(RunOutcome outcome, const QDateTime &when, const QString &detail = {});
    /// A run as it was kept (the firing logbook): started at `startedAt` with `samples` (taken
    /// through add(), so the same rules apply), `dropped` more not kept, ended with `outcome`
    /// at `endedAt` (Running leaves it unended).
    static FiringTrace restored(const QDateTime &startedAt, const QList<TraceSample> &samples,
                                qsizetype dropped, RunOutcome outcome, const QDateTime &endedAt,
                                const QString &detail);

    /// A run was started (it may have ended since).
    bool hasRun() const { return m_hasRun; }
    bool running() const { return m_hasRun && m_outcome == RunOutcome::Running; }
    RunOutcome outcome() const { return m_outcome; }
    QDateTime startedAt() const { return m_startedAt; }
    /// When the run ended; invalid while it runs.
    QDateTime endedAt() const { return m_endedAt; }
    /// Why the run ended for RunOutcome::Fault and Interrupted; empty otherwise.
    QString endDetail() const { return m_endDetail; }

    const QList<TraceSample> &samples() const { return m_samples; }
    /// Samples not kept because the run outgrew MaxSamples.
    qsizetype dropped() const { return m_dropped; }
    /// Index of the first sample taken in step 3 or later. -1 while the controller is still
    /// preparing.
    qsizetype plannedStart() const { return m_plannedStart; }

private:
    QList<TraceSample> m_samples;
    QDateTime m_startedAt;
    QDateTime m_endedAt;
    QString m_endDetail;
    RunOutcome m_outcome = RunOutcome::Running;
    qsizetype m_dropped = 0;
    qsizetype m_plannedStart = -1;
    bool m_hasRun = false;
};
