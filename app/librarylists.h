#pragma once

#include <QString>

#include <functional>

class QListWidget;
class QListWidgetItem;

// Helpers for the mass and layer lists of the main window.
namespace LibraryLists
{

/// Names longer than this are shown cut ("…") in the lists; the library keeps them whole.
inline constexpr int ShownNameLength = 80;

/// Calls `reclicked` when the user clicks, with the left button, the item that already is the
/// list's current one. (A click on another item changes the current row: the caller handles
/// that, and keyboard selection, through currentRowChanged.)
void OnReclick(QListWidget *list, std::function<void()> reclicked);

/// Shows `name` in `item`: whole when short, else cut, with the name in the item's tool tip
/// (in lines, itself cut when very long).
void SetItemName(QListWidgetItem *item, const QString &name);

} // namespace LibraryLists
