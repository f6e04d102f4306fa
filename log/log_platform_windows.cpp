// The debug log's platform calls through Win32 and the runtime's 64-bit
// time functions.
#include "log_platform.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

const char LOG_FOLDER[] = "logs\\";

void CreateLogFolder(void)
{
    CreateDirectoryA("logs", NULL);
}

FILE *OpenLogStream(const char *path)
{
    // A handle opened without security attributes is not inheritable;
    // fopen's would be.
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    int descriptor = _open_osfhandle((intptr_t)file, _O_WRONLY | _O_TEXT);
    if (descriptor < 0) {
        CloseHandle(file);
        return NULL;
    }
    FILE *stream = _fdopen(descriptor, "w");
    if (!stream)
        _close(descriptor);
    return stream;
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
