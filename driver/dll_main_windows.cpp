// The module's load and unload notifications. They run under the loader
// lock, so nothing here may wait: not for the module lock, not for a device.
#include <windows.h>

#include "module_lock.h"
#include "../log/debug_log.h"
#include "../serial/serial_port.h"

// Loading makes the module lock. Unloading by FreeLibrary lets the port and
// the log stream go, so that a later load in the same process opens both
// afresh, sending nothing. Output a backed-up port still holds (a line held
// by flow control) is discarded by the close, so it cannot wait for it; on
// a flowing line the last bytes are let go out. A host must not unload the
// module while another of its threads is inside a call. At process exit the
// system closes everything itself.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        CreateModuleLock();
    if (reason == DLL_PROCESS_DETACH && reserved == NULL) {
        ClosePort();
        CloseLog();
        DestroyModuleLock();
    }
    return TRUE;
}
