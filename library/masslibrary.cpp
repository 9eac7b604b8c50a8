// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/masslibrary.h"

QString MassLibrary::massName(int i) const
{
    return validMass(i) ? m_names.at(i) : QString();
}

std::pair<int, int> MassLibrary::rowRange(int m) const
{
    int first = 0;
    while (first < m_storage.Count() && m_storage.Row(first).mass < m)
        ++first;
    int last = first;
    while (last < m_storage.Count() && m_storage.Row(last).mass == m)
        ++last;
    return {first, last};
}

std::vector<int> MassLibrary::layerRows(int m) const
{
    std::vector<int> rows;
    const int first = firstRow(m);
    if (first < 0)
        return rows;
    for (int r = first; r < m_storage.Count() && m_storage.Row(r).mass == m; ++r)
        rows.push_back(r);
    return rows;
}

int MassLibrary::layerCount(int m) const
{
    return int(layerRows(m).size());
}

int MassLibrary::layerRow(int m, int p) const
{
    const std::vector<int> rows = layerRows(m);
    return p >= 0 && p < int(rows.size()) ? rows[size_t(p)] : -1;
}

QStringList MassLibrary::layerNames(int m) const
{
    QStringList names;
    for (int r : layerRows(m))
        names.append(m_storage.Row(r).name);
    return names;
}

int MassLibrary::layerPosition(int r) const
{
    if (r < 0 || r >= m_storage.Count())
        return -1;
    return r - firstRow(m_storage.Row(r).mass);
}

std::shared_ptr<ProgParam> MassLibrary::record(int r) const
{
    if (r < 0 || r >= m_storage.Count())
        return nullptr;
    return m_storage.Row(r).record;
}

int MassLibrary::rowOfRecord(const ProgParam *record) const
{
    if (!record)
        return -1;
    for (int r = 0; r < m_storage.Count(); ++r) {
        if (m_storage.Row(r).record.get() == record)
            return r;
    }
    return -1;
}

int MassLibrary::addMass(const QString &name)
{
    m_names.append(name);
    return massCount() - 1;
}

bool MassLibrary::deleteMass(int i)
{
    if (!validMass(i))
        return false;
    const auto [first, last] = rowRange(i);
    m_storage.DeleteRows(first, last);
    for (int r = first; r < m_storage.Count(); ++r) {
        if (m_storage.Row(r).mass > i)
            m_storage.SetMass(r, m_storage.Row(r).mass - 1);
    }
    m_names.removeAt(i);
    return true;
}

bool MassLibrary::renameMass(int i, const QString &name)
{
    if (!validMass(i))
        return false;
    m_names[i] = name;
    return true;
}

bool MassLibrary::exchangeMasses(int upper)
{
    const int lower = upper + 1;
    if (!validMass(upper) || !validMass(lower))
        return false;
    const auto [first, middle] = rowRange(upper);
    const auto [middle2, last] = rowRange(lower);
    Q_ASSERT(middle == middle2);
    Q_UNUSED(middle2);
    // The lower mass's rows come first and take the upper index; the upper mass's rows follow.
    m_storage.RotateRows(first, middle, last);
    const int movedUp = last - middle;
    for (int r = first; r < last; ++r)
        m_storage.SetMass(r, r < first + movedUp ? upper : lower);
    m_names.swapItemsAt(upper, lower);
    return true;
}

bool MassLibrary::moveMassUp(int i)
{
    return i >= 1 && exchangeMasses(i - 1);
}

bool MassLibrary::moveMassDown(int i)
{
    return i >= 0 && exchangeMasses(i);
}

int MassLibrary::insertLayer(int m, const QString &name, const ProgParam &record)
{
    if (!validMass(m))
        return -1;
    const int row = rowRange(m).second;
    m_storage.InsertRow(row, LayerRow{m, name, std::make_shared<ProgParam>(record)});
    return row;
}

int MassLibrary::addLayer(int m, const QString &name)
{
    if (!validMass(m) || layerCount(m) >= MaxLayers)
        return -1;
    return insertLayer(m, name, ProgParam{});
}

int MassLibrary::appendLayer(const QString &name, const ProgParam &record)
{
    if (massCount() == 0)
        return -1;
    return m_storage.AppendRow(
        LayerRow{massCount() - 1, name, std::make_shared<ProgParam>(record)});
}

bool MassLibrary::deleteLayer(int r)
{
    if (r < 0 || r >= m_storage.Count())
        return false;
    m_storage.DeleteRow(r);
    return true;
}

bool MassLibrary::renameLayer(int r, const QString &name)
{
    if (r < 0 || r >= m_storage.Count())
        return false;
    m_storage.SetStr(LStorage::NameColumn, r, name);
    return true;
}

bool MassLibrary::moveLayerUp(int m, int p)
{
    const int row = layerRow(m, p);
    if (row < 0 || p == 0)
        return false;
    m_storage.SwapRows(row - 1, row);
    return true;
}

bool MassLibrary::moveLayerDown(int m, int p)
{
    const int row = layerRow(m, p);
    if (row < 0 || layerRow(m, p + 1) < 0)
        return false;
    m_storage.SwapRows(row, row + 1);
    return true;
}

bool MassLibrary::pasteRecord(const ProgParam &source, int r)
{
    const std::shared_ptr<ProgParam> target = record(r);
    if (!target)
        return false;
    *target = ProgParam::fromPayload(source.toPayload());
    return true;
}

void MassLibrary::clear()
{
    m_names.clear();
    m_storage.Clear();
}
