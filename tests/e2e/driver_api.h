// The display module as a host sees it: loaded by file name, its eight
// entry points found by name and called through stdcall pointers.
#pragma once

#include <windows.h>

struct DriverApi {
    HMODULE module;
    const char *(__stdcall *Init)(unsigned char columns, unsigned char rows,
                                  const char *parameters, unsigned char *ok);
    void(__stdcall *Done)(void);
    void(__stdcall *Write)(const char *text);
    void(__stdcall *SetPosition)(unsigned char x, unsigned char y);
    void(__stdcall *PowerResume)(void);
    const char *(__stdcall *Usage)(void);
    const char *(__stdcall *DefaultParameters)(void);
    const char *(__stdcall *DriverName)(void);
};

// Loads the module from path and resolves every entry point by its plain
// or its decorated name. Returns false, with a message printed, when the
// module or an entry point is missing.
bool LoadDriver(DriverApi *api, const char *path, bool decoratedNames);

// Starts a scenario: empties the line, then loads the module given to the
// test program by its plain names. A failure counts as a failed check.
bool LoadFreshDriver(DriverApi *api);

// Unloads the module; its state starts afresh at the next load.
void UnloadDriver(DriverApi *api);

// The module path the test program was given.
extern const char *driverPath;
