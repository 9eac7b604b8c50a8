// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/healthplot.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

const QColor PointColour(30, 60, 110);
const QColor BandColour(203, 220, 240);
const QColor MedianColour(95, 130, 180);
const QColor FlagColour(200, 0, 0);
const QColor GridColour(230, 230, 230);
const QColor AxisColour(0, 0, 0);
const QColor NoteColour(110, 110, 110);

/// Room between the plot's frame and the first and last moment of the range, px.
constexpr int InnerMargin = 7;
/// A firing's dot, and half the diagonal of a flag's diamond, px.
constexpr int DotSize = 3;
constexpr int FlagRadius = 5;
/// The widest a baseline bar gets where firings stand far apart, px.
constexpr int MaxBarWidth = 7;
/// A keyboard pan moves a tenth of the plot.
constexpr int KeyPanParts = 10;
/// The tooltip names a firing this close to the pointer, px.
constexpr int PickRadius = 6;

QLocale localeOf(quint8 language)
{
    return QLocale(language == 0 ? QLocale::Russian : QLocale::English);
}

/// Where everything of one paint goes: the plot's frame, its ranges and scales, the firings in
/// view.
struct Frame {
    QRect plot;
    qint64 from = 0;
    qint64 to = 1;
    double vMin = 0;
    double vMax = 1;
    double step = 0.5;
    int decimals = 1;
    qsizetype first = 0; ///< the firings in view: [first, last)
    qsizetype last = 0;

    double xOf(qint64 t) const
    {
        const double w = plot.width() - 2 * InnerMargin;
        return plot.left() + InnerMargin +
               double(t - from) * w / double(std::max<qint64>(1, to - from));
    }
    double yOf(double v) const
    {
        return plot.bottom() - (v - vMin) * plot.height() / std::max(1e-12, vMax - vMin);
    }
    qint64 timeAt(double x) const
    {
        const double w = std::max(1, plot.width() - 2 * InnerMargin);
        return from + qint64(std::llround((x - plot.left() - InnerMargin) * double(to - from) / w));
    }
};

/// The smallest of 1, 2, 2.5, 5 times a power of ten at least `wanted`.
double niceStep(double wanted)
{
    if (!(wanted > 0) || !std::isfinite(wanted))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * power >= wanted * (1 - 1e-9))
            return m * power;
    return 10 * power;
}

QString valueText(double v, int decimals)
{
    return QLocale::c().toString(v, 'f', decimals);
}

Frame frameOf(const QRect &area, const QFontMetrics &fm, const HealthPlotData &d, qint64 from,
              qint64 to)
{
    Frame f;
    f.from = from;
    f.to = std::max(from + 1, to);
    const auto &t = d.timesMs;
    f.first = std::lower_bound(t.cbegin(), t.cend(), f.from) - t.cbegin();
    f.last = std::upper_bound(t.cbegin(), t.cend(), f.to) - t.cbegin();
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    auto take = [&](const QList<double> &list, qsizetype i) {
        if (i < list.size() && std::isfinite(list[i])) {
            lo = std::min(lo, list[i]);
            hi = std::max(hi, list[i]);
        }
    };
    for (qsizetype i = f.first; i < f.last; ++i) {
        take(d.values, i);
        take(d.low, i);
        take(d.high, i);
    }
    if (!std::isfinite(lo)) {
        lo = 0;
        hi = 1;
    }
    const double rawLo = lo;
    if (hi - lo < 1e-9) {
        const double pad = std::max(std::abs(hi) * 0.1, 1.0);
        lo -= pad;
        hi += pad;
    } else {
        const double pad = (hi - lo) * 0.08;
        lo -= pad;
        hi += pad;
    }
    const int top = area.top() + fm.height() + 10;
    const int bottom = area.bottom() - fm.height() - 8;
    const int rows = std::max(2, (bottom - top) / std::max(1, fm.height() * 2));
    f.step = niceStep((hi - lo) / rows);
    // As many decimals as the step needs (0.25 needs two).
    f.decimals = 0;
    while (f.decimals < 6 && std::abs(f.step * std::pow(10.0, f.decimals) -
                                      std::round(f.step * std::pow(10.0, f.decimals))) > 1e-6)
        ++f.decimals;
    f.vMin = std::floor(lo / f.step) * f.step;
    f.vMax = std::ceil(hi / f.step) * f.step;
    // The figures are never negative: no axis below zero for them.
    if (rawLo >= 0 && f.vMin < 0)
        f.vMin = 0;
    // At least as wide as most labels: stacked plots keep their time axes in line.
    int labelWidth = fm.horizontalAdvance(QStringLiteral("000.00"));
    for (double v = f.vMin; v <= f.vMax + f.step / 2; v += f.step)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(valueText(v, f.decimals)));
    f.plot = QRect(QPoint(area.left() + labelWidth + 10, top), QPoint(area.right() - 10, bottom));
    return f;
}

QList<double> valueTicks(const Frame &f)
{
    QList<double> ticks;
    for (int k = 0; k < 200; ++k) {
        const double v = f.vMin + k * f.step;
        if (v > f.vMax + f.step / 1000)
            break;
        ticks << v;
    }
    return ticks;
}

QPolygonF diamond(QPointF c)
{
    const double r = FlagRadius;
    return QPolygonF({c + QPointF(0, -r), c + QPointF(r, 0), c + QPointF(0, r), c + QPointF(-r, 0),
                      c + QPointF(0, -r)});
}

QPolygonF triangleDown(QPointF c)
{
    const double r = FlagRadius;
    return QPolygonF({c + QPointF(-r, -r), c + QPointF(r, -r), c + QPointF(0, r)});
}

/// The flag marks of the firings in view: centres, and whether each has no value.
QList<std::pair<QPointF, bool>> flagsOf(const Frame &f, const HealthPlotData &d)
{
    QList<std::pair<QPointF, bool>> marks;
    for (qsizetype i = f.first; i < f.last; ++i) {
        if (i >= d.flagged.size() || !d.flagged[i])
            continue;
        const double v = d.values.value(i, qQNaN());
        const bool none = !std::isfinite(v);
        marks.append(
            {QPointF(f.xOf(d.timesMs[i]), none ? f.plot.top() + FlagRadius : f.yOf(v)), none});
    }
    return marks;
}

} // namespace

QList<HealthTimeTick> HealthTimeTicks(qint64 fromMs, qint64 toMs, int widthPx, int minSpacingPx,
                                      quint8 language)
{
    QList<HealthTimeTick> ticks;
    if (toMs <= fromMs || widthPx <= 0)
        return ticks;
    enum Unit { Hour, Day, Week, Month, Year };
    struct Step {
        Unit unit;
        int n;
    };
    static constexpr Step Steps[] = {{Hour, 1},  {Hour, 2},  {Hour, 3},  {Hour, 6},  {Hour, 12},
                                     {Day, 1},   {Day, 2},   {Week, 1},  {Month, 1}, {Month, 2},
                                     {Month, 3}, {Month, 6}, {Year, 1},  {Year, 2},  {Year, 5},
                                     {Year, 10}, {Year, 20}, {Year, 50}, {Year, 100}};
    constexpr double HourMs = 3600.0 * 1000;
    auto lengthOf = [](Step s) {
        switch (s.unit) {
        case Hour:
            return s.n * HourMs;
        case Day:
            return s.n * 24 * HourMs;
        case Week:
            return 7 * 24 * HourMs;
        case Month:
            return s.n * 30.44 * 24 * HourMs;
        case Year:
            return s.n * 365.25 * 24 * HourMs;
        }
        return HourMs;
    };
    const double pxPerMs = double(widthPx) / double(toMs - fromMs);
    Step step = Steps[std::size(Steps) - 1];
    for (Step s : Steps)
        if (lengthOf(s) * pxPerMs >= minSpacingPx) {
            step = s;
            break;
        }
    const QLocale locale = localeOf(language);
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(fromMs);
    const QDate day = start.date();
    QDateTime t;
    switch (step.unit) {
    case Hour:
        t = QDateTime(day, QTime(start.time().hour() - start.time().hour() % step.n, 0));
        break;
    case Day:
        t = QDateTime(day.addDays(-(day.toJulianDay() % step.n)), QTime(0, 0));
        break;
    case Week:
        t = QDateTime(day.addDays(1 - day.dayOfWeek()), QTime(0, 0));
        break;
    case Month:
        t = QDateTime(QDate(day.year(), day.month() - (day.month() - 1) % step.n, 1), QTime(0, 0));
        break;
    case Year:
        t = QDateTime(QDate(day.year() - day.year() % step.n, 1, 1), QTime(0, 0));
        break;
    }
    for (int guard = 0; guard < 1000 && t.toMSecsSinceEpoch() <= toMs; ++guard) {
        const qint64 at = t.toMSecsSinceEpoch();
        if (at >= fromMs) {
            QString label;
            switch (step.unit) {
            case Hour:
                label = t.time() == QTime(0, 0) ? t.toString(QStringLiteral("dd.MM"))
                                                : t.toString(QStringLiteral("HH:mm"));
                break;
            case Day:
            case Week:
                label = t.toString(QStringLiteral("dd.MM"));
                break;
            case Month:
                label = locale.standaloneMonthName(t.date().month(), QLocale::ShortFormat) +
                        QLatin1Char(' ') + QString::number(t.date().year());
                break;
            case Year:
                label = QString::number(t.date().year());
                break;
            }
            ticks.append({at, label});
        }
        switch (step.unit) {
        case Hour:
            t = t.addSecs(qint64(step.n) * 3600);
            break;
        case Day:
            t = QDateTime(t.date().addDays(step.n), QTime(0, 0));
            break;
        case Week:
            t = QDateTime(t.date().addDays(7), QTime(0, 0));
            break;
        case Month:
            t = QDateTime(t.date().addMonths(step.n), QTime(0, 0));
            break;
        case Year:
            t = QDateTime(t.date().addYears(step.n), QTime(0, 0));
            break;
        }
    }
    return ticks;
}

HealthPlot::HealthPlot(const QString &objectName, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(objectName);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setData({});
}

QColor HealthPlot::flagColour()
{
    return FlagColour;
}

void HealthPlot::setData(const HealthPlotData &data)
{
    m_data = data;
    m_points = 0;
    m_flags = int(m_data.flagged.count(true));
    for (double v : std::as_const(m_data.values))
        m_points += std::isfinite(v);
    if (m_data.toMs > m_data.fromMs) {
        m_fullFrom = m_data.fromMs;
        m_fullTo = m_data.toMs;
    } else if (!m_data.timesMs.isEmpty()) {
        m_fullFrom = m_data.timesMs.constFirst();
        m_fullTo = m_data.timesMs.constLast();
    } else {
        m_fullTo = QDateTime::currentMSecsSinceEpoch();
        m_fullFrom = m_fullTo - 30LL * 24 * 3600 * 1000;
    }
    if (m_fullTo - m_fullFrom < MinSpanMs) {
        const qint64 middle = m_fullFrom + (m_fullTo - m_fullFrom) / 2;
        m_fullFrom = middle - MinSpanMs / 2;
        m_fullTo = m_fullFrom + MinSpanMs;
    }
    fullView();
    updateTexts();
    update();
}

void HealthPlot::setLanguage(quint8 language)
{
    if (language == m_language)
        return;
    m_language = language;
    updateTexts();
    update();
}

void HealthPlot::fullView()
{
    setView(m_fullFrom, m_fullTo);
}

void HealthPlot::setView(qint64 fromMs, qint64 toMs)
{
    const qint64 full = m_fullTo - m_fullFrom;
    qint64 span = std::clamp(toMs - fromMs, std::min(MinSpanMs, full), full);
    qint64 from = std::clamp(fromMs, m_fullFrom, m_fullTo - span);
    if (from == m_from && from + span == m_to)
        return;
    m_from = from;
    m_to = from + span;
    updateTexts();
    update();
}

void HealthPlot::moved()
{
    updateTexts();
    emit viewChanged(m_from, m_to);
}

void HealthPlot::wheelZoomAt(double notches, int x)
{
    const Frame f = frameOf(rect(), fontMetrics(), m_data, m_from, m_to);
    const qint64 at = std::clamp(f.timeAt(x), m_from, m_to);
    const double factor = std::pow(0.8, notches);
    const double span = std::clamp(double(m_to - m_from) * factor, double(MinSpanMs),
                                   double(m_fullTo - m_fullFrom));
    // The moment under the pointer stays under it.
    const double share = double(at - m_from) / double(std::max<qint64>(1, m_to - m_from));
    const qint64 from = at - qint64(std::llround(span * share));
    const qint64 before = m_from;
    const qint64 beforeTo = m_to;
    setView(from, from + qint64(std::llround(span)));
    if (m_from != before || m_to != beforeTo)
        moved();
}

void HealthPlot::panBy(int dx)
{
    const Frame f = frameOf(rect(), fontMetrics(), m_data, m_from, m_to);
    const qint64 shift = f.timeAt(f.plot.left() + InnerMargin + dx) - m_from;
    const qint64 before = m_from;
    setView(m_from - shift, m_to - shift);
    if (m_from != before)
        moved();
}

QList<QPoint> HealthPlot::flagMarks() const
{
    const Frame f = frameOf(rect(), fontMetrics(), m_data, m_from, m_to);
    QList<QPoint> out;
    for (const auto &[at, none] : flagsOf(f, m_data))
        out << at.toPoint();
    return out;
}

int HealthPlot::firingAt(const QPoint &at) const
{
    const Frame f = frameOf(rect(), fontMetrics(), m_data, m_from, m_to);
    if (!f.plot.adjusted(-PickRadius, -PickRadius, PickRadius, PickRadius).contains(at))
        return -1;
    const auto &t = m_data.timesMs;
    const qsizetype a =
        std::lower_bound(t.cbegin(), t.cend(), f.timeAt(at.x() - PickRadius)) - t.cbegin();
    const qsizetype b =
        std::upper_bound(t.cbegin(), t.cend(), f.timeAt(at.x() + PickRadius)) - t.cbegin();
    int best = -1;
    double bestDistance = PickRadius * PickRadius + 1;
    for (qsizetype i = std::max(a, f.first); i < std::min(b, f.last); ++i) {
        double v = m_data.values.value(i, qQNaN());
        const double y = std::isfinite(v) ? f.yOf(v) : f.plot.top() + FlagRadius;
        if (!std::isfinite(v) && !m_data.flagged.value(i))
            continue;
        const double dx = f.xOf(t[i]) - at.x();
        const double dy = y - at.y();
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = int(i);
        }
    }
    return best;
}

QString HealthPlot::firingText(int i) const
{
    using namespace HealthPlotTexts;
    const QString when = QDateTime::fromMSecsSinceEpoch(m_data.timesMs.value(i))
                             .toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    const double v = m_data.values.value(i, qQNaN());
    const int dp = m_data.decimals;
    QString text = Tip.text(m_language)
                       .arg(when, std::isfinite(v) ? valueText(v, dp) : TipNoValue.text(m_language),
                            std::isfinite(v) ? m_data.unit : QString());
    const double median = m_data.median.value(i, qQNaN());
    text +=
        QStringLiteral("\n") +
        (std::isfinite(median) ? TipBaseline.text(m_language)
                                     .arg(valueText(median, dp), valueText(m_data.low.value(i), dp),
                                          valueText(m_data.high.value(i), dp))
                               : TipNoBaseline.text(m_language));
    if (m_data.flagged.value(i))
        text += QStringLiteral("\n") + Flagged.text(m_language);
    return text.trimmed();
}

void HealthPlot::updateTexts()
{
    using namespace HealthPlotTexts;
    setAccessibleName(
        Name.text(m_language).arg(m_data.title, m_data.unit).arg(m_points).arg(m_flags));
    const QString format = QStringLiteral("dd.MM.yyyy");
    setAccessibleDescription(Description.text(m_language)
                                 .arg(QDateTime::fromMSecsSinceEpoch(m_from).toString(format),
                                      QDateTime::fromMSecsSinceEpoch(m_to).toString(format)));
}

void HealthPlot::paint(QPainter &p, const QRect &area, const HealthPlotData &d, qint64 fromMs,
                       qint64 toMs, quint8 language)
{
    using namespace HealthPlotTexts;
    p.save();
    const QFontMetrics fm = p.fontMetrics();
    const Frame f = frameOf(area, fm, d, fromMs, toMs);
    const QRect &plot = f.plot;
    p.fillRect(area, Qt::white);
    p.setClipRect(area);

    // The title with its unit, and the legend at the right of the same row.
    const QFont normal = p.font();
    QFont bold = normal;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(AxisColour);
    const QString title = d.unit.isEmpty() ? d.title : d.title + QStringLiteral(", ") + d.unit;
    const QRect titleBox(area.left() + 4, area.top() + 3, area.width() - 8, fm.height());
    p.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, title);
    const int titleRight = titleBox.left() + QFontMetrics(bold).horizontalAdvance(title);
    p.setFont(normal);
    {
        const QString texts[] = {Firing.text(language), Baseline.text(language),
                                 Flagged.text(language)};
        int width = 0;
        for (const QString &t : texts)
            width += fm.horizontalAdvance(t) + 2 * FlagRadius + 18;
        int x = area.right() - 6 - width;
        const int cy = titleBox.center().y();
        if (x > titleRight + 16) {
            for (int k = 0; k < 3; ++k) {
                const QPointF c(x + FlagRadius, cy);
                if (k == 0) {
                    p.fillRect(QRectF(c - QPointF(1.5, 1.5), QSizeF(DotSize, DotSize)),
                               PointColour);
                } else if (k == 1) {
                    p.fillRect(QRectF(c.x() - 3, cy - FlagRadius, 7, 2 * FlagRadius), BandColour);
                    p.fillRect(QRectF(c.x() - 3, cy - 0.5, 7, 1.5), MedianColour);
                } else {
                    p.setPen(QPen(FlagColour, 2));
                    p.setBrush(Qt::white);
                    p.drawPolygon(diamond(c));
                    p.setBrush(Qt::NoBrush);
                }
                x += 2 * FlagRadius + 5;
                p.setPen(AxisColour);
                p.drawText(
                    QRect(x, titleBox.top(), fm.horizontalAdvance(texts[k]) + 2, fm.height()),
                    Qt::AlignLeft | Qt::AlignVCenter, texts[k]);
                x += fm.horizontalAdvance(texts[k]) + 13;
            }
        }
    }

    // The grid.
    const QList<double> vTicks = valueTicks(f);
    const QList<HealthTimeTick> tTicks =
        HealthTimeTicks(f.from, f.to, plot.width() - 2 * InnerMargin,
                        fm.horizontalAdvance(QStringLiteral("00.00.0000")) + 14, language);
    p.setPen(QPen(GridColour, 1));
    for (double v : vTicks) {
        const int y = int(std::lround(f.yOf(v)));
        p.drawLine(plot.left() + 1, y, plot.right(), y);
    }
    for (const HealthTimeTick &t : tTicks) {
        const int x = int(std::lround(f.xOf(t.atMs)));
        p.drawLine(x, plot.top(), x, plot.bottom() - 1);
    }

    p.save();
    p.setClipRect(plot.adjusted(1, -FlagRadius - 2, 0, 0));
    // The baselines: a bar per pixel column holding every baseline in it, as wide as the
    // firings stand apart (up to MaxBarWidth).
    struct Bar {
        int x;
        double low;
        double high;
        double median;
    };
    std::vector<Bar> bars;
    for (qsizetype i = f.first; i < f.last; ++i) {
        const double lo = d.low.value(i, qQNaN());
        const double hi = d.high.value(i, qQNaN());
        if (!std::isfinite(lo) || !std::isfinite(hi))
            continue;
        const int x = int(f.xOf(d.timesMs[i]));
        const double med = d.median.value(i, qQNaN());
        if (!bars.empty() && bars.back().x == x) {
            bars.back().low = std::min(bars.back().low, lo);
            bars.back().high = std::max(bars.back().high, hi);
            bars.back().median = med;
        } else {
            bars.push_back({x, lo, hi, med});
        }
    }
    for (size_t k = 0; k < bars.size(); ++k) {
        int gap = MaxBarWidth;
        if (k > 0)
            gap = std::min(gap, bars[k].x - bars[k - 1].x);
        if (k + 1 < bars.size())
            gap = std::min(gap, bars[k + 1].x - bars[k].x);
        const int w = std::clamp(gap, 1, MaxBarWidth);
        const double left = bars[k].x - (w - 1) / 2;
        const double top = f.yOf(bars[k].high);
        const double bottom = f.yOf(bars[k].low);
        p.fillRect(QRectF(left, top - 0.5, w, std::max(1.0, bottom - top + 1)), BandColour);
    }
    for (size_t k = 0; k < bars.size(); ++k) {
        if (!std::isfinite(bars[k].median))
            continue;
        int gap = MaxBarWidth;
        if (k > 0)
            gap = std::min(gap, bars[k].x - bars[k - 1].x);
        if (k + 1 < bars.size())
            gap = std::min(gap, bars[k + 1].x - bars[k].x);
        const int w = std::clamp(gap, 1, MaxBarWidth);
        p.fillRect(QRectF(bars[k].x - (w - 1) / 2, f.yOf(bars[k].median) - 0.5, w, 1.5),
                   MedianColour);
    }

    // The firings: one dot per pixel.
    const int w = std::max(1, plot.width() + 1);
    const int h = std::max(1, plot.height() + 1);
    std::vector<bool> drawn(size_t(w) * size_t(h));
    QList<QRectF> dots;
    for (qsizetype i = f.first; i < f.last; ++i) {
        const double v = d.values.value(i, qQNaN());
        if (!std::isfinite(v))
            continue;
        const double x = f.xOf(d.timesMs[i]);
        const double y = f.yOf(v);
        const int cx = std::clamp(int(x) - plot.left(), 0, w - 1);
        const int cy = std::clamp(int(y) - plot.top(), 0, h - 1);
        const size_t cell = size_t(cy) * size_t(w) + size_t(cx);
        if (drawn[cell])
            continue;
        drawn[cell] = true;
        dots.append(QRectF(x - DotSize / 2.0, y - DotSize / 2.0, DotSize, DotSize));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(PointColour);
    p.drawRects(dots.constData(), int(dots.size()));

    // The flagged firings over everything.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(FlagColour, 2));
    p.setBrush(Qt::white);
    for (const auto &[at, none] : flagsOf(f, d))
        p.drawPolygon(none ? triangleDown(at) : diamond(at));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.restore();

    // The axes and their labels.
    p.setPen(QPen(AxisColour, 1));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    for (double v : vTicks) {
        const int y = int(std::lround(f.yOf(v)));
        p.drawLine(plot.left() - 3, y, plot.left(), y);
        const QString label = valueText(v, f.decimals);
        p.drawText(
            QRect(area.left(), y - fm.height() / 2, plot.left() - 5 - area.left(), fm.height()),
            Qt::AlignRight | Qt::AlignVCenter, label);
    }
    int lastRight = std::numeric_limits<int>::min();
    for (const HealthTimeTick &t : tTicks) {
        const int x = int(std::lround(f.xOf(t.atMs)));
        p.drawLine(x, plot.bottom(), x, plot.bottom() + 3);
        const int width = fm.horizontalAdvance(t.label);
        const QRect box(x - width / 2, plot.bottom() + 5, width, fm.height());
        if (box.left() <= lastRight + 6 || box.right() > area.right() || box.left() < area.left())
            continue;
        p.drawText(box, Qt::AlignCenter, t.label);
        lastRight = box.right();
    }
    if (f.first >= f.last) {
        p.setPen(NoteColour);
        p.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap, Nothing.text(language));
    }
    p.restore();
}

QSize HealthPlot::sizeHint() const
{
    return {700, 180};
}

QSize HealthPlot::minimumSizeHint() const
{
    return {300, 4 * fontMetrics().height() + 40};
}

void HealthPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    paint(painter, rect(), m_data, m_from, m_to, m_language);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

bool HealthPlot::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int i = firingAt(help->pos());
        if (i >= 0)
            QToolTip::showText(help->globalPos(), firingText(i), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void HealthPlot::mousePressEvent(QMouseEvent *event)
{
    m_drag = {true, false, int(event->position().x()), m_from, m_to};
}

void HealthPlot::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_drag.pressed || event->buttons() == Qt::NoButton)
        return;
    const int moved = int(event->position().x()) - m_drag.x;
    if (!m_drag.dragging && std::abs(moved) >= QGuiApplication::styleHints()->startDragDistance()) {
        m_drag.dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    if (!m_drag.dragging)
        return;
    const Frame f = frameOf(rect(), fontMetrics(), m_data, m_drag.from, m_drag.to);
    const qint64 shift = f.timeAt(f.plot.left() + InnerMargin + moved) - m_drag.from;
    const qint64 before = m_from;
    setView(m_drag.from - shift, m_drag.to - shift);
    if (m_from != before)
        this->moved();
}

void HealthPlot::mouseReleaseEvent(QMouseEvent *)
{
    if (m_drag.dragging)
        unsetCursor();
    m_drag = {};
}

void HealthPlot::mouseDoubleClickEvent(QMouseEvent *)
{
    const qint64 before = m_from;
    const qint64 beforeTo = m_to;
    fullView();
    if (m_from != before || m_to != beforeTo)
        moved();
}

void HealthPlot::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    wheelZoomAt(delta / 120.0, int(event->position().x()));
    event->accept();
}

void HealthPlot::keyPressEvent(QKeyEvent *event)
{
    const int step = std::max(1, width() / KeyPanParts);
    switch (event->key()) {
    case Qt::Key_Home: {
        const qint64 before = m_from;
        const qint64 beforeTo = m_to;
        fullView();
        if (m_from != before || m_to != beforeTo)
            moved();
        break;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        wheelZoomAt(1, width() / 2);
        break;
    case Qt::Key_Minus:
        wheelZoomAt(-1, width() / 2);
        break;
    case Qt::Key_Left:
        panBy(step);
        break;
    case Qt::Key_Right:
        panBy(-step);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
