// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPalette>
#include <QToolButton>

/// Greys `widget`'s texts while `stale` (a value the furnace has not confirmed since the link
/// was lost) and gives it back its own colours once it is fresh again. The state is kept in the
/// widget's "stale" property. A label or progress bar is shown disabled (it takes no input), a
/// LiveValueButton paints itself grey: the widget's palette is never changed, so that the
/// style's image caches, keyed by the palette, do not fill with a new picture at each change.
void SetStaleLook(QWidget *widget, bool stale);

/// A tool button that shows a live furnace value and can show it greyed while it stays
/// clickable.
class LiveValueButton : public QToolButton
{
    Q_OBJECT
public:
    using QToolButton::QToolButton;

    void setStale(bool stale);
    bool isStale() const { return m_stale; }
    /// The palette it paints with while stale.
    const QPalette &stalePalette();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool m_stale = false;
    /// Made from the button's palette once (again only when that palette changes): the same
    /// palette at every paint.
    QPalette m_stalePalette;
    bool m_stalePaletteValid = false;
};
