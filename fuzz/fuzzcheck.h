// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

/// A property of a fuzz target: a failure is reported and aborts, so that libFuzzer keeps the
/// input that broke it.
inline void Require(bool holds, const char *property)
{
    if (!holds) {
        std::fprintf(stderr, "property failed: %s\n", property);
        std::abort();
    }
}

/// Reads a fuzz input byte by byte as a recipe of steps; zero once it is used up.
class Recipe
{
public:
    Recipe(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool done() const { return m_pos >= m_size; }
    quint8 next() { return done() ? 0 : m_data[m_pos++]; }
    /// Two bytes, little-endian.
    quint16 word() { return quint16(next() | (next() << 8)); }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};
