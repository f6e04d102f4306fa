// The group "log": the module's debug log. Each scenario loads the DLL
// afresh in its own folder, drives it, and reads logs\KESMARD.log byte for
// byte (timestamps by pattern).
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"
#include "../../log/log_platform.h"

static DriverApi api;

// Only the suffix "Log" switches logging on: not "Log" alone (a port name),
// nor "log". A child process the host starts meanwhile does not inherit
// the log's handle, so the file can be deleted once the module let it go.
static void NoSuffix(void)
{
    if (!StartDriver(&api, GOOD_PARAMETERS))
        return;
    ExpectEmptyLog("the first Init creates the file, and it stays empty");
    char command[2 * MAX_PATH];
    BesideModule("host_console.exe", "usage", command, sizeof command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    CheckTrue(CreateProcessA(NULL, command, NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL,
                             &startup, &child),
              "a child that inherits the host's handles");
    api.SetPosition(1, 2);
    api.Write("Hello");
    api.Done();
    CheckText("Data bits Incorrect?", api.Init(20, 2, "Log", NULL), "Log alone is a port name");
    api.Init(20, 2, "COM3,9600,8,N,1log", NULL);
    api.Done();
    UnloadDriver(&api);
    ExpectEmptyLog("nothing logged without the suffix");
    CheckTrue(DeleteFileA(LOG_PATH), "the child holds no handle on the log");
    TerminateProcess(child.hProcess, 0);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
}

// A local time as "yymmddHHMMSS", which orders as the time does.
static void SortableTime(char (&sortable)[16], const SYSTEMTIME *time)
{
    snprintf(sortable, sizeof sortable, "%02d%02d%02d%02d%02d%02d", time->wYear % 100, time->wMonth,
             time->wDay, time->wHour, time->wMinute, time->wSecond);
}

static void DefaultLog(void)
{
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    if (!StartDriver(&api, "defaultLog"))
        return;
    GetLocalTime(&after);
    // The log's first timestamp, "HH:MM:SS dd/mm/yy", reordered as
    // "yymmddHHMMSS" (ExpectLog checks its pattern).
    char file[18] = "", stamp[16] = "", earliest[16], latest[16];
    ReadWholeFile(LOG_PATH, file, sizeof file);
    const int order[] = {15, 16, 12, 13, 9, 10, 0, 1, 3, 4, 6, 7};
    for (int i = 0; i < 12; i++)
        stamp[i] = file[order[i]];
    SortableTime(earliest, &before);
    SortableTime(latest, &after);
    printf("    first timestamp %s, local time from %s to %s\n", stamp, earliest, latest);
    CheckTrue(strcmp(earliest, stamp) <= 0 && strcmp(stamp, latest) <= 0,
              "the log's timestamp is the local time of the call");
    api.SetPosition(1, 2);
    api.Write("Hello");
    api.PowerResume();
    api.Init(40, 4, "defaultLog", NULL);  // a later Init logs nothing
    api.Done();
    static const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE,
        "Init Called ", "Init COM3,9600,8,0,0",
        "SetPosition x=1, y=2", "Write Hello", "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "log of a run on the default port");
    EXPECT_LINE(CURSOR_AT("\x14") "Hello" POWER_RESUME CLOSING, "the log changes nothing on the line");
    UnloadDriver(&api);
}

// Each set-up logs the port field as read and as opened; one that fails to
// parse stops there, and its suffix keeps logging on for the next.
static void HighPortLines(void)
{
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 1;
    api.Init(20, 2, "COM12,9600,8,,1Log", &ok);
    CheckInt(0, ok, "a parse failure");
    ExpectSetUp(&api, "COM12,9600,8,N,1");
    api.SetPosition(255, 0);
    api.Write("");
    api.Done();
    static const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE,
        "Init Called ", "Init port=COM12, num=12", "Init port=\\\\.\\COM12, num=12",
        "Init Called ", "Init port=COM12, num=12", "Init port=\\\\.\\COM12, num=12",
        "Init \\\\.\\COM12,9600,8,0,0",
        "SetPosition x=255, y=0", "Write ", "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "both port lines, before and after the rewrite, each set-up");
    UnloadDriver(&api);
}

static void WriteBeforeInit(void)
{
    if (!LoadFreshDriver(&api))
        return;
    api.Write("early");
    ExpectEmptyLog("the first event opens the file with logging off");
    ExpectSetUp(&api, "defaultLog");
    api.Done();
    static const char *const entries[] = {"Init Called ", "Init COM3,9600,8,0,0", "Done Bye"};
    ExpectLog(entries, ARRAY_SIZE(entries), "no banner once the file was opened with logging off");
    UnloadDriver(&api);
}

static void FailedOpen(void)
{
    if (!LoadFreshDriver(&api))
        return;
    api.Init(20, 2, "COM200,9600,8,N,1Log", NULL);
    char errorEntry[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(errorEntry, "Serial Port does not exist", ERROR_FILE_NOT_FOUND, true);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE,
        "Init Called ", "Init port=COM200, num=200", "Init port=\\\\.\\COM200, num=200",
        "Init \\\\.\\COM200,9600,8,0,0", errorEntry,
    };
    // The system's text ends in CR LF, which the log writes as CR CR LF.
    ExpectLog(entries, ARRAY_SIZE(entries), "the Error line carries the system's text");
    UnloadDriver(&api);
}

// A copy of the module under another name logs under that name, in a file
// of its own.
static void RenamedModule(void)
{
    char renamed[MAX_PATH];
    CheckTrue(GetFullPathNameA("POLE7.dll", sizeof renamed, renamed, NULL) > 0 &&
                  CopyFileA(driverPath, renamed, FALSE),
              "a renamed copy of the module");
    if (!LoadDriver(&api, renamed))
        return;
    DrainLine();
    unsigned char ok = 0;
    CheckText("POLE7 v" EXPECTED_VERSION, api.Init(20, 2, "COM3,9600,8,N,1Log", &ok), "its driver name");
    api.Done();
    static const char *const entries[] = {
        BANNER_LINE, "Log File opened for  POLE7", BANNER_LINE,
        "Init Called ", "Init port=COM3, num=3", "Init port=COM3, num=3", "Init COM3,9600,8,0,0",
        "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "its own log file and banner", "logs\\POLE7.log");
    char other[4];
    CheckInt(-1, ReadWholeFile(LOG_PATH, other, sizeof other), "no KESMARD.log");
    UnloadDriver(&api);
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
// the machine: 3 March 2040, 12:00:00 UTC, in local time as the system's
// own file-time calls give it.
static void LocalTimeAfter2038(void)
{
    const long long SECOND = 2214302400LL;
    ULARGE_INTEGER units;
    units.QuadPart = (unsigned long long)(SECOND + 11644473600LL) * 10000000ULL;
    FILETIME utc = {units.LowPart, units.HighPart}, local;
    SYSTEMTIME expected;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &expected);
    struct tm got = {};
    CheckTrue(LocalTimeAt(SECOND, &got), "a time after 2038 converts");
    CheckInt(expected.wYear, got.tm_year + 1900, "year");
    CheckInt(expected.wMonth, got.tm_mon + 1, "month");
    CheckInt(expected.wDay * 10000 + expected.wHour * 100 + expected.wMinute,
             got.tm_mday * 10000 + got.tm_hour * 100 + got.tm_min, "day, hour and minute");
}

static const Scenario SCENARIOS[] = {
    {"no_suffix", NoSuffix},
    {"default_log", DefaultLog},
    {"high_port_lines", HighPortLines},
    {"write_before_init", WriteBeforeInit},
    {"failed_open", FailedOpen},
    {"renamed_module", RenamedModule},
    {"unopenable_log", UnopenableLog},
    {"local_time_after_2038", LocalTimeAfter2038},
};
SCENARIO_GROUP(LOG_GROUP, "log");
