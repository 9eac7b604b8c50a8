#include "firingcurveview.h"

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
constexpr int kExecutedWidth = 3;

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
    const CurveFrame frame = BuildCurveFrame(*m_record, m_view, size(), m_run);
    PaintData(painter, frame);
    PaintTermScale(painter, frame);
    PaintTimeScale(painter, frame);
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

    for (const QRect &margin : frame.margins)
        painter.fillRect(margin, backgroundColor());
}

void FiringCurveView::PaintTermScale(QPainter &painter, const CurveFrame &frame)
{
    painter.setPen(QPen(kAxisColor, 1));
    painter.drawPolyline(frame.axes.data(), int(frame.axes.size()));
    const QFontMetrics metrics = painter.fontMetrics();
    for (const AxisTick &tick : frame.tempTicks) {
        painter.drawLine(tick.at, tick.at - QPoint(TickLength, 0));
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
    for (const AxisTick &tick : frame.timeTicks) {
        painter.drawLine(tick.at, tick.at + QPoint(0, TickLength));
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
