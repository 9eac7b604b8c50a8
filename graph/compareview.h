// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/comparecurves.h"

#include <QColor>
#include <QWidget>

class QPainter;

/// The measured temperature of several firings laid over each other (objectName "pbCompare"):
/// each curve in its own colour and line style, a legend column with each curve's label, both
/// axes with their units and nice ticks, a light grid. The mouse wheel zooms around the pointer
/// and a drag pans, as on the main curve; a double click, the Home key or fullView() shows
/// everything again; + and - zoom and the arrow keys pan from the keyboard. The geometry comes
/// from comparecurves.h.
///
/// The curves are copied (their sample lists are shared, not duplicated); at most
/// MaxCompareCurves are shown, the rest are ignored. Setting curves shows their full view.
class CompareView : public QWidget
{
    Q_OBJECT
public:
    explicit CompareView(QWidget *parent = nullptr);

    /// The curves to overlay, in legend order (the first MaxCompareCurves), then the full view.
    void setCurves(const QList<CompareCurve> &curves);
    const QList<CompareCurve> &curves() const { return m_curves; }

    /// Language of the units, the legend's notes and the accessible texts (0 Russian, 1 English).
    void setLanguage(quint8 language);
    quint8 language() const { return m_language; }

    /// Back to the whole of every curve, then a repaint.
    void fullView();
    /// Wheel zoom by `notches` (positive: in) around (x, y), then a repaint.
    void wheelZoomAt(double notches, int x, int y);
    /// Shifts the view by a drag of (dx, dy) px, then a repaint.
    void panBy(int dx, int dy);

    /// The ranges and scales of the last paint (or of the present size when none yet).
    const CompareViewState &viewState() const { return m_state; }

    /// The colour and the line style of curve `index` (0..MaxCompareCurves - 1; others wrap): eight
    /// colours chosen to stay apart for colour-blind eyes too, the last four also dashed, so
    /// that a list beside the graph can show the same marks.
    static QColor curveColour(int index);
    static Qt::PenStyle curveStyle(int index);

    /// Draws everything into an area of the widget's size.
    void paintCompare(QPainter &painter);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    /// The legend for the present size and font, with the labels it writes (elided to fit).
    CompareLegend legend(QStringList *texts = nullptr) const;
    /// Takes the plot frame for the present size (left of the legend).
    void updateFrame();
    void updateAccessibleTexts();
    QColor backgroundColor() const;

    QList<CompareCurve> m_curves;
    quint8 m_language = 1;
    CompareViewState m_state;
    /// A drag: where the button went down and the ranges then; dragging once it moved far
    /// enough to be no click.
    struct Drag {
        bool pressed = false;
        bool dragging = false;
        QPoint at;
        CurveViewState from;
    } m_drag;
};
