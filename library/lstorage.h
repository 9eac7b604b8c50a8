// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/progparam.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <exception>
#include <memory>
#include <vector>

/// Raised by LStorage only when its own consistency is broken (an index outside the table, a
/// text asked of a column that holds none). Ordinary use never meets it; the application's
/// standard error display shows `what()`.
class LStorageError : public std::exception
{
public:
    explicit LStorageError(QString text);

    const char *what() const noexcept override { return m_utf8.constData(); }
    const QString &text() const { return m_text; }

private:
    QString m_text;
    QByteArray m_utf8;
};

/// One layer: the 0-based index of its mass, its name and its firing record. The record is
/// shared so that it keeps its address while rows move and so that a weak reference can tell
/// when the layer is gone; the table never holds a null record.
struct LayerRow {
    int mass = 0;
    QString name;
    std::shared_ptr<ProgParam> record;
};

/// The layer table: one row per layer of every mass, grouped by mass in mass-list order and in
/// layer order within a mass. The row position is what file keys and program numbers count.
/// Column 0 is the mass index, column 1 the name (the only text column), column 2 the record.
/// Keeping rows grouped is the caller's part (MassLibrary); the table checks only its indexes.
class LStorage
{
public:
    static constexpr int FlsCnt = 3;
    static constexpr quint8 tStr = 1;
    static constexpr std::array<quint8, FlsCnt> FlsType = {0, tStr, 0};
    static constexpr int MassColumn = 0;
    static constexpr int NameColumn = 1;
    static constexpr int RecordColumn = 2;

    int Count() const { return int(m_rows.size()); }

    /// Row r (0 <= r < Count()); throws LStorageError otherwise.
    const LayerRow &Row(int r) const;
    LayerRow &Row(int r);

    /// First row r >= from whose mass index is `massIndex`, or -1.
    int Find(int from, int massIndex) const;

    /// Inserts `row` before row r (0 <= r <= Count()); a null record is replaced by a new zero
    /// record. Later rows move down by one position.
    void InsertRow(int r, LayerRow row);
    /// Appends `row` and returns its position.
    int AppendRow(LayerRow row);
    /// Removes row r; later rows move up by one position. The record goes with the row.
    void DeleteRow(int r);
    /// Removes the rows [first, last) at once; later rows move up by last - first positions.
    void DeleteRows(int first, int last);
    /// Exchanges rows a and b whole (mass index, name and record).
    void SwapRows(int a, int b);
    /// Moves the rows [first, last) so that [middle, last) comes before [first, middle).
    void RotateRows(int first, int middle, int last);
    /// Sets the mass index of row r.
    void SetMass(int r, int massIndex);

    /// Sets the text of a text cell. Row Count() first appends a row of mass 0 with a new zero
    /// record; a row further on is refused (LStorageError), so no unfilled rows come to be.
    void SetStr(int col, int row, const QString &text);
    /// The text of a text cell. Checks, in this order, the column against FlsCnt, the column's
    /// type and the row against Count(), and throws LStorageError naming the first that fails.
    QString GetStr(int col, int row) const;

    /// Removes every row (and with them every record).
    void Clear() { m_rows.clear(); }

private:
    void checkRow(const char *operation, int r, int limit) const;

    std::vector<LayerRow> m_rows;
};
