// What a long run may leak, read from inside the test process.
#pragma once

#include <windows.h>

struct ProcessProbe {
    UINT_PTR nextHandle;       // the value the next handle gets
    DWORD openHandles;         // handle values that name an open handle
    SIZE_T committedPrivate;   // committed private memory, summed over VirtualQuery
    SIZE_T commitCharge;       // GetProcessMemoryInfo's PagefileUsage: the private
                               // commit charge (Wine leaves PrivateUsage at 0)
};

// The value the next handle gets. Freed handle slots are reused first, so
// the value creeps up while handles leak, unless the leaked ones sit above
// a slot that is freed again each time. (Wine does not count a process's
// handles, so GetProcessHandleCount cannot tell.)
UINT_PTR NextHandleValue(void);

void TakeProcessProbe(ProcessProbe *probe);

// Prints the probe on one line, for the record of a long run.
void PrintProcessProbe(const char *label, const ProcessProbe *probe);
