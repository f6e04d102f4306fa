// Handle and memory readings of the test process.
#include "process_probe.h"

#include <psapi.h>

static UINT_PTR NextHandleValue(void)
{
    HANDLE probe = CreateEventA(NULL, TRUE, FALSE, NULL);
    CloseHandle(probe);
    return (UINT_PTR)probe;
}

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

// Walks the whole address space: private memory that is committed is what
// heaps, stacks and leaked buffers take.
static SIZE_T CommittedPrivateBytes(void)
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char *address = NULL;
         VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = (const char *)region.BaseAddress + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        if ((UINT_PTR)region.BaseAddress + region.RegionSize < (UINT_PTR)address)
            break;  // wrapped round the top of the address space
    }
    return total;
}

void TakeProcessProbe(ProcessProbe *probe)
{
    probe->nextHandle = NextHandleValue();
    probe->openHandles = CountOpenHandles();
    probe->committedPrivate = CommittedPrivateBytes();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    probe->commitCharge = counters.PagefileUsage;
}
