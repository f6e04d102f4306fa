// The host console's few calls of the platform, in a file per platform
// (console_platform_windows.cpp, console_platform_posix.cpp).
#pragma once

#include <stddef.h>

enum {
    MODULE_PATH_SIZE = 4096,
    PORT_LIST_SIZE = 1 << 17,  // the longest list of ListComPorts or ListDevicePorts
};

// The module loaded unless --module names another: KESMARD.dll (Windows) or
// libKESMARD.so in the console's own folder; the bare name, which the
// loader searches for, when that folder cannot be learnt.
void DefaultModulePath(char *path, size_t size);

// Whether standard input is a terminal, someone typing the commands.
bool InputIsTerminal(void);

void SleepMilliseconds(unsigned long milliseconds);

// The machine's serial ports, a line each (console_commands.h), read
// without opening any. False, with a one-line reason in error, when the
// list could not be read; lines then holds what could be.
bool ReadPortList(char *lines, size_t size, char *error, size_t errorSize);
