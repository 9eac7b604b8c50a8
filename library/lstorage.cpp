// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/lstorage.h"

#include <algorithm>
#include <utility>

LStorageError::LStorageError(QString text)
    : m_text(std::move(text))
    , m_utf8(m_text.toUtf8())
{
}

void LStorage::checkRow(const char *operation, int r, int limit) const
{
    if (r < 0 || r >= limit)
        throw LStorageError(QStringLiteral("LStorage::%1\nrow %2 outside 0..%3")
                                .arg(QString::fromLatin1(operation))
                                .arg(r)
                                .arg(limit - 1));
}

const LayerRow &LStorage::Row(int r) const
{
    checkRow("Row", r, Count());
    return m_rows[size_t(r)];
}

LayerRow &LStorage::Row(int r)
{
    checkRow("Row", r, Count());
    return m_rows[size_t(r)];
}

int LStorage::Find(int from, int massIndex) const
{
    for (int r = std::max(from, 0); r < Count(); ++r) {
        if (m_rows[size_t(r)].mass == massIndex)
            return r;
    }
    return -1;
}

void LStorage::InsertRow(int r, LayerRow row)
{
    checkRow("InsertRow", r, Count() + 1);
    if (!row.record)
        row.record = std::make_shared<ProgParam>();
    m_rows.insert(m_rows.begin() + r, std::move(row));
}

int LStorage::AppendRow(LayerRow row)
{
    const int r = Count();
    InsertRow(r, std::move(row));
    return r;
}

void LStorage::DeleteRow(int r)
{
    checkRow("DeleteRow", r, Count());
    m_rows.erase(m_rows.begin() + r);
}

void LStorage::DeleteRows(int first, int last)
{
    if (first < 0 || first > last || last > Count())
        throw LStorageError(QStringLiteral("LStorage::DeleteRows\n%1, %2 with Count = %3")
                                .arg(first)
                                .arg(last)
                                .arg(Count()));
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last);
}

void LStorage::SwapRows(int a, int b)
{
    checkRow("SwapRows", a, Count());
    checkRow("SwapRows", b, Count());
    std::swap(m_rows[size_t(a)], m_rows[size_t(b)]);
}

void LStorage::RotateRows(int first, int middle, int last)
{
    if (first < 0 || first > middle || middle > last || last > Count())
        throw LStorageError(QStringLiteral("LStorage::RotateRows\n%1, %2, %3 with Count = %4")
                                .arg(first)
                                .arg(middle)
                                .arg(last)
                                .arg(Count()));
    std::rotate(m_rows.begin() + first, m_rows.begin() + middle, m_rows.begin() + last);
}

void LStorage::SetMass(int r, int massIndex)
{
    Row(r).mass = massIndex;
}

void LStorage::SetStr(int col, int row, const QString &text)
{
    if (col < 0 || col >= FlsCnt || FlsType[size_t(col)] != tStr)
        throw LStorageError(QStringLiteral("LStorage::SetStr(x, y)\nFlsType[%1] != tStr").arg(col));
    if (row < 0 || row > Count())
        throw LStorageError(QStringLiteral("LStorage::SetStr(x, y)\ny > Count\ny = %1\nCount = %2")
                                .arg(row)
                                .arg(Count()));
    if (row == Count())
        AppendRow({});
    m_rows[size_t(row)].name = text;
}

QString LStorage::GetStr(int col, int row) const
{
    if (col >= FlsCnt)
        throw LStorageError(
            QStringLiteral("LStorage::GetStr(x, y)\nx >= FlsCnt\n%1 >= %2").arg(col).arg(FlsCnt));
    if (col < 0)
        throw LStorageError(QStringLiteral("LStorage::GetStr(x, y)\nx < 0\n%1 < 0").arg(col));
    if (FlsType[size_t(col)] != tStr)
        throw LStorageError(QStringLiteral("LStorage::GetStr(x, y)\nFlsType[%1] != tStr").arg(col));
    if (row >= Count())
        throw LStorageError(QStringLiteral("LStorage::GetStr(x, y)\ny >= Count\ny = %1\nCount = %2")
                                .arg(row)
                                .arg(Count()));
    if (row < 0)
        throw LStorageError(QStringLiteral("LStorage::GetStr(x, y)\ny < 0\ny = %1").arg(row));
    return m_rows[size_t(row)].name;
}
