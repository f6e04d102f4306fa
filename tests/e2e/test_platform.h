// What the test programs ask of their platform, in a whole file for each
// (test_platform_windows.cpp, test_platform_posix.cpp); the runner, the
// checks, the line's logic and the scenario files need nothing else.
#pragma once

#include <stddef.h>

// The platform's name, as the scenario files' "only" lines and definition
// files (windows.defs, linux.defs) give it.
extern const char PLATFORM[];

// The log of the module under test, in the scenario's folder.
extern const char LOG_PATH[];

// What the module answers here where the platforms differ: the number its
// log reads from the line's name, and Init's texts, with the system's
// reason, for a port that does not exist, line settings the port refuses and
// a file named as the port. A note says why a check cannot apply here.
struct PlatformTexts {
    int linePortNumber;
    const char *noPort, *refused, *notAPort;
    const char *comNames;      // Init's text for COM3 ("default") and COM12; null where they are the line
    const char *openFileNote;  // null where an open file cannot be deleted
    const char *unloadNote;    // null where the unload lets queued output go out
};
extern const PlatformTexts PLATFORM_TEXTS;

// The path of a copy of the module named baseName in the current folder
// (.\POLE7.dll, ./libPOLE7.so), and its log's path (logs\POLE7.log).
void ModuleCopyPath(const char *baseName, char *path, size_t size);
void LogPathOf(const char *baseName, char *path, size_t size);

unsigned long MillisecondsNow(void);  // a monotonic clock
void SleepMs(unsigned long ms);
bool CopyWholeFile(const char *from, const char *to);

// The local time now as "yymmddHHMMSS", which orders as the time does.
void SortableLocalTime(char (&sortable)[16]);

// Makes the folder if need be and makes it the current one; or goes back.
void EnterFolder(const char *name, char (&previous)[1024]);
void LeaveFolder(const char (&previous)[1024]);

// The names in folder, in order: its sub-folders, or its files ending in
// suffix (without it). Returns how many, at most max.
typedef char ListedName[64];
size_t ListFolder(const char *folder, bool subFolders, const char *suffix, ListedName *names, size_t max);

// Runs body(argument) on a thread of its own; false when it has not ended
// within limitMs (the thread is then left running).
bool RunWithin(void (*body)(void *), void *argument, unsigned long limitMs);
// Starts body(argument) on a thread that runs for good.
void StartThread(void (*body)(void *), void *argument);
// Runs body((void *)0) to body((void *)(count - 1)), each on a thread of
// its own (at most THREADS_MAX), and returns once all have ended.
enum { THREADS_MAX = 8 };
void RunThreads(void (*body)(void *), size_t count);

// One lock for the line's reader and its checks.
void LockLine(void);
void UnlockLine(void);

// The test's serial line (see line.h): the name the module opens its end
// by (COM3, or the runner's path), the display's end, which the reader
// reads, and the runner's control port.
const char *ModuleEndName(void);
bool OpenDisplayEnd(void);
void CloseDisplayEnd(void);
// What has arrived, after waiting up to 50 ms for a first byte; 0 for none.
size_t ReadDisplayEnd(unsigned char *bytes, size_t size);
bool OpenControl(void);
// Sends request and reads the runner's one-line answer into answer.
void AskControl(const char *request, char *answer, size_t size);
