// What the fuzz targets share: a check that stops the run, so that libFuzzer
// records the input that broke an expectation, not only inputs that crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_EXPECT(condition)                                                                 \
    ((condition) ? (void)0                                                                     \
                 : (std::fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition), \
                    std::abort()))

// Filled around a buffer under test: a changed byte was written out of
// bounds, also where ASan sees none (inside a larger array).
enum : unsigned char { GUARD_BYTE = 0xA5 };
