#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding: aborting makes libFuzzer keep the input.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);          \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
