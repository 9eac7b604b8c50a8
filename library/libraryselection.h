// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/masslibrary.h"

#include <QList>
#include <QString>

#include <memory>

/// What the main window has selected in the library, and the edit flags that go with it.
/// Owned by the main window; the functions below keep it consistent with the library.
struct LibrarySelection {
    /// Record of the selected layer (null when none); everything that edits, checks, draws or
    /// starts the current program works on it.
    std::shared_ptr<ProgParam> CurrentParams;
    /// Row of the selected layer in the layer table, -1 when none.
    int CurrentRow = -1;
    /// Position of the selected layer in the layer list (lbLayers), -1 when none.
    int CurrentLayer = -1;
    /// Index of the selected mass, -1 when none.
    int CurrentMass = -1;
    /// The layer Copy remembered. Weak: a deleted layer or a replaced library empties it.
    std::weak_ptr<ProgParam> CopySource;
    /// A field edit changed a record since the last Open or Save.
    bool ParamsChanged = false;
    /// Off while the edit fields are filled from a record, so that filling is not editing.
    bool ChangeTracking = true;

    bool hasLayer() const { return CurrentParams != nullptr && CurrentRow >= 0; }
};

/// One item of the layer list: the layer's name and its row in the layer table.
struct LayerItem {
    QString name;
    int row = -1;

    bool operator==(const LayerItem &) const = default;
};

/// Selecting mass m (-1: none), as a click on the mass list: the layer selection is cleared
/// and the mass's layers are returned for the layer list (empty for none or a bad index).
QList<LayerItem> SelectMass(const MassLibrary &library, LibrarySelection &selection, int m);

/// Selecting layer p of the selected mass, as a click on the layer list. False (and the layer
/// selection cleared) when there is no such layer.
bool SelectLayer(const MassLibrary &library, LibrarySelection &selection, int p);

/// Forgets the whole selection after the library was replaced (Open) and clears ParamsChanged.
void ResetAfterOpen(LibrarySelection &selection);

/// Copy: remembers the selected layer. False when no layer is selected.
bool CopyLayer(LibrarySelection &selection);

/// The remembered layer's record while that layer is still in `library`, else null.
std::shared_ptr<ProgParam> CopiedRecord(const MassLibrary &library,
                                        const LibrarySelection &selection);

enum class PasteOutcome { Pasted, BufferEmpty, NoLayerSelected };

/// Paste: copies the 42 payload bytes of the remembered layer, as they are now, into the
/// selected layer's record. The window shows the record again on Pasted.
PasteOutcome PasteLayer(MassLibrary &library, const LibrarySelection &selection);

/// Outcome of a move: whether anything moved. After a move the window rebuilds its lists from
/// the selection (the moved layer, or the moved mass, stays selected).
struct MoveOutcome {
    bool moved = false;
    bool layerMoved = false; ///< a layer moved (else a mass, when moved)
};

/// Move up/down (sbUpMass/sbDnMass): the selected layer within its mass when a layer is
/// selected, else the selected mass. The selection follows the moved item.
MoveOutcome MoveUp(MassLibrary &library, LibrarySelection &selection);
MoveOutcome MoveDown(MassLibrary &library, LibrarySelection &selection);

/// Deletes the selected mass (false when none) and leaves no mass selected.
bool DeleteSelectedMass(MassLibrary &library, LibrarySelection &selection);
/// Deletes the selected layer (false when none); the mass stays selected, no layer is.
bool DeleteSelectedLayer(MassLibrary &library, LibrarySelection &selection);
