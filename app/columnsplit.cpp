// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/columnsplit.h"

#include <algorithm>
#include <limits>

namespace
{

struct Splitter {
    const std::vector<int> &heights;
    int spacing;
    std::vector<int> starts;
    std::vector<int> best;
    long bestHeight = std::numeric_limits<long>::max();

    long heightOf(int from, int to) const
    {
        long h = 0;
        for (int i = from; i < to; ++i)
            h += heights[size_t(i)] + (i > from ? spacing : 0);
        return h;
    }

    // Columns [0, starts.size()) are placed; `from` is the first item not placed yet.
    void search(int from, int columnsLeft, long tallest)
    {
        const int n = int(heights.size());
        if (columnsLeft == 1) {
            tallest = std::max(tallest, heightOf(from, n));
            if (tallest < bestHeight) {
                bestHeight = tallest;
                best = starts;
            }
            return;
        }
        // Longest first column first, so that a tie keeps the longer early columns.
        for (int end = n - columnsLeft + 1; end > from; --end) {
            starts.push_back(end);
            search(end, columnsLeft - 1, std::max(tallest, heightOf(from, end)));
            starts.pop_back();
        }
    }
};

} // namespace

std::vector<int> SplitIntoColumns(const std::vector<int> &heights, int columns, int spacing)
{
    const int n = int(heights.size());
    if (n == 0 || columns < 1)
        return {};
    columns = std::min(columns, n);
    Splitter s{heights, spacing, {0}, {}};
    s.search(0, columns, 0);
    return s.best;
}
