// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QObject>

#include <array>

/// The glyphs of the two display buttons: 0 heater off, 1 heater on, 2 vacuum off, 3 vacuum on.
class GlyphList : public QObject
{
    Q_OBJECT
public:
    static constexpr int Width = 32;
    enum Glyph { HeaterOff, HeaterOn, VacuumOff, VacuumOn };

    explicit GlyphList(QObject *parent = nullptr);
    QIcon icon(int index) const { return m_icons.at(size_t(index)); }

private:
    std::array<QIcon, 4> m_icons;
};
