// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/curvepainter.h"

#include "graph/curveoverlay.h"
#include "graph/curvetexts.h"
#include "graph/measuredcurve.h"

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

FiringCurvePainter::FiringCurvePainter(QPainter &painter, CurveViewState &view,
                                       const CurvePaintInput &input, QSize size)
    : m_painter(painter)
    , m_view(view)
    , m_input(input)
    , m_size(size)
{
}

void FiringCurvePainter::paint()
{
    if (!m_input.record)
        return;
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (m_input.noteOutOfRange) {
        const QString note = OutOfRangeNote(*m_input.record, m_input.language);
        if (!note.isEmpty()) {
            PaintNote(note);
            return;
        }
    }
    const bool measured = m_input.measured != nullptr;
    QList<PlacedSample> placed;
    if (measured) {
        placed = PlaceMeasuredSamples(*m_input.measured, PlanOf(*m_input.record));
        m_view.widenFullView(ExtentOf(placed));
    }
    CurveFrame frame = BuildCurveFrame(*m_input.record, m_view, m_size, m_input.run);
    if (measured)
        frame.measured = MeasuredTracePoints(placed, m_view);
    const QFontMetrics metrics = m_painter.fontMetrics();
    SkipOverlappingLabels(
        frame, [&metrics](const QString &text) { return metrics.horizontalAdvance(text); },
        metrics.height(), {metrics.ascent() - metrics.capHeight(), metrics.ascent()});
    PaintGrid(frame);
    PaintData(frame);
    PaintTermScale(frame);
    PaintTimeScale(frame);
    PaintUnitsAndLegend(frame, measured);
}

void FiringCurvePainter::PaintNote(const QString &note)
{
    m_painter.setPen(QPen(kAxisColor, 1));
    m_painter.drawText(QRect(QPoint(0, 0), m_size).adjusted(8, 8, -8, -8),
                       Qt::AlignCenter | Qt::TextWordWrap, note);
}

void FiringCurvePainter::PaintGrid(const CurveFrame &frame)
{
    m_painter.setPen(QPen(m_input.background.darker(kGridDarker), 1));
    const QList<QLine> lines = GridLines(frame, m_view);
    m_painter.drawLines(lines.constData(), int(lines.size()));
}

void FiringCurvePainter::PaintUnitsAndLegend(const CurveFrame &frame, bool measured)
{
    QPainter &painter = m_painter;
    const QColor background = m_input.background;
    const quint8 language = m_input.language;
    const QFontMetrics metrics = painter.fontMetrics();
    auto textSize = [&metrics](const QString &text) {
        return QSize(metrics.horizontalAdvance(text), metrics.height());
    };
    auto writeText = [&](const QRect &box, const QString &text) {
        painter.fillRect(box, background);
        painter.setPen(QPen(kAxisColor, 1));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    };
    const QString tempUnit = CurveTexts::TemperatureUnit.text(language);
    const QString timeUnit = CurveTexts::TimeUnit.text(language);
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
    auto textOf = [language](LegendEntry::Kind kind) {
        switch (kind) {
        case LegendEntry::Plan:
            return CurveTexts::LegendPlan.text(language);
        case LegendEntry::Executed:
            return CurveTexts::LegendExecuted.text(language);
        case LegendEntry::Measured:
            return CurveTexts::LegendMeasured.text(language);
        case LegendEntry::VacuumOn:
            return CurveTexts::LegendVacuumOn.text(language);
        case LegendEntry::VacuumOff:
            return CurveTexts::LegendVacuumOff.text(language);
        }
        return QString();
    };
    QList<int> widths;
    for (LegendEntry::Kind kind : kinds)
        widths << metrics.horizontalAdvance(textOf(kind));
    const int left = units.temperature.right() + 2 * LegendSpacing;
    for (const LegendEntry &e :
         LayoutLegend(kinds, widths, metrics.height(), left, m_size.width() - LegendGap)) {
        painter.fillRect(e.symbol.united(e.text), background);
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

void FiringCurvePainter::PaintData(const CurveFrame &frame)
{
    QPainter &painter = m_painter;
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
        painter.fillRect(margin, m_input.background);
}

void FiringCurvePainter::PaintTermScale(const CurveFrame &frame)
{
    QPainter &painter = m_painter;
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
        painter.fillRect(box, m_input.background);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, tick.label);
    }
}

void FiringCurvePainter::PaintTimeScale(const CurveFrame &frame)
{
    QPainter &painter = m_painter;
    painter.setPen(QPen(kAxisColor, 1));
    const QFontMetrics metrics = painter.fontMetrics();
    for (size_t i = 0; i < frame.timeTicks.size(); ++i) {
        const AxisTick &tick = frame.timeTicks[i];
        painter.drawLine(tick.at, tick.at + QPoint(0, TickLength));
        if (!frame.timeLabelShown[i])
            continue;
        const QSize text(metrics.horizontalAdvance(tick.label), metrics.height());
        const QRect box(TimeLabelPos(tick, text.width()), text);
        painter.fillRect(box, m_input.background);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, tick.label);
    }
}

void PaintFiringCurve(QPainter &painter, const QRect &area, CurveViewState &view,
                      const CurvePaintInput &input)
{
    painter.save();
    painter.setClipRect(area);
    painter.fillRect(area, input.background);
    painter.translate(area.topLeft());
    FiringCurvePainter(painter, view, input, area.size()).paint();
    painter.restore();
}
