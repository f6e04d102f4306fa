// End-to-end scenarios of the real module under a host: each loads the DLL
// afresh, calls it through stdcall pointers and checks the bytes that reach
// the display's end of the virtual serial line.
//
// Usage: driver_e2e.exe PATH-TO-DLL [SCENARIO-FILTER]
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "driver_api.h"
#include "display_bytes.h"
#include "line.h"
#include "files.h"

// A port number with no device behind it in the test's Wine prefix.
static const char MISSING_PORT_PARAMETERS[] = "COM200,9600,8,N,1";

static DriverApi api;

static void ExpectCursor(unsigned char address, const char *what)
{
    const unsigned char command[] = CURSOR_COMMAND(address);
    ExpectLine(command, sizeof command, what);
}

static void TypicalRun(void)
{
    if (!StartDriver(&api, GOOD_PARAMETERS))
        return;
    CheckTrue(api.Init(20, 2, GOOD_PARAMETERS, NULL) == api.DriverName(),
              "Init and DriverName hand out the same buffer");
    api.SetPosition(1, 2);
    ExpectCursor(0x14, "SetPosition(1, 2)");
    api.Write("Hello");
    ExpectLineText("Hello", "Write(Hello)");
    api.PowerResume();
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "PowerResume");
    api.Done();
    ExpectLine(CLOSING, sizeof CLOSING, "Done sends the closing sequence");
    api.Write("gone");
    ExpectNothing("Write after Done reaches nothing");
    UnloadDriver(&api);
}

static void DecoratedNames(void)
{
    DriverApi plain, decorated;
    if (!LoadDriver(&plain, driverPath, false) || !LoadDriver(&decorated, driverPath, true)) {
        CheckTrue(false, "both name forms resolve");
        return;
    }
    const FARPROC *a = (const FARPROC *)&plain.Init, *b = (const FARPROC *)&decorated.Init;
    for (int i = 0; i < 8; i++)
        CheckTrue(a[i] == b[i], "plain and decorated names name the same code");
    UnloadDriver(&decorated);
    UnloadDriver(&plain);

    DrainLine();
    if (!LoadDriver(&api, driverPath, true))
        return;
    unsigned char ok = 0;
    CheckText(DRIVER_NAME, api.Init(20, 2, "default", &ok), "Init@16 returns the driver name");
    CheckInt(1, ok, "Init@16 sets ok");
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "Init@16 sends the power-resume sequence");
    api.SetPosition(20, 2);
    ExpectCursor(0x27, "SetPosition@8(20, 2)");
    api.Write("abc");
    ExpectLineText("abc", "Write@4");
    DoneAndUnload(&api);
}

static void SecondInitKeepsSetUp(void)
{
    if (!StartDriver(&api, GOOD_PARAMETERS))
        return;
    unsigned char ok = 0;
    CheckText(DRIVER_NAME, api.Init(40, 4, "COM3,9600,,N,1", &ok), "second Init returns the name");
    CheckInt(1, ok, "second Init sets ok");
    ExpectNothing("second Init sends nothing");
    api.SetPosition(20, 2);
    ExpectCursor(0x27, "geometry stays 20 x 2 after a second Init");
    DoneAndUnload(&api);
}

static void WriteTexts(void)
{
    if (!StartDriver(&api, GOOD_PARAMETERS))
        return;
    api.Write("");
    ExpectNothing("an empty text sends nothing");
    api.Write(NULL);
    ExpectNothing("a null text sends nothing");

    const char withEscape[] = "A\x1B\x13\x02Z";
    api.Write(withEscape);
    ExpectLineText(withEscape, "0x1B inside a text is sent unchanged");

    // Every byte value but the terminator, including line ends.
    char allBytes[256];
    for (int i = 1; i < 256; i++)
        allBytes[i - 1] = (char)i;
    allBytes[255] = '\0';
    api.Write(allBytes);
    ExpectLineText(allBytes, "255 characters, bytes 01..FF, are sent whole and raw");

    char tooLong[301];
    memset(tooLong, 'x', 300);
    tooLong[300] = '\0';
    api.Write(tooLong);
    tooLong[255] = '\0';
    ExpectLineText(tooLong, "a 300-character text is cut to its first 255");
    DoneAndUnload(&api);
}

// The 8-bit arguments travel in 32-bit slots whose high bytes the host may
// leave dirty; only the low byte counts.
static void ArgumentSlots(void)
{
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 0;
    ((InitSlots)(AnyFunction)api.Init)(0xDEAD0028u, 0x12345604u, GOOD_PARAMETERS, &ok);
    CheckInt(1, ok, "Init with dirty slots");
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "power-resume sequence");
    ((SetPositionSlots)(AnyFunction)api.SetPosition)(0xFFFFFF28u, 0xABCDEF04u);
    ExpectCursor(0x9F, "SetPosition(40, 4) on 40 x 4 with dirty slots");
    ((SetPositionSlots)(AnyFunction)api.SetPosition)(0x00000100u, 0x00000201u);
    ExpectCursor(0xFF, "column 0 of row 1: the cell before the first");
    DoneAndUnload(&api);
}

static void CallsBeforeInit(void)
{
    if (!LoadFreshDriver(&api))
        return;
    api.SetPosition(1, 2);
    api.Write("early");
    api.PowerResume();
    api.Done();
    ExpectNothing("nothing reaches the line before Init");
    ExpectSetUp(&api, GOOD_PARAMETERS);
    DoneAndUnload(&api);
}

static void ConstantTexts(void)
{
    if (!LoadFreshDriver(&api))
        return;
    CheckText("KESMARD usage: COM3,9600,8,N,1", api.Usage(), "Usage");
    CheckText("COM3,9600,8,N,1", api.DefaultParameters(), "DefaultParameters");
    CheckText(DRIVER_NAME, api.DriverName(), "DriverName before Init");
    UnloadDriver(&api);

    // A copy under another file name names itself after that file.
    char copyPath[MAX_PATH];
    GetFullPathNameA("Till Display.dll", sizeof copyPath, copyPath, NULL);
    CheckTrue(CopyFileA(driverPath, copyPath, FALSE) != 0, "copy of the module made");
    if (!LoadDriver(&api, copyPath, false))
        return;
    CheckText("Till Display v" EXPECTED_VERSION, api.DriverName(), "DriverName of the copy");
    CheckText("KESMARD usage: COM3,9600,8,N,1", api.Usage(), "Usage of the copy");
    UnloadDriver(&api);
    DeleteFileA(copyPath);
}

static void ParseFailures(void)
{
    static const struct {
        const char *parameters;
        const char *failure;
    } cases[] = {
        {"COM3,9600,,N,1", "Data bits Incorrect?"},
        {"COM3,9600,8,,1", "Parity Incorrect?"},
        {"COM3", "Data bits Incorrect?"},
        {"Default", "Data bits Incorrect?"},
        {NULL, "Data bits Incorrect?"},
    };
    DrainLine();
    for (size_t i = 0; i < ARRAY_SIZE(cases); i++) {
        if (!LoadDriver(&api, driverPath, false))
            return;
        unsigned char ok = 0xAA;
        CheckText(cases[i].failure, api.Init(20, 2, cases[i].parameters, &ok),
                  cases[i].parameters ? cases[i].parameters : "null parameters");
        CheckInt(0, ok, "ok is 0 after a parse failure");
        api.Init(20, 2, cases[i].parameters, NULL);  // a null ok flag is not written
        UnloadDriver(&api);
    }
    ExpectNothing("parse failures send nothing");
}

static void ExpectInitFailure(const char *parameters, const char *message, unsigned long code)
{
    char expected[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(expected, message, code);
    unsigned char ok = 0xAA;
    CheckText(expected, api.Init(20, 2, parameters, &ok), message);
    CheckInt(0, ok, "ok is 0 after a failed open");
}

static void OpenFailures(void)
{
    if (!LoadFreshDriver(&api))
        return;
    ExpectInitFailure(MISSING_PORT_PARAMETERS, "Serial Port does not exist", ERROR_FILE_NOT_FOUND);
    ExpectInitFailure("C:\\no such folder\\port,9600,8,N,1", "Failed to open Serial Port",
                      ERROR_PATH_NOT_FOUND);
    ExpectInitFailure(",9600,8,N,1", "Failed to open Serial Port", ERROR_PATH_NOT_FOUND);
    ExpectNothing("failed opens send nothing");
    UnloadDriver(&api);
}

// The error code the module meets on path, found by doing what it does:
// reading the state (a file or pipe refuses that) and, when dataBits is
// given, writing it back with that byte size (a pty refuses 9). 0 when
// nothing refuses.
static unsigned long RefusalOf(const char *path, int dataBits)
{
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    DCB state;
    state.DCBlength = sizeof state;
    unsigned long error = GetCommState(handle, &state) ? 0 : GetLastError();
    if (!error && dataBits) {
        state.ByteSize = (BYTE)dataBits;
        error = SetCommState(handle, &state) ? 0 : GetLastError();
    }
    CloseHandle(handle);
    return error;
}

static const char NOT_A_PORT_PIPE[] = "\\\\.\\pipe\\kesmard-not-a-port";
static const char SALES_FILE[] = "sales.csv";
static const char SALES[] = "date,amount\r\n2026-12-08,12.34\r\n";
static HANDLE pipeServer;

// A fresh instance of the pipe, of one byte's room: a write into it would
// wait for a reader.
static HANDLE MakePipe(void)
{
    return CreateNamedPipeA(NOT_A_PORT_PIPE, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, 1, 1, 0, NULL);
}

static void CallsOnWhatInitOpened(void)
{
    api.Write("12.34");
    api.SetPosition(1, 2);
    api.PowerResume();
    api.Done();
}

// A host that names a file, a pipe or another device instead of a port: Init
// fails as for any port whose state cannot be read, and nothing the module
// does afterwards reaches what it named; the next Init sets up as usual.
static void NotAPort(void)
{
    char absolute[MAX_PATH];
    GetFullPathNameA(SALES_FILE, sizeof absolute, absolute, NULL);
    const struct {
        const char *path;
        bool pipe;
    } targets[] = {{absolute, false}, {SALES_FILE, false}, {NOT_A_PORT_PIPE, true}};
    for (size_t i = 0; i < ARRAY_SIZE(targets); i++) {
        printf("    %s\n", targets[i].path);
        WriteWholeFile(SALES_FILE, SALES);
        HANDLE probed = targets[i].pipe ? MakePipe() : INVALID_HANDLE_VALUE;
        unsigned long error = RefusalOf(targets[i].path, 0);
        CloseHandle(probed);
        pipeServer = targets[i].pipe ? MakePipe() : INVALID_HANDLE_VALUE;

        if (!LoadFreshDriver(&api))
            return;
        char parameters[MAX_PATH + 16];
        snprintf(parameters, sizeof parameters, "%s,9600,8,N,1", targets[i].path);
        ExpectInitFailure(parameters, "Failed to get Serial Port state", error);
        ExpectReturnsWithin(5000, CallsOnWhatInitOpened, [] { CloseHandle(pipeServer); },
                            "every call returns at once");
        if (targets[i].pipe) {
            // Once the module has let go of its end, the pipe is broken.
            DWORD waiting = 0;
            PeekNamedPipe(pipeServer, NULL, 0, NULL, &waiting, NULL);
            CheckInt(0, waiting, "nothing reached the pipe");
            CloseHandle(pipeServer);
        } else {
            char now[sizeof SALES + 64];
            ReadWholeFile(SALES_FILE, now, sizeof now);
            CheckText(SALES, now, "the file is unchanged, byte for byte");
        }
        ExpectNothing("nothing reached the line");
        ExpectSetUp(&api, GOOD_PARAMETERS);
        DoneAndUnload(&api);
    }
}

// A failed write composes its text into the buffer an earlier failed Init
// returned, so the host's pointer now shows the write failure.
static void WriteFailureReusesErrorText(void)
{
    if (!LoadFreshDriver(&api))
        return;
    const char *returned = api.Init(20, 2, MISSING_PORT_PARAMETERS, NULL);
    api.Write("x");
    char expected[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(expected, "Error writing string", ERROR_INVALID_HANDLE);
    CheckText(expected, returned, "the returned text now holds the write failure");
    UnloadDriver(&api);
}

static void RefusedConfiguration(void)
{
    unsigned long error = RefusalOf("COM3", 9);
    CheckTrue(error != 0, "the line refuses 9 data bits");
    if (!LoadFreshDriver(&api))
        return;
    ExpectInitFailure("COM3,9600,9,N,1", "Failed to set Serial Port state", error);
    ExpectNothing("no power-resume sequence after a refused configuration");
    api.Write("still open");
    ExpectLineText("still open", "Write reaches the port left open");

    // The next Init closes that port and sets up again.
    unsigned char ok = 0;
    CheckText(DRIVER_NAME, api.Init(20, 2, GOOD_PARAMETERS, &ok), "Init after a refused configuration");
    CheckInt(1, ok, "ok after the set-up ran again");
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "the set-up ran again");
    DoneAndUnload(&api);
}

static void InitAfterFailureOrDone(void)
{
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 0xAA;
    CheckText("Parity Incorrect?", api.Init(40, 4, "COM3,9600,8,,1", &ok), "first Init fails");
    CheckInt(0, ok, "ok 0");
    CheckText(DRIVER_NAME, api.Init(20, 2, "COM12,9600,8,N,1", &ok), "Init after a failure sets up");
    CheckInt(1, ok, "ok 1");
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "power-resume through \\\\.\\COM12");
    api.SetPosition(20, 2);
    ExpectCursor(0x27, "geometry of the call that set up");
    api.Done();
    ExpectLine(CLOSING, sizeof CLOSING, "Done");

    CheckText(DRIVER_NAME, api.Init(40, 4, GOOD_PARAMETERS, &ok), "Init after Done sets up");
    CheckInt(1, ok, "ok 1 after Done");
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "power-resume after Done");
    api.SetPosition(1, 4);
    ExpectCursor(0x78, "geometry of the new set-up");
    DoneAndUnload(&api);
}

// The port's state as another handle on it reads it (Wine lets a port be
// opened twice). Returns false, with a failed check, when it cannot.
static bool ReadPortState(DCB *state, const DCB *flowToSet = 0)
{
    HANDLE port = CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    bool read = false;
    if (port != INVALID_HANDLE_VALUE) {
        state->DCBlength = sizeof *state;
        read = GetCommState(port, state) != 0;
        if (read && flowToSet) {
            state->fOutxCtsFlow = flowToSet->fOutxCtsFlow;
            state->fRtsControl = flowToSet->fRtsControl;
            state->fOutX = flowToSet->fOutX;
            state->fInX = flowToSet->fInX;
            read = SetCommState(port, state) != 0;
        }
        CloseHandle(port);
    }
    CheckTrue(read, "the port's state can be read (and set) through a second handle");
    return read;
}

// The line settings reach the port, and the flow control the port had
// before Init is left as it was. A pty under Wine reads back 8 data bits
// and no parity whatever was set (refused data bits are checked in
// refused_configuration); speed, stop bits and CTS flow show.
static void LineSettingsReachThePort(void)
{
    const struct { const char *parameters; DWORD baud; BYTE stopBits; } cases[] = {
        {"COM3,4800,7,E,2", 4800, TWOSTOPBITS},
        {"COM3,19200,8,O,1", 19200, ONESTOPBIT},
    };
    DCB flow = {}, state;
    flow.fOutxCtsFlow = TRUE;
    for (size_t i = 0; i < ARRAY_SIZE(cases); i++) {
        if (!ReadPortState(&state, &flow) || !LoadFreshDriver(&api))
            break;
        ExpectSetUp(&api, cases[i].parameters);
        if (ReadPortState(&state)) {
            CheckInt(cases[i].baud, state.BaudRate, "speed");
            CheckInt(cases[i].stopBits, state.StopBits, "stop bits");
            CheckInt(TRUE, state.fOutxCtsFlow, "the port's CTS flow control is kept");
        }
        DoneAndUnload(&api);
    }
    DCB noFlow = {};
    ReadPortState(&state, &noFlow);
}

static const Scenario SCENARIOS[] = {
    {"line_settings_reach_the_port", LineSettingsReachThePort},
    {"typical_run", TypicalRun},
    {"decorated_names", DecoratedNames},
    {"second_init_keeps_set_up", SecondInitKeepsSetUp},
    {"write_texts", WriteTexts},
    {"argument_slots", ArgumentSlots},
    {"calls_before_init", CallsBeforeInit},
    {"constant_texts", ConstantTexts},
    {"parse_failures", ParseFailures},
    {"open_failures", OpenFailures},
    {"not_a_port", NotAPort},
    {"write_failure_reuses_error_text", WriteFailureReusesErrorText},
    {"refused_configuration", RefusedConfiguration},
    {"init_after_failure_or_done", InitAfterFailureOrDone},
};

int main(int argc, char **argv)
{
    return RunTestProgram(argc, argv, SCENARIOS, ARRAY_SIZE(SCENARIOS));
}
