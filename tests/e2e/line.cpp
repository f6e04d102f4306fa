// Reading the display's end of the virtual serial line.
#include "line.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "files.h"

enum {
    ARRIVAL_LIMIT_MS = 1000,  // how long expected bytes may take to arrive
    QUIET_MS = 100,           // silence that ends a reception
    LINE_BUFFER_SIZE = 8192,
    COLLECT_CHUNK = 65536,     // most the collector asks for in one read
    CONTROL_LIMIT_MS = 10000,  // how long the runner may take to change the line
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

size_t DrainLine(void)
{
    unsigned char scratch[LINE_BUFFER_SIZE];
    size_t drained = 0;
    for (DWORD got = 1; got > 0; drained += got)
        got = ReadSome(scratch, sizeof scratch, 20);
    return drained;
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

void AddRun(ExpectedRuns *runs, const void *bytes, size_t count)
{
    if (runs->length + count > sizeof runs->bytes) {
        CheckTrue(false, "the expected runs fit their buffer");
        return;
    }
    memcpy(runs->bytes + runs->length, bytes, count);
    runs->length += count;
}

void AddText(ExpectedRuns *runs, const char *text)
{
    AddRun(runs, text, strlen(text));
}

void ExpectRuns(const ExpectedRuns *runs, const char *what)
{
    ExpectLine(runs->bytes, runs->length, what);
}

void ExpectNothing(const char *what)
{
    ExpectLine((const unsigned char *)"", 0, what);
}

static struct {
    HANDLE thread;
    unsigned char *buffer;
    size_t size;
    volatile LONG length;  // bytes collected so far
    volatile LONG stop;    // set to end the thread
} collector;

static DWORD WINAPI Collect(void *)
{
    while (!collector.stop && (size_t)collector.length < collector.size) {
        size_t room = collector.size - (size_t)collector.length;
        DWORD got = ReadSome(collector.buffer + collector.length,
                             room < COLLECT_CHUNK ? room : (size_t)COLLECT_CHUNK, 50);
        InterlockedExchangeAdd(&collector.length, (LONG)got);
    }
    return 0;
}

void StartCollecting(unsigned char *buffer, size_t size)
{
    collector.buffer = buffer;
    collector.size = size;
    collector.length = 0;
    collector.stop = 0;
    collector.thread = CreateThread(NULL, 0, Collect, NULL, 0, NULL);
    CheckTrue(collector.thread != NULL, "the line reader starts");
}

size_t StopCollecting(size_t expectedLength)
{
    if (!collector.thread)
        return 0;
    LONG seen = -1;
    while ((size_t)collector.length < expectedLength && collector.length != seen) {
        seen = collector.length;
        Sleep(ARRIVAL_LIMIT_MS);
    }
    InterlockedExchange(&collector.stop, 1);
    WaitForSingleObject(collector.thread, INFINITE);
    CloseHandle(collector.thread);
    collector.thread = NULL;
    return (size_t)collector.length;
}

// Hands an action to the runner script through its control folder: the
// request is written aside and renamed, so the script never reads half of
// it, and the script's answer is awaited.
static bool ChangeLine(const char *action)
{
    char folder[MAX_PATH], request[MAX_PATH + 16], pending[MAX_PATH + 16], done[MAX_PATH + 16];
    DWORD length = GetEnvironmentVariableA("KESMARD_LINE_CONTROL", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) {
        CheckTrue(false, "the runner offers line control (KESMARD_LINE_CONTROL)");
        return false;
    }
    snprintf(request, sizeof request, "%s\\request", folder);
    snprintf(pending, sizeof pending, "%s\\request.tmp", folder);
    snprintf(done, sizeof done, "%s\\done", folder);
    DeleteFileA(done);
    if (!WriteWholeFile(pending, action) || !MoveFileA(pending, request)) {
        CheckTrue(false, "the line change is requested");
        return false;
    }
    char answer[128];
    DWORD start = GetTickCount();
    while (ReadWholeFile(done, answer, sizeof answer) < 0) {
        if (GetTickCount() - start > CONTROL_LIMIT_MS) {
            CheckTrue(false, "the runner answers a line change in time");
            return false;
        }
        Sleep(20);
    }
    DeleteFileA(done);
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
    CloseDisplayEnd();
    bool opened = OpenDisplayEnd();
    CheckTrue(opened, "the display's end opens on the new line");
    return opened;
}

bool PauseLine(void)
{
    return ChangeLine("pause");
}

bool ResumeLine(void)
{
    return ChangeLine("resume");
}
