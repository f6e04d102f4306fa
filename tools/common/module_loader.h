// A display module as a host sees it: loaded by file name, its nine entry
// points found by name and called through the header's pointer types.
// Shared by the host console and the Windows test programs.
#pragma once

#include <stddef.h>

#include "../../include/KESMARD.h"

struct DriverApi {
    void *module;  // the platform's handle of the loaded module
    DISPLAYDLL_InitProc Init;
    DISPLAYDLL_DoneProc Done;
    DISPLAYDLL_WriteProc Write;
    DISPLAYDLL_SetPositionProc SetPosition;
    DISPLAYDLL_PowerResumeProc PowerResume;
    DISPLAYDLL_UsageProc Usage;
    DISPLAYDLL_DefaultParametersProc DefaultParameters;
    DISPLAYDLL_DriverNameProc DriverName;
    DISPLAYDLL_StatusProc Status;
};

// Loads the module from path and resolves every entry point by its plain
// or its decorated name. Returns false, with a one-line reason in error and
// nothing left loaded, when the module or an entry point is missing.
bool LoadDriverApi(DriverApi *api, const char *path, bool decoratedNames, char *error,
                   size_t errorSize);

// Unloads the module; its state starts afresh at the next load.
void UnloadDriver(DriverApi *api);
