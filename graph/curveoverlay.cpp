// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/curveoverlay.h"

#include <algorithm>

QList<QLine> GridLines(const CurveFrame &frame, const CurveViewState &view)
{
    QList<QLine> lines;
    for (size_t i = 1; i < frame.timeTicks.size(); ++i) {
        const int x = frame.timeTicks[i].at.x();
        lines << QLine(x, CurveViewState::PlotTop, x, view.PlotBottom - 1);
    }
    for (size_t i = 1; i < frame.tempTicks.size(); ++i) {
        const int y = frame.tempTicks[i].at.y();
        lines << QLine(CurveViewState::PlotLeft + 1, y, view.PlotRight, y);
    }
    return lines;
}

void SkipOverlappingLabels(CurveFrame &frame, const std::function<int(const QString &)> &textWidth,
                           int textHeight, LabelInk ink)
{
    QList<QRect> kept;
    auto keep = [&kept, ink](QPoint topLeft, int width) {
        const QRect digits(topLeft.x(), topLeft.y() + ink.top, width, ink.bottom - ink.top);
        for (const QRect &k : kept)
            if (k.intersects(digits))
                return false;
        kept << digits;
        return true;
    };
    for (size_t i = 0; i < frame.tempTicks.size(); ++i) {
        const AxisTick &tick = frame.tempTicks[i];
        const int w = textWidth(tick.label);
        frame.tempLabelShown[i] = keep(TempLabelPos(tick, w, textHeight), w);
    }
    for (size_t i = 0; i < frame.timeTicks.size(); ++i) {
        const AxisTick &tick = frame.timeTicks[i];
        const int w = textWidth(tick.label);
        frame.timeLabelShown[i] = keep(TimeLabelPos(tick, w), w);
    }
}

AxisUnitBoxes UnitLabelBoxes(const CurveViewState &view, QSize tempText, QSize timeText)
{
    constexpr int gap = 4;
    const int axisEnd = view.PlotRight + CurveViewState::PlotMargin;
    return {QRect(QPoint(CurveViewState::PlotLeft + gap, 1), tempText),
            QRect(QPoint(axisEnd - timeText.width() - 1, view.PlotBottom - timeText.height() - 2),
                  timeText)};
}

QList<LegendEntry> LayoutLegend(const QList<LegendEntry::Kind> &kinds, const QList<int> &textWidths,
                                int textHeight, int left, int right)
{
    QList<LegendEntry> entries;
    const qsizetype count = std::min(kinds.size(), textWidths.size());
    int x = left;
    for (qsizetype i = 0; i < count; ++i) {
        const int end = x + LegendSymbolWidth + LegendGap + textWidths[i];
        if (end > right)
            break;
        LegendEntry e;
        e.kind = kinds[i];
        e.symbol = QRect(x, 1, LegendSymbolWidth, textHeight);
        e.text = QRect(x + LegendSymbolWidth + LegendGap, 1, textWidths[i], textHeight);
        entries << e;
        x = end + LegendSpacing;
    }
    return entries;
}
