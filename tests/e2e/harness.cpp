// The runner, its watchdog, the checks, and files and child processes.
#include "harness.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "driver_api.h"
#include "line.h"
#include "test_platform.h"
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
    FILE *file = fopen(path, "rb");
    if (!file)
        return -1;
    size_t length = fread(buffer, 1, size - 1, file);
    fclose(file);
    buffer[length] = '\0';
    return (long)length;
}

bool WriteWholeFile(const char *path, const char *text)
{
    FILE *file = fopen(path, "wb");
    bool whole = file && fwrite(text, 1, strlen(text), file) == strlen(text);
    return file && fclose(file) == 0 && whole;
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

// A scenario written in C++, or one of a file.
struct Job {
    const Scenario *scenario;
    const char *folder;
    const char *file;
};

static void RunJob(void *argument)
{
    const Job *job = (const Job *)argument;
    if (job->scenario)
        job->scenario->run();
    else
        RunScenarioFile(job->folder, job->file);
}

// Runs a scenario on a thread of its own in a fresh folder named after it,
// where the module keeps its log and the scenario its files.
static bool RunUnderWatchdog(const char *fullName, const Job *job)
{
    failedChecks = 0;
    unsigned long start = MillisecondsNow();
    SortableLocalTime(scenarioStart);
    char folder[128], home[1024];
    snprintf(folder, sizeof folder, "%s", fullName);
    *strchr(folder, '/') = '-';
    EnterFolder(folder, home);
    if (!RunWithin(RunJob, (void *)job, SCENARIO_LIMIT_MS)) {
        printf("    FAILED: still running after %d s: a call hangs\nFAIL %s\n",
               SCENARIO_LIMIT_MS / 1000, fullName);
        fflush(stdout);
        _Exit(1);
    }
    LeaveFolder(home);
    printf("%s %s (%lu ms)\n", failedChecks ? "FAIL" : "PASS", fullName, MillisecondsNow() - start);
    fflush(stdout);
    return failedChecks == 0;
}

enum { LISTED_MAX = 256 };

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
        printf("cannot open the display's end of the line\n");
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
    size_t groupCount = folder ? ListFolder(folder, true, "", fileGroups, LISTED_MAX) : 0;
    for (size_t g = 0; g < groupCount; g++) {
        char groupFolder[1024], path[sizeof groupFolder + sizeof files[0] + 8];
        snprintf(groupFolder, sizeof groupFolder, "%s/%s", folder, fileGroups[g]);
        size_t fileCount = ListFolder(groupFolder, false, ".scn", files, LISTED_MAX);
        for (size_t i = 0; i < fileCount; i++) {
            snprintf(fullName, sizeof fullName, "%s/%s", fileGroups[g], files[i]);
            snprintf(path, sizeof path, "%s/%s.scn", groupFolder, files[i]);
            Job job = {NULL, folder, path};
            if (!filter || ContainsAny(fullName, filter + exclude) != exclude)
                RunUnderWatchdog(fullName, &job) ? passed++ : failed++;
        }
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
