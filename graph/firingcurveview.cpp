#include "firingcurveview.h"

#include "curveoverlay.h"
#include "curvetexts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace
{

const QColor kCurveColor(0, 0, 255);
const QColor kVacuumOnColor(0, 128, 128);
const QColor kVacuumOffColor(255, 0, 255);
const QColor kExecutedColor(255, 0, 0);
const QColor kAxisColor(0, 0, 0);
const QColor kMeasuredColor(0, 160, 0);
constexpr int kExecutedWidth = 3;
constexpr int kMeasuredWidth = 2;
/// The grid is the background a shade darker.
constexpr int kGridDarker = 115;

QPolygon polyline(const QList<QPoint> &points, qsizetype from, qsizetype to)
{
    QPolygon line;
    for (qsizetype i = from; i <= to && i < points.size(); ++i)
        line << points[i];
    return line;
}

} // namespace

FiringCurveView::FiringCurveView(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_view.setAreaSize(CurveViewState::DesignWidth, CurveViewState::DesignHeight);
}

void FiringCurveView::setRecord(const ProgParam *record)
{
    m_record = record;
    update();
}

void FiringCurveView::setRunPosition(int zone, int zoneTime, int chamberTemp)
{
    const RunPosition run{zone, zoneTime, chamberTemp};
    if (run.CurrentZone == m_run.CurrentZone && run.ZoneTime == m_run.ZoneTime &&
        run.ChamberTemp == m_run.ChamberTemp)
        return;
    m_run = run;
    update();
}

void FiringCurveView::setMeasuredTrace(const FiringTrace *trace, const ProgParam *ranRecord)
{
    if (trace == m_trace && ranRecord == m_ranRecord)
        return;
    m_trace = trace;
    m_ranRecord = ranRecord;
    update();
}

bool FiringCurveView::showsMeasuredTrace() const
{
    return m_trace && m_record && m_record == m_ranRecord;
}

void FiringCurveView::setLanguage(quint8 language)
{
    if (language == m_language)
        return;
    m_language = language;
    update();
}

void FiringCurveView::TotalScale()
{
    if (m_record)
        m_view.TotalScale(*m_record);
    update();
}

QSize FiringCurveView::sizeHint() const
{
    return {CurveViewState::DesignWidth, CurveViewState::DesignHeight};
}

QSize FiringCurveView::minimumSizeHint() const
{
    return {2 * CurveViewState::PlotLeft, 2 * CurveViewState::PlotTop + CurveViewState::PlotMargin};
}

QColor FiringCurveView::backgroundColor() const
{
    return palette().color(QPalette::Button);
}

void FiringCurveView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor());
    pbGraphPaint(painter);
}

void FiringCurveView::pbGraphPaint(QPainter &painter)
{
    if (!m_record)
        return;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(font());
    CurveFrame frame = BuildCurveFrame(*m_record, m_view, size(), m_run);
    const bool measured = showsMeasuredTrace();
    if (measured)
        frame.measured = MeasuredTracePoints(*m_trace, m_view);
    const QFontMetrics metrics = painter.fontMetrics();
    SkipOverlappingLabels(
        frame, [&metrics](const QString &text) { return metrics.horizontalAdvance(text); },
        metrics.height(), {metrics.ascent() - metrics.capHeight(), metrics.ascent()});
    PaintGrid(painter, frame);
    PaintData(painter, frame);
    PaintTermScale(painter, frame);
    PaintTimeScale(painter, frame);
    PaintUnitsAndLegend(painter, frame, measured);
}

void FiringCurveView::PaintGrid(QPainter &painter, const CurveFrame &frame)
{
    painter.setPen(QPen(backgroundColor().darker(kGridDarker), 1));
    const QList<QLine> lines = GridLines(frame, m_view);
    painter.drawLines(lines.constData(), int(lines.size()));
}

void FiringCurveView::PaintUnitsAndLegend(QPainter &painter, const CurveFrame &frame, bool measured)
{
    const QFontMetrics metrics = painter.fontMetrics();
    auto textSize = [&metrics](const QString &text) {
        return QSize(metrics.horizontalAdvance(text), metrics.height());
    };
    auto writeText = [&](const QRect &box, const QString &text) {
        painter.fillRect(box, backgroundColor());
        painter.setPen(QPen(kAxisColor, 1));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    };
    const QString tempUnit = CurveTexts::TemperatureUnit.text(m_language);
    const QString timeUnit = CurveTexts::TimeUnit.text(m_language);
    const AxisUnitBoxes units = UnitLabelBoxes(m_view, textSize(tempUnit), textSize(timeUnit));
    writeText(units.temperature, tempUnit);
    writeText(units.time, timeUnit);

    QList<LegendEntry::Kind> kinds{LegendEntry::Plan};
    if (frame.executed.size() > 1)
        kinds << LegendEntry::Executed;
    if (measured && !frame.measured.isEmpty())
        kinds << LegendEntry::Measured;
    bool vacuumOn = false;
    bool vacuumOff = false;
    for (const CurveMarker &m : frame.markers)
        (m.kind == CurveMarker::VacuumOn ? vacuumOn : vacuumOff) = true;
    if (vacuumOn)
        kinds << LegendEntry::VacuumOn;
    if (vacuumOff)
        kinds << LegendEntry::VacuumOff;
    auto textOf = [this](LegendEntry::Kind kind) {
        switch (kind) {
        case LegendEntry::Plan:
            return CurveTexts::LegendPlan.text(m_language);
        case LegendEntry::Executed:
            return CurveTexts::LegendExecuted.text(m_language);
        case LegendEntry::Measured:
            return CurveTexts::LegendMeasured.text(m_language);
        case LegendEntry::VacuumOn:
            return CurveTexts::LegendVacuumOn.text(m_language);
        case LegendEntry::VacuumOff:
            return CurveTexts::LegendVacuumOff.text(m_language);
        }
        return QString();
    };
    QList<int> widths;
    for (LegendEntry::Kind kind : kinds)
        widths << metrics.horizontalAdvance(textOf(kind));
    const int left = units.temperature.right() + 2 * LegendSpacing;
    for (const LegendEntry &e :
         LayoutLegend(kinds, widths, metrics.height(), left, width() - LegendGap)) {
        painter.fillRect(e.symbol.united(e.text), backgroundColor());
        const int midY = e.symbol.center().y();
        const QPoint tip(e.symbol.center().x(), midY);
        switch (e.kind) {
        case LegendEntry::Plan:
        case LegendEntry::Executed:
        case LegendEntry::Measured: {
            const QColor colour = e.kind == LegendEntry::Plan       ? kCurveColor
                                  : e.kind == LegendEntry::Executed ? kExecutedColor
                                                                    : kMeasuredColor;
            const int penWidth = e.kind == LegendEntry::Plan       ? 1
                                 : e.kind == LegendEntry::Executed ? kExecutedWidth
                                                                   : kMeasuredWidth;
            painter.setPen(QPen(colour, penWidth, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(e.symbol.left(), midY, e.symbol.right(), midY);
            break;
        }
        case LegendEntry::VacuumOn:
        case LegendEntry::VacuumOff: {
            // The marker's own triangle, its tip at the middle of the symbol.
            const bool on = e.kind == LegendEntry::VacuumOn;
            const QPoint at = tip + QPoint(0, on ? -3 : 3);
            const int base = on ? 6 : -6;
            const int tipOffset = on ? 1 : -1;
            const QPoint corners[3] = {at + QPoint(-3, base), at + QPoint(3, base),
                                       at + QPoint(0, tipOffset)};
            painter.setPen(QPen(kAxisColor, 1));
            painter.setBrush(on ? kVacuumOnColor : kVacuumOffColor);
            painter.drawPolygon(corners, 3);
            painter.setBrush(Qt::NoBrush);
            break;
        }
        }
        painter.setPen(QPen(kAxisColor, 1));
        painter.drawText(e.text, Qt::AlignLeft | Qt::AlignTop, textOf(e.kind));
    }
}

void FiringCurveView::PaintData(QPainter &painter, const CurveFrame &frame)
{
    const QPen curvePen(kCurveColor, 1);
    const QPen outlinePen(kAxisColor, 1);

    painter.setPen(curvePen);
    painter.setBrush(Qt::NoBrush);
    qsizetype reached = 0;
    for (const CurveMarker &marker : frame.markers) {
        painter.drawPolyline(polyline(frame.curve, reached, marker.curveIndex));
        reached = marker.curveIndex;
        painter.setPen(outlinePen);
        painter.setBrush(marker.kind == CurveMarker::VacuumOn ? kVacuumOnColor : kVacuumOffColor);
        painter.drawPolygon(marker.corners.data(), int(marker.corners.size()));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(curvePen);
    }
    painter.drawPolyline(polyline(frame.curve, reached, frame.curve.size() - 1));

    if (frame.executed.size() > 1) {
        painter.setPen(
            QPen(kExecutedColor, kExecutedWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(polyline(frame.executed, 0, frame.executed.size() - 1));
    }

    // The measured temperature, over the plan and the executed path. Thousands of points: as
    // separate segments with square caps, which overlap at the joints, a wide pen is drawn
    // without the cost of joining them.
    if (frame.measured.size() > 1) {
        QList<QLine> segments;
        segments.reserve(frame.measured.size() - 1);
        for (qsizetype i = 1; i < frame.measured.size(); ++i)
            segments << QLine(frame.measured[i - 1], frame.measured[i]);
        painter.setPen(QPen(kMeasuredColor, kMeasuredWidth, Qt::SolidLine, Qt::SquareCap));
        painter.drawLines(segments.constData(), int(segments.size()));
    }

    for (const QRect &margin : frame.margins)
        painter.fillRect(margin, backgroundColor());
}

void FiringCurveView::PaintTermScale(QPainter &painter, const CurveFrame &frame)
{
    painter.setPen(QPen(kAxisColor, 1));
    painter.drawPolyline(frame.axes.data(), int(frame.axes.size()));
    const QFontMetrics metrics = painter.fontMetrics();
    for (size_t i = 0; i < frame.tempTicks.size(); ++i) {
        const AxisTick &tick = frame.tempTicks[i];
        painter.drawLine(tick.at, tick.at - QPoint(TickLength, 0));
        if (!frame.tempLabelShown[i])
            continue;
        const QSize text(metrics.horizontalAdvance(tick.label), metrics.height());
        const QRect box(TempLabelPos(tick, text.width(), text.height()), text);
        painter.fillRect(box, backgroundColor());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, tick.label);
    }
}

void FiringCurveView::PaintTimeScale(QPainter &painter, const CurveFrame &frame)
{
    painter.setPen(QPen(kAxisColor, 1));
    const QFontMetrics metrics = painter.fontMetrics();
    for (size_t i = 0; i < frame.timeTicks.size(); ++i) {
        const AxisTick &tick = frame.timeTicks[i];
        painter.drawLine(tick.at, tick.at + QPoint(0, TickLength));
        if (!frame.timeLabelShown[i])
            continue;
        const QSize text(metrics.horizontalAdvance(tick.label), metrics.height());
        const QRect box(TimeLabelPos(tick, text.width()), text);
        painter.fillRect(box, backgroundColor());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, tick.label);
    }
}

void FiringCurveView::pbGraphMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    if (m_record) {
        m_view.setAreaSize(width(), height());
        m_view.zoomStep(m_zoomMode, x, y);
    }
    update();
}

void FiringCurveView::pbGraphMouseMove(Qt::KeyboardModifiers, int x, int y)
{
    m_view.setAreaSize(width(), height());
    if (m_view.crossCursorAt(m_zoomMode, x, y))
        setCursor(Qt::CrossCursor);
    else
        unsetCursor();
}

void FiringCurveView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    pbGraphMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void FiringCurveView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    pbGraphMouseMove(event->modifiers(), at.x(), at.y());
}
