// What a long run may leak, read from inside the test process.
#pragma once

#include <windows.h>

struct ProcessProbe {
    DWORD openHandles;    // counted one by one: Wine's GetProcessHandleCount is 0
    SIZE_T commitCharge;  // PagefileUsage: Wine leaves PrivateUsage at 0
};

void TakeProcessProbe(ProcessProbe *probe);
