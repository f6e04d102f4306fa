// The group "log" beside its scenario files: the log's handle and a log
// that cannot be opened, seen from other processes, and the log's clock.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"
#include "../../log/log_platform.h"

static DriverApi api;

// A child process the host starts while the module logs does not inherit
// the log's handle, so the file can be deleted once the module let it go.
static void ChildHoldsNoLog(void)
{
    if (!StartDriver(&api, "defaultLog"))
        return;
    char command[2 * MAX_PATH];
    BesideModule("host_console.exe", "usage", command, sizeof command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    CheckTrue(CreateProcessA(NULL, command, NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL,
                             &startup, &child),
              "a child that inherits the host's handles");
    DoneAndUnload(&api);
    CheckTrue(DeleteFileA(LOG_PATH), "the child holds no handle on the log");
    TerminateProcess(child.hProcess, 0);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
}

static void UnopenableLog(void)
{
    static const char *const blockers[] = {"a file named logs", "a folder named KESMARD.log"};
    for (size_t i = 0; i < ARRAY_SIZE(blockers); i++) {
        char folder[32];
        snprintf(folder, sizeof folder, "blocked-%u", (unsigned)i);
        CreateDirectoryA(folder, NULL);
        SetCurrentDirectoryA(folder);
        if (i == 0)
            WriteWholeFile("logs", "");
        else
            CreateDirectoryA("logs", NULL), CreateDirectoryA(LOG_PATH, NULL);

        DrainLine();
        char command[2 * MAX_PATH], out[1024], err[1024];
        BesideModule("host_console.exe", "\"init 20 2 defaultLog\" \"write Hello\" done", command,
                     sizeof command);
        RunChild(command, "", out, err, sizeof out);
        CheckHolds("Failed to open ini file", out, blockers[i]);
        EXPECT_LINE(POWER_RESUME "Hello" CLOSING, "the module goes on working without its log");
        SetCurrentDirectoryA("..");
    }
}

// The log's clock past the 32-bit time range, where no scenario can take
// the machine: 3 March 2040, 12:00:00 UTC, is 13:00 in the tests' Central
// European time.
static void LocalTimeAfter2038(void)
{
    struct tm got = {};
    CheckTrue(LocalTimeAt(2214388800LL, &got), "a time after 2038 converts");
    CheckInt(204003031300LL, (got.tm_year + 1900) * 100000000LL + (got.tm_mon + 1) * 1000000LL +
                                 got.tm_mday * 10000 + got.tm_hour * 100 + got.tm_min,
             "year, month, day, hour and minute");
}

static const Scenario SCENARIOS[] = {
    {"child_holds_no_log", ChildHoldsNoLog},
    {"unopenable_log", UnopenableLog},
    {"local_time_after_2038", LocalTimeAfter2038},
};
SCENARIO_GROUP(LOG_GROUP, "log");
