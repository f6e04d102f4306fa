// Scenario runner and checks for the Windows test programs.
#include "checks.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "driver_api.h"
#include "line.h"
#include "../../tools/common/text_fields.h"

static int failedChecks;  // failed checks in the running scenario

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

// Prints a text with its control bytes visible, so line ends can be compared.
static void PrintVisible(const char *label, const char *text)
{
    static char visible[4096];
    EscapeText(text, visible, sizeof visible);
    printf("      %s \"%s\"\n", label, visible);
}

void CheckText(const char *expected, const char *got, const char *what)
{
    if (!got || strcmp(expected, got) != 0) {
        Fail(what);
        PrintVisible("expected", expected);
        PrintVisible("got     ", got ? got : "(null)");
    }
}

static void PrintHex(const char *label, const unsigned char *bytes, size_t length)
{
    char hex[200];  // some 64 bytes, then " ..."
    FormatHex(bytes, length, hex, sizeof hex);
    printf("      %s (%u bytes) %s\n", label, (unsigned)length, hex);
}

void CheckBytes(const unsigned char *expected, size_t expectedLength, const unsigned char *got,
                size_t gotLength, const char *what)
{
    if (expectedLength != gotLength || memcmp(expected, got, expectedLength) != 0) {
        Fail(what);
        PrintHex("expected", expected, expectedLength);
        PrintHex("got     ", got, gotLength);
    }
}

static DWORD WINAPI RunWork(void *work)
{
    ((void (*)(void))work)();
    return 0;
}

void ExpectReturnsWithin(unsigned long limitMs, void (*work)(void), void (*release)(void),
                         const char *what)
{
    HANDLE thread = CreateThread(NULL, 0, RunWork, (void *)work, 0, NULL);
    bool returned = WaitForSingleObject(thread, limitMs) == WAIT_OBJECT_0;
    CheckTrue(returned, what);
    if (!returned)
        release();
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

// Whether name contains one of the comma-separated parts of list.
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

int RunScenarios(const Scenario *scenarios, size_t count, const char *filter)
{
    int passed = 0, failed = 0;
    bool exclude = filter && filter[0] == '-';
    for (size_t i = 0; i < count; i++) {
        if (filter && ContainsAny(scenarios[i].name, filter + exclude) == exclude)
            continue;
        failedChecks = 0;
        DWORD start = GetTickCount();
        // Each scenario runs in a fresh folder of its own, where the module
        // keeps its log and the scenario its files.
        char home[MAX_PATH];
        GetCurrentDirectoryA(sizeof home, home);
        CreateDirectoryA(scenarios[i].name, NULL);
        SetCurrentDirectoryA(scenarios[i].name);
        scenarios[i].run();
        SetCurrentDirectoryA(home);
        bool ok = failedChecks == 0;
        printf("%s %s (%lu ms)\n", ok ? "PASS" : "FAIL", scenarios[i].name,
               (unsigned long)(GetTickCount() - start));
        fflush(stdout);
        ok ? passed++ : failed++;
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

int RunTestProgram(int argc, char **argv, const Scenario *scenarios, size_t count)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s DLL [FILTER]\n", argv[0]);
        return 2;
    }
    driverPath = argv[1];
    if (!OpenDisplayEnd()) {
        printf("cannot open the display's end of the line (COM4)\n");
        return 1;
    }
    int result = RunScenarios(scenarios, count, argc > 2 ? argv[2] : NULL);
    CloseDisplayEnd();
    return result;
}
