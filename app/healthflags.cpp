// SPDX-License-Identifier: GPL-3.0-or-later
// The furnace health window's flagged firings: what was found, in a few words and in full, the
// names of the firings read a few days at a time, a flagged firing shown in the plots.

#include "app/healthtexts.h"
#include "app/healthwindow.h"
#include "graph/healthplot.h"

#include <QDateTime>
#include <QLabel>
#include <QSet>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace T = HealthTexts;

namespace
{

/// The flagged list shows the newest this many; a last row says how many more there are.
constexpr int MaxFlagRows = 500;
/// Days whose firings' names are read per turn of the event loop.
constexpr int NameDaysPerTurn = 8;
/// A flagged firing selected is shown in the middle of this much time, unless less is in view.
constexpr qint64 FlagViewMs = 14LL * 24 * 3600 * 1000;
constexpr int EntryIdRole = Qt::UserRole;
constexpr int TimeRole = Qt::UserRole + 1;

QString dateTimeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString figureText(HealthFigure figure, quint8 language)
{
    switch (figure) {
    case HealthFigure::Heating:
        return T::FigureHeating.text(language);
    case HealthFigure::HoldDeviation:
        return T::FigureHold.text(language);
    case HealthFigure::VacuumTime:
        return T::FigureVacuum.text(language);
    case HealthFigure::BandRate:
        return T::FigureBand.text(language);
    }
    return {};
}

} // namespace

QString HealthWindow::Flag::message(quint8 language) const
{
    return drift ? DriftMessage(*drift, language)
                 : T::Unexplained.text(language).arg(figureText(figure, language));
}

QString HealthWindow::Flag::summary(quint8 language) const
{
    if (!drift)
        return T::ShortUnexplained.text(language).arg(figureText(figure, language));
    const DriftFlag &d = *drift;
    auto number = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    const QString percent = QString::number(std::lround(d.change * 100));
    switch (d.figure) {
    case HealthFigure::Heating:
        return d.byTime ? T::ShortReach.text(language).arg(d.temperature).arg(percent)
                        : T::ShortRate.text(language)
                              .arg(d.temperature)
                              .arg(number(d.value, 1), percent);
    case HealthFigure::HoldDeviation:
        return T::ShortHold.text(language).arg(number(d.value, 1), number(d.change, 1));
    case HealthFigure::VacuumTime:
        return d.levelMissed
                   ? T::ShortVacuumMissed.text(language).arg(VacuumTarget).arg(d.levelReached)
                   : T::ShortVacuum.text(language)
                         .arg(number(d.value, 0))
                         .arg(VacuumTarget)
                         .arg(percent);
    case HealthFigure::BandRate:
        return T::ShortBand.text(language)
            .arg(number(d.value, 1))
            .arg(d.bandLow)
            .arg(d.temperature)
            .arg(percent);
    }
    return {};
}

void HealthWindow::fillFlags()
{
    m_flags.clear();
    for (const FlaggedFiring &f : FlaggedFiringsOf(m_points, m_savedTolerances, m_shownFrom)) {
        const HealthPoint &p = m_points[f.pointIndex];
        for (const DriftFlag &d : f.flags)
            m_flags.append({p.entryId, p.startedMs, d, d.figure});
        for (HealthFigure figure : f.unexplained)
            m_flags.append({p.entryId, p.startedMs, std::nullopt, figure});
    }
    const QSignalBlocker block(twFlags);
    twFlags->clear();
    lblFlagDetail->setText(m_flags.isEmpty() ? tx(T::NoFlags) : tx(T::FlagHint));
    // The newest first.
    QList<QTreeWidgetItem *> items;
    for (qsizetype i = m_flags.size() - 1; i >= 0 && items.size() < MaxFlagRows; --i) {
        const Flag &f = m_flags[i];
        const QString message = f.message(m_language);
        auto *item = new QTreeWidgetItem(
            {dateTimeText(f.atMs), f.summary(m_language), m_firingNames.value(f.entryId)});
        item->setData(0, EntryIdRole, f.entryId);
        item->setData(0, TimeRole, f.atMs);
        item->setData(1, Qt::UserRole, message);
        item->setToolTip(1, message);
        items << item;
    }
    if (m_flags.size() > MaxFlagRows) {
        auto *more = new QTreeWidgetItem(
            {QString(), tx(T::MoreFlags).arg(m_flags.size() - MaxFlagRows), QString()});
        more->setFlags(Qt::ItemIsEnabled);
        items << more;
    }
    twFlags->addTopLevelItems(items);
    // What was found takes the room it needs, up to half the list; the firing the rest.
    twFlags->resizeColumnToContents(1);
    twFlags->setColumnWidth(
        1, std::min(twFlags->columnWidth(1) + 8, std::max(200, twFlags->viewport()->width() / 2)));
    QSet<qint64> firings;
    for (const Flag &f : std::as_const(m_flags))
        firings.insert(f.entryId);
    m_tabs->setTabText(0, tx(T::FlagsTab).arg(firings.size()));
    if (!m_flags.isEmpty())
        m_nameTimer->start();
    nameValues();
}

void HealthWindow::nameFlaggedFirings()
{
    // The days of flagged firings whose names are not known yet, a few per turn: a list of
    // many flags fills in while the window already answers.
    QList<QDate> days;
    for (int i = 0; i < twFlags->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = twFlags->topLevelItem(i);
        const qint64 id = item->data(0, EntryIdRole).toLongLong();
        if (id == 0 || m_firingNames.contains(id))
            continue;
        const QDate day =
            QDateTime::fromMSecsSinceEpoch(item->data(0, TimeRole).toLongLong()).date();
        if (!days.contains(day))
            days << day;
        if (days.size() == NameDaysPerTurn)
            break;
    }
    if (days.isEmpty() || !m_db.isOpen()) {
        m_nameTimer->stop();
        return;
    }
    const QString port = furnace().section(QLatin1Char('|'), 1, 1);
    QSet<qint64> wanted;
    for (const Flag &f : std::as_const(m_flags))
        wanted.insert(f.entryId);
    for (const QDate &day : std::as_const(days)) {
        HistoryFilter filter;
        filter.from = filter.to = day;
        filter.port = port;
        const QList<EntrySummary> entries = m_db.page(filter, {}, 0, 100000);
        for (const EntrySummary &e : entries)
            if (wanted.contains(e.id))
                m_firingNames.insert(e.id, e.mass + QStringLiteral(" / ") + e.layer);
        // A firing not found that day (its entry gone) is not looked for again.
        for (int i = 0; i < twFlags->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = twFlags->topLevelItem(i);
            const qint64 id = item->data(0, EntryIdRole).toLongLong();
            if (id != 0 && !m_firingNames.contains(id) &&
                QDateTime::fromMSecsSinceEpoch(item->data(0, TimeRole).toLongLong()).date() == day)
                m_firingNames.insert(id, QStringLiteral("—"));
        }
    }
    for (int i = 0; i < twFlags->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = twFlags->topLevelItem(i);
        const qint64 id = item->data(0, EntryIdRole).toLongLong();
        if (id != 0 && item->text(2).isEmpty())
            item->setText(2, m_firingNames.value(id));
    }
}

void HealthWindow::flagSelected()
{
    const QList<QTreeWidgetItem *> selected = twFlags->selectedItems();
    if (selected.isEmpty() || selected.first()->data(0, EntryIdRole).toLongLong() == 0)
        return;
    const QTreeWidgetItem *item = selected.first();
    QString detail = item->text(0);
    if (!item->text(2).isEmpty())
        detail += QStringLiteral(", ") + item->text(2);
    lblFlagDetail->setText(detail + QStringLiteral("\n") + item->data(1, Qt::UserRole).toString());
    // The firing in the middle of the plots.
    const qint64 at = item->data(0, TimeRole).toLongLong();
    const qint64 span = std::min(FlagViewMs, m_heating->viewToMs() - m_heating->viewFromMs());
    for (HealthPlot *plot : {m_heating, m_hold, m_vacuum})
        plot->setView(at - span / 2, at + span / 2);
    nameValues();
}
