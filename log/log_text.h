// Text building for the debug log: the switch test, the file's path and the
// timestamp. Platform-free.
#pragma once

#include <stddef.h>
#include <time.h>

// The path buffer holds 255 characters and the terminator.
enum { LOG_PATH_SIZE = 256 };
// "HH:MM:SS dd/mm/yy" and the terminator fit with room to spare.
enum { TIMESTAMP_SIZE = 20 };

// True when the parameter string is at least four characters long and ends
// in "Log" (case-sensitive).
bool HasLogSuffix(const char *parameters);

// folder (such as "logs\\"), baseName and ".log", relative to the current
// folder. A base name too long for the buffer is cut so that the extension
// stays.
void BuildLogPath(char *path, size_t size, const char *folder, const char *baseName);

// Local time as "%H:%M:%S %d/%m/%y": two-digit year, day before month.
void FormatTimestamp(char *timestamp, size_t size, const struct tm *localTime);
