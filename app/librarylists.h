// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
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

/// A one-line label that shows its text cut in the middle when the room is too small for it
/// (the whole text in its tool tip), and never asks for more room than its height.
class ElidedLabel : public QLabel
{
public:
    using QLabel::QLabel;
    /// The text to show, whole where it fits.
    void setFullText(const QString &text);
    const QString &fullText() const { return m_full; }
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showFitted();
    QString m_full;
};
