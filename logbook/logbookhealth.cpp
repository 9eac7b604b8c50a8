// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's connection: the figures of each firing its furnace's health is judged by, the
// tolerances, and the checks the laboratory makes at intervals.

#include "logbook/logbookdb.h"

#include "logbook/logbookdbtools.h"

#include <QSqlQuery>

namespace
{

/// The columns of a health point, in the order pointOf() reads them.
constexpr const char *PointColumns =
    "entry_id, started_at, normal, furnace_key, program_key, heat_temp, band_low, band_high, "
    "heating_rate, heating_rate_planned, reach_seconds, band_rate, hold_deviation, "
    "hold_overshoot, vacuum_seconds, vacuum_level, vacuum_to_max_seconds, cooling_seconds, "
    "vacuum_on_seconds, heater_on_seconds, heater_work_time, flags";

std::optional<double> realOf(const QVariant &v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

std::optional<int> intOf(const QVariant &v)
{
    return v.isNull() ? std::nullopt : std::optional<int>(v.toInt());
}

template<typename T>
QVariant orNull(const std::optional<T> &v, QMetaType::Type type)
{
    return v ? QVariant::fromValue(*v) : QVariant(QMetaType(type));
}

HealthPoint pointOf(const QSqlQuery &q)
{
    HealthPoint p;
    p.entryId = q.value(0).toLongLong();
    p.startedMs = q.value(1).toLongLong();
    p.normal = q.value(2).toInt() != 0;
    p.furnaceKey = q.value(3).toString();
    p.programKey = q.value(4).toString();
    p.heatTemp = q.value(5).toInt();
    p.bandLow = q.value(6).toInt();
    p.bandHigh = q.value(7).toInt();
    p.heatingRate = realOf(q.value(8));
    p.heatingRatePlanned = realOf(q.value(9));
    p.reachSeconds = realOf(q.value(10));
    p.bandRate = realOf(q.value(11));
    p.holdDeviation = realOf(q.value(12));
    p.holdOvershoot = intOf(q.value(13));
    p.vacuumSeconds = realOf(q.value(14));
    p.vacuumLevel = intOf(q.value(15));
    p.vacuumToMaxSeconds = realOf(q.value(16));
    p.coolingSeconds = realOf(q.value(17));
    p.vacuumOnSeconds = q.value(18).toDouble();
    p.heaterOnSeconds = q.value(19).toDouble();
    if (!q.value(20).isNull())
        p.heaterWorkTime = q.value(20).toLongLong();
    const QString flags = q.value(21).toString();
    if (!flags.isEmpty())
        p.flags = flags.split(QLatin1Char(','));
    return p;
}

/// The tolerances as the health_settings table keeps them.
constexpr std::pair<const char *, double HealthTolerances::*> ToleranceNames[] = {
    {"heating_rate_percent", &HealthTolerances::heatingRatePercent},
    {"vacuum_time_percent", &HealthTolerances::vacuumTimePercent},
    {"hold_deviation", &HealthTolerances::holdDeviation},
    {"band_rate_percent", &HealthTolerances::bandRatePercent},
};

} // namespace

bool LogbookDb::storeHealthPoint(const HealthPoint &p)
{
    QSqlQuery d(db());
    d.prepare(QStringLiteral("DELETE FROM entry_figures WHERE entry_id = ?"));
    d.addBindValue(p.entryId);
    if (!d.exec())
        return failed(d);
    QSqlQuery q(db());
    q.prepare(QStringLiteral("INSERT INTO entry_figures (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                             "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                  .arg(QLatin1String(PointColumns)));
    q.addBindValue(p.entryId);
    q.addBindValue(p.startedMs);
    q.addBindValue(p.normal ? 1 : 0);
    q.addBindValue(p.furnaceKey);
    q.addBindValue(p.programKey);
    q.addBindValue(p.heatTemp);
    q.addBindValue(p.bandLow);
    q.addBindValue(p.bandHigh);
    q.addBindValue(orNull(p.heatingRate, QMetaType::Double));
    q.addBindValue(orNull(p.heatingRatePlanned, QMetaType::Double));
    q.addBindValue(orNull(p.reachSeconds, QMetaType::Double));
    q.addBindValue(orNull(p.bandRate, QMetaType::Double));
    q.addBindValue(orNull(p.holdDeviation, QMetaType::Double));
    q.addBindValue(orNull(p.holdOvershoot, QMetaType::Int));
    q.addBindValue(orNull(p.vacuumSeconds, QMetaType::Double));
    q.addBindValue(orNull(p.vacuumLevel, QMetaType::Int));
    q.addBindValue(orNull(p.vacuumToMaxSeconds, QMetaType::Double));
    q.addBindValue(orNull(p.coolingSeconds, QMetaType::Double));
    q.addBindValue(p.vacuumOnSeconds);
    q.addBindValue(p.heaterOnSeconds);
    q.addBindValue(orNull(p.heaterWorkTime, QMetaType::LongLong));
    q.addBindValue(LogbookSql::Text(p.flags.join(QLatin1Char(','))));
    return q.exec() || failed(q);
}

bool LogbookDb::storeFigures(qint64 id, const FiringRecord &record, bool judge,
                             QList<DriftFlag> *flags)
{
    HealthPoint point = HealthPointOf(record, id);
    if (judge && point.normal) {
        const QList<DriftFlag> found =
            CheckDrift(point, healthHistory(point.furnaceKey, point.programKey, point.startedMs),
                       healthHistory(point.furnaceKey, QString(), point.startedMs), tolerances());
        for (const DriftFlag &f : found)
            point.flags << HealthFigureName(f.figure);
        if (flags)
            *flags = found;
    }
    return storeHealthPoint(point);
}

QList<DriftFlag> LogbookDb::driftOf(qint64 id)
{
    m_error.clear();
    QList<DriftFlag> flags;
    if (m_schema < 2)
        return flags;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT %1 FROM entry_figures WHERE entry_id = ?")
                  .arg(QLatin1String(PointColumns)));
    q.addBindValue(id);
    if (!q.exec() || !q.next()) {
        failed(q);
        return flags;
    }
    const HealthPoint point = pointOf(q);
    if (point.flags.isEmpty())
        return flags;
    for (const DriftFlag &f :
         CheckDrift(point, healthHistory(point.furnaceKey, point.programKey, point.startedMs),
                    healthHistory(point.furnaceKey, QString(), point.startedMs), tolerances()))
        if (point.flags.contains(HealthFigureName(f.figure)))
            flags << f;
    return flags;
}

QStringList LogbookDb::healthFurnaces()
{
    m_error.clear();
    QStringList keys;
    QSqlQuery q(db());
    if (m_schema < 2)
        return keys;
    if (!q.exec(QStringLiteral("SELECT DISTINCT furnace_key FROM entry_figures ORDER BY "
                               "furnace_key"))) {
        failed(q);
        return keys;
    }
    while (q.next())
        keys << q.value(0).toString();
    return keys;
}

QList<HealthPoint> LogbookDb::healthPoints(const QString &furnaceKey, qint64 fromMs, qint64 toMs)
{
    m_error.clear();
    QList<HealthPoint> points;
    if (m_schema < 2)
        return points;
    QSqlQuery q(db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM entry_figures WHERE furnace_key = ? AND started_at "
                             ">= ? AND started_at < ? ORDER BY started_at")
                  .arg(QLatin1String(PointColumns)));
    q.addBindValue(furnaceKey);
    q.addBindValue(fromMs);
    q.addBindValue(toMs);
    if (!q.exec()) {
        failed(q);
        return points;
    }
    while (q.next())
        points << pointOf(q);
    return points;
}

QList<HealthPoint> LogbookDb::healthHistory(const QString &furnaceKey, const QString &programKey,
                                            qint64 beforeMs, int limit)
{
    m_error.clear();
    QList<HealthPoint> points;
    if (m_schema < 2)
        return points;
    QSqlQuery q(db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM entry_figures WHERE furnace_key = ? AND normal = 1 "
                             "AND started_at < ?%2 ORDER BY started_at DESC LIMIT ?")
                  .arg(QLatin1String(PointColumns),
                       programKey.isEmpty() ? QString() : QStringLiteral(" AND program_key = ?")));
    q.addBindValue(furnaceKey);
    q.addBindValue(beforeMs);
    if (!programKey.isEmpty())
        q.addBindValue(programKey);
    q.addBindValue(limit);
    if (!q.exec()) {
        failed(q);
        return points;
    }
    while (q.next())
        points << pointOf(q);
    return points;
}

int LogbookDb::measureMissingFigures(int batch)
{
    QList<qint64> ids;
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("SELECT e.id FROM entries e LEFT JOIN entry_figures f ON "
                                 "f.entry_id = e.id WHERE e.chain_seq IS NOT NULL AND f.entry_id "
                                 "IS NULL ORDER BY e.started_at LIMIT ?"));
        q.addBindValue(batch);
        if (!q.exec()) {
            failed(q);
            return -1;
        }
        while (q.next())
            ids << q.value(0).toLongLong();
    }
    int measured = 0;
    for (const qint64 id : ids) {
        const std::optional<StoredEntry> entry = load(id);
        if (!begin())
            return -1;
        // An entry that cannot be read gets empty figures, so that it is not read again.
        HealthPoint point;
        if (entry) {
            point = HealthPointOf(entry->record, id);
        } else {
            point.entryId = id;
            point.startedMs = 0;
        }
        if (!storeHealthPoint(point) || !commit()) {
            rollback();
            return -1;
        }
        ++measured;
    }
    return measured;
}

HealthTolerances LogbookDb::tolerances()
{
    m_error.clear();
    HealthTolerances t;
    if (m_schema < 2)
        return t;
    QSqlQuery q(db());
    if (!q.exec(QStringLiteral("SELECT name, value FROM health_settings"))) {
        failed(q);
        return t;
    }
    while (q.next())
        for (const auto &[name, member] : ToleranceNames)
            if (q.value(0).toString() == QLatin1String(name)) {
                bool ok = false;
                const double v = q.value(1).toString().toDouble(&ok);
                if (ok && v >= 0)
                    t.*member = v;
            }
    return t;
}

bool LogbookDb::setTolerances(const HealthTolerances &t)
{
    if (!begin())
        return false;
    for (const auto &[name, member] : ToleranceNames) {
        QSqlQuery d(db());
        d.prepare(QStringLiteral("DELETE FROM health_settings WHERE name = ?"));
        d.addBindValue(QString::fromLatin1(name));
        QSqlQuery i(db());
        i.prepare(QStringLiteral("INSERT INTO health_settings (name, value) VALUES (?, ?)"));
        i.addBindValue(QString::fromLatin1(name));
        i.addBindValue(QString::number(t.*member));
        if (!d.exec() || !i.exec()) {
            failed(d.lastError().isValid() ? d : i);
            rollback();
            return false;
        }
    }
    return commit();
}

QList<CheckSetting> LogbookDb::checks(const QString &furnaceKey)
{
    m_error.clear();
    QList<CheckSetting> list;
    if (m_schema < 2)
        return list;
    QSqlQuery q(db());
    q.prepare(
        QStringLiteral("SELECT id, furnace_key, kind, interval_days, interval_firings, "
                       "interval_hours, since_at FROM checks%1 ORDER BY furnace_key, kind")
            .arg(furnaceKey.isEmpty() ? QString() : QStringLiteral(" WHERE furnace_key = ?")));
    if (!furnaceKey.isEmpty())
        q.addBindValue(furnaceKey);
    if (!q.exec()) {
        failed(q);
        return list;
    }
    while (q.next()) {
        const std::optional<CheckKind> kind = CheckKindFromName(q.value(2).toString());
        if (!kind)
            continue;
        CheckSetting c;
        c.id = q.value(0).toLongLong();
        c.furnaceKey = q.value(1).toString();
        c.kind = *kind;
        c.intervalDays = q.value(3).toInt();
        c.intervalFirings = q.value(4).toInt();
        c.intervalHours = q.value(5).toDouble();
        c.sinceMs = q.value(6).toLongLong();
        list << c;
    }
    return list;
}

bool LogbookDb::saveCheck(CheckSetting &c)
{
    if (c.intervalDays < 0 || c.intervalFirings < 0 || c.intervalHours < 0)
        return fail(QStringLiteral("an interval cannot be negative"));
    if (c.intervalDays == 0 && c.intervalFirings == 0 && c.intervalHours <= 0)
        return fail(QStringLiteral("a check needs an interval"));
    QSqlQuery q(db());
    if (c.id == 0) {
        if (c.sinceMs == 0)
            c.sinceMs = QDateTime::currentMSecsSinceEpoch();
        q.prepare(QStringLiteral("INSERT INTO checks (furnace_key, kind, interval_days, "
                                 "interval_firings, interval_hours, since_at) VALUES (?, ?, ?, ?, "
                                 "?, ?) RETURNING id"));
        q.addBindValue(c.furnaceKey);
        q.addBindValue(CheckKindName(c.kind));
        q.addBindValue(c.intervalDays);
        q.addBindValue(c.intervalFirings);
        q.addBindValue(c.intervalHours);
        q.addBindValue(c.sinceMs);
        if (!q.exec() || !q.next())
            return failed(q);
        c.id = q.value(0).toLongLong();
        return true;
    }
    q.prepare(QStringLiteral("UPDATE checks SET interval_days = ?, interval_firings = ?, "
                             "interval_hours = ? WHERE id = ?"));
    q.addBindValue(c.intervalDays);
    q.addBindValue(c.intervalFirings);
    q.addBindValue(c.intervalHours);
    q.addBindValue(c.id);
    return q.exec() || failed(q);
}

bool LogbookDb::removeCheck(qint64 id)
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("DELETE FROM checks WHERE id = ?"));
    q.addBindValue(id);
    return q.exec() || failed(q);
}

std::optional<CheckUsage> LogbookDb::checkUsage(const CheckSetting &c, qint64 nowMs)
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT count(*), coalesce(sum(vacuum_on_seconds), 0), "
                             "coalesce(sum(heater_on_seconds), 0) FROM entry_figures WHERE "
                             "furnace_key = ? AND started_at >= ?"));
    q.addBindValue(c.furnaceKey);
    q.addBindValue(c.sinceMs);
    if (!q.exec() || !q.next()) {
        failed(q);
        return std::nullopt;
    }
    CheckUsage u;
    u.days = double(std::max<qint64>(0, nowMs - c.sinceMs)) / 86400000.0;
    u.firings = q.value(0).toInt();
    u.vacuumHours = q.value(1).toDouble() / 3600.0;
    u.heaterHours = q.value(2).toDouble() / 3600.0;
    return u;
}

bool LogbookDb::checkDone(qint64 checkId, const QString &result, const QString &note,
                          const QString &operatorName, const QDateTime &at, QByteArray *hashOut)
{
    if (!begin())
        return false;
    auto abandon = [this] {
        const QString reason = m_error;
        rollback();
        return fail(reason);
    };
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT furnace_key, kind FROM checks WHERE id = ?"));
    q.addBindValue(checkId);
    if (!q.exec()) {
        failed(q);
        return abandon();
    }
    if (!q.next()) {
        fail(QStringLiteral("the check is not set up"));
        return abandon();
    }
    const CheckContent content{
        q.value(0).toString(), q.value(1).toString(), at.toMSecsSinceEpoch(), result, note,
        operatorName};
    qint64 seq = 0;
    QByteArray previous;
    if (!chainHead(seq, previous))
        return abandon();
    ++seq;
    const QByteArray hash = LogbookChain::Hash(content, seq, previous);
    QSqlQuery i(db());
    i.prepare(QStringLiteral("INSERT INTO check_log (furnace_key, kind, at, result, note, "
                             "operator, chain_seq, hash) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    i.addBindValue(content.furnaceKey);
    i.addBindValue(content.kind);
    i.addBindValue(content.atMs);
    i.addBindValue(LogbookSql::Text(result));
    i.addBindValue(LogbookSql::Text(note));
    i.addBindValue(LogbookSql::Text(operatorName));
    i.addBindValue(seq);
    i.addBindValue(hash);
    QSqlQuery u(db());
    u.prepare(QStringLiteral("UPDATE checks SET since_at = ? WHERE id = ?"));
    u.addBindValue(content.atMs);
    u.addBindValue(checkId);
    if (!i.exec()) {
        failed(i);
        return abandon();
    }
    if (!u.exec()) {
        failed(u);
        return abandon();
    }
    if (!moveChainHead(seq, hash) || !commit())
        return abandon();
    if (hashOut)
        *hashOut = hash;
    return true;
}

QList<CheckContent> LogbookDb::checkLog(const QString &furnaceKey)
{
    m_error.clear();
    QList<CheckContent> log;
    if (m_schema < 2)
        return log;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT furnace_key, kind, at, result, note, operator FROM "
                             "check_log WHERE furnace_key = ? ORDER BY chain_seq DESC"));
    q.addBindValue(furnaceKey);
    if (!q.exec()) {
        failed(q);
        return log;
    }
    while (q.next())
        log << CheckContent{q.value(0).toString(), q.value(1).toString(), q.value(2).toLongLong(),
                            q.value(3).toString(), q.value(4).toString(), q.value(5).toString()};
    return log;
}
