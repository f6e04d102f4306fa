/* A host written in plain C against the integrator's kit: it includes
 * KESMARD.h, links with KESMARD.lib and so loads KESMARD.dll at start-up.
 * kit_host_cxx.cpp builds the same source as C++. It checks the texts the
 * module answers with, that the header's pointer types fit its functions,
 * and the version resource of the module it loaded.
 *
 * Usage: kit_host.exe [ANY...]   (arguments are ignored) */
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "../../include/KESMARD.h"
#include "display_bytes.h"

#ifdef __cplusplus
#define LANGUAGE "C++"
#else
#define LANGUAGE "C"
#endif

static int failures;

static void ExpectText(const char *what, const char *expected, const char *got)
{
    if (got && strcmp(expected, got) == 0)
        return;
    failures++;
    printf("FAILED: %s\n  expected \"%s\"\n  got      \"%s\"\n", what, expected,
           got ? got : "(none)");
}

static void ExpectPrefix(const char *what, const char *prefix, const char *got)
{
    if (got && strncmp(prefix, got, strlen(prefix)) == 0)
        return;
    failures++;
    printf("FAILED: %s\n  expected a text starting \"%s\"\n  got      \"%s\"\n", what, prefix,
           got ? got : "(none)");
}

static void ExpectNumber(const char *what, unsigned long expected, unsigned long got)
{
    if (expected == got)
        return;
    failures++;
    printf("FAILED: %s\n  expected 0x%08lX\n  got      0x%08lX\n", what, expected, got);
}

/* A text of the version resource's first translation, or null. */
static const char *VersionText(void *block, const char *name)
{
    WORD *translation = NULL;
    UINT length = 0;
    char query[80];
    char *text = NULL;
    if (!VerQueryValueA(block, "\\VarFileInfo\\Translation", (void **)&translation, &length) ||
        length < 2 * sizeof(WORD))
        return NULL;
    snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0],
             translation[1], name);
    if (!VerQueryValueA(block, query, (void **)&text, &length))
        return NULL;
    return text;
}

static void CheckVersionResource(void)
{
    static const struct {
        const char *name;
        const char *value;
    } texts[] = {
        {"FileVersion", EXPECTED_VERSION},   {"ProductVersion", EXPECTED_VERSION},
        {"OriginalFilename", "KESMARD.dll"}, {"InternalName", "KESMARD"},
        {"FileDescription", "KESMARD serial character display driver"},
    };
    static char block[16384];
    char path[MAX_PATH];
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    size_t i;
    DWORD size;
    /* The fixed part holds the four numbers of the expected version. */
    unsigned long major = 0, minor = 0, build = 0, revision = 0;
    sscanf(EXPECTED_VERSION, "%lu.%lu.%lu.%lu", &major, &minor, &build, &revision);
    GetModuleFileNameA(GetModuleHandleA("KESMARD.dll"), path, sizeof path);
    size = GetFileVersionInfoSizeA(path, NULL);
    if (size == 0 || size > sizeof block || !GetFileVersionInfoA(path, 0, sizeof block, block) ||
        !VerQueryValueA(block, "\\", (void **)&fixed, &length)) {
        failures++;
        printf("FAILED: %s has no readable version resource\n", path);
        return;
    }
    ExpectNumber("file version, major.minor", major << 16 | minor, fixed->dwFileVersionMS);
    ExpectNumber("file version, build.revision", build << 16 | revision, fixed->dwFileVersionLS);
    ExpectNumber("product version, major.minor", major << 16 | minor, fixed->dwProductVersionMS);
    ExpectNumber("product version, build.revision", build << 16 | revision,
                 fixed->dwProductVersionLS);
    ExpectNumber("file type", VFT_DLL, fixed->dwFileType);
    for (i = 0; i < sizeof texts / sizeof texts[0]; i++)
        ExpectText(texts[i].name, texts[i].value, VersionText(block, texts[i].name));
}

int main(void)
{
    /* Each pointer type takes its function without a cast. */
    DISPLAYDLL_InitProc init = DISPLAYDLL_Init;
    DISPLAYDLL_DoneProc done = DISPLAYDLL_Done;
    DISPLAYDLL_WriteProc write = DISPLAYDLL_Write;
    DISPLAYDLL_SetPositionProc setPosition = DISPLAYDLL_SetPosition;
    DISPLAYDLL_PowerResumeProc powerResume = DISPLAYDLL_PowerResume;
    DISPLAYDLL_UsageProc usage = DISPLAYDLL_Usage;
    DISPLAYDLL_DefaultParametersProc defaultParameters = DISPLAYDLL_DefaultParameters;
    DISPLAYDLL_DriverNameProc driverName = DISPLAYDLL_DriverName;
    unsigned char ok = 0;

    ExpectText("DISPLAYDLL_DriverName", DRIVER_NAME, driverName());
    ExpectText("DISPLAYDLL_Usage", "KESMARD usage: COM3,9600,8,N,1", usage());
    ExpectText("DISPLAYDLL_DefaultParameters", "COM3,9600,8,N,1", defaultParameters());
    /* A port that does not exist: the failure text comes back with ok
     * cleared, and the other entry points run without a port. */
    ExpectPrefix("DISPLAYDLL_Init on a missing port", "Serial Port does not exist : ",
                 init(20, 2, "COM200,9600,8,N,1", &ok));
    ExpectNumber("ok after a failed Init", 0, ok);
    setPosition(1, 2);
    write("unheard");
    powerResume();
    done();

    CheckVersionResource();
    printf("kit host built as %s: %d failed\n", LANGUAGE, failures);
    return failures == 0 ? 0 : 1;
}
