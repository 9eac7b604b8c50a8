// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/textpair.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

class QFontMetrics;
class QPainter;

/// What a health plot shows: one figure of a furnace's firings over time. Every list has one
/// item per firing, in the order of `timesMs` (ascending, ms since 1970 UTC).
struct HealthPlotData {
    QList<qint64> timesMs;
    /// The firing's figure; NaN for a firing flagged without it (a vacuum that never reached its
    /// level): marked at the top of the plot.
    QList<double> values;
    /// The baseline the firing was judged against: median, lowest, highest; NaN for none.
    QList<double> median;
    QList<double> low;
    QList<double> high;
    QList<bool> flagged;
    /// "Heating rate 700–900 °C" and "°C/min", in the language shown.
    QString title;
    QString unit;
    int decimals = 1;
    /// The time range of the full view (the period asked for); when it is empty, the firings'.
    qint64 fromMs = 0;
    qint64 toMs = 0;
};

/// One tick of the date axis: where it stands and its label ("07.12", "июл 2026", "14:00").
struct HealthTimeTick {
    qint64 atMs = 0;
    QString label;
};

/// The calendar ticks of [fromMs, toMs] (local time) drawn `widthPx` wide: the smallest step of
/// 1, 2, 3, 6, 12 hours, 1, 2 days, a week (Mondays), 1, 2, 3, 6 months, 1, 2, 5, 10 years whose
/// ticks stand at least `minSpacingPx` apart. Labels in `language`'s month names.
QList<HealthTimeTick> HealthTimeTicks(qint64 fromMs, qint64 toMs, int widthPx, int minSpacingPx,
                                      quint8 language);

/// One figure of a furnace's firings over time (objectName given by the caller): each normal
/// firing as a dot, the baseline it was judged against as a light bar behind it (they merge
/// into a band where firings stand close) with its median as a darker tick, flagged firings as
/// red diamonds (a red triangle at the top for one flagged without a value). A date axis below,
/// the value axis with its unit at the left, nice ticks on both.
///
/// The mouse wheel zooms the time axis around the pointer and a drag pans it, as on the firing
/// curve; a double click, the Home key or fullView() shows the whole range; + and - zoom and the
/// arrow keys pan from the keyboard. The value axis fits what is in view. A tooltip names the
/// firing under the pointer. Painting costs in the number of firings in view: points that land
/// on a pixel already drawn are skipped, so 100,000 firings draw in a few milliseconds.
class HealthPlot : public QWidget
{
    Q_OBJECT
public:
    /// The time axis never zooms in below this, ms.
    static constexpr qint64 MinSpanMs = 2 * 3600 * 1000;

    explicit HealthPlot(const QString &objectName, QWidget *parent = nullptr);

    /// The firings to show, then their full view.
    void setData(const HealthPlotData &data);
    const HealthPlotData &data() const { return m_data; }
    /// Language of the date axis, the legend and the accessible texts (0 Russian, 1 English).
    void setLanguage(quint8 language);

    /// The whole range again.
    void fullView();
    /// Shows [fromMs, toMs] (kept within the full range, at least MinSpanMs); no signal.
    void setView(qint64 fromMs, qint64 toMs);
    qint64 viewFromMs() const { return m_from; }
    qint64 viewToMs() const { return m_to; }
    qint64 fullFromMs() const { return m_fullFrom; }
    qint64 fullToMs() const { return m_fullTo; }
    /// Wheel zoom by `notches` (positive: in, each a fifth narrower) around column `x`.
    void wheelZoomAt(double notches, int x);
    /// Shifts the view by a drag of `dx` px (positive: to earlier times).
    void panBy(int dx);

    /// Firings with a value, and flagged firings.
    int pointCount() const { return m_points; }
    int flaggedCount() const { return m_flags; }
    /// Where the flagged firings in view are marked at the present size (centres, px).
    QList<QPoint> flagMarks() const;
    /// The index of the firing drawn nearest to `at` within a few pixels; -1 for none.
    int firingAt(const QPoint &at) const;

    /// Paints `data` in [fromMs, toMs] into `area` of `painter` (the window's plot, the
    /// summary's page), with the painter's font.
    static void paint(QPainter &painter, const QRect &area, const HealthPlotData &data,
                      qint64 fromMs, qint64 toMs, quint8 language);

    static QColor flagColour();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    /// The user zoomed or panned (not setView()).
    void viewChanged(qint64 fromMs, qint64 toMs);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateTexts();
    void moved();
    QString firingText(int index) const;

    HealthPlotData m_data;
    quint8 m_language = 1;
    qint64 m_fullFrom = 0;
    qint64 m_fullTo = 1;
    qint64 m_from = 0;
    qint64 m_to = 1;
    int m_points = 0;
    int m_flags = 0;
    struct Drag {
        bool pressed = false;
        bool dragging = false;
        int x = 0;
        qint64 from = 0;
        qint64 to = 0;
    } m_drag;
};

/// Texts the health plot writes or tells a screen reader.
namespace HealthPlotTexts
{
inline constexpr TextPair Firing{"обжиг", "firing"};
inline constexpr TextPair Baseline{"база (10 предыдущих)", "baseline (10 before)"};
inline constexpr TextPair Flagged{"отмечен", "flagged"};
inline constexpr TextPair Nothing{"Нет обжигов с этим показателем за период.",
                                  "No firings with this figure in the period."};
/// Accessible name: title, unit, number of firings, number flagged.
inline constexpr TextPair Name{"%1, %2: обжигов %3, отмечено %4", "%1, %2: %3 firings, %4 flagged"};
inline constexpr TextPair Description{
    "Показатель каждого обжига по дате, с базой, с которой он сравнивался; отмеченные обжиги — "
    "красные ромбы. Показано с %1 по %2. Колесо мыши масштабирует, перетаскивание сдвигает, Home "
    "показывает всё.",
    "Each firing's figure by date, with the baseline it was compared with; flagged firings are "
    "red diamonds. Shown from %1 to %2. The mouse wheel zooms, a drag pans, Home shows "
    "everything."};
/// Tooltip: date, value with unit, baseline.
inline constexpr TextPair Tip{"%1: %2 %3", "%1: %2 %3"};
inline constexpr TextPair TipBaseline{"база %1 (%2–%3)", "baseline %1 (%2–%3)"};
inline constexpr TextPair TipNoBaseline{"базы ещё нет", "no baseline yet"};
inline constexpr TextPair TipNoValue{"не достигнуто", "not reached"};
} // namespace HealthPlotTexts
