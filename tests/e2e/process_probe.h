// What a long run may leak, read from inside the test process.
#pragma once

#include <windows.h>

struct ProcessProbe {
    UINT_PTR nextHandle;      // the value the next handle gets
    DWORD openHandles;        // handle values that name an open handle
    SIZE_T committedPrivate;  // committed private memory, summed over VirtualQuery
    SIZE_T commitCharge;      // GetProcessMemoryInfo's PagefileUsage: the private
                              // commit charge (Wine leaves PrivateUsage at 0)
};

// Freed handle slots are reused first, so the next handle's value creeps
// up while handles leak. (Wine does not count a process's handles, so
// GetProcessHandleCount cannot tell.)
void TakeProcessProbe(ProcessProbe *probe);
