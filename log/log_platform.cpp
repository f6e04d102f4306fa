// The debug log's platform calls through Win32 and the runtime's 64-bit
// time functions.
#include "log_platform.h"

#include <windows.h>

void CreateLogFolder(void)
{
    CreateDirectoryA("logs", NULL);
}

long long CurrentSecond(void)
{
    enum { FILE_TIME_UNITS_PER_SECOND = 10000000 };
    // File times count from 1 January 1601.
    const long long SECONDS_FROM_1601_TO_1970 = 11644473600LL;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER units;
    units.LowPart = now.dwLowDateTime;
    units.HighPart = now.dwHighDateTime;
    return (long long)(units.QuadPart / FILE_TIME_UNITS_PER_SECOND) - SECONDS_FROM_1601_TO_1970;
}

bool LocalTimeAt(long long second, struct tm *localTime)
{
    __time64_t time = second;
    const struct tm *converted = _localtime64(&time);
    if (!converted)
        return false;
    *localTime = *converted;
    return true;
}
