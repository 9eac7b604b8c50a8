// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/curveframe.h"
#include "graph/curveviewstate.h"
#include "graph/firingtrace.h"
#include "library/progparam.h"

#include <QColor>
#include <QRect>
#include <QSize>

class QPainter;

/// What one drawing of the firing curve shows.
struct CurvePaintInput {
    /// The record whose curve is drawn; nothing is drawn without one.
    const ProgParam *record = nullptr;
    /// Where the furnace is in the program; the executed path shows when its zone is above 2.
    RunPosition run;
    /// The measured temperature of a run of this record, drawn over the plan; null for none.
    const FiringTrace *measured = nullptr;
    quint8 language = 1; ///< legend, units and note: 0 Russian, 1 English
    /// A record with a field out of its range gets a note instead of a curve (the editor's
    /// graph); otherwise whatever the record holds is drawn (the record of a firing).
    bool noteOutOfRange = false;
    QColor background; ///< the area's colour: margins and label boxes are filled with it
};

/// Draws the firing curve (grid, plan with its vacuum markers, executed path, measured
/// temperature placed stage by stage on the plan's axis, axes, units and legend) with a painter
/// whose origin is the top-left corner of an area of `size` px, in the painter's present font. The
/// one drawing of the curve: the main window's graph and the firing report both use it. The painter
/// and the input must outlive this object; `view` gets the area's plot frame and scales.
class FiringCurvePainter
{
public:
    FiringCurvePainter(QPainter &painter, CurveViewState &view, const CurvePaintInput &input,
                       QSize size);

    /// Everything, in order: grid, data, temperature axis, time axis, units and legend. The
    /// view's full range is first widened to hold the measured curve (widenFullView).
    void paint();

    void PaintData(const CurveFrame &frame);
    void PaintTermScale(const CurveFrame &frame);
    void PaintTimeScale(const CurveFrame &frame);
    /// The note written instead of the curve, centred in the area.
    void PaintNote(const QString &note);
    /// The grid under the curve; the units and the legend over it.
    void PaintGrid(const CurveFrame &frame);
    void PaintUnitsAndLegend(const CurveFrame &frame, bool measured);

private:
    QPainter &m_painter;
    CurveViewState &m_view;
    const CurvePaintInput &m_input;
    QSize m_size;
};

/// Draws the curve of `input` into `area` of the painter (clipped to it, the area filled with
/// the background first), with `view`'s ranges.
void PaintFiringCurve(QPainter &painter, const QRect &area, CurveViewState &view,
                      const CurvePaintInput &input);
