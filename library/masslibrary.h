// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/lstorage.h"

#include <QStringList>

#include <memory>
#include <vector>

/// The library of masses: the mass names in list order and the layer table holding every
/// layer of every mass. All editing goes through here so that the table's rows stay grouped by
/// mass in mass order (mass i's rows before mass i+1's) and row positions stay meaningful.
/// Index arguments out of range are refused (false / -1 / nothing done), never undefined.
class MassLibrary
{
public:
    /// A mass holds at most this many layers.
    static constexpr int MaxLayers = 11;

    int massCount() const { return int(m_names.size()); }
    const QStringList &massNames() const { return m_names; }
    /// Name of mass i; empty when i is out of range.
    QString massName(int i) const;

    const LStorage &storage() const { return m_storage; }
    /// Number of layers over all masses (the table's Count()).
    int layerTotal() const { return m_storage.Count(); }

    /// First row of mass m, or -1 when it has no layers (the table's Find(0, m)).
    int firstRow(int m) const { return m_storage.Find(0, m); }
    /// Rows of mass m in layer order.
    std::vector<int> layerRows(int m) const;
    int layerCount(int m) const;
    /// Row of layer p of mass m, or -1.
    int layerRow(int m, int p) const;
    QStringList layerNames(int m) const;
    /// Position of row r within its mass, or -1 when r is not a row.
    int layerPosition(int r) const;

    /// Record of row r; null when r is out of range.
    std::shared_ptr<ProgParam> record(int r) const;
    /// Row holding `record`, or -1 when no row of this library holds it.
    int rowOfRecord(const ProgParam *record) const;

    /// Appends a mass without layers; returns its index.
    int addMass(const QString &name);
    /// Deletes mass i with all its layers; later masses move up one index.
    bool deleteMass(int i);
    bool renameMass(int i, const QString &name);
    /// Exchanges mass i with mass i-1 (i >= 1), layers and all; false when nothing moved.
    bool moveMassUp(int i);
    /// Exchanges mass i with mass i+1; false when nothing moved.
    bool moveMassDown(int i);

    /// Adds a layer with a zero record after the last layer of mass m. Returns its row, or -1
    /// when m is not a mass or the mass already holds MaxLayers layers.
    int addLayer(int m, const QString &name);
    /// Adds a layer holding a copy of `record` after the last layer of mass m, whatever the
    /// number of layers (files are taken whole). Returns its row, or -1 when m is not a mass.
    int insertLayer(int m, const QString &name, const ProgParam &record);
    /// Adds a layer holding a copy of `record` as the last layer of the last mass (the last
    /// row); quick for reading files. Returns its row, or -1 when there is no mass.
    int appendLayer(const QString &name, const ProgParam &record);
    bool deleteLayer(int r);
    bool renameLayer(int r, const QString &name);
    /// Exchanges layer p of mass m with layer p-1; false when p is 0 or out of range.
    bool moveLayerUp(int m, int p);
    /// Exchanges layer p of mass m with layer p+1; false when p is its last layer.
    bool moveLayerDown(int m, int p);
    /// Copies all 42 payload bytes (fields, VacOffByTime and ProgNumber) of `source` into the
    /// record of row r.
    bool pasteRecord(const ProgParam &source, int r);

    /// Empties the library (every record is released).
    void clear();

private:
    bool validMass(int m) const { return m >= 0 && m < massCount(); }
    /// Half-open row range [first, last) of mass m; first == last when it has no layers.
    std::pair<int, int> rowRange(int m) const;
    bool exchangeMasses(int upper);

    QStringList m_names;
    LStorage m_storage;
};
