// What the benchmark asks of its platform, in a whole file for each
// (bench_platform_windows.cpp, bench_platform_posix.cpp): the clock, the
// floor's own port and the module file's facts. The measuring needs
// nothing else but the module loader.
#pragma once

#include <stddef.h>

// Seconds on the platform's finest monotonic clock.
double Seconds(void);

// The line's name in the module's parameter string (COM3, or the runner's
// path), and the one the floor opens its own handle by; null when the
// line runner gave none.
const char *ModulePortName(void);
const char *FloorPortName(void);

// Opens the floor's port and configures it as the module does (raw,
// 9600 baud, 8 data bits, no parity, one stop bit, writes that never wait
// long). One port at a time.
bool OpenFloorPort(const char *name);
void CloseFloorPort(void);
// A raw write of the bytes, and a raw query of the port's state.
void FloorWrite(const void *bytes, size_t count);
void FloorStatus(void);

void MakeFolder(const char *name);

// The empty module, the floor of loading one, beside the benchmark.
void EmptyModulePath(char *path, size_t size);

// Prints the module file's size and the libraries it imports.
void ReportModuleFile(const char *path);
