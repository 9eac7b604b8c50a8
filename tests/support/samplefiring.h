// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/progparam.h"

#include <array>

/// A record from its twenty field values in field order (PreDryTemp .. VacOff).
inline ProgParam RecordOf(const std::array<quint16, ProgParam::FieldCount> &fields,
                          quint8 vacOffByTime = 0)
{
    ProgParam p;
    for (int k = 0; k < ProgParam::FieldCount; ++k)
        p.setField(k, fields[size_t(k)]);
    p.VacOffByTime = vacOffByTime;
    return p;
}

// A plausible glaze firing. Full view: 300..1030 °C over 0..1675 s; at the graph's design size
// 705 × 189 (plot frame x 35..685, y 20..169) PxPerSecond = 650 / 1675 and PxPerDegree =
// 149 / 730, and the curve's breakpoints are (35,148) (81,148) (127,148) (165,127) (234,127)
// (257,127) (315,96) (361,96) (479,38) (502,38) (548,84) (571,84) (571,104) (640,104); vacuum on
// at (165,127), off at (475,40).
inline ProgParam SampleFiring()
{
    return RecordOf(
        {400, 2, 30, 2, 500, 3, 100, 1, 650, 2, 930, 55, 60, 700, 2, 1, 600, 3, 650, 920});
}
