// What a long run may leak, read from inside the test process
// (process_probe_windows.cpp, process_probe_posix.cpp).
#pragma once

#include <stddef.h>

struct ProcessProbe {
    unsigned long openHandles;  // handles or descriptors, counted one by one: Wine's GetProcessHandleCount is 0
    size_t privateMemory;       // PagefileUsage (Wine leaves PrivateUsage at 0), or the data segment's size
};

void TakeProcessProbe(ProcessProbe *probe);
