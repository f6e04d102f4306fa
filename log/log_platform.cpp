// The debug log's platform calls through Win32.
#include "log_platform.h"

#include <windows.h>

void CreateLogFolder(void)
{
    CreateDirectoryA("logs", NULL);
}

long long CurrentSecond(void)
{
    enum { FILE_TIME_UNITS_PER_SECOND = 10000000 };
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER units;
    units.LowPart = now.dwLowDateTime;
    units.HighPart = now.dwHighDateTime;
    return (long long)(units.QuadPart / FILE_TIME_UNITS_PER_SECOND);
}
