// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/libraryselection.h"

namespace
{

void clearLayer(LibrarySelection &selection)
{
    selection.CurrentParams.reset();
    selection.CurrentRow = -1;
    selection.CurrentLayer = -1;
}

} // namespace

QList<LayerItem> SelectMass(const MassLibrary &library, LibrarySelection &selection, int m)
{
    clearLayer(selection);
    QList<LayerItem> items;
    if (m < 0 || m >= library.massCount()) {
        selection.CurrentMass = -1;
        return items;
    }
    selection.CurrentMass = m;
    for (int r : library.layerRows(m))
        items.append({library.storage().Row(r).name, r});
    return items;
}

bool SelectLayer(const MassLibrary &library, LibrarySelection &selection, int p)
{
    const int row = library.layerRow(selection.CurrentMass, p);
    if (row < 0) {
        clearLayer(selection);
        return false;
    }
    selection.CurrentRow = row;
    selection.CurrentLayer = p;
    selection.CurrentParams = library.record(row);
    return true;
}

void ResetAfterOpen(LibrarySelection &selection)
{
    clearLayer(selection);
    selection.CurrentMass = -1;
    selection.CopySource.reset();
    selection.ParamsChanged = false;
}

bool CopyLayer(LibrarySelection &selection)
{
    if (!selection.hasLayer())
        return false;
    selection.CopySource = selection.CurrentParams;
    return true;
}

std::shared_ptr<ProgParam> CopiedRecord(const MassLibrary &library,
                                        const LibrarySelection &selection)
{
    std::shared_ptr<ProgParam> source = selection.CopySource.lock();
    // The selection itself may still hold a record whose row is gone: check the library too.
    if (!source || library.rowOfRecord(source.get()) < 0)
        return nullptr;
    return source;
}

PasteOutcome PasteLayer(MassLibrary &library, const LibrarySelection &selection)
{
    const std::shared_ptr<ProgParam> source = CopiedRecord(library, selection);
    if (!source)
        return PasteOutcome::BufferEmpty;
    if (!selection.hasLayer() || library.rowOfRecord(selection.CurrentParams.get()) < 0)
        return PasteOutcome::NoLayerSelected;
    library.pasteRecord(*source, library.rowOfRecord(selection.CurrentParams.get()));
    return PasteOutcome::Pasted;
}

MoveOutcome MoveUp(MassLibrary &library, LibrarySelection &selection)
{
    if (selection.hasLayer()) {
        const int p = selection.CurrentLayer;
        if (!library.moveLayerUp(selection.CurrentMass, p))
            return {};
        SelectLayer(library, selection, p - 1);
        return {true, true};
    }
    const int i = selection.CurrentMass;
    if (!library.moveMassUp(i))
        return {};
    SelectMass(library, selection, i - 1);
    return {true, false};
}

MoveOutcome MoveDown(MassLibrary &library, LibrarySelection &selection)
{
    if (selection.hasLayer()) {
        const int p = selection.CurrentLayer;
        if (!library.moveLayerDown(selection.CurrentMass, p))
            return {};
        SelectLayer(library, selection, p + 1);
        return {true, true};
    }
    const int i = selection.CurrentMass;
    if (!library.moveMassDown(i))
        return {};
    SelectMass(library, selection, i + 1);
    return {true, false};
}

bool DeleteSelectedMass(MassLibrary &library, LibrarySelection &selection)
{
    if (!library.deleteMass(selection.CurrentMass))
        return false;
    SelectMass(library, selection, -1);
    return true;
}

bool DeleteSelectedLayer(MassLibrary &library, LibrarySelection &selection)
{
    if (!selection.hasLayer())
        return false;
    const int row = library.rowOfRecord(selection.CurrentParams.get());
    if (row < 0 || !library.deleteLayer(row)) {
        SelectMass(library, selection, selection.CurrentMass);
        return false;
    }
    SelectMass(library, selection, selection.CurrentMass);
    return true;
}
