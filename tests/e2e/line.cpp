// The reader of the display's end, the checks on what it read, and the
// control port to the runner script.
#include "line.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "harness.h"

enum {
    ARRIVAL_LIMIT_MS = 1000,    // a wait for bytes ends after this long without one
    QUIET_MS = 100,             // silence that ends a reception
    LINE_CAPACITY = 16 << 20,   // more than any scenario sends between two checks
    CONTROL_LIMIT_MS = 10000,   // how long the runner may take to change the line
};

static struct {
    CRITICAL_SECTION lock;
    unsigned char bytes[LINE_CAPACITY];
    volatile size_t length;      // arrived so far (taken under the lock)
    size_t taken;                // of which the checks have taken
    volatile DWORD lastArrival;  // tick of the last byte's arrival
    volatile LONG paused;        // the reader does not read
    volatile LONG wantOpen;      // whether COM4 should be open; the reader makes it so
    volatile LONG isOpen;
} line;

static HANDLE control = INVALID_HANDLE_VALUE;  // the runner's control port, COM5

// Reads COM4 whenever it is open and not paused. A read returns as soon as
// a byte is there, or after 50 ms of nothing.
static DWORD WINAPI ReadLine(void *)
{
    HANDLE port = INVALID_HANDLE_VALUE;
    static unsigned char chunk[65536];
    for (;;) {
        if (line.wantOpen != line.isOpen) {
            if (line.isOpen)
                CloseHandle(port);
            port = line.wantOpen ? CreateFileA("COM4", GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL)
                                 : INVALID_HANDLE_VALUE;
            COMMTIMEOUTS timeouts = {MAXDWORD, MAXDWORD, 50, 0, 0};
            SetCommTimeouts(port, &timeouts);
            InterlockedExchange(&line.isOpen, port != INVALID_HANDLE_VALUE);
        }
        DWORD got = 0;
        if (line.paused || !line.isOpen || !ReadFile(port, chunk, sizeof chunk, &got, NULL) ||
            got == 0) {
            Sleep(20);
            continue;
        }
        EnterCriticalSection(&line.lock);
        if (got > LINE_CAPACITY - line.length)
            got = (DWORD)(LINE_CAPACITY - line.length);  // a check then sees bytes missing
        memcpy(line.bytes + line.length, chunk, got);
        line.length += got;
        line.lastArrival = GetTickCount();
        LeaveCriticalSection(&line.lock);
    }
}

bool HoldDisplayEnd(bool hold)
{
    InterlockedExchange(&line.wantOpen, hold);
    for (int waited = 0; line.isOpen != hold && waited < CONTROL_LIMIT_MS; waited += 10)
        Sleep(10);
    return line.isOpen == hold;
}

bool StartReadingLine(void)
{
    // Opened once at the start, so that scenarios counting handles see none
    // come or go. Where no runner serves it, a line change fails its check.
    control = CreateFileA("COM5", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    COMMTIMEOUTS timeouts = {MAXDWORD, MAXDWORD, CONTROL_LIMIT_MS, 0, 1000};
    SetCommTimeouts(control, &timeouts);
    InitializeCriticalSection(&line.lock);
    CloseHandle(CreateThread(NULL, 0, ReadLine, NULL, 0, NULL));
    return HoldDisplayEnd(true);
}

void PauseLine(void)
{
    InterlockedExchange(&line.paused, 1);
}

void ResumeLine(void)
{
    InterlockedExchange(&line.paused, 0);
}

static DWORD SinceLastArrival(void)
{
    return GetTickCount() - line.lastArrival;
}

size_t ReceiveLine(size_t expected, const unsigned char **bytes)
{
    EnterCriticalSection(&line.lock);
    if (line.taken == line.length)
        line.taken = line.length = 0;  // all taken: start the buffer afresh
    LeaveCriticalSection(&line.lock);
    DWORD start = GetTickCount();
    // Until the bytes are in or a second passes without one, then until quiet.
    while (line.length - line.taken < expected &&
           (GetTickCount() - start < ARRIVAL_LIMIT_MS || SinceLastArrival() < ARRIVAL_LIMIT_MS))
        Sleep(10);
    do
        Sleep(QUIET_MS);
    while (SinceLastArrival() < QUIET_MS);
    EnterCriticalSection(&line.lock);
    *bytes = line.bytes + line.taken;
    size_t got = line.length - line.taken;
    line.taken = line.length;
    LeaveCriticalSection(&line.lock);
    return got;
}

size_t DrainLine(void)
{
    const unsigned char *bytes;
    return ReceiveLine(0, &bytes);
}

void ExpectBytes(const void *expected, size_t length, const char *what)
{
    const unsigned char *got;
    size_t gotLength = ReceiveLine(length, &got);
    CheckBytes(expected, length, got, gotLength, what);
}

void ExpectNothing(const char *what)
{
    ExpectBytes("", 0, what);
}

// Sends an action line on the control port and awaits the runner's answer,
// "ok" or what went wrong.
static bool ChangeLine(const char *action)
{
    char request[32], answer[64] = "";
    snprintf(request, sizeof request, "%s\n", action);
    DWORD count = 0;
    WriteFile(control, request, (DWORD)strlen(request), &count, NULL);
    for (size_t length = 0; length + 1 < sizeof answer && !strchr(answer, '\n'); length += count) {
        if (!ReadFile(control, answer + length, 1, &count, NULL) || count == 0)
            break;
        answer[length + 1] = '\0';
    }
    CheckText("ok\n", answer, action);
    return strcmp(answer, "ok\n") == 0;
}

bool UnplugLine(void)
{
    return ChangeLine("unplug");
}

bool PlugNonPort(void)
{
    return ChangeLine("plug_non_port");
}

bool PlugLine(void)
{
    if (!ChangeLine("plug"))
        return false;
    bool opened = HoldDisplayEnd(false) && HoldDisplayEnd(true);
    CheckTrue(opened, "the display's end opens on the new line");
    return opened;
}
