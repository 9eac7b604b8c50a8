// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/firingreport.h"

#include "app/recordformat.h"
#include "graph/curvepainter.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace
{

constexpr int Margin = 48;
constexpr int Width = int(FiringReport::PageSize.width()) - 2 * Margin;
constexpr int Bottom = int(FiringReport::PageSize.height()) - Margin;
constexpr int CurveHeight = 450;
constexpr int ParameterColumns = 4;
constexpr int ColumnGap = 14;
const QColor Ink(0, 0, 0);
const QColor Faint(90, 90, 90);
const QColor Rule(170, 170, 170);
const QColor FaultInk(180, 0, 0);

/// Draws the report from the top down; `y` is where the next line goes.
class PageWriter
{
public:
    PageWriter(QPainter &painter, const FiringRecord &record, quint8 language,
               const QString &console, const QByteArray &logbookHash)
        : m_p(painter)
        , m_record(record)
        , m_language(language)
        , m_console(console)
        , m_hash(logbookHash)
    {
    }

    void write()
    {
        title();
        facts();
        massAndLayer();
        parameters();
        curve();
        events();
        footer();
    }

private:
    QString t(const TextPair &pair) const { return pair.text(m_language); }

    QFont font(int pixels, bool bold = false) const
    {
        QFont f = QGuiApplication::font();
        f.setPixelSize(pixels);
        f.setBold(bold);
        // No ligatures: "fi" stays two letters that a reader can find and copy.
        f.setStyleStrategy(QFont::PreferNoShaping);
        return f;
    }

    QFont monospace(int pixels) const
    {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setStyleHint(QFont::TypeWriter);
        f.setPixelSize(pixels);
        f.setStyleStrategy(QFont::PreferNoShaping);
        return f;
    }

    /// `s` in lines no wider than `width`, broken between words and at its own line breaks; at
    /// most `maxLines`, the last ending in "…" when the text goes on.
    static QStringList wrapped(const QString &s, const QFont &f, int width, int maxLines)
    {
        const QFontMetricsF metrics(f);
        QString text = s;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        QStringList lines;
        for (const QString &paragraph : text.split(u'\n')) {
            QString line;
            for (const QString &word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
                const QString longer = line.isEmpty() ? word : line + u' ' + word;
                if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
                    lines << line;
                    line = word;
                } else {
                    line = longer;
                }
            }
            lines << line;
        }
        if (lines.size() > maxLines) {
            lines.resize(maxLines);
            lines.last() =
                metrics.elidedText(lines.last() + QStringLiteral(" \u2026"), Qt::ElideRight, width);
        }
        return lines;
    }

    /// Room at the bottom of the page for the footer.
    int footerHeight() const { return m_hash.isEmpty() ? 22 : 36; }

    /// `text` in a box of `width` at (x, m_y); a text too wide is set a little smaller, and
    /// elided when even that does not fit.
    void text(int x, int width, int height, const QString &s, const QFont &f, const QColor &ink,
              Qt::Alignment align = Qt::AlignLeft)
    {
        QFont fitted = f;
        for (int pixels = f.pixelSize() - 1;
             pixels >= f.pixelSize() * 4 / 5 && QFontMetricsF(fitted).horizontalAdvance(s) > width;
             --pixels)
            fitted.setPixelSize(pixels);
        m_p.setFont(fitted);
        m_p.setPen(ink);
        const QString shown = QFontMetricsF(fitted).elidedText(s, Qt::ElideRight, width);
        m_p.drawText(QRect(x, m_y, width, height), int(align | Qt::AlignVCenter), shown);
    }

    void rule()
    {
        m_p.setPen(QPen(Rule, 1));
        m_p.drawLine(Margin, m_y, Margin + Width, m_y);
        m_y += 8;
    }

    void title()
    {
        text(Margin, Width, 30, t(FiringTexts::ReportTitle), font(22, true), Ink);
        m_y += 36;
        rule();
    }

    /// "Label   value" rows in two columns of a half width each.
    void facts()
    {
        using namespace FiringTexts;
        const FiringTrace &trace = m_record.trace();
        const FiringFacts &facts = m_record.facts();
        const QString time = QStringLiteral("HH:mm:ss");
        QList<std::pair<TextPair, QString>> left = {
            {Console, facts.console.isEmpty() ? m_console : facts.console},
            {Furnace, FurnaceText(facts, m_language)},
            {Port, facts.port},
        };
        if (!facts.operatorName.isEmpty())
            left.append({Operator, facts.operatorName});
        const std::pair<TextPair, QString> right[] = {
            {Date, trace.startedAt().toString(QStringLiteral("yyyy-MM-dd"))},
            {Start, trace.startedAt().toString(time)},
            {End, trace.endedAt().isValid() ? trace.endedAt().toString(time) : QString()},
            {Duration, DurationText(trace, QDateTime::currentDateTime())},
        };
        const int half = Width / 2;
        const int labelWidth = 120;
        const int top = m_y;
        auto column = [&](int x, const auto &rows) {
            m_y = top;
            for (const auto &[label, value] : rows) {
                text(x, labelWidth, 18, t(label), font(12), Faint);
                text(x + labelWidth, half - labelWidth - ColumnGap, 18, value, font(12), Ink);
                m_y += 18;
            }
        };
        column(Margin, left);
        column(Margin + half, right);
        m_y = top + 4 * 18 + 2;
        const bool fault =
            trace.outcome() == RunOutcome::Fault || trace.outcome() == RunOutcome::Interrupted;
        text(Margin, labelWidth, 20, t(Outcome), font(12), Faint);
        text(Margin + labelWidth, Width - labelWidth, 20, OutcomeText(trace, m_language),
             font(13, true), fault ? FaultInk : Ink);
        const QString caseReference = m_record.caseReference();
        const QString note = m_record.note();
        if (caseReference.isEmpty() && note.isEmpty()) {
            m_y += 26;
            return;
        }
        m_y += 22;
        const std::pair<TextPair, QStringList> notes[] = {
            {CaseReference, wrapped(caseReference, font(12), Width - labelWidth, 1)},
            {Note, wrapped(note, font(12), Width - labelWidth, 3)},
        };
        for (const auto &[label, lines] : notes) {
            if (lines.join(QString()).isEmpty())
                continue;
            text(Margin, labelWidth, 18, t(label), font(12), Faint);
            for (const QString &line : lines) {
                text(Margin + labelWidth, Width - labelWidth, 18, line, font(12), Ink);
                m_y += 18;
            }
        }
        m_y += 4;
    }

    void massAndLayer()
    {
        using namespace FiringTexts;
        const FiringFacts &facts = m_record.facts();
        const int half = Width / 2;
        text(Margin, half - ColumnGap, 22, t(Mass) + QStringLiteral(": ") + facts.massName,
             font(14, true), Ink);
        text(Margin + half, half, 22,
             t(Layer) + QStringLiteral(": ") + facts.layerName +
                 QStringLiteral("  (%1 %2)").arg(t(ProgramNumber)).arg(facts.record.ProgNumber),
             font(14, true), Ink);
        m_y += 28;
        rule();
    }

    void parameters()
    {
        text(Margin, Width, 20, t(FiringTexts::Parameters), font(13, true), Ink);
        m_y += 22;
        const QList<ParameterGroup> groups =
            RecordParameterGroups(m_record.facts().record, m_language);
        const int columnWidth = (Width - (ParameterColumns - 1) * ColumnGap) / ParameterColumns;
        constexpr int lineHeight = 15;
        for (qsizetype first = 0; first < groups.size(); first += ParameterColumns) {
            const int top = m_y;
            int tallest = 0;
            for (qsizetype g = first; g < std::min(groups.size(), first + ParameterColumns); ++g) {
                const int x = Margin + int(g - first) * (columnWidth + ColumnGap);
                m_y = top;
                text(x, columnWidth, lineHeight, groups[g].title, font(11, true), Ink);
                m_y += lineHeight + 1;
                for (const ParameterLine &line : groups[g].lines) {
                    const QString value = line.shown + QLatin1Char(' ') + line.unit;
                    const int valueWidth =
                        int(std::ceil(QFontMetricsF(font(11)).horizontalAdvance(value)));
                    text(x, columnWidth - valueWidth - 4, lineHeight, line.label, font(11), Faint);
                    text(x, columnWidth, lineHeight, value, font(11), Ink, Qt::AlignRight);
                    m_y += lineHeight;
                }
                tallest = std::max(tallest, m_y - top);
            }
            m_y = top + tallest + 8;
        }
        rule();
    }

    void curve()
    {
        const FiringTrace &trace = m_record.trace();
        CurvePaintInput input;
        input.record = &m_record.facts().record;
        input.measured = &trace;
        input.language = m_language;
        input.background = Qt::white;
        if (!trace.samples().isEmpty()) {
            const TraceSample &last = trace.samples().constLast();
            input.run = {last.CurrentZone, last.ZoneTime, last.ChamberTemp};
        }
        // The full view, which the painter widens to hold the whole measured curve.
        CurveViewState view;
        view.TotalScale(m_record.facts().record);
        m_p.setFont(font(11));
        const QRect area(Margin, m_y, Width, CurveHeight);
        PaintFiringCurve(m_p, area, view, input);
        m_p.setPen(QPen(Rule, 1));
        m_p.setBrush(Qt::NoBrush);
        m_p.drawRect(area);
        m_y += CurveHeight + 10;
    }

    void events()
    {
        text(Margin, Width, 20, t(FiringTexts::Events), font(13, true), Ink);
        m_y += 22;
        constexpr int lineHeight = 15;
        const QList<RecordEvent> &events = m_record.events();
        const int room = std::max(2, (Bottom - footerHeight() - m_y) / lineHeight);
        // When they do not all fit: the first ones, a line saying how many are left out, and
        // the last one (how the firing ended).
        const qsizetype shown = events.size() <= room ? events.size() : room - 2;
        auto line = [&](const RecordEvent &e) {
            const qint64 since = m_record.trace().startedAt().secsTo(e.when);
            text(Margin, 70, lineHeight, e.when.toString(QStringLiteral("HH:mm:ss")), font(11),
                 Ink);
            text(Margin + 70, 70, lineHeight, QStringLiteral("+%1").arg(FormatSince(since)),
                 font(11), Faint);
            text(Margin + 140, Width - 140, lineHeight, EventText(e, m_language), font(11),
                 e.kind == RecordEventKind::Fault || e.kind == RecordEventKind::Interrupted
                     ? FaultInk
                     : Ink);
            m_y += lineHeight;
        };
        for (qsizetype i = 0; i < shown; ++i)
            line(events[i]);
        if (shown < events.size()) {
            const qsizetype left = events.size() - shown - 1 + m_record.droppedEvents();
            text(Margin + 140, Width - 140, lineHeight, t(FiringTexts::MoreEvents).arg(left),
                 font(11), Faint);
            m_y += lineHeight;
            line(events.constLast());
        }
    }

    void footer()
    {
        if (!m_hash.isEmpty()) {
            // In full and in a monospace font: a reader compares it digit by digit.
            m_y = Bottom - 28;
            const QString label = t(FiringTexts::LogbookHash) + QStringLiteral(": ");
            const int labelWidth =
                int(std::ceil(QFontMetricsF(font(10)).horizontalAdvance(label))) + 2;
            text(Margin, labelWidth, 14, label, font(10), Faint);
            text(Margin + labelWidth, Width - labelWidth, 14, QString::fromLatin1(m_hash.toHex()),
                 monospace(10), Ink);
        }
        m_y = Bottom - 14;
        const FiringTrace &trace = m_record.trace();
        QString samples = t(FiringTexts::Samples) + QStringLiteral(": ") +
                          QString::number(trace.samples().size());
        if (trace.dropped() > 0)
            samples += QStringLiteral(";  ") + t(FiringTexts::DroppedSamples) +
                       QStringLiteral(": ") + QString::number(trace.dropped());
        text(Margin, Width, 14, samples, font(10), Faint);
    }

    static QString FormatSince(qint64 seconds)
    {
        seconds = std::max<qint64>(0, seconds);
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }

    QPainter &m_p;
    const FiringRecord &m_record;
    quint8 m_language;
    QString m_console;
    QByteArray m_hash;
    int m_y = Margin;
};

} // namespace

namespace FiringReport
{

void Paint(QPainter &painter, const QSizeF &deviceSize, const FiringRecord &record, quint8 language,
           const QString &console, const QByteArray &logbookHash)
{
    painter.save();
    const double scale =
        std::min(deviceSize.width() / PageSize.width(), deviceSize.height() / PageSize.height());
    painter.translate((deviceSize.width() - PageSize.width() * scale) / 2, 0);
    painter.scale(scale, scale);
    painter.fillRect(QRectF(QPointF(0, 0), PageSize), Qt::white);
    PageWriter(painter, record, language, console, logbookHash).write();
    painter.restore();
}

QByteArray Pdf(const FiringRecord &record, quint8 language, const QString &console,
               const QByteArray &logbookHash)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(300);
        writer.setTitle(FiringTexts::ReportTitle.text(language) + QStringLiteral(" — ") +
                        record.facts().massName + QStringLiteral(", ") + record.facts().layerName);
        writer.setCreator(console);
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        Paint(painter, QSizeF(writer.width(), writer.height()), record, language, console,
              logbookHash);
        if (!painter.end())
            return {};
    }
    return buffer.data();
}

bool Print(QPrinter &printer, const FiringRecord &record, quint8 language, const QString &console,
           const QByteArray &logbookHash)
{
    printer.setDocName(FiringTexts::ReportTitle.text(language));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    Paint(painter, QSizeF(printer.width(), printer.height()), record, language, console,
          logbookHash);
    return painter.end();
}

} // namespace FiringReport
