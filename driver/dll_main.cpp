// The module's load and unload notifications.
#include <windows.h>

#include "../log/debug_log.h"
#include "../serial/serial_port.h"

// Loading does no work of the module's own. Unloading by FreeLibrary closes
// the log stream and, when the host never called Done, the port, sending
// nothing: a later load in the same process then opens both afresh, and no
// handle is left behind per load. At process exit the system closes them.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved == NULL) {
        ClosePort();
        CloseLog();
    }
    return TRUE;
}
