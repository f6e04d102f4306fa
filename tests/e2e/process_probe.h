// What a long run may leak, read from inside the test process.
#pragma once

#include <windows.h>

struct ProcessProbe {
    DWORD openHandles;    // handle values that name an open handle (Wine does not
                          // count a process's handles: GetProcessHandleCount is 0)
    SIZE_T commitCharge;  // GetProcessMemoryInfo's PagefileUsage: the private
                          // commit charge (Wine leaves PrivateUsage at 0)
};

void TakeProcessProbe(ProcessProbe *probe);
