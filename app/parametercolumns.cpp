// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/parametercolumns.h"

#include "app/columnsplit.h"

#include <QHBoxLayout>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

ParameterColumns::ParameterColumns(QWidget *parent)
    : QWidget(parent)
{
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(0, 0, 0, 0);
    for (QVBoxLayout *&c : m_column) {
        c = new QVBoxLayout;
        c->addStretch(1);
        m_row->addLayout(c, 0);
    }
}

void ParameterColumns::addGroup(QWidget *group)
{
    group->setParent(this);
    m_groups << group;
    arrange(m_columns);
}

std::vector<int> ParameterColumns::startsFor(int columns) const
{
    if (columns <= 2)
        return {0, int(std::min<qsizetype>(FirstColumnOfTwo, m_groups.size()))};
    std::vector<int> heights;
    for (const QWidget *g : m_groups)
        heights.push_back(g->sizeHint().height());
    return SplitIntoColumns(heights, columns, m_column[0]->spacing());
}

int ParameterColumns::widthFor(int columns) const
{
    const std::vector<int> starts = startsFor(columns);
    int total = 0;
    for (size_t c = 0; c < starts.size(); ++c) {
        const int end = c + 1 < starts.size() ? starts[c + 1] : int(m_groups.size());
        int widest = 0;
        for (int i = starts[c]; i < end; ++i)
            widest = std::max(widest, m_groups[i]->minimumSizeHint().width());
        total += widest + (c > 0 ? m_row->spacing() : 0);
    }
    const QMargins m = m_row->contentsMargins();
    return total + m.left() + m.right();
}

int ParameterColumns::columnsForWidth(int width) const
{
    for (int columns = MaxColumns; columns > 2; --columns)
        if (widthFor(columns) <= width)
            return columns;
    return 2;
}

QSize ParameterColumns::minimumSizeHint() const
{
    return {widthFor(2), m_row->minimumSize().height()};
}

QSize ParameterColumns::sizeHint() const
{
    return {widthFor(2), m_row->sizeHint().height()};
}

void ParameterColumns::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int columns = columnsForWidth(event->size().width());
    if (columns != m_columns)
        arrange(columns);
}

bool ParameterColumns::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest) {
        const int columns = columnsForWidth(width());
        if (columns != m_columns)
            arrange(columns);
    }
    return QWidget::event(event);
}

void ParameterColumns::arrange(int columns)
{
    m_columns = columns;
    const std::vector<int> starts = startsFor(columns);
    for (QWidget *g : m_groups)
        for (QVBoxLayout *c : m_column)
            c->removeWidget(g);
    for (size_t c = 0; c < m_column.size(); ++c) {
        const bool used = c < starts.size();
        m_row->setStretch(int(c), used ? 1 : 0);
        if (!used)
            continue;
        const int end = c + 1 < starts.size() ? starts[c + 1] : int(m_groups.size());
        for (int i = starts[c]; i < end; ++i)
            m_column[c]->insertWidget(m_column[c]->count() - 1, m_groups[i]);
    }
    updateGeometry();
}
