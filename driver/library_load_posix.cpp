// The library's unload. It runs at dlclose, and also at exit() while the
// host's other threads may still be inside a call: it takes the lock only
// if it is free, and otherwise leaves the port and the log to the system.
// It never waits: output the port still holds is discarded, so a line that
// does not move cannot hold the close.
#include "module_lock.h"
#include "../log/debug_log.h"
#include "../serial/serial_port.h"

__attribute__((destructor)) static void UnloadLibrary(void)
{
    if (!TryLockModule())
        return;
    ClosePort(true);
    CloseLog();
    UnlockModule();
}
