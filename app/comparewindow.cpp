// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/comparewindow.h"

#include "app/historytexts.h"
#include "graph/comparecurves.h"
#include "graph/compareview.h"
#include "logbook/historymodel.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace T = HistoryTexts;

namespace
{

/// The figures' columns after the firing's label, in order.
enum FigureColumn {
    ColFiring,
    ColToFiringTemp,
    ColHighest,
    ColOvershoot,
    ColHoldDeviation,
    ColVacuumToHighest,
    ColDuration,
    ColumnCount
};

constexpr TextPair DegC{"°C", "°C"};

QString seconds(const std::optional<double> &s)
{
    return s ? FormatMinSec(int(std::lround(*s))) : QStringLiteral("—");
}

QString degrees(const std::optional<int> &t)
{
    return t ? QStringLiteral("%1 °C").arg(*t) : QStringLiteral("—");
}

/// A line of the curve's colour and style: the legend's mark in the table.
QPixmap curveMark(int index, int height)
{
    QPixmap mark(28, height);
    mark.fill(Qt::transparent);
    QPainter p(&mark);
    QPen pen(CompareView::curveColour(index), 3, CompareView::curveStyle(index), Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(2, height / 2, 26, height / 2);
    return mark;
}

} // namespace

CompareWindow::CompareWindow(const QList<StoredEntry> &entries, quint8 language, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_language(language)
{
    setObjectName(QStringLiteral("CompareWindow"));
    for (const StoredEntry &entry : entries.mid(0, MaxCompareCurves))
        m_compared.append({entry, ComputeFiringFigures(entry.record)});
    build();
    reLanguage();
    updateCurves();
}

void CompareWindow::build()
{
    m_view = new CompareView(this);
    lblAlign = new QLabel(this);
    lblAlign->setObjectName(QStringLiteral("lblAlign"));
    rbAlignStart = new QRadioButton(this);
    rbAlignStart->setObjectName(QStringLiteral("rbAlignStart"));
    rbAlignStart->setChecked(true);
    rbAlignHeating = new QRadioButton(this);
    rbAlignHeating->setObjectName(QStringLiteral("rbAlignHeating"));
    auto *group = new QButtonGroup(this);
    group->addButton(rbAlignStart);
    group->addButton(rbAlignHeating);
    connect(rbAlignHeating, &QRadioButton::toggled, this, [this](bool heating) {
        setAlignment(heating ? Alignment::HeatingStart : Alignment::ProgramStart);
    });
    auto *align = new QHBoxLayout;
    align->addWidget(lblAlign);
    align->addWidget(rbAlignStart);
    align->addWidget(rbAlignHeating);
    align->addStretch(1);

    twFigures = new QTableWidget(int(m_compared.size()), ColumnCount, this);
    twFigures->setObjectName(QStringLiteral("twFigures"));
    twFigures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    twFigures->setSelectionBehavior(QAbstractItemView::SelectRows);
    twFigures->verticalHeader()->hide();
    // The firing's label takes the room the figures leave.
    twFigures->horizontalHeader()->setSectionResizeMode(ColFiring, QHeaderView::Stretch);
    twFigures->setWordWrap(false);
    fillFigures();

    auto *split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("spCompare"));
    split->addWidget(m_view);
    split->addWidget(twFigures);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(align);
    layout->addWidget(split, 1);
    m_split = split;
    resize(1100, 760);
}

QString CompareWindow::label(const EntrySummary &entry)
{
    return HistoryModel::startedText(entry) + QStringLiteral(", ") + entry.mass +
           QStringLiteral(" / ") + entry.layer;
}

void CompareWindow::setLanguage(quint8 language)
{
    if (language == m_language)
        return;
    m_language = language;
    reLanguage();
}

void CompareWindow::reLanguage()
{
    setWindowTitle(tx(T::CompareTitle));
    lblAlign->setText(tx(T::AlignAt));
    rbAlignStart->setText(tx(T::AlignStart));
    rbAlignHeating->setText(tx(T::AlignHeating));
    const QString align = tx(T::AlignAt) + QLatin1Char(' ');
    rbAlignStart->setAccessibleName(align + tx(T::AlignStart));
    rbAlignHeating->setAccessibleName(align + tx(T::AlignHeating));
    m_view->setLanguage(m_language);
    twFigures->setHorizontalHeaderLabels({
        tx(T::Firing),
        tx(T::ToFiringTemp),
        tx(T::HighestTemp),
        tx(T::Overshoot),
        tx(T::HoldDeviation),
        tx(T::VacuumToHighest),
        tx(T::TotalDuration),
    });
    twFigures->setAccessibleName(tx(T::FiguresName));
    twFigures->resizeColumnsToContents();
    twFigures->resizeRowsToContents();
}

void CompareWindow::fillFigures()
{
    const int markHeight = twFigures->fontMetrics().height();
    for (int row = 0; row < m_compared.size(); ++row) {
        const FiringFigures &f = m_compared[row].figures;
        const QString deviation =
            f.holdMeanDeviation
                ? QStringLiteral("%1 %2").arg(QLocale::c().toString(*f.holdMeanDeviation, 'f', 1),
                                              DegC.text(m_language))
                : QStringLiteral("—");
        const QString cells[ColumnCount] = {
            label(m_compared[row].entry.summary),
            seconds(f.firingTempReachedSeconds),
            degrees(f.runMaxTemp),
            degrees(f.holdOvershoot),
            deviation,
            seconds(f.vacuumToMaxSeconds),
            seconds(f.durationSeconds),
        };
        for (int column = 0; column < ColumnCount; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column == ColFiring)
                item->setIcon(curveMark(row, markHeight));
            else
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            twFigures->setItem(row, column, item);
        }
    }
    twFigures->setIconSize(QSize(28, markHeight));
}

void CompareWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitFigures();
}

void CompareWindow::fitFigures()
{
    // Every row shows, the curves take the rest.
    const int rows = twFigures->verticalHeader()->length();
    const int height = twFigures->horizontalHeader()->sizeHint().height() + rows +
                       2 * twFigures->frameWidth() +
                       (twFigures->horizontalScrollBar()->isVisible()
                            ? twFigures->horizontalScrollBar()->sizeHint().height()
                            : 0);
    twFigures->setMinimumHeight(std::min(height, 320));
    m_split->setSizes({std::max(200, m_split->height() - height), height});
}

void CompareWindow::setAlignment(Alignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    (alignment == Alignment::HeatingStart ? rbAlignHeating : rbAlignStart)->setChecked(true);
    updateCurves();
}

void CompareWindow::updateCurves()
{
    QList<CompareCurve> curves;
    for (const Compared &c : std::as_const(m_compared)) {
        CompareCurve curve;
        curve.label = label(c.entry.summary);
        curve.samples = c.entry.record.trace().samples();
        // A run that never got to heating stays at its program start.
        if (m_alignment == Alignment::HeatingStart)
            curve.offsetSeconds = c.figures.heatingStartSeconds.value_or(0);
        curves.append(curve);
    }
    m_view->setCurves(curves);
}
