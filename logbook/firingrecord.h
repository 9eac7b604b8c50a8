// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/firingtrace.h"
#include "library/progparam.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

/// What can happen to a firing, as its record lists it.
enum class RecordEventKind {
    Start,    ///< the program was started from the console
    LinkLost, ///< the furnace stopped answering, or its port failed
    LinkBack, ///< the furnace answered again after a loss
    Fault,    ///< the controller reported a fault; ends the run
    Abort,    ///< the run was ended from the console; ends the run
    Finished, ///< the controller reached its last step; ends the run
    /// The furnace stopped running the program unasked; ends the run (the detail says why).
    Interrupted,
};

/// One event of a firing with the local time it happened.
struct RecordEvent {
    RecordEventKind kind = RecordEventKind::Start;
    QDateTime when;
    QString detail; ///< the fault text of a Fault, the reason of an Interrupted; else empty
};

/// What a firing ran and where; fixed at its start (the furnace's name may come later).
struct FiringFacts {
    QString massName;
    QString layerName;
    ProgParam record; ///< the layer's record as it was started
    QString port;
    /// The computer the furnace is connected to: a port names a furnace only on its computer.
    QString host;
    /// The furnace as it named itself ("ZKV4.6"); empty while it has not identified itself.
    QString furnaceModel;
    quint8 versionMajor = 0;
    quint8 versionMinor = 0;
    /// Who fired it: the system user's name unless the laboratory set another.
    QString operatorName;
    /// The program that fired it ("ZKV4.6 CONSOLE 1.0.0").
    QString console;
};

/// The record of one firing: its facts, the samples of its run (the one sampling of a run,
/// which the measured curve draws too) and its events, from the start until the run ended.
/// Made afresh by start(); the last record stays until the next start. User-interface thread
/// only, like the trace it holds.
class FiringRecord
{
public:
    /// A run whose link flaps adds two events per loss; beyond this many they are counted only.
    static constexpr qsizetype MaxEvents = 500;

    /// Forgets the previous record and begins this one with its Start event and a new uid.
    void start(const FiringFacts &facts, const QDateTime &when);
    /// A record as the firing logbook kept it; events beyond MaxEvents are counted as dropped.
    static FiringRecord restored(const QString &uid, const FiringFacts &facts,
                                 const FiringTrace &trace, const QList<RecordEvent> &events,
                                 qsizetype droppedEvents, const QString &caseReference,
                                 const QString &note);
    /// Records an event of the running firing; ignored before start() and after the end.
    /// LinkLost counts only while the link is up, LinkBack only after a loss (so a caller may
    /// report every silent and every answered tick). Fault, Abort, Finished and Interrupted end
    /// the run with that outcome (`detail`: the fault's text, the interruption's reason); Start
    /// is recorded by start() only.
    void addEvent(RecordEventKind kind, const QDateTime &when, const QString &detail = {});
    /// Takes the furnace's name and version while the record does not know them yet.
    void noteFurnace(const QString &model, quint8 major, quint8 minor);

    /// The case reference and the note the user gave this firing (during it or after it).
    void setCaseReference(const QString &text) { m_caseReference = text; }
    void setNote(const QString &text) { m_note = text; }
    QString caseReference() const { return m_caseReference; }
    QString note() const { return m_note; }
    /// The heater's work time (s, as the controller counts it) from a settings block read while
    /// the firing ran; the furnace's health keeps it with the firing's figures.
    void setHeaterWorkTime(qint64 seconds) { m_heaterWorkTime = seconds; }
    std::optional<qint64> heaterWorkTime() const { return m_heaterWorkTime; }

    /// This firing's identity in the firing logbook: a UUID made at its start, without braces.
    QString uid() const { return m_uid; }
    /// A firing was started (it may have ended since).
    bool exists() const { return m_trace.hasRun(); }
    bool running() const { return m_trace.running(); }
    const FiringFacts &facts() const { return m_facts; }
    FiringTrace &trace() { return m_trace; }
    const FiringTrace &trace() const { return m_trace; }
    const QList<RecordEvent> &events() const { return m_events; }
    /// Events not kept because the record already held MaxEvents.
    qsizetype droppedEvents() const { return m_droppedEvents; }
    /// The furnace has been silent since the last LinkLost.
    bool linkLost() const { return m_linkLost; }

private:
    void append(RecordEventKind kind, const QDateTime &when, const QString &detail);

    QString m_uid;
    FiringFacts m_facts;
    FiringTrace m_trace;
    QString m_caseReference;
    QString m_note;
    std::optional<qint64> m_heaterWorkTime;
    QList<RecordEvent> m_events;
    qsizetype m_droppedEvents = 0;
    bool m_linkLost = false;
};
