// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/historyquery.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>

class LogbookDb;

/// The history table: the logbook's entries that a filter lets through, in an order the
/// database sorts. Rows are read in pages of PageSize from the database as the view asks for
/// them and kept in a small cache, so a logbook of a hundred thousand firings costs one COUNT and
/// one page query per change of filter or order, never a pass over every entry in memory.
///
/// The connection is owned by the caller, must outlive the model and be used on its thread (the
/// user-interface thread). The model reads nothing but what it shows; writes go elsewhere, and
/// refresh() re-reads after them.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /// Rows read by one query.
    static constexpr int PageSize = 200;
    /// Pages kept; the page used longest ago goes first.
    static constexpr int CachedPages = 24;
    /// The entry's row id (qint64) under this role.
    static constexpr int IdRole = Qt::UserRole + 1;

    explicit HistoryModel(LogbookDb &db, QObject *parent = nullptr);

    /// Header, outcome and furnace texts: 0 Russian, 1 English.
    void setLanguage(quint8 language);
    quint8 language() const { return m_language; }

    /// Shows the entries `filter` lets through, from the first row.
    void setFilter(const HistoryFilter &filter);
    const HistoryFilter &filter() const { return m_filter; }
    const HistorySort &historySort() const { return m_sort; }

    /// Reads again with the same filter and order (after an entry was written or amended). When
    /// the number of rows is unchanged the rows stay (a view keeps its selection); otherwise the
    /// model is reset.
    void refresh();

    /// Entries the filter lets through; -1 when they could not be counted.
    qint64 totalCount() const { return m_total; }
    /// Why the last read failed; empty after one that succeeded.
    QString error() const { return m_error; }

    /// The entry of `row`, read on demand; nullptr outside the rows or when it cannot be read.
    /// Valid until the model is asked for another row (its page may then leave the cache).
    const EntrySummary *entry(int row) const;
    /// The row of entry `id` in the pages around `nearRow` (where it was before a change), or -1.
    int rowOf(qint64 id, int nearRow) const;
    /// Whether the logbook holds the firing `uid`, or the entry sealed with `hash` (a firing
    /// exported from it, whose file names that hash); false also when it cannot be read.
    bool holds(const QString &uid, const QByteArray &hash) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    /// Orders the rows by `column` in the database and shows them from the first.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    /// The texts of a row's cells, as data() shows them.
    static QString startedText(const EntrySummary &entry);
    static QString furnaceText(const EntrySummary &entry, quint8 language);
    static QString durationText(const EntrySummary &entry);
    static QString outcomeText(const EntrySummary &entry, quint8 language);
    /// What drifted in the entry's firing, in words ("heating, vacuum").
    static QString driftNames(const EntrySummary &entry, quint8 language);
    static QString headerText(HistoryColumn column, quint8 language);

signals:
    /// A read failed (`problem` in plain words) or, with an empty problem, succeeded again.
    void readProblem(const QString &problem);
    /// The number of rows changed.
    void totalChanged(qint64 total);

private:
    /// Counts and empties the cache; inside a reset.
    void requery();
    /// The page `page`, read when it is not in the cache.
    const QList<EntrySummary> *pageOf(int page) const;
    void setError(const QString &error) const;

    LogbookDb &m_db;
    HistoryFilter m_filter;
    HistorySort m_sort;
    quint8 m_language = 1;
    qint64 m_total = 0;
    mutable QString m_error;
    struct CachedPage {
        QList<EntrySummary> rows;
        quint64 used = 0;
    };
    mutable QHash<int, CachedPage> m_pages;
    mutable quint64 m_useClock = 0;
};
