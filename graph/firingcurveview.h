// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/curveframe.h"
#include "graph/curvepainter.h"
#include "graph/curveviewstate.h"
#include "graph/firingtrace.h"
#include "library/progparam.h"

#include <QWidget>

class QPainter;

/// The firing-curve graph of the main window (objectName "pbGraph"): draws the selected layer's
/// curve with its vacuum markers, the executed part of a running program, the measured
/// temperature of the run, a light grid, both axes with their units and a legend; zooms around
/// a clicked point (the zoom buttons), and around the pointer with the mouse wheel; a drag pans.
/// A record with a field outside its range is not drawn: a note says which value and range. The
/// geometry comes from BuildCurveFrame and the overlay functions, the drawing from
/// FiringCurvePainter (which the firing report uses too).
///
/// The record is owned by the caller (the main window) and must stay valid while it is set; the
/// caller calls update() after changing it and TotalScale() to reset the view. Setting a record
/// or a run position repaints but keeps the zoomed ranges.
class FiringCurveView : public QWidget
{
    Q_OBJECT
public:
    explicit FiringCurveView(QWidget *parent = nullptr);

    /// The record to draw; nullptr when no layer is selected (the area then stays empty).
    void setRecord(const ProgParam *record);
    const ProgParam *record() const { return m_record; }

    /// The furnace's position in the running program; the executed path shows when zone > 2.
    void setRunPosition(int zone, int zoneTime, int chamberTemp);
    RunPosition runPosition() const { return m_run; }

    /// The measured temperature of a run, drawn while the record shown is `ranRecord` (the
    /// record of the layer that ran). Both are owned by the caller and must stay valid while
    /// set; nullptr draws no measured curve.
    void setMeasuredTrace(const FiringTrace *trace, const ProgParam *ranRecord);
    /// Whether the measured curve is drawn over the record now shown.
    bool showsMeasuredTrace() const;
    /// Language of the legend and the units (0 Russian, 1 English).
    void setLanguage(quint8 language);

    /// Which zoom button is down; the main window owns the buttons.
    void setZoomMode(ZoomMode mode) { m_zoomMode = mode; }
    ZoomMode zoomMode() const { return m_zoomMode; }

    /// Back to the full view of the record (no change without one), then a repaint.
    void TotalScale();

    const CurveViewState &viewState() const { return m_view; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void pbGraphPaint(QPainter &painter);
    void PaintData(QPainter &painter, const CurveFrame &frame);
    void PaintTermScale(QPainter &painter, const CurveFrame &frame);
    void PaintTimeScale(QPainter &painter, const CurveFrame &frame);
    /// One zoom step at (x, y) for any button, then a repaint.
    void pbGraphMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    /// Cross-hair inside the plot while a zoom button is down, the arrow elsewhere.
    void pbGraphMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    /// Wheel zoom by `notches` (positive: in) around (x, y), then a repaint.
    void wheelZoomAt(double notches, int x, int y);

    /// The note shown instead of the curve; empty while the curve is drawn.
    QString note() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QColor backgroundColor() const;
    /// What a paint of the widget shows now.
    CurvePaintInput paintInput() const;
    /// The note as the graph's accessible description.
    void updateNote();

    const ProgParam *m_record = nullptr;
    const FiringTrace *m_trace = nullptr;
    const ProgParam *m_ranRecord = nullptr;
    quint8 m_language = 1;
    RunPosition m_run;
    ZoomMode m_zoomMode = ZoomMode::None;
    CurveViewState m_view;
    /// A drag: where the button went down and the ranges then; dragging once it moved far
    /// enough to be no click.
    struct Drag {
        bool pressed = false;
        bool dragging = false;
        QPoint at;
        CurveViewState from;
    } m_drag;
};
