#pragma once

#include <cstdlib>

// A property the fuzzed code must keep; a broken one ends the run so libFuzzer keeps the input.
inline void check(bool condition) {
    if (!condition)
        std::abort();
}
