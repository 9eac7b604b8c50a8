// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/glyphlist.h"

GlyphList::GlyphList(QObject *parent)
    : QObject(parent)
    , m_icons{QIcon(QStringLiteral(":/icons/heater-off.svg")),
              QIcon(QStringLiteral(":/icons/heater-on.svg")),
              QIcon(QStringLiteral(":/icons/vacuum-off.svg")),
              QIcon(QStringLiteral(":/icons/vacuum-on.svg"))}
{
}
