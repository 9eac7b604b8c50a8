// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/progparam.h"

#include <QString>

#include <array>

// The planned firing as a time line: each segment of the curve with its controller stage, when
// it begins and how long it lasts (seconds from the plan's t = 0, the start of the pre-drying
// hold) and the temperatures it runs between (°C).

/// The stage numbers of the curve's segments, in drawing order; the curve polyline has one end
/// point per entry after its start point. Stages 10, 13 and 17 have no segment.
inline constexpr std::array<int, 13> CurveStages = {3, 4, 5, 6, 7, 8, 9, 11, 12, 14, 15, 16, 18};

/// One segment of the planned curve.
struct PlanSegment {
    int stage = 0;
    int start = 0;    ///< s; the end of the segment before
    int duration = 0; ///< s; never negative
    int fromTemp = 0; ///< °C at its start
    int toTemp = 0;   ///< °C at its end

    int rise() const { return toTemp - fromTemp; }
    int end() const { return start + duration; }
};

using PlanTimeline = std::array<PlanSegment, CurveStages.size()>;

/// The segments of `record`'s curve. Holds and table movements last their minutes, the two
/// ramps before the heating a second per degree, the heating at HeatRate (0 counts as 1), the
/// firing FiringTime seconds, the cooling CoolTime minutes, the drop to the opening temperature
/// no time, the opening OpenTime minutes or 15 s when that is 0. A ramp whose end lies below
/// its start (a record that does not pass the start checks) lasts as long as the same rise
/// would, so that time never runs backwards. Any 16-bit values fit: the whole plan stays below
/// 2^31 s.
PlanTimeline PlanOf(const ProgParam &record);

/// Where `stage` begins on the plan's time axis, s: the start of its segment; for the stages
/// without a segment the end of the one before (10, 13, 17) or of the plan (19). -1 for the
/// preparation steps (0..2) and numbers beyond 19, which have no place on the plan.
int PlanStageStart(const PlanTimeline &plan, int stage);

/// The end of the last segment, s.
inline int PlanEnd(const PlanTimeline &plan)
{
    return plan.back().end();
}

/// Why the curve of `record` is not drawn, in `language` (0 Russian, 1 English): the first
/// field outside its range (paramentry's bounds, as the fields are marked) with its value and
/// range. Empty when every field is in range.
QString OutOfRangeNote(const ProgParam &record, quint8 language);
