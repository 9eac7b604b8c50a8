// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

/// A firing program as the controller receives it with requests 62 and 63: four vacuum words and
/// twenty steps.
///
/// Wire form (88 bytes, 44 little-endian u16 words): word 0 vacuum-on step index, word 1
/// vacuum-off step index, word 2 vacuum-on temperature (°C), word 3 vacuum-off value (°C, or
/// seconds into the hold when the off step is a hold), then per step a command word (code in the
/// top 4 bits, 12-bit argument) and a value word.
struct SimProgram {
    static constexpr int PayloadSize = 88;
    static constexpr int StepCount = 20;
    static constexpr int LastStep = StepCount - 1;

    /// Step codes (top four bits of the command word).
    enum Code : quint8 {
        Start = 0x1,       ///< a short pause
        Opening = 0x2,     ///< lower the table to open within `value` minutes (0: about 15 s)
        Close = 0x3,       ///< move the table to `argument` % within `value` minutes
        Heat = 0x4,        ///< heat to `argument` °C at `value` °C/min (240: standard pace)
        Hold = 0x5,        ///< hold the temperature for `argument` seconds
        EndOfFiring = 0x6, ///< vacuum released, firing done
        Cool = 0x7,        ///< cool to `argument` °C within `value` minutes (0: natural cooling)
        EndOfProgram = 0x8,
    };

    struct Step {
        quint8 code = 0;
        quint16 argument = 0; ///< low 12 bits of the command word
        quint16 value = 0;
    };

    quint16 VacOnStep = 0;
    quint16 VacOffStep = 0;
    quint16 VacOnTemp = 0;
    quint16 VacOff = 0;
    std::array<Step, StepCount> steps{};

    /// Decodes the wire form; nothing when `length` is not 88.
    static std::optional<SimProgram> fromPayload(const quint8 *payload, int length);
    /// The wire form.
    std::array<quint8, PayloadSize> toPayload() const;
};
