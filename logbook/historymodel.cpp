// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/historymodel.h"

#include "common/textpair.h"
#include "logbook/logbookdb.h"

#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

#include <algorithm>
#include <array>
#include <limits>

namespace
{

constexpr std::array<TextPair, HistoryColumnCount> Headers = {{
    {"Дата и время", "Date and time"},
    {"Печь", "Furnace"},
    {"Масса", "Mass"},
    {"Слой", "Layer"},
    {"Длительность", "Duration"},
    {"Итог", "Outcome"},
    {"Заказ", "Case"},
    {"Оператор", "Operator"},
}};

constexpr TextPair Running{"Выполняется", "Running"};
constexpr TextPair Finished{"Завершён", "Finished"};
constexpr TextPair Aborted{"Прерван", "Aborted"};
constexpr TextPair Fault{"Неисправность: %1", "Fault: %1"};
constexpr TextPair Interrupted{"Прекращён: %1", "Interrupted: %1"};
constexpr TextPair Imported{"%1 (импорт)", "%1 (imported)"};
constexpr TextPair NotIdentified{"не опознана", "not identified"};
constexpr TextPair DriftNoted{"Отклонение от прежних обжигов: %1",
                              "Drift from earlier firings: %1"};

} // namespace

HistoryModel::HistoryModel(LogbookDb &db, QObject *parent)
    : QAbstractTableModel(parent)
    , m_db(db)
{
    // A page deep in an order no index gives (by mass, say) is sorted from every row the filter
    // lets through: in memory this takes a third of what SQLite's temporary files take.
    if (m_db.dialect() == SqlDialect::SQLite)
        QSqlQuery(m_db.database()).exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
    requery();
}

void HistoryModel::setLanguage(quint8 language)
{
    if (language == m_language)
        return;
    m_language = language;
    emit headerDataChanged(Qt::Horizontal, 0, HistoryColumnCount - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, HistoryColumnCount - 1));
}

void HistoryModel::setFilter(const HistoryFilter &filter)
{
    beginResetModel();
    m_filter = filter;
    requery();
    endResetModel();
}

void HistoryModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= HistoryColumnCount)
        return;
    const HistorySort sort{HistoryColumn(column), order == Qt::DescendingOrder};
    if (sort.column == m_sort.column && sort.descending == m_sort.descending)
        return;
    // Every row is another entry now: nothing of the old rows (nor a selection of them) stays.
    beginResetModel();
    m_sort = sort;
    requery();
    endResetModel();
}

void HistoryModel::refresh()
{
    const qint64 before = m_total;
    const qint64 now = m_db.count(m_filter);
    if (now == before && now >= 0) {
        m_pages.clear();
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, HistoryColumnCount - 1));
        return;
    }
    beginResetModel();
    requery();
    endResetModel();
}

void HistoryModel::requery()
{
    m_pages.clear();
    const qint64 before = m_total;
    m_total = m_db.count(m_filter);
    setError(m_total < 0 ? m_db.error() : QString());
    if (m_total != before)
        emit totalChanged(m_total);
}

void HistoryModel::setError(const QString &error) const
{
    if (error == m_error)
        return;
    m_error = error;
    emit const_cast<HistoryModel *>(this)->readProblem(error);
}

const QList<EntrySummary> *HistoryModel::pageOf(int page) const
{
    auto it = m_pages.find(page);
    if (it == m_pages.end()) {
        if (m_pages.size() >= CachedPages) {
            const auto oldest = std::min_element(
                m_pages.begin(), m_pages.end(),
                [](const CachedPage &a, const CachedPage &b) { return a.used < b.used; });
            m_pages.erase(oldest);
        }
        const qint64 offset = qint64(page) * PageSize;
        CachedPage read{m_db.page(m_filter, m_sort, offset, PageSize), 0};
        const qint64 expected = std::min<qint64>(PageSize, m_total - offset);
        // Fewer rows than counted: a failed read (or entries gone meanwhile, which a logbook
        // never loses): kept as read, and said.
        setError(read.rows.size() < expected ? m_db.error() : QString());
        it = m_pages.insert(page, read);
    }
    it->used = ++m_useClock;
    return &it->rows;
}

const EntrySummary *HistoryModel::entry(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    const QList<EntrySummary> *rows = pageOf(row / PageSize);
    const int inPage = row % PageSize;
    return inPage < rows->size() ? &rows->at(inPage) : nullptr;
}

int HistoryModel::rowOf(qint64 id, int nearRow) const
{
    const int near = std::clamp(nearRow, 0, std::max(0, rowCount() - 1)) / PageSize;
    for (int page : {near, near + 1, near - 1}) {
        if (page < 0 || qint64(page) * PageSize >= m_total)
            continue;
        const QList<EntrySummary> *rows = pageOf(page);
        for (qsizetype i = 0; i < rows->size(); ++i)
            if (rows->at(i).id == id)
                return page * PageSize + int(i);
    }
    return -1;
}

bool HistoryModel::holds(const QString &uid, const QByteArray &hash) const
{
    QSqlQuery q(m_db.database());
    q.prepare(QStringLiteral("SELECT count(*) FROM entries WHERE uid = ? OR hash = ?"));
    q.addBindValue(uid);
    q.addBindValue(hash.isEmpty() ? QVariant() : QVariant(hash));
    return q.exec() && q.next() && q.value(0).toLongLong() > 0;
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || m_total <= 0)
        return 0;
    return int(std::min<qint64>(m_total, std::numeric_limits<int>::max()));
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : HistoryColumnCount;
}

QString HistoryModel::startedText(const EntrySummary &entry)
{
    return entry.startedAt.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString HistoryModel::furnaceText(const EntrySummary &entry, quint8 language)
{
    QString furnace = entry.furnaceModel.isEmpty()
                          ? NotIdentified.text(language)
                          : entry.furnaceModel + QStringLiteral(" v:") + entry.furnaceVersion;
    if (!entry.port.isEmpty())
        furnace += QStringLiteral(", ") + entry.port;
    // In a shared logbook, a port names a furnace only with its computer.
    if (!entry.host.isEmpty() && entry.host != QSysInfo::machineHostName())
        furnace += QStringLiteral(" (%1)").arg(entry.host);
    return furnace;
}

QString HistoryModel::durationText(const EntrySummary &entry)
{
    if (!entry.endedAt.isValid())
        return QStringLiteral("—");
    const qint64 seconds = std::max<qint64>(0, entry.startedAt.secsTo(entry.endedAt));
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString HistoryModel::driftNames(const EntrySummary &entry, quint8 language)
{
    QStringList names;
    for (const QString &name : entry.healthFlags)
        if (const std::optional<HealthFigure> f = HealthFigureFromName(name))
            names << HealthFigureText(*f, language);
    return names.join(QStringLiteral(", "));
}

QString HistoryModel::outcomeText(const EntrySummary &entry, quint8 language)
{
    QString text;
    switch (entry.outcome) {
    case RunOutcome::Running:
        text = Running.text(language);
        break;
    case RunOutcome::Finished:
        text = Finished.text(language);
        break;
    case RunOutcome::Aborted:
        text = Aborted.text(language);
        break;
    case RunOutcome::Fault:
        text = Fault.text(language).arg(entry.outcomeDetail);
        break;
    case RunOutcome::Interrupted:
        text = Interrupted.text(language).arg(entry.outcomeDetail);
        break;
    }
    return entry.imported ? Imported.text(language).arg(text) : text;
}

QString HistoryModel::headerText(HistoryColumn column, quint8 language)
{
    return Headers[size_t(column)].text(language);
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= HistoryColumnCount)
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != IdRole &&
        role != Qt::TextAlignmentRole)
        return {};
    const auto column = HistoryColumn(index.column());
    if (role == Qt::TextAlignmentRole)
        return column == HistoryColumn::Duration ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                 : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    const EntrySummary *e = entry(index.row());
    if (!e)
        return {};
    if (role == IdRole)
        return e->id;
    switch (column) {
    case HistoryColumn::Started:
        return startedText(*e);
    case HistoryColumn::Furnace:
        return furnaceText(*e, m_language);
    case HistoryColumn::Mass:
        return e->mass;
    case HistoryColumn::Layer:
        return e->layer;
    case HistoryColumn::Duration:
        return durationText(*e);
    case HistoryColumn::Outcome:
        // A firing whose figures left the furnace's baseline is marked, and says what drifted.
        if (e->healthFlags.isEmpty())
            return outcomeText(*e, m_language);
        return role == Qt::ToolTipRole ? DriftNoted.text(m_language).arg(driftNames(*e, m_language))
                                       : outcomeText(*e, m_language) + QStringLiteral(" ⚠");
    case HistoryColumn::Case:
        // The note is seen by pointing at the case.
        return role == Qt::ToolTipRole && !e->note.isEmpty()
                   ? e->caseReference + QStringLiteral("\n") + e->note
                   : e->caseReference;
    case HistoryColumn::Operator:
        return e->operatorName;
    }
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= HistoryColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return headerText(HistoryColumn(section), m_language);
}
