#pragma once

#include "progparam.h"

// A plausible glaze firing shared by the graph tests. Full view: 300..1030 °C over 0..1675 s; at
// the design size 705 × 189 (plot frame x 35..685, y 20..169) PxPerSecond = 650 / 1675 and
// PxPerDegree = 149 / 730, and the curve's breakpoints are
// (35,148) (81,148) (127,148) (165,127) (234,127) (257,127) (315,96) (361,96) (479,38) (502,38)
// (548,84) (571,84) (571,104) (640,104); vacuum on at (165,127), off at (475,40).
inline ProgParam SampleFiring()
{
    ProgParam p;
    p.PreDryTemp = 400;
    p.PreDryHold = 2;
    p.DryLevel = 30;
    p.DryCloseTime = 2;
    p.DryTemp = 500;
    p.DryHold = 3;
    p.PreHeatLevel = 100;
    p.PreHeatCloseTime = 1;
    p.PreHeatTemp = 650;
    p.PreHeatHold = 2;
    p.HeatTemp = 930;
    p.HeatRate = 55;
    p.FiringTime = 60;
    p.CoolTemp = 700;
    p.CoolTime = 2;
    p.TemperingTime = 1;
    p.OpenTemp = 600;
    p.OpenTime = 3;
    p.VacOnTemp = 650;
    p.VacOff = 920;
    p.VacOffByTime = 0;
    return p;
}
