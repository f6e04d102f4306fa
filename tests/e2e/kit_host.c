/* A host written in plain C against the integrator's kit: it includes
 * KESMARD.h, links with an import library and so loads KESMARD.dll at
 * start-up. kit_host_cxx.cpp builds the same source as C++, and
 * tests/e2e/msvc/ builds it for an MSVC-compatible toolchain. It checks the
 * texts the module answers with, that the header's pointer types fit its
 * functions, and the version resources of the module it loaded and of the
 * host console and virtual display beside it (as the kit and dist/ hold
 * them).
 *
 * Usage: kit_host.exe [ANY...]   (arguments are ignored) */
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "../../include/KESMARD.h"
#include "display_bytes.h"

#ifdef __cplusplus
#define LANGUAGE "C++"
#elif defined(_MSC_VER)
#define LANGUAGE "C for the MSVC target"
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

/* A shipped binary, in the folder of the module loaded, and what its
 * version resource says of it besides the version. */
typedef struct {
    const char *file;
    unsigned long fileType;
    const char *internalName;
    const char *description;
} Binary;

static const Binary binaries[] = {
    {"KESMARD.dll", VFT_DLL, "KESMARD", "KESMARD serial character display driver"},
    {"host_console.exe", VFT_APP, "host_console",
     "KESMARD host console: tries a display module from a command prompt"},
    {"virtual_display.exe", VFT_APP, "virtual_display",
     "KESMARD virtual display: a serial character display on a COM port"},
};

static void CheckVersionResource(const char *folder, const Binary *binary)
{
    const struct {
        const char *name;
        const char *value;
    } texts[] = {
        {"FileVersion", EXPECTED_VERSION},
        {"ProductVersion", EXPECTED_VERSION},
        {"ProductName", "KESMARD"},
        {"LegalCopyright", "Copyright (c) 2026 The KESMARD developers"},
        {"CompanyName", "The KESMARD developers"},
        {"OriginalFilename", binary->file},
        {"InternalName", binary->internalName},
        {"FileDescription", binary->description},
    };
    static char block[16384];
    char path[MAX_PATH];
    char what[80];
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    size_t i;
    DWORD size;
    /* The fixed part holds the four numbers of the expected version. */
    unsigned long major = 0, minor = 0, build = 0, revision = 0;
    sscanf(EXPECTED_VERSION, "%lu.%lu.%lu.%lu", &major, &minor, &build, &revision);
    snprintf(path, sizeof path, "%s%s", folder, binary->file);
    size = GetFileVersionInfoSizeA(path, NULL);
    if (size == 0 || size > sizeof block || !GetFileVersionInfoA(path, 0, sizeof block, block) ||
        !VerQueryValueA(block, "\\", (void **)&fixed, &length)) {
        failures++;
        printf("FAILED: %s has no readable version resource\n", path);
        return;
    }
    printf("checking the version resource of %s\n", path);
    ExpectNumber("file version, major.minor", major << 16 | minor, fixed->dwFileVersionMS);
    ExpectNumber("file version, build.revision", build << 16 | revision, fixed->dwFileVersionLS);
    ExpectNumber("product version, major.minor", major << 16 | minor, fixed->dwProductVersionMS);
    ExpectNumber("product version, build.revision", build << 16 | revision,
                 fixed->dwProductVersionLS);
    ExpectNumber("file type", binary->fileType, fixed->dwFileType);
    for (i = 0; i < sizeof texts / sizeof texts[0]; i++) {
        snprintf(what, sizeof what, "%s of %s", texts[i].name, binary->file);
        ExpectText(what, texts[i].value, VersionText(block, texts[i].name));
    }
}

/* The binaries in the folder KESMARD.dll was loaded from. */
static void CheckVersionResources(void)
{
    char folder[MAX_PATH];
    char *name;
    size_t i;
    GetModuleFileNameA(GetModuleHandleA("KESMARD.dll"), folder, sizeof folder);
    name = strrchr(folder, '\\');
    *(name ? name + 1 : folder) = '\0';
    for (i = 0; i < sizeof binaries / sizeof binaries[0]; i++)
        CheckVersionResource(folder, &binaries[i]);
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
    DISPLAYDLL_StatusProc status = DISPLAYDLL_Status;
    unsigned char ok = 0;

    ExpectText("DISPLAYDLL_DriverName", DRIVER_NAME, driverName());
    ExpectText("DISPLAYDLL_Usage", "KESMARD usage: COM3,9600,8,N,1", usage());
    ExpectText("DISPLAYDLL_DefaultParameters", "COM3,9600,8,N,1", defaultParameters());
    /* A port that does not exist: the failure text comes back with ok
     * cleared, and the other entry points run without a port. */
    ExpectPrefix("DISPLAYDLL_Init on a missing port", "Serial Port does not exist : ",
                 init(20, 2, "COM200,9600,8,N,1", &ok));
    ExpectNumber("ok after a failed Init", 0, ok);
    ExpectNumber("DISPLAYDLL_Status after a failed Init", DISPLAYDLL_STATUS_NOT_SET_UP, status());
    setPosition(1, 2);
    write("unheard");
    powerResume();
    done();

    CheckVersionResources();
    printf("kit host built as %s: %d failed\n", LANGUAGE, failures);
    return failures == 0 ? 0 : 1;
}
