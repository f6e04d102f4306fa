/* A host built from the kit alone: it includes KESMARD.h and links with an
 * import library, so KESMARD.dll loads at start-up (kit_host_cxx.cpp builds
 * it as C++, tests/e2e/msvc/ for an MSVC-compatible toolchain). It checks
 * the header's pointer types, calls through every import and, built by
 * MinGW, the version resources of the module and the programs beside it. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "../../include/KESMARD.h"
#include "display_bytes.h"

static int failures;

/* got must be expected, or start with it where prefix is set. */
static void ExpectText(const char *what, const char *expected, const char *got, int prefix)
{
    if (got && strncmp(expected, got, strlen(expected) + !prefix) == 0)
        return;
    failures++;
    printf("FAILED: %s\n  expected \"%s\"%s\n  got      \"%s\"\n", what, expected, prefix ? "..." : "",
           got ? got : "(none)");
}

static void ExpectNumber(const char *what, unsigned long expected, unsigned long got)
{
    if (expected == got)
        return;
    failures++;
    printf("FAILED: %s\n  expected 0x%08lX\n  got      0x%08lX\n", what, expected, got);
}

#ifndef _MSC_VER  /* the MSVC-target hosts have no version.dll import */
/* The shipped binaries in KESMARD.dll's folder: the fixed part of each
 * version resource says 1.1.0.0 (EXPECTED_VERSION), and the texts of its
 * first translation name the file. */
static void CheckVersionResources(void)
{
    static const struct {
        const char *file, *internalName, *description;
        unsigned long type;
    } binaries[] = {
        {"KESMARD.dll", "KESMARD", "KESMARD serial character display driver", VFT_DLL},
        {"host_console.exe", "host_console",
         "KESMARD host console: tries a display module from a command prompt", VFT_APP},
        {"virtual_display.exe", "virtual_display",
         "KESMARD virtual display: a serial character display on a COM port", VFT_APP},
    };
    static char block[16384];
    char path[MAX_PATH], query[80], what[80];
    size_t folder, i, t;
    folder = GetModuleFileNameA(GetModuleHandleA("KESMARD.dll"), path, sizeof path);
    while (folder > 0 && path[folder - 1] != '\\')
        folder--;
    for (i = 0; i < sizeof binaries / sizeof binaries[0]; i++) {
        const char *texts[][2] = {
            {"FileVersion", EXPECTED_VERSION}, {"ProductVersion", EXPECTED_VERSION},
            {"ProductName", "KESMARD"}, {"CompanyName", "The KESMARD developers"},
            {"LegalCopyright", "Copyright (c) 2026 The KESMARD developers"},
            {"OriginalFilename", binaries[i].file}, {"InternalName", binaries[i].internalName},
            {"FileDescription", binaries[i].description},
        };
        VS_FIXEDFILEINFO *fixed = NULL;
        WORD *translation = NULL;
        UINT length = 0;
        snprintf(path + folder, sizeof path - folder, "%s", binaries[i].file);
        printf("checking the version resource of %s\n", path);
        if (GetFileVersionInfoSizeA(path, NULL) > sizeof block ||
            !GetFileVersionInfoA(path, 0, sizeof block, block) ||
            !VerQueryValueA(block, "\\", (void **)&fixed, &length) ||
            !VerQueryValueA(block, "\\VarFileInfo\\Translation", (void **)&translation, &length)) {
            ExpectNumber("a readable version resource", 1, 0);
            continue;
        }
        ExpectNumber("file version 1.1", 0x00010001, fixed->dwFileVersionMS);
        ExpectNumber("product version 1.1", 0x00010001, fixed->dwProductVersionMS);
        ExpectNumber("file and product version .0.0", 0, fixed->dwFileVersionLS | fixed->dwProductVersionLS);
        ExpectNumber("file type", binaries[i].type, fixed->dwFileType);
        for (t = 0; t < sizeof texts / sizeof texts[0]; t++) {
            const char *text = NULL;
            snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0],
                     translation[1], texts[t][0]);
            snprintf(what, sizeof what, "%s of %s", texts[t][0], binaries[i].file);
            ExpectText(what, texts[t][1],
                       VerQueryValueA(block, query, (void **)&text, &length) ? text : NULL, 0);
        }
    }
}
#endif

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
    unsigned char ok = 1;

    ExpectText("DISPLAYDLL_DriverName", DRIVER_NAME, driverName(), 0);
    ExpectText("DISPLAYDLL_Usage", "KESMARD usage: COM3,9600,8,N,1", usage(), 0);
    ExpectText("DISPLAYDLL_DefaultParameters", "COM3,9600,8,N,1", defaultParameters(), 0);
    /* A port that does not exist: ok cleared, nothing set up, and the other
     * entry points run without a port. */
    ExpectText("DISPLAYDLL_Init on a missing port", "Serial Port does not exist : ",
               init(20, 2, "COM200,9600,8,N,1", &ok), 1);
    ExpectNumber("ok after a failed Init", 0, ok);
    ExpectNumber("DISPLAYDLL_Status after a failed Init", DISPLAYDLL_STATUS_NOT_SET_UP, status());
    setPosition(1, 2);
    write("unheard");
    powerResume();
    done();
#ifndef _MSC_VER
    CheckVersionResources();
#endif
    printf("kit host: %d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
