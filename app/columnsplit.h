// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

/// Splits items of the given heights, kept in their order, into `columns` runs of consecutive
/// items (one column each) so that the tallest column, `spacing` between its items counted, is
/// as short as possible; of equally good splits the one with the longer first columns wins.
/// Returns the index of the first item of each column (the first is 0). With fewer items than
/// columns, each item gets its own column; no items, or columns < 1, give no columns.
std::vector<int> SplitIntoColumns(const std::vector<int> &heights, int columns, int spacing);
