// Handle and memory readings of the test process.
#include "process_probe.h"

#include <windows.h>
#include <psapi.h>

void TakeProcessProbe(ProcessProbe *probe)
{
    // Handle values are multiples of four from 4 up, and this process never
    // holds more than a few thousand: a leak shows wherever its slot lies.
    DWORD flags;
    probe->openHandles = 0;
    for (UINT_PTR value = 4; value <= 0x10000; value += 4)
        probe->openHandles += GetHandleInformation((HANDLE)value, &flags) ? 1 : 0;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    probe->privateMemory = counters.PagefileUsage;
}
