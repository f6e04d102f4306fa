// Handle and memory readings of the test process.
#include "process_probe.h"

#include <psapi.h>

// Handle values are multiples of four from 4 up, and this process never
// holds more than a few thousand; every value that names an open handle is
// counted, so a leak shows wherever its slot lies.
static DWORD CountOpenHandles(void)
{
    enum { HIGHEST_HANDLE_VALUE = 0x10000 };
    DWORD count = 0, flags;
    for (UINT_PTR value = 4; value <= HIGHEST_HANDLE_VALUE; value += 4)
        count += GetHandleInformation((HANDLE)value, &flags) ? 1 : 0;
    return count;
}

void TakeProcessProbe(ProcessProbe *probe)
{
    probe->openHandles = CountOpenHandles();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    probe->commitCharge = counters.PagefileUsage;
}
