// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/healthsummary.h"

#include "app/healthtexts.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

namespace T = HealthTexts;

namespace
{

constexpr int Margin = 48;
constexpr int Width = int(HealthSummary::PageSize.width()) - 2 * Margin;
constexpr int Bottom = int(HealthSummary::PageSize.height()) - Margin;
constexpr int PlotHeight = 185;
const QColor Ink(0, 0, 0);
const QColor Faint(90, 90, 90);
const QColor Rule(170, 170, 170);
const QColor DueInk(150, 90, 0);
const QColor OverdueInk(180, 0, 0);

/// Writes the page from the top down; `m_y` is where the next line goes.
class PageWriter
{
public:
    PageWriter(QPainter &painter, const HealthSummaryContent &content)
        : m_p(painter)
        , m_c(content)
    {
    }

    void write()
    {
        title();
        facts();
        plots();
        checks();
        flags();
    }

private:
    QString t(const TextPair &pair) const { return pair.text(m_c.language); }

    static QFont font(int pixels, bool bold = false)
    {
        QFont f = QGuiApplication::font();
        f.setPixelSize(pixels);
        f.setBold(bold);
        f.setStyleStrategy(QFont::PreferNoShaping);
        return f;
    }

    void text(int x, int width, int height, const QString &s, const QFont &f, const QColor &ink)
    {
        m_p.setFont(f);
        m_p.setPen(ink);
        const QString shown = QFontMetricsF(f).elidedText(s, Qt::ElideRight, width);
        m_p.drawText(QRect(x, m_y, width, height), int(Qt::AlignLeft | Qt::AlignVCenter), shown);
    }

    /// `s` in lines no wider than `width`, at most `maxLines`, the last elided.
    static QStringList wrapped(const QString &s, const QFont &f, int width, int maxLines)
    {
        const QFontMetricsF metrics(f);
        QStringList lines;
        QString line;
        for (const QString &word : s.split(u' ', Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + u' ' + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
        if (lines.size() > maxLines) {
            QString rest = lines.mid(maxLines - 1).join(u' ');
            lines.resize(maxLines);
            lines.last() = metrics.elidedText(rest, Qt::ElideRight, width);
        }
        return lines;
    }

    void rule()
    {
        m_p.setPen(QPen(Rule, 1));
        m_p.drawLine(Margin, m_y, Margin + Width, m_y);
        m_y += 8;
    }

    void title()
    {
        text(Margin, Width, 30, t(T::SummaryTitle), font(22, true), Ink);
        m_y += 36;
        rule();
    }

    void facts()
    {
        const QString format = QStringLiteral("dd.MM.yyyy");
        const QString shown = QDateTime::fromMSecsSinceEpoch(m_c.fromMs).toString(format) +
                              QStringLiteral(" – ") +
                              QDateTime::fromMSecsSinceEpoch(m_c.toMs).toString(format);
        const std::pair<TextPair, QString> rows[] = {
            {T::SummaryFurnace, m_c.furnace},
            {T::SummaryPeriod, m_c.period},
            {T::SummaryShown, shown},
            {T::SummaryMade,
             m_c.made.toString(QStringLiteral("dd.MM.yyyy HH:mm")) +
                 (m_c.console.isEmpty() ? QString() : QStringLiteral(", ") + m_c.console)},
        };
        constexpr int LabelWidth = 120;
        bool first = true;
        for (const auto &[label, value] : rows) {
            text(Margin, LabelWidth, 18, t(label), font(12), Faint);
            text(Margin + LabelWidth, Width - LabelWidth, 18, value, font(12, first), Ink);
            m_y += 18;
            first = false;
        }
        m_y += 6;
        rule();
    }

    void plots()
    {
        m_p.setFont(font(11));
        for (const HealthPlotData &plot : m_c.plots) {
            const QRect area(Margin, m_y, Width, PlotHeight);
            HealthPlot::paint(m_p, area, plot, m_c.fromMs, m_c.toMs, m_c.language);
            m_p.setPen(QPen(Rule, 1));
            m_p.setBrush(Qt::NoBrush);
            m_p.drawRect(area);
            m_y += PlotHeight + 8;
        }
        m_y += 2;
    }

    void checks()
    {
        text(Margin, Width, 20, t(T::SummaryChecks), font(13, true), Ink);
        m_y += 22;
        if (m_c.checks.isEmpty()) {
            text(Margin, Width, 16, t(T::NoChecks), font(11), Faint);
            m_y += 20;
        }
        for (const HealthSummaryContent::Check &c : m_c.checks) {
            const QString mark = c.overdue ? QStringLiteral("!! ")
                                 : c.due   ? QStringLiteral("! ")
                                           : QString();
            text(Margin, Width / 2, 16, mark + c.status, font(11, c.due || c.overdue),
                 c.overdue ? OverdueInk
                 : c.due   ? DueInk
                           : Ink);
            text(Margin + Width / 2 + 8, Width / 2 - 8, 16, c.last, font(11), Faint);
            m_y += 16;
        }
        m_y += 8;
    }

    void flags()
    {
        text(Margin, Width, 20, t(T::SummaryFlags).arg(m_c.flags.size()), font(13, true), Ink);
        m_y += 22;
        if (m_c.flags.isEmpty()) {
            text(Margin, Width, 16, t(T::NoFlags), font(11), Faint);
            return;
        }
        constexpr int Line = 14;
        const QFont message = font(10);
        for (qsizetype i = 0; i < m_c.flags.size(); ++i) {
            const HealthSummaryContent::Flag &f = m_c.flags[i];
            const QStringList lines = wrapped(f.message, message, Width - 16, 2);
            // Room for this one and, when more follow, the line that says how many.
            const int needs =
                Line * int(1 + lines.size()) + 4 + (i + 1 < m_c.flags.size() ? Line : 0);
            if (m_y + needs > Bottom) {
                text(Margin, Width, Line, t(T::MoreFlags).arg(m_c.flags.size() - i), font(11),
                     Faint);
                return;
            }
            text(Margin, Width, Line,
                 f.firing.isEmpty() ? f.when : f.when + QStringLiteral("   ") + f.firing,
                 font(11, true), Ink);
            m_y += Line;
            for (const QString &line : lines) {
                text(Margin + 16, Width - 16, Line, line, message, Ink);
                m_y += Line;
            }
            m_y += 4;
        }
    }

    QPainter &m_p;
    const HealthSummaryContent &m_c;
    int m_y = Margin;
};

} // namespace

namespace HealthSummary
{

void Paint(QPainter &painter, const QSizeF &deviceSize, const HealthSummaryContent &content)
{
    painter.save();
    const double scale =
        std::min(deviceSize.width() / PageSize.width(), deviceSize.height() / PageSize.height());
    painter.translate((deviceSize.width() - PageSize.width() * scale) / 2, 0);
    painter.scale(scale, scale);
    painter.fillRect(QRectF(QPointF(0, 0), PageSize), Qt::white);
    PageWriter(painter, content).write();
    painter.restore();
}

QByteArray Pdf(const HealthSummaryContent &content)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(300);
        writer.setTitle(HealthTexts::SummaryTitle.text(content.language) + QStringLiteral(" — ") +
                        content.furnace);
        writer.setCreator(content.console);
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        Paint(painter, QSizeF(writer.width(), writer.height()), content);
        if (!painter.end())
            return {};
    }
    return buffer.data();
}

bool Print(QPrinter &printer, const HealthSummaryContent &content)
{
    printer.setDocName(HealthTexts::SummaryTitle.text(content.language));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    Paint(painter, QSizeF(printer.width(), printer.height()), content);
    return painter.end();
}

} // namespace HealthSummary
