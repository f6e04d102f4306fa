// A minimal test runner for the Windows test programs: named scenarios,
// checks that print what they expected and what they got, and a closing
// "N passed, M failed" line.
#pragma once

#include <stddef.h>

#include "../../tools/common/array_size.h"

struct Scenario {
    const char *name;
    void (*run)(void);
};

// Runs the scenarios whose name contains one of the comma-separated parts
// of filter, or with a leading '-' those whose name contains none (all when
// null), each in a fresh folder named after it under the current one,
// prints a line per scenario and the closing count. Returns the process
// exit code.
int RunScenarios(const Scenario *scenarios, size_t count, const char *filter);

// The main of a test program run as PROGRAM DLL [FILTER]: takes the
// module's path, opens the display's end of the line and runs the scenarios.
int RunTestProgram(int argc, char **argv, const Scenario *scenarios, size_t count);

// Runs work on a thread of its own and checks that it returns within
// limitMs; when it does not, release is called to free it (the line let
// flow, say) and it is awaited, so a hang is reported, not suffered.
void ExpectReturnsWithin(unsigned long limitMs, void (*work)(void), void (*release)(void),
                         const char *what);

void CheckTrue(bool condition, const char *what);
void CheckInt(long long expected, long long got, const char *what);
void CheckText(const char *expected, const char *got, const char *what);
void CheckBytes(const unsigned char *expected, size_t expectedLength, const unsigned char *got,
                size_t gotLength, const char *what);

