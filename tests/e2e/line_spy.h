// What passes between the module and its port, seen by a spy between them:
// the bytes the writes moved and the discards of held output, which the
// line's far end cannot show. On Windows it sits in the module's import
// table (driver_spy.cpp), on Linux in front of the C library's calls
// (line_spy_posix.cpp).
#pragma once

struct LineSpy {
    unsigned long long moved;  // bytes all writes moved
    int purges;                // discards of the port's output
};

extern LineSpy lineSpy;

// Puts the spy in place for the loaded module and starts it afresh; false,
// with a failed check, when it cannot.
bool SpyOnModule(void *module);
