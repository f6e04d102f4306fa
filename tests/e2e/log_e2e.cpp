// End-to-end scenarios of the module's debug log: each loads the DLL afresh
// in a fresh current folder, drives it, and reads logs\KESMARD.log byte for
// byte (timestamps by pattern).
//
// Usage: log_e2e.exe PATH-TO-DLL [SCENARIO-FILTER]
//        log_e2e.exe PATH-TO-DLL --host-run PARAMETERS   (a child host run)
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "driver_api.h"
#include "line.h"

static const char LOG_PATH[] = "logs\\KESMARD.log";
static const char BANNER_LINE[] = "=================================== ===================================";
static const char OPENED_LINE[] = "Log File opened for  KESMARD";
static const unsigned char POWER_RESUME[] = {0x1B, 0x02, 0x1B, 0x05, 0x1B, 0x08,
                                             0x1B, 0x0C, 0x1B, 0x0E, 0x1B, 0x20};
static const unsigned char CLOSING[] = {0x1B, 0x02};

enum { LOG_BUFFER_SIZE = 65536, TIMESTAMP_LENGTH = 17 };

static DriverApi api;

// Reads the whole file; returns its length, or -1 when it does not exist.
static long ReadWholeFile(const char *path, char *buffer, size_t size)
{
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

// "HH:MM:SS dd/mm/yy": digits where the pattern has 'd'.
static bool IsTimestamp(const char *text)
{
    static const char PATTERN[] = "dd:dd:dd dd/dd/dd";
    for (int i = 0; i < TIMESTAMP_LENGTH; i++) {
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (PATTERN[i] == 'd' ? !digit : text[i] != PATTERN[i])
            return false;
    }
    return true;
}

// Checks the log holds exactly these entries, each "<tag> <text>" as the
// module passed it: a timestamp and a space before it, and every line feed
// (its own and the one that ends it) written as CR LF.
static void ExpectLog(const char *const *entries, size_t count, const char *what)
{
    static char file[LOG_BUFFER_SIZE];
    long length = ReadWholeFile(LOG_PATH, file, sizeof file);
    CheckTrue(length >= 0, "the log file exists");
    if (length < 0)
        return;
    static char expected[LOG_BUFFER_SIZE];
    size_t at = 0;
    bool stampsOk = true;
    for (size_t i = 0; i < count; i++) {
        // Take the timestamp the file has, after checking its pattern.
        if (at + TIMESTAMP_LENGTH <= (size_t)length) {
            stampsOk = stampsOk && IsTimestamp(file + at);
            memcpy(expected + at, file + at, TIMESTAMP_LENGTH);
        }
        at += TIMESTAMP_LENGTH;
        expected[at++] = ' ';
        for (const char *c = entries[i]; *c; c++) {
            if (*c == '\n')
                expected[at++] = '\r';
            expected[at++] = *c;
        }
        expected[at++] = '\r';
        expected[at++] = '\n';
    }
    expected[at] = '\0';
    CheckTrue(stampsOk, "every line starts with a timestamp HH:MM:SS dd/mm/yy");
    CheckText(expected, file, what);
}

static void ExpectEmptyLog(const char *what)
{
    char file[16];
    CheckInt(0, ReadWholeFile(LOG_PATH, file, sizeof file), what);
}

static void StartDisplay(const char *parameters)
{
    unsigned char ok = 0;
    api.Init(20, 2, parameters, &ok);
    CheckInt(1, ok, parameters);
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "power-resume sequence");
}

static void NoSuffix(void)
{
    if (!LoadFreshDriver(&api))
        return;
    StartDisplay("COM3,9600,8,N,1");
    ExpectEmptyLog("the first Init creates the file, and it stays empty");
    api.SetPosition(1, 2);
    api.Write("Hello");
    api.Done();
    UnloadDriver(&api);
    ExpectEmptyLog("nothing logged without the suffix");
}

static void DefaultLog(void)
{
    if (!LoadFreshDriver(&api))
        return;
    StartDisplay("defaultLog");
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
    static const unsigned char line[] = {0x1B, 0x13, 0x14, 'H', 'e', 'l', 'l', 'o',
                                         0x1B, 0x02, 0x1B, 0x05, 0x1B, 0x08, 0x1B, 0x0C,
                                         0x1B, 0x0E, 0x1B, 0x20, 0x1B, 0x02};
    ExpectLine(line, sizeof line, "the log changes nothing on the line");
    UnloadDriver(&api);
}

static void HighPortLines(void)
{
    if (!LoadFreshDriver(&api))
        return;
    StartDisplay("COM12,9600,8,N,1Log");
    api.SetPosition(255, 0);
    api.Write("");
    api.Done();
    static const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE,
        "Init Called ", "Init port=COM12, num=12", "Init port=\\\\.\\COM12, num=12",
        "Init \\\\.\\COM12,9600,8,0,0",
        "SetPosition x=255, y=0", "Write ", "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "both port lines, before and after the rewrite");
    UnloadDriver(&api);
}

static void LogAloneIsNotTheSuffix(void)
{
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 1;
    CheckText("Data bits Incorrect?", api.Init(20, 2, "Log", &ok), "Log alone is a port name");
    api.Write("x");
    UnloadDriver(&api);
    ExpectEmptyLog("three characters do not switch logging on");
}

static void WriteBeforeInit(void)
{
    if (!LoadFreshDriver(&api))
        return;
    api.Write("early");
    ExpectEmptyLog("the first event opens the file with logging off");
    StartDisplay("defaultLog");
    api.Done();
    static const char *const entries[] = {"Init Called ", "Init COM3,9600,8,0,0", "Done Bye"};
    ExpectLog(entries, ARRAY_SIZE(entries), "no banner once the file was opened with logging off");
    UnloadDriver(&api);
}

static void FailedOpen(void)
{
    if (!LoadFreshDriver(&api))
        return;
    const char *returned = api.Init(20, 2, "COM200,9600,8,N,1Log", NULL);
    char errorEntry[1200];
    snprintf(errorEntry, sizeof errorEntry, "Error %s", returned);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE,
        "Init Called ", "Init port=COM200, num=200", "Init port=\\\\.\\COM200, num=200",
        "Init \\\\.\\COM200,9600,8,0,0", errorEntry,
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "the Error line carries the returned text");

    static char file[LOG_BUFFER_SIZE];
    long length = ReadWholeFile(LOG_PATH, file, sizeof file);
    CheckTrue(length >= 5 && memcmp(file + length - 5, "\r\r\n\r\n", 5) == 0,
              "the entry ends in CR CR LF CR LF");
    UnloadDriver(&api);
}

static void WriteFailureLogged(void)
{
    if (!LoadFreshDriver(&api))
        return;
    StartDisplay("defaultLog");
    api.Done();
    ExpectLine(CLOSING, sizeof CLOSING, "closing sequence");
    api.Write("late");
    char errorEntry[1200];
    snprintf(errorEntry, sizeof errorEntry, "Error Error writing string : %s",
             SystemText(ERROR_INVALID_HANDLE));
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE,
        "Init Called ", "Init COM3,9600,8,0,0", "Done Bye", "Write late", errorEntry,
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "a write after Done logs its failure");
    UnloadDriver(&api);
}

// Each set-up that runs logs its lines; the file is opened and emptied once.
static void SetUpAgainAfterFailure(void)
{
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 1;
    api.Init(20, 2, "COM3,9600,8,,1Log", &ok);
    CheckInt(0, ok, "a parse failure");
    StartDisplay("COM3,9600,8,N,1");
    api.Init(20, 2, "COM3,9600,8,N,1", NULL);
    api.Done();
    static const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE,
        "Init Called ", "Init port=COM3, num=3", "Init port=COM3, num=3",
        "Init Called ", "Init port=COM3, num=3", "Init port=COM3, num=3", "Init COM3,9600,8,0,0",
        "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "the second set-up logs again; the switch stays on");
    UnloadDriver(&api);
}

// Runs a host in a child process, so that its standard output can be read.
static void RunChildHost(const char *parameters, char *output, size_t size)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE out = CreateFileA("child-output.txt", GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    char self[MAX_PATH], command[3 * MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    snprintf(command, sizeof command, "\"%s\" \"%s\" --host-run %s", self, driverPath, parameters);
    PROCESS_INFORMATION child;
    if (CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &child)) {
        WaitForSingleObject(child.hProcess, 30000);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
    } else {
        CheckTrue(false, "child host starts");
    }
    CloseHandle(out);
    if (ReadWholeFile("child-output.txt", output, size) < 0)
        output[0] = '\0';
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
            CloseHandle(CreateFileA("logs", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        else
            CreateDirectoryA("logs", NULL), CreateDirectoryA(LOG_PATH, NULL);

        DrainLine();
        char output[256];
        RunChildHost("defaultLog", output, sizeof output);
        CheckText("Failed to open ini file", output, blockers[i]);
        static const unsigned char line[] = {0x1B, 0x02, 0x1B, 0x05, 0x1B, 0x08, 0x1B, 0x0C, 0x1B,
                                             0x0E, 0x1B, 0x20, 'H', 'e', 'l', 'l', 'o', 0x1B, 0x02};
        ExpectLine(line, sizeof line, "the module goes on working without its log");
        SetCurrentDirectoryA("..");
    }
}

// The value the next handle gets. Freed handle slots are reused first, so
// the value creeps up only while handles leak. (Wine does not count a
// process's handles, so GetProcessHandleCount cannot tell.)
static UINT_PTR NextHandleValue(void)
{
    HANDLE probe = CreateEventA(NULL, TRUE, FALSE, NULL);
    CloseHandle(probe);
    return (UINT_PTR)probe;
}

// Unloading closes the stream: a thousand loads in one process (more than
// the runtime's limit of open streams) leave no stream or handle behind,
// and the file holds the last load's lines only.
static void ReloadCycles(void)
{
    enum { CYCLES = 1000, HANDLES_AFTER = 10 };
    DrainLine();
    UINT_PTR handlesEarly = 0, handlesLate = 0;
    size_t received = 0, expectedBytes = 0;
    unsigned char scratch[4096];
    char text[32];
    for (int cycle = 0; cycle < CYCLES; cycle++) {
        if (!LoadDriver(&api, driverPath, false)) {
            CheckTrue(false, "module loads in every cycle");
            return;
        }
        unsigned char ok = 0;
        api.Init(20, 2, "defaultLog", &ok);
        if (!ok) {
            CheckInt(1, ok, "Init in a cycle");
            return;
        }
        snprintf(text, sizeof text, "cycle %d", cycle);
        api.Write(text);
        api.Done();
        UnloadDriver(&api);
        expectedBytes += sizeof POWER_RESUME + strlen(text) + sizeof CLOSING;
        received += ReadArrived(scratch, sizeof scratch);
        if (cycle == HANDLES_AFTER)
            handlesEarly = NextHandleValue();
    }
    handlesLate = NextHandleValue();
    received += ReceiveBytes(scratch, sizeof scratch, expectedBytes - received);
    CheckInt((long long)expectedBytes, (long long)received, "every byte of every cycle arrived");
    CheckInt(handlesEarly, handlesLate, "next handle value after cycle 10 and after the last");

    snprintf(text, sizeof text, "Write cycle %d", CYCLES - 1);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, "Init Called ", "Init COM3,9600,8,0,0", text, "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "the last cycle's lines only");
    CheckTrue(DeleteFileA(LOG_PATH) != 0, "the unloaded module holds the file no more");
}

// A host run for UnopenableLog: Init, one text, Done.
static int HostRun(const char *parameters)
{
    if (!LoadDriver(&api, driverPath, false))
        return 1;
    api.Init(20, 2, parameters, NULL);
    api.Write("Hello");
    api.Done();
    UnloadDriver(&api);
    return 0;
}

static const Scenario SCENARIOS[] = {
    {"no_suffix", NoSuffix},
    {"default_log", DefaultLog},
    {"high_port_lines", HighPortLines},
    {"log_alone_is_not_the_suffix", LogAloneIsNotTheSuffix},
    {"write_before_init", WriteBeforeInit},
    {"failed_open", FailedOpen},
    {"write_failure_logged", WriteFailureLogged},
    {"set_up_again_after_failure", SetUpAgainAfterFailure},
    {"unopenable_log", UnopenableLog},
    {"reload_cycles", ReloadCycles},
};

int main(int argc, char **argv)
{
    if (argc > 3 && strcmp(argv[2], "--host-run") == 0) {
        driverPath = argv[1];
        return HostRun(argv[3]);
    }
    return RunTestProgram(argc, argv, SCENARIOS, ARRAY_SIZE(SCENARIOS));
}
