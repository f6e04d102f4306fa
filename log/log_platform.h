// What the debug log needs from the platform beyond the standard library.
#pragma once

#include <stdio.h>
#include <time.h>

// The folder of the log, with the platform's separator after it: "logs\\"
// or "logs/".
extern const char LOG_FOLDER[];

// Creates "logs" in the current folder; failure (it exists, say) is ignored.
void CreateLogFolder(void);

// Creates or empties the file at path and opens it as a text stream for
// writing, as fopen with "w" does, but never inherited by the host's child
// processes, which would keep the file open after the module let it go.
// Null when it cannot be opened.
FILE *OpenLogStream(const char *path);

// The current time in whole seconds since 1 January 1970 (UTC), in 64 bits;
// cheap enough to ask on every line, unlike the runtime's time() on some
// systems.
long long CurrentSecond(void);

// The local time of such a second, read with the runtime's 64-bit time
// calls on the 32-bit module too, so that it stays right after 2038. False
// when the runtime cannot convert it.
bool LocalTimeAt(long long second, struct tm *localTime);
