// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/stalelook.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace
{
const char *const StaleProperty = "stale";
} // namespace

void SetStaleLook(QWidget *widget, bool stale)
{
    if (widget->property(StaleProperty).toBool() == stale)
        return;
    widget->setProperty(StaleProperty, stale);
    if (auto *button = qobject_cast<LiveValueButton *>(widget))
        button->setStale(stale);
    else if (qobject_cast<QLabel *>(widget) || qobject_cast<QProgressBar *>(widget))
        widget->setEnabled(!stale);
}

void LiveValueButton::setStale(bool stale)
{
    if (m_stale == stale)
        return;
    m_stale = stale;
    update();
}

const QPalette &LiveValueButton::stalePalette()
{
    if (!m_stalePaletteValid) {
        m_stalePalette = palette();
        const QColor grey = m_stalePalette.color(QPalette::Disabled, QPalette::WindowText);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            for (QPalette::ColorRole role :
                 {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
                m_stalePalette.setColor(group, role, grey);
        m_stalePaletteValid = true;
    }
    return m_stalePalette;
}

void LiveValueButton::paintEvent(QPaintEvent *event)
{
    if (!m_stale) {
        QToolButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.palette = stalePalette();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

void LiveValueButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        m_stalePaletteValid = false;
    QToolButton::changeEvent(event);
}
