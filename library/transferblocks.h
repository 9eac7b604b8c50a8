// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/masslibrary.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What an upload of masses writes into the controller's memory. The controller keeps ten mass
// slots; slot q (0-based) holds its mass name in a 19-byte name slot at 5800 + 19 q and up to
// eleven layer names in a 210-byte area at 5991 + 210 q; the record of layer k of slot q is
// program 11 q + k + 1 (1..110). A name slot is the name in code page 1251 followed by zeros.

namespace ControllerLayout
{
inline constexpr int SlotCount = 10;
inline constexpr int LayersPerSlot = 11;
inline constexpr int NameSlotSize = 19;
inline constexpr int NameCapacity = NameSlotSize - 1;
inline constexpr int LayerAreaSize = 210;
inline constexpr quint16 MassNamesAddress = 5800;
inline constexpr quint16 LayerNamesAddress = 5991;
/// Ends the mass-name table (after slot 10) and the names of each layer area.
inline constexpr char EndMark = 1;
} // namespace ControllerLayout

/// The three parts of one upload, as the link sends them.
struct TransferBlocks {
    QByteArray massNames;          ///< name slots of the masses, then 1 when all ten slots go
    QByteArray layerNames;         ///< one 210-byte area per mass, the last cut after its end mark
    quint16 massNamesAddress = 0;  ///< where the mass-name block goes
    quint16 layerNamesAddress = 0; ///< where the layer-name block goes
    int recordCount = 0;           ///< records of library rows 0 .. recordCount - 1 go after them
    int firstSlot = 1;             ///< controller slot (1..10) of the first mass
    int massCount = 0;             ///< masses sent, from the top of the list
};

/// How many masses go when the upload starts at controller slot `firstSlot` (1-based): the
/// library's masses from the top, at most ten and at most as many as slots remain. Zero or less
/// when nothing can go (no mass, or a slot outside 1..10).
int TransferMassCount(const MassLibrary &library, int firstSlot);

/// Why a mass or layer cannot go into the controller.
struct TransferProblem {
    enum Kind { NameTooLong, NameNotInCodePage, TooManyLayers };
    Kind kind = NameTooLong;
    int mass = -1;    ///< the mass concerned (its own name, or the mass of the layer)
    int row = -1;     ///< the layer's row, -1 for the mass itself
    QString name;     ///< the mass's or the layer's name
    QString massName; ///< the mass's name
    int layers = 0;   ///< TooManyLayers: how many the mass has

    bool operator==(const TransferProblem &) const = default;
};

/// Everything in the first `massCount` masses that the controller's slots cannot hold: names
/// longer than 18 characters or outside code page 1251, masses of more than eleven layers
/// (possible only from a masses file). Masses in order, each followed by its layers.
QList<TransferProblem> CheckTransfer(const MassLibrary &library, int massCount);

/// A line for the refusal box: which mass or layer, and why.
QString TransferProblemText(const TransferProblem &problem, quint8 language);

/// Builds the blocks of an upload starting at slot `firstSlot` and gives each layer sent its
/// program number (ProgNumber = (firstSlot - 1 + p) * 11 + k + 1 for layer k of mass p).
/// Nothing when no mass can go or CheckTransfer() finds a problem; the records are then
/// untouched.
std::optional<TransferBlocks> BuildTransferBlocks(MassLibrary &library, int firstSlot);

/// A name slot: the name in code page 1251, zero-filled to 19 bytes (the caller checks first
/// that the name fits).
QByteArray NameSlot(const QString &name);
