// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QWidget>

#include <array>
#include <vector>

class QHBoxLayout;
class QVBoxLayout;

/// The parameter groups of the main window in columns, in their order: two columns (the first
/// three groups, then the others) while the area is narrow, and three or four when its width
/// takes them, so that the groups need less height and leave it to the firing curve. The
/// smallest width it asks for is that of the two columns, so the window can always be narrowed.
class ParameterColumns : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MaxColumns = 4;
    /// Groups in the first of two columns.
    static constexpr int FirstColumnOfTwo = 3;

    explicit ParameterColumns(QWidget *parent = nullptr);

    /// Appends a group (the widget becomes a child of this one).
    void addGroup(QWidget *group);
    /// Index of the first group of each column, for `columns` columns.
    std::vector<int> startsFor(int columns) const;
    /// The width `columns` columns need.
    int widthFor(int columns) const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    /// A group that needs another width (its texts in another language) may change how many
    /// columns fit.
    bool event(QEvent *event) override;

private:
    void arrange(int columns);
    int columnsForWidth(int width) const;

    QHBoxLayout *m_row = nullptr;
    std::array<QVBoxLayout *, MaxColumns> m_column{};
    QList<QWidget *> m_groups;
    int m_columns = 2;
};
