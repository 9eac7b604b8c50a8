// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/curveplan.h"

#include "graph/curvetexts.h"
#include "library/paramentry.h"

#include <cstdlib>

PlanTimeline PlanOf(const ProgParam &p)
{
    const int rate = p.HeatRate == 0 ? 1 : p.HeatRate;
    const int opening = p.OpenTime == 0 ? 15 : p.OpenTime * 60;
    struct Step {
        int stage;
        int duration;
        int toTemp;
    };
    const std::array<Step, CurveStages.size()> steps = {{
        {3, p.PreDryHold * 60, p.PreDryTemp},
        {4, p.DryCloseTime * 60, p.PreDryTemp},
        {5, std::abs(p.DryTemp - p.PreDryTemp), p.DryTemp},
        {6, p.DryHold * 60, p.DryTemp},
        {7, p.PreHeatCloseTime * 60, p.DryTemp},
        {8, std::abs(p.PreHeatTemp - p.DryTemp), p.PreHeatTemp},
        {9, p.PreHeatHold * 60, p.PreHeatTemp},
        {11, std::abs(p.HeatTemp - p.PreHeatTemp) * 60 / rate, p.HeatTemp},
        {12, p.FiringTime, p.HeatTemp},
        {14, p.CoolTime * 60, p.CoolTemp},
        {15, p.TemperingTime * 60, p.CoolTemp},
        {16, 0, p.OpenTemp},
        {18, opening, p.OpenTemp},
    }};
    PlanTimeline plan;
    int at = 0;
    int temp = p.PreDryTemp;
    for (size_t i = 0; i < steps.size(); ++i) {
        plan[i] = {steps[i].stage, at, steps[i].duration, temp, steps[i].toTemp};
        at += steps[i].duration;
        temp = steps[i].toTemp;
    }
    return plan;
}

int PlanStageStart(const PlanTimeline &plan, int stage)
{
    if (stage < CurveStages.front() || stage > 19)
        return -1;
    for (const PlanSegment &s : plan)
        if (s.stage >= stage)
            return s.start;
    return PlanEnd(plan);
}

QString OutOfRangeNote(const ProgParam &record, quint8 language)
{
    const int field = FirstFieldOutOfRange(record);
    if (field < 0)
        return {};
    return CurveTexts::NoCurveOutOfRange.text(language).arg(FieldText(record, field),
                                                            FieldRangeText(record, field));
}
