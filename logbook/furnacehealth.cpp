// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/furnacehealth.h"

#include "common/textpair.h"

#include <algorithm>
#include <cmath>

namespace
{

/// Chamber status bits of the samples: the vacuum indicator and the heating indicator.
constexpr quint8 VacuumBit = 0x08;
constexpr quint8 HeatingBits = 0x60;
/// A gap between two samples longer than this (the link was down) counts for this much only.
constexpr double LongestStep = 30.0;

constexpr TextPair HeatingReach{
    "Нагрев до %1 °C длился на %2 % дольше, чем в последних %3 обжигах этой программы: "
    "проверьте нагревательный элемент и калибровку температуры.",
    "Reaching %1 °C took %2 % longer than in the last %3 firings of this program: check the "
    "heating element and the temperature calibration."};
constexpr TextPair HeatingRate{
    "Нагрев до %1 °C шёл со скоростью %2 °C/мин, на %3 % медленнее, чем в последних %4 обжигах "
    "этой программы (%5 °C/мин): проверьте нагревательный элемент и калибровку температуры.",
    "Heating to %1 °C ran at %2 °C/min, %3 % slower than in the last %4 firings of this "
    "program (%5 °C/min): check the heating element and the temperature calibration."};
constexpr TextPair HoldDeviation{
    "Во время выдержки температура отклонялась от заданной в среднем на %1 °C, на %2 °C больше, "
    "чем в последних %3 обжигах этой программы: проверьте регулирование температуры и термопару.",
    "During the firing hold the temperature strayed %1 °C from the set value on average, %2 °C "
    "more than in the last %3 firings of this program: check the temperature regulation and the "
    "thermocouple."};
constexpr TextPair VacuumTime{
    "Вакуум %2 % был достигнут за %1 с, на %3 % дольше, чем в последних %4 обжигах этой "
    "программы: проверьте вакуумный насос, его шланг и уплотнение камеры.",
    "The vacuum took %1 s to reach %2 %, %3 % longer than in the last %4 firings of this "
    "program: check the vacuum pump, its hose and the chamber seal."};
constexpr TextPair VacuumMissed{
    "Вакуум не достиг %1 % (наибольший %2 %), хотя в последних %3 обжигах этой программы "
    "достигал: проверьте вакуумный насос, его шланг и уплотнение камеры.",
    "The vacuum did not reach %1 % (highest %2 %), which the last %3 firings of this program "
    "reached: check the vacuum pump, its hose and the chamber seal."};
constexpr TextPair BandRate{
    "Между %1 и %2 °C печь нагревалась со скоростью %3 °C/мин, на %4 % медленнее, чем в её "
    "последних %5 обжигах (%6 °C/мин): проверьте нагревательный элемент.",
    "Between %1 and %2 °C the furnace heated at %3 °C/min, %4 % slower than in its last %5 "
    "firings (%6 °C/min): check the heating element."};

constexpr TextPair KindCalibration{"Калибровка температуры", "Temperature calibration"};
constexpr TextPair KindVacuumPump{"Обслуживание вакуумного насоса", "Vacuum pump service"};
constexpr TextPair KindHeater{"Проверка нагревателя", "Heater check"};
constexpr TextPair StateDue{"%1: скоро срок (%2)", "%1 due: %2"};
constexpr TextPair StateOverdue{"%1: срок прошёл (%2)", "%1 overdue: %2"};
constexpr TextPair StateFine{"%1: %2", "%1: %2"};
constexpr TextPair UsedDays{"%1 из %2 дн.", "%1 of %2 days"};
constexpr TextPair UsedFirings{"%1 из %2 обжигов", "%1 of %2 firings"};
constexpr TextPair UsedVacuumHours{"%1 из %2 ч работы вакуума", "%1 of %2 hours of vacuum"};
constexpr TextPair UsedHeaterHours{"%1 из %2 ч работы нагревателя", "%1 of %2 hours of heating"};

QString number(double v, int decimals = 0)
{
    return QString::number(v, 'f', decimals);
}

QString percent(double share)
{
    return QString::number(int(std::lround(share * 100)));
}

/// The values of `points` that `figure` picks, newest first, where present.
template<typename T, typename Pick>
QList<double> valuesOf(const QList<HealthPoint> &points, Pick pick)
{
    QList<double> values;
    for (const HealthPoint &p : points) {
        if (!p.normal)
            continue;
        const std::optional<T> v = pick(p);
        if (v)
            values << double(*v);
        if (values.size() == BaselineFirings)
            break;
    }
    return values;
}

} // namespace

QString FurnaceKey(const QString &host, const QString &port, const QString &model)
{
    return host + QLatin1Char('|') + port + QLatin1Char('|') + model;
}

QString FurnaceLabel(const QString &key, quint8 language, const QString &thisHost)
{
    const QStringList parts = key.split(QLatin1Char('|'));
    const QString host = parts.value(0);
    const QString port = parts.value(1);
    QString model = parts.value(2);
    if (model.isEmpty())
        model = language == 0 ? QStringLiteral("Печь") : QStringLiteral("Furnace");
    QString label =
        model + (language == 0 ? QStringLiteral(" на ") : QStringLiteral(" on ")) + port;
    if (!host.isEmpty() && host != thisHost)
        label += QStringLiteral(" (%1)").arg(host);
    return label;
}

QString ProgramKey(const ProgParam &record)
{
    const ProgParam::Payload payload = record.toPayload();
    // Everything but the program number, the payload's last byte.
    return QByteArray(reinterpret_cast<const char *>(payload.data()), qsizetype(payload.size()) - 1)
        .toHex();
}

HealthPoint HealthPointOf(const FiringRecord &record, qint64 entryId)
{
    FigureSettings settings;
    settings.vacuumTarget = VacuumTarget;
    const FiringFigures f = ComputeFiringFigures(record, settings);
    const FiringFacts &facts = record.facts();
    HealthPoint p;
    p.entryId = entryId;
    p.startedMs = record.trace().startedAt().toMSecsSinceEpoch();
    p.normal = f.endedNormally;
    p.furnaceKey = FurnaceKey(facts.host, facts.port, facts.furnaceModel);
    p.programKey = ProgramKey(facts.record);
    p.heatTemp = facts.record.HeatTemp;
    p.bandLow = settings.bandLow;
    p.bandHigh = settings.bandHigh;
    p.heatingRate = f.heatingRate;
    p.heatingRatePlanned = f.heatingRatePlanned;
    if (f.firingTempReachedSeconds && f.heatingStartSeconds)
        p.reachSeconds = *f.firingTempReachedSeconds - *f.heatingStartSeconds;
    p.bandRate = f.bandRate;
    p.holdDeviation = f.holdMeanAbsDeviation;
    p.holdOvershoot = f.holdOvershoot;
    p.vacuumSeconds = f.vacuumToTargetSeconds;
    p.vacuumLevel = f.vacuumMaxLevel;
    p.vacuumToMaxSeconds = f.vacuumToMaxSeconds;
    p.coolingSeconds = f.coolingToOpenSeconds;
    p.heaterWorkTime = record.heaterWorkTime();
    const QList<TraceSample> &samples = record.trace().samples();
    for (qsizetype i = 1; i < samples.size(); ++i) {
        const double step =
            std::clamp(samples[i].Seconds - samples[i - 1].Seconds, 0.0, LongestStep);
        if (samples[i - 1].ChamberStatus & VacuumBit)
            p.vacuumOnSeconds += step;
        if (samples[i - 1].ChamberStatus & HeatingBits)
            p.heaterOnSeconds += step;
    }
    return p;
}

Baseline BaselineOf(const QList<double> &values)
{
    QList<double> v = values.mid(0, BaselineFirings);
    Baseline b;
    b.count = int(v.size());
    if (v.isEmpty())
        return b;
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    b.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    b.low = v.constFirst();
    b.high = v.constLast();
    return b;
}

QString HealthFigureName(HealthFigure figure)
{
    switch (figure) {
    case HealthFigure::Heating:
        return QStringLiteral("heating");
    case HealthFigure::HoldDeviation:
        return QStringLiteral("hold");
    case HealthFigure::VacuumTime:
        return QStringLiteral("vacuum");
    case HealthFigure::BandRate:
        return QStringLiteral("band");
    }
    return {};
}

QString HealthFigureText(HealthFigure figure, quint8 language)
{
    static constexpr TextPair Texts[] = {{"нагрев", "heating"},
                                         {"выдержка", "firing hold"},
                                         {"вакуум", "vacuum"},
                                         {"нагревательный элемент", "heating element"}};
    return Texts[int(figure)].text(language);
}

std::optional<HealthFigure> HealthFigureFromName(const QString &name)
{
    for (HealthFigure f : {HealthFigure::Heating, HealthFigure::HoldDeviation,
                           HealthFigure::VacuumTime, HealthFigure::BandRate})
        if (HealthFigureName(f) == name)
            return f;
    return std::nullopt;
}

QList<DriftFlag> CheckDrift(const HealthPoint &firing, const QList<HealthPoint> &sameProgram,
                            const QList<HealthPoint> &sameFurnace,
                            const HealthTolerances &tolerances)
{
    QList<DriftFlag> flags;
    if (!firing.normal)
        return flags;
    auto flag = [&](HealthFigure figure, double value, const Baseline &b, double change) {
        DriftFlag d;
        d.figure = figure;
        d.value = value;
        d.baseline = b.median;
        d.change = change;
        d.comparedWith = b.count;
        d.temperature = firing.heatTemp;
        flags << d;
        return &flags.last();
    };
    // A figure is flagged when it is worse than the tolerance allows and outside the range the
    // baseline's own firings spread over: a furnace that always varies this much is not drifting.
    const Baseline rate = BaselineOf(
        valuesOf<double>(sameProgram, [](const HealthPoint &p) { return p.heatingRate; }));
    if (firing.heatingRate && rate.count >= MinimumFirings &&
        *firing.heatingRate < rate.median * (1 - tolerances.heatingRatePercent / 100) &&
        *firing.heatingRate < rate.low) {
        const Baseline reach = BaselineOf(
            valuesOf<double>(sameProgram, [](const HealthPoint &p) { return p.reachSeconds; }));
        if (firing.reachSeconds && reach.count >= MinimumFirings && reach.median > 0)
            flag(HealthFigure::Heating, *firing.reachSeconds, reach,
                 *firing.reachSeconds / reach.median - 1)
                ->byTime = true;
        else
            flag(HealthFigure::Heating, *firing.heatingRate, rate,
                 1 - *firing.heatingRate / rate.median);
    }

    const Baseline hold = BaselineOf(
        valuesOf<double>(sameProgram, [](const HealthPoint &p) { return p.holdDeviation; }));
    if (firing.holdDeviation && hold.count >= MinimumFirings &&
        *firing.holdDeviation > hold.median + tolerances.holdDeviation &&
        *firing.holdDeviation > hold.high)
        flag(HealthFigure::HoldDeviation, *firing.holdDeviation, hold,
             *firing.holdDeviation - hold.median);

    const double vacuumLimit = 1 + tolerances.vacuumTimePercent / 100;
    const Baseline toTarget = BaselineOf(
        valuesOf<double>(sameProgram, [](const HealthPoint &p) { return p.vacuumSeconds; }));
    if (toTarget.count >= MinimumFirings && firing.vacuumLevel) {
        if (!firing.vacuumSeconds) {
            DriftFlag *d = flag(HealthFigure::VacuumTime, 0, toTarget, 0);
            d->levelMissed = true;
            d->levelReached = *firing.vacuumLevel;
        } else if (*firing.vacuumSeconds > toTarget.median * vacuumLimit &&
                   *firing.vacuumSeconds > toTarget.high && toTarget.median > 0) {
            flag(HealthFigure::VacuumTime, *firing.vacuumSeconds, toTarget,
                 *firing.vacuumSeconds / toTarget.median - 1);
        }
    } else if (firing.vacuumToMaxSeconds) {
        // Programs whose vacuum never reaches the target level: the time to their highest.
        const Baseline toMax = BaselineOf(valuesOf<double>(
            sameProgram, [](const HealthPoint &p) { return p.vacuumToMaxSeconds; }));
        if (toMax.count >= MinimumFirings && toMax.median > 0 &&
            *firing.vacuumToMaxSeconds > toMax.median * vacuumLimit &&
            *firing.vacuumToMaxSeconds > toMax.high)
            flag(HealthFigure::VacuumTime, *firing.vacuumToMaxSeconds, toMax,
                 *firing.vacuumToMaxSeconds / toMax.median - 1);
    }

    // The heating element across programs, unless its own program said so already.
    const bool heating = std::any_of(flags.cbegin(), flags.cend(), [](const DriftFlag &d) {
        return d.figure == HealthFigure::Heating;
    });
    const Baseline band =
        BaselineOf(valuesOf<double>(sameFurnace, [](const HealthPoint &p) { return p.bandRate; }));
    if (!heating && firing.bandRate && band.count >= MinimumFirings &&
        *firing.bandRate < band.median * (1 - tolerances.bandRatePercent / 100) &&
        *firing.bandRate < band.low) {
        DriftFlag *d = flag(HealthFigure::BandRate, *firing.bandRate, band,
                            1 - *firing.bandRate / band.median);
        d->temperature = firing.bandHigh;
        d->bandLow = firing.bandLow;
    }
    return flags;
}

QString DriftMessage(const DriftFlag &d, quint8 language)
{
    switch (d.figure) {
    case HealthFigure::Heating:
        if (d.byTime)
            return HeatingReach.text(language)
                .arg(d.temperature)
                .arg(percent(d.change))
                .arg(d.comparedWith);
        return HeatingRate.text(language)
            .arg(d.temperature)
            .arg(number(d.value, 1), percent(d.change))
            .arg(d.comparedWith)
            .arg(number(d.baseline, 1));
    case HealthFigure::HoldDeviation:
        return HoldDeviation.text(language)
            .arg(number(d.value, 1), number(d.change, 1))
            .arg(d.comparedWith);
    case HealthFigure::VacuumTime:
        if (d.levelMissed)
            return VacuumMissed.text(language)
                .arg(VacuumTarget)
                .arg(d.levelReached)
                .arg(d.comparedWith);
        return VacuumTime.text(language)
            .arg(number(d.value))
            .arg(VacuumTarget)
            .arg(percent(d.change))
            .arg(d.comparedWith);
    case HealthFigure::BandRate:
        return BandRate.text(language)
            .arg(d.bandLow)
            .arg(d.temperature)
            .arg(number(d.value, 1), percent(d.change))
            .arg(d.comparedWith)
            .arg(number(d.baseline, 1));
    }
    return {};
}

QString CheckKindName(CheckKind kind)
{
    switch (kind) {
    case CheckKind::Calibration:
        return QStringLiteral("calibration");
    case CheckKind::VacuumPump:
        return QStringLiteral("vacuum-pump");
    case CheckKind::Heater:
        return QStringLiteral("heater");
    }
    return {};
}

std::optional<CheckKind> CheckKindFromName(const QString &name)
{
    for (CheckKind k : {CheckKind::Calibration, CheckKind::VacuumPump, CheckKind::Heater})
        if (CheckKindName(k) == name)
            return k;
    return std::nullopt;
}

QString CheckKindText(CheckKind kind, quint8 language)
{
    switch (kind) {
    case CheckKind::Calibration:
        return KindCalibration.text(language);
    case CheckKind::VacuumPump:
        return KindVacuumPump.text(language);
    case CheckKind::Heater:
        return KindHeater.text(language);
    }
    return {};
}

namespace
{

/// Each interval the check counts with the share of it used and its text.
struct Share {
    double used;
    QString text;
};

QList<Share> sharesOf(const CheckSetting &s, const CheckUsage &u, quint8 language)
{
    QList<Share> shares;
    if (s.intervalDays > 0)
        shares.append({u.days / s.intervalDays,
                       UsedDays.text(language).arg(int(std::floor(u.days))).arg(s.intervalDays)});
    if (s.intervalFirings > 0)
        shares.append({double(u.firings) / s.intervalFirings,
                       UsedFirings.text(language).arg(u.firings).arg(s.intervalFirings)});
    if (s.intervalHours > 0 && s.kind == CheckKind::VacuumPump)
        shares.append({u.vacuumHours / s.intervalHours,
                       UsedVacuumHours.text(language).arg(number(u.vacuumHours, 1),
                                                          number(s.intervalHours, 0))});
    if (s.intervalHours > 0 && s.kind == CheckKind::Heater)
        shares.append({u.heaterHours / s.intervalHours,
                       UsedHeaterHours.text(language).arg(number(u.heaterHours, 1),
                                                          number(s.intervalHours, 0))});
    return shares;
}

} // namespace

CheckStatus EvaluateCheck(const CheckSetting &setting, const CheckUsage &usage)
{
    CheckStatus status;
    status.setting = setting;
    for (const Share &s : sharesOf(setting, usage, 1))
        status.used = std::max(status.used, s.used);
    status.due = status.used >= DueShare;
    status.overdue = status.used >= 1.0;
    return status;
}

QString CheckStatusText(const CheckStatus &status, const CheckUsage &usage, quint8 language)
{
    const QList<Share> shares = sharesOf(status.setting, usage, language);
    const auto most =
        std::max_element(shares.cbegin(), shares.cend(),
                         [](const Share &a, const Share &b) { return a.used < b.used; });
    const QString kind = CheckKindText(status.setting.kind, language);
    const QString used = most == shares.cend() ? QString() : most->text;
    const TextPair &form = status.overdue ? StateOverdue : status.due ? StateDue : StateFine;
    return form.text(language).arg(kind, used);
}
