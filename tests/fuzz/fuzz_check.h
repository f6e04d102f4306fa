// What the fuzz targets share: a check that stops the run, so that libFuzzer
// records the input that broke an expectation, not only inputs that crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_EXPECT(condition)                                                          \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

// Filled around a buffer under test; any byte of it that changes was written
// out of bounds (ASan sees stack overflows too, this catches writes that stay
// inside a larger array).
enum : unsigned char { GUARD_BYTE = 0xA5 };
