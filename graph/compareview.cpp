// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/compareview.h"

#include "graph/curveoverlay.h"
#include "graph/curvetexts.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyleHints>
#include <QWheelEvent>

#include <algorithm>
#include <array>

namespace
{

struct CurveLook {
    QColor colour;
    Qt::PenStyle style;
    QList<qreal> dashes; ///< px on, px off, ...; empty for a solid line
};

// The colour-blind-safe set of Okabe and Ito, on white, the yellow darkened to stay visible;
// colours that come close for some eyes (blue and sky blue, vermillion and orange) differ in
// their line style too.
const std::array<CurveLook, MaxCompareCurves> kLooks = {{
    {QColor(0, 114, 178), Qt::SolidLine, {}},
    {QColor(213, 94, 0), Qt::SolidLine, {}},
    {QColor(0, 158, 115), Qt::SolidLine, {}},
    {QColor(204, 121, 167), Qt::SolidLine, {}},
    {QColor(230, 159, 0), Qt::DashLine, {7, 4}},
    {QColor(86, 180, 233), Qt::DashLine, {7, 4}},
    {QColor(0, 0, 0), Qt::DashLine, {7, 4}},
    {QColor(170, 150, 0), Qt::DashDotLine, {7, 3, 2, 3}},
}};
const QColor kAxisColor(0, 0, 0);
/// The grid is the background a shade darker, as on the main curve.
constexpr int kGridDarker = 115;
/// A keyboard pan moves a tenth of the plot.
constexpr int kKeyPanParts = 10;

const CurveLook &lookOf(int index)
{
    const int n = MaxCompareCurves;
    return kLooks[size_t(((index % n) + n) % n)];
}

/// A 2 px line through `line` in the look of curve `index`: the 1 px polyline drawn again one
/// pixel right and one pixel down. A 2 px pen costs the stroker some twenty times as much on
/// thousands of points (8 curves of 3000 samples: over 30 ms a paint); the dash pattern runs on
/// along the line, the same in all three.
void drawCurveLine(QPainter &painter, const QPolygon &line, int index)
{
    const CurveLook &look = lookOf(index);
    QPen pen(look.colour, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (!look.dashes.isEmpty())
        pen.setDashPattern(look.dashes);
    painter.setPen(pen);
    if (line.size() == 1) {
        painter.fillRect(QRect(line.first() - QPoint(1, 1), QSize(3, 3)), look.colour);
        return;
    }
    for (const QPoint shift : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1)})
        painter.drawPolyline(line.translated(shift));
}

} // namespace

CompareView::CompareView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pbCompare"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_state.fullView({});
    updateAccessibleTexts();
}

QColor CompareView::curveColour(int index)
{
    return lookOf(index).colour;
}

Qt::PenStyle CompareView::curveStyle(int index)
{
    return lookOf(index).style;
}

void CompareView::setCurves(const QList<CompareCurve> &curves)
{
    m_curves = curves.mid(0, MaxCompareCurves);
    updateAccessibleTexts();
    fullView();
}

void CompareView::setLanguage(quint8 language)
{
    if (language == m_language)
        return;
    m_language = language;
    updateAccessibleTexts();
    update();
}

void CompareView::updateAccessibleTexts()
{
    setAccessibleName(CompareTexts::GraphName.text(m_language).arg(m_curves.size()));
    setAccessibleDescription(CompareDescription(m_curves, m_language));
}

void CompareView::fullView()
{
    m_state.fullView(CompareExtentOf(m_curves));
    updateFrame();
    update();
}

void CompareView::updateFrame()
{
    m_state.view.setAreaSize(legend().plotWidth, height());
}

void CompareView::wheelZoomAt(double notches, int x, int y)
{
    updateFrame();
    if (m_state.view.wheelZoom(notches, x, y))
        update();
}

void CompareView::panBy(int dx, int dy)
{
    updateFrame();
    const CurveViewState from = m_state.view;
    if (m_state.view.pan(from, dx, dy))
        update();
}

CompareLegend CompareView::legend(QStringList *texts) const
{
    const QFontMetrics metrics = fontMetrics();
    const int maxWidth = CompareLegendTextWidth(width());
    QList<int> widths;
    for (qsizetype i = 0; i < m_curves.size(); ++i) {
        const QString label =
            m_curves[i].label.isEmpty() ? QString::number(i + 1) : m_curves[i].label;
        const QString shown = metrics.elidedText(label, Qt::ElideRight, maxWidth);
        widths << metrics.horizontalAdvance(shown);
        if (texts)
            *texts << shown;
    }
    return LayoutCompareLegend(widths, metrics.height(), size());
}

QColor CompareView::backgroundColor() const
{
    return Qt::white;
}

QSize CompareView::sizeHint() const
{
    return {CurveViewState::DesignWidth, 320};
}

QSize CompareView::minimumSizeHint() const
{
    const int rows = MaxCompareCurves * (fontMetrics().height() + 2);
    return {4 * CurveViewState::PlotLeft + 120,
            CurveViewState::PlotTop + rows + CurveViewState::PlotMargin};
}

void CompareView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCompare(painter);
}

void CompareView::paintCompare(QPainter &painter)
{
    painter.setFont(font());
    const QColor background = backgroundColor();
    painter.fillRect(rect(), background);
    QStringList texts;
    const CompareLegend key = legend(&texts);
    m_state.view.setAreaSize(key.plotWidth, height());
    const CurveViewState &view = m_state.view;
    const QFontMetrics metrics = painter.fontMetrics();
    const QList<AxisTick> timeTicks =
        CompareTimeTicks(m_state, metrics.horizontalAdvance(QStringLiteral("-000:00")) + 8);
    const QList<AxisTick> tempTicks = CompareTempTicks(m_state, metrics.height() + 4);

    painter.setPen(QPen(background.darker(kGridDarker), 1));
    const QList<QLine> grid = CompareGridLines(timeTicks, tempTicks, view);
    painter.drawLines(grid.constData(), int(grid.size()));

    // A curve is one polyline, so that a dash pattern runs on along it.
    painter.save();
    painter.setClipRect(QRect(QPoint(CurveViewState::PlotLeft + 1, CurveViewState::PlotTop - 2),
                              QPoint(view.PlotRight + 1, view.PlotBottom - 1)));
    for (qsizetype i = 0; i < m_curves.size(); ++i) {
        const QPolygon line(ComparePoints(m_curves[i], m_state));
        if (!line.isEmpty())
            drawCurveLine(painter, line, int(i));
    }
    painter.restore();

    painter.setPen(QPen(kAxisColor, 1));
    const QPoint axes[3] = {QPoint(CurveViewState::PlotLeft, 0),
                            QPoint(CurveViewState::PlotLeft, view.PlotBottom),
                            QPoint(view.PlotRight + CurveViewState::PlotMargin, view.PlotBottom)};
    painter.drawPolyline(axes, 3);
    auto writeText = [&](const QRect &box, const QString &text) {
        painter.fillRect(box, background);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    };
    QList<QRect> timeLabels;
    for (const AxisTick &tick : timeTicks) {
        painter.drawLine(tick.at, tick.at + QPoint(0, TickLength));
        const QRect box(TimeLabelPos(tick, metrics.horizontalAdvance(tick.label)),
                        QSize(metrics.horizontalAdvance(tick.label), metrics.height()));
        writeText(box, tick.label);
        timeLabels << box;
    }
    for (const AxisTick &tick : tempTicks) {
        painter.drawLine(tick.at, tick.at - QPoint(TickLength, 0));
        const QSize text(metrics.horizontalAdvance(tick.label), metrics.height());
        const QRect box(TempLabelPos(tick, text.width(), text.height()), text);
        if (std::none_of(timeLabels.cbegin(), timeLabels.cend(),
                         [&box](const QRect &r) { return r.intersects(box); }))
            writeText(box, tick.label);
    }

    const QString tempUnit = CurveTexts::TemperatureUnit.text(m_language);
    const QString timeUnit = CurveTexts::TimeUnit.text(m_language);
    auto textSize = [&metrics](const QString &t) {
        return QSize(metrics.horizontalAdvance(t), metrics.height());
    };
    const AxisUnitBoxes units = UnitLabelBoxes(view, textSize(tempUnit), textSize(timeUnit));
    writeText(units.temperature, tempUnit);
    writeText(units.time, timeUnit);

    for (qsizetype i = 0; i < key.entries.size(); ++i) {
        const CompareLegendEntry &e = key.entries[i];
        const int midY = e.symbol.center().y();
        drawCurveLine(painter,
                      QPolygon({QPoint(e.symbol.left(), midY), QPoint(e.symbol.right(), midY)}),
                      int(i));
        painter.setPen(QPen(kAxisColor, 1));
        painter.drawText(e.text, Qt::AlignLeft | Qt::AlignTop, texts[i]);
    }
}

void CompareView::mousePressEvent(QMouseEvent *event)
{
    updateFrame();
    m_drag = {true, false, event->position().toPoint(), m_state.view};
}

void CompareView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_drag.pressed || event->buttons() == Qt::NoButton)
        return;
    const QPoint moved = event->position().toPoint() - m_drag.at;
    if (!m_drag.dragging &&
        moved.manhattanLength() >= QGuiApplication::styleHints()->startDragDistance()) {
        m_drag.dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    if (m_drag.dragging) {
        updateFrame();
        if (m_state.view.pan(m_drag.from, moved.x(), moved.y()))
            update();
    }
}

void CompareView::mouseReleaseEvent(QMouseEvent *)
{
    if (m_drag.dragging)
        unsetCursor();
    m_drag = {};
}

void CompareView::mouseDoubleClickEvent(QMouseEvent *)
{
    fullView();
}

void CompareView::wheelEvent(QWheelEvent *event)
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

void CompareView::keyPressEvent(QKeyEvent *event)
{
    updateFrame();
    const CurveViewState &view = m_state.view;
    const int stepX = std::max(1, (view.PlotRight - CurveViewState::PlotLeft) / kKeyPanParts);
    const int stepY = std::max(1, (view.PlotBottom - CurveViewState::PlotTop) / kKeyPanParts);
    const QPoint centre((CurveViewState::PlotLeft + view.PlotRight) / 2,
                        (CurveViewState::PlotTop + view.PlotBottom) / 2);
    switch (event->key()) {
    case Qt::Key_Home:
        fullView();
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        wheelZoomAt(1, centre.x(), centre.y());
        break;
    case Qt::Key_Minus:
        wheelZoomAt(-1, centre.x(), centre.y());
        break;
    case Qt::Key_Left:
        panBy(stepX, 0);
        break;
    case Qt::Key_Right:
        panBy(-stepX, 0);
        break;
    case Qt::Key_Up:
        panBy(0, stepY);
        break;
    case Qt::Key_Down:
        panBy(0, -stepY);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
