// Reading the display's end of the virtual serial line.
#include "line.h"

#include <windows.h>
#include <string.h>

#include "checks.h"

enum {
    ARRIVAL_LIMIT_MS = 1000,  // how long expected bytes may take to arrive
    QUIET_MS = 100,           // silence that ends a reception
    LINE_BUFFER_SIZE = 8192,
};

static HANDLE displayEnd = INVALID_HANDLE_VALUE;

bool OpenDisplayEnd(void)
{
    displayEnd = CreateFileA("COM4", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    return displayEnd != INVALID_HANDLE_VALUE;
}

void CloseDisplayEnd(void)
{
    CloseHandle(displayEnd);
    displayEnd = INVALID_HANDLE_VALUE;
}

// A read returns as soon as any byte is there, or after waitMs of nothing;
// with no wait at all it returns at once with what has arrived.
static DWORD ReadSome(unsigned char *buffer, size_t size, DWORD waitMs)
{
    COMMTIMEOUTS timeouts = {MAXDWORD, waitMs ? MAXDWORD : 0, waitMs, 0, 0};
    SetCommTimeouts(displayEnd, &timeouts);
    DWORD got = 0;
    if (!ReadFile(displayEnd, buffer, (DWORD)size, &got, NULL))
        return 0;
    return got;
}

void DrainLine(void)
{
    unsigned char scratch[LINE_BUFFER_SIZE];
    while (ReadSome(scratch, sizeof scratch, 20) > 0) {
    }
}

size_t ReadArrived(unsigned char *buffer, size_t size)
{
    return ReadSome(buffer, size, 0);
}

size_t ReceiveBytes(unsigned char *buffer, size_t size, size_t expectedLength)
{
    size_t length = 0;
    DWORD start = GetTickCount();
    while (length < expectedLength && length < size && GetTickCount() - start < ARRIVAL_LIMIT_MS)
        length += ReadSome(buffer + length, size - length, 50);
    for (DWORD got = 1; got > 0 && length < size;) {
        got = ReadSome(buffer + length, size - length, QUIET_MS);
        length += got;
    }
    return length;
}

void ExpectLine(const unsigned char *expected, size_t length, const char *what)
{
    static unsigned char received[LINE_BUFFER_SIZE];
    size_t got = ReceiveBytes(received, sizeof received, length);
    CheckBytes(expected, length, received, got, what);
}

void ExpectLineText(const char *expected, const char *what)
{
    ExpectLine((const unsigned char *)expected, strlen(expected), what);
}

void ExpectNothing(const char *what)
{
    ExpectLine((const unsigned char *)"", 0, what);
}
