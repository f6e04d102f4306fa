// Calls timed one by one, for scenarios where a call must never hang.
#pragma once

#include <windows.h>
#include <stdio.h>

#include "checks.h"

// The longest write the module makes, 255 bytes, gives up after
// 10 ms x 255 + 50 ms = 2.6 s; a call taking this long has hung.
enum { CALL_LIMIT_MS = 15000 };

// The longest call seen in the running scenario.
inline DWORD longestCallMs;

template <typename Call>
DWORD Timed(Call call)
{
    DWORD start = GetTickCount();
    call();
    DWORD took = GetTickCount() - start;
    if (took > longestCallMs)
        longestCallMs = took;
    return took;
}

// Checks the longest call since the last check, and starts afresh.
inline void ExpectCallsReturned(void)
{
    printf("    longest call: %lu ms\n", (unsigned long)longestCallMs);
    CheckTrue(longestCallMs < CALL_LIMIT_MS, "every call returned within the write timeouts");
    longestCallMs = 0;
}
