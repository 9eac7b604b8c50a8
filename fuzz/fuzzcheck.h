#pragma once

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
