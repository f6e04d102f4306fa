// The test programs' platform calls through Win32. The line's ends are COM
// ports the runner maps: the module's COM3, the display's COM4, and the
// runner's control port COM5.
#include "test_platform.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char PLATFORM[] = "windows";
const char LOG_PATH[] = "logs\\KESMARD.log";

// The runner maps COM3 and COM12 both to the line.
const PlatformTexts PLATFORM_TEXTS = {3, "Serial Port does not exist : File not found.\r\n",
                                      "Failed to set Serial Port state : Request not supported.\r\n",
                                      "Failed to get Serial Port state : Invalid handle.\r\n", NULL, NULL, NULL};

enum { CONTROL_LIMIT_MS = 10000 };  // how long the runner may take to change the line

void ModuleCopyPath(const char *baseName, char *path, size_t size)
{
    snprintf(path, size, ".\\%s.dll", baseName);
}

void LogPathOf(const char *baseName, char *path, size_t size)
{
    snprintf(path, size, "logs\\%s.log", baseName);
}

unsigned long MillisecondsNow(void)
{
    return GetTickCount();
}

void SleepMs(unsigned long ms)
{
    Sleep(ms);
}

bool CopyWholeFile(const char *from, const char *to)
{
    return CopyFileA(from, to, FALSE) != 0;
}

void SortableLocalTime(char (&sortable)[16])
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(sortable, sizeof sortable, "%02d%02d%02d%02d%02d%02d", now.wYear % 100, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond);
}

void EnterFolder(const char *name, char (&previous)[1024])
{
    GetCurrentDirectoryA(sizeof previous, previous);
    CreateDirectoryA(name, NULL);
    SetCurrentDirectoryA(name);
}

void LeaveFolder(const char (&previous)[1024])
{
    SetCurrentDirectoryA(previous);
}

static int CompareNames(const void *a, const void *b)
{
    return strcmp((const char *)a, (const char *)b);
}

size_t ListFolder(const char *folder, bool subFolders, const char *suffix, ListedName *names, size_t max)
{
    char pattern[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\*%s", folder, subFolders ? "" : suffix);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    size_t count = 0;
    for (bool more = search != INVALID_HANDLE_VALUE; more && count < max; more = FindNextFileA(search, &found)) {
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        size_t length = strlen(found.cFileName) - (subFolders ? 0 : strlen(suffix));
        if (isFolder == subFolders && found.cFileName[0] != '.' && length < sizeof names[0])
            snprintf(names[count++], sizeof names[0], "%.*s", (int)length, found.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    qsort(names, count, sizeof names[0], CompareNames);
    return count;
}

struct ThreadStart {
    void (*body)(void *);
    void *argument;
};

// The start lives as long as its thread's first step needs it: the waiting
// caller's, or the reader's for good.
static DWORD WINAPI RunThread(void *start)
{
    ((ThreadStart *)start)->body(((ThreadStart *)start)->argument);
    return 0;
}

bool RunWithin(void (*body)(void *), void *argument, unsigned long limitMs)
{
    ThreadStart start = {body, argument};
    HANDLE thread = CreateThread(NULL, 0, RunThread, &start, 0, NULL);
    bool ended = WaitForSingleObject(thread, limitMs) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

void StartThread(void (*body)(void *), void *argument)
{
    static ThreadStart start;
    start = {body, argument};
    CloseHandle(CreateThread(NULL, 0, RunThread, &start, 0, NULL));
}

void RunThreads(void (*body)(void *), size_t count)
{
    ThreadStart starts[THREADS_MAX];
    HANDLE threads[THREADS_MAX] = {};
    size_t started = 0;
    for (; started < count && started < THREADS_MAX; started++) {
        starts[started] = {body, (void *)started};
        threads[started] = CreateThread(NULL, 0, RunThread, &starts[started], 0, NULL);
    }
    WaitForMultipleObjects((DWORD)started, threads, TRUE, INFINITE);
    for (size_t i = 0; i < started; i++)
        CloseHandle(threads[i]);
}

static SRWLOCK lineLock = SRWLOCK_INIT;

void LockLine(void)
{
    AcquireSRWLockExclusive(&lineLock);
}

void UnlockLine(void)
{
    ReleaseSRWLockExclusive(&lineLock);
}

static HANDLE displayEnd = INVALID_HANDLE_VALUE, control = INVALID_HANDLE_VALUE;

const char *ModuleEndName(void)
{
    return "COM3";
}

// Opens a COM port whose reads return after timeoutMs without a byte.
static HANDLE OpenPort(const char *name, DWORD timeoutMs)
{
    HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    COMMTIMEOUTS timeouts = {MAXDWORD, MAXDWORD, timeoutMs, 0, 1000};
    SetCommTimeouts(port, &timeouts);
    return port;
}

bool OpenDisplayEnd(void)
{
    displayEnd = OpenPort("COM4", 50);
    return displayEnd != INVALID_HANDLE_VALUE;
}

void CloseDisplayEnd(void)
{
    CloseHandle(displayEnd);
    displayEnd = INVALID_HANDLE_VALUE;
}

size_t ReadDisplayEnd(unsigned char *bytes, size_t size)
{
    DWORD got = 0;
    if (!ReadFile(displayEnd, bytes, (DWORD)size, &got, NULL))
        got = 0;
    return got;
}

bool OpenControl(void)
{
    control = OpenPort("COM5", CONTROL_LIMIT_MS);
    return control != INVALID_HANDLE_VALUE;
}

void AskControl(const char *request, char *answer, size_t size)
{
    DWORD count = 0;
    WriteFile(control, request, (DWORD)strlen(request), &count, NULL);
    answer[0] = '\0';
    for (size_t length = 0; length + 1 < size && !strchr(answer, '\n'); length += count) {
        if (!ReadFile(control, answer + length, 1, &count, NULL) || count == 0)
            break;
        answer[length + 1] = '\0';
    }
}
