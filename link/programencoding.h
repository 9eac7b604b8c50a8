// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/progparam.h"

#include <QtGlobal>

#include <array>

// The controller program built from a layer record: the payload of the program-start (62) and
// program-replace (63) requests.
//
// Layout: 44 unsigned 16-bit words, little-endian on the wire (88 bytes):
//   word 0      the step in which the vacuum pump is switched on
//   word 1      the step in which it is switched off
//   word 2      VacOnTemp
//   word 3      VacOff
//   words 4+2k, 5+2k   step k (0..19): command word, value word
// A command word is the step code in the top four bits OR-ed with a 12-bit argument. Arguments
// are not masked: the record's value ranges keep them within 12 bits.

inline constexpr int ProgramStepCount = 20;
inline constexpr int ProgramWordCount = 4 + 2 * ProgramStepCount; // 44
inline constexpr int ProgramPayloadSize = 2 * ProgramWordCount;   // 88

/// The 44 program words for `record`.
std::array<quint16, ProgramWordCount> BuildProgramWords(const ProgParam &record);

/// Writes the 88 program bytes for `record` to `payload` (which must have room for 88 bytes)
/// and returns the payload length, 88.
int BuildProgramPayload(const ProgParam &record, quint8 *payload);
