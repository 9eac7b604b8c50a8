// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/entrycontent.h"
#include "logbook/firingrecord.h"
#include "logbook/furnacehealth.h"
#include "logbook/logbookdb.h"
#include "logbook/logbookdbtools.h"
#include "logbook/samplecodec.h"
#include "tests/support/samplefiring.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <cmath>

/// A synthetic logbook for the benchmarks: `entries` sealed firings of `samples` readings each,
/// with a valid hash chain, written straight into the schema in large transactions (a console
/// seals one firing at a time; writing 100,000 that way would take an hour of disk syncs).
class LogbookGenerator
{
public:
    static constexpr int Templates = 16;

    explicit LogbookGenerator(int samples)
        : m_samples(samples)
    {
        QRandomGenerator random(20261207);
        for (int t = 0; t < Templates; ++t) {
            const QList<TraceSample> samples = firing(random, t);
            m_blobs.append(SampleCodec::Encode(samples, Base));
            // Its figures, as the logbook measures them at the seal.
            FiringFacts facts;
            facts.record = SampleFiring();
            FiringRecord record;
            record.start(facts, Base);
            record = FiringRecord::restored(
                record.uid(), facts,
                FiringTrace::restored(Base, samples, 0, RunOutcome::Finished,
                                      Base.addMSecs(800 * qint64(samples.size())), {}),
                record.events(), 0, {}, {});
            HealthPoint point = HealthPointOf(record);
            // The synthetic ramp and pump-down are not a program's: what a furnace's would give.
            point.heatingRate = point.heatingRate.value_or(54.0 + 0.1 * t);
            point.heatingRatePlanned = point.heatingRatePlanned.value_or(55.0);
            point.bandRate = point.bandRate.value_or(52.0 + 0.1 * t);
            point.reachSeconds = point.reachSeconds.value_or(590.0 + t);
            point.vacuumSeconds = point.vacuumSeconds.value_or(40.0 + t);
            m_points.append(point);
        }
    }

    /// A firing as a real furnace reports it: preparation, holds, a ramp at 55 °C/min with a
    /// little regulation noise, the hold at 930 °C, cooling.
    QList<TraceSample> firing(QRandomGenerator &random, int variant) const
    {
        QList<TraceSample> samples;
        double temp = 400 + variant;
        for (int i = 0; i < m_samples; ++i) {
            const double phase = double(i) / m_samples;
            const int zone = std::min(18, 3 + int(phase * 16));
            const double target = zone < 11 ? 400 + phase * 600 : zone <= 12 ? 930 : 650;
            temp += (target - temp) * 0.05 + random.bounded(3) - 1;
            TraceSample s;
            s.Seconds = 0.8 * i;
            s.WallClock = Base.addMSecs(800 * i);
            s.CurrentZone = quint8(zone);
            s.ZoneTime = quint16(i % 120);
            s.StageText = QStringLiteral("Stage %1 of the firing, %2 °C").arg(zone).arg(930);
            s.ChamberTemp = quint16(std::max(0.0, temp));
            s.Vacuum = quint8(zone >= 7 && zone <= 12 ? std::min(95, (i % 400) / 4) : 0);
            s.ChamberStatus = 3;
            s.ControllerMode = 32;
            samples.append(s);
        }
        return samples;
    }

    /// Appends `count` entries to the logbook open in `db` (from an empty chain). False with
    /// the reason in `error`.
    bool fill(LogbookDb &db, qint64 count, QString *error)
    {
        QSqlDatabase sql = db.database();
        QSqlQuery q(sql);
        q.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        const QStringList masses{QStringLiteral("Opaque"),     QStringLiteral("Dentine"),
                                 QStringLiteral("Enamel"),     QStringLiteral("Glaze"),
                                 QStringLiteral("Correction"), QStringLiteral("Дентин Б2"),
                                 QStringLiteral("Shoulder"),   QStringLiteral("Stain")};
        QSqlQuery entry(sql);
        entry.prepare(QStringLiteral(
            "INSERT INTO entries (uid, started_at, ended_at, outcome, outcome_detail, mass, "
            "layer, params, port, host, furnace_model, furnace_version, console, operator, "
            "case_ref, "
            "note, imported, sample_count, current_case, current_note, search_text, chain_seq, "
            "hash) VALUES (?, ?, ?, ?, '', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?, ?, ?, ?, ?)"));
        QSqlQuery blob(sql);
        blob.prepare(QStringLiteral("INSERT INTO entry_samples (entry_id, data) VALUES (?, ?)"));
        QSqlQuery event(sql);
        event.prepare(QStringLiteral(
            "INSERT INTO events (entry_id, seq, at, kind, detail) VALUES (?, ?, ?, ?, '')"));
        const ProgParam::Payload payload = SampleFiring().toPayload();
        const QByteArray params(reinterpret_cast<const char *>(payload.data()),
                                qsizetype(payload.size()));
        QByteArray previous;
        q.exec(QStringLiteral("BEGIN"));
        for (qint64 i = 0; i < count; ++i) {
            EntryContent c;
            c.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
            c.startedMs = Base.toMSecsSinceEpoch() - (count - i) * 20 * 60 * 1000;
            c.endedMs = c.startedMs + qint64(m_samples) * 800;
            c.outcome = i % 23 == 0 ? QStringLiteral("aborted") : QStringLiteral("finished");
            c.mass = masses[i % masses.size()];
            c.layer = QStringLiteral("%1 %2").arg(c.mass).arg(i % 5 + 1);
            c.params = params;
            c.port = i % 3 ? QStringLiteral("/dev/ttyUSB0") : QStringLiteral("/dev/ttyUSB1");
            c.host = QStringLiteral("lab-pc");
            c.furnaceModel = QStringLiteral("ZKV4.6");
            c.furnaceVersion = QStringLiteral("1.05");
            c.console = QStringLiteral("ZKV4.6 CONSOLE 1.0.0");
            c.operatorName = i % 2 ? QStringLiteral("anna") : QStringLiteral("boris");
            c.caseReference = QStringLiteral("K-%1").arg(i);
            c.note = i % 7 == 0 ? QStringLiteral("bridge, shade A%1").arg(i % 4 + 1) : QString();
            c.sampleCount = m_samples;
            c.samples = m_blobs[i % Templates];
            c.events = {{c.startedMs, QStringLiteral("start"), {}},
                        {c.endedMs,
                         c.outcome == QLatin1String("aborted") ? QStringLiteral("abort")
                                                               : QStringLiteral("finished"),
                         {}}};
            const qint64 seq = i + 1;
            const QByteArray hash = LogbookChain::Hash(c, seq, previous);
            previous = hash;
            for (const QVariant &v :
                 QVariantList{c.uid,
                              c.startedMs,
                              c.endedMs,
                              c.outcome,
                              c.mass,
                              c.layer,
                              c.params,
                              c.port,
                              c.host,
                              c.furnaceModel,
                              c.furnaceVersion,
                              c.console,
                              c.operatorName,
                              c.caseReference,
                              LogbookSql::Text(c.note),
                              c.sampleCount,
                              c.caseReference,
                              LogbookSql::Text(c.note),
                              LogbookSql::SearchText(c.mass, c.layer, c.caseReference, c.note),
                              seq,
                              hash})
                entry.addBindValue(v);
            if (!entry.exec())
                return failed(entry, error);
            const qint64 id = entry.lastInsertId().toLongLong();
            blob.addBindValue(id);
            blob.addBindValue(c.samples);
            if (!blob.exec())
                return failed(blob, error);
            HealthPoint point = m_points[i % Templates];
            point.entryId = id;
            point.startedMs = c.startedMs;
            point.normal = c.outcome == QLatin1String("finished");
            point.furnaceKey = FurnaceKey(c.host, c.port, c.furnaceModel);
            if (!db.storeHealthPoint(point)) {
                if (error)
                    *error = db.error();
                return false;
            }
            for (qsizetype e = 0; e < c.events.size(); ++e) {
                event.addBindValue(id);
                event.addBindValue(qint64(e));
                event.addBindValue(c.events[e].atMs);
                event.addBindValue(c.events[e].kind);
                if (!event.exec())
                    return failed(event, error);
            }
            if (seq % 5000 == 0) {
                q.exec(QStringLiteral("COMMIT"));
                q.exec(QStringLiteral("BEGIN"));
            }
        }
        QSqlQuery head(sql);
        head.prepare(QStringLiteral("UPDATE chain_head SET seq = ?, hash = ? WHERE id = 1"));
        head.addBindValue(count);
        head.addBindValue(previous);
        if (!head.exec())
            return failed(head, error);
        q.exec(QStringLiteral("COMMIT"));
        q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        return true;
    }

    static inline const QDateTime Base{QDate(2026, 12, 1), QTime(8, 0)};

private:
    static bool failed(const QSqlQuery &q, QString *error)
    {
        if (error)
            *error = q.lastError().text();
        return false;
    }

    int m_samples;
    QList<HealthPoint> m_points;
    QList<QByteArray> m_blobs;
};
