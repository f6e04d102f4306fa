// The module's load and unload notifications.
#include <windows.h>

#include "../log/debug_log.h"

// Loading does no work of the module's own. Unloading by FreeLibrary closes
// the log stream, so that a later load in the same process opens and empties
// the file cleanly and no stream is left behind per load; at process exit
// the runtime closes it.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved == NULL)
        CloseLog();
    return TRUE;
}
