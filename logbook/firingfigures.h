// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/firingtrace.h"
#include "library/progparam.h"

#include <QList>

#include <optional>

class FiringRecord;

// The core figures of one firing, measured from its samples against its layer record: how fast
// the chamber heated, how well the firing hold kept its temperature, how quickly the vacuum
// built, how long the cooling to the opening temperature took. They are what the logbook shows
// for a firing, what a comparison of firings lines up and what a drift of the furnace shows in.
//
// Units: times in furnace seconds (TraceSample::Seconds, counted from the program's start),
// temperatures in °C, rates in °C per minute, vacuum in % rarefaction.
//
// How the samples are read:
// - Noise. Temperature and vacuum readings are first passed through a running median of three
//   samples (the first and the last sample take the median of the three at their end of the
//   run). A single sample that reads too high or too low, however far off, therefore never
//   counts as "reached" or "crossed" and never sets a highest value; a change that lasts two
//   samples or more is kept at its place. With fewer than three samples the readings are taken
//   as they are. Every figure is measured on these filtered readings.
// - Crossings. A temperature (or vacuum level) is crossed between the last filtered reading on
//   one side of it and the first on the other; its time is interpolated linearly between the
//   two samples, which also bridges a stretch of samples missed while the link was down.
// - Reached. A set temperature counts as reached within FigureSettings::reachTolerance of it,
//   from the side the chamber comes from (HeatTemp - 2 °C when heating to it, OpenTemp + 2 °C
//   when cooling to it): a regulated chamber may settle a degree short of its set value.
// - Stages. A stage's figures are absent (never zero) when the record leaves the stage out or
//   the samples never got there. A stage that went by between two samples (a short step the
//   controller passed within one tick) is found by the first sample of a later step.
// - Samples with equal Seconds are taken in order; they never divide by zero. Samples beyond
//   FiringTrace::MaxSamples were not kept: the figures are those of the kept samples.

/// The thresholds the figures are measured with.
struct FigureSettings {
    /// °C: a set temperature counts as reached this close to it (see above).
    double reachTolerance = 2.0;
    /// °C: the fixed band whose heating rate is measured whatever the program, so that a slow
    /// heating element shows across programs. bandHigh must lie above bandLow.
    int bandLow = 700;
    int bandHigh = 900;
    /// % rarefaction: when set, the seconds from vacuum on to this level are measured too.
    std::optional<int> vacuumTarget;
    /// %: the vacuum counts as on once a filtered reading lies this far above the lowest reading
    /// before it (a sensor at rest may read a percent or two).
    int vacuumRise = 2;
};

/// The figures of one firing. Every optional member is absent where its stage is not in the
/// program or was not reached in the samples.
struct FiringFigures {
    // --- heating to the firing temperature (step 11, FiringRamp)
    /// Seconds of the first sample in step 11, or of the first later one when step 11 went by
    /// between two samples: where curves are aligned at the start of heating.
    std::optional<double> heatingStartSeconds;
    /// Mean rate achieved on the ramp, °C/min: from the first sample of the heating to the
    /// firing temperature reached. Absent when the chamber did not rise on the way (the record
    /// heats from PreHeatTemp to HeatTemp with no rise, or the ramp was not sampled).
    std::optional<double> heatingRate;
    /// HeatRate of the record, °C/min; absent when it is 0 or heatingRate is absent.
    std::optional<double> heatingRatePlanned;
    /// heatingRate / heatingRatePlanned: below 1 the chamber heated slower than asked.
    std::optional<double> heatingRateRatio;
    /// Seconds from the program's start (Seconds 0) to the firing temperature reached, no earlier
    /// than the start of heating.
    std::optional<double> firingTempReachedSeconds;
    /// How much later than the plan (PlanOf) the firing temperature was reached, s (negative:
    /// earlier). The plan counts from the start of the pre-drying hold (step 3); the preparation
    /// before it has no planned length, so both times count from the entry into the first
    /// planned step the samples show, placed where the plan begins that step. The plan's time
    /// is that of the same point: its ramp at HeatTemp - reachTolerance.
    std::optional<double> firingTempLagSeconds;
    /// °C/min between the first upward crossings of bandLow and of bandHigh after it. Absent
    /// when the run never crossed both, or when a step other than a heating step (2, 5, 8, 11)
    /// was reported in between (a hold or a table movement would be measured, not the heater).
    std::optional<double> bandRate;

    // --- the firing hold (step 12, Firing)
    /// Highest temperature during the hold; absent when the record has no hold (FiringTime 0)
    /// or no sample came from step 12.
    std::optional<int> holdMaxTemp;
    /// max(0, holdMaxTemp - HeatTemp).
    std::optional<int> holdOvershoot;
    /// Mean of |T - HeatTemp| over the hold, weighted by the time each sample stands for.
    std::optional<double> holdMeanAbsDeviation;
    /// Mean of T - HeatTemp over the hold, weighted the same way (negative: held too low).
    std::optional<double> holdMeanDeviation;
    /// Highest temperature of the whole run; absent without samples.
    std::optional<int> runMaxTemp;

    // --- vacuum
    /// Seconds of the first sample showing the vacuum risen (FigureSettings::vacuumRise). The
    /// record asks for no vacuum when VacOnTemp is 0: then every vacuum figure is absent.
    std::optional<double> vacuumOnSeconds;
    /// Highest vacuum reached after it went on, %.
    std::optional<int> vacuumMaxLevel;
    /// Seconds from vacuum on to the first sample at vacuumMaxLevel.
    std::optional<double> vacuumToMaxSeconds;
    /// Seconds from vacuum on to FigureSettings::vacuumTarget; absent when not set or not reached.
    std::optional<double> vacuumToTargetSeconds;

    // --- cooling
    /// Seconds at which the firing ended: the controller left step 12 (entered step 13 or a
    /// later one), from the zone time the controller reported where it did.
    std::optional<double> firingEndSeconds;
    /// Seconds from firingEndSeconds to the chamber cooled to OpenTemp (+ reachTolerance).
    std::optional<double> coolingToOpenSeconds;

    // --- the run
    /// Seconds of the last sample; absent without samples.
    std::optional<double> durationSeconds;
    /// The run ended with the controller's last step (RunOutcome::Finished).
    bool endedNormally = false;
};

/// The figures of the run `samples` (as FiringTrace keeps them: Seconds never decreasing) of
/// the layer `record`, which ended with `outcome`. Pure, and linear in the number of samples.
FiringFigures ComputeFiringFigures(const QList<TraceSample> &samples, const ProgParam &record,
                                   RunOutcome outcome, const FigureSettings &settings = {});

/// The figures of a firing as its record keeps it (its trace and the record it was started
/// with).
FiringFigures ComputeFiringFigures(const FiringRecord &firing, const FigureSettings &settings = {});

/// The start of heating in `samples` (FiringFigures::heatingStartSeconds) without the other
/// figures: the offset that aligns a curve at it. Absent when the run never got to step 11.
std::optional<double> HeatingStartSeconds(const QList<TraceSample> &samples);
