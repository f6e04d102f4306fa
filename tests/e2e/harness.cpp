// The runner, its watchdog, the checks, and files and child processes.
#include "harness.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "driver_api.h"
#include "line.h"
#include "../../tools/common/text_fields.h"

static int failedChecks;  // in the running scenario

static void Fail(const char *what)
{
    failedChecks++;
    printf("    FAILED: %s\n", what);
}

void CheckTrue(bool condition, const char *what)
{
    if (!condition)
        Fail(what);
}

void CheckInt(long long expected, long long got, const char *what)
{
    if (expected != got) {
        Fail(what);
        printf("      expected %lld, got %lld\n", expected, got);
    }
}

// A text with its control bytes visible, so that line ends can be compared.
static void PrintVisible(const char *label, const char *text)
{
    static char visible[4096];
    EscapeText(text ? text : "(null)", visible, sizeof visible);
    printf("      %s \"%s\"\n", label, visible);
}

void CheckText(const char *expected, const char *got, const char *what)
{
    if (!got || strcmp(expected, got) != 0) {
        Fail(what);
        size_t same = 0;  // long texts are shown from a little before their first difference
        while (got && expected[same] && expected[same] == got[same])
            same++;
        size_t from = same > 200 ? same - 100 : 0;
        PrintVisible("expected", expected + from);
        PrintVisible("got     ", got ? got + from : got);
    }
}

void CheckHolds(const char *part, const char *text, const char *what)
{
    if (!strstr(text, part)) {
        Fail(what);
        PrintVisible("expected a piece", part);
        PrintVisible("in", text);
    }
}

static void PrintHex(const char *label, const void *bytes, size_t length)
{
    char hex[200];  // some 64 bytes, then " ..."
    FormatHex((const unsigned char *)bytes, length, hex, sizeof hex);
    printf("      %s (%lu bytes) %s\n", label, (unsigned long)length, hex);
}

void CheckBytes(const void *expected, size_t expectedLength, const void *got, size_t gotLength,
                const char *what)
{
    if (expectedLength != gotLength || memcmp(expected, got, expectedLength) != 0) {
        Fail(what);
        PrintHex("expected", expected, expectedLength);
        PrintHex("got     ", got, gotLength);
    }
}

long ReadWholeFile(const char *path, char *buffer, size_t size)
{
    buffer[0] = '\0';
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    DWORD length = 0;
    ReadFile(file, buffer, (DWORD)size - 1, &length, NULL);
    CloseHandle(file);
    buffer[length] = '\0';
    return (long)length;
}

bool WriteWholeFile(const char *path, const char *text)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    bool whole = WriteFile(file, text, (DWORD)strlen(text), &written, NULL) && written == strlen(text);
    CloseHandle(file);
    return whole;
}

// The file of the current folder that stands for one of a child's streams.
static const char *StreamName(const ChildProcess *child, const char *stream, char (&name)[64])
{
    snprintf(name, sizeof name, "%s-%s.txt", child->name, stream);
    return name;
}

// One of a child's streams, for it to inherit.
static HANDLE StreamFile(const ChildProcess *child, const char *stream, bool write)
{
    char name[64];
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    return CreateFileA(StreamName(child, stream, name), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

bool StartChild(ChildProcess *child, const char *name, const char *commandLine, const char *input)
{
    char inputName[64];
    snprintf(child->name, sizeof child->name, "%s", name);
    WriteWholeFile(StreamName(child, "input", inputName), input);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = StreamFile(child, "input", false);
    startup.hStdOutput = StreamFile(child, "stdout", true);
    startup.hStdError = StreamFile(child, "stderr", true);
    char command[2048];
    snprintf(command, sizeof command, "%s", commandLine);  // CreateProcessA may write into it
    PROCESS_INFORMATION started;
    bool ok = CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &started);
    if (!ok)
        printf("    CreateProcessA failed with error %lu\n", GetLastError());
    CheckTrue(ok, "the child process starts");
    child->process = ok ? started.hProcess : NULL;
    if (ok)
        CloseHandle(started.hThread);
    // The child holds its own copies; closed here, they reach no later child.
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    return ok;
}

int FinishChild(ChildProcess *child, char *out, char *err, size_t size)
{
    DWORD status = (DWORD)-1;
    if (child->process) {
        WaitForSingleObject(child->process, INFINITE);  // the watchdog sees one that hangs
        GetExitCodeProcess(child->process, &status);
        CloseHandle(child->process);
    }
    char name[64];
    ReadWholeFile(StreamName(child, "stdout", name), out, size);
    ReadWholeFile(StreamName(child, "stderr", name), err, size);
    return (int)status;
}

int RunChild(const char *commandLine, const char *input, char *out, char *err, size_t size)
{
    ChildProcess child;
    StartChild(&child, "child", commandLine, input);
    return FinishChild(&child, out, err, size);
}

// Whether name contains one of the comma-separated pieces of list.
static bool ContainsAny(const char *name, const char *list)
{
    for (;;) {
        size_t length = strcspn(list, ",");
        for (const char *at = name; *at; at++)
            if (strncmp(at, list, length) == 0)
                return true;
        if (list[length] == '\0')
            return false;
        list += length + 1;
    }
}

char scenarioStart[16];

void SortableLocalTime(char (&sortable)[16])
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(sortable, sizeof sortable, "%02d%02d%02d%02d%02d%02d", now.wYear % 100, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond);
}

// A scenario written in C++, or one of a file.
struct Job {
    const Scenario *scenario;
    const char *folder;
    const char *file;
};

static DWORD WINAPI RunJob(void *argument)
{
    const Job *job = (const Job *)argument;
    if (job->scenario)
        job->scenario->run();
    else
        RunScenarioFile(job->folder, job->file);
    return 0;
}

// Runs a scenario on a thread of its own in a fresh folder named after it,
// where the module keeps its log and the scenario its files.
static bool RunUnderWatchdog(const char *fullName, const Job *job)
{
    failedChecks = 0;
    DWORD start = GetTickCount();
    SortableLocalTime(scenarioStart);
    char home[MAX_PATH], folder[128];
    GetCurrentDirectoryA(sizeof home, home);
    snprintf(folder, sizeof folder, "%s", fullName);
    *strchr(folder, '/') = '-';
    CreateDirectoryA(folder, NULL);
    SetCurrentDirectoryA(folder);
    HANDLE thread = CreateThread(NULL, 0, RunJob, (void *)job, 0, NULL);
    if (WaitForSingleObject(thread, SCENARIO_LIMIT_MS) != WAIT_OBJECT_0) {
        printf("    FAILED: still running after %d s: a call hangs\nFAIL %s\n",
               SCENARIO_LIMIT_MS / 1000, fullName);
        fflush(stdout);
        ExitProcess(1);
    }
    CloseHandle(thread);
    SetCurrentDirectoryA(home);
    printf("%s %s (%lu ms)\n", failedChecks ? "FAIL" : "PASS", fullName,
           (unsigned long)(GetTickCount() - start));
    fflush(stdout);
    return failedChecks == 0;
}

enum { LISTED_MAX = 256 };
typedef char ListedName[64];

static int CompareNames(const void *a, const void *b)
{
    return strcmp((const char *)a, (const char *)b);
}

// The sub-folders of folder, or its scenario files without their ".scn",
// in order of name.
static size_t ListFolder(const char *folder, bool subFolders, ListedName *names)
{
    char pattern[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\%s", folder, subFolders ? "*" : "*.scn");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    size_t count = 0;
    for (bool more = search != INVALID_HANDLE_VALUE; more && count < LISTED_MAX;
         more = FindNextFileA(search, &found)) {
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        size_t length = strlen(found.cFileName) - (subFolders ? 0 : 4);
        if (isFolder == subFolders && found.cFileName[0] != '.' && length < sizeof names[0])
            snprintf(names[count++], sizeof names[0], "%.*s", (int)length, found.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    qsort(names, count, sizeof names[0], CompareNames);
    return count;
}

int RunTestProgram(int argc, char **argv, const ScenarioGroup *const *groups, size_t count)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s DLL [FILTER [FOLDER]]\n", argv[0]);
        return 2;
    }
    driverPath = argv[1];
    const char *filter = argc > 2 && strcmp(argv[2], "all") != 0 ? argv[2] : NULL;
    const char *folder = argc > 3 ? argv[3] : NULL;
    bool exclude = filter && filter[0] == '-';
    if (!StartReadingLine()) {
        printf("cannot open the display's end of the line (COM4)\n");
        return 1;
    }
    int passed = 0, failed = 0;
    char fullName[160];
    for (size_t g = 0; g < count; g++) {
        for (size_t i = 0; i < groups[g]->count; i++) {
            snprintf(fullName, sizeof fullName, "%s/%s", groups[g]->name, groups[g]->scenarios[i].name);
            Job job = {&groups[g]->scenarios[i], NULL, NULL};
            if (!filter || ContainsAny(fullName, filter + exclude) != exclude)
                RunUnderWatchdog(fullName, &job) ? passed++ : failed++;
        }
    }
    static ListedName fileGroups[LISTED_MAX], files[LISTED_MAX];
    size_t groupCount = folder ? ListFolder(folder, true, fileGroups) : 0;
    for (size_t g = 0; g < groupCount; g++) {
        char groupFolder[MAX_PATH], path[MAX_PATH];
        snprintf(groupFolder, sizeof groupFolder, "%s\\%s", folder, fileGroups[g]);
        size_t fileCount = ListFolder(groupFolder, false, files);
        for (size_t i = 0; i < fileCount; i++) {
            snprintf(fullName, sizeof fullName, "%s/%s", fileGroups[g], files[i]);
            snprintf(path, sizeof path, "%s\\%s.scn", groupFolder, files[i]);
            Job job = {NULL, folder, path};
            if (!filter || ContainsAny(fullName, filter + exclude) != exclude)
                RunUnderWatchdog(fullName, &job) ? passed++ : failed++;
        }
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
