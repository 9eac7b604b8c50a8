// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/firingcurveview.h"

#include "graph/curveplan.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QWheelEvent>

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
    updateNote();
    update();
}

QString FiringCurveView::note() const
{
    return m_record ? OutOfRangeNote(*m_record, m_language) : QString();
}

void FiringCurveView::updateNote()
{
    const QString shown = note();
    if (accessibleDescription() != shown)
        setAccessibleDescription(shown);
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
    updateNote();
    update();
}

void FiringCurveView::TotalScale()
{
    if (m_record)
        m_view.TotalScale(*m_record);
    updateNote();
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

CurvePaintInput FiringCurveView::paintInput() const
{
    CurvePaintInput input;
    input.record = m_record;
    input.run = m_run;
    input.measured = showsMeasuredTrace() ? m_trace : nullptr;
    input.language = m_language;
    input.noteOutOfRange = true;
    input.background = backgroundColor();
    return input;
}

void FiringCurveView::pbGraphPaint(QPainter &painter)
{
    painter.setFont(font());
    const CurvePaintInput input = paintInput();
    FiringCurvePainter(painter, m_view, input, size()).paint();
}

void FiringCurveView::PaintData(QPainter &painter, const CurveFrame &frame)
{
    const CurvePaintInput input = paintInput();
    FiringCurvePainter(painter, m_view, input, size()).PaintData(frame);
}

void FiringCurveView::PaintTermScale(QPainter &painter, const CurveFrame &frame)
{
    const CurvePaintInput input = paintInput();
    FiringCurvePainter(painter, m_view, input, size()).PaintTermScale(frame);
}

void FiringCurveView::PaintTimeScale(QPainter &painter, const CurveFrame &frame)
{
    const CurvePaintInput input = paintInput();
    FiringCurvePainter(painter, m_view, input, size()).PaintTimeScale(frame);
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

void FiringCurveView::wheelZoomAt(double notches, int x, int y)
{
    if (!m_record)
        return;
    m_view.setAreaSize(width(), height());
    if (m_view.wheelZoom(notches, x, y))
        update();
}

void FiringCurveView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    pbGraphMouseDown(event->button(), event->modifiers(), at.x(), at.y());
    m_drag = {true, false, at, m_view};
}

void FiringCurveView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (m_drag.pressed && event->buttons() != Qt::NoButton && m_record) {
        const QPoint moved = at - m_drag.at;
        if (!m_drag.dragging &&
            moved.manhattanLength() >= QGuiApplication::styleHints()->startDragDistance()) {
            m_drag.dragging = true;
            setCursor(Qt::ClosedHandCursor);
        }
        if (m_drag.dragging) {
            m_view.setAreaSize(width(), height());
            if (m_view.pan(m_drag.from, moved.x(), moved.y()))
                update();
            return;
        }
    }
    pbGraphMouseMove(event->modifiers(), at.x(), at.y());
}

void FiringCurveView::mouseReleaseEvent(QMouseEvent *event)
{
    const bool dragged = m_drag.dragging;
    m_drag = {};
    if (dragged) {
        const QPoint at = event->position().toPoint();
        pbGraphMouseMove(event->modifiers(), at.x(), at.y());
    }
}

void FiringCurveView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    wheelZoomAt(delta / 120.0, at.x(), at.y());
    event->accept();
}
